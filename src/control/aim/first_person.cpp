#include "control/aim/first_person.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

float Clamp(float v, float lo, float hi) { return std::isnan(v) ? 0.0f : std::min(hi, std::max(lo, v)); }
float Sign(float v) { return v > 0.0f ? 1.0f : v < 0.0f ? -1.0f : 0.0f; }

constexpr float kZoomStep = 10.0f;
constexpr int kSteppedZoomSound = 2887;
constexpr int kTwoLevelZoomSound = 4;
constexpr float kTwoLevelFogOffset = 1000.0f;

}  // namespace

float AimResponse(float input, bool mouse, bool squaredMouse) {
  const float v = Clamp(input, -1.0f, 1.0f);
  if (mouse && !squaredMouse) return v;
  return v * std::fabs(v);
}

float ZoomFactor(float fieldOfView) { return fieldOfView / kDefaultFieldOfView * 0.5f; }

float FirstPersonPitchStep(float response, float fieldOfView, float seconds) {
  return seconds * Clamp(response, -1.0f, 1.0f) * ZoomFactor(fieldOfView) * kFirstPersonPitchRate;
}

float FirstPersonYawRate(float yawInput, float fieldOfView, float seconds) {
  return seconds * Sign(yawInput) * ZoomFactor(fieldOfView) * kFirstPersonYawRate;
}

ZoomStepResult StepZoom(const ZoomRange& range, float fieldOfView, ZoomInput input) {
  ZoomStepResult r;
  const float lo = Clamp(range.Min, 1.0f, kDefaultFieldOfView), hi = Clamp(range.Max, 1.0f, kDefaultFieldOfView);
  r.FieldOfView = fieldOfView;
  if (lo >= hi || input == ZOOM_NONE) return r;
  const float current = Clamp(fieldOfView, lo, hi);
  const float step = range.TwoLevel ? hi - lo : kZoomStep;
  float next = current;
  switch (input) {
    case ZOOM_NEXT:
      next = current - step;
      break;
    case ZOOM_IN:
      if (current > lo) next = current - step;
      break;
    case ZOOM_OUT:
      if (current < hi) next = current + step;
      break;
    default:
      break;
  }
  next = Clamp(next, lo, hi);
  if (next == lo && current == lo && input == ZOOM_NEXT) next = hi;
  if (next == current) return r;
  r.Changed = true;
  r.FieldOfView = next;
  r.FogOffset = range.TwoLevel && next == lo ? kTwoLevelFogOffset : 0.0f;
  r.SoundEvent = range.TwoLevel ? kTwoLevelZoomSound : kSteppedZoomSound;
  return r;
}

float AdvanceHeading(float heading, float x, float y, bool rotateLeft, bool rotateRight, float seconds) {
  float h = heading;
  const float length = std::sqrt(x * x + y * y);
  if (length > 0.0f && std::isfinite(length)) {
    h = std::acos(Clamp(y / length, -1.0f, 1.0f)) * 360.0f / (2.0f * std::numbers::pi_v<float>);
    if (x < 0.0f) h = 360.0f - h;
  } else {
    if (rotateLeft) h -= kAdvanceRotateRate * seconds;
    if (rotateRight) h += kAdvanceRotateRate * seconds;
  }
  h = std::fmod(h, 360.0f);
  if (h < 0.0f) h += 360.0f;
  return h;
}
