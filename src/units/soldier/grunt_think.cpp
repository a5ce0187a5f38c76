// The soldier's think and move step: the two state steps, the flee check,
// control by the network, a local player or the AI, the movement, and the
// publishing of the result to the instance.  Steps whose work belongs to
// later parts (the collision move, surfaces, statistics, the light grid,
// switch plates, the stuck meter, listeners and the view probe) are reached
// in their place and report themselves.
#include <cfloat>
#include <cmath>

#include "foundation/system/not_built_yet.h"
#include "net/mp_layer.h"
#include "units/base/unit_world.h"
#include "units/soldier/grunt.h"
#include "units/soldier/grunt_frame_links.h"
#include "world/animation/anim_object.h"
#include "world/environment/env_instance.h"

namespace {

constexpr float kDegreesToRadians = 3.14159265358979f / 180.0f;
constexpr float kSlowSurfaceSpeed = 300.0f;
constexpr int kCapabilityPlayer = 1;

void Later(const char* step, const char* what) {
  GruntTraceStep(step);
  NotBuiltYet(what);
}

float Reduce(float heading) {
  float r = std::fmod(heading, 360.0f);
  if (r < 0.0f) r += 360.0f;
  return r;
}

bool GunnerState(int state) { return state == 67 || state == 68 || state == 74; }

bool Differs(const CVector3& a, const CVector3& b) { return a.x != b.x || a.y != b.y || a.z != b.z; }

}  // namespace

void CHLOGrunt::RequestFlee(const CVector3& danger) {
  if (Can(kCapabilityPlayer) != 0 || order == LEGGING_IT) return;
  fleeRequest = 1;
  dangerPoint = danger;
}

void CHLOGrunt::HeadStraightTo(const CVector3& point) {
  SetDestination(point);
  action = ACTION_FOLLOW_ROUTE;
  actionTime = UnitGameTime();
  NotBuiltYet("routes: the movement controller's goal point");
}

void CHLOGrunt::CheckFlee() {
  if (order == LEGGING_IT || Can(kCapabilityPlayer) != 0 || fleeRequest == 0) return;
  fleeRequest = 0;
  if (health <= 0.0f) return;
  if (vehicle != nullptr) {
    NotBuiltYet("vehicles: fleeing from a vehicle");
    return;
  }
  if ((Flags & 16) && !IsFriendly()) return;
  const bool localSide = Side == g_HLOLocalSide;
  bool mayFlee = false;
  if (!localSide && (order == HUNT_ENEMY || order == HUNT_ENEMY_PERSISTENTLY) && action == ACTION_TURN_ON_SPOT_TO_FACE_TARGET)
    mayFlee = true;
  if (IsFriendly() && ((order == HOLD_POSITION_AND_LOOK_FOR_TARGETS && action == ACTION_TURN_ON_SPOT_TO_FACE_TARGET) ||
                       (order == FOLLOW_LEADER && action == ACTION_TURN_ON_SPOT_TO_LEADERS_ORIENTATION) ||
                       (order == HOLD_POSITION && action == ACTION_HOLD_POSITION)))
    mayFlee = true;
  if (!mayFlee) return;
  // Without an escape-point search (or when it gives no point at all) the
  // soldier does not flee: heading for an unwritten point would send it
  // anywhere.
  CVector3 point{};
  bool havePoint = false;
  if (GruntLinks().FindEscapePoint == nullptr) {
    NotBuiltYet("retreat points: the escape-point search");
    return;
  }
  const int found = GruntLinks().FindEscapePoint(this, dangerPoint, &point, &havePoint);
  if (!havePoint) return;
  if (!found) {
    HeadStraightTo(point);
    order = LEGGING_IT;
    orderTime = UnitGameTime();
    return;
  }
  NotBuiltYet("routes: a route to the escape point");
}

void GruntThink(CHLOGrunt* s) {
  const bool player = s->Can(kCapabilityPlayer) != 0;
  const float dt = UnitFrameTime();
  // 1.
  GruntTraceStep("read position");
  const CVector3 start = s->GetPosition();
  CVector3 startRotation{};
  s->GetRotation(startRotation);
  startRotation.y = Reduce(startRotation.y);
  CVector3 position = start;
  CVector3 rotation = startRotation;
  // 2.-4.
  GruntTraceStep("StepMovementState");
  s->StepMovementState(&position, &rotation);
  GruntTraceStep("StepUpperBodyState");
  s->StepUpperBodyState();
  GruntTraceStep("PlayUpperBodyAnim");
  s->PlayUpperBodyAnim();
  GruntTraceStep("UpdateMoveSpeed");
  s->UpdateMoveSpeed(MovementStateRowOf(s->movementState).SecondSpeed);
  // 5.
  GruntTraceStep("CheckFlee");
  s->CheckFlee();
  // 6. Control.
  CVector3 aimPoint{}, wantedAngles{};
  if (UnitNetworkGame() && MPGetSessionState() == MPS_PLAYING && !UnitIsHost() && !player) {
    Later("network drive step", "soldier network drive step");
  } else if (player) {
    if (s->vehicle == nullptr) Later("player movement step", "soldier player movement step (control's walk stands in)");
    else if (GunnerState(s->movementState)) Later("SteerTurretByPlayer", "vehicles: a player steering the turret");
  } else if (s->vehicle == nullptr) {
    GruntTraceStep("GruntActionStep");
    GruntActionStep(s, &position, &rotation, &aimPoint, &wantedAngles);
  } else {
    Later("GunnerScanStep", "turret gunner scan step");
  }
  // 7.
  if (!player) {
    GruntTraceStep("ResetAnimSpeed");
    s->ResetAnimSpeed();
  }
  if (s->vehicle != nullptr && GunnerState(s->movementState)) Later("UpdateGunnerPose", "turret gunner pose");
  CVector3 direction{};
  if (s->vehicle != nullptr) {
    // 8. Riding: the vehicle carries the soldier.
    Later("vehicle link", "vehicles: the soldier's link to its vehicle");
  } else {
    // 9. The movement direction and the movement.
    GruntTraceStep("movement direction");
    float speed = s->speed;
    const MovementStateRow& row = MovementStateRowOf(s->movementState);
    if (s->IsOnLadder()) {
      direction = CVector3{0.0f, row.YawOffset == 180.0f ? -1.0f : 1.0f, 0.0f};
    } else if (speed != 0.0f) {
      const float heading = Reduce(rotation.y + row.YawOffset) * kDegreesToRadians;
      direction = CVector3{std::sin(heading), 0.0f, std::cos(heading)};
    }
    if (s->specialSurface && speed > kSlowSurfaceSpeed) speed = kSlowSurfaceSpeed;
    // The player's soldier is walked by the player's controls for now.
    if (!player && speed != 0.0f) {
      position.x += direction.x * speed * dt;
      position.y += direction.y * speed * dt;
      position.z += direction.z * speed * dt;
    }
    // 10. Doors on an AI soldier's route (flag 0x02 reads "closed").
    if (!player && s->action == ACTION_FOLLOW_ROUTE) Later("route doors", "routes: closed doors opened on a route");
    // 11. The collision shape and the velocity.
    GruntTraceStep("UpdateCollisionShape");
    s->UpdateCollisionShape();
    s->velocityDirection = direction;
    s->moveController.SetVelocity(CVector3{direction.x * speed, direction.y * speed, direction.z * speed});
    // 12. The body's ground fit.
    if (row.Class == 0 || s->health <= 0.0f) {
      GruntTraceStep("FitBodyToGround");
      if (s->FitBodyToGround() == 1) NotBuiltYet("ground: the marker instance in the collision list");
      if (Differs(position, start)) s->movedThisFrame = 1;
    } else {
      s->bodyTilt[0] = s->bodyTilt[1] = 0.0f;
    }
    // 13. The controller's mask and state.
    GruntTraceStep("controller mask");
    s->collisionMask = !s->IsFriendly() ? 0x400u : (player ? 0x1800u : 0x800u);
    s->moveController.SetState(s->IsOnLadder() ? 0u : 1u);
  }
  // 14.
  if (!(UnitIsClient() && MPGetSessionState() == MPS_PLAYING)) Later("ground step", "soldier ground step: the collision move");
  // 15.
  Later("surface", "soldier surface look-up");
  Later("UpdateBreathing", "soldier breathing");
  // 16. Step-over.
  if (s->vehicle == nullptr) {
    const MovementStateRow& row = MovementStateRowOf(s->movementState);
    if (row.Class == 2 && s->stance == STANCE_WALK && s->speed > 0.0f) {
      GruntTraceStep("TryStepOver");
      s->TryStepOver(direction);
    } else if (s->moveController.IsOnGroundIdle()) {
      s->stepOverPending = 0;
    }
  }
  // 17.-18.
  if (!UnitNetworkGame()) Later("statistics", "game statistics: the distance a soldier moved");
  Later("light grid", "soldier lights from the light grid");
  // 19. Fall height and the unit flag 0x2.
  GruntTraceStep("fall word");
  if (s->fallHeight >= 100.0f) s->unitFlags &= ~UNITF_RESET_MARK;
  else s->unitFlags |= UNITF_RESET_MARK;
  // 20. Switch plates.
  Later("switch plate", "soldier switch plates");
  // 21. The instance moves.
  GruntTraceStep("move instance");
  if (s->Instance != nullptr && Differs(position, start)) s->Instance->SetPosition(position, true);
  Later("UpdateStuckMeter", "routes: the stuck meter");
  // 22. The rotation and the pose.
  GruntTraceStep("SetRotation");
  CVector3 applied = rotation;
  applied.x = s->bodyTilt[0];
  applied.z = s->bodyTilt[1];
  if (applied.x != startRotation.x || applied.y != startRotation.y || applied.z != startRotation.z) {
    s->SetRotation(applied);
    s->rotationChanged = 1;
  } else {
    s->rotationChanged = 0;
  }
  if (CAnimObject* anim = s->GetAnimObject()) anim->EvaluatePose();
  // 23.-24.
  Later("listeners", "sound listeners of a soldier and its item");
  if (!player && !(UnitNetworkGame() && UnitIsHost())) {
    s->lookAtLimit = FLT_MAX;
    return;
  }
  s->lookAtLimit = FLT_MAX;
  Later("view probe", "soldier view probe");
}
