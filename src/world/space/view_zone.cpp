#include "world/space/view_zone.h"

#include "render/geometry/geometry_ops.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"

using geom::operator-;

namespace {

bool Holds(const CVector3& lo, const CVector3& hi, const CVector3& p) {
  return p.x >= lo.x && p.x <= hi.x && p.y >= lo.y && p.y <= hi.y && p.z >= lo.z && p.z <= hi.z;
}

float Volume(const CVector3& lo, const CVector3& hi) { return (hi.x - lo.x) * (hi.y - lo.y) * (hi.z - lo.z); }

// A zone root of this environment that the zone pass can start from.
bool IsViewZone(const CEnvironment& environment, const CEnvInstance* i) {
  return i != nullptr && i->Parent == nullptr && i->Zone != nullptr && i != environment.RootInstance &&
         !(i->Flags & (INSTF_HIDDEN | INSTF_DISABLED));
}

CEnvInstance* LocateZone(CEnvironment& environment, const CVector3& eye) {
  CEnvInstance* holding = nullptr;
  CEnvInstance* largest = nullptr;
  float holdingVolume = 0.0f, largestVolume = -1.0f;
  for (CEnvInstance* i = environment.InstanceList; i != nullptr; i = i->EnvLink) {
    if (!IsViewZone(environment, i)) continue;
    // The zone's extent: the boxes of its static instances.
    CVector3 lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
    i->GatherBounds(&lo, &hi, true);
    if (lo.x > hi.x) continue;
    const float volume = Volume(lo, hi);
    if (Holds(lo, hi, eye) && (holding == nullptr || volume < holdingVolume)) holding = i, holdingVolume = volume;
    if (volume > largestVolume) largest = i, largestVolume = volume;
  }
  return holding != nullptr ? holding : largest;
}

}  // namespace

CEnvInstance* FindViewZone(CEnvironment& environment, int view, const CVector3& eye) {
  CEnvInstance* zone = environment.ViewInstance;
  const CCamera* last = view >= 0 && view < kEnvironmentViews ? environment.ViewSlots[view] : nullptr;
  if (IsViewZone(environment, zone) && last != nullptr) {
    const CVector3 from = last->GetPosition();
    if (geom::LengthSq(eye - from) <= kViewZoneFollowLimit * kViewZoneFollowLimit) {
      CEnvInstance* next = environment.ZoneAfterMove(zone, from, eye);
      if (IsViewZone(environment, next)) return next;
      return zone;
    }
  }
  return LocateZone(environment, eye);
}
