#include "platform/win32/win_path.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cctype>

std::string TranslateWindowsPath(const char* path) {
  if (!path) return {};
  std::string p(path);
  for (char& c : p)
    if (c == '\\') c = '/';
  if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') p.erase(0, 2);
  return p;
}

namespace {

bool Exists(const std::string& p) {
  struct stat st;
  return lstat(p.c_str(), &st) == 0;
}

// The entry of dir whose name equals name ignoring case; empty when none.
std::string FindNoCase(const std::string& dir, const std::string& name) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return {};
  std::string found;
  while (dirent* e = readdir(d)) {
    if (strcasecmp(e->d_name, name.c_str()) == 0) {
      found = e->d_name;
      break;
    }
  }
  closedir(d);
  return found;
}

}  // namespace

std::string ResolveWindowsPath(const char* path) {
  std::string p = TranslateWindowsPath(path);
  if (p.empty() || Exists(p)) return p;

  std::string out;
  std::size_t i = 0;
  if (p[0] == '/') {
    out = "/";
    while (i < p.size() && p[i] == '/') ++i;
  }
  bool resolving = true;
  while (i < p.size()) {
    std::size_t end = p.find('/', i);
    if (end == std::string::npos) end = p.size();
    std::string part = p.substr(i, end - i);
    std::size_t next = end;
    while (next < p.size() && p[next] == '/') ++next;
    if (!part.empty()) {
      std::string dir = out;
      std::string candidate = out + part;
      if (resolving && part != "." && part != ".." && !Exists(candidate)) {
        std::string match = FindNoCase(dir, part);
        if (!match.empty())
          candidate = out + match;
        else
          resolving = false;  // the rest does not exist yet: keep it as written
      }
      out = candidate;
      if (end < p.size()) out += '/';
    }
    i = next;
  }
  return out;
}
