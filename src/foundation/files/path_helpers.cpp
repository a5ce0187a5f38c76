#include "foundation/files/path_helpers.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kPathBuffer = 512;

void Put(char* out, std::size_t size, const std::string& s) {
  if (!out || size == 0) return;
  std::snprintf(out, size, "%s", s.c_str());
}

struct Parts {
  std::string drive, folder, name, extension;
};

Parts Split(const char* path) {
  Parts p;
  std::string s = path ? path : "";
  std::size_t at = 0;
  if (s.size() >= 2 && s[1] == ':') {
    p.drive = s.substr(0, 2);
    at = 2;
  }
  std::size_t lastSep = std::string::npos;
  for (std::size_t i = at; i < s.size(); ++i)
    if (s[i] == '\\' || s[i] == '/') lastSep = i;
  std::size_t nameAt = at;
  if (lastSep != std::string::npos) {
    p.folder = s.substr(at, lastSep + 1 - at);
    nameAt = lastSep + 1;
  }
  std::string file = s.substr(nameAt);
  std::size_t dot = file.rfind('.');
  if (dot != std::string::npos) {
    p.name = file.substr(0, dot);
    p.extension = file.substr(dot);
  } else {
    p.name = file;
  }
  return p;
}

}  // namespace

void SplitPath(const char* path, char* drive, std::size_t driveSize, char* folder, std::size_t folderSize, char* name,
               std::size_t nameSize, char* extension, std::size_t extensionSize) {
  Parts p = Split(path);
  Put(drive, driveSize, p.drive);
  Put(folder, folderSize, p.folder);
  Put(name, nameSize, p.name);
  Put(extension, extensionSize, p.extension);
}

const char* GetPathFolder(const char* path) {
  static char out[kPathBuffer];
  Parts p = Split(path);
  Put(out, sizeof out, p.drive + p.folder);
  return out;
}

const char* GetPathDrive(const char* path) {
  static char out[kPathBuffer];
  Put(out, sizeof out, Split(path).drive);
  return out;
}

const char* GetPathBaseName(const char* path) {
  static char out[kPathBuffer];
  Put(out, sizeof out, Split(path).name);
  return out;
}

const char* GetPathExtension(const char* path) {
  static char out[kPathBuffer];
  Put(out, sizeof out, Split(path).extension);
  return out;
}

const char* GetPathFileName(const char* path) {
  static char out[kPathBuffer];
  Parts p = Split(path);
  Put(out, sizeof out, p.name + p.extension);
  return out;
}

const char* GetPathWithoutDrive(const char* path) {
  static char out[kPathBuffer];
  Parts p = Split(path);
  Put(out, sizeof out, p.folder + p.name + p.extension);
  return out;
}

void ChangePathExtension(char* path, std::size_t pathSize, const char* extension) {
  if (!path || pathSize == 0) return;
  Parts p = Split(path);
  Put(path, pathSize, p.drive + p.folder + p.name + (extension ? extension : ""));
}
