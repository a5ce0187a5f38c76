// The units demo level loaded the way the program loads a level, for the
// tests that need the whole of it: the engine started on the offscreen
// device, the game's modules, the game's object factory, the stats tables
// and state-rule files the tools made, the level's animation slots filled
// from the ANIM lines of its load list "Units.loa", the environment
// "Units.env" loaded through the level loader, and the units' level steps.
// Frames run on a fixed 33 ms game clock.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/win_types.h"
#include "test_support/registry_folder_test.h"

class CHLOGrunt;
class CUnit;

class UnitsLevelTest : public RegistryFolderTest {
 protected:
  UnitsLevelTest() : RegistryFolderTest("halberd_units_level_") {}
  void SetUp() override;
  void TearDown() override;

  // Runs `frames` frames of the world and the scheduler.
  void RunFrames(int frames);
  // The soldiers of a side (-1: every side), active and inactive.
  std::vector<CHLOGrunt*> Soldiers(int side = -1) const;

  HWND window_ = nullptr;
  bool loaded_ = false;
  int levelBoxes_ = 0;      // message boxes shown while the level loaded
  int slotsFilled_ = 0;     // animation slots the load list filled
  std::vector<std::string> boxes_;
};
