#include "scene/model/model_text_cursor.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; }

}  // namespace

ModelTextCursor::ModelTextCursor(const char* text)
    : start_(text ? text : ""), p_(start_), end_(start_ + std::strlen(start_)) {}

std::size_t ModelTextCursor::Remaining() const { return static_cast<std::size_t>(end_ - p_); }

int ModelTextCursor::Line() const { return 1 + static_cast<int>(std::count(start_, p_, '\n')); }

void ModelTextCursor::SkipBlanks() {
  while (*p_ && IsSeparator(*p_)) ++p_;
}

bool ModelTextCursor::AtEnd() {
  SkipBlanks();
  return *p_ == 0;
}

bool ModelTextCursor::Word(std::string* out) {
  SkipBlanks();
  if (!*p_) return false;
  const char* start = p_;
  while (*p_ && !IsSeparator(*p_)) ++p_;
  out->assign(start, p_);
  return true;
}

bool ModelTextCursor::Expect(const char* keyword) {
  std::string w;
  return Word(&w) && w == keyword;
}

bool ModelTextCursor::Int(std::int32_t* out) {
  std::string w;
  if (!Word(&w)) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(w.c_str(), &end, 10);
  if (end == w.c_str() || *end || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
  *out = static_cast<std::int32_t>(v);
  return true;
}

bool ModelTextCursor::Float(float* out) {
  std::string w;
  if (!Word(&w)) return false;
  char* end = nullptr;
  const float v = std::strtof(w.c_str(), &end);
  if (end == w.c_str() || *end || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool ModelTextCursor::Floats(float* out, int n) {
  for (int i = 0; i < n; ++i)
    if (!Float(&out[i])) return false;
  return true;
}

bool ModelTextCursor::Name(std::string* out) {
  SkipBlanks();
  if (!*p_) return false;
  if (*p_ != '"') return Word(out);
  const char* start = ++p_;
  while (*p_ && *p_ != '"') ++p_;
  out->assign(start, p_);
  if (!*p_) return false;  // no closing quote
  ++p_;
  return true;
}

bool ModelTextCursor::LabelInt(std::int32_t* out) {
  std::string label;
  return Word(&label) && Int(out);
}

bool ModelTextCursor::LabelFloat(float* out) {
  std::string label;
  return Word(&label) && Float(out);
}

bool ModelTextCursor::LabelFloats(float* out, int n) {
  std::string label;
  return Word(&label) && Floats(out, n);
}

bool ModelTextCursor::Block(const char* keyword) { return Expect(keyword) && Expect("{"); }

bool ModelTextCursor::EndBlock() { return Expect("}"); }

bool ModelTextCursor::SkipBlock() {
  int depth = 1;
  std::string w;
  while (Word(&w)) {
    if (w == "{") ++depth;
    if (w == "}" && --depth == 0) return true;
  }
  return false;
}
