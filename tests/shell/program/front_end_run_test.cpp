// The program run to the front end: over its level the menu backdrop's bars
// and the front screen's hint line are drawn in the saved frame.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "shell/frame/run_frame.h"
#include "shell/program/game_start_fixture.h"
#include "platform/win32/library.h"
#include "shell/program/program_entry.h"

namespace {

using FrontEndRun = GameStart;

struct Picture {
  unsigned width = 0, height = 0;
  std::vector<png_byte> rgb;
  std::uint32_t At(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)) * 3;
    return (static_cast<std::uint32_t>(rgb[i]) << 16) | (rgb[i + 1] << 8) | rgb[i + 2];
  }
  // Pixels of the rectangle that are near white (the hint glyphs' ink).
  int WhiteIn(int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const std::uint32_t c = At(x, y);
        n += ((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) > 200 && (c & 0xFF) > 200;
      }
    return n;
  }
  // Pixels of the rectangle that have exactly this colour.
  int CountOf(std::uint32_t colour, int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += At(x, y) == colour;
    return n;
  }
};

bool ReadPicture(const std::filesystem::path& file, Picture* picture) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  picture->rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture->rgb.data(), 0, nullptr)) return false;
  picture->width = image.width;
  picture->height = image.height;
  return true;
}

TEST_F(FrontEndRun, TheBackdropAndTheHintLineAreDrawnOverTheLevel) {
  unsetenv("HALBERD_COMMAND_LINE");
  // The front end's plug-in is bound from beside the program, as in a run.
  Win32AddLibraryFolder(HALBERD_PROGRAM_DIR);
  const auto shot = std::filesystem::temp_directory_path() / "halberd_front_end_run.png";
  SetFrameLimit(20, shot.c_str());
  EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
  EXPECT_EQ(FramesPresented(), 20);
  SetFrameLimit(0, nullptr);
  Win32AddLibraryFolder(nullptr);
  Picture picture;
  ASSERT_TRUE(ReadPicture(shot, &picture));
  std::filesystem::remove(shot);
  ASSERT_EQ(picture.width, 800u);
  ASSERT_EQ(picture.height, 600u);
  // The backdrop's bars along the top and the foot, in the sheet's fill.
  constexpr std::uint32_t kBarFill = 0x1C2C24;
  EXPECT_GT(picture.CountOf(kBarFill, 0, 0, 800, 24), 800 * 10) << "top bar";
  EXPECT_GT(picture.CountOf(kBarFill, 0, 576, 800, 600), 800 * 10) << "foot bar";
  EXPECT_EQ(picture.CountOf(kBarFill, 0, 200, 800, 400), 0) << "nothing of the bars in the middle";
  // The select hint at the left of the foot within its rectangle from
  // (50, 550); the front screen has no back hint; none of their ink above.
  EXPECT_GT(picture.WhiteIn(50, 550, 300, 576), 40) << "left hint";
  EXPECT_EQ(picture.WhiteIn(500, 550, 750, 576), 0) << "no right hint on the front screen";
  EXPECT_EQ(picture.WhiteIn(300, 550, 500, 576), 0) << "nothing between the two";
  EXPECT_EQ(picture.WhiteIn(0, 530, 800, 549), 0) << "nothing above the hint rectangle";
}

}  // namespace
