#include "menus/records/save_region.h"

#include "foundation/system/not_built_yet.h"
#include "world/regions/region_list.h"

namespace {
ObjectiveLookup gLookup = nullptr;
constexpr std::uint8_t kNoObjective = 255;
}  // namespace

void SetSaveRegionObjectiveLookup(ObjectiveLookup lookup) { gLookup = lookup; }

CSaveRegion::CSaveRegion(int regionIndex, std::uint8_t objectiveId) {
  region = g_Regions ? g_Regions->GetRegion(regionIndex) : nullptr;
  active = 0;
  objective = nullptr;
  state = 0;
  next = nullptr;
  if (!region) return;
  active = 1;
  if (objectiveId == kNoObjective) return;
  if (gLookup)
    objective = gLookup(objectiveId);
  else
    NotBuiltYet("mission objectives");
}
