#include "control/level_key_map.h"

#include "foundation/memory/memory_manager.h"
#include "platform/win32/clocks.h"
#include "platform/win32/window.h"

CKeyMap* g_LevelKeyMap = nullptr;

bool CKeyMap::Add(std::int32_t keyId, std::int32_t objectA, std::int32_t objectB) {
  if (count_ >= kEntries) return false;
  entries_[count_][0] = keyId;
  entries_[count_][1] = objectA;
  entries_[count_][2] = objectB;
  ++count_;
  return true;
}

bool MakeLevelKeyMap() {
  FreeLevelKeyMap();
  g_LevelKeyMap = MEM_NEW(MEMCAT_GAME) CKeyMap;
  return g_LevelKeyMap != nullptr;
}

void FreeLevelKeyMap() {
  if (g_LevelKeyMap == nullptr) return;
  MEM_DELETE g_LevelKeyMap;
  g_LevelKeyMap = nullptr;
}

bool WaitForAnyInput(std::uint32_t timeoutMs) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
  const DWORD start = GetTickCount();
  for (;;) {
    if (timeoutMs != 0 && GetTickCount() - start > timeoutMs) return false;
    if (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) ||
        PeekMessageA(&msg, nullptr, WM_LBUTTONDOWN, WM_MOUSELAST, PM_REMOVE))
      return true;
    Sleep(10);
  }
}
