// Readers of a keyword followed by its value, in files read through the shared
// handle or in text in memory, and of little-endian words.
//
// A keyword, when given, is one blank-delimited word that must equal it
// exactly.  Blanks, tabs, carriage returns and line feeds are then skipped.  A
// double quote starts a quoted value that runs to the next double quote (the
// quotes are not stored); any other character starts a bare value that ends
// at a blank, tab, carriage return or line feed (consumed).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "foundation/files/buffered_file.h"

// Reads [keyword] value from the open file into value (size bytes).  0 when
// the keyword does not match (the word is consumed) or when the value had to
// be cut to size - 1 characters (the rest stays unread).
int FileReadKeywordString(BufferedFile* handle, const char* keyword, char* value, std::size_t size);
template <std::size_t N>
int FileReadKeywordString(BufferedFile* handle, const char* keyword, char (&value)[N]) {
  return FileReadKeywordString(handle, keyword, value, N);
}

// The same over text in memory; *cursor is advanced past what was read.
int TextReadKeywordStringN(const char** cursor, const char* keyword, char* value, std::size_t size);
template <std::size_t N>
int TextReadKeywordString(const char** cursor, const char* keyword, char (&value)[N]) {
  return TextReadKeywordStringN(cursor, keyword, value, N);
}

// Writes the 4 bytes of *value (little-endian); 1, or 0 when the write failed.
int WriteU32(const std::uint32_t* value, std::FILE* stream);
// Reads a little-endian u32 through the handle; stores 0 and answers 0 when
// fewer than 4 bytes were left, else answers 1.
int FileReadU32(std::uint32_t* value, BufferedFile* handle);
