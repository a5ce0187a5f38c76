// Any text read as one of the units' state-rule files and checked as game
// start checks it: a table the check accepts must answer every event and
// state the program uses from inside its cells, and every answer must be a
// state the program has a row for, so that a soldier or vehicle never reads
// a state row outside its table.
#include <cstddef>
#include <cstdint>
#include <string>

#include "units/base/state_rule_tables.h"
#include "units/soldier/soldier_state_tables.h"
#include "world/animation/rule_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);  // NUL-terminated copy
  RuleTable table;
  if (!table.Parse(text.c_str())) return 0;
  for (int file = 0; file < RULES_FILE_COUNT; ++file) {
    const StateRuleNeeds& needs = GetStateRuleNeeds(file);
    std::string message;
    if (!CheckStateRuleTable(table, needs, &message)) {
      if (message.empty()) __builtin_trap();
      continue;
    }
    for (int event = 0; event < needs.Events; ++event) {
      for (int state = 0; state < needs.States; ++state) {
        const int next = table.NextState(event, state);
        if (next < -1 || next >= needs.States) __builtin_trap();
        // The rows the units read with the answer (no guard on purpose).
        if (next >= 0 && file == RULES_MOVEMENT && kMovementStates[next].Name == nullptr) __builtin_trap();
        if (next >= 0 && file == RULES_UPPER_BODY && kUpperBodyStates[next].Name == nullptr) __builtin_trap();
      }
    }
  }
  return 0;
}
