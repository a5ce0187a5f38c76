// Timed callbacks of a plug-in on the world library's timed-callback list.
// The list's entries hold 32-bit words and game callbacks; a plug-in's
// callback and its two pointer-sized parameters are kept in the entry's
// parameter words (callback in words 0-1, first parameter in 2-3, second in
// 4-5, low half first) and one game-side trampoline, run by the list, hands
// them to the plug-in as a ScriptTimedEvent.  The trampoline has no callback
// code, so such entries are never written to saved games.
#pragma once

#include <cstdint>

#include "mission_abi.h"

class CTimedCallbackList;
struct TimedCallbackEntry;

// Posts cb(p1, p2) after delayMs with the list's flags (TCF_*); answers the
// entry as the plug-in's timer, or null when the list takes no post.
ScriptTimer* PostScriptTimedCallback(CTimedCallbackList* list, ScriptTimedCallback cb, std::intptr_t p1,
                                     std::intptr_t p2, std::uint32_t delayMs, std::uint32_t flags);
// The list's callback of such entries: calls the plug-in's callback while a
// plug-in is bound (an entry that outlived its plug-in does nothing).
void ScriptTimedTrampoline(TimedCallbackEntry* entry);
// The first parameter of such an entry (0 for any other entry).
std::intptr_t ScriptTimedParameter1(const TimedCallbackEntry* entry);
