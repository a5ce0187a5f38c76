// The per-frame debug text: game code appends printf-style lines during a
// frame, the frame overlay shows the buffer, and the game shell empties it
// once per frame.  8192 bytes; what does not fit is cut.  Main thread only.
#pragma once

inline constexpr int kDebugTextSize = 8192;

// Empties the buffer.
void DebugTextClear();
// Formats (at most 1023 characters) and appends to the buffer.
void DebugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The buffer (always terminated).
const char* GetDebugText();
