// Feeds arbitrary bytes to the skin chunk reader (buffers in system memory).
// A skin that reads must have every index and shadow face inside its
// vertices, deform with the bones its influences name, and write a chunk
// that reads back and writes again to the same bytes.
//
// With HALBERD_WRITE_SEEDS=<folder> in the environment the target first
// writes seed chunks there, made by the skin builder and writer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "render/colour/colour.h"
#include "scene/skin/skin.h"
#include "scene/skin/skin_fixture.h"
#include "fuzz_seed_file.h"

namespace {

void WriteSeeds(const char* folder) {
  WriteSeedFile(std::string(folder) + "/filled.skin", skin_fixture::FilledChunk());
  for (int quads : {1, 3, 8}) {
    CSkin skin;
    SkinSource source = skin_fixture::TwoBoneStrip(quads);
    source.ShadowFaces = quads != 3;
    if (!skin.Build(source)) continue;
    ByteWriter out;
    skin.Write(out);
    WriteSeedFile(std::string(folder) + "/strip" + std::to_string(quads) + ".skin", out.Data());
  }
}

}  // namespace

// The tracked allocator wipes a freed array from its start, where the
// compiler keeps the array's element count; the address sanitizer guards that
// count and would stop the seed writer (the stripifier frees such arrays).
extern "C" const char* __asan_default_options() { return "poison_array_cookie=0"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  CSkin keep(nullptr, nullptr, nullptr, nullptr, nullptr);
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  CSkin skin;
  if (!skin.Read(in)) {
    if (skin.VertexCount() != 0) std::abort();
    return 0;
  }
  const SkinData& d = skin.Data;
  for (std::uint16_t i : d.ListIndices)
    if (i >= d.VertexCount) std::abort();
  for (std::uint16_t i : d.StripIndices)
    if (i >= d.VertexCount) std::abort();
  for (const SkinShadowFace& f : d.ShadowFaces)
    for (std::uint16_t v : f.Vertices)
      if (v >= d.VertexCount) std::abort();
  std::vector<CMatrix> bones(static_cast<std::size_t>(SkinHighestBone(d) + 1));
  for (CMatrix& m : bones) m.SetIdentity();
  skin.Deform(bones.data(), static_cast<int>(bones.size()));
  SkinMarkList marks(4);
  CColour red;
  red.r = red.a = 1.0f;
  skin.AddSkinMark(red, {0, 0, 0}, 10.0f, &marks);
  skin.ApplySkinMarks(marks);
  ByteWriter first;
  skin.Write(first);
  ByteReader again(first.Data().data(), first.Size());
  CSkin back;
  if (!back.Read(again)) std::abort();
  ByteWriter second;
  back.Write(second);
  if (second.Data() != first.Data()) std::abort();
  return 0;
}
