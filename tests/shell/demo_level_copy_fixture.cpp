#include "shell/demo_level_copy_fixture.h"

#include <gtest/gtest.h>

#include "shell/level_load.h"

#ifndef HALBERD_DEMO_LEVEL_DIR
#define HALBERD_DEMO_LEVEL_DIR "data/levels/DEMO"
#endif

void UseDemoLevelCopy(const std::filesystem::path& folder) {
  const std::filesystem::path copy = folder / "DEMO";
  std::error_code ec;
  std::filesystem::create_directories(copy, ec);
  std::filesystem::copy(HALBERD_DEMO_LEVEL_DIR, copy,
                        std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing,
                        ec);
  // The copy even when it failed: the level is then missing, never loaded
  // (and written) in the build's folder.
  SetDemoLevelFolder(copy.c_str());
  EXPECT_FALSE(ec) << "copying " << HALBERD_DEMO_LEVEL_DIR << " into " << copy << ": " << ec.message();
}

void StopUsingDemoLevelCopy() { SetDemoLevelFolder(nullptr); }
