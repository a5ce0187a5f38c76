#include "make_rules/rules_description.h"

#include <cstdlib>
#include <map>
#include <sstream>

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line.substr(0, line.find('#')));
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The number of a name in a list, or a number within it; -1 when neither.
int Lookup(const std::string& word, const char* const* names, int count) {
  for (int i = 0; i < count; ++i)
    if (word == names[i]) return i;
  char* end = nullptr;
  const long v = std::strtol(word.c_str(), &end, 10);
  if (end != word.c_str() && *end == 0 && v >= 0 && v < count) return static_cast<int>(v);
  return -1;
}

class Reader {
 public:
  Reader(RuleGrid* grid, std::string* error) : grid_(grid), error_(error) {}

  bool Line(const std::vector<std::string>& w, int number) {
    line_ = number;
    if (w.empty()) return true;
    if (grid_->File < 0 && w[0] != "table") return Fail("the first line must be \"table <movement|upperbody|vehicle>\"");
    if (w[0] == "table") return Table(w);
    if (w[0] == "set") return Set(w);
    if (w[0] == "from") return From(w);
    return Fail("unknown word \"" + w[0] + "\"");
  }

 private:
  bool Fail(const std::string& what) {
    *error_ = "line " + std::to_string(line_) + ": " + what;
    return false;
  }

  bool Table(const std::vector<std::string>& w) {
    if (grid_->File >= 0) return Fail("a second \"table\" line");
    if (w.size() != 2) return Fail("\"table\" takes one word");
    if (w[1] == "movement") grid_->File = RULES_MOVEMENT;
    else if (w[1] == "upperbody") grid_->File = RULES_UPPER_BODY;
    else if (w[1] == "vehicle") grid_->File = RULES_VEHICLE;
    else return Fail("unknown table \"" + w[1] + "\"");
    needs_ = &GetStateRuleNeeds(grid_->File);
    grid_->States = needs_->States;
    grid_->Events = needs_->Events;
    grid_->Cells.assign(static_cast<std::size_t>(grid_->States) * grid_->Events, -1);
    return true;
  }

  // Adds the states a word names (a state, "@set" or "all").
  bool States(const std::string& word, std::vector<int>* out) {
    if (word == "all") {
      for (int s = 0; s < grid_->States; ++s) out->push_back(s);
      return true;
    }
    if (word.size() > 1 && word[0] == '@') {
      auto it = sets_.find(word.substr(1));
      if (it == sets_.end()) return Fail("unknown set \"" + word + "\"");
      out->insert(out->end(), it->second.begin(), it->second.end());
      return true;
    }
    const int s = Lookup(word, needs_->StateNames, needs_->States);
    if (s < 0) return Fail("unknown state \"" + word + "\"");
    out->push_back(s);
    return true;
  }

  bool Set(const std::vector<std::string>& w) {
    if (w.size() < 3) return Fail("\"set\" takes a name and states");
    if (sets_.count(w[1])) return Fail("set \"" + w[1] + "\" given twice");
    std::vector<int> states;
    for (std::size_t i = 2; i < w.size(); ++i)
      if (!States(w[i], &states)) return false;
    sets_[w[1]] = states;
    return true;
  }

  bool From(const std::vector<std::string>& w) {
    std::size_t i = 1;
    std::vector<int> from, events;
    for (; i < w.size() && w[i] != "on"; ++i)
      if (!States(w[i], &from)) return false;
    if (from.empty() || i == w.size()) return Fail("\"from\" needs states and \"on\"");
    for (++i; i < w.size() && w[i] != "->"; ++i) {
      const int e = Lookup(w[i], needs_->EventNames, needs_->Events);
      if (e < 0) return Fail("unknown event \"" + w[i] + "\"");
      events.push_back(e);
    }
    if (events.empty() || i + 2 != w.size()) return Fail("\"on\" needs events, then \"->\" and one state");
    const int to = Lookup(w[i + 1], needs_->StateNames, needs_->States);
    if (to < 0) return Fail("unknown state \"" + w[i + 1] + "\"");
    for (int e : events) {
      for (int s : from) {
        std::int32_t& cell = grid_->Cells[static_cast<std::size_t>(e) * grid_->States + s];
        if (cell != -1 && cell != to)
          return Fail(std::string("event ") + needs_->EventNames[e] + " in state " + needs_->StateNames[s] +
                      " already leads to " + needs_->StateNames[cell]);
        cell = to;
      }
    }
    return true;
  }

  RuleGrid* grid_;
  std::string* error_;
  const StateRuleNeeds* needs_ = nullptr;
  std::map<std::string, std::vector<int>> sets_;
  int line_ = 0;
};

}  // namespace

bool ReadRuleDescription(const std::string& text, RuleGrid* out, std::string* error) {
  *out = RuleGrid{};
  Reader reader(out, error);
  std::istringstream in(text);
  int number = 0;
  for (std::string line; std::getline(in, line);)
    if (!reader.Line(Words(line), ++number)) return false;
  if (out->File < 0) {
    *error = "no \"table\" line";
    return false;
  }
  return true;
}

std::string WriteRuleFile(const RuleGrid& grid) {
  const StateRuleNeeds& needs = GetStateRuleNeeds(grid.File);
  std::string s = "; Made by make_rules from its description; the names are the program's, in number order.\n";
  s += "VERSION 1\nSTATE_NAMES " + std::to_string(grid.States) + "\n";
  for (int i = 0; i < grid.States; ++i) s += std::string(needs.StateNames[i]) + "\n";
  s += "END_STATE_NAMES\nRULE_NAMES " + std::to_string(grid.Events) + "\n";
  for (int i = 0; i < grid.Events; ++i) s += std::string(needs.EventNames[i]) + "\n";
  s += "END_RULE_NAMES\nRULES\n";
  for (int e = 0; e < grid.Events; ++e) {
    std::string block;
    for (int st = 0; st < grid.States; ++st)
      if (const int to = grid.Get(e, st); to >= 0)
        block += "  " + std::string(needs.StateNames[st]) + " " + needs.StateNames[to] + "\n";
    if (!block.empty()) s += "RULE " + std::string(needs.EventNames[e]) + "\n" + block + "END_RULE\n";
  }
  return s + "END_RULES\n";
}
