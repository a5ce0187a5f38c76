// The base of every menu screen (front-end menus, in-game menus, dialogs and
// the multiplayer screens): one standard menu, a title, and the panel
// rectangle in which the title and the menu are centred.  The screen manager
// creates, populates, updates, draws, enters, leaves and animates a screen
// only through the operations below.  A screen lives from start-up to exit.
// Main thread only.
#pragma once

#include <cstdint>

#include "menus/widgets/screen_menu.h"

class CFont;
class CMenuItem;
class CSoundBank;
class CSpriteRender;

// A rectangle of floats (x1, y1) - (x2, y2) in screen pixels.
struct ScreenRect {
  float x1, y1, x2, y2;
};

// An extra area beside the menu that PlaceMenu adds to the block it centres:
// the menu moves by (x, y) and the block grows by (x + w, y + h).
struct PlaceExtra {
  float x, y, w, h;
};

// The shared defaults of the parameter and hint operations: 184, the left
// hint id, 0, 0, 182, the right hint id (set by CreateScreens).
struct MenuScreenDefaults {
  std::int32_t paramA = 184;
  std::uint32_t leftHint = 0;
  std::int32_t paramB = 0;
  std::int32_t paramC = 0;
  std::int32_t paramD = 182;
  std::uint32_t rightHint = 0;
};
extern MenuScreenDefaults g_MenuScreenDefaults;

class CMenuScreen {
 public:
  // Title id -1, no menu, large titles.
  CMenuScreen() = default;
  // Frees the menu (as FreeMenu) when there is one.
  virtual ~CMenuScreen();
  CMenuScreen(const CMenuScreen&) = delete;
  CMenuScreen& operator=(const CMenuScreen&) = delete;

  // Allocates the menu and its items; false when an allocation fails (the
  // screen is then left without a menu).
  virtual bool Create() = 0;
  // Frees every item, the item array and the menu; the menu becomes null.
  virtual void Destroy() { FreeMenu(); }
  // Lays the menu out for the current state and places it.
  virtual void Populate() = 0;
  // Runs the menu and acts on its answer; the result code (0 stay, 1 close
  // the program, 3 a level change was started, 4 show the splash screen).
  virtual int Update() = 0;
  virtual void Draw() = 0;
  // The screen becomes current, or another screen (next id) does.
  virtual void OnEnter() {}
  virtual void OnLeave(int /*nextId*/) {}
  // Whether entering shows the grow-in, whether leaving plays the leave
  // animation first (its OnLeave and the next screen's OnEnter then wait
  // for it), and whether leaving also fades green and blue, or red and blue.
  virtual bool ZoomsIn(int /*ownId*/) { return true; }
  virtual bool ZoomsOut(int /*nextId*/) { return true; }
  virtual bool DimsGreenOnLeave(int /*nextId*/) { return false; }
  virtual bool DimsRedOnLeave(int /*nextId*/) { return false; }
  virtual std::int32_t GetParamA() { return g_MenuScreenDefaults.paramA; }
  // The help lines at the foot of the screen: string ids, 0 for none.
  virtual std::uint32_t GetLeftHintTextId() { return g_MenuScreenDefaults.leftHint; }
  virtual std::int32_t GetParamB() { return g_MenuScreenDefaults.paramB; }
  virtual std::int32_t GetParamC() { return g_MenuScreenDefaults.paramC; }
  virtual std::int32_t GetParamD() { return g_MenuScreenDefaults.paramD; }
  virtual std::uint32_t GetRightHintTextId() { return g_MenuScreenDefaults.rightHint; }
  // The menu's font, sprite set and move-sound bank.
  virtual void SetMenuStyle(CFont* font, CSpriteRender* sprites, const CSoundBank* bank);
  // An item's text in a rectangle, aligned by its flags, in the menu's
  // disabled, highlight (pulsing) or text colour; nothing for other kinds or
  // a missing text.
  virtual void DrawItemText(CMenuItem* item, const ScreenRect& rect, CFont* font, int highlighted);
  // Centres the title and the menu (at most maxRows rows) on the screen and
  // sets the menu's rectangle; the panel rectangle is kept.
  virtual void PlaceMenu(std::uint32_t titleId, int largeMargin, const PlaceExtra* extra, int maxRows);

  void FreeMenu();
  // The height the title takes wrapped to a width, plus a gap; 0 without a title.
  float GetTitleHeight(float width);
  // The frame around the panel at a fade step (0-10); small halves the margins.
  void DrawPanelFrame(int fadeStep, int small);
  void DrawTitle(std::uint32_t textId, int large);
  void DrawTitleString(const char* text, int large);
  // The font titles use.
  CFont* TitleFont() const;

  std::uint32_t TitleTextId = 0xFFFFFFFF;
  CScreenMenu* Menu = nullptr;
  std::uint32_t LargeTitle = 1;
  float PanelTop = 0.0f, PanelBottom = 0.0f, PanelLeft = 0.0f, PanelRight = 0.0f;
};

// 19 for the large interface font, 10 for any other: the vertical offset
// that centres a line in a box.
float GetFontTextOffset(const CFont* font);
// A title centred in (left, top + the font's baseline offset) to (right,
// that + 600), in white; nothing for id 0 or no text.  Answer the height used.
float DrawTextIdCentred(std::uint32_t textId, float left, float right, float top, int large);
float DrawStringCentred(const char* text, float left, float right, float top, int large);
