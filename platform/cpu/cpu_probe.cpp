#include "platform/cpu/cpu_probe.h"

#include <chrono>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define HALBERD_CPU_X86 1
#endif

namespace {

char g_vendorOverride[13];
bool g_hasVendorOverride = false;
int g_sseOverride = -1;
CpuCycleCounterFn g_cycleCounter = nullptr;

}  // namespace

bool CpuId(unsigned leaf, unsigned regs[4]) {
  regs[0] = regs[1] = regs[2] = regs[3] = 0;
#ifdef HALBERD_CPU_X86
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(leaf, &a, &b, &c, &d)) return false;
  regs[0] = a;
  regs[1] = b;
  regs[2] = c;
  regs[3] = d;
  return true;
#else
  (void)leaf;
  return false;
#endif
}

void CpuGetVendor(char vendor[13]) {
  if (g_hasVendorOverride) {
    std::memcpy(vendor, g_vendorOverride, 13);
    return;
  }
  unsigned regs[4];
  vendor[0] = '\0';
  if (!CpuId(0, regs)) return;
  // The vendor text is spread over EBX, EDX, ECX in that order.
  std::memcpy(vendor + 0, &regs[1], 4);
  std::memcpy(vendor + 4, &regs[3], 4);
  std::memcpy(vendor + 8, &regs[2], 4);
  vendor[12] = '\0';
}

bool CpuHasSseFeature() {
  if (g_sseOverride >= 0) return g_sseOverride != 0;
  unsigned regs[4];
  if (!CpuId(1, regs)) return false;
  return (regs[3] >> 25) & 1u;
}

bool CpuSseProbe() {
  if (g_sseOverride >= 0) return g_sseOverride != 0;
#if defined(__x86_64__) || (defined(__i386__) && defined(__SSE__))
  // Clearing a register is enough to prove the instruction set is there.
  __m128 zero = _mm_setzero_ps();
  float out[4];
  _mm_storeu_ps(out, zero);
  return out[0] == 0.0f;
#else
  return false;
#endif
}

uint64_t CpuReadTimeStampCounter() {
  if (g_cycleCounter) return g_cycleCounter();
#ifdef HALBERD_CPU_X86
  return __rdtsc();
#else
  return static_cast<uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

void CpuSetVendorOverride(const char* vendor) {
  if (!vendor) {
    g_hasVendorOverride = false;
    return;
  }
  std::memset(g_vendorOverride, 0, sizeof g_vendorOverride);
  std::strncpy(g_vendorOverride, vendor, 12);
  g_hasVendorOverride = true;
}

void CpuSetSseOverride(int hasSse) { g_sseOverride = hasSse < 0 ? -1 : (hasSse != 0); }

CpuCycleCounterFn CpuSetCycleCounter(CpuCycleCounterFn counter) {
  CpuCycleCounterFn old = g_cycleCounter;
  g_cycleCounter = counter;
  return old;
}
