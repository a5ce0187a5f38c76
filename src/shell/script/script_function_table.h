// The program's script function table: the 565 functions a mission plug-in
// calls, in slot order (generated from script_slots.txt).  Slots the program
// does not build yet answer their failure value and say so once.
#pragma once

#include "mission_abi.h"

// The table whose address LevelSetup receives; static data of the program.
extern "C" const ScriptFunctionTable g_ScriptFunctionTable;

// Writes "script slot %d is not built yet" to the debug output the first
// time a slot is reached, and counts every call.
void ReportUnbuiltScriptSlot(int slot);
// Slots of the table still generated as "not built yet".
int CountUnbuiltScriptSlots();
bool IsScriptSlotBuilt(int slot);
// Different unbuilt slots reached since the last clear, and calls of them.
int UnbuiltScriptSlotsReported();
int UnbuiltScriptSlotCalls();
void ClearUnbuiltScriptSlotReports();
// Tests: calls an unbuilt slot through the table with zero arguments (and an
// output vector where it takes one); true when it answered its failure value.
bool CallUnbuiltScriptSlotForTest(int slot);
