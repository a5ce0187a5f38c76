#include <bitset>

#include "foundation/system/debug_output.h"
#include "shell/script/script_function_table.h"

namespace {

std::bitset<SCRIPT_SLOT_COUNT> g_reported;
int g_calls = 0;

}  // namespace

void ReportUnbuiltScriptSlot(int slot) {
  ++g_calls;
  if (slot < 0 || slot >= SCRIPT_SLOT_COUNT || g_reported.test(static_cast<std::size_t>(slot))) return;
  g_reported.set(static_cast<std::size_t>(slot));
  DebugTrace("script slot %d is not built yet\n", slot);
}

int UnbuiltScriptSlotsReported() { return static_cast<int>(g_reported.count()); }

int UnbuiltScriptSlotCalls() { return g_calls; }

void ClearUnbuiltScriptSlotReports() {
  g_reported.reset();
  g_calls = 0;
}
