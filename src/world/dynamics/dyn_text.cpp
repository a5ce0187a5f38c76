#include "world/dynamics/dyn_text.h"

#include <cmath>
#include <cstdio>

#include "foundation/text/keyword_readers.h"
#include "foundation/text/scanner.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether a number of the scanner's form starts at p (an optional "-", then a
// digit, or a "." followed by a digit for floats).
bool StartsNumber(const char* p, bool allowPoint) {
  if (*p == '-') ++p;
  if (IsDigit(*p)) return true;
  return allowPoint && *p == '.' && IsDigit(p[1]);
}

}  // namespace

DynTextReader::DynTextReader(const char* text, const char* fileName)
    : start_(text ? text : ""), cursor_(start_), field_(start_), fileName_(fileName ? fileName : "") {}

bool DynTextReader::Next() {
  if (failed() || ended_) return false;
  while (IsBlank(*cursor_) || *cursor_ == ',') ++cursor_;
  if (*cursor_ == 0) ended_ = true;
  field_ = cursor_;
  return !ended_;
}

int DynTextReader::Line() const {
  int line = 1;
  for (const char* p = start_; p < field_; ++p)
    if (*p == '\n') ++line;
  return line;
}

void DynTextReader::Fail(const char* what) {
  if (failed()) return;
  char message[256];
  std::snprintf(message, sizeof message, "Dynamic data \"%s\", line %d: %s\n", fileName_.c_str(), Line(), what);
  error_ = message;
}

void DynTextReader::Int(int& value) {
  if (!Next()) return;
  if (!StartsNumber(cursor_, false)) return Fail("a whole number was expected");
  int read = 0;
  sscanf1(&cursor_, "%d", &read);
  value = read;
}

void DynTextReader::Float(float& value) {
  if (!Next()) return;
  if (!StartsNumber(cursor_, true)) return Fail("a number was expected");
  float read = 0.0f;
  sscanf1(&cursor_, "%f", &read);
  // A run of digits can exceed the float range; nothing downstream copes with infinities.
  if (!std::isfinite(read)) return Fail("a number is out of range");
  value = read;
}

void DynTextReader::Vector(Vector3& value) {
  Float(value.x);
  Float(value.y);
  Float(value.z);
}

void DynTextReader::Word(std::string& value) {
  if (!Next()) return;
  std::size_t length = 0;
  while (cursor_[length] && !IsBlank(cursor_[length])) ++length;
  if (length > kDynNameMax) return Fail("a name is too long");
  char word[kDynNameMax + 1];
  sscanf1(&cursor_, "%127s", word);
  value = word;
}

void DynTextReader::QuotedWord(std::string& value) {
  if (!Next()) return;
  char word[kDynNameMax + 1];
  if (!TextReadKeywordStringN(&cursor_, nullptr, word, sizeof word)) return Fail("a name is too long");
  value = word;
}

void DynTextWriter::Separate() {
  if (!text_.empty() && text_.back() != '\n') text_ += ' ';
}

void DynTextWriter::Int(int value) {
  Separate();
  text_ += std::to_string(value);
}

void DynTextWriter::Float(float value) {
  Separate();
  char number[64];
  std::snprintf(number, sizeof number, "%.6f", static_cast<double>(value));
  text_ += number;
}

void DynTextWriter::Vector(const Vector3& value) {
  Float(value.x);
  Float(value.y);
  Float(value.z);
}

void DynTextWriter::Word(const std::string& value) {
  Separate();
  text_ += value;
}

void DynTextWriter::QuotedWord(const std::string& value) {
  Separate();
  text_ += '"';
  text_ += value;
  text_ += '"';
}

void DynTextWriter::NewLine() { text_ += '\n'; }
