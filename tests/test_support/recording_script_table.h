// A script function table for tests and benchmarks of mission plug-ins: each
// of the 565 slots (the functions are generated from the slot list) records
// its call -- slot, name, arguments -- and answers what the test set for it:
// a fixed answer, or the answer of a handler that sees the call; with
// neither, the slot's failure value (as a game slot that cannot act).
// One table is current at a time (the one made last); main thread only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mission_abi.h"

// One argument as the slot received it.
struct ScriptArg {
  enum Kind { kInt, kFloat, kText, kPointer, kVector, kCallback };
  Kind kind = kInt;
  std::int64_t i = 0;
  float f = 0.0f;
  std::string text;              // kText (empty for a null text, see pointer)
  const void* pointer = nullptr;  // kText, kPointer, kVector: the address
  ScriptVec3 v = {0, 0, 0};       // kVector: the vector read at the call
  ScriptTimedCallback callback = nullptr;
};

struct ScriptCall {
  ScriptCall(int slot, const char* name) : slot(slot), name(name) {}
  void Add(std::int32_t value);
  void Add(std::uint32_t value);
  void Add(long value);
  void Add(float value);
  void Add(const char* text);
  void Add(const ScriptVec3* vector);
  void Add(ScriptVec3* out);  // an output vector: its address only
  void Add(ScriptTimedCallback callback);
  template <typename T>
  void Add(T* pointer) {
    ScriptArg a;
    a.kind = ScriptArg::kPointer;
    a.pointer = pointer;
    args.push_back(a);
  }
  void AddText(const std::string& text);

  std::int32_t Int(std::size_t n) const { return n < args.size() ? static_cast<std::int32_t>(args[n].i) : 0; }
  std::int64_t Wide(std::size_t n) const { return n < args.size() ? args[n].i : 0; }
  float Float(std::size_t n) const { return n < args.size() ? args[n].f : 0.0f; }
  std::string Text(std::size_t n) const { return n < args.size() ? args[n].text : std::string(); }
  const void* Pointer(std::size_t n) const { return n < args.size() ? args[n].pointer : nullptr; }
  ScriptVec3 Vector(std::size_t n) const { return n < args.size() ? args[n].v : ScriptVec3{0, 0, 0}; }
  ScriptTimedCallback Callback(std::size_t n) const { return n < args.size() ? args[n].callback : nullptr; }
  // "Name(arg, ...)": numbers as decimals, floats with %g, texts quoted,
  // vectors as (x, y, z), pointers as "ptr" or "null".
  std::string ToString() const;

  int slot;
  const char* name;
  std::vector<ScriptArg> args;
};

// What a slot answers; unset: the slot's failure value.
struct ScriptAnswer {
  static ScriptAnswer Int(std::int64_t v) { return {true, v, 0.0f, nullptr}; }
  static ScriptAnswer Float(float v) { return {true, 0, v, nullptr}; }
  static ScriptAnswer Pointer(const void* p) { return {true, 0, 0.0f, const_cast<void*>(p)}; }
  static ScriptAnswer None() { return {}; }
  bool set = false;
  std::int64_t i = 0;
  float f = 0.0f;
  void* pointer = nullptr;
};

using ScriptHandler = std::function<ScriptAnswer(const ScriptCall&)>;

class RecordingScriptTable {
 public:
  static constexpr int kSlots = SCRIPT_SLOT_COUNT;
  RecordingScriptTable();
  ~RecordingScriptTable();
  RecordingScriptTable(const RecordingScriptTable&) = delete;
  RecordingScriptTable& operator=(const RecordingScriptTable&) = delete;

  const ScriptFunctionTable* Table() const { return &table_; }
  static RecordingScriptTable* Current();

  // By slot name (a name the slot list lacks fails the calling test).
  void SetAnswer(const char* name, ScriptAnswer answer);
  void SetHandler(const char* name, ScriptHandler handler);
  void ClearHandler(const char* name);
  // Recording on (the default) keeps every call; off keeps none (benchmarks).
  void SetRecording(bool on) { recording_ = on; }

  const std::vector<ScriptCall>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  std::vector<const ScriptCall*> CallsOf(const char* name) const;
  std::size_t Count(const char* name) const;
  // Each call as ToString(), in order; only the slots named when names is
  // not empty.
  std::vector<std::string> Log(const std::vector<std::string>& names = {}) const;
  // Index of the first call of that name at or after `from`, or -1.
  int Find(const char* name, std::size_t from = 0) const;

  static int SlotOf(const char* name);
  static const char* NameOf(int slot);

  // For the generated slot functions.
  bool WantsCall(int slot) const { return recording_ || static_cast<bool>(handlers_[slot]); }
  ScriptAnswer FixedAnswer(int slot) const { return answers_[slot]; }
  ScriptAnswer Dispatch(ScriptCall&& call);

 private:
  ScriptFunctionTable table_{};
  std::array<ScriptAnswer, kSlots> answers_{};
  std::array<ScriptHandler, kSlots> handlers_{};
  std::vector<ScriptCall> calls_;
  bool recording_ = true;
  RecordingScriptTable* previous_ = nullptr;
};

// Generated: calls the slot's recording function directly (not through a
// table) with the arguments of a recorded call; output places get scratch
// storage.  For benchmarks that weigh a plug-in's calls against the bare
// calls.
void ReplayScriptCall(const ScriptCall& call);
// Generated: fills every member with its recording function.
void FillRecordingScriptTable(ScriptFunctionTable* table);
extern const char* const kRecordingSlotNames[SCRIPT_SLOT_COUNT];
