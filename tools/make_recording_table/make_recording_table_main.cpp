// make_recording_table: the recording script function table of the tests
// (tests/test_support/recording_script_table.h) from the slot list: one
// function per slot that records its call and answers what the test set, or
// the slot's failure value.
//   make_recording_table <slot list> <source out>
#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "script_slot_list.h"

namespace {

using make_script_table::Parameter;
using make_script_table::ReadTextFile;
using make_script_table::Slot;
using make_script_table::WriteTextFileIfChanged;

std::string Function(const Slot& s) {
  std::ostringstream o;
  const bool variadic = !s.parsed.empty() && s.parsed.back().type == "...";
  o << s.result << " Slot" << s.number << "(";
  for (std::size_t i = 0; i < s.parsed.size(); ++i) {
    const Parameter& p = s.parsed[i];
    if (i) o << ", ";
    o << (p.type == "..." ? std::string("...") : p.type + " a" + std::to_string(i));
  }
  if (s.parsed.empty()) o << "void";
  o << ") {\n";
  if (s.failure == "out") o << "  if (a0 != nullptr) *a0 = ScriptVec3{0.0f, 0.0f, 0.0f};\n";
  o << "  ScriptAnswer answer;\n";
  o << "  if (RecordingScriptTable* r = RecordingScriptTable::Current()) {\n";
  o << "    if (r->WantsCall(" << s.number << ")) {\n";
  o << "      ScriptCall call(" << s.number << ", \"" << s.name << "\");\n";
  std::string formatArg;
  for (std::size_t i = 0; i < s.parsed.size(); ++i) {
    const Parameter& p = s.parsed[i];
    if (p.type == "...") continue;
    if (variadic && p.name == "format") {
      formatArg = "a" + std::to_string(i);
      continue;
    }
    o << "      call.Add(a" << i << ");\n";
  }
  if (!formatArg.empty()) {
    // A formatting slot records the text it would print.
    o << "      char text[1024] = \"\";\n      if (" << formatArg << " != nullptr) {\n"
      << "        va_list list;\n        va_start(list, " << formatArg << ");\n"
      << "        std::vsnprintf(text, sizeof text, " << formatArg << ", list);\n"
      << "        va_end(list);\n      }\n      call.AddText(text);\n";
  }
  o << "      answer = r->Dispatch(std::move(call));\n";
  o << "    } else {\n      answer = r->FixedAnswer(" << s.number << ");\n    }\n  }\n";
  if (s.failure == "out") {
    o << "  (void)answer;\n  return a0;\n";
  } else if (s.failure == "none") {
    o << "  (void)answer;\n";
  } else if (s.failure == "null") {
    o << "  return answer.set ? static_cast<" << s.result << ">(answer.pointer) : nullptr;\n";
  } else if (s.result == "float") {
    o << "  return answer.set ? answer.f : static_cast<float>(" << s.failure << ");\n";
  } else {
    o << "  return static_cast<" << s.result << ">(answer.set ? answer.i : static_cast<std::int64_t>(" << s.failure
      << "));\n";
  }
  o << "}\n\n";
  return o.str();
}

// The argument expression that replays parameter i of a recorded call.
std::string ReplayArgument(const Parameter& p, std::size_t i) {
  const std::string n = std::to_string(i);
  if (p.type == "float") return "c.Float(" + n + ")";
  if (p.type == "const char*") return "ReplayText(c, " + n + ")";
  if (p.type == "const ScriptVec3*") return "ReplayVector(c, " + n + ", &vectors[" + n + "])";
  if (p.type == "ScriptTimedCallback") return "c.Callback(" + n + ")";
  const bool pointer = !p.type.empty() && p.type.back() == '*';
  if (!pointer) return "static_cast<" + p.type + ">(c.Wide(" + n + "))";
  // Output places (vectors, words, records) get scratch storage; handles
  // are passed back as recorded.
  const bool output = p.type == "ScriptVec3*" || p.type == "int32_t*" || p.type.find("**") != std::string::npos;
  if (output) return "reinterpret_cast<" + p.type + ">(scratch)";
  return "static_cast<" + p.type + ">(const_cast<void*>(c.Pointer(" + n + ")))";
}

std::string Replay(const std::vector<Slot>& slots) {
  // One scratch vector per parameter place of the longest slot, so that a
  // vector parameter at any place of any slot has its own.
  std::size_t places = 1;
  for (const Slot& s : slots) places = std::max(places, s.parsed.size());
  std::ostringstream o;
  o << "const char* ReplayText(const ScriptCall& c, std::size_t n) {\n"
       "  return n < c.args.size() && c.args[n].pointer != nullptr ? c.args[n].text.c_str() : nullptr;\n}\n\n"
       "const ScriptVec3* ReplayVector(const ScriptCall& c, std::size_t n, ScriptVec3* copy) {\n"
       "  if (n >= c.args.size() || c.args[n].pointer == nullptr) return nullptr;\n"
       "  *copy = c.args[n].v;\n  return copy;\n}\n\n"
       "}  // namespace\n\n"
       "void ReplayScriptCall(const ScriptCall& c) {\n"
       "  alignas(16) static unsigned char scratch[64];\n"
       "  ScriptVec3 vectors["
    << places << "];\n  (void)vectors;\n"
       "  switch (c.slot) {\n";
  for (const Slot& s : slots) {
    o << "    case " << s.number << ":\n      Slot" << s.number << "(";
    bool first = true;
    for (std::size_t i = 0; i < s.parsed.size(); ++i) {
      const Parameter& p = s.parsed[i];
      if (p.type == "...") continue;
      if (!first) o << ", ";
      first = false;
      if (p.name == "format" && s.parsed.back().type == "...") {
        o << "\"%s\", ReplayText(c, 0)";  // the recorded text, printed as it is
        continue;
      }
      o << ReplayArgument(p, i);
    }
    o << ");\n      return;\n";
  }
  o << "    default:\n      return;\n  }\n}\n\nnamespace {\n\n";
  return o.str();
}

std::string Source(const std::vector<Slot>& slots) {
  std::ostringstream o;
  o << "// The recording script function table's slots.  Generated by\n"
       "// tools/make_recording_table from src/shell/script/script_slots.txt: do not edit.\n"
       "#include <cstdarg>\n#include <cstdint>\n#include <cstdio>\n#include <utility>\n\n"
       "#include \"mission_abi.h\"\n#include \"test_support/recording_script_table.h\"\n\n"
       "namespace {\n\n";
  for (const Slot& s : slots) o << Function(s);
  o << Replay(slots);
  o << "}  // namespace\n\nconst char* const kRecordingSlotNames[SCRIPT_SLOT_COUNT] = {\n";
  for (const Slot& s : slots) o << "    \"" << s.name << "\",\n";
  o << "};\n\nvoid FillRecordingScriptTable(ScriptFunctionTable* t) {\n";
  for (const Slot& s : slots) o << "  t->" << s.name << " = Slot" << s.number << ";\n";
  o << "}\n";
  return o.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_recording_table <slot list> <source>\n");
    return 2;
  }
  std::string list, error;
  if (!ReadTextFile(argv[1], &list)) {
    std::fprintf(stderr, "make_recording_table: cannot read %s\n", argv[1]);
    return 1;
  }
  std::vector<Slot> slots;
  if (!make_script_table::ReadSlotList(list, &slots, &error)) {
    std::fprintf(stderr, "make_recording_table: %s\n", error.c_str());
    return 1;
  }
  if (!WriteTextFileIfChanged(argv[2], Source(slots))) {
    std::fprintf(stderr, "make_recording_table: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
