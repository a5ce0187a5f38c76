#include "control/key_map.h"

void RemoveAllKeyMappings() {}

int CountKeyMappings() { return 0; }

void ProcessKeyMap(int) {}
