// The single-byte code page of the game's text (Windows-1252): typed text
// reaches the window procedure as WM_CHAR bytes of this code page, whatever
// the system's own text encoding is.
#pragma once

#include <cstddef>

// Converts UTF-8 text to code-page bytes: characters the code page has become
// their byte, others (and malformed UTF-8) are dropped.  Writes at most
// `size` bytes to `out` (no terminator) and answers how many it wrote.
std::size_t Utf8ToCodePage1252(const char* utf8, unsigned char* out, std::size_t size);
// The code-page byte of one Unicode code point, or -1 when it has none.
int CodePage1252FromCodePoint(unsigned codePoint);
