#include "physics/util/me_file.h"

#include <cstdio>

#include "physics/util/me_message.h"

// Descriptors index a small table of C streams; 0 to 2 are left to the
// standard streams so that descriptors look as the runtime's would.
namespace {

constexpr int kFirst = 3;
constexpr int kMaxFiles = 32;
FILE* g_files[kMaxFiles];

FILE* Lookup(int fd) {
  if (fd < kFirst || fd >= kMaxFiles) return nullptr;
  return g_files[fd];
}

}  // namespace

int MeOpen(const char* path, int mode) {
  const char* flags = nullptr;
  switch (mode) {
    case MeOpenReadOnly: flags = "rb"; break;
    case MeOpenWriteCreate: flags = "wb"; break;
    case MeOpenReadWrite: flags = "r+b"; break;
    case MeOpenBinary: flags = "rb"; break;
    default:
      MeFatalError(3, "Invalid mode parameter passed to MeOpen().\n");
      return -1;
  }
  int fd = kFirst;
  while (fd < kMaxFiles && g_files[fd]) ++fd;
  if (fd == kMaxFiles) return -1;
  FILE* f = std::fopen(path, flags);
  if (!f) return -1;
  g_files[fd] = f;
  return fd;
}

int MeClose(int fd) {
  FILE* f = Lookup(fd);
  if (!f) return -1;
  g_files[fd] = nullptr;
  return std::fclose(f) == 0 ? 0 : -1;
}

long MeWrite(int fd, const void* buffer, size_t count) {
  FILE* f = Lookup(fd);
  if (!f) return -1;
  size_t n = std::fwrite(buffer, 1, count, f);
  return n > 0 || count == 0 ? static_cast<long>(n) : -1;
}

long MeLseek(int fd, long offset, int origin) {
  int whence;
  switch (origin) {
    case 0: whence = SEEK_SET; break;
    case 1: whence = SEEK_CUR; break;
    case 2: whence = SEEK_END; break;
    default:
      MeFatalError(3, "Invalid origin parameter passed to MeLseek().\n");
      return -1;
  }
  FILE* f = Lookup(fd);
  if (!f || std::fseek(f, offset, whence) != 0) return -1;
  return std::ftell(f);
}
