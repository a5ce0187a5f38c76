#include "world/environment/env_text_cursor.h"

#include <cmath>

#include "foundation/text/keyword_readers.h"
#include "foundation/text/scanner.h"

namespace {

const char kEmpty[] = "";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

const char* SkipBlanks(const char* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

}  // namespace

EnvTextCursor::EnvTextCursor(const char* text) : start_(text ? text : kEmpty), cursor_(start_) {}

bool EnvTextCursor::AtEnd() const { return *SkipBlanks(cursor_) == 0; }

int EnvTextCursor::Line() const {
  int line = 1;
  for (const char* p = start_; p < cursor_; ++p) line += *p == '\n';
  return line;
}

bool EnvTextCursor::Token(char* out, std::size_t size) {
  if (!out || size == 0) return false;
  const char* p = SkipBlanks(cursor_);
  std::size_t n = 0;
  for (; *p && !IsBlank(*p); ++p)
    if (n + 1 < size) out[n++] = *p;
  out[n] = 0;
  bool found = p != SkipBlanks(cursor_);
  cursor_ = p;
  return found;
}

bool EnvTextCursor::Word(char* out, std::size_t size) {
  if (!out || size == 0) return false;
  out[0] = 0;
  if (AtEnd()) {
    cursor_ = SkipBlanks(cursor_);
    return false;
  }
  return TextReadKeywordStringN(&cursor_, nullptr, out, size) != 0;
}

bool EnvTextCursor::RestOfLine(char* out, std::size_t size, bool* cut) {
  if (cut) *cut = false;
  if (!out || size == 0) return false;
  out[0] = 0;
  if (*cursor_ == 0) return false;
  const char* p = cursor_;
  std::size_t n = 0;
  for (; *p && *p != '\n'; ++p) {
    if (n + 1 < size)
      out[n++] = *p;
    else if (cut)
      *cut = true;
  }
  if (n > 0 && out[n - 1] == '\r') --n;
  out[n] = 0;
  cursor_ = *p == '\n' ? p + 1 : p;
  return true;
}

bool EnvTextCursor::Int(int* value) {
  int scratch = 0;
  const char* before = SkipBlanks(cursor_);
  sscanf1(&cursor_, "%d", value ? value : &scratch);
  return cursor_ != before;
}

bool EnvTextCursor::Real(float* value) {
  float read = 0.0f;
  const char* before = SkipBlanks(cursor_);
  sscanf1(&cursor_, "%f", &read);
  // Infinities and "not a number" (spelt out, or a number past the float's
  // range) would poison every sum they reach: a damaged file, like no number.
  if (cursor_ == before || !std::isfinite(read)) {
    cursor_ = before;
    if (value) *value = 0.0f;
    return false;
  }
  if (value) *value = read;
  return true;
}

bool EnvTextCursor::Reals(float* values, int n) {
  for (int i = 0; i < n; ++i)
    if (!Real(values ? &values[i] : nullptr)) return false;
  return true;
}
