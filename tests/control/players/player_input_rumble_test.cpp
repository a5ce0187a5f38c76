// The local player's input message (written and read with its widths, sent
// only when it changed) and the rumble patterns on a virtual game controller.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "control/input/input_window_fixture.h"
#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "control/players/player_input_msg.h"
#include "control/players/rumble_table.h"
#include "menus/screens/screen_manager.h"
#include "net/bits/bit_stream.h"
#include "platform/dinput8/virtual_controller.h"
#include "world/engine.h"

namespace {

PlayerInputMsg RoundTrip(PlayerInputMsg m, std::uint32_t* bits) {
  CBitStream s;
  EXPECT_TRUE(m.Write(s));
  *bits = s.GetBitCount();
  s.Begin(CBitStream::MODE_READ);
  std::uint32_t flag = 1, type = 0;
  s.ReadBits(&flag, 1);
  s.ReadBits(&type, 5);
  EXPECT_EQ(flag, 0u);
  EXPECT_EQ(type, 25u);
  PlayerInputMsg back;
  EXPECT_TRUE(back.Read(s));
  EXPECT_TRUE(s.IsReadAtEnd());
  return back;
}

TEST(PlayerInputMessage, FieldsTravelInTheirWidthsAndAnglesAreHeldInRange) {
  struct Case {
    float yaw, rotation;
    float yawBack, rotationBack, negatedBack;
  };
  const Case cases[] = {
      {359.95f, 12.34f, 359.9f, 12.3f, -12.3f},
      {-409.6f, -51.2f, -409.6f, -51.2f, 51.1f},
      {500.0f, 90.0f, 409.5f, 51.1f, -51.2f},  // held at the ends, not wrapped round
      {-1000.0f, -75.0f, -409.6f, -51.2f, 51.1f},
      {0.04f, -0.05f, 0.0f, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.yaw) + " " + std::to_string(c.rotation));
    PlayerInputMsg m;
    m.unitId = 201;
    m.controlBits = INPUT_FORWARD | INPUT_TURN_LEFT | INPUT_FIRST_PERSON;
    m.stance = 17;
    m.movementState = 250;
    m.yaw = c.yaw;
    m.rotation[0] = c.rotation;
    m.rotation[1] = -c.rotation;
    m.rotation[2] = 0.5f;
    m.flag = 1;
    std::uint32_t bits = 0;
    const PlayerInputMsg back = RoundTrip(m, &bits);
    EXPECT_EQ(bits, PlayerInputMsg::kBits);
    EXPECT_EQ(bits, 6u + 77u);
    EXPECT_EQ(back.unitId, 201u);
    EXPECT_EQ(back.controlBits, m.controlBits);
    EXPECT_EQ(back.stance, 17u);
    EXPECT_EQ(back.movementState, 250u);
    EXPECT_NEAR(back.yaw, c.yawBack, 1e-3);
    EXPECT_NEAR(back.rotation[0], c.rotationBack, 1e-3);
    EXPECT_NEAR(back.rotation[1], c.negatedBack, 1e-3);
    EXPECT_NEAR(back.rotation[2], 0.5f, 1e-3);
    EXPECT_EQ(back.flag, 1u);
  }
  // A flag word other than 1 goes as 0.
  PlayerInputMsg m;
  m.flag = 7;
  std::uint32_t bits = 0;
  EXPECT_EQ(RoundTrip(m, &bits).flag, 0u);
  // A received message cut short is refused.
  CBitStream s;
  s.Begin(CBitStream::MODE_WRITE);
  s.WriteBits(0, 1);
  s.WriteBits(25, 5);
  s.WriteBits(3, 8);
  s.End();
  s.Begin(CBitStream::MODE_READ);
  std::uint32_t skip = 0;
  s.ReadBits(&skip, 6);
  EXPECT_FALSE(ReceivePlayerInput(1, &s));
}

TEST(PlayerInputMessage, SameAsComparesEveryField) {
  PlayerInputMsg a;
  a.yaw = 10.0f;
  PlayerInputMsg b = a;
  EXPECT_TRUE(a.SameAs(b));
  b.rotation[2] = 0.1f;
  EXPECT_FALSE(a.SameAs(b));
  b = a;
  b.controlBits = INPUT_WALK;
  EXPECT_FALSE(a.SameAs(b));
}

class Rumble : public InputWindowTest {
 protected:
  void SetUp() override {
    InputWindowTest::SetUp();
    g_GameClock = gameClock_.get();
    ScreenId = 14;
    g_LocalPlayers.RemoveAll();
    pad_ = AttachVirtualController();
    BeginFrame();
    player_ = g_LocalPlayers.Add();
    player_->controllerSlot = 0;
  }
  void TearDown() override {
    g_LocalPlayers.RemoveAll();
    g_GameClock = nullptr;
    ScreenId = 0;
    InputWindowTest::TearDown();
  }
  // The pad's motor strength for a pattern's magnitudes at full envelope
  // (the input module's force: the left motor moved 5050 away from zero).
  static std::uint16_t Expected(std::int16_t left, std::int16_t right) {
    long force = left != 0 ? static_cast<long>(left / 32768.0f * 5000.0f) + 5050
                           : static_cast<long>(right / 32768.0f * 5000.0f);
    if (force > 10000) force = 10000;
    return static_cast<std::uint16_t>(std::lround(std::fabs(static_cast<double>(force)) / 10000.0 * 65535.0));
  }
  std::uint16_t Low() const { return GetVirtualControllerRumble(pad_).low; }
  int pad_ = 0;
  CLocalPlayer* player_ = nullptr;
};

TEST_F(Rumble, EveryPatternReachesThePadWithItsMagnitudes) {
  for (int n = 0; n < kRumblePatternCount; ++n) {
    SCOPED_TRACE(n);
    const RumblePattern& p = RumbleTable[n];
    const int before = GetVirtualControllerRumble(pad_).calls;
    player_->StartRumble(n, 1.0f);
    // Pulses are at their height half a period in.
    BeginFrame(p.envelope == 2 ? p.period / 2 : 0);
    EXPECT_GT(GetVirtualControllerRumble(pad_).calls, before);
    const auto left = static_cast<std::int16_t>(p.magnitudes & 0xFFFF);
    const auto right = static_cast<std::int16_t>(p.magnitudes >> 16);
    EXPECT_EQ(Low(), Expected(left, right));
    // Let it end before the next one.
    BeginFrame(p.duration + 1);
    BeginFrame(1);
    EXPECT_EQ(Low(), 0);
  }
  // -1 and patterns past the table do nothing.
  const int calls = GetVirtualControllerRumble(pad_).calls;
  player_->StartRumble(-1, 1.0f);
  player_->StartRumble(kRumblePatternCount, 1.0f);
  BeginFrame(0);
  EXPECT_EQ(Low(), 0);
  EXPECT_GE(GetVirtualControllerRumble(pad_).calls, calls);
}

TEST_F(Rumble, StrengthIsClampedAndAZeroStrengthPatternStillRunsItsTime) {
  player_->StartRumble(4, 2.5f);
  BeginFrame(0);
  EXPECT_EQ(Low(), 65535);
  BeginFrame(400);
  BeginFrame(1);
  player_->StartRumble(4, 0.5f);
  BeginFrame(0);
  EXPECT_EQ(Low(), Expected(static_cast<std::int16_t>(32767 * 0.5), 0));
  BeginFrame(400);
  BeginFrame(1);
  // At -1 the motors stay still, but the pattern holds its 300 ms.
  player_->StartRumble(4, -1.0f);
  BeginFrame(0);
  EXPECT_EQ(Low(), 0);
  JoystickEffectRequest lower;
  lower.right = 32767;
  lower.priority = 1;
  g_Input->StartJoystickEffect(lower, 0);
  BeginFrame(100);
  EXPECT_EQ(Low(), 0);
  BeginFrame(250);
  g_Input->StartJoystickEffect(lower, 0);
  BeginFrame(0);
  EXPECT_EQ(Low(), Expected(0, 32767));
}

TEST_F(Rumble, APriorityThreePatternIsNotCutByPriorityTwo) {
  player_->StartRumble(17, 1.0f);
  BeginFrame(0);
  const std::uint16_t explosion = Low();
  EXPECT_EQ(explosion, 65535);
  player_->StartRumble(0, 1.0f);
  player_->StartRumble(15, 1.0f);
  BeginFrame(0);
  EXPECT_EQ(Low(), explosion);
  // After its 2 s, a priority-2 pattern plays.
  BeginFrame(2001);
  player_->StartRumble(0, 1.0f);
  BeginFrame(0);
  EXPECT_EQ(Low(), Expected(0, 32767));
}

TEST_F(Rumble, NothingWhileThePauseHoldsTheWorldExceptOnTheOptionsScreen) {
  gameClock_->SetRunning(0);
  player_->StartRumble(4, 1.0f);
  BeginFrame(0);
  EXPECT_EQ(Low(), 0);
  ScreenId = 4;
  player_->StartRumble(4, 1.0f);
  BeginFrame(0);
  EXPECT_EQ(Low(), 65535);
  gameClock_->SetRunning(1);
}

TEST_F(Rumble, AStillClientBuildsTheSameMessageAndATurnChangesIt) {
  // Without a soldier the message carries only the player's own controls.
  const PlayerInputMsg still = player_->BuildInputState();
  EXPECT_TRUE(still.SameAs(player_->BuildInputState()));
  player_->TurnAxis = -0.5f;
  const PlayerInputMsg turning = player_->BuildInputState();
  EXPECT_FALSE(turning.SameAs(still));
  EXPECT_EQ(turning.controlBits & INPUT_TURN_LEFT, static_cast<std::uint32_t>(INPUT_TURN_LEFT));
  // Under the lobby screen nobody steers.
  ScreenId = 38;
  EXPECT_EQ(player_->BuildInputState().controlBits, 0u);
  ScreenId = 14;
  player_->ControlMode = CONTROL_FIRST_PERSON;
  player_->TurnAxis = 0.0f;
  EXPECT_EQ(player_->BuildInputState().controlBits, static_cast<std::uint32_t>(INPUT_FIRST_PERSON));
}

}  // namespace
