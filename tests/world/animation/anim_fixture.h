// Small animation sets for the animation tests: every key differs from the
// others (so that a wrong key index shows), rotations are unit quaternions.
#pragma once

#include <cmath>
#include <cstdint>

#include "world/animation/anim_set.h"

namespace anim_fixture {

// A unit quaternion turning by angle (radians) about a normalised axis.
inline CVector4 AxisAngle(float x, float y, float z, float angle) {
  const float n = std::sqrt(x * x + y * y + z * z);
  const float s = std::sin(angle * 0.5f) / n;
  return CVector4{x * s, y * s, z * s, std::cos(angle * 0.5f)};
}

// Key k of track t.
inline Pose MakeKey(int t, int k) {
  Pose p{};
  p.translation = CVector3{0.3f * static_cast<float>(t) + 0.05f * static_cast<float>(k), 1.0f - 0.2f * static_cast<float>(t),
                           0.1f * static_cast<float>(k)};
  p.scale = CVector3{1.0f, 1.0f, 1.0f};
  p.rotation = AxisAngle(1.0f + static_cast<float>(t), 2.0f, 0.5f * static_cast<float>(k) - 1.0f,
                         0.3f * static_cast<float>(k + 1) + 0.1f * static_cast<float>(t));
  return p;
}

// A set of `tracks` tracks with `keys` keys at `rate` frames per second,
// with `bounds` bounds blocks.
inline void Fill(AnimSet* set, int tracks, int keys, int rate, int bounds = 0) {
  set->Clear();
  set->HeaderValue = 7;
  set->TrackCount = tracks;
  set->Tracks.resize(static_cast<std::size_t>(tracks));
  for (int t = 0; t < tracks; ++t) {
    AnimTrack& track = set->Tracks[static_cast<std::size_t>(t)];
    track.FrameRate = rate;
    for (int k = 0; k < keys; ++k) track.Keys.push_back(MakeKey(t, k));
  }
  set->KeyCount = keys > 1 ? keys : 1;
  set->FrameRate = tracks > 0 ? static_cast<float>(rate) : kAnimDefaultFrameRate;
  for (int b = 0; b < bounds; ++b) {
    AnimBounds block;
    const float f = static_cast<float>(b);
    AnimMakeBounds(CVector3{-10.0f - f, 0.0f, -5.0f}, CVector3{10.0f, 180.0f + f, 5.0f}, &block.Box);
    block.Sphere.Centre = CVector3{0.0f, 90.0f + f, 0.0f};
    block.Sphere.Radius = 95.5f + f;
    set->Bounds.push_back(block);
  }
}

}  // namespace anim_fixture
