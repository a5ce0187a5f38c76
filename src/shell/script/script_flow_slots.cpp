// Slots 279-281, 286, 287, 313, 315, 342, 343 and 392-394: the timed pause,
// the screen return id, object counts and ids, the script's debug
// line and the slots that do nothing.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "foundation/system/debug_output.h"
#include "menus/screens/screen_manager.h"
#include "shell/script/script_function_table.h"
#include "shell/script/script_state.h"
#include "world/effects/explosions.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"
#include "world/timing/timed_callback_list.h"

namespace {

// The pause of slot 279 keeps the real clock running, so that its resume
// entry (real clock) can fire.
constexpr std::uint32_t kScriptPauseFlags = 0x2;
constexpr int kHLOKinds = 10;
constexpr std::size_t kDebugLineSize = 1024;

void ResumeAfterScriptPause(TimedCallbackEntry*) { SetGamePaused(0, kScriptPauseFlags); }

// Formats the plug-in's debug line into `out` (at most size - 1 characters).
// A C argument list does not say how many arguments it holds, so only
// conversions of numbers and characters read one: "%s", "%p", "%n" and
// anything else are written out literally and read nothing, so that a
// format with more conversions than arguments can never follow a pointer
// that was not passed.
void FormatDebugLine(char* out, std::size_t size, const char* format, va_list args) {
  std::size_t used = 0;
  const auto put = [&](const char* text, std::size_t n) {
    const std::size_t room = size - 1 - used;
    if (n > room) n = room;
    std::memcpy(out + used, text, n);
    used += n;
  };
  const char* p = format;
  while (*p != 0 && used + 1 < size) {
    if (*p != '%') {
      const char* q = std::strchr(p, '%');
      const std::size_t n = q != nullptr ? static_cast<std::size_t>(q - p) : std::strlen(p);
      put(p, n);
      p += n;
      continue;
    }
    // "%" [flags] [width] ["." precision] [length] conversion, digits only.
    const char* start = p++;
    while (*p != 0 && std::strchr("-+ #0", *p) != nullptr) ++p;
    while (*p >= '0' && *p <= '9') ++p;
    if (*p == '.') {
      ++p;
      while (*p >= '0' && *p <= '9') ++p;
    }
    int longs = 0;
    while (*p == 'l' && longs < 2) {
      ++p;
      ++longs;
    }
    const char conversion = *p;
    if (conversion == 0) {
      put(start, static_cast<std::size_t>(p - start));
      break;
    }
    ++p;
    const std::size_t directiveLength = static_cast<std::size_t>(p - start);
    char directive[32];
    char piece[128];
    int written = -1;
    if (conversion == '%' && directiveLength == 2) {
      put("%", 1);
      continue;
    }
    if (directiveLength < sizeof directive) {
      std::memcpy(directive, start, directiveLength);
      directive[directiveLength] = 0;
      if (std::strchr("diouxXc", conversion) != nullptr) {
        if (longs == 0)
          written = std::snprintf(piece, sizeof piece, directive, va_arg(args, int));
        else if (longs == 1)
          written = std::snprintf(piece, sizeof piece, directive, va_arg(args, long));
        else
          written = std::snprintf(piece, sizeof piece, directive, va_arg(args, long long));
      } else if (std::strchr("feEgG", conversion) != nullptr && longs == 0) {
        written = std::snprintf(piece, sizeof piece, directive, va_arg(args, double));
      }
    }
    if (written < 0) {
      put(start, directiveLength);
    } else {
      put(piece, static_cast<std::size_t>(written) < sizeof piece ? static_cast<std::size_t>(written)
                                                                  : sizeof piece - 1);
    }
  }
  out[used] = 0;
}

}  // namespace

// The script's debug line formatter, for tests.
void FormatScriptDebugLine(char* out, std::size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatDebugLine(out, size, format, args);
  va_end(args);
}

namespace script_slot {

// Pauses the game; with a time above 0 a real-clock one-shot entry, which
// slot 344 does not remove, resumes it after that many ms.  A negative time,
// or a resume that the list cannot take, changes nothing.
void GamePauseFor(int32_t timeMs) {
  if (timeMs < 0) return;
  if (timeMs > 0) {
    if (g_TimedCallbacks == nullptr) return;
    TimedCallbackRequest request;
    request.callback = ResumeAfterScriptPause;
    request.delay = static_cast<std::uint32_t>(timeMs);
    request.flags = TCF_ONE_SHOT | TCF_REAL_CLOCK;
    if (g_TimedCallbacks->Post(request) == nullptr) {
      DebugTrace("GamePauseFor: no room for the resume callback\n");
      return;
    }
  }
  SetGamePaused(1, kScriptPauseFlags);
}

int32_t ScreenSetReturnId(int32_t screenId) {
  g_ScriptState.screenReturnId = screenId;
  return screenId;
}

int32_t ObjectCount(void) {
  if (g_HLOManager == nullptr) return 0;
  int count = 0;
  for (int kind = 0; kind < kHLOKinds; ++kind) count += g_HLOManager->CountObjects(kind, 3, -1, 0);
  return count;
}

void ScriptNop286(void) {}
void ScriptNop287(void) {}

void DebugPrintf(const char* format, ...) {
  if (format == nullptr) return;
  char line[kDebugLineSize];
  va_list args;
  va_start(args, format);
  FormatDebugLine(line, sizeof line, format, args);
  va_end(args);
  DebugTrace("%s", line);
}

// 1 when an object bears the id; 0 for negative ids.
int32_t ObjectIdIsUsed(int32_t id) {
  if (id < 0 || g_HLOManager == nullptr) return 0;
  return g_HLOManager->HasId(id) ? 1 : 0;
}

int32_t ScriptReturnZero342(void) { return 0; }
void ScriptNop343(void) {}
void ScriptNop392(void) {}
void ScriptNop393(void) {}
void ScriptNop394(void) {}

}  // namespace script_slot
