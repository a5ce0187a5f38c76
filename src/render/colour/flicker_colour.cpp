#include "render/colour/flicker_colour.h"

#include "foundation/maths/random15.h"

void CFlickerColour::Init(const CColour& a, const CColour& b, float interval, float activeDuration, float restDuration,
                          std::uint32_t flags) {
  A = a;
  B = b;
  Interval = interval;
  ActiveDuration = activeDuration;
  RestDuration = restDuration;
  Flags = flags;
  LastChange = 0.0f;
  PhaseStart = 0.0f;
}

void CFlickerColour::GetColour(CColour* out) const { *out = *GetColourPointer(); }

const CColour* CFlickerColour::GetColourPointer() const {
  if ((Flags & FLICKER_BLEND) != 0) return &Blended;
  return (Flags & FLICKER_SHOW_B) != 0 ? &B : &A;
}

int CFlickerColour::Update(float time) {
  const int r = Rand15() & 0xFF;
  bool changed = false;

  if ((Flags & FLICKER_ACTIVE) != 0 && time - LastChange >= Interval) {
    if (IsBlendMode()) {
      A.Lerp(B, &Blended, static_cast<float>(r) * 0.003921569f);
      LastChange = time;
      changed = true;
    } else if (r >= 129) {  // 127 chances in 256
      Flags ^= FLICKER_SHOW_B;
      LastChange = time;
      changed = true;
    }
  }

  if ((Flags & FLICKER_ACTIVE) == 0) {
    if (time - PhaseStart >= RestDuration) {
      Flags |= FLICKER_ACTIVE;
      PhaseStart = time;
      return 1;
    }
  } else if (time - PhaseStart >= ActiveDuration) {
    Flags &= ~FLICKER_ACTIVE;
    if ((Flags & FLICKER_REST_ON_A) != 0)
      Flags &= ~FLICKER_SHOW_B;
    else
      Flags |= FLICKER_SHOW_B;
    PhaseStart = time;
    return 1;
  }
  return changed ? 1 : 0;
}
