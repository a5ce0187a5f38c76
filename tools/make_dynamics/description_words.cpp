#include "make_dynamics/description_words.h"

#include <climits>
#include <cmath>
#include <cstdlib>

std::vector<std::string> SplitDescriptionLine(const std::string& line) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      const std::size_t end = line.find('"', i + 1);
      out.push_back(line.substr(i + 1, (end == std::string::npos ? line.size() : end) - i - 1));
      i = end == std::string::npos ? line.size() : end + 1;
    } else {
      std::size_t end = i;
      while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r') ++end;
      out.push_back(line.substr(i, end - i));
      i = end;
    }
  }
  return out;
}

bool ParseDescriptionNumber(const std::string& word, float* out) {
  char* end = nullptr;
  const float v = std::strtof(word.c_str(), &end);
  // Not a number, an infinity or a value past the float range means nothing in a description.
  if (end == word.c_str() || *end != '\0' || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool ParseDescriptionInteger(const std::string& word, int* out) {
  char* end = nullptr;
  const long n = std::strtol(word.c_str(), &end, 0);
  if (end == word.c_str() || *end != '\0' || n < INT_MIN || n > INT_MAX) return false;
  *out = static_cast<int>(n);
  return true;
}
