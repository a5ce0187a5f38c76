// Developer diagnostics: formatted lines sent to the debugger output
// (`OutputDebugStringA`).  Nothing fails; long texts are cut.
#pragma once

// Formats at most 4095 characters and sends them to the debug output.
void DebugTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same through a 512-character buffer.
void DebugTraceShort(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Trace entry points that are switched off: they do nothing.
void DebugTraceNull(const char* format, ...) __attribute__((format(printf, 1, 2)));
void DebugTraceNull2(const char* format, ...) __attribute__((format(printf, 1, 2)));
