// Feeds arbitrary bytes to the vertex-animation chunk reader.  An object that
// reads must interpolate any frame, and write a chunk that reads back and
// writes again to the same bytes.
//
// With HALBERD_WRITE_SEEDS=<folder> in the environment the target first
// writes seed chunks there, made by the engine's writer and builder.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "scene/vertex_anim/vertex_anim.h"
#include "scene/vertex_anim/vertex_anim_fixture.h"
#include "fuzz_seed_file.h"

namespace {

void WriteSeeds(const char* folder) {
  for (int frames : {1, 2, 5}) WriteSeedFile(std::string(folder) + "/object" + std::to_string(frames) + ".vaob",
                                         vertex_anim_fixture::Chunk(frames));
}

}  // namespace

// The tracked allocator wipes a freed array from its start, where the
// compiler keeps the array's element count; the address sanitizer guards that
// count and would stop the seed writer (the stripifier frees such arrays).
extern "C" const char* __asan_default_options() { return "poison_array_cookie=0"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  CVertexAnim keep(nullptr, nullptr, nullptr, nullptr, nullptr);
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  CVertexAnim anim;
  if (!anim.Read(in)) {
    if (anim.Meshes != nullptr) std::abort();
    return 0;
  }
  for (CVertexAnimMesh* mesh = anim.Meshes; mesh != nullptr; mesh = mesh->Next)
    for (float f : {0.0f, 0.5f, 1.75f, -2.25f, 1e9f}) mesh->Interpolate(f);
  ByteWriter first;
  anim.Write(first);
  ByteReader again(first.Data().data(), first.Size());
  CVertexAnim back;
  if (!back.Read(again)) std::abort();
  ByteWriter second;
  back.Write(second);
  if (second.Data() != first.Data()) std::abort();
  return 0;
}
