// A flickering light colour: an active phase in which the colour flickers
// between A and B (switching, or blending by a random amount) at a fixed
// interval, alternating with a resting phase on one steady colour.  Draws
// from the engine's 15-bit random generator.
#pragma once

#include <cstdint>

#include "render/colour/colour.h"

// Flag bits of CFlickerColour.
enum FlickerFlags : std::uint32_t {
  FLICKER_TOGGLE = 0x1,     // with FLICKER_BLEND: switch rather than blend
  FLICKER_BLEND = 0x2,      // without FLICKER_TOGGLE: flicker steps blend; the blended colour is shown
  FLICKER_REST_ON_A = 0x4,  // rest on colour A instead of B
  FLICKER_SHOW_B = 0x8,     // colour B is shown
  FLICKER_ACTIVE = 0x10,    // in the active phase
};

class CFlickerColour {
 public:
  float LastChange = 0.0f;
  std::uint32_t Flags = 0;
  float Interval = 0.0f;
  float PhaseStart = 0.0f;
  float ActiveDuration = 0.0f;
  float RestDuration = 0.0f;
  CColour A;
  CColour B;
  CColour Blended;

  // Stores the colours, times (seconds) and flags; last change and phase start 0.
  void Init(const CColour& a, const CColour& b, float interval, float activeDuration, float restDuration,
            std::uint32_t flags);
  // The colour shown: the blended one in blend mode, else B or A.
  void GetColour(CColour* out) const;
  const CColour* GetColourPointer() const;
  // Advances to the time (seconds): a flicker step when active and the
  // interval has passed, then a phase change when the phase is over.
  // Answers 1 when the shown colour or the phase changed.
  int Update(float time);

 private:
  bool IsBlendMode() const { return (Flags & FLICKER_BLEND) != 0 && (Flags & FLICKER_TOGGLE) == 0; }
};
