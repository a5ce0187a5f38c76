// The entry of every test program: the environment the tests are written
// for (no window system, no sound device, the registry kept in memory),
// unless whoever runs them set these otherwise, then the tests.
//
// Every test program runs in a temporary folder of its own: TMPDIR points at
// a fresh folder under the system's temporary folder (or the caller's
// TMPDIR), so the fixtures' folders, named after their tests, never meet
// those of another test program running at the same time (ctest -j, or the
// suites of two build folders).  The folder is removed when the tests end,
// unless HALBERD_KEEP_TEST_TMP is set (not "0"): then its path is printed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace {

// Makes the program's own temporary folder and points TMPDIR at it; answers
// its path (empty when none could be made: the tests then share the caller's).
std::filesystem::path MakeOwnTemporaryFolder() {
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) return {};
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[48];
    std::snprintf(name, sizeof name, "halberd_test_%08x%08x", static_cast<unsigned>(rd()), static_cast<unsigned>(rd()));
    const std::filesystem::path folder = base / name;
    // create_directory answers false for a folder that was there already.
    if (std::filesystem::create_directory(folder, ec) && !ec) {
      setenv("TMPDIR", folder.c_str(), 1);
      return folder;
    }
    if (ec) return {};
  }
  return {};
}

bool KeepTemporaryFolder() {
  const char* keep = std::getenv("HALBERD_KEEP_TEST_TMP");
  return keep != nullptr && keep[0] != '\0' && std::string(keep) != "0";
}

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("ALSOFT_DRIVERS", "null", 0);
  setenv("HALBERD_TEST", "1", 0);
  // The software rasteriser draws on the calling thread: no worker threads of
  // its own still winding down while the leak checker stops the process.
  setenv("LP_NUM_THREADS", "0", 0);
  // Nor the shader cache's disk thread, which otherwise ends in the exit
  // handlers while the leak checker's tracer stops the process (the tracer
  // then crashed, failing a test that had passed).
  setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
  const std::filesystem::path folder = MakeOwnTemporaryFolder();
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  // Removed here rather than at exit: a death test's child process leaves
  // through exit() too, and must not take its parent's folder with it.
  if (!folder.empty()) {
    if (KeepTemporaryFolder()) {
      std::fprintf(stderr, "test files kept in %s\n", folder.c_str());
    } else {
      std::error_code ec;
      std::filesystem::remove_all(folder, ec);
    }
  }
  return result;
}
