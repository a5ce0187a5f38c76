// Reads the tokens of the model source files and the animation files made
// from them: words separated by blanks and commas, whole numbers, decimal
// numbers and names (quoted or bare), and blocks (a keyword, "{", the block's
// lines, "}").  Every reader answers false when the text has ended or the
// token is not of its kind, so that a damaged file is refused instead of read
// as zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class ModelTextCursor {
 public:
  explicit ModelTextCursor(const char* text);

  // Bytes left from the cursor to the end of the text.
  std::size_t Remaining() const;
  bool AtEnd();
  // Line of the cursor (1 for the first), for messages.
  int Line() const;

  bool Word(std::string* out);
  // The next word must be this keyword (exact).
  bool Expect(const char* keyword);
  bool Int(std::int32_t* out);
  // A finite decimal number.
  bool Float(float* out);
  bool Floats(float* out, int n);
  // A quoted string (to the next double quote) or a bare word.
  bool Name(std::string* out);
  // A label word (read and ignored), then a whole number or a decimal number.
  bool LabelInt(std::int32_t* out);
  bool LabelFloat(float* out);
  // A label word, then n decimal numbers.
  bool LabelFloats(float* out, int n);

  // The keyword and the "{" that opens its block.
  bool Block(const char* keyword);
  // The "}" that closes a block.
  bool EndBlock();
  // Words up to and including the "}" that closes a block already opened.
  bool SkipBlock();

 private:
  void SkipBlanks();
  const char* start_;
  const char* p_;
  const char* end_;
};
