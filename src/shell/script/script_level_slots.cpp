// Slots 1, 2 and 17: the animation slots and the environment of the level.
#include "shell/level/anim_slots.h"
#include "shell/level/load_environment.h"
#include "shell/script/script_function_table.h"

namespace script_slot {

// Fills the named animation slot with a file.
int32_t AnimSlotRegister(const char* slotName, const char* fileName) { return ::AnimSlotLoad(slotName, fileName); }

// Fills an animation slot by its number.
int32_t AnimSlotLoad(int32_t slotIndex, const char* animationSetName) {
  return ::AnimSlotLoadIndex(slotIndex, animationSetName);
}

// Loads the level's environment; 0 when it cannot be loaded.
int32_t LoadEnvironment(const char* fileName) {
  if (fileName == nullptr || *fileName == 0) return 0;
  return ::LoadEnvironment(fileName);
}

}  // namespace script_slot
