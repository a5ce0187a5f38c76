// The aim line of a local player: 9000 units from the eye (first person),
// the camera (third person) or the seat weapon along the view direction,
// tested against the world's instances with the player's own soldier left
// out.  It tells the HUD and the context actions what is aimed at.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CEnvInstance;
class CHLO;

inline constexpr float kAimLineLength = 9000.0f;
// The distance read while nothing is in the line.
inline constexpr float kNoAimDistance = 99900.0f;
// A hit within this angle of the soldier's own line of sight is close aim.
inline constexpr float kCloseAimRadians = 0.7853982f;

struct AimLineResult {
  bool Hit = false;
  CVector3 HitPoint{};          // the hit, else the line's far end
  float Distance = kNoAimDistance;
  CEnvInstance* Instance = nullptr;
  CHLO* Object = nullptr;       // the world object of the hit instance, if any
  bool CloseAim = false;
};

// Casts the line from `from` along `direction` (any length but zero),
// starting in the zone of `zone` (null: of `own`).  `own` (and its subtree)
// is out of the test meanwhile.  Close aim needs a soldier on foot whose eye
// sees the hit within 45 degrees of the view direction.
void CastAimLine(const CVector3& from, const CVector3& direction, CEnvInstance* own, CEnvInstance* zone,
                 const CVector3& eye, bool onFoot, AimLineResult* out);
