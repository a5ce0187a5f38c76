// Text forms of the texture and material lists, user values, and DDS pictures
// that hold cube maps.
#include <cstdio>
#include <cstring>

#include "render/asset_fixture.h"
#include "foundation/files/buffered_file.h"
#include "foundation/memory/memory_manager.h"
#include "render/textures/image_info.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"

namespace {

std::string WrittenText(void (*write)(std::FILE*, const void*), const void* object) {
  std::FILE* f = std::tmpfile();
  write(f, object);
  std::string text(static_cast<std::size_t>(std::ftell(f)), 0);
  std::rewind(f);
  text.resize(std::fread(text.data(), 1, text.size(), f));
  std::fclose(f);
  return text;
}

}  // namespace

class TextureTextForms : public AssetFolderTest {};

TEST_F(TextureTextForms, TextListRoundTrip) {
  CTextureManager source;
  source.GetTexture("walls\\Brick", 0);
  source.GetTexture("sky", 0);
  const std::string text = WrittenText(
      [](std::FILE* f, const void* o) { static_cast<const CTextureManager*>(o)->WriteTextList(f); }, &source);
  char expected[200];
  std::snprintf(expected, sizeof expected,
                "NumTextures 3\r\nTextureList {\r\n %08x \"Default\"\r\n %08x \"walls\\Brick\"\r\n %08x \"sky\"\r\n}\r\n",
                source.GetTextureByIndex(0)->Id, source.GetTextureByIndex(1)->Id, source.GetTextureByIndex(2)->Id);
  EXPECT_EQ(text, expected);

  WriteText("list.txt", text);
  CTextureManager copy;
  BufferedFile* file = FileOpen("list.txt", "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(copy.ReadTextList(file), 1);
  FileClose(file);
  ASSERT_EQ(copy.Count, 3);
  EXPECT_STREQ(copy.GetTextureByIndex(1)->Name, "walls\\Brick");
  EXPECT_EQ(copy.GetTextureByIndex(2)->Flags, static_cast<std::uint32_t>(TEXF_MIPMAPS));
}

TEST_F(TextureTextForms, UserValuesGoToMatchingNames) {
  WriteText("values.txt", "3\r\n \"walls\\brick.bmp\" 12\r\n nothing 5\r\n SKY 7\r\n");
  WriteText("short.txt", "1000000\r\n sky 9\r\n");
  CTextureManager library;
  CTexture* brick = library.GetTexture("walls\\Brick", 0);
  CTexture* sky = library.GetTexture("sky", 0);
  library.SetUserValue(1, 99);
  EXPECT_EQ(library.Changed, 1u);
  EXPECT_EQ(library.SetUserValue(3, 1), nullptr);
  BufferedFile* file = FileOpen("values.txt", "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(library.ReadUserValues(file), 1);
  FileClose(file);
  EXPECT_EQ(brick->UserValue, 12u);
  EXPECT_EQ(sky->UserValue, 7u);
  EXPECT_EQ(library.Changed, 0u);
  // A count far beyond the text stops at its end.
  file = FileOpen("short.txt", "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(library.ReadUserValues(file), 1);
  FileClose(file);
  EXPECT_EQ(sky->UserValue, 9u);
}

TEST_F(TextureTextForms, MaterialTextList) {
  CMaterialList list;
  const float d[4] = {0.5f, 0.25f, 1, 1}, s[4] = {0, 0, 0, 1}, e[4] = {0.125f, 0, 0, 1};
  list.FindOrAdd(d, s, 4.0f, e);
  const std::string text = WrittenText(
      [](std::FILE* f, const void* o) { static_cast<const CMaterialList*>(o)->WriteTextList(f); }, &list);
  char expected[400];
  std::snprintf(expected, sizeof expected,
                "NumMaterials 2\r\nMaterialList {\r\n"
                " %08x d 1.000000 1.000000 1.000000 1.000000 s 0.000000 0.000000 0.000000 1.000000 0.000000"
                " s 0.000000 0.000000 0.000000 1.000000"
                " %08x d 0.500000 0.250000 1.000000 1.000000 s 0.000000 0.000000 0.000000 1.000000 4.000000"
                " s 0.125000 0.000000 0.000000 1.000000}\r\n",
                list.GetByIndex(0)->Id, list.GetByIndex(1)->Id);
  EXPECT_EQ(text, expected);

  // The reader takes no word before the specular and emissive groups.
  std::FILE* f = std::tmpfile();
  std::fputs("NumMaterials 1\r\nMaterialList {\r\n 00000000 d 0.5 0.25 1 1 0 0 0 1 4 0.125 0 0 1\r\n}\r\n", f);
  std::rewind(f);
  CMaterialList read;
  EXPECT_EQ(read.ReadTextList(f), 1);
  std::fclose(f);
  ASSERT_EQ(read.Count, 2);
  EXPECT_EQ(read.GetByIndex(1)->Id, list.GetByIndex(1)->Id);
}

TEST_F(TextureTextForms, DdsWithComplexCapsIsACube) {
  BYTE* face = nullptr;
  const DWORD size = CreateDdsImage(4, 4, D3DFMT_A8R8G8B8, &face);
  ASSERT_GT(size, 128u);
  std::vector<std::uint8_t> cube(face, face + size);
  MEM_DELETE_ARRAY face;
  cube[108] |= 0x08;                      // caps: complex
  const std::uint32_t caps2 = 0x200 | 0xFC00;  // cube map with all six faces
  std::memcpy(&cube[112], &caps2, 4);
  const std::vector<std::uint8_t> pixels(cube.begin() + 128, cube.end());
  for (int i = 0; i < 5; ++i) cube.insert(cube.end(), pixels.begin(), pixels.end());
  Write("sky.dds", cube);
  std::vector<std::uint8_t> flat(cube.begin(), cube.begin() + size);
  std::memset(&flat[112], 0, 4);  // COMPLEX without CUBEMAP: a 2D picture (as with mip levels)
  Write("flat.dds", flat);

  CTextureManager library;
  CTexture* sky = library.GetTexture("sky", 0);
  CTexture* plain = library.GetTexture("flat", TEXF_CUBE);
  ASSERT_EQ(sky->Load(), 1);
  EXPECT_TRUE(sky->Flags & TEXF_CUBE);
  EXPECT_EQ(sky->DeviceTexture->GetType(), D3DRTYPE_CUBETEXTURE);
  EXPECT_EQ(sky->Width, 4u);
  EXPECT_EQ(sky->Height, 4u);
  EXPECT_EQ(sky->Kind, static_cast<std::uint32_t>(TEXKIND_DDS));
  ASSERT_EQ(plain->Load(), 1);
  EXPECT_FALSE(plain->Flags & TEXF_CUBE);
  EXPECT_EQ(plain->DeviceTexture->GetType(), D3DRTYPE_TEXTURE);
  EXPECT_EQ(plain->HasAlpha, 1u);  // RGB with alpha pixels
}
