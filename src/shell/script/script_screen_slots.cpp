// Slots 19, 20, 21, 284 and 285: the screen manager's script functions.
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_script_functions.h"
#include "shell/script/script_function_table.h"

namespace script_slot {

// Loads a sprite file into the script sprite set.
void SpriteSheetLoad(const char* fileName) { ::SpriteSheetLoad(fileName); }

// The objective screen's map picture; answers the cell given.
int32_t ObjectiveMenuSetObjective(int32_t cell) {
  ::ObjectiveMenuSetObjective(cell);
  return cell;
}

// The world box the objective screen's map shows.
void ObjectiveMenuSetView(const ScriptVec3* cornerA, const ScriptVec3* cornerB) {
  if (cornerA == nullptr || cornerB == nullptr) return;
  const CVector3 a{cornerA->x, cornerA->y, cornerA->z}, b{cornerB->x, cornerB->y, cornerB->z};
  ::ObjectiveMenuSetMapBox(&a, &b);
}

// The screen lock of scripts and cut-scenes.
void SetScreenLock(int32_t state) { ::SetScreenLock(state); }

// Switches screens (nothing while the lock is set); answers the current id.
int32_t SetScreen(int32_t screenId) {
  ::SetScreen(screenId);
  return ::ScreenId;
}

}  // namespace script_slot
