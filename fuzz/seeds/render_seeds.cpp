// Seeds of the renderer's asset readers: "TEXL" sections written by the
// texture library, "MATL" sections, ".spl" and ".sdl" texts, and "BSPT"
// sections compiled from the test soups.  Sprite files come from the sprite
// tool's demo data instead (see render_assets.cmake).
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "render/bsp_fixture.h"
#include "render/textures/texture_manager.h"
#include "render_asset_fuzz.h"
#include "seed_writer.h"

namespace {

void WriteTextureLists() {
  CTextureManager library;
  const std::uint32_t rock = library.GetTexture("textures\\rock", 0)->Id;
  library.GetTexture("textures\\mud", 0);
  library.GetTexture("sky", 0);
  const std::uint32_t one[1] = {rock};
  for (int all : {0, 1}) {
    std::FILE* f = std::tmpfile();
    if (all)
      library.WriteTEXL(f, -1, nullptr);
    else
      library.WriteTEXL(f, 1, one);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::ftell(f)));
    std::rewind(f);
    if (std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size())
      seeds::Write("render_texl", all ? "all.texl" : "one.texl", bytes);
    std::fclose(f);
  }
}

// "MATL", count, then per material a u32 and 13 floats (diffuse, specular,
// power, emissive).
void WriteMaterials() {
  ByteWriter w;
  w.Tag("MATL");
  w.I32(3);
  for (int m = 0; m < 3; ++m) {
    w.U32(0);
    for (int v = 0; v < 13; ++v) w.F32(0.25f * static_cast<float>((m + v) % 5));
  }
  seeds::Write("render_matl", "three.matl", w.Data());
}

void WriteSurfaceTexts() {
  seeds::Write("render_surface_list", "v3.spl",
               std::string("Version 3 2\r\nMud 00000000 FF112233 0.75 32 1024 1 2 3 4 5 6 7 8 9 10\r\n"
                           "Rock 0 FF000000 0.5 0 2 0 0 0 0 0 0 0 0 0 0\r\n"));
  seeds::Write("render_surface_table", "default.sdl",
               std::string("1 2 2\r\n decals\\mud 0.5 \"\" 1.0\r\n rock 2.5 \"decals\\Mud.bmp\" 3\r\n"));
}

void WriteTrees() {
  using namespace bsp_fixture;
  seeds::Write("render_bsp", "room.bspt", CompileSection(Room(50.0f, 2)));
  seeds::Write("render_bsp", "stair.bspt", CompileSection(Stair(4, 10.0f, 20.0f)));
  std::mt19937 rng(7);
  seeds::Write("render_bsp", "scatter.bspt", CompileSection(RandomConvex(rng, 12, 60.0f, 5.0f, 20.0f, 3)));
}

}  // namespace

int main(int argc, char** argv) {
  if (!seeds::Start(argc, argv)) return 2;
  QuietMessageBoxes();
  WriteTextureLists();
  WriteMaterials();
  WriteSurfaceTexts();
  WriteTrees();
  return 0;
}
