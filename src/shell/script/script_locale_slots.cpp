// Slot 22: a mission's own strings, layered over the game's for its level
// (the level's shut-down empties the table; the next level loads its own).
#include "foundation/system/debug_output.h"
#include "foundation/text/locale_table.h"
#include "shell/script/script_function_table.h"

namespace script_slot {

// Adds the string file over the loaded tables; a file that cannot be layered
// adds nothing and says so on the debug output.
void LocaleLoadLayer(const char* fileName) {
  if (g_Locale == nullptr || fileName == nullptr) return;
  if (g_Locale->LoadLayer(fileName) == 0) DebugTrace("LocaleLoadLayer: \"%s\" was not layered\n", fileName);
}

}  // namespace script_slot
