#include "units/base/state_rule_tables.h"

#include <cstdarg>
#include <cstdio>

#include "foundation/files/load_file.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/message_box.h"
#include "units/soldier/soldier_state_tables.h"
#include "units/vehicle/vehicle_state_names.h"
#include "world/animation/rule_table.h"

RuleTable* g_MovementRules = nullptr;
RuleTable* g_UpperBodyRules = nullptr;
RuleTable* g_VehicleRules = nullptr;

namespace {

const StateRuleNeeds kNeeds[RULES_FILE_COUNT] = {
    {"MovementStateRules.txt", MOVEMENT_STATE_COUNT, MOVEMENT_EVENT_COUNT, kMovementStateNames, kMovementEventNames},
    {"UpperBodyStateRules.txt", UPPER_BODY_STATE_COUNT, UPPER_BODY_EVENT_COUNT, kUpperBodyStateNames,
     kUpperBodyEventNames},
    {"VehicleStateRules.txt", VEHICLE_STATE_COUNT, VEHICLE_EVENT_COUNT, kVehicleStateNames, kVehicleEventNames},
};

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

RuleTable** Slot(int file) {
  switch (file) {
    case RULES_MOVEMENT: return &g_MovementRules;
    case RULES_UPPER_BODY: return &g_UpperBodyRules;
    default: return &g_VehicleRules;
  }
}

}  // namespace

const StateRuleNeeds& GetStateRuleNeeds(int file) {
  return kNeeds[file >= 0 && file < RULES_FILE_COUNT ? file : 0];
}

bool CheckStateRuleTable(const RuleTable& table, const StateRuleNeeds& needs, std::string* message) {
  if (table.RuleCount < needs.Events) {
    *message = Format("%s has %d events; the program asks events 0 to %d (event %d, %s, is missing).", needs.File,
                      table.RuleCount, needs.Events - 1, table.RuleCount < 0 ? 0 : table.RuleCount,
                      needs.EventNames[table.RuleCount < 0 ? 0 : table.RuleCount]);
    return false;
  }
  if (table.StateCount < needs.States) {
    *message = Format("%s has %d states; the program uses states 0 to %d (state %d, %s, is missing).", needs.File,
                      table.StateCount, needs.States - 1, table.StateCount < 0 ? 0 : table.StateCount,
                      needs.StateNames[table.StateCount < 0 ? 0 : table.StateCount]);
    return false;
  }
  if (table.Cells.size() != static_cast<std::size_t>(table.RuleCount) * static_cast<std::size_t>(table.StateCount)) {
    *message = Format("%s: the rule table is incomplete.", needs.File);
    return false;
  }
  for (int event = 0; event < table.RuleCount; ++event) {
    for (int state = 0; state < table.StateCount; ++state) {
      const std::int32_t next = table.Cells[static_cast<std::size_t>(event) * table.StateCount + state];
      if (next == -1 || (next >= 0 && next < needs.States)) continue;
      *message = Format("%s: event %d (%s) in state %d (%s) leads to state %d; the program has states 0 to %d.",
                        needs.File, event, event < needs.Events ? needs.EventNames[event] : "not used",
                        state, state < needs.States ? needs.StateNames[state] : "not used", next, needs.States - 1);
      return false;
    }
  }
  return true;
}

bool LoadStateRuleTables() {
  FreeStateRuleTables();
  // The order of game start: upper body, movement, vehicle.
  for (int file : {RULES_UPPER_BODY, RULES_MOVEMENT, RULES_VEHICLE}) {
    const StateRuleNeeds& needs = kNeeds[file];
    MEM_OWNER();
    RuleTable* table = MEM_NEW(MEMCAT_GAME) RuleTable;
    if (table == nullptr) {
      FreeStateRuleTables();
      return false;
    }
    *Slot(file) = table;
    std::string message;
    bool ok = false;
    char* text = nullptr;
    std::uint32_t size = 0;
    // A file that cannot be read has had its box from the loader.
    if (LoadFile(needs.File, &text, &size, nullptr, MEMCAT_GAME)) {
      if (table->Parse(text))
        ok = CheckStateRuleTable(*table, needs, &message);
      else
        message = Format("%s does not read as a state-rule file.", needs.File);
      FreeLoadedFile(text);
    }
    if (!ok) {
      if (!message.empty()) ErrorBox("%s", message.c_str());
      FreeStateRuleTables();
      return false;
    }
  }
  return true;
}

void FreeStateRuleTables() {
  for (RuleTable** table : {&g_MovementRules, &g_UpperBodyRules, &g_VehicleRules}) {
    if (*table != nullptr) MEM_DELETE *table;
    *table = nullptr;
  }
}
