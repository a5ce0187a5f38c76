// make_rules <output folder> <description>...: writes each description's
// state-rule file ("MovementStateRules.txt", "UpperBodyStateRules.txt",
// "VehicleStateRules.txt") and checks it the way the game does at start-up:
// read back by the engine's rule reader, every state and event the program
// uses inside the file, every cell a state of the program's tables, and every
// cell as described.  Any failure fails the build.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "make_rules/rules_description.h"
#include "world/animation/rule_table.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_rules <output folder> <description>...\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "make_rules: cannot read %s\n", argv[i]);
      return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RuleGrid grid;
    std::string error;
    if (!ReadRuleDescription(text, &grid, &error)) {
      std::fprintf(stderr, "make_rules: %s: %s\n", argv[i], error.c_str());
      return 1;
    }
    const StateRuleNeeds& needs = GetStateRuleNeeds(grid.File);
    const std::string file = WriteRuleFile(grid);
    const std::string path = std::string(argv[1]) + "/" + needs.File;
    std::ofstream out(path, std::ios::binary);
    out << file;
    out.close();
    if (!out) {
      std::fprintf(stderr, "make_rules: cannot write %s\n", path.c_str());
      return 1;
    }
    // The check: what the game's reader makes of the file.
    RuleTable table;
    if (!table.Parse(file.c_str())) {
      std::fprintf(stderr, "make_rules: %s does not read back as a rule file\n", needs.File);
      return 1;
    }
    if (!CheckStateRuleTable(table, needs, &error)) {
      std::fprintf(stderr, "make_rules: %s\n", error.c_str());
      return 1;
    }
    for (int e = 0; e < grid.Events; ++e)
      for (int s = 0; s < grid.States; ++s)
        if (table.NextState(e, s) != grid.Get(e, s)) {
          std::fprintf(stderr, "make_rules: %s: event %s in state %s reads back as %d, described as %d\n",
                       needs.File, needs.EventNames[e], needs.StateNames[s], table.NextState(e, s), grid.Get(e, s));
          return 1;
        }
  }
  return 0;
}
