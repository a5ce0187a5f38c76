// The briefing shown when a mission starts: the map with its unit markers on
// the left, on the right the mission's title, subtitle and up to six
// briefing paragraphs in pages.  Leaving it (back, Enter, or the command-line
// switch u) starts play and tells the mission plug-in that the briefing is
// over.  Main thread only.
#pragma once

#include <cstdint>

#include "menus/screens/objective_view_screen.h"

// Set when the briefing is left; the level start clears it.  The player's
// pause and soldier-screen commands wait for it.
extern std::uint32_t g_BriefingSeen;

// The right hint of the briefing.
inline constexpr std::uint32_t kTextBriefingHint = 0x94194683;
// The interface sound of a page turn.
inline constexpr int kPageTurnSound = 20;

// A click area, screen pixels (left, right, top, bottom).
struct ArrowBox {
  float left = 0.0f, right = 0.0f, top = 0.0f, bottom = 0.0f;
  // Strictly inside.
  bool Contains(float x, float y) const { return x > left && x < right && y > top && y < bottom; }
};

class CBriefingMenu : public CObjectiveViewScreen {
 public:
  bool Create() override;
  void Populate() override;
  void OnEnter() override;
  void OnLeave(int nextId) override;
  int Update() override;
  void Draw() override;
  bool ZoomsOut(int /*nextId*/) override { return false; }
  std::uint32_t GetLeftHintTextId() override { return 0; }
  std::uint32_t GetRightHintTextId() override { return kTextBriefingHint; }

  bool PreviousTextPage() override;
  bool NextTextPage() override;
  const char* GetParagraphText(int n) override;

  // Where the paragraphs start, below the title and subtitle.
  std::int32_t ParagraphTop = 0;
  ArrowBox PreviousArrowBox, NextArrowBox;

 private:
  void DrawBriefingText();
  // The arrow's click box about a point (the cell is drawn turned a quarter).
  static ArrowBox ArrowBoxAt(float x, float y);
};

CMenuScreen* MakeBriefingMenu();
