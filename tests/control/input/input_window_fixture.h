// A game window whose procedure feeds key and mouse messages and activation
// to the program's input object, as the shell's window procedure does, on
// SDL's offscreen driver; fake clocks and a fake sleep make every wait
// bounded.  Tests push real SDL events (event_injection.h, virtual pads) and
// run frames.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "control/input/input.h"
#include "foundation/time/timer.h"
#include "platform/win32/win_types.h"

class InputWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Delivers every queued window message to the window procedure.
  static void Pump();
  // One frame's input: pump the messages, step the clocks by `ms`, UpdateInput.
  void BeginFrame(unsigned ms = 20);
  // The end of the frame: AdvanceKeyStates.
  static void EndFrame();
  // Moves the fake time on (the performance counter and timeGetTime).
  static void Advance(unsigned ms);
  static unsigned NowMs();

  HWND window_ = nullptr;
  std::unique_ptr<CTimer> gameClock_;
  std::unique_ptr<CTimer> realClock_;
};
