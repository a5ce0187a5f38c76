#include "world/routes/repulsion.h"

#include <cmath>

#include "foundation/maths/angles.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"

CLadderTable* g_LadderTable = nullptr;
CRepulsionPool* g_RepulsionPool = nullptr;

int CLadderTable::Add(const LadderEntry& entry) {
  if (Count >= static_cast<std::uint32_t>(kMaxLadders)) return 0;
  Entries[Count++] = entry;
  return 1;
}

int CLadderTable::AddFromInstance(CEnvInstance* instance) {
  if (!instance || !instance->Template) return 1;
  CVector3 bottomLocal, topLocal;
  if (!instance->Template->GetConnectorPosition(CONNECTOR_LADDER_BOTTOM, &bottomLocal)) return 1;
  LadderEntry entry;
  instance->LocalToWorld(-1, bottomLocal, &entry.Bottom);
  if (!instance->Template->GetConnectorPosition(CONNECTOR_LADDER_TOP, &topLocal)) return 0;
  instance->LocalToWorld(-1, topLocal, &entry.Top);
  Vector3 angles;
  AnglesBetweenPoints(entry.Bottom, entry.Top, &angles);
  entry.Heading = angles.y;
  entry.Instance = instance;
  entry.Flags = 0;
  // A full table is reported, not passed over as success.
  return Add(entry);
}

float CLadderTable::FindNearestEnd(const CVector3& point, LadderEnd* out) const {
  out->Ladder = -1;
  out->End = 0;
  float best = 0;
  for (std::uint32_t i = 0; i < Count; ++i) {
    const LadderEntry& e = Entries[i];
    if (e.Flags & kLadderDisabled) continue;
    const CVector3 ends[2] = {e.Bottom, {e.Top.x, e.Top.y + kLadderTopRaise, e.Top.z}};
    for (int k = 0; k < 2; ++k) {
      const float dx = ends[k].x - point.x, dy = ends[k].y - point.y, dz = ends[k].z - point.z;
      const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
      if (out->Ladder < 0 || d < best) {
        best = d;
        out->Ladder = static_cast<std::int32_t>(i);
        out->End = k;
      }
    }
  }
  return best;
}

void CLadderTable::DisableForInstance(const CEnvInstance* instance) {
  for (std::uint32_t i = 0; i < Count; ++i)
    if (Entries[i].Instance == instance) Entries[i].Flags |= kLadderDisabled;
}

CRepulsionPool::CRepulsionPool(std::uint32_t capacity) {
  if (capacity > 0) Entries = std::make_unique<RepulsionSphere[]>(capacity);
  Capacity = capacity;
}

std::uint32_t CRepulsionPool::Add(const CVector3& centre, float radius) {
  if (Count >= Capacity) return Count;
  RepulsionSphere& s = Entries[Count++];
  s.Centre = centre;
  s.Radius = radius * 1.5f;
  s.SetActive(true);
  return Count;
}

void CRepulsionPool::Reset() {
  for (std::uint32_t i = 0; i < Count; ++i) Entries[i].SetActive(false);
  Count = 0;
}

void CRepulsionPool::Free() {
  Entries.reset();
  Capacity = 0;
  Count = 0;
}
