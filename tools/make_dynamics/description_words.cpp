#include "make_dynamics/description_words.h"

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
