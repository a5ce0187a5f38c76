#include "render/asset_fixture.h"

#include <fstream>

#include "foundation/byte_reader.h"
#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "platform/win32/message_box.h"
#include "test_support/bmp_headers.h"

namespace {

int RecordBox(HWND, const char* text, const char*, UINT, void* context) {
  static_cast<std::vector<std::string>*>(context)->push_back(text != nullptr ? text : "");
  return IDOK;
}

void BmpHeader(ByteWriter& w, int width, int height, int bits, std::uint32_t paletteBytes, std::uint32_t imageBytes) {
  WriteBmpHeaders(w, {.Width = width,
                      .Height = height,
                      .BitsPerPixel = static_cast<std::uint16_t>(bits),
                      .PaletteBytes = paletteBytes,
                      .PixelBytes = imageBytes,
                      .SizeImage = imageBytes,
                      .PixelsPerMetre = 2835,
                      .ColoursUsed = bits == 8 ? 256u : 0u});
}

}  // namespace

void AssetFolderTest::SetUp() {
  RenderDeviceTest::SetUp();
  previous_ = std::filesystem::current_path();
  folder_ = std::filesystem::temp_directory_path() /
            (std::string("halberd_assets_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  std::filesystem::current_path(folder_);
  SetWorkDirectory();
  SetSearchFolders(nullptr);
  ASSERT_EQ(CatalogStartup(), 1);
  SetMessageBoxHook(RecordBox, &boxes_);
}

void AssetFolderTest::TearDown() {
  CatalogShutdown();
  SetMessageBoxHook(nullptr, nullptr);
  std::filesystem::current_path(previous_);
  std::filesystem::remove_all(folder_);
}

std::string AssetFolderTest::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::create_directories((folder_ / name).parent_path());
  std::ofstream f(folder_ / name, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return name;
}

std::string AssetFolderTest::WriteText(const std::string& name, const std::string& text) {
  return Write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::vector<std::uint8_t> MakeBmp24(int width, int height, std::uint32_t (*pixel)(int x, int y)) {
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
  ByteWriter w;
  BmpHeader(w, width, height, 24, 0, stride * height);
  for (int row = height - 1; row >= 0; --row) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = pixel(x, row);
      w.U8(c & 0xFF);
      w.U8((c >> 8) & 0xFF);
      w.U8((c >> 16) & 0xFF);
    }
    for (std::uint32_t pad = width * 3; pad < stride; ++pad) w.U8(0);
  }
  return w.Data();
}

std::vector<std::uint8_t> MakeBmp8(int width, int height) {
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) + 3) & ~3u;
  ByteWriter w;
  BmpHeader(w, width, height, 8, 1024, stride * height);
  for (int i = 0; i < 256; ++i) w.U32(static_cast<std::uint32_t>(i * 0x010101));
  for (std::uint32_t i = 0; i < stride * height; ++i) w.U8(static_cast<std::uint8_t>(i));
  return w.Data();
}

std::vector<std::uint8_t> MakeSpriteFile(std::uint16_t format, const std::vector<std::string>& pages,
                                         const std::vector<TestSprite>& sprites) {
  ByteWriter w;
  w.U32(0);
  w.U16(format);
  w.U16(static_cast<std::uint16_t>(sprites.size()));
  w.U16(0);
  w.U16(static_cast<std::uint16_t>(pages.size()));
  for (int k = 0; k < 17; ++k) {
    char name[16] = {};
    if (k < static_cast<int>(pages.size())) pages[k].copy(name, 15);
    for (char c : name) w.U8(static_cast<std::uint8_t>(c));
  }
  for (const TestSprite& s : sprites) {
    w.U16(s.page);
    if (format == 2)
      for (int i = 0; i < 256; ++i) w.U8(0xAB);
    w.U16(s.value);
    w.U16(s.x);
    w.U16(s.y);
    w.U16(s.width);
    w.U16(s.height);
    w.U16(static_cast<std::uint16_t>(s.hotX));
    w.U16(static_cast<std::uint16_t>(s.hotY));
  }
  return w.Data();
}

void Begin2DFrame(DWORD clearColour) {
  g_Render->SetClearColour(clearColour);
  g_Render->Clear(1);
  g_Render->BeginScene();
  g_Render->SetZEnable(0);
  g_Render->SetLighting(0);
  g_Render->SetCullMode(D3DCULL_NONE);
}

void End2DFrame() {
  g_Render->EndScene();
  g_Render->SetZEnable(1);
}
