// The level text as the section readers of the environment file see it: the
// scanner's cursor over NUL-terminated text, with each read answering whether
// a value stood there.  A reader that meets the end of the text or a value of
// the wrong form stops at once instead of reading zeros forever, and a
// message can name the line where it stopped.  Main thread only.
#pragma once

#include <cstddef>

class EnvTextCursor {
 public:
  // A cursor at the start of `text` (NUL-terminated; may be null = empty).
  explicit EnvTextCursor(const char* text);

  // One "%s" token: the run of non-blank characters, of which at most
  // size - 1 are kept (the rest of a longer run is skipped).  False, with an
  // empty `out`, when only blanks were left.
  bool Token(char* out, std::size_t size);
  template <std::size_t N>
  bool Token(char (&out)[N]) { return Token(out, N); }
  // One word: a double-quoted string or a bare word.  False at the end of
  // the text, or when the word does not fit in size - 1 characters (the
  // cursor then stands inside it).
  bool Word(char* out, std::size_t size);
  template <std::size_t N>
  bool Word(char (&out)[N]) { return Word(out, N); }
  // The rest of the current line (a carriage return before its end is
  // dropped), of which at most size - 1 characters are kept; the cursor
  // moves past the line's end.  False at the end of the text.  Answers in
  // *cut whether the line was longer than kept (may be null).
  bool RestOfLine(char* out, std::size_t size, bool* cut = nullptr);
  // One "%d" integer; false, with 0 stored and nothing consumed, when no
  // number stands at the cursor.
  bool Int(int* value);
  // One "%f" real; false, with 0 stored and nothing consumed, when no number
  // stands at the cursor or the number is not finite (an infinity, "not a
  // number", or a value past the float's range).
  bool Real(float* value);
  // `n` reals in a row; false at the first that is missing.
  bool Reals(float* values, int n);

  // True when only blanks are left.
  bool AtEnd() const;
  // 1-based line number of the cursor, for messages about damaged text.
  int Line() const;
  // The cursor itself, for readers that take the scanner's cursor.
  const char** Cursor() { return &cursor_; }
  // The text the cursor was made over.
  const char* Start() const { return start_; }
  // Bytes consumed so far.
  std::size_t Offset() const { return static_cast<std::size_t>(cursor_ - start_); }

 private:
  const char* start_;
  const char* cursor_;
};
