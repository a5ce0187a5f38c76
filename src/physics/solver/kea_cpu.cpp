#include "physics/solver/kea_cpu.h"

#include <cstdlib>
#include <cstring>

#include "physics/solver/kea_parameters.h"
#include "physics/util/me_message.h"
#include "platform/cpu/cpu_probe.h"

namespace {

int g_override = 0;

int overrideFromEnvironment() {
  const char* v = std::getenv("HALBERD_KEA_KERNEL");
  if (!v) return 0;
  if (std::strcmp(v, "sse") == 0) return keaKernelSse;
  if (std::strcmp(v, "x86") == 0) return keaKernelX86;
  return 0;
}

// The vendor rule: only "GenuineIntel" processors with the SSE bit whose SSE
// probe runs get the SSE kernel.
bool sseUsable() {
  char vendor[13];
  CpuGetVendor(vendor);
  if (std::strcmp(vendor, "GenuineIntel") != 0) return false;
  if (!CpuHasSseFeature()) return false;
  return CpuSseProbe();
}

}  // namespace

int keaSetKernelOverride(int kernel) {
  int previous = g_override;
  g_override = (kernel == keaKernelX86 || kernel == keaKernelSse) ? kernel : 0;
  return previous;
}

int keaDetectCpu() {
  MeInfo(0, "Autodetecting CPU for SSE\n");
  int choice = g_override ? g_override : overrideFromEnvironment();
  if (!choice) choice = sseUsable() ? keaKernelSse : keaKernelX86;
  if (choice == keaKernelSse) {
    MeInfo(0, "Using SSE Optimizations\n");
    return keaKernelSse;
  }
  MeInfo(0, "Using x86 Optimizations\n");
  return keaKernelX86;
}
