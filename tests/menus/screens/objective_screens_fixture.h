// The bench of the briefing and objectives screens: the screen walking bench
// plus a map picture of four coloured quadrants in the script sprite set, a
// string layer of paragraphs made for the test, a mission record, and a
// mission plug-in table that records the events raised.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "menus/screens/screen_walk_fixture.h"

class CMission;

class ObjectiveScreensTest : public ScreenWalkTest {
 public:
  // The quadrant colours of the map picture (top-left, top-right,
  // bottom-left, bottom-right as drawn).
  static constexpr std::uint32_t kTopLeft = 0xFFE02020, kTopRight = 0xFF20E020, kBottomLeft = 0xFF2020E0,
                                 kBottomRight = 0xFFE0E020;
  // Cells of the map set: 0 the 128 x 128 quadrant picture, 1 a 165 x 100 one.
  static constexpr int kQuadrantPicture = 0, kWidePicture = 1;
  // Test strings: a title, a subtitle, short paragraphs, one paragraph that
  // fills more than one page, an empty one.
  static constexpr std::uint32_t kTitle = 0x7E570001, kSubtitle = 0x7E570002, kShortA = 0x7E570003,
                                 kShortB = 0x7E570004, kLong = 0x7E570005, kEmpty = 0x7E570006;
  static std::vector<std::pair<std::uint32_t, int>>& RaisedEvents();

 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Binds or unbinds the recording plug-in table.
  static void BindPlugin(bool bound);

  std::unique_ptr<CMission> mission_;
  static std::filesystem::path s_Folder;
  static std::string s_LayerPath;
};
