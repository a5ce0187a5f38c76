// The local player and its soldier: attaching, switching between squad
// members, the death watch, the stance key, and the fixed order of a frame's
// control of the soldier.
#include <cmath>
#include <cstdint>

#include "control/bindings/input_action.h"
#include "control/commands/player_move_step.h"
#include "control/commands/stance_key.h"
#include "control/input/input.h"
#include "control/keymap/key_map.h"
#include "control/player_camera.h"
#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "control/players/squad_order.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/time/timer.h"
#include "menus/screens/screen_manager.h"
#include "shell/level/mission_plugin.h"
#include "sound/sound_manager.h"
#include "units/soldier/grunt.h"
#include "world/cameras/movie_camera.h"
#include "world/effects/explosions.h"
#include "world/engine.h"

namespace {

#define LATER(what)                                     \
  do {                                                  \
    static const bool said = (NotBuiltYet(what), true); \
    (void)said;                                         \
  } while (false)

constexpr std::uint32_t kMissionSwitchQuery = 43;
constexpr int kSwitchSound = 16;
constexpr std::uint32_t kDeathSlowMotionMs = 5000;
constexpr std::uint32_t kJustDiedMs = 3000;
constexpr int kLeftCtrlKey = 29;

std::uint32_t GameNow() { return g_GameClock ? g_GameClock->GetGameTime() : 0; }

void PlaySwitchSound() {
  if (g_SoundManager != nullptr && InterfaceSoundBank() != nullptr)
    g_SoundManager->PlayEventSingle(InterfaceSoundBank(), kSwitchSound);
}

// The mission's say on a switch: its answer word starts at 0 and a plug-in
// allows by setting it; without a plug-in the question is skipped.
bool MissionAllowsSwitch() {
  if (!MissionPluginBound()) return true;
  std::int32_t block[1] = {0};
  RaiseMissionEvent(kMissionSwitchQuery, block, 1);
  return block[0] != 0;
}

}  // namespace

bool CLocalPlayer::IsControllable() const { return Soldier != nullptr && Soldier->Can(5) != 0; }

void CLocalPlayer::SetControlMode(int mode) {
  if (!IsControllable()) return;
  if (ControlMode == CONTROL_AI && mode != CONTROL_AI) {
    Soldier->desiredHeadRotation = {};
    Soldier->leader = nullptr;
    if (Soldier->action == 3) Soldier->action = 1;
    if (Soldier->order == 0) Soldier->order = 1;
  }
  ControlMode = mode;
}

void CLocalPlayer::AttachToGrunt(CHLOGrunt* soldier) {
  if (soldier == Soldier) return;
  if (camera != nullptr && camera->GetManager() != nullptr && camera->GetCamera() >= 0)
    camera->GetManager()->SetFieldOfView(camera->GetCamera(), 70.0f);
  CHLOGrunt* old = Soldier;
  if (old != nullptr) old->player = nullptr;
  if (soldier == nullptr) {
    Soldier = nullptr;
    contextAction = 0;
    return;
  }
  if (old != nullptr) {
    // The old soldier goes back to its own steering.
    old->inputBits = 0;
    old->interactionPartner = nullptr;
    old->interactionStart = 0;
  }
  Soldier = soldier;
  soldier->player = this;
  if (camera != nullptr) camera->SetTarget(soldier);
  contextAction = 0;
}

namespace {

// The conditions of a soldier this player may take at level start
// (`needFree`: no other player has it).
bool Candidate(CHLOGrunt* s, bool needFree) {
  if (s == nullptr) return false;
  if (!(s->health > 0.0f || s->IsRecentlyDead())) return false;
  if (s->Can(5) == 0) return false;
  if (needFree && s->player != nullptr) return false;
  if ((s->Flags & HLOF_STAYS_HIDDEN) != 0) return false;
  return true;
}

}  // namespace

void CLocalPlayer::AttachToFirstSquadMember() {
  if (camera == nullptr && bindingRow >= 0 && bindingRow < kPlayerCameraSlots) camera = g_PlayerCameras[bindingRow];
  CHLOGrunt* best = nullptr;
  int bestPosition = 4;
  for (CHLOGrunt* s : SquadSoldiers()) {
    if (!Candidate(s, true)) continue;
    const int position = SquadPositionOf(s);
    if (position < bestPosition) {
      best = s;
      bestPosition = position;
    }
  }
  AttachToGrunt(best);
}

bool CLocalPlayer::HasControllableUnit() const {
  for (CHLOGrunt* s : SquadSoldiers())
    if (Candidate(s, false) && SquadPositionOf(s) != 255) return true;
  return false;
}

CHLOGrunt* CLocalPlayer::FindOtherLivingSquadMember() const {
  for (CHLOGrunt* s : SquadSoldiers())
    if (s != Soldier && s->health > 0.0f && SquadPositionOf(s) < 4) return s;
  return nullptr;
}

namespace {

// The part of a switch that is the same for both kinds.
void TakeOver(CLocalPlayer* p, CHLOGrunt* next) {
  CHLOGrunt* old = p->Soldier;
  if (old != nullptr) {
    // The old soldier holds the place it was left in.
    old->basePosition = old->GetPosition();
    old->GetRotation(old->baseRotation);
    old->baseStance = old->stance;
  }
  if (p->ControlMode == CONTROL_FIRST_PERSON) {
    LATER("leaving the first-person view on a switch");
    p->headView = 0;
  }
  p->switchDeadline = 0;
  if (g_GameClock != nullptr) g_GameClock->SetTimeScale(1.0f);
  p->ControlMode = CONTROL_AI;
  p->AttachToGrunt(next);
  next->interactionPartner = nullptr;
  next->interactionStart = 0;
}

}  // namespace

int CLocalPlayer::SwitchToSquadMember(int n) {
  if (!MissionAllowsSwitch()) return 0;
  CHLOGrunt* next = SquadSoldierAt(n);
  if (next == nullptr || next->IsDeadAndExpired() || next == Soldier) return 0;
  TakeOver(this, next);
  return 1;
}

int CLocalPlayer::SwitchToAdjacent(bool backwards, bool allowDying) {
  if (Soldier == nullptr) return 0;
  CHLOGrunt* next = StepSquadSoldier(Soldier, backwards, allowDying);
  if (next == nullptr || next == Soldier) return 0;
  if (!MissionAllowsSwitch()) return 0;
  TakeOver(this, next);
  return 1;
}

void CLocalPlayer::CheckDeath() {
  if (Soldier == nullptr) return;
  const std::uint32_t now = GameNow();
  if (Soldier->health <= 0.0f && now - Soldier->deathTime < kJustDiedMs && switchDeadline == 0)
    switchDeadline = now + kDeathSlowMotionMs;
  if (Soldier->IsDeadAndExpired()) switchDeadline = now - 1;
  if (switchDeadline == 0) return;
  if (static_cast<std::int32_t>(now - switchDeadline) < 0) {
    if (g_GameClock != nullptr && g_GameClock->GetTimeScale() > 0.25f) g_GameClock->SetTimeScale(0.25f);
    return;
  }
  if (SwitchToAdjacent(false, false)) PlaySwitchSound();
}

void CLocalPlayer::StanceKey() {
  if (ControlMode == CONTROL_AI || Soldier == nullptr) return;
  StanceKeyState state{waitForStanceRelease, static_cast<std::uint8_t>(stanceKeyConsumed != 0)};
  StanceKeyInput in;
  in.Down = (actionStates[STANCE] & ACTION_STATE_DOWN) != 0;
  in.Released = (actionStates[STANCE] & ACTION_STATE_RELEASED) != 0;
  in.DownTime = actionDownTimes[STANCE];
  in.Now = GameNow();
  in.OrderDown = (actionStates[ORDER] & ACTION_STATE_DOWN) != 0;
  in.Stance = Soldier->stance;
  in.InVehicle = Soldier->vehicle != nullptr;
  const int request = StanceKeyStep(in, &state);
  waitForStanceRelease = state.WaitForRelease;
  stanceKeyConsumed = state.Consumed;
  if (request != kNoStanceRequest) Soldier->RequestStance(request, 0);
}

void CLocalPlayer::StanceSpeedStepCommand() {
  if (ControlMode == CONTROL_AI || Soldier == nullptr) return;
  const bool ctrl = (controllerFlags & CONTROLLER_KEYBOARD_MOUSE) && g_Input != nullptr && g_Input->IsKeyDown(kLeftCtrlKey);
  const bool aimable = Soldier->Can(18) != 0;
  const int request = StanceSpeedStep(Soldier->stance, StrafeAxis, ForwardAxis, ctrl, aimable);
  if (request != kNoStanceRequest) Soldier->RequestStance(request, 1);
}

void CLocalPlayer::SwitchKeys() {
  if ((actionStates[ORDER] & ACTION_STATE_DOWN) || OrderPopup) return;
  int switched = 0;
  if (actionStates[NEXT_GRUNT] & ACTION_STATE_PRESSED) switched = SwitchToAdjacent(false, true);
  else if (actionStates[PREV_GRUNT] & ACTION_STATE_PRESSED) switched = SwitchToAdjacent(true, true);
  else if (!GetDebugMappings()) {
    for (int n = 1; n <= 4 && !switched; ++n)
      if (actionStates[GRUNT_1 + n - 1] & ACTION_STATE_PRESSED) switched = SwitchToSquadMember(n);
  }
  if (switched) PlaySwitchSound();
}

void CLocalPlayer::ProcessControl() {
  if (Soldier == nullptr || !IsWorldRunning()) return;
  LATER("pause, objectives and briefing keys of the local player");
  if (IsGamePaused()) return;
  if (!GiveTakePopup) contextAction = 0;
  LATER("inventory key and pop-ups of the local player");
  if (InventoryPopup) return;
  if (OrderPopup) {
    CheckDeath();
    if (Soldier != nullptr && Soldier->health > 0.0f) {
      StanceKey();
      LATER("order commands, aiming and GO of the local player");
    }
    return;
  }
  if (GiveTakePopup || VehiclePopup) return;
  CheckDeath();
  if (Soldier != nullptr && Soldier->health > 0.0f) {
    StanceKey();
    StanceSpeedStepCommand();
    LATER("context actions, GO, targets, orders and aiming of the local player");
    if (ControlMode != CONTROL_AI) StepPlayerSoldierMove(this, g_GameClock ? g_GameClock->GetFrameTime() : 0.0f);
  }
  SwitchKeys();
}
