// The box copies of a zone octree's lists (see OctreeInstanceList): taken
// lazily before a segment walk uses them, again after any copied instance's
// boxes may have changed.
#include <cmath>
#include <limits>

#include "world/environment/env_instance.h"
#include "world/space/octree.h"

namespace {

// The box holding the instance's stored world box and the one its matrix and
// template give; all NaN (which no test refuses) when either is not finite.
void CopyBox(CEnvInstance* instance, float lo[3], float hi[3]) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  if (!instance) {
    for (int a = 0; a < 3; ++a) lo[a] = hi[a] = kNaN;
    return;
  }
  CVector3 computedLo, computedHi;
  instance->ComputeWorldBox(&computedLo, &computedHi);
  const CVector3& storedLo = instance->WorldBoxMin;
  const CVector3& storedHi = instance->WorldBoxMax;
  const float values[4][3] = {{storedLo.x, storedLo.y, storedLo.z},
                              {storedHi.x, storedHi.y, storedHi.z},
                              {computedLo.x, computedLo.y, computedLo.z},
                              {computedHi.x, computedHi.y, computedHi.z}};
  bool number = true;
  for (const auto& v : values)
    for (float f : v) number &= std::isfinite(f);
  for (int a = 0; a < 3; ++a) {
    lo[a] = number ? std::fmin(values[0][a], values[2][a]) : kNaN;
    hi[a] = number ? std::fmax(values[1][a], values[3][a]) : kNaN;
  }
  instance->BoxCopied = true;
}

}  // namespace

bool OctreeArray::BoxCopiesCurrent() const { return boxCopiesTakenAt_ == g_CopiedBoxChanges; }

void OctreeArray::NoteBoxCopiesTaken() { boxCopiesTakenAt_ = g_CopiedBoxChanges; }

void OctreeRenewBoxCopies(OctreeArray& tree) {
  OctreeNode* nodes = tree.Nodes();
  for (std::uint32_t n = 0; n < tree.Count(); ++n) {
    OctreeInstanceList* list = nodes[n].List;
    if (!list) continue;
    for (std::int32_t k = 0; k < list->Count; ++k) {
      float lo[3], hi[3];
      CopyBox(list->Instances[k], lo, hi);
      float* group = list->Boxes + (k / 4) * kOctreeBoxGroupFloats;
      for (int a = 0; a < 3; ++a) {
        group[4 * a + k % 4] = lo[a];
        group[4 * (3 + a) + k % 4] = hi[a];
      }
    }
  }
  tree.NoteBoxCopiesTaken();
}
