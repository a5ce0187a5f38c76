// The bench for walking the game's screens with keys: the menus' frame bench
// plus a control mapper with the demo key bindings and one local player whose
// action states the screens' input checks read.  A frame runs the game's
// order (input, the players' sampling, the current screen's update, the
// menus' drawing); keys are pushed as real window events.
#pragma once

#include <cstdint>

#include "menus/menu_frame_fixture.h"

// The control mapper with the demo key bindings and one local player; for a
// test that needs them without the whole bench.  Undone by RemoveKeyPlayer.
void AddKeyPlayer();
void RemoveKeyPlayer();

class ScreenWalkTest : public MenuFrameTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // One frame of the menus, of the suite's step: update then draw.  Answers
  // the update's result.
  int Frame() { return Frame(frameMs_); }
  int Frame(unsigned ms);
  // Frames (of the suite's step) until a screen change is over.
  void Settle(int frames = 25);
  // Opens a screen and lets its transition end.
  void Go(int id);
  // A key (SDL name) pressed for one frame then released, and `framesAfter`
  // frames more; the result of the frame it went down in.
  int Press(const char* key, int framesAfter = 2);
  // For screens whose changes take longer steps than the suite's own (their
  // zoom, leave and entry steps): 20 frames of 40 ms; a screen opened and
  // settled that way; a key down for one frame of the suite's step, then up
  // while any screen change or capture it started plays out.
  void SettleLong();
  void OpenLong(int id);
  void PressLong(const char* key);
  // The box of a row of the current screen's menu (empty when not shown).
  PixelBox Row(int r) const;

  // Text in the highlight colour (white, pulsing) and in the row colour (yellow).
  static bool Whitish(std::uint32_t c);
  static bool Yellowish(std::uint32_t c);

  // The suite's frame step in ms.
  unsigned frameMs_ = 20;
};
