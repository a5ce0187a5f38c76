// Valid animation sets of a few shapes for the fuzz targets' seeds.
#pragma once

#include <cmath>
#include <vector>

#include "world/animation/anim_set.h"

inline void FuzzSeedSet(AnimSet* set, int tracks, int keys, int bounds, int events) {
  set->Clear();
  set->HeaderValue = 1;
  set->TrackCount = tracks;
  set->Tracks.resize(static_cast<std::size_t>(tracks));
  for (int t = 0; t < tracks; ++t) {
    set->Tracks[static_cast<std::size_t>(t)].FrameRate = 30;
    for (int k = 0; k < keys; ++k) {
      Pose p{};
      const float a = 0.1f * static_cast<float>(k + t);
      p.translation = CVector3{static_cast<float>(t), 2.5f * static_cast<float>(k), -1.0f};
      p.scale = CVector3{1.0f, 1.0f, 1.0f};
      p.rotation = CVector4{0.0f, std::sin(a), 0.0f, std::cos(a)};
      set->Tracks[static_cast<std::size_t>(t)].Keys.push_back(p);
    }
  }
  set->KeyCount = keys > 1 ? keys : 1;
  set->FrameRate = tracks > 0 ? 30.0f : kAnimDefaultFrameRate;
  for (int b = 0; b < bounds; ++b) {
    AnimBounds block;
    AnimMakeBounds(CVector3{-20.0f, 0.0f, -20.0f}, CVector3{20.0f, 180.0f + static_cast<float>(b), 20.0f}, &block.Box);
    block.Sphere.Centre = CVector3{0.0f, 90.0f, 0.0f};
    block.Sphere.Radius = 100.0f;
    set->Bounds.push_back(block);
  }
  for (int e = 0; e < events; ++e)
    set->Events.push_back(AnimEvent{e % 2, 0.25f * static_cast<float>(e), nullptr, CVector3{1.0f, 2.0f, 3.0f}});
}

struct FuzzSeedShape {
  int Tracks, Keys, Bounds, Events;
};
inline const std::vector<FuzzSeedShape>& FuzzSeedShapes() {
  static const std::vector<FuzzSeedShape> shapes = {{0, 1, 0, 0}, {1, 1, 0, 1}, {3, 4, 2, 3}, {20, 8, 8, 4}};
  return shapes;
}
