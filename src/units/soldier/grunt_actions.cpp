// The action runner: each frame a soldier on foot that no local player
// controls carries out its current action by asking movement events,
// steering along its route and turning on the spot.
#include <cmath>

#include "foundation/maths/angles.h"
#include "foundation/system/not_built_yet.h"
#include "units/base/state_rule_tables.h"
#include "units/base/unit_world.h"
#include "units/soldier/grunt.h"
#include "units/soldier/grunt_frame_links.h"
#include "world/animation/rule_table.h"
#include "world/engine_routines.h"

namespace {

constexpr int kEventStop = 29;
constexpr int kEventTurnLeft = 32;
constexpr int kEventTurnRight = 33;
constexpr int kEventWalkingStop = 49;
constexpr int kEventClimbUp = 60;
constexpr int kEventClimbDown = 61;
constexpr float kTurnDone = 2.0f;
constexpr std::uint32_t kLeaderTurnWait = 500;
constexpr float kDegreesToRadians = 3.14159265358979f / 180.0f;

// Brought into [0, 360): a negative heading becomes 360 less the remainder.
float Reduce(float heading) {
  float r = std::fmod(heading, 360.0f);
  if (r < 0.0f) r += 360.0f;
  return r;
}

// Whether the state the soldier is in turns it in the event's direction.
bool TurningThatWay(int state, int event) {
  if (event == kEventTurnLeft) return state == MS_STAND_TURN_LEFT || state == MS_KNEEL_TURN_LEFT || state == MS_CRAWL_TURN_LEFT;
  return state == MS_STAND_TURN_RIGHT || state == MS_KNEEL_TURN_RIGHT || state == MS_CRAWL_TURN_RIGHT;
}

int TurnToFaceTarget(CHLOGrunt* s) {
  if (GruntLinks().TurnToFaceTarget != nullptr) return GruntLinks().TurnToFaceTarget(s);
  NotBuiltYet("formation: a soldier turning to face its target");
  return 0;
}

// The three headings a soldier holding its ground turns to, in order: its
// leader's facing, its current target, its base rotation.
CVector3 HoldHeading(CHLOGrunt* s, bool leaderFirst) {
  if (leaderFirst && s->leader != nullptr) {
    CVector3 r{};
    s->leader->GetRotation(r);
    return CVector3{0.0f, r.y, 0.0f};
  }
  if (s->currentTarget != nullptr) {
    CVector3 angles{};
    AnglesBetweenPoints(s->currentTarget->GetPosition(), s->GetPosition(), &angles);
    return CVector3{0.0f, angles.y, 0.0f};
  }
  return s->baseRotation;
}

}  // namespace

bool CHLOGrunt::IsMovementEventAllowed(int event) const {
  return g_MovementRules != nullptr && g_MovementRules->NextState(event, movementState) >= 0;
}

int CHLOGrunt::TurnTowards(CVector3* rotation, const CVector3& wanted) {
  const float rate = 3.0f * GetTurnRate();
  if (rate <= 0.0f) return 0;
  const float d = AngleDifference(rotation->y, wanted.y);
  const float size = std::fabs(d);
  if (size <= kTurnDone) {
    AskMovementEvent(kEventStop);
    return 1;
  }
  const int event = d >= 0.0f ? kEventTurnRight : kEventTurnLeft;
  AskMovementEvent(event);
  if (!TurningThatWay(movementState, event)) return 0;
  float r = rate;
  if (currentTarget == nullptr && (sphereEvent != nullptr || recentFlag != 0) && stance != STANCE_CRAWL) r *= 2.0f;
  float step = r * std::sin(size / 180.0f * 90.0f * kDegreesToRadians);
  if (step < 0.33f * r) step = 0.33f * r;
  SetAnimSpeedScale(std::fmin(step / r, 1.0f));
  rotation->y = TurnAngleTowards(rotation->y, wanted.y, step * UnitFrameTime(), 0.0f, true);
  return 0;
}

int CHLOGrunt::FaceCurrentTarget() {
  if (currentTarget == nullptr) return 0;
  CVector3 rotation{};
  GetRotation(rotation);
  const int ahead = PointInViewCone(GetPosition(), rotation.y, currentTarget->GetPosition(), 180.0f) ? 1 : 0;
  if (ahead) return ahead;
  for (UnitAwareness& a : awareness) a = UnitAwareness{};
  currentTarget = nullptr;
  NotBuiltYet("awareness: forgetting targets");
  return 0;
}

void GruntActionStep(CHLOGrunt* s, CVector3* position, CVector3* rotation, CVector3* aimPoint, CVector3* wantedAngles) {
  (void)position;
  (void)aimPoint;
  (void)wantedAngles;
  s->steerValue = 0.0f;
  const bool friendlyCalm = s->IsFriendly() && !CutsceneRunning();
  switch (s->action) {
    case ACTION_FOLLOW_WAYPOINTS:
    case ACTION_FOLLOW_ROUTE:
      if (s->routeArrived == 0) {
        float v = 0.0f;
        if (GruntLinks().RouteSteer != nullptr) v = GruntLinks().RouteSteer(s);
        else NotBuiltYet("routes: the route controller's steering");
        s->steerValue = 0.25f * v;
      } else {
        s->AskMovementEvent(kEventStop);
        if (s->stance == STANCE_WALK) s->AskMovementEvent(kEventWalkingStop);
      }
      if (friendlyCalm && s->currentTarget != nullptr) s->FaceCurrentTarget();
      return;
    case ACTION_HOLD_POSITION:
      if (s->speed > 0.0f) s->AskMovementEvent(kEventStop);
      if (friendlyCalm && !TurnToFaceTarget(s)) s->TurnTowards(rotation, HoldHeading(s, true));
      [[fallthrough]];
    case ACTION_TURN_ON_SPOT_TO_FACE_TARGET:
      if (s->speed > 0.0f) s->AskMovementEvent(kEventStop);
      if (!TurnToFaceTarget(s)) s->TurnTowards(rotation, HoldHeading(s, true));
      return;
    case ACTION_ROUTE_SCANNING:
      s->AskMovementEvent(kEventStop);
      NotBuiltYet("routes: one frame of route scanning");
      return;
    case ACTION_WAITING_FOR_ROUTER:
      s->AskMovementEvent(kEventStop);
      if (GruntLinks().RouterDone != nullptr) {
        if (GruntLinks().RouterDone(s) == 1) NotBuiltYet("routes: following the router's route");
      } else {
        NotBuiltYet("routes: the router's answer");
      }
      return;
    case ACTION_TURN_ON_SPOT_TO_LEADERS_ORIENTATION:
      if (!s->HasMovedOutOfRange()) s->AskMovementEvent(kEventStop);
      if (!TurnToFaceTarget(s) && s->GetTimeSinceAction() > kLeaderTurnWait) {
        const CVector3 wanted{0.0f, Reduce(s->leaderFacing + s->lookAroundOffset), 0.0f};
        s->TurnTowards(rotation, wanted);
      }
      return;
    case ACTION_TURN_ON_SPOT_TO_BASE_ROTATION:
      if (!s->HasMovedOutOfRange()) s->AskMovementEvent(kEventStop);
      if (s->TurnTowards(rotation, s->baseRotation) && (s->unitFlags & UNITF_LOOK_PATTERN) == 0) {
        s->action = ACTION_HOLD_POSITION;
        s->actionTime = UnitGameTime();
      }
      return;
    case ACTION_CLIMB_UP_LADDER:
      s->AskMovementEvent(kEventClimbUp);
      return;
    case ACTION_CLIMB_DOWN_LADDER:
      s->AskMovementEvent(kEventClimbDown);
      return;
    case ACTION_DO_NOTHING:
    case ACTION_FIRE_GUN_INTO_AIR:
    default:
      return;
  }
}
