#include "foundation/files/load_file.h"

#include "foundation/files/buffered_file.h"
#include "foundation/files/file_locator.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/message_box.h"
#include "platform/win32/message_box.h"

int LoadFile(const char* name, char** data, std::uint32_t* size, CLinearBuffer* buffer, int category) {
  if (data) *data = nullptr;
  if (size) *size = 0;
  if (!name || !data || !size) return 0;
  BufferedFile* h = FileOpenOnSearchPath(name, 0);
  if (!h) {
    ErrorBoxFor(GetActiveWindow(), "Couldn't open %s", name);
    return 0;
  }
  std::uint32_t n = FileGetSize(h);
  char* mem = buffer ? static_cast<char*>(buffer->Alloc(n + 1, 4)) : MEM_NEW(category) char[n + 1];
  if (!mem) {
    ErrorBoxFor(GetActiveWindow(), "Out of memory");
    FileClose(h);
    return 0;
  }
  if (FileRead(mem, 1, n, h) != n) {
    ErrorBoxFor(GetActiveWindow(), "Read failed for %s", name);
    FileClose(h);
    if (!buffer) MEM_DELETE_ARRAY mem;
    return 0;
  }
  FileClose(h);
  mem[n] = 0;
  *data = mem;
  *size = n;
  return 1;
}

void FreeLoadedFile(char* data) {
  if (data) MEM_DELETE_ARRAY data;
}
