// The text description of one state-rule file that make_rules turns into the
// file the game loads.  The states and events themselves (their names and
// numbers) are the program's own lists; the description only says which
// transitions exist, in compact groups:
//
//   table <movement | upperbody | vehicle>     first line: which file and lists
//   set <name> <state>...                      a named group of states (may name other sets)
//   from <state>... on <event>... -> <state>   for every event named and every state named,
//                                              the event leads from that state to the last state
//
// States and events are named as the program names them (for example WALK,
// FORWARD_START) or given by number; "@name" stands for the states of a set,
// "all" for every state.  Every cell not named stays -1 (refused).  Naming a
// cell twice with two different targets is an error; '#' starts a comment.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "units/base/state_rule_tables.h"

struct RuleGrid {
  int File = -1;  // StateRuleFile
  int States = 0;
  int Events = 0;
  // Events x States cells: cell (event, state) at event x States + state.
  std::vector<std::int32_t> Cells;
  std::int32_t Get(int event, int state) const { return Cells[static_cast<std::size_t>(event) * States + state]; }
};

// Parses the description; false with a message naming the line on an error.
bool ReadRuleDescription(const std::string& text, RuleGrid* out, std::string* error);

// The rule file of a grid in the loader's format: the program's state and
// event names in number order and one RULE block per event that leads
// anywhere.
std::string WriteRuleFile(const RuleGrid& grid);
