#include "control/commands/player_move_step.h"

#include <cmath>

#include "control/players/local_player.h"
#include "foundation/system/not_built_yet.h"
#include "units/soldier/grunt.h"
#include "units/soldier/soldier_state_tables.h"
#include "world/environment/env_instance.h"

namespace {

constexpr float kDegreesToRadians = 3.14159265358979f / 180.0f;

}  // namespace

void StepPlayerSoldierMove(CLocalPlayer* player, float dt) {
  if (player == nullptr || dt <= 0.0f) return;
  CHLOGrunt* s = player->Soldier;
  if (s == nullptr || s->vehicle != nullptr || s->health <= 0.0f || s->IsOnLadder()) return;
  {
    static const bool said = (NotBuiltYet("soldier move step: the player's walk stands in for it"), true);
    (void)said;
  }
  CVector3 rotation{};
  s->GetRotation(rotation);
  const float turn = player->TurnAxis;
  if (turn != 0.0f) {
    float rate = s->GetTurnRate();
    if (rate <= 0.0f) rate = 180.0f;
    rotation.y = std::fmod(rotation.y + turn * rate * dt + 360.0f, 360.0f);
    s->SetRotation(rotation);
  }
  // The state's speed; its sign and direction come from the controls (a
  // state row's speed is positive, its reverse speed separate).
  const float speed = MovementStateRowOf(s->movementState).Speed * s->moveSpeedFactor;
  const float forward = -player->ForwardAxis;  // FORWARD reads negative
  const float strafe = player->StrafeAxis;
  if (speed <= 0.0f || (forward == 0.0f && strafe == 0.0f)) return;
  const float yaw = rotation.y * kDegreesToRadians;
  const CVector3 ahead{std::sin(yaw), 0.0f, std::cos(yaw)};
  const CVector3 right{std::cos(yaw), 0.0f, -std::sin(yaw)};
  float fx = ahead.x * forward + right.x * strafe;
  float fz = ahead.z * forward + right.z * strafe;
  const float length = std::sqrt(fx * fx + fz * fz);
  if (length > 1.0f) {
    fx /= length;
    fz /= length;
  }
  CVector3 position = s->GetPosition();
  position.x += fx * speed * dt;
  position.z += fz * speed * dt;
  if (s->Instance != nullptr) s->Instance->SetPosition(position, true);
}
