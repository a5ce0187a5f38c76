#include "world/animation/rule_table.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/files/load_file.h"
#include "foundation/memory/memory_category.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameText(const std::string& a, const char* b) {
  std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// Reads words and names from the text; every reader answers false when the
// text has ended before it found anything.
class RuleTextCursor {
 public:
  explicit RuleTextCursor(const char* text) : p_(text) {}

  std::size_t Remaining() const { return std::strlen(p_); }

  // The next blank-delimited word.
  bool Word(std::string* out) {
    SkipBlanks();
    if (!*p_) return false;
    const char* start = p_;
    while (*p_ && !IsBlank(*p_)) ++p_;
    out->assign(start, p_);
    return true;
  }
  // Words up to and including the keyword.
  bool SkipTo(const char* keyword) {
    std::string w;
    while (Word(&w))
      if (SameText(w, keyword)) return true;
    return false;
  }
  // A whole number; false at the end of the text or when the word is not one.
  bool Number(std::int32_t* out) {
    std::string w;
    if (!Word(&w)) return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(w.c_str(), &end, 10);
    if (end == w.c_str() || *end || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    *out = static_cast<std::int32_t>(v);
    return true;
  }
  // A name: a quoted string (to the next double quote) or a bare word.
  // False as well for a name of kNameSize characters or more.
  bool Name(std::string* out) {
    SkipBlanks();
    if (!*p_) return false;
    const char* start;
    if (*p_ == '"') {
      start = ++p_;
      while (*p_ && *p_ != '"') ++p_;
      out->assign(start, p_);
      if (*p_) ++p_;
    } else {
      start = p_;
      while (*p_ && !IsBlank(*p_)) ++p_;
      out->assign(start, p_);
    }
    return out->size() < static_cast<std::size_t>(RuleTable::kNameSize);
  }
  // Past the end of the current line.
  void NextLine() {
    while (*p_ && *p_ != '\n') ++p_;
    if (*p_) ++p_;
  }

 private:
  void SkipBlanks() {
    while (IsBlank(*p_)) ++p_;
  }
  const char* p_;
};

// Reads count names, one per line.
bool ReadNameList(RuleTextCursor& in, std::int32_t count, std::vector<std::string>* names) {
  names->clear();
  for (std::int32_t i = 0; i < count; ++i) {
    std::string name;
    if (!in.Name(&name)) return false;
    in.NextLine();
    names->push_back(std::move(name));
  }
  return true;
}

// Index of the first name equal to name (any letter case), or -1.
int FindName(const std::vector<std::string>& names, const std::string& name) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (SameText(names[i], name.c_str())) return static_cast<int>(i);
  return -1;
}

}  // namespace

RuleTable::RuleTable(const char* path) {
  Clear();
  Load(path);
}

void RuleTable::Clear() {
  RuleCount = 0;
  StateCount = 0;
  Free();
}

int RuleTable::Load(const char* path) {
  char* text = nullptr;
  std::uint32_t size = 0;
  if (!LoadFile(path, &text, &size, nullptr, MEMCAT_GAME)) return 0;
  const int ok = Parse(text);
  FreeLoadedFile(text);
  return ok;
}

int RuleTable::Parse(const char* text) {
  if (!text) return 0;
  RuleTextCursor in(text);
  std::vector<std::string> states, rules;
  std::string word;

  std::int32_t version = 0;
  if (!in.SkipTo("VERSION") || !in.Number(&version)) return 0;

  // Every name takes at least a character and a line end, so a count larger
  // than the rest of the text cannot be right.
  if (!in.SkipTo("STATE_NAMES") || !in.Number(&StateCount)) return 0;
  if (StateCount <= 0 || static_cast<std::size_t>(StateCount) > in.Remaining()) return 0;
  if (!ReadNameList(in, StateCount, &states)) return 0;
  if (!in.Word(&word) || !SameText(word, "END_STATE_NAMES")) return 0;

  if (!in.SkipTo("RULE_NAMES") || !in.Number(&RuleCount)) return 0;
  if (RuleCount <= 0 || static_cast<std::size_t>(RuleCount) > in.Remaining()) return 0;
  if (std::int64_t{RuleCount} * StateCount > kMaxCells) return 0;
  Cells.assign(static_cast<std::size_t>(RuleCount) * static_cast<std::size_t>(StateCount), -1);
  if (!ReadNameList(in, RuleCount, &rules)) return 0;
  if (!in.Word(&word) || !SameText(word, "END_RULE_NAMES")) return 0;

  if (!in.SkipTo("RULES") || !in.Word(&word)) return 0;
  std::int32_t blocks = 0;
  while (!SameText(word, "END_RULES")) {
    // At most one block per rule and one more.
    if (blocks == RuleCount + 1) return 0;
    if (SameText(word, "RULE")) {
      std::string name;
      if (!in.Name(&name)) return 0;
      const int row = FindName(rules, name);
      if (row < 0) return 0;
      for (;;) {
        std::string from, to;
        if (!in.Name(&from)) return 0;
        if (SameText(from, "END_RULE")) break;
        if (!in.Name(&to)) return 0;
        const int fromState = FindName(states, from);
        const int toState = FindName(states, to);
        if (fromState < 0 || toState < 0) return 0;
        Cells[static_cast<std::size_t>(row) * StateCount + fromState] = toState;
      }
      ++blocks;
    }
    if (!in.Word(&word)) return 0;
  }
  return 1;
}

int RuleTable::NextState(int rule, int state) const {
  if (rule < 0 || rule >= RuleCount || state < 0 || state >= StateCount) return -1;
  const std::size_t i = static_cast<std::size_t>(rule) * StateCount + state;
  return i < Cells.size() ? Cells[i] : -1;
}
