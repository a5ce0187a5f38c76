// Reads the tokens of the animation text files: words separated by blanks
// and commas, whole numbers, decimal numbers and names (quoted or bare).
// Every reader answers false when the text has ended or the token is not of
// its kind, so that a damaged file is refused instead of read as zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class AnimTextCursor {
 public:
  explicit AnimTextCursor(const char* text);

  // Bytes left from the cursor to the end of the text.
  std::size_t Remaining() const;
  bool AtEnd();

  bool Word(std::string* out);
  // The next word must be this keyword (exact).
  bool Expect(const char* keyword);
  bool Int(std::int32_t* out);
  // A finite decimal number.
  bool Float(float* out);
  bool Floats(float* out, int n);
  // A quoted string (to the next double quote) or a bare word.
  bool Name(std::string* out);
  // Words up to and including the "}" that closes a block already opened.
  bool SkipBlock();

 private:
  void SkipBlanks();
  const char* p_;
  const char* end_;
};
