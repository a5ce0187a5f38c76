#include "sound/music_intensity.h"

namespace {
constexpr float kPreset[CMusicIntensity::kKinds] = {0.6f, 0.6f, 0.1f, 0.1f, 0.5f, 0.2f, 0.2f, 0.6f, 1.1f, 0.6f};
}  // namespace

void CMusicIntensity::AddEvent(int kind) {
  if (locked_ || kind < 0 || kind >= kKinds) return;
  c_[kind] = kPreset[kind];
}

void CMusicIntensity::Update(float frameSeconds) {
  if (locked_) return;
  float sum = 0.0f;
  for (float c : c_) sum += c;
  level_ = sum - 0.1f * frameSeconds;
  if (level_ < 0.0f) level_ = 0.0f;
  // The contributions keep their shares of what is left.
  if (sum != 0.0f)
    for (float& c : c_) c *= level_ / sum;
  if (level_ > 3.9f) level_ = 3.9f;
}

void CMusicIntensity::Reset() {
  level_ = 0.0f;
  for (float& c : c_) c = 0.0f;
}
