#include "test_support/recording_script_table.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

RecordingScriptTable* g_current = nullptr;

}  // namespace

void ScriptCall::Add(std::int32_t value) {
  ScriptArg a;
  a.i = value;
  args.push_back(a);
}

void ScriptCall::Add(std::uint32_t value) {
  ScriptArg a;
  a.i = value;
  args.push_back(a);
}

void ScriptCall::Add(long value) {
  ScriptArg a;
  a.i = value;
  args.push_back(a);
}

void ScriptCall::Add(float value) {
  ScriptArg a;
  a.kind = ScriptArg::kFloat;
  a.f = value;
  args.push_back(a);
}

void ScriptCall::Add(const char* text) {
  ScriptArg a;
  a.kind = ScriptArg::kText;
  a.pointer = text;
  if (text != nullptr) a.text = text;
  args.push_back(a);
}

void ScriptCall::AddText(const std::string& text) {
  ScriptArg a;
  a.kind = ScriptArg::kText;
  a.text = text;
  a.pointer = a.text.c_str();
  args.push_back(a);
}

void ScriptCall::Add(const ScriptVec3* vector) {
  ScriptArg a;
  a.kind = ScriptArg::kVector;
  a.pointer = vector;
  if (vector != nullptr) a.v = *vector;
  args.push_back(a);
}

void ScriptCall::Add(ScriptVec3* out) {
  ScriptArg a;
  a.kind = ScriptArg::kPointer;
  a.pointer = out;
  args.push_back(a);
}

void ScriptCall::Add(ScriptTimedCallback callback) {
  ScriptArg a;
  a.kind = ScriptArg::kCallback;
  a.callback = callback;
  args.push_back(a);
}

std::string ScriptCall::ToString() const {
  std::string s = std::string(name) + "(";
  char buffer[96];
  for (std::size_t n = 0; n < args.size(); ++n) {
    const ScriptArg& a = args[n];
    if (n) s += ", ";
    switch (a.kind) {
      case ScriptArg::kInt:
        std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(a.i));
        s += buffer;
        break;
      case ScriptArg::kFloat:
        std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(a.f));
        s += buffer;
        break;
      case ScriptArg::kText:
        s += a.pointer != nullptr ? "\"" + a.text + "\"" : "null";
        break;
      case ScriptArg::kVector:
        if (a.pointer == nullptr) {
          s += "null";
        } else {
          std::snprintf(buffer, sizeof buffer, "(%g, %g, %g)", static_cast<double>(a.v.x),
                        static_cast<double>(a.v.y), static_cast<double>(a.v.z));
          s += buffer;
        }
        break;
      case ScriptArg::kPointer:
        s += a.pointer != nullptr ? "ptr" : "null";
        break;
      case ScriptArg::kCallback:
        s += a.callback != nullptr ? "callback" : "null";
        break;
    }
  }
  return s + ")";
}

RecordingScriptTable::RecordingScriptTable() : previous_(g_current) {
  FillRecordingScriptTable(&table_);
  g_current = this;
}

RecordingScriptTable::~RecordingScriptTable() {
  if (g_current == this) g_current = previous_;
}

RecordingScriptTable* RecordingScriptTable::Current() { return g_current; }

int RecordingScriptTable::SlotOf(const char* name) {
  for (int n = 0; n < kSlots; ++n)
    if (std::strcmp(kRecordingSlotNames[n], name) == 0) return n;
  return -1;
}

const char* RecordingScriptTable::NameOf(int slot) {
  return slot >= 0 && slot < kSlots ? kRecordingSlotNames[slot] : "?";
}

namespace {

int KnownSlot(const char* name) {
  const int slot = RecordingScriptTable::SlotOf(name);
  if (slot < 0) {
    std::fprintf(stderr, "recording script table: no slot is named \"%s\"\n", name);
    std::abort();
  }
  return slot;
}

}  // namespace

void RecordingScriptTable::SetAnswer(const char* name, ScriptAnswer answer) {
  ScriptAnswer a = answer;
  a.set = true;
  answers_[KnownSlot(name)] = a;
}

void RecordingScriptTable::SetHandler(const char* name, ScriptHandler handler) {
  handlers_[KnownSlot(name)] = std::move(handler);
}

void RecordingScriptTable::ClearHandler(const char* name) { handlers_[KnownSlot(name)] = nullptr; }

ScriptAnswer RecordingScriptTable::Dispatch(ScriptCall&& call) {
  const int slot = call.slot;
  // Kept before the handler runs, so calls a handler causes come after it.
  const ScriptCall* kept = nullptr;
  if (recording_) {
    calls_.push_back(std::move(call));
    kept = &calls_.back();
  }
  if (handlers_[slot]) {
    if (kept == nullptr) return handlers_[slot](call);
    const ScriptCall copy = *kept;  // the log may grow while the handler runs
    return handlers_[slot](copy);
  }
  return answers_[slot];
}

std::vector<const ScriptCall*> RecordingScriptTable::CallsOf(const char* name) const {
  std::vector<const ScriptCall*> out;
  for (const ScriptCall& c : calls_)
    if (std::strcmp(c.name, name) == 0) out.push_back(&c);
  return out;
}

std::size_t RecordingScriptTable::Count(const char* name) const { return CallsOf(name).size(); }

std::vector<std::string> RecordingScriptTable::Log(const std::vector<std::string>& names) const {
  std::vector<std::string> out;
  for (const ScriptCall& c : calls_) {
    bool wanted = names.empty();
    for (const std::string& n : names) wanted = wanted || n == c.name;
    if (wanted) out.push_back(c.ToString());
  }
  return out;
}

int RecordingScriptTable::Find(const char* name, std::size_t from) const {
  for (std::size_t n = from; n < calls_.size(); ++n)
    if (std::strcmp(calls_[n].name, name) == 0) return static_cast<int>(n);
  return -1;
}
