// The three state-rule tables of the units (movement and upper body of the
// soldier, the vehicle's), loaded at game start from "MovementStateRules.txt",
// "UpperBodyStateRules.txt" and "VehicleStateRules.txt" and checked against
// what the program uses: every event and state number the units test must lie
// inside its file, and every cell must name a state of the program's own
// tables, so that no lookup and no state row is ever read outside a table.
// Main thread only.
#pragma once

#include <string>

class RuleTable;

// What the program needs of one rule file.
struct StateRuleNeeds {
  const char* File;                 // "MovementStateRules.txt" ...
  int States;                       // states 0 .. States - 1 have rows in the program
  int Events;                       // events 0 .. Events - 1 are asked
  const char* const* StateNames;    // the program's names, for messages
  const char* const* EventNames;
};

enum StateRuleFile : int { RULES_MOVEMENT = 0, RULES_UPPER_BODY = 1, RULES_VEHICLE = 2, RULES_FILE_COUNT = 3 };
// The needs of each file, by StateRuleFile.
const StateRuleNeeds& GetStateRuleNeeds(int file);

// Checks a parsed table against the needs.  True when it has at least the
// program's events and states and every cell is -1 or a state the program
// has a row for; otherwise false with a message naming the file, the event
// and the state (the first fault found).
bool CheckStateRuleTable(const RuleTable& table, const StateRuleNeeds& needs, std::string* message);

// Loads and checks the three files, upper body, movement and vehicle in that
// order.  False when one cannot be read, does not read as a rule file or
// fails its check: its message has been shown in an error box, and nothing
// stays loaded (start-up ends).
bool LoadStateRuleTables();
// Frees the three tables; safe when nothing is loaded.
void FreeStateRuleTables();

// The loaded tables; null before LoadStateRuleTables and after a failure.
extern RuleTable* g_MovementRules;
extern RuleTable* g_UpperBodyRules;
extern RuleTable* g_VehicleRules;
