// Zone records: the zone's octree, box and portals, and the module's list of
// live zones.
#include "world/space/zone_record.h"

#include <vector>

#include "foundation/memory/memory_manager.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/space/octree.h"
#include "world/space/portal.h"

namespace {
ZoneRecord* g_FirstLive = nullptr;
}  // namespace

ZoneRecord* FirstLiveZone() { return g_FirstLive; }

ZoneRecord::ZoneRecord() {
  NextLive = g_FirstLive;
  if (g_FirstLive) g_FirstLive->PrevLive = this;
  g_FirstLive = this;
}

ZoneRecord::~ZoneRecord() {
  FreeOctree();
  if (PrevLive) PrevLive->NextLive = NextLive;
  else g_FirstLive = NextLive;
  if (NextLive) NextLive->PrevLive = PrevLive;
}

OctreeNode* ZoneRecord::Root() const { return Octree ? Octree->Root() : nullptr; }

OctreeNode* ZoneRecord::CreateOctreeRoot() {
  AllocateNodes(1);
  return Root();
}

void ZoneRecord::AllocateNodes(std::uint32_t count) {
  FreeOctree();
  if (count) Octree = new (static_cast<MemoryCategory>(kOctreeMemoryCategory)) OctreeArray(count);
}

void ZoneRecord::SetOctree(OctreeArray* tree) {
  if (tree != Octree) {
    FreeOctree();
    Octree = tree;
  }
  // The zone's box is the root cube.
  if (const OctreeNode* root = Root()) {
    const float h = root->HalfSize;
    const CVector3& c = root->Centre;
    const float box[6] = {c.x - h, c.y - h, c.z - h, c.x + h, c.y + h, c.z + h};
    for (int k = 0; k < 6; ++k) Box[k] = box[k];
  }
}

void ZoneRecord::FreeOctree() {
  delete Octree;
  Octree = nullptr;
}

void ZoneRecord::FreePortals() {
  while (Portals) {
    Portal* next = Portals->Next;
    delete Portals;
    Portals = next;
  }
}

Portal* ZoneRecord::FindPortalAt(const CVector3& point) const {
  for (Portal* p = Portals; p; p = p->Next)
    if (p->ContainsPoint(point)) return p;
  return nullptr;
}

Portal* ZoneRecord::FindPortalCrossed(const CVector3& start, const CVector3& end) const {
  for (Portal* p = Portals; p; p = p->Next)
    if (p->IsCrossedBy(start, end, nullptr)) return p;
  return nullptr;
}

CEnvInstance* ZoneRecord::FindZoneCrossed(const CVector3& start, const CVector3& end) const {
  const Portal* p = FindPortalCrossed(start, end);
  return p ? p->TargetZone : nullptr;
}

Portal* ZoneRecord::FindPortalContaining(const CEnvInstance* instance) const {
  if (!instance || !instance->Template) return nullptr;
  // The sphere of the template (of its root node for a hierarchical one)
  // moved by the local position only, as the loader placed it.
  const CVector3& c = instance->Template->Sphere.Centre;
  const CVector3& at = instance->GetLocalPosition();
  return FindPortalAt(CVector3{c.x + at.x, c.y + at.y, c.z + at.z});
}

void ZoneRecord::RehomeInstances() {
  // Gather first: attaching again changes the list being walked.
  std::vector<CEnvInstance*> moving;
  for (CEnvInstance* i = RegisteredInstances; i; i = i->ZoneLink)
    if (i->Parent && i->Parent->IsStatic() && !FindPortalContaining(i)) moving.push_back(i);
  for (CEnvInstance* i : moving) {
    CEnvInstance* parent = i->Parent;
    i->Detach();
    parent->AttachChild(i);
  }
}

void ZoneRecord::GetCentre(CVector3* out) const {
  *out = {(Box[0] + Box[3]) * 0.5f, (Box[1] + Box[4]) * 0.5f, (Box[2] + Box[5]) * 0.5f};
}

float ZoneRecord::GetHalfSize() const { return (Box[3] - Box[0]) * 0.5f; }
