// Where each element of a local player's head-up display sits: the anchor
// table (four layouts of nine elements, fractions of the player's view) and
// the lookup that turns a player and an element into screen pixels through
// the split-screen layout in use and the player's viewport record.
#pragma once

#include "control/viewport_config.h"

struct D3DVIEWPORT8;

enum HudElement {
  HUD_SOLDIER_MENU = 0,     // the soldier screen's menu
  HUD_SOLDIER_MARKER = 1,   // the soldier screen's marker
  HUD_INVENTORY_POPUP = 2,  // inventory and give/take pop-ups
  HUD_VEHICLE_POPUP = 3,    // vehicle pop-up and the pop-up item list
  HUD_ORDER_POPUP = 4,      // the order pop-up
  HUD_RADAR = 5,            // the radar's centre (the heading dial)
  HUD_ELEMENT_6 = 6,        // no user
  HUD_ACTION_HINT = 7,      // the action hint icon (its right edge) and the context prompt
  HUD_ELEMENT_8 = 8,        // no user
  HUD_ELEMENT_COUNT = 9,
};

inline constexpr int kHudLayouts = 4;

struct HudAnchor {
  float X, Y;
};

extern const HudAnchor HudLayoutTable[kHudLayouts][HUD_ELEMENT_COUNT];

// The anchor of element e for player p in screen pixels, given the player's
// viewport record and the full screen's size: x = view x + view width x
// anchor x + screen width x shift x (y likewise).  Unsplit, every player
// uses layout 0 with player 0's shift but its own view.  A player without a
// view (layout number 4) gets layout 0's anchor in view0, which the caller
// passes as the record of view 0.  False (0, 0 written) for an element or
// player out of range.
bool ComputeHudPosition(const CViewportConfig& config, int player, int element, const D3DVIEWPORT8& view,
                        const D3DVIEWPORT8& view0, float screenWidth, float screenHeight, float* x, float* y);

// The same through the program's split-screen state and the render device's
// viewport records and mode size.  Callers truncate to whole pixels.
bool GetHudPosition(int player, int element, float* x, float* y);

// The pixel record of view v of the current layout on a screen of the given
// size (whole pixels, depth 0..1); false for a view the layout does not use.
bool ViewportPixels(const ViewportLayout& layout, int view, unsigned screenWidth, unsigned screenHeight,
                    D3DVIEWPORT8* out);
