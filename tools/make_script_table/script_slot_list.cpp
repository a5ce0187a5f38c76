#include "script_slot_list.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace make_script_table {

namespace {

constexpr int kSlotCount = 565;
constexpr const char* kMarker = "@SCRIPT_FUNCTION_TABLE@";

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

std::vector<std::string> Split(const std::string& s, char by) {
  std::vector<std::string> out;
  std::string part;
  std::istringstream in(s);
  while (std::getline(in, part, by)) out.push_back(Trim(part));
  return out;
}

bool IsKeyword(const std::string& s) {
  static const std::set<std::string> kKeywords = {
      "auto", "bool", "break", "case", "catch", "char", "class", "const", "continue", "default", "delete", "do",
      "double", "else", "enum", "explicit", "extern", "false", "float", "for", "friend", "goto", "if", "inline",
      "int", "long", "namespace", "new", "operator", "private", "protected", "public", "register", "return",
      "short", "signed", "sizeof", "static", "struct", "switch", "template", "this", "throw", "true", "try",
      "typedef", "typename", "union", "unsigned", "using", "virtual", "void", "volatile", "while"};
  return kKeywords.count(s) != 0;
}

bool IsIdentifier(const std::string& s) {
  if (s.empty() || IsKeyword(s) || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_')) return false;
  for (char c : s)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
  return true;
}

// "const char* name" -> {"const char*", "name"}; false when there is no name.
bool ParseParameter(const std::string& text, Parameter* out) {
  if (text == "...") {
    *out = {"...", ""};
    return true;
  }
  std::size_t end = text.size();
  std::size_t start = end;
  while (start > 0 && (std::isalnum(static_cast<unsigned char>(text[start - 1])) || text[start - 1] == '_')) --start;
  out->name = text.substr(start);
  out->type = Trim(text.substr(0, start));
  return IsIdentifier(out->name) && !out->type.empty();
}

bool IsPointer(const std::string& type) { return !type.empty() && type.back() == '*'; }

// The value a result of this type answers on failure, as C++ source.
std::string FailureValue(const Slot& s) {
  if (s.failure == "null") return "nullptr";
  if (s.result == "float") return "static_cast<float>(" + s.failure + ")";
  return "static_cast<" + s.result + ">(" + s.failure + ")";
}

std::string Declaration(const Slot& s, const std::string& name, bool namedParameters) {
  std::string d = s.result + " " + name + "(";
  if (s.parsed.empty()) d += "void";
  for (std::size_t i = 0; i < s.parsed.size(); ++i) {
    const Parameter& p = s.parsed[i];
    if (i) d += ", ";
    d += p.type;
    if (p.type == "...") continue;
    if (namedParameters) d += " " + p.name;
    else if (s.failure == "out" && i == 0) d += " out";
  }
  return d + ")";
}

}  // namespace

bool ReadTextFile(const char* path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

bool WriteTextFileIfChanged(const char* path, const std::string& text) {
  std::string old;
  if (ReadTextFile(path, &old) && old == text) return true;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

bool ReadSlotList(const std::string& text, std::vector<Slot>* slots, std::string* error) {
  slots->clear();
  std::set<std::string> names;
  std::istringstream in(text);
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    const std::string t = Trim(line);
    if (t.empty() || t[0] == '#') continue;
    const std::string where = "script_slots.txt:" + std::to_string(lineNumber) + ": ";
    const std::vector<std::string> f = Split(t, '|');
    if (f.size() != 5 && !(f.size() == 6 && f[5] == "built")) {
      *error = where + "expected \"slot | result | name | parameters | failure [| built]\"";
      return false;
    }
    Slot s;
    s.number = std::atoi(f[0].c_str());
    if (s.number != static_cast<int>(slots->size()) || f[0] != std::to_string(s.number)) {
      *error = where + "slot " + f[0] + " where " + std::to_string(slots->size()) + " was expected";
      return false;
    }
    s.result = f[1];
    s.name = f[2];
    s.parameters = f[3];
    s.failure = f[4];
    s.built = f.size() == 6;
    if (!IsIdentifier(s.name) || !names.insert(s.name).second) {
      *error = where + "the name \"" + s.name + "\" is not an identifier or is used twice";
      return false;
    }
    if (s.parameters != "void") {
      for (const std::string& p : Split(s.parameters, ',')) {
        Parameter parsed;
        if (!ParseParameter(p, &parsed)) {
          *error = where + "the parameter \"" + p + "\" has no name";
          return false;
        }
        s.parsed.push_back(parsed);
      }
    }
    const bool isVoid = s.result == "void";
    const bool isPointer = IsPointer(s.result);
    const bool numeric = !s.failure.empty() && (std::isdigit(static_cast<unsigned char>(s.failure[0])) ||
                                                s.failure[0] == '-');
    const bool fits = (isVoid && s.failure == "none") || (isPointer && s.failure == "null") ||
                      (!isVoid && !isPointer && numeric) ||
                      (s.failure == "out" && s.result == "ScriptVec3*" && !s.parsed.empty() &&
                       s.parsed[0].type == "ScriptVec3*");
    if (!fits) {
      *error = where + "the failure value \"" + s.failure + "\" does not suit the result " + s.result;
      return false;
    }
    slots->push_back(s);
  }
  if (slots->size() != kSlotCount) {
    *error = "script_slots.txt: " + std::to_string(slots->size()) + " slots, " + std::to_string(kSlotCount) +
             " expected";
    return false;
  }
  return true;
}

bool MakeHeader(const std::string& templateText, const std::vector<Slot>& slots, std::string* header,
                std::string* error) {
  const auto at = templateText.find(kMarker);
  if (at == std::string::npos) {
    *error = std::string("the header template has no ") + kMarker + " line";
    return false;
  }
  std::ostringstream t;
  t << "// The script functions, in slot order: member n is slot n.\n";
  t << "#define SCRIPT_SLOT_COUNT " << slots.size() << "\n";
  t << "typedef struct ScriptFunctionTable {\n";
  for (const Slot& s : slots) {
    char number[16];
    std::snprintf(number, sizeof(number), "%3d", s.number);
    std::string params;
    for (std::size_t i = 0; i < s.parsed.size(); ++i)
      params += (i ? ", " : "") + (s.parsed[i].type == "..." ? std::string("...")
                                                              : s.parsed[i].type + " " + s.parsed[i].name);
    if (params.empty()) params = "void";
    t << "  /* " << number << " */ " << s.result << " (*" << s.name << ")(" << params << ");\n";
  }
  t << "} ScriptFunctionTable;\n";
  for (const Slot& s : slots)
    t << "MISSION_ABI_ASSERT(offsetof(ScriptFunctionTable, " << s.name << ") == " << s.number
      << " * sizeof(void*), \"slot " << s.number << "\");\n";
  t << "MISSION_ABI_ASSERT(sizeof(ScriptFunctionTable) == SCRIPT_SLOT_COUNT * sizeof(void*), \"565 slots\");";
  *header = templateText.substr(0, at) + t.str() + templateText.substr(at + std::string(kMarker).size());
  return true;
}

std::string MakeTableSource(const std::vector<Slot>& slots) {
  std::ostringstream o;
  o << "// The program's script function table.  Generated by tools/make_script_table\n"
       "// from src/shell/script/script_slots.txt: do not edit.\n"
       "#include \"mission_abi.h\"\n"
       "#include \"shell/script/script_function_table.h\"\n\n"
       "// The slots the program builds.\n"
       "namespace script_slot {\n";
  for (const Slot& s : slots)
    if (s.built) o << Declaration(s, s.name, true) << ";\n";
  o << "}  // namespace script_slot\n\nnamespace {\n\n"
       "// The slots not built yet: each says so once and answers its failure value.\n";
  int unbuilt = 0;
  for (const Slot& s : slots) {
    if (s.built) continue;
    ++unbuilt;
    o << Declaration(s, "Unbuilt" + std::to_string(s.number), false) << " {\n";
    o << "  ReportUnbuiltScriptSlot(" << s.number << ");\n";
    if (s.failure == "out") {
      o << "  if (out != nullptr) *out = ScriptVec3{0.0f, 0.0f, 0.0f};\n  return out;\n";
    } else if (s.failure != "none") {
      o << "  return " << FailureValue(s) << ";\n";
    }
    o << "}\n";
  }
  o << "\n}  // namespace\n\nextern \"C\" const ScriptFunctionTable g_ScriptFunctionTable = {\n";
  for (const Slot& s : slots)
    o << "    " << (s.built ? "script_slot::" + s.name : "Unbuilt" + std::to_string(s.number)) << ",\n";
  o << "};\n\n";
  o << "int CountUnbuiltScriptSlots() { return " << unbuilt << "; }\n\n";
  o << "bool IsScriptSlotBuilt(int slot) {\n  static const bool kBuilt[" << slots.size() << "] = {";
  for (const Slot& s : slots) o << (s.number % 20 == 0 ? "\n      " : " ") << (s.built ? "true," : "false,");
  o << "\n  };\n  return slot >= 0 && slot < " << slots.size() << " && kBuilt[slot];\n}\n\n";
  // The test caller: every unbuilt slot through the table with zero arguments.
  o << "bool CallUnbuiltScriptSlotForTest(int slot) {\n  const ScriptFunctionTable& t = g_ScriptFunctionTable;\n"
       "  switch (slot) {\n";
  for (const Slot& s : slots) {
    if (s.built) continue;
    std::string args;
    for (std::size_t i = 0; i < s.parsed.size(); ++i) {
      const Parameter& p = s.parsed[i];
      if (p.type == "...") continue;
      if (!args.empty()) args += ", ";
      if (s.failure == "out" && i == 0) args += "&v";
      else if (IsPointer(p.type) || p.type == "ScriptTimedCallback") args += "nullptr";
      else if (p.type == "float") args += "0.0f";
      else args += "static_cast<" + p.type + ">(0)";
    }
    o << "    case " << s.number << ": {\n";
    if (s.failure == "out") {
      o << "      ScriptVec3 v{1.0f, 2.0f, 3.0f};\n      ScriptVec3* r = t." << s.name << "(" << args
        << ");\n      return r == &v && v.x == 0.0f && v.y == 0.0f && v.z == 0.0f;\n";
    } else if (s.failure == "none") {
      o << "      t." << s.name << "(" << args << ");\n      return true;\n";
    } else {
      o << "      return t." << s.name << "(" << args << ") == " << FailureValue(s) << ";\n";
    }
    o << "    }\n";
  }
  o << "    default:\n      return false;\n  }\n}\n";
  return o.str();
}

}  // namespace make_script_table
