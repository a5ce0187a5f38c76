// A state-rule table: for an event ("rule") and a current state, the state
// that comes next, or -1 when the event is refused in that state.  The game
// loads one each for the upper body, movement and vehicles from text files
// that name the states and rules; the units use their indices.
//
// File shape (keywords in any letter case, names quoted or bare, at most 63
// characters, one per line in the two name lists):
//   VERSION 1
//   STATE_NAMES 2
//   Standing
//   Crouching
//   END_STATE_NAMES
//   RULE_NAMES 1
//   Crouch
//   END_RULE_NAMES
//   RULES
//   RULE Crouch
//     Standing Crouching
//   END_RULE
//   END_RULES
#pragma once

#include <cstdint>
#include <vector>

class RuleTable {
 public:
  // Longest state or rule name plus its NUL.
  static constexpr int kNameSize = 64;
  // Most cells a table may have; a file asking for more fails to parse.
  static constexpr std::int64_t kMaxCells = 1 << 20;

  // An empty table (no rules, no states).
  RuleTable() = default;
  // Clears the table and loads the file; the table exists whatever the
  // outcome (a failed load keeps what was read before the failure).
  explicit RuleTable(const char* path);

  // Reads the whole file and parses it: 1 on success, 0 when the file cannot
  // be read (the loader shows its box) or does not parse.
  int Load(const char* path);
  // Parses NUL-terminated text into the table: 1 on success, 0 on failure,
  // leaving the counts and cells as far as they were read.
  int Parse(const char* text);
  // Both counts 0, no cells.
  void Clear();
  // Frees the cells (the counts stay).
  void Free() { Cells.clear(); Cells.shrink_to_fit(); }

  // The next state for rule in state; -1 when the rule is refused there, and
  // for a rule or state outside the table.
  int NextState(int rule, int state) const;

  std::int32_t RuleCount = 0;
  std::int32_t StateCount = 0;
  // RuleCount x StateCount; cell (rule r, state s) at r x StateCount + s.
  // Empty until the rule names have been read.
  std::vector<std::int32_t> Cells;
};
