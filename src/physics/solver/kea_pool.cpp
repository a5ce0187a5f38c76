#include "physics/solver/kea_pool.h"

#include <cstdint>

#include "physics/util/me_message.h"

namespace {

struct keaPool {
  char* base;
  char* current;
  char* end;
  int markCount;
  char* marks[keaPoolMaxMarks];
};

keaPool g_pool;

}  // namespace

void keaPoolInit(void* memory, int size) {
  g_pool.base = static_cast<char*>(memory);
  g_pool.current = g_pool.base;
  g_pool.end = g_pool.base ? g_pool.base + (size > 0 ? size : 0) : nullptr;
  g_pool.markCount = 0;
}

void* keaPoolAlloc(int size, const char* name) {
  if (size < 0 || size % 16 != 0) {
    MeFatalError(3, "keaPoolAlloc: allocating %s of size %d. Size must be a multiple of 16 bytes.\n", name, size);
    return nullptr;
  }
  if (!g_pool.current) {
    // No memory was lent (for example a caller-owned scratch chunk that could
    // not grow); handing out offsets from null would write through them.
    MeFatalError(3, "Kea error:No solver memory when allocating %s of size %d\n", name, size);
    return nullptr;
  }
  if (size > g_pool.end - g_pool.current) {
    MeFatalError(3,
                 "Kea error:Memory pool size exceeded when allocating %s of size %d\nPool ends at %08x\n"
                 "If memory were allocated, pool would end at %08x\n",
                 name, size, static_cast<unsigned>(reinterpret_cast<uintptr_t>(g_pool.end)),
                 static_cast<unsigned>(reinterpret_cast<uintptr_t>(g_pool.current + size)));
    return nullptr;
  }
  void* p = g_pool.current;
  g_pool.current += size;
  return p;
}

void keaPoolPushMark() {
  if (g_pool.markCount >= keaPoolMaxMarks) {
    MeFatalError(3, "keaPoolPushMark: more than %d nested pool marks\n", keaPoolMaxMarks);
    return;
  }
  g_pool.marks[g_pool.markCount++] = g_pool.current;
}

void keaPoolPopMark() {
  if (g_pool.markCount == 0) return;
  g_pool.current = g_pool.marks[--g_pool.markCount];
}
