#include "platform/cpu/cpu_probe.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint64_t g_fakeCycles = 0;
uint64_t FakeCounter() { return g_fakeCycles += 7; }

}  // namespace

TEST(CpuProbe, VendorIsTwelvePrintableCharactersOrEmpty) {
  char vendor[13];
  CpuGetVendor(vendor);
  size_t n = std::strlen(vendor);
  ASSERT_TRUE(n == 0 || n == 12) << vendor;
  for (size_t i = 0; i < n; ++i) EXPECT_GE(vendor[i], ' ');
}

TEST(CpuProbe, VendorOverrideIsAnsweredAndCleared) {
  char real[13];
  CpuGetVendor(real);
  CpuSetVendorOverride("AuthenticXYZ");
  char vendor[13];
  CpuGetVendor(vendor);
  EXPECT_STREQ(vendor, "AuthenticXYZ");
  CpuSetVendorOverride(nullptr);
  CpuGetVendor(vendor);
  EXPECT_STREQ(vendor, real);
}

TEST(CpuProbe, SseAgreesWithFeatureBitOnThisMachine) {
#if defined(__x86_64__)
  EXPECT_TRUE(CpuHasSseFeature());
  EXPECT_TRUE(CpuSseProbe());
#endif
  CpuSetSseOverride(0);
  EXPECT_FALSE(CpuHasSseFeature());
  EXPECT_FALSE(CpuSseProbe());
  CpuSetSseOverride(1);
  EXPECT_TRUE(CpuHasSseFeature());
  CpuSetSseOverride(-1);
}

TEST(CpuProbe, CycleCounterAdvancesAndCanBeReplaced) {
  uint64_t a = CpuReadTimeStampCounter();
  volatile int sink = 0;
  for (int i = 0; i < 10000; ++i) sink = sink + i;
  uint64_t b = CpuReadTimeStampCounter();
  EXPECT_GT(b, a);
  CpuCycleCounterFn old = CpuSetCycleCounter(FakeCounter);
  g_fakeCycles = 100;
  EXPECT_EQ(CpuReadTimeStampCounter(), 107u);
  EXPECT_EQ(CpuReadTimeStampCounter(), 114u);
  CpuSetCycleCounter(old);
}

TEST(CpuProbe, LeafZeroReportsAHighestLeaf) {
#if defined(__x86_64__)
  unsigned regs[4];
  ASSERT_TRUE(CpuId(0, regs));
  EXPECT_GE(regs[0], 1u);
#endif
}
