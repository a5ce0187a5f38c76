// The zone record of a zone root: the zone's octree over its static
// instances, its box, its portals and the dynamic instances registered with
// it.  Every live zone record is known to the zone module, which numbers
// portals across the level.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CEnvInstance;
class CFrustum;
class OctreeArray;
struct OctreeNode;
struct Portal;

struct ZoneRecord {
  OctreeArray* Octree = nullptr;                 // the zone's node array, or null
  float Box[6] = {};                             // min, max corners: the octree's root cube
  Portal* Portals = nullptr;                     // newest first
  std::int32_t PortalCount = 0;                  // portals made for the zone
  CEnvInstance* RegisteredInstances = nullptr;   // linked through the instances' ZoneLink

  ZoneRecord();
  // Frees the octree; portals and registered instances are left alone.
  ~ZoneRecord();
  ZoneRecord(const ZoneRecord&) = delete;
  ZoneRecord& operator=(const ZoneRecord&) = delete;

  // The root node of the octree, or null without one.
  OctreeNode* Root() const;
  // Makes a one-node tree (a bare root) in place of the current one.
  OctreeNode* CreateOctreeRoot();
  // Makes an array of count nodes in place of the current tree (count 0: none).
  void AllocateNodes(std::uint32_t count);
  // Installs a built or read array (the record takes it over), freeing the
  // old one; the zone's box becomes the root cube.
  void SetOctree(OctreeArray* tree);
  void FreeOctree();
  // Frees the portal records one by one (the zone root's end of life).
  void FreePortals();

  // The first portal whose prism contains the point, or null.
  Portal* FindPortalAt(const CVector3& point) const;
  // The first portal (list order, closed or not) the segment crosses from
  // its front (or from on its plane) inside its polygon, or null.
  Portal* FindPortalCrossed(const CVector3& start, const CVector3& end) const;
  // The target of that portal, or null.
  CEnvInstance* FindZoneCrossed(const CVector3& start, const CVector3& end) const;
  // The first portal whose prism holds the instance's sphere centre, taken
  // as the template's sphere centre plus the local position (not turned or
  // scaled); null when none holds it or the instance has no template.
  Portal* FindPortalContaining(const CEnvInstance* instance) const;
  // Registers anew each registered instance whose parent is static and which
  // lies in no portal of the zone: it is detached and attached again under
  // its parent, so that it goes to the end of the list again.
  void RehomeInstances();
  // Draws each registered instance through the frustum (may be null), the
  // parent of one in transform mode 1 or 2 first.
  void DrawRegistered(const CFrustum* frustum);

  // Centre of the box; half its x extent.
  void GetCentre(CVector3* out) const;
  float GetHalfSize() const;

  ZoneRecord* NextLive = nullptr;   // the zone module's list of live records
  ZoneRecord* PrevLive = nullptr;
};

// The first live zone record (newest first), for walks over every zone.
ZoneRecord* FirstLiveZone();
