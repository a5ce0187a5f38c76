// Any text parsed as a state-rule file: the parser must stay inside the text,
// keep its cells a whole table or none, and only name states that exist.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "world/animation/rule_table.h"

namespace {

// A valid file of the given size: states S0.., rules R0.., each rule taking
// every state to the next one, some names quoted.
std::string MakeRuleFile(int states, int rules) {
  std::string s = "VERSION 1\nSTATE_NAMES " + std::to_string(states) + "\n";
  for (int i = 0; i < states; ++i) s += (i % 2 ? "\"S " : "S") + std::to_string(i) + (i % 2 ? "\"\n" : "\n");
  s += "END_STATE_NAMES\nRULE_NAMES " + std::to_string(rules) + "\n";
  for (int i = 0; i < rules; ++i) s += "R" + std::to_string(i) + "\n";
  s += "END_RULE_NAMES\nRULES\n";
  auto state = [](int i) { return i % 2 ? "\"S " + std::to_string(i) + "\"" : "S" + std::to_string(i); };
  for (int r = 0; r < rules; ++r) {
    s += "RULE R" + std::to_string(r) + "\n";
    for (int i = r % 2; i < states; i += 2) s += "  " + state(i) + " " + state((i + 1) % states) + "\n";
    s += "END_RULE\n";
  }
  return s + "END_RULES\n";
}

void WriteSeeds(const std::string& folder) {
  const int sizes[][2] = {{1, 1}, {2, 1}, {5, 3}, {12, 9}};
  int n = 0;
  for (const auto& size : sizes) {
    const std::string text = MakeRuleFile(size[0], size[1]);
    RuleTable check;
    if (!check.Parse(text.c_str())) continue;  // only files the reader accepts
    std::ofstream(folder + "/seed" + std::to_string(n++) + ".txt", std::ios::binary) << text;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);  // NUL-terminated copy
  RuleTable t;
  const int ok = t.Parse(text.c_str());
  if (ok && (t.RuleCount <= 0 || t.StateCount <= 0)) __builtin_trap();
  if (!t.Cells.empty() && t.Cells.size() != static_cast<std::size_t>(t.RuleCount) * t.StateCount) __builtin_trap();
  for (std::int32_t cell : t.Cells)
    if (cell < -1 || cell >= t.StateCount) __builtin_trap();
  return 0;
}
