// The loading slide show and the exit splash, drawn straight to the device
// and read back: the show's three pictures fade in on the squared ramp, stay,
// fade out and go black in their 5500 ms each after a 1000 ms lead, and the
// show is over 16,500 ms after its start with one black frame; a show
// without pictures, or with slides whose pictures could not be made, ends
// instead of hanging.  The splash shows its three pictures in turn, the
// last until a key, and Escape closes the program at once.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "control/input/input.h"
#include "menus/menu_frame_fixture.h"
#include "menus/screens/exit_splash.h"
#include "menus/screens/slide_show.h"
#include "platform/win32/clocks.h"
#include "platform/win32/event_injection.h"
#include "platform/win32/window.h"
#include "render/device/render.h"
#include "render/textures/texture_manager.h"
#include "shell/program/shell_state.h"
#include "world/engine.h"

namespace {

// The flat pictures the sprite tool makes for the exit splash, as R5G6B5
// textures keep them: red, green, blue.
constexpr const char* kRed = "startup/splash3.bmp";
constexpr const char* kGreen = "startup/splash1.bmp";
constexpr const char* kBlue = "startup/splash4.bmp";

class PictureSequences : public MenuFrameTest {
 protected:
  void SetUp() override {
    MenuFrameTest::SetUp();
    g_PersistentTextures = s_Textures.get();
    MainWindow = nullptr;
    ResetSplash();
  }
  void TearDown() override {
    ResetSplash();
    g_PersistentTextures = nullptr;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
    }
    MenuFrameTest::TearDown();
  }
  // The fake time moves on.
  static void Wait(unsigned ms) { Sleep(ms); }
  // The centre pixel of what was last presented.
  std::uint32_t Centre() {
    ReadBack();
    return At(s_Width / 2, s_Height / 2);
  }
  static int Channel(std::uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }
  static bool QuitPosted() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
  }
};

TEST_F(PictureSequences, TheShowsPicturesFadeOnTheSquaredRampAndTheShowEndsAt16500Ms) {
  const char* names[3] = {kRed, kGreen, kBlue};
  CSlideShow show;
  show.LoadPictures(names, 3);
  show.Start();
  // Full strength of each picture's own channel (read once it is drawn full).
  const struct {
    unsigned at;     // ms after the start
    int shift;       // the channel of the slide's colour (-1: black)
    float f;         // the ramp's value (alpha f x f)
    bool draws;      // whether this step presents a frame
  } steps[] = {
      {500, -1, 0.0f, false},   {1500, 16, 0.5f, true},  {3000, 16, 1.0f, true},  {3100, 16, 1.0f, false},
      {5000, 16, 0.5f, true},   {6000, -1, 0.0f, true},  {7000, 8, 0.5f, true},   {9000, 8, 1.0f, true},
      {12500, 0, 0.5f, true},   {14000, 0, 1.0f, true},  {16400, -1, 0.0f, true},
  };
  int full[3] = {0, 0, 0};
  // The full channels first, from a picture drawn at full strength.
  for (int i = 0; i < 3; ++i) {
    show.DrawSlide(i, 1.0f);
    full[i] = Channel(Centre(), 16 - 8 * i);
    ASSERT_GT(full[i], 120) << "picture " << i;
  }
  const unsigned start = MenuFakeNowMs();
  for (const auto& s : steps) {
    SCOPED_TRACE(s.at);
    Wait(start + s.at - MenuFakeNowMs());
    const int before = show.FramesDrawn();
    ASSERT_TRUE(show.Step());
    EXPECT_EQ(show.FramesDrawn() - before, s.draws ? 1 : 0);
    if (!s.draws) continue;
    const std::uint32_t c = Centre();
    if (s.shift < 0) {
      EXPECT_TRUE(Near(c, 0xFF000000, 2)) << std::hex << c;
    } else {
      const int expected = static_cast<int>(full[(16 - s.shift) / 8] * s.f * s.f);
      EXPECT_NEAR(Channel(c, s.shift), expected, 6);
    }
  }
  // 16,500 ms after the start the show is over: one black frame, then nothing.
  Wait(start + 16501 - MenuFakeNowMs());
  const int before = show.FramesDrawn();
  EXPECT_FALSE(show.Step());
  EXPECT_EQ(show.FramesDrawn() - before, 1);
  EXPECT_TRUE(Near(Centre(), 0xFF000000, 2));
  EXPECT_FALSE(show.Step());
  EXPECT_EQ(show.FramesDrawn() - before, 1);
  show.Finish();
  EXPECT_FALSE(show.Running());
}

TEST_F(PictureSequences, FinishRightAfterStartPlaysTheWholeShowOut) {
  const char* names[3] = {kRed, kGreen, kBlue};
  CSlideShow show;
  show.LoadPictures(names, 3);
  show.Start();
  const unsigned start = MenuFakeNowMs();
  show.Finish();
  EXPECT_GE(MenuFakeNowMs() - start, 16500u);
  EXPECT_LE(MenuFakeNowMs() - start, 16510u);
  EXPECT_FALSE(show.Running());
  EXPECT_EQ(show.Count(), 0);
}

TEST_F(PictureSequences, ShowsWithoutPicturesEndInsteadOfHanging) {
  // No slides at all: over at once.
  CSlideShow empty;
  empty.LoadPictures(nullptr, 0);
  empty.Start();
  EXPECT_FALSE(empty.Step());
  // Pictures whose files are missing keep their slides' time (a box each).
  const char* missing[3] = {"startup/NoSuchPicture.bmp", kGreen, "startup/NoSuchPicture2.bmp"};
  CSlideShow gaps;
  gaps.LoadPictures(missing, 3);
  for (const char* name : {"NoSuchPicture.bmp", "NoSuchPicture2.bmp", "splash1.bmp"}) {
    bool named = false;
    for (const std::string& box : boxes_) named = named || box.find(name) != std::string::npos;
    EXPECT_EQ(named, std::string(name).find("NoSuch") == 0) << name;
  }
  gaps.Start();
  const unsigned start = MenuFakeNowMs();
  gaps.Finish();
  EXPECT_GE(MenuFakeNowMs() - start, 16500u);
  // Slides whose picture objects could not be made are skipped: the show
  // ends after its lead instead of returning to the same slide for ever.
  CRender* render = g_Render;
  g_Render = nullptr;
  CSlideShow none;
  none.LoadPictures(missing, 3);
  g_Render = render;
  none.Start();
  const unsigned noneStart = MenuFakeNowMs();
  int steps = 0;
  while (none.Step() && steps < 1000) {
    Wait(10);
    ++steps;
  }
  EXPECT_LT(steps, 1000) << "the show never ended";
  EXPECT_LT(MenuFakeNowMs() - noneStart, 2000u);
}

// The splash names its pictures without a folder, as the catalog holds them.
class ExitSplash : public PictureSequences {
 protected:
  void SetUp() override {
    PictureSequences::SetUp();
    folder_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_ / "startup");
  }
  void TearDown() override {
    std::filesystem::current_path(folder_);
    PictureSequences::TearDown();
  }
  // Splash frames 100 ms apart for a while (the game clock takes at most
  // 500 ms a frame).
  static void Run(unsigned ms) {
    for (unsigned t = 0; t < ms; t += 100) {
      Wait(100);
      UpdateSplash();
      AdvanceKeyStates();
    }
  }
  std::filesystem::path folder_;
};

TEST_F(ExitSplash, ItsPicturesShowInTurnAndTheLastWaitsForAKey) {
  UpdateSplash();
  ASSERT_TRUE(SplashHasPicture());
  EXPECT_EQ(SplashPictureIndex(), 0);
  const int red = Channel(Centre(), 16);
  EXPECT_GT(red, 120) << "the first picture at full strength";
  // Just before its 4 s it stays; after them the second comes, fading in.
  Run(3800);
  EXPECT_EQ(SplashPictureIndex(), 0);
  Run(400);
  ASSERT_EQ(SplashPictureIndex(), 1);
  EXPECT_LT(SplashAlpha(), 0.5f);
  const float early = SplashAlpha();
  Run(300);
  EXPECT_GT(SplashAlpha(), early);
  EXPECT_GT(Channel(Centre(), 8), 20) << "green shows";
  EXPECT_LT(Channel(Centre(), 16), 40) << "the red picture is gone";
  // The second times out after 4 s; the third never does.
  Run(4000);
  EXPECT_EQ(SplashPictureIndex(), 2);
  Run(20000);
  EXPECT_EQ(SplashPictureIndex(), 2);
  EXPECT_EQ(SplashAlpha(), 1.0f);
  EXPECT_GT(Channel(Centre(), 0), 120) << "blue at full strength";
  EXPECT_FALSE(QuitPosted());
  // Space ends it: the program is asked to close.
  ASSERT_TRUE(Win32InjectKey(s_Window, "Space", true));
  Pump();
  UpdateSplash();
  AdvanceKeyStates();
  EXPECT_TRUE(QuitPosted());
  ASSERT_TRUE(Win32InjectKey(s_Window, "Space", false));
  Pump();
  EXPECT_FALSE(SplashHasPicture());
}

TEST_F(ExitSplash, EscapeDuringTheFirstPictureClosesAtOnce) {
  UpdateSplash();
  AdvanceKeyStates();
  ASSERT_TRUE(Win32InjectKey(s_Window, "Escape", true));
  Pump();
  Wait(100);
  UpdateSplash();
  AdvanceKeyStates();
  EXPECT_TRUE(QuitPosted());
  ASSERT_TRUE(Win32InjectKey(s_Window, "Escape", false));
  Pump();
  EXPECT_EQ(SplashPictureIndex(), 0);
  EXPECT_FALSE(SplashHasPicture());
}

}  // namespace
