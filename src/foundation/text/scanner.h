// The text scanner that most text-file readers use, and small text helpers.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// Largest "%s" token `sscanf1` stores when the format gives no width.
inline constexpr std::size_t kScanStringMax = 255;

// Scans values from *cursor by `format` and advances the cursor; answers 1.
// Conversions: "%d" (int*), "%f" (float*), "%s" (char*), "%08x" (unsigned
// int*), separated in the format by blanks and commas; input commas are not
// skipped.  "%s" stores at most kScanStringMax characters and the NUL, or at
// most N with a width ("%31s"); the rest of a longer token is skipped.  An
// unknown format character is reported on the console and ends the scan.
int sscanf1(const char** cursor, const char* format, ...);
int sscanf1(char** cursor, const char* format, ...);
// The same with the pointers in a va_list.
int vsscanf1(const char** cursor, const char* format, va_list args);
// Number of line-feed bytes in n bytes of data.
int CountLines(const char* data, std::size_t n);
// Narrows a 16-bit string into `out` (at most size - 1 characters and the
// NUL): characters below 0x20 and with a high byte of 0x01..0x10 are dropped,
// other characters with a high byte of 0x11 or more become the byte 2.
void NarrowString16(char* out, const std::uint16_t* in, std::size_t size);
