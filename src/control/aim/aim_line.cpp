#include "control/aim/aim_line.h"

#include <cmath>

#include "control/aim/left_out_of_line_checks.h"
#include "render/geometry/geometry_ops.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/objects/chlo_manager.h"

using namespace geom;

void CastAimLine(const CVector3& from, const CVector3& direction, CEnvInstance* own, CEnvInstance* zone,
                 const CVector3& eye, bool onFoot, AimLineResult* out) {
  *out = AimLineResult{};
  if (LengthSq(direction) <= 0.0f) {
    out->HitPoint = from;
    return;
  }
  const CVector3 axis = Unit(direction);
  const CVector3 end = from + axis * kAimLineLength;
  out->HitPoint = end;
  if (g_Environment == nullptr) return;
  CVector3 at{};
  WorldHit* hit = nullptr;
  bool blocked = false;
  {
    const LeftOutOfLineChecks leftOut(own);
    blocked = g_Environment->LineOfSight(zone != nullptr ? zone : own, from, end, &at, &hit, 0, nullptr) == 0;
  }
  if (!blocked) return;
  out->Hit = true;
  out->HitPoint = at;
  out->Distance = Length(at - from);
  out->Instance = hit != nullptr ? hit->Instance : nullptr;
  if (out->Instance != nullptr && g_HLOManager != nullptr) {
    out->Object = g_HLOManager->FindByInstance(out->Instance);
    if (out->Object == nullptr) out->Object = g_HLOManager->FindByInstance(out->Instance->GetRoot());
  }
  const CVector3 seen = at - eye;
  if (onFoot && LengthSq(seen) > 0.0f) {
    const float cosine = Dot(Unit(seen), axis);
    out->CloseAim = std::acos(std::fmax(-1.0f, std::fmin(1.0f, cosine))) <= kCloseAimRadians;
  }
}
