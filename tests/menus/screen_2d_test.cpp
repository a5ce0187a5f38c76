// The overlay transition: 500 ms each way, turned back mid-way from where it stands.
#include "menus/screen_2d.h"

#include <gtest/gtest.h>

#include "render/textures/texture_manager.h"

namespace {

std::uint32_t g_now = 1000;
std::uint32_t Now() { return g_now; }

class Screen2D : public ::testing::Test {
 protected:
  void SetUp() override {
    g_now = 1000;
    screen_.SetClock(Now);
  }
  CScreen2D screen_;
};

TEST_F(Screen2D, TransitionRisesAndFallsOver500Ms) {
  screen_.ToggleTransition();
  EXPECT_EQ(screen_.GetTransitionState(), CScreen2D::TRANSITION_RISING);
  g_now += 499;
  screen_.Update();
  EXPECT_EQ(screen_.GetTransitionState(), CScreen2D::TRANSITION_RISING);
  g_now += 1;
  screen_.Update();
  EXPECT_EQ(screen_.GetTransitionState(), CScreen2D::TRANSITION_ON);
  EXPECT_EQ(screen_.GetTransitionLevel(), 1.0f);
  screen_.ToggleTransition();
  EXPECT_EQ(screen_.GetTransitionState(), CScreen2D::TRANSITION_FALLING);
  g_now += 500;
  screen_.Update();
  EXPECT_EQ(screen_.GetTransitionState(), CScreen2D::TRANSITION_OFF);
}

TEST_F(Screen2D, AReversalMidWayTurnsBackFromWhereItStands) {
  screen_.ToggleTransition();
  g_now += 100;  // 20% up
  screen_.ToggleTransition();
  EXPECT_EQ(screen_.GetTransitionState(), CScreen2D::TRANSITION_FALLING);
  EXPECT_FLOAT_EQ(screen_.GetTransitionLevel(), 0.2f);
  g_now += 99;
  screen_.Update();
  EXPECT_EQ(screen_.GetTransitionState(), CScreen2D::TRANSITION_FALLING);
  g_now += 1;  // the remaining 100 ms bring it down
  screen_.Update();
  EXPECT_EQ(screen_.GetTransitionState(), CScreen2D::TRANSITION_OFF);
}

TEST_F(Screen2D, SetTransitionLeavesStatesAlreadyGoingThatWay) {
  struct Case {
    int from;  // number of toggles (0 off, 1 rising) and whether to let it settle
    bool settle;
    int set;
    int expected;
  } cases[] = {
      {0, false, 0, CScreen2D::TRANSITION_OFF},     {0, false, 1, CScreen2D::TRANSITION_RISING},
      {1, false, 1, CScreen2D::TRANSITION_RISING},  {1, false, 0, CScreen2D::TRANSITION_FALLING},
      {1, true, 1, CScreen2D::TRANSITION_ON},       {1, true, 0, CScreen2D::TRANSITION_FALLING},
      {2, true, 0, CScreen2D::TRANSITION_FALLING},  {2, false, 1, CScreen2D::TRANSITION_RISING},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " " << c.settle << " " << c.set);
    screen_.Reset();
    g_now = 1000;
    for (int i = 0; i < c.from; ++i) {
      if (i == 1) {
        g_now += 600;
        screen_.Update();
      }
      screen_.ToggleTransition();
    }
    if (c.settle && c.from == 1) {
      g_now += 600;
      screen_.Update();
    }
    screen_.SetTransition(c.set);
    EXPECT_EQ(screen_.GetTransitionState(), c.expected);
  }
}

TEST_F(Screen2D, NoiseTextureComesFromTheLibrary) {
  CTextureManager textures;
  screen_.ReloadNoiseTexture(nullptr);
  EXPECT_EQ(screen_.GetNoiseTexture(), nullptr);
  screen_.ReloadNoiseTexture(&textures);
  ASSERT_NE(screen_.GetNoiseTexture(), nullptr);
  EXPECT_EQ(screen_.GetNoiseTexture(), textures.FindByName("Noise"));
}

}  // namespace
