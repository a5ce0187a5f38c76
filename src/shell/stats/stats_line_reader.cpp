#include "shell/stats/stats_line_reader.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

#include "foundation/system/message_box.h"

StatsLineReader::StatsLineReader(const char* file, const char* text, std::uint32_t length)
    : file_(file ? file : ""), text_(text), end_(text ? text + length : nullptr), next_(text) {
  if (text_ == nullptr) return;
  for (const char* p = text_; p < end_; ++p) records_ += *p == '\n';
}

bool StatsLineReader::NextRecord() {
  if (text_ == nullptr || line_ >= records_) return false;
  const char* eol = static_cast<const char*>(std::memchr(next_, '\n', static_cast<std::size_t>(end_ - next_)));
  if (eol == nullptr) return false;
  p_ = next_;
  lineEnd_ = eol;
  if (lineEnd_ > p_ && lineEnd_[-1] == '\r') --lineEnd_;
  next_ = eol + 1;
  ++line_;
  column_ = 0;
  junk_ = false;
  fault_ = nullptr;
  faultColumn_ = 0;
  blank_ = p_ == lineEnd_;
  if (std::memchr(p_, 0, static_cast<std::size_t>(eol - p_)) != nullptr) {
    fault_ = "holds a NUL byte";
    faultColumn_ = 0;
  }
  return true;
}

bool StatsLineReader::Fail(const char* what) {
  if (fault_ == nullptr) {
    fault_ = what;
    faultColumn_ = column_;
  }
  return false;
}

// Steps over the comma before every field but the first.
bool StatsLineReader::BeginField() {
  if (fault_ != nullptr) return false;
  ++column_;
  if (blank_) return true;
  if (column_ == 1) return true;
  if (junk_) return Fail("follows a field that does not end at a comma");
  if (p_ >= lineEnd_ || *p_ != ',') return Fail("is missing");
  ++p_;
  return true;
}

void StatsLineReader::SkipBlanks() {
  while (p_ < lineEnd_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\r' || *p_ == '\v' || *p_ == '\f')) ++p_;
}

bool StatsLineReader::Text(char* out, std::size_t size, bool blanksBefore) {
  if (out != nullptr && size > 0) out[0] = 0;
  if (!BeginField()) return false;
  if (blank_) return true;
  if (blanksBefore) SkipBlanks();
  std::size_t n = 0;
  const char* start = p_;
  while (p_ < lineEnd_ && *p_ != ',' && *p_ != '\'') ++p_;
  n = static_cast<std::size_t>(p_ - start);
  if (out == nullptr || n + 1 > size) {
    faultWidth_ = size > 0 ? size - 1 : 0;
    return Fail("is longer than its field");
  }
  std::memcpy(out, start, n);
  out[n] = 0;
  // An apostrophe ends the text; the rest of the field is not part of it.
  while (p_ < lineEnd_ && *p_ != ',') ++p_;
  return true;
}

bool StatsLineReader::Int(std::int64_t* out) {
  *out = 0;
  if (!BeginField()) return false;
  if (blank_) return true;
  SkipBlanks();
  const char* s = p_;
  if (s < lineEnd_ && *s == '+') ++s;
  long long v = 0;
  auto [ptr, ec] = std::from_chars(s, lineEnd_, v);
  if (ec == std::errc::result_out_of_range) return Fail("is out of range");
  if (ec != std::errc() || (s != p_ && s < lineEnd_ && *s == '-')) return Fail("is not a number");
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    return Fail("is out of range");
  p_ = ptr;
  junk_ = p_ < lineEnd_ && *p_ != ',';
  *out = v;
  return true;
}

bool StatsLineReader::Float(float* out) {
  *out = 0.0f;
  if (!BeginField()) return false;
  if (blank_) return true;
  SkipBlanks();
  const char* s = p_;
  if (s < lineEnd_ && *s == '+') ++s;
  float v = 0.0f;
  auto [ptr, ec] = std::from_chars(s, lineEnd_, v, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) return Fail("is out of range");
  if (ec != std::errc() || (s != p_ && s < lineEnd_ && *s == '-')) return Fail("is not a number");
  if (!std::isfinite(v)) return Fail("is not a finite number");
  p_ = ptr;
  junk_ = p_ < lineEnd_ && *p_ != ',';
  *out = v;
  return true;
}

void StatsLineReader::ShowFault(const char* record) const {
  const char* r = record != nullptr ? record : "";
  if (faultColumn_ == 0) {
    ErrorBox("%s, line %d: the line %s", file_, line_, fault_ ? fault_ : "is faulty");
    return;
  }
  char width[48] = "";
  if (fault_ != nullptr && std::strcmp(fault_, "is longer than its field") == 0)
    std::snprintf(width, sizeof(width), " of %zu characters", faultWidth_);
  if (*r)
    ErrorBox("%s, line %d (%s): column %d %s%s", file_, line_, r, faultColumn_, fault_ ? fault_ : "is faulty", width);
  else
    ErrorBox("%s, line %d: column %d %s%s", file_, line_, faultColumn_, fault_ ? fault_ : "is faulty", width);
}

void StatsError(const StatsLineReader& reader, const char* format, ...) {
  char message[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof(message), format, args);
  va_end(args);
  ErrorBox("%s\n%s, line %d", message, reader.File(), reader.Line());
}

bool SecondsToMs(float seconds, std::uint32_t* out) {
  const float ms = std::floor(seconds * 1000.0f);
  if (!(ms >= 0.0f) || ms >= 4294967296.0f) {
    *out = 0;
    return false;
  }
  *out = static_cast<std::uint32_t>(ms);
  return true;
}
