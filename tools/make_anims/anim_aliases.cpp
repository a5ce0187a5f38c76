#include "make_anims/anim_aliases.h"

#include <set>
#include <sstream>

#include "units/base/anim_slot_ids.h"

bool ReadAnimAliases(const std::string& text, std::vector<AnimAlias>* out, std::string* error) {
  out->clear();
  std::istringstream lines(text);
  std::set<std::string> slots, files;
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    std::istringstream words(line.substr(0, line.find('#')));
    std::vector<std::string> w;
    for (std::string s; words >> s;) w.push_back(s);
    if (w.empty()) continue;
    auto fail = [&](const std::string& why) {
      *error = "line " + std::to_string(number) + ": " + why;
      return false;
    };
    if (w.size() != 3) return fail("<slot name> <file> <clip>");
    const bool slotless = w[0] == "-";
    if (!slotless && FindAnimSlot(w[0].c_str()) < 0) return fail("no animation slot is called " + w[0]);
    if (w[1].size() < 5 || w[1].compare(w[1].size() - 4, 4, ".prs") != 0) return fail(w[1] + " is not a .prs file");
    if (!slotless && !slots.insert(w[0]).second) return fail("slot " + w[0] + " given twice");
    if (!files.insert(w[1]).second) return fail("file " + w[1] + " given twice");
    out->push_back({w[0], w[1], w[2], number});
  }
  return true;
}
