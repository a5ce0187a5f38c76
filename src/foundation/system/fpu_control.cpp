#include "foundation/system/fpu_control.h"

#include <atomic>

#include "platform/win32/float_control.h"

namespace {
constinit std::atomic<std::uint32_t> gSaved{0};
}

std::uint32_t GetFpuControl() { return _controlfp(0, 0); }
void SetFpuControl(std::uint32_t word) { _controlfp(word, 0xFFFFF); }
void SaveFpuControl() { gSaved.store(GetFpuControl()); }
void RestoreFpuControl() { _controlfp(gSaved.load(), 0xFFFFF); }
std::uint32_t GetSavedFpuControl() { return gSaved.load(); }
