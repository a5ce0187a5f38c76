#include "world/objects/hlo_spawn_record.h"

void HLOSpawnRecord::Init() {
  *this = HLOSpawnRecord{};
  for (float& b : bounds) b = -1000.0f;
  behaviourMode = 2;
  secondMode = 3;
  thirdMode = 3;
  id = -1;
  linkedIds[0] = linkedIds[1] = -1;
  furtherId = -1;
  scaleFactors[0] = scaleFactors[1] = 1.0f;
}
