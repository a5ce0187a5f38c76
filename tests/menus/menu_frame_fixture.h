// The menus' test bench: a game window of a chosen size with its render
// object on SDL's offscreen driver, the start-up sprite sets and fonts made
// by the sprite tool, the game's string table, the input object fed by the
// window's messages, and fake clocks.  A test draws a frame between
// BeginFrame and EndFrame; EndFrame reads the whole picture back, and the
// region queries below answer questions about it (a colour at a point, the
// bounding box of pixels of a colour, ink inside a rectangle).  Input is
// pushed as real SDL events (platform/win32/event_injection.h).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "foundation/time/timer.h"
#include "platform/win32/win_types.h"

class CFont;
class CSpriteRender;
class CTextureManager;

// A rectangle of pixels, both edges inclusive; empty when x2 < x1.
struct PixelBox {
  int x1 = 0, y1 = 0, x2 = -1, y2 = -1;
  bool Empty() const { return x2 < x1 || y2 < y1; }
  int Width() const { return x2 - x1 + 1; }
  int Height() const { return y2 - y1 + 1; }
};
std::ostream& operator<<(std::ostream& out, const PixelBox& box);

class MenuFrameTest : public ::testing::Test {
 public:
  // The colour a cell of a start-up set is drawn in (from the recipes).
  static std::uint32_t CellColour(const std::string& sheet, int cell);
  // The suite's screen size.
  static int s_Width, s_Height;

 protected:
  // The window and screen size of the suite (a derived suite sets it in its
  // own SetUpTestSuite before calling StartSuite).
  static void StartSuite(int width, int height);
  static void SetUpTestSuite() { StartSuite(800, 600); }
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Delivers the queued window messages to the game window's procedure.
  static void Pump();
  // One frame: pump, move the fake time and both clocks on by ms, UpdateInput,
  // clear the target to the background and begin the scene.
  void BeginFrame(unsigned ms = 20);
  // Ends the scene, reads the picture back, AdvanceKeyStates.
  void EndFrame();
  // The pointer to a client point, and the left button down or up (each
  // delivered at once, so that a button goes down where the pointer is).
  static void MouseTo(int x, int y);
  static void MouseButton(bool down);
  // A frame that draws nothing of its own (input and clocks only).
  void IdleFrame(unsigned ms = 20) {
    BeginFrame(ms);
    EndFrame();
  }

  // Reads the picture back without a frame of the fixture's own (for code
  // that draws and presents by itself).
  void ReadBack();

  // --- The picture of the last frame --------------------------------------------
  std::uint32_t At(int x, int y) const;  // ARGB, 0 outside
  // Whether two colours differ by at most tolerance in each of red, green, blue.
  static bool Near(std::uint32_t a, std::uint32_t b, int tolerance = 6);
  // The box of every pixel for which the test holds, inside the region (the
  // whole screen when the region is empty).
  PixelBox Bounds(const std::function<bool(std::uint32_t)>& test, PixelBox region = {}) const;
  PixelBox BoundsOf(std::uint32_t colour, int tolerance = 6, PixelBox region = {}) const;
  // The number of such pixels.
  int Count(const std::function<bool(std::uint32_t)>& test, PixelBox region = {}) const;
  int CountOf(std::uint32_t colour, int tolerance = 6, PixelBox region = {}) const;
  // Pixels that are not the background.
  PixelBox InkBounds(PixelBox region = {}) const;
  // Colour `over` at alpha a on the background, as the device blends it.
  static std::uint32_t Blend(std::uint32_t over, int alpha, std::uint32_t under);


  static constexpr std::uint32_t kBackground = 0xFF000000;
  static HWND s_Window;
  static std::unique_ptr<CTextureManager> s_Textures;
  static std::string s_Recipes;
  std::unique_ptr<CTimer> gameClock_;
  std::unique_ptr<CTimer> realClock_;
  std::vector<std::uint32_t> pixels_;
  std::vector<std::string> boxes_;
};

// The fake time of the suite (performance counter and sleeps), in ms.
unsigned MenuFakeNowMs();
