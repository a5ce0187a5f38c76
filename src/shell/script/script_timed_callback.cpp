#include "shell/script/script_timed_callback.h"

#include <cstring>

#include "shell/level/mission_plugin.h"
#include "world/timing/timed_callback_list.h"

namespace {

// A pointer-sized value into two 32-bit words, low half first, and back.
void Split(std::uint64_t value, std::uint32_t* words) {
  words[0] = static_cast<std::uint32_t>(value);
  words[1] = static_cast<std::uint32_t>(value >> 32);
}

std::uint64_t Join(const std::uint32_t* words) {
  return static_cast<std::uint64_t>(words[0]) | (static_cast<std::uint64_t>(words[1]) << 32);
}

}  // namespace

static_assert(sizeof(std::intptr_t) <= sizeof(std::uint64_t) && kTimedCallbackParams >= 6,
              "a callback and two pointer-sized parameters fit the entry's words");

ScriptTimer* PostScriptTimedCallback(CTimedCallbackList* list, ScriptTimedCallback cb, std::intptr_t p1,
                                     std::intptr_t p2, std::uint32_t delayMs, std::uint32_t flags) {
  if (list == nullptr || cb == nullptr) return nullptr;
  TimedCallbackRequest request;
  request.callback = ScriptTimedTrampoline;
  request.delay = delayMs;
  request.flags = flags;
  std::uint64_t address = 0;
  static_assert(sizeof(cb) <= sizeof(address));
  std::memcpy(&address, &cb, sizeof(cb));
  Split(address, &request.params[0]);
  Split(static_cast<std::uint64_t>(p1), &request.params[2]);
  Split(static_cast<std::uint64_t>(p2), &request.params[4]);
  return reinterpret_cast<ScriptTimer*>(list->Post(request));
}

void ScriptTimedTrampoline(TimedCallbackEntry* entry) {
  if (entry == nullptr || !MissionPluginBound()) return;
  const std::uint64_t address = Join(&entry->params[0]);
  ScriptTimedCallback cb = nullptr;
  std::memcpy(&cb, &address, sizeof(cb));
  if (cb == nullptr) return;
  const ScriptTimedEvent event{static_cast<std::intptr_t>(Join(&entry->params[2])),
                               static_cast<std::intptr_t>(Join(&entry->params[4]))};
  cb(&event);
}

std::intptr_t ScriptTimedParameter1(const TimedCallbackEntry* entry) {
  if (entry == nullptr || entry->callback != ScriptTimedTrampoline) return 0;
  return static_cast<std::intptr_t>(Join(&entry->params[2]));
}
