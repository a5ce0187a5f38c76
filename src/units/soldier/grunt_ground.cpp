// The soldier's ground fit and collision shape: a lying or dead body tilted
// to the ground under its head and feet, the movement controller's spheres
// and the visual's dynamic collision box by posture, and the step-over lift
// of a blocked walker.
#include <cmath>

#include "foundation/maths/angles.h"
#include "foundation/maths/fast_trig.h"
#include "units/soldier/grunt.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/space/movable_objects.h"
#include "world/space/world_hit.h"

namespace {

// Body points in the soldier's own frame (x to the side, y up, z along the body).
constexpr CVector3 kBodyPoints[3] = {{0.0f, 0.0f, 90.0f}, {-40.0f, 0.0f, -100.0f}, {40.0f, 0.0f, -100.0f}};
constexpr float kDegToRad = 3.14159265358979f / 180.0f;
constexpr float kSteepGround = 35.0f;
constexpr float kSphereRadius = 35.0f;
constexpr float kLowSphere = 55.0f;
constexpr float kHighSphere = 125.0f;
constexpr float kStepOverHeight = 85.0f;
constexpr float kStepOverReach = 50.0f;
constexpr float kLift = 400.0f;

CVector3 Add(const CVector3& a, const CVector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

float DistanceSquared(const CVector3& a, const CVector3& b) {
  const float x = a.x - b.x, y = a.y - b.y, z = a.z - b.z;
  return x * x + y * y + z * z;
}

// The first surface on the segment in the zone: its world point and the hit
// record.  False when the segment is clear or there is no world.
bool LineHit(CEnvInstance* zone, const CVector3& from, const CVector3& to, CVector3* point, WorldHit** hit) {
  if (g_Environment == nullptr) return false;
  WorldHit* found = nullptr;
  CVector3 at{};
  if (g_Environment->LineOfSight(zone, from, to, &at, &found, 0, nullptr) != 0) return false;
  *point = at;
  if (hit != nullptr) *hit = found;
  return true;
}

// The two straight-down tests of a movable object from the point raised by
// 50 to the floor level, one in each of its zones: the hit nearer the point,
// or the only one.  False when neither hits.
bool MovableGround(const MovableObject* movable, const CVector3& point, float floor, CVector3* ground) {
  const CVector3 from{point.x, point.y + 50.0f, point.z};
  const CVector3 to{point.x, floor, point.z};
  CVector3 hits[2];
  bool hit[2];
  for (int z = 0; z < 2; ++z) hit[z] = LineHit(movable->Zones[z], from, to, &hits[z], nullptr);
  if (hit[0] && hit[1]) {
    *ground = DistanceSquared(hits[0], point) <= DistanceSquared(hits[1], point) ? hits[0] : hits[1];
  } else if (hit[0] || hit[1]) {
    *ground = hit[0] ? hits[0] : hits[1];
  } else {
    return false;
  }
  return true;
}

// The posture's box template of the level, looked up by name.
const CEnvObject* BipedBox(int posture) {
  if (g_Environment == nullptr) return nullptr;
  static const char* const kNames[3] = {"BipedProneDynBox", "BipedKneelDynBox", "BipedStandDynBox"};
  return g_Environment->FindObjectByName(kNames[posture]);
}

}  // namespace

int CHLOGrunt::FitBodyToGround() {
  CVector3 position = GetPosition();
  if (Instance != nullptr) Instance->GetPosition(&position);
  CVector3 rotation{};
  GetRotation(rotation);

  // 1. The body points in the world, and their centroid.
  const float turn = (180.0f - rotation.y) * kDegToRad;
  const float c = std::cos(turn), s = std::sin(turn);
  CVector3 points[3];
  CVector3 centre{0.0f, 0.0f, 0.0f};
  for (int i = 0; i < 3; ++i) {
    const CVector3& p = kBodyPoints[i];
    points[i] = {position.x + p.x * c + p.z * s, position.y + p.y, position.z - p.x * s + p.z * c};
    centre = Add(centre, points[i]);
  }
  centre = {centre.x / 3.0f, centre.y / 3.0f, centre.z / 3.0f};

  // 2. A movable object under the body, else static ground.
  CEnvInstance* zone = GroundRoot;
  MovableObject* movable = zone != nullptr ? zone->FindMovableAt(centre) : nullptr;

  if (GetMovementClass() != MCLASS_LYING) {
    // The dead branch (the marker is not the dead body's: it stays in).
    const float floor = position.y - 200.0f;
    int found = 0;
    for (int i = 0; i < 3; ++i) {
      CVector3& point = points[i];
      if (movable == nullptr) {
        float height = 0.0f;
        if (heightProbes[i].GetHeightBelow(point, &height)) {
          if (height >= floor) {
            point.y = height;
            ++found;
          }
          continue;
        }
        CVector3 ground;
        WorldHit* hit = nullptr;
        if (LineHit(zone, {point.x, point.y + 50.0f, point.z}, {point.x, floor, point.z}, &ground, &hit)) {
          point = ground;
          if (hit != nullptr) heightProbes[i].SetSurfaceFromHit(*hit);
          ++found;
        } else {
          heightProbes[i].Clear();
        }
      } else {
        CVector3 ground;
        if (MovableGround(movable, point, floor, &ground)) {
          point = ground;
          ++found;
        }
      }
    }
    if (found == 3) PlaneAnglesFromPoints(points[0], points[1], points[2], &bodyTilt[0], &bodyTilt[1]);
    return 0;
  }

  // The lying branch.
  const float floor = position.y - 75.0f;
  int found = 3;
  const CVector3 raised{position.x, position.y + 50.0f, position.z};
  CEnvInstance* lineZone = zone;
  // The marker is the body's own: out of the body's line tests meanwhile.
  CEnvInstance* marker = g_Environment != nullptr ? g_Environment->CrawlBlocker : nullptr;
  const bool markerWasDisabled = marker != nullptr && (marker->Flags & INSTF_DISABLED) != 0;
  if (marker != nullptr) marker->Disable();
  if (movable != nullptr && g_Environment != nullptr) lineZone = g_Environment->ZoneAfterMove(zone, position, raised);
  for (int i = 0; i < 3; ++i) {
    CVector3& point = points[i];
    CVector3 at;
    // a. The segment probe from the raised centre.
    if (segmentProbes[i].TestSegment(raised, point, &at)) {
      point = at;
      continue;
    }
    // b. The line from the raised centre to the point.
    if (LineHit(lineZone, raised, point, &at, nullptr)) {
      point = at;
      continue;
    }
    if (movable == nullptr) {
      // c. Static ground: the height probe, else the line straight down.
      float height = 0.0f;
      if (heightProbes[i].GetHeightBelow(point, &height)) {
        if (height >= floor) {
          point.y = height;
        } else {
          point.y = floor;
          --found;
        }
        continue;
      }
      WorldHit* hit = nullptr;
      if (LineHit(zone, {point.x, point.y + 50.0f, point.z}, {point.x, floor, point.z}, &at, &hit)) {
        point = at;
        if (hit != nullptr) heightProbes[i].SetSurfaceFromHit(*hit);
      } else {
        heightProbes[i].Clear();
        point.y = floor;
        --found;
      }
    } else {
      // d. On a movable object: its two zones.
      if (MovableGround(movable, point, floor, &at)) {
        point = at;
      } else {
        point.y = floor;
        --found;
      }
    }
  }

  if (marker != nullptr && !markerWasDisabled) marker->Enable();

  // 3. The tilt of the plane through the three points.
  PlaneAnglesFromPoints(points[0], points[1], points[2], &bodyTilt[0], &bodyTilt[1]);

  // 4. Steep ground: the soldier kneels, and keeps kneeling.
  const float p = -bodyTilt[0];
  const bool kneels = p < -kSteepGround || p > kSteepGround;
  if (kneels) {
    SetStance(STANCE_KNEEL, 1);
    baseStance = STANCE_KNEEL;
    stanceChanged = 1;
  }

  // 5. The marker instance at the fitted points' centroid, turned with the body.
  CVector3 mark{(points[0].x + points[1].x + points[2].x) / 3.0f, (points[0].y + points[1].y + points[2].y) / 3.0f,
                (points[0].z + points[1].z + points[2].z) / 3.0f};
  if (kneels) mark.y += 200.0f * FastSin((p - kSteepGround) * 0.008f);
  markerPosition = mark;
  markerRotation = {-bodyTilt[0], rotation.y, -bodyTilt[1]};
  if (marker != nullptr) {
    marker->SetPosition(markerPosition, true);
    marker->SetRotation(markerRotation, true);
  }

  // 6.
  return found == 3 ? 1 : 0;
}

void CHLOGrunt::UpdateCollisionShape() {
  const std::int32_t posture = GetMovementClass();
  const bool enemy = IsEnemy();
  if (!enemy && posture != MCLASS_LYING && posture != MCLASS_LOW && posture != MCLASS_STANDING) return;

  // The spheres: the count first, then the spheres, then the changed flag.
  const int count = (enemy || posture == MCLASS_LYING) ? 1 : 2;
  moveController.SetSphereCount(static_cast<std::uint32_t>(count));
  moveController.SetSphere(0, {0.0f, kLowSphere, 0.0f}, kSphereRadius);
  if (count == 2) moveController.SetSphere(1, {0.0f, kHighSphere, 0.0f}, kSphereRadius);
  moveController.ShapeChanged = 1;

  // The box of the visual: a friend standing keeps the kneeling box.
  int box = -1;
  if (posture == MCLASS_LYING) {
    box = 0;
  } else if (posture == MCLASS_LOW) {
    box = 1;
  } else if (posture == MCLASS_STANDING) {
    box = enemy ? 2 : 1;
  }
  if (box < 0 || Instance == nullptr) return;
  if (box != collisionBox || Instance->DynamicBox == nullptr) {
    Instance->DynamicBox = BipedBox(box);
    collisionBox = box;
  }
}

void CHLOGrunt::TryStepOver(const CVector3& direction) {
  if (stepOverPending == 0 && moveController.IsOnGroundIdle()) {
    const CVector3 position = GetPosition();
    const CVector3 start{position.x, position.y + kStepOverHeight, position.z};
    const CVector3 offset{direction.x * kStepOverReach, direction.y * kStepOverReach, direction.z * kStepOverReach};
    const CVector3 wanted = Add(start, offset);
    CSphere sphere;
    sphere.Set(start, kSphereRadius);
    bool wasCollidable = false;
    if (Instance != nullptr) wasCollidable = Instance->SetCollidable(false, true);
    if (g_Environment != nullptr) {
      int moved = 0;
      g_Environment->MoveSphere(GroundRoot, &sphere, offset, 0, &moved);
    } else {
      sphere.Centre = wanted;  // no world: nothing is in the way
    }
    if (Instance != nullptr) Instance->SetCollidable(wasCollidable, true);
    if (DistanceSquared(sphere.Centre, wanted) < 1.0f) {
      moveController.SetTarget({0.0f, kLift, 0.0f});
      stepOverPending = 1;
    }
    return;
  }
  if (moveController.IsOnGroundIdle()) stepOverPending = 0;
}
