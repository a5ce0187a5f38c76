#include "platform/win32/win_move_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/win32/win_path.h"

namespace {

// Flushes a file or folder to the disk; false when it cannot be opened.
bool SyncPath(const std::string& path, bool folder) {
  const int fd = ::open(path.c_str(), (folder ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

BOOL MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags) {
  if (!existing || !newName || !*existing || !*newName) return FALSE;
  const std::string from = ResolveWindowsPath(existing);
  const std::string to = ResolveWindowsPath(newName);
  struct stat st{};
  if (::stat(from.c_str(), &st) != 0) return FALSE;
  if (!(flags & MOVEFILE_REPLACE_EXISTING) && ::access(to.c_str(), F_OK) == 0) return FALSE;
  if ((flags & MOVEFILE_WRITE_THROUGH) && S_ISREG(st.st_mode) && !SyncPath(from, false)) return FALSE;
  if (::rename(from.c_str(), to.c_str()) != 0) return FALSE;
  if (flags & MOVEFILE_WRITE_THROUGH) SyncPath(FolderOf(to), true);
  return TRUE;
}
