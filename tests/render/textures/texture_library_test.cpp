// The texture library and the material list: lookups by name and identifier,
// the "TEXL" and "MATL" sections (whole, empty, wrong and damaged), creation
// from files and the load pass.
#include <cstdio>
#include <cstring>

#include "render/asset_fixture.h"
#include "foundation/byte_reader.h"
#include "foundation/files/catalog.h"
#include "platform/win32/message_box.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"

namespace {

std::vector<std::uint8_t> Texl(std::int32_t count, const std::vector<std::string>& names) {
  ByteWriter w;
  for (char c : std::string("TEXL")) w.U8(static_cast<std::uint8_t>(c));
  w.I32(count);
  for (const std::string& n : names) {
    w.U32(0x12345678);
    char name[64] = {};
    n.copy(name, 63);
    for (char c : name) w.U8(static_cast<std::uint8_t>(c));
  }
  return w.Data();
}

std::uint32_t Grey(int, int) { return 0x808080; }

}  // namespace

TEST(TextureLibrary, SameRecordForAnyFolderCaseAndExtension) {
  CTextureManager library;
  EXPECT_EQ(library.Count, 1);
  EXPECT_STREQ(library.GetTextureByIndex(0)->Name, "Default");
  CTexture* a = library.GetTexture("art\\Wall.BMP", TEXF_MIPMAPS);
  CTexture* b = library.GetTexture("ART\\wall.dds", TEXF_32BIT | TEXF_ALPHA_ONLY);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->RefCount, 2u);
  EXPECT_EQ(a->Flags, static_cast<std::uint32_t>(TEXF_MIPMAPS));
  EXPECT_STREQ(a->Name, "art\\Wall");
  library.SetMarkNew(1);
  library.GetTexture("art\\wall", 0);
  EXPECT_EQ(a->Flags, static_cast<std::uint32_t>(TEXF_MIPMAPS | TEXF_CHARACTER));
  CTexture* c = library.GetTexture("other", 0);
  EXPECT_EQ(c->Flags, static_cast<std::uint32_t>(TEXF_CHARACTER));
  EXPECT_EQ(library.Count, 3);
  EXPECT_EQ(library.IndexOfName("ART\\WALL.tga"), 1);
  EXPECT_EQ(library.FindById(ComputeTextureId("x\\wall.png")), a);
  EXPECT_EQ(library.FindByName(nullptr), nullptr);
  EXPECT_EQ(library.GetTextureByIndex(3), nullptr);
  EXPECT_EQ(library.GetTextureByIndex(-1), nullptr);
  library.ReleaseTexture(a);
  EXPECT_EQ(library.Count, 2);
  EXPECT_EQ(library.GetTextureByIndex(1), c);
}

TEST(TextureLibrary, SameBaseNameInTwoFoldersIsReportedTwice) {
  std::vector<std::string> boxes;
  SetMessageBoxHook([](HWND, const char* text, const char*, UINT, void* ctx) {
    static_cast<std::vector<std::string>*>(ctx)->push_back(text);
    return IDOK;
  }, &boxes);
  CTextureManager library;
  CTexture* a = library.GetTexture("one\\rock", 0);
  CTexture* b = library.GetTexture("two\\rock", 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(a->Id, b->Id);
  library.CheckDuplicateIds();
  SetMessageBoxHook(nullptr, nullptr);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[0].find("Textures share same identifier"), std::string::npos);
  EXPECT_NE(boxes[0].find("\"one\\rock\""), std::string::npos);
}

TEST(TextureLibrary, TexlSections) {
  std::vector<std::string> boxes;
  SetMessageBoxHook([](HWND, const char* text, const char*, UINT, void* ctx) {
    static_cast<std::vector<std::string>*>(ctx)->push_back(text);
    return IDOK;
  }, &boxes);
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    int result;
    int count;
    const char* box;
  };
  auto wrongTag = Texl(1, {"a"});
  wrongTag[0] = 'X';
  auto truncated = Texl(3, {"a", "b"});
  const Case cases[] = {
      {"two names and Default", Texl(3, {"Default", "walls\\a", "b"}), 1, 3, nullptr},
      {"no records", Texl(0, {}), 1, 1, nullptr},
      {"negative count", Texl(-5, {}), 1, 1, nullptr},
      {"wrong tag", wrongTag, 0, 1, "TEXL section not found in .EVO file"},
      {"records missing", truncated, 0, 1, "TEXL section is damaged in .EVO file"},
      {"huge count", Texl(0x7FFFFFFF, {"a"}), 0, 1, "TEXL section is damaged in .EVO file"},
      {"header cut", {'T', 'E', 'X', 'L', 1}, 0, 1, "TEXL section is damaged in .EVO file"},
  };
  for (const Case& c : cases) {
    boxes.clear();
    CTextureManager library;
    ByteReader reader(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(library.ReadTEXL(reader), c.result) << c.what;
    EXPECT_EQ(library.Count, c.count) << c.what;
    if (c.box != nullptr) {
      ASSERT_EQ(boxes.size(), 1u) << c.what;
      EXPECT_EQ(boxes[0], c.box) << c.what;
    } else {
      EXPECT_TRUE(boxes.empty()) << c.what;
    }
  }
  SetMessageBoxHook(nullptr, nullptr);
}

TEST(TextureLibrary, WrittenTexlReadsBackWithSelectedIds) {
  CTextureManager source;
  const std::uint32_t wanted = source.GetTexture("b", 0)->Id;
  source.GetTexture("a", 0);
  source.GetTexture("c", 0);
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  const std::uint32_t twiceAndMissing[3] = {wanted, wanted, 0xDEADBEEF};
  source.WriteTEXL(f, 3, twiceAndMissing);  // one record, and the count says so
  source.WriteTEXL(f, -1, nullptr);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::ftell(f)));
  std::rewind(f);
  ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
  std::fclose(f);
  ASSERT_EQ(bytes.size(), 8 + 68 + 8 + 4 * 68u);

  ByteReader reader(bytes.data(), bytes.size());
  CTextureManager one, all;
  EXPECT_EQ(one.ReadTEXL(reader), 1);
  EXPECT_EQ(all.ReadTEXL(reader), 1);
  EXPECT_EQ(reader.Remaining(), 0u);
  EXPECT_EQ(one.Count, 2);
  EXPECT_EQ(one.GetTextureByIndex(1)->Id, wanted);
  ASSERT_EQ(all.Count, 4);
  for (int i = 0; i < 4; ++i)
    EXPECT_STREQ(all.GetTextureByIndex(i)->Name, source.GetTextureByIndex(i)->Name);
  EXPECT_EQ(all.GetTextureByIndex(1)->Flags, static_cast<std::uint32_t>(TEXF_MIPMAPS));
}

TEST(MaterialList, NearlyEqualValuesShareOneMaterial) {
  CMaterialList list;
  EXPECT_EQ(list.Count, 1);
  const float d[4] = {0.5f, 0.25f, 1.0f, 1.0f}, s[4] = {0, 0, 0, 1}, e[4] = {0, 0, 0, 1};
  float near[4] = {0.5f + 5e-6f, 0.25f, 1.0f, 1.0f}, far[4] = {0.5f + 2e-5f, 0.25f, 1.0f, 1.0f};
  CMaterial* m = list.FindOrAdd(d, s, 8.0f, e);
  EXPECT_EQ(list.FindOrAdd(near, s, 8.0f, e), m);
  EXPECT_NE(list.FindOrAdd(far, s, 8.0f, e), m);
  EXPECT_EQ(list.Count, 3);
  EXPECT_EQ(m->Id, ComputeMaterialId(d, s, 8.0f, e));
  EXPECT_EQ(list.GetById(m->Id), m);
  ASSERT_NE(m->DeviceMaterial, nullptr);
  EXPECT_FLOAT_EQ(m->DeviceMaterial->Ambient.g, 0.25f);
  EXPECT_FLOAT_EQ(m->DeviceMaterial->Power, 8.0f);
  EXPECT_EQ(list.GetByIndex(3), nullptr);
}

TEST(MaterialList, MatlSections) {
  std::vector<std::string> boxes;
  SetMessageBoxHook([](HWND, const char* text, const char*, UINT, void* ctx) {
    static_cast<std::vector<std::string>*>(ctx)->push_back(text);
    return IDOK;
  }, &boxes);
  auto matl = [](const char* tag, std::int32_t count, int records) {
    ByteWriter w;
    for (int i = 0; i < 4; ++i) w.U8(static_cast<std::uint8_t>(tag[i]));
    w.I32(count);
    for (int r = 0; r < records; ++r) {
      w.U32(0);
      for (int v = 0; v < 13; ++v) w.F32(r == 2 ? 0.0f : 0.5f);  // records 0 and 1 are equal
    }
    return w.Data();
  };
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    int result, count;
    const char* box;
  };
  const Case cases[] = {
      {"equal records collapse", matl("MATL", 3, 3), 1, 3, nullptr},
      {"empty", matl("MATL", 0, 0), 1, 1, nullptr},
      {"wrong tag", matl("MATX", 1, 1), 0, 1, "MATL section not found in .EVO file"},
      {"records missing", matl("MATL", 4, 3), 0, 1, "MATL section is damaged in .EVO file"},
  };
  for (const Case& c : cases) {
    boxes.clear();
    CMaterialList list;
    ByteReader reader(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(list.ReadMATL(reader), c.result) << c.what;
    EXPECT_EQ(list.Count, c.count) << c.what;
    EXPECT_EQ(boxes.size(), c.box ? 1u : 0u) << c.what;
    if (c.box && !boxes.empty()) {
      EXPECT_EQ(boxes[0], c.box) << c.what;
    }
  }
  SetMessageBoxHook(nullptr, nullptr);
}

class TextureFiles : public AssetFolderTest {};

TEST_F(TextureFiles, LoadPassCreatesDeviceTexturesAndReportsProgress) {
  Write("pics/grey.bmp", MakeBmp24(16, 8, Grey));
  CTextureManager library;
  CTexture* grey = library.GetTexture("pics\\grey", 0);
  CTexture* missing = library.GetTexture("pics\\missing", 0);
  library.GetTexture("pics\\grey2", 0);
  static int calls;
  calls = 0;
  library.LoadTextures([](int, int, int) { ++calls; });
  EXPECT_EQ(calls, 2);  // records 0 and 2 of four
  ASSERT_NE(grey->DeviceTexture, nullptr);
  EXPECT_EQ(grey->Kind, static_cast<std::uint32_t>(TEXKIND_BMP));
  EXPECT_EQ(grey->Width, 16u);
  EXPECT_EQ(grey->Height, 8u);
  EXPECT_EQ(grey->Format, static_cast<std::uint32_t>(D3DFMT_R5G6B5));
  EXPECT_GT(grey->MemoryBytes, 0u);
  EXPECT_EQ(missing->DeviceTexture, nullptr);
  EXPECT_EQ(library.LoadPending, 0u);
  calls = 0;
  library.LoadTextures(nullptr);  // nothing pending: no work
  EXPECT_EQ(calls, 0);
}

TEST_F(TextureFiles, AlphaOnlyBmpTakesAlphaFromColour) {
  // Opaque on the right, except for the top row, which is all clear.
  Write("mask.bmp", MakeBmp24(4, 4, [](int x, int y) -> std::uint32_t { return x < 2 || y == 0 ? 0 : 0x102040; }));
  CTextureManager library;
  CTexture* mask = library.GetTexture("mask", TEXF_ALPHA_ONLY);
  ASSERT_EQ(mask->Load(), 1);
  ASSERT_EQ(mask->Format, static_cast<std::uint32_t>(D3DFMT_A8R8G8B8));
  auto* texture = static_cast<IDirect3DTexture8*>(mask->DeviceTexture);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  const auto* top = static_cast<const std::uint32_t*>(locked.pBits);
  const auto* second = reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(locked.pBits) + locked.Pitch);
  EXPECT_EQ(top[2], 0x00000000u);     // black source: transparent; the top row stays on top
  EXPECT_EQ(second[1], 0x00000000u);
  EXPECT_EQ(second[2], 0x70000000u);  // black with alpha 0x10 | 0x20 | 0x40
  texture->UnlockRect(0);
}

TEST_F(TextureFiles, FadeMovesLaterLevelsTowardsWhite) {
  Write("dark.bmp", MakeBmp24(8, 8, [](int, int) -> std::uint32_t { return 0; }));
  CTextureManager library;
  CTexture* t = library.GetTexture("dark", TEXF_MIPMAPS);
  t->SetMipFade(1, 2, TEXF_FADE_WHITE);
  ASSERT_EQ(t->Load(), 1);
  auto* texture = static_cast<IDirect3DTexture8*>(t->DeviceTexture);
  ASSERT_EQ(texture->GetLevelCount(), 4u);
  const std::uint16_t expected[4] = {0, 0, 0x7BEF, 0xFFFF};  // levels 0, 1 as they were; 2 half-way; 3 white
  for (UINT level = 0; level < 4; ++level) {
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(*static_cast<std::uint16_t*>(locked.pBits), expected[level]) << level;
    texture->UnlockRect(level);
  }
}

TEST_F(TextureFiles, PictureFileSearchOrder) {
  struct Case {
    std::vector<std::string> files;
    DWORD resolution;
    const char* found;
  };
  const Case cases[] = {{{"a.tga", "a.bmp"}, 0, "a.bmp"},
                        {{"a.tga", "a.bmp", "a.png"}, 0, "a.png"},
                        {{"a.png", "a.dds", "a.ddl"}, 0, "a.dds"},
                        {{"a.png", "a.dds", "a.ddl"}, 1, "a.ddl"},
                        {{"a.tga"}, 1, "a.tga"},
                        {{}, 0, nullptr}};
  const DWORD saved = g_Render->m_TextureResolution;
  for (const Case& c : cases) {
    for (const char* e : {"a.tga", "a.bmp", "a.png", "a.dds", "a.ddl"}) std::filesystem::remove(folder_ / e);
    for (const std::string& f : c.files) WriteText(f, "x");
    g_Render->m_TextureResolution = c.resolution;
    char path[64];
    const int found = FindTextureFile("a.jpg", path, sizeof path);
    EXPECT_EQ(found, c.found != nullptr ? 1 : 0) << c.files.size();
    if (c.found != nullptr) {
      EXPECT_STREQ(path, c.found);
    }
  }
  g_Render->m_TextureResolution = saved;
}

TEST_F(TextureFiles, PicturesMissingFromTheCatalogWaitForTheCharacterCatalog) {
  Write("loose.bmp", MakeBmp24(4, 4, Grey));  // on the disk, but not in any catalog
  const std::uint32_t mode = GetCatalogMode();
  SetCatalogMode(mode | CATALOG_MODE_READ);
  OpenCatalog(0, nullptr, 0, 0);  // an empty catalog 0 is current
  CTextureManager library;
  CTexture* loose = library.GetTexture("loose", 0);
  library.LoadTextures(nullptr);
  EXPECT_EQ(loose->DeviceTexture, nullptr);
  EXPECT_TRUE(loose->Flags & TEXF_CHARACTER);

  // The next pass defers it to catalog 2, then makes catalog 0 current again.
  static int calls;
  calls = 0;
  library.GetTexture("other", 0);
  library.LoadTextures([](int, int, int) { ++calls; });
  EXPECT_EQ(loose->DeviceTexture, nullptr);
  EXPECT_EQ(calls, 3);  // records 0 and 2, then 4 (record 1 again) in the second walk
  EXPECT_EQ(GetCurrentCatalogId(), 0);
  CloseCatalog();
  SetCatalogMode(mode);
}
