// The zone module's side of a zone root instance: making its portals.
#include <cstdio>

#include "foundation/memory/memory_manager.h"
#include "world/environment/env_instance.h"
#include "world/space/portal.h"
#include "world/space/zone_record.h"

Portal* CEnvInstance::AddPortal(CEnvInstance* targetZone, const PortalPolygon& block, const CSphere* sphere,
                                int distanceLimited, int number, int expand) {
  if (!Zone) return nullptr;
  auto* portal = new (static_cast<MemoryCategory>(kPortalMemoryCategory)) Portal;
  portal->Init();
  SizeAccounting += kPortalRecordSize;
  char name[64];
  std::snprintf(name, sizeof name, "%s:%d", GetIdString(), Zone->PortalCount);
  ++Zone->PortalCount;
  portal->Build(block, this, targetZone, name, number, expand != 0);
  portal->DistanceLimited = distanceLimited ? 1u : 0u;
  if (sphere) portal->VisibilitySphere = *sphere;
  portal->Next = Zone->Portals;
  Zone->Portals = portal;
  return portal;
}
