// The kernel choice: the vendor rule by default, and the overrides that let
// every machine run both kernels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "physics/solver/kea_cpu.h"
#include "physics/solver/kea_parameters.h"
#include "physics/util/me_message.h"
#include "platform/cpu/cpu_probe.h"

namespace {

std::string g_info;
void captureInfo(int, const char* text) { g_info += text; }

class KeaCpu : public ::testing::Test {
 protected:
  void SetUp() override {
    g_info.clear();
    old_ = MeSetInfoOutput(captureInfo);
    unsetenv("HALBERD_KEA_KERNEL");
    keaSetKernelOverride(0);
  }
  void TearDown() override {
    MeSetInfoOutput(old_);
    CpuSetVendorOverride(nullptr);
    CpuSetSseOverride(-1);
    keaSetKernelOverride(0);
    unsetenv("HALBERD_KEA_KERNEL");
  }
  MeOutputFn old_ = nullptr;
};

struct VendorCase {
  const char* vendor;
  int sse;
  int expect;
};

TEST_F(KeaCpu, VendorRuleChoosesTheKernel) {
  const VendorCase cases[] = {{"GenuineIntel", 1, keaKernelSse},
                              {"GenuineIntel", 0, keaKernelX86},
                              {"AuthenticAMD", 1, keaKernelX86},
                              {"GenuineIntex", 1, keaKernelX86},
                              {"", 1, keaKernelX86}};
  for (const VendorCase& c : cases) {
    CpuSetVendorOverride(c.vendor);
    CpuSetSseOverride(c.sse);
    g_info.clear();
    EXPECT_EQ(keaDetectCpu(), c.expect) << c.vendor << " sse " << c.sse;
    const std::string tail = c.expect == keaKernelSse ? "Using SSE Optimizations\n" : "Using x86 Optimizations\n";
    EXPECT_NE(g_info.find("Autodetecting CPU for SSE\n"), std::string::npos);
    EXPECT_NE(g_info.find(tail), std::string::npos) << g_info;
  }
}

TEST_F(KeaCpu, OverridesWinOverTheVendorRule) {
  CpuSetVendorOverride("AuthenticAMD");
  EXPECT_EQ(keaSetKernelOverride(keaKernelSse), 0);
  EXPECT_EQ(keaDetectCpu(), keaKernelSse);
  EXPECT_EQ(keaSetKernelOverride(0), keaKernelSse);
  EXPECT_EQ(keaDetectCpu(), keaKernelX86);

  setenv("HALBERD_KEA_KERNEL", "sse", 1);
  EXPECT_EQ(keaDetectCpu(), keaKernelSse);
  CpuSetVendorOverride("GenuineIntel");
  CpuSetSseOverride(1);
  setenv("HALBERD_KEA_KERNEL", "x86", 1);
  EXPECT_EQ(keaDetectCpu(), keaKernelX86);
  setenv("HALBERD_KEA_KERNEL", "bogus", 1);
  EXPECT_EQ(keaDetectCpu(), keaKernelSse);  // an unknown value leaves the vendor rule
}

}  // namespace
