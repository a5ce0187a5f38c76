// A started render object plus a fresh working folder for asset files, with
// message boxes recorded instead of shown, and builders of small asset files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "render/render_fixture.h"

class AssetFolderTest : public RenderDeviceTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Writes bytes (or text) to a file of the folder; answers its name.
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes);
  std::string WriteText(const std::string& name, const std::string& text);

  std::filesystem::path folder_;
  std::filesystem::path previous_;
  std::vector<std::string> boxes_;
};

// A 24-bit bottom-up BMP whose pixel (x, y), y from the top, is pixel(x, y) as 0xRRGGBB.
std::vector<std::uint8_t> MakeBmp24(int width, int height, std::uint32_t (*pixel)(int x, int y));
// An 8-bit BMP with a grey palette.
std::vector<std::uint8_t> MakeBmp8(int width, int height);

struct TestSprite {
  std::uint16_t page, value, x, y, width, height;
  std::int16_t hotX, hotY;
};
// A sprite file of the format with the page names and sprites.
std::vector<std::uint8_t> MakeSpriteFile(std::uint16_t format, const std::vector<std::string>& pages,
                                         const std::vector<TestSprite>& sprites);
// Sets the current render target to one colour and begins a scene for 2D drawing.
void Begin2DFrame(DWORD clearColour);
void End2DFrame();
