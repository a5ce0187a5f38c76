#include "world/animation/anim_text_cursor.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; }

}  // namespace

AnimTextCursor::AnimTextCursor(const char* text) : p_(text ? text : ""), end_(p_ + std::strlen(p_)) {}

std::size_t AnimTextCursor::Remaining() const { return static_cast<std::size_t>(end_ - p_); }

void AnimTextCursor::SkipBlanks() {
  while (*p_ && IsSeparator(*p_)) ++p_;
}

bool AnimTextCursor::AtEnd() {
  SkipBlanks();
  return *p_ == 0;
}

bool AnimTextCursor::Word(std::string* out) {
  SkipBlanks();
  if (!*p_) return false;
  const char* start = p_;
  while (*p_ && !IsSeparator(*p_)) ++p_;
  out->assign(start, p_);
  return true;
}

bool AnimTextCursor::Expect(const char* keyword) {
  std::string w;
  return Word(&w) && w == keyword;
}

bool AnimTextCursor::Int(std::int32_t* out) {
  std::string w;
  if (!Word(&w)) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(w.c_str(), &end, 10);
  if (end == w.c_str() || *end || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
  *out = static_cast<std::int32_t>(v);
  return true;
}

bool AnimTextCursor::Float(float* out) {
  std::string w;
  if (!Word(&w)) return false;
  char* end = nullptr;
  const float v = std::strtof(w.c_str(), &end);
  if (end == w.c_str() || *end || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool AnimTextCursor::Floats(float* out, int n) {
  for (int i = 0; i < n; ++i)
    if (!Float(&out[i])) return false;
  return true;
}

bool AnimTextCursor::Name(std::string* out) {
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

bool AnimTextCursor::SkipBlock() {
  int depth = 1;
  std::string w;
  while (Word(&w)) {
    if (w == "{") ++depth;
    if (w == "}" && --depth == 0) return true;
  }
  return false;
}
