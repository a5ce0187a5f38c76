// The entry of every test program: the environment the tests are written
// for (no window system, no sound device, the registry kept in memory),
// unless whoever runs them set these otherwise, then the tests.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("ALSOFT_DRIVERS", "null", 0);
  setenv("HALBERD_TEST", "1", 0);
  // The software rasteriser draws on the calling thread: no worker threads of
  // its own still winding down while the leak checker stops the process.
  setenv("LP_NUM_THREADS", "0", 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
