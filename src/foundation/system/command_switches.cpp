#include "foundation/system/command_switches.h"

#include <atomic>

namespace {
constinit std::atomic<unsigned char> gSwitches[32] = {};
int Index(char letter) { return static_cast<unsigned char>(letter) & 31; }
}  // namespace

int IsCommandSwitchSet(char letter) { return gSwitches[Index(letter)].load(); }
void SetCommandSwitch(char letter) { gSwitches[Index(letter)].store(1); }
void ClearCommandSwitch(char letter) { gSwitches[Index(letter)].store(0); }
void ClearAllCommandSwitches() {
  for (auto& s : gSwitches) s.store(0);
}
