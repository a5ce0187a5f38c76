#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "foundation/time/frame_rate_meter.h"
#include "foundation/time/timer.h"
#include "platform/win32/clocks.h"

namespace {

// A hand-driven clock for the timers, in milliseconds.
class FakeClock : public ::testing::Test {
 protected:
  void SetUp() override {
    SetFakeClock([](void* ctx) -> LONGLONG { return *static_cast<LONGLONG*>(ctx) * 1000000; }, &nowMs_);
  }
  void TearDown() override { SetFakeClock(nullptr, nullptr); }
  void Advance(LONGLONG ms) { nowMs_ += ms; }
  LONGLONG nowMs_ = 100000;
};

using TimerTest = FakeClock;

TEST_F(TimerTest, AFixedFrameTimeStepsTheSameWhateverTheCounterReads) {
  CTimer timer;
  timer.SetFixedFrameTime(33);
  for (const LONGLONG raw : {0, 5, 400, 2000}) {
    Advance(raw);
    timer.Update();
  }
  EXPECT_EQ(timer.GetGameTime(), 4u * 33u);
  EXPECT_FLOAT_EQ(timer.GetFrameTime(), 0.033f);
  // Scaled and paused like any other frame.
  timer.SetTimeScale(0.5f);
  timer.Update();
  EXPECT_EQ(timer.GetGameTime(), 4u * 33u + 16u);
  timer.SetRunning(0);
  timer.Update();
  EXPECT_EQ(timer.GetGameTime(), 4u * 33u + 16u);
  // Back on the counter.
  timer.SetTimeScale(1.0f);
  timer.SetRunning(1);
  timer.SetFixedFrameTime(0);
  timer.Update();
  const std::uint32_t before = timer.GetGameTime();
  Advance(250);
  timer.Update();
  EXPECT_EQ(timer.GetGameTime(), before + 250u);
}

TEST_F(TimerTest, FramesAreScaledThenCappedAt500) {
  struct Case {
    float scale;
    LONGLONG raw;
    std::uint32_t advance;
  };
  const Case cases[] = {{1.0f, 2000, 500}, {0.5f, 800, 400}, {1.0f, 33, 33}, {2.0f, 300, 500}, {0.5f, 1500, 500}};
  for (const Case& c : cases) {
    CTimer timer;
    timer.SetTimeScale(c.scale);
    Advance(c.raw);
    timer.Update();
    EXPECT_EQ(timer.GetGameTime(), c.advance) << c.raw;
    EXPECT_FLOAT_EQ(timer.GetFrameTime(), c.advance / 1000.0f);
    EXPECT_EQ(timer.GetElapsedTime(), static_cast<std::uint32_t>(c.raw));
  }
}

TEST_F(TimerTest, TwoUpdatesInOneMillisecondOnlyCountTheFrame) {
  CTimer timer;
  Advance(20);
  timer.Update();
  CTimer::State before;
  timer.SaveState(&before);
  timer.Update();
  CTimer::State after;
  timer.SaveState(&after);
  EXPECT_EQ(after.frameCounter, before.frameCounter + 1);
  after.frameCounter = before.frameCounter;
  EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before));
}

TEST_F(TimerTest, PauseStopsGameTimeAndResumeRestoresTheFrameTime) {
  CTimer timer;
  Advance(40);
  timer.Update();
  EXPECT_EQ(timer.GetFrameTimeMs(), 40u);
  timer.SetRunning(0);
  Advance(100);
  timer.Update();
  EXPECT_EQ(timer.GetGameTime(), 40u);
  EXPECT_EQ(timer.GetFrameTimeMs(), 0u);
  EXPECT_FALSE(timer.IsRunning());
  timer.SetRunning(1);
  EXPECT_EQ(timer.GetFrameTimeMs(), 40u);
  EXPECT_FLOAT_EQ(timer.GetFrameTime(), 0.04f);
  Advance(10);
  timer.Update();
  EXPECT_EQ(timer.GetGameTime(), 50u);  // no jump for the paused time
}

TEST_F(TimerTest, RampEndsExactlyAtItsTarget) {
  CTimer timer;
  timer.SetTimeScale(1.0f);
  timer.RampTimeScale(0.25f, 2.0f);
  for (int i = 0; i < 50 && timer.IsRamping(); ++i) {
    Advance(100);
    timer.Update();
    EXPECT_GE(timer.GetTimeScale(), 0.25f);
  }
  EXPECT_FALSE(timer.IsRamping());
  EXPECT_EQ(timer.GetTimeScale(), 0.25f);
  timer.RampTimeScale(1.0f, 3.0f);
  for (int i = 0; i < 50 && timer.IsRamping(); ++i) {
    Advance(100);
    timer.Update();
    EXPECT_LE(timer.GetTimeScale(), 1.0f);
  }
  EXPECT_EQ(timer.GetTimeScale(), 1.0f);
  timer.RampTimeScale(0.5f, 1.0f);
  timer.SetTimeScale(2.0f);
  EXPECT_FALSE(timer.IsRamping());
}

TEST_F(TimerTest, CyclePhaseAndClockParts) {
  CTimer timer;
  Advance(374);
  timer.Update();
  EXPECT_EQ(timer.GetCyclePhase(750, 2), 0u);
  Advance(1);
  timer.Update();
  EXPECT_EQ(timer.GetCyclePhase(750, 2), 1u);
  Advance(375);
  timer.Update();
  EXPECT_EQ(timer.GetCyclePhase(750, 2), 0u);  // 750: a new cycle
  EXPECT_EQ(timer.GetCyclePhase(0, 2), 0u);
  // Game time 3 h 2 min 5.25 s, reached in 500 ms steps.
  CTimer clock;
  std::uint32_t target = clock.ToTicks(3, 2, 5, 250);
  EXPECT_EQ(target, 10925250u);
  for (std::uint32_t t = 0; t < target; t += 500) {
    Advance(500);
    clock.Update();
  }
  clock.SubtractFromGameTime(clock.GetGameTime() - target);
  Advance(1);
  clock.SetRunning(0);
  clock.Update();
  EXPECT_EQ(clock.GetHours(), 3u);
  EXPECT_EQ(clock.GetMinutes(), 2u);
  EXPECT_EQ(clock.GetSeconds(), 5u);
  EXPECT_EQ(clock.GetMilliseconds(), 250u);
  std::uint32_t h, m, s, ms;
  CTimer::SplitMilliseconds(10925250u, &h, &m, &s, &ms);
  EXPECT_EQ(h, 3u);
  EXPECT_EQ(m, 2u);
  EXPECT_EQ(s, 5u);
  EXPECT_EQ(ms, 250u);
  CTimer::SplitMilliseconds(61001, nullptr, &m, nullptr, nullptr);
  EXPECT_EQ(m, 1u);
}

TEST_F(TimerTest, AverageMinMaxAndSavedState) {
  CTimer timer;
  for (int i = 0; i < 30; ++i) {
    Advance(i % 2 ? 10 : 30);
    timer.Update();
  }
  EXPECT_NEAR(timer.GetAverageFrameTime(), 0.02f, 1e-5f);
  EXPECT_EQ(timer.GetMinFrameTime(), 10u);
  EXPECT_EQ(timer.GetMaxFrameTime(), 30u);
  EXPECT_FLOAT_EQ(timer.GetFramesPerSecond(), 100.0f);
  CTimer::State saved;
  timer.SaveState(&saved);
  Advance(100);
  timer.Update();
  timer.RestoreState(saved);
  EXPECT_EQ(timer.GetGameTime(), 600u);
  timer.AddToStartTime(50);
  Advance(10);
  timer.Update();
  EXPECT_EQ(timer.GetElapsedTime(), 600u + 100u + 10u - 50u);
}

TEST_F(TimerTest, MinMaxResetWhenEnabled) {
  CTimer timer;
  timer.EnableMinMaxReset(true);
  Advance(400);
  timer.Update();
  EXPECT_EQ(timer.GetMaxFrameTime(), 400u);
  for (int i = 0; i < 11; ++i) {
    Advance(450);
    timer.Update();
  }
  // This update took game time past 5000 ms: the extremes started over.
  EXPECT_EQ(timer.GetMaxFrameTime(), 0u);
  EXPECT_EQ(timer.GetMinFrameTime(), 0xFFFFFFFFu);
  Advance(450);
  timer.Update();
  EXPECT_EQ(timer.GetMaxFrameTime(), 450u);
}

using FrameRateMeterTest = FakeClock;

TEST_F(FrameRateMeterTest, SmoothsTowardTheMeasuredRate) {
  CFrameRateMeter meter;
  meter.SetNominalRate(60.0f);
  EXPECT_EQ(meter.GetTicksPerStep(), 1000000000LL / 60);
  Advance(10);  // 100 per second
  meter.Update();
  EXPECT_FLOAT_EQ(meter.GetRate(), 100.0f * 0.25f + 60.0f * 0.75f);
  EXPECT_FLOAT_EQ(meter.GetPeriod(), 1.0f / meter.GetRate());
  float rate = meter.GetRate();
  meter.Update();  // the counter has not moved
  EXPECT_EQ(meter.GetRate(), rate);
  for (int i = 0; i < 40; ++i) {
    Advance(100000);  // very slow steps
    meter.Update();
  }
  EXPECT_EQ(meter.GetRate(), 1.0f);
}

}  // namespace
