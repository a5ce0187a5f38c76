#include "physics/util/me_message.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kBufferSize = 5000;
char g_buffer[kBufferSize];

int g_infoLevel = 0;
int g_warningLevel = 0;
int g_debugLevel = 0;

MeOutputFn g_infoOut = MeOutputToStderr;
MeOutputFn g_warningOut = MeOutputToStderr;
MeOutputFn g_fatalOut = MeOutputFatalBox;
MeOutputFn g_debugOut = MeOutputNull;

void DefaultExit(int code) { std::exit(code); }
MeFatalExitFn g_exit = DefaultExit;

// Sends the prefix, then the text, as two pieces.
void FormatTwoPieces(MeOutputFn out, int level, const char* prefix, const char* format,
                     va_list args, bool echo) {
  std::snprintf(g_buffer, kBufferSize, prefix, level);
  if (echo) std::printf("%s\n", g_buffer);
  out(level, g_buffer);
  std::vsnprintf(g_buffer, kBufferSize, format, args);
  if (echo) std::printf("%s\n", g_buffer);
  out(level, g_buffer);
}

void InfoFormatter(int level, const char* format, va_list args) {
  if (level > g_infoLevel) return;
  FormatTwoPieces(g_infoOut, level, "MeInfo{%d}: ", format, args, false);
}
void WarningFormatter(int level, const char* format, va_list args) {
  if (level > g_warningLevel) return;
  FormatTwoPieces(g_warningOut, level, "MeWarning{%d}: ", format, args, false);
}
void DebugFormatter(int level, const char* format, va_list args) {
  if (level > g_debugLevel) return;
  FormatTwoPieces(g_debugOut, level, "MeDebug{%d}: ", format, args, false);
}
void FatalFormatter(int level, const char* format, va_list args) {
  FormatTwoPieces(g_fatalOut, level, "MeFatalError{%d}: ", format, args, true);
  std::fflush(stdout);
  g_exit(1);
}

MeFormatterFn g_infoFmt = InfoFormatter;
MeFormatterFn g_warningFmt = WarningFormatter;
MeFormatterFn g_fatalFmt = FatalFormatter;
MeFormatterFn g_debugFmt = DebugFormatter;

template <typename T>
T Swap(T& slot, T value) {
  T old = slot;
  slot = value;
  return old;
}

}  // namespace

void MeInfo(int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  g_infoFmt(level, format, args);
  va_end(args);
}

void MeWarning(int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  g_warningFmt(level, format, args);
  va_end(args);
}

void MeDebug(int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  g_debugFmt(level, format, args);
  va_end(args);
}

void MeFatalError(int level, const char* format, ...) {
  std::printf("MeFatalError\n");
  va_list args;
  va_start(args, format);
  g_fatalFmt(level, format, args);
  va_end(args);
}

MeOutputFn MeSetInfoOutput(MeOutputFn fn) { return Swap(g_infoOut, fn); }
MeOutputFn MeSetWarningOutput(MeOutputFn fn) { return Swap(g_warningOut, fn); }
MeOutputFn MeSetFatalErrorOutput(MeOutputFn fn) { return Swap(g_fatalOut, fn); }
MeOutputFn MeSetDebugOutput(MeOutputFn fn) { return Swap(g_debugOut, fn); }
MeFormatterFn MeSetInfoFormatter(MeFormatterFn fn) { return Swap(g_infoFmt, fn); }
MeFormatterFn MeSetWarningFormatter(MeFormatterFn fn) { return Swap(g_warningFmt, fn); }
MeFormatterFn MeSetFatalErrorFormatter(MeFormatterFn fn) { return Swap(g_fatalFmt, fn); }
MeFormatterFn MeSetDebugFormatter(MeFormatterFn fn) { return Swap(g_debugFmt, fn); }
MeFatalExitFn MeSetFatalExit(MeFatalExitFn fn) { return Swap(g_exit, fn ? fn : DefaultExit); }

void MeOutputToStderr(int, const char* text) { std::fputs(text, stderr); }
void MeOutputToStdout(int, const char* text) { std::fputs(text, stdout); }
void MeOutputNull(int, const char*) {}
void MeOutputFatalBox(int, const char* text) {
  std::fprintf(stderr, "[Halberd Physics Toolkit] %s", text);
  size_t n = std::strlen(text);
  if (n == 0 || text[n - 1] != '\n') std::fputc('\n', stderr);
}

void MeSetInfoLevel(int level) { g_infoLevel = level; }
void MeSetWarningLevel(int level) { g_warningLevel = level; }
void MeSetDebugLevel(int level) { g_debugLevel = level; }

const char* MePathBaseName(const char* path) {
  const char* slash = std::strrchr(path, '\\');
  return slash ? slash + 1 : path;
}

const char* MeVersionString() { return "1.0.2 (build 622)"; }
