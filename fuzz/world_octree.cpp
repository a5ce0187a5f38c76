// Feeds arbitrary bytes to the zone octree reader.  Input: u16 size of the
// instance table, then one zone's stored tree.  An accepted tree must write
// back to the same bytes and survive every walk.
//
// With HALBERD_FUZZ_SEEDS=<folder> in the environment the target first writes
// seed files there: trees of generated zones made by the engine's builder and
// writer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "world/space/octree.h"

namespace {

std::vector<unsigned char> g_Names(65536);

CEnvInstance* InstanceNamed(std::size_t i) { return reinterpret_cast<CEnvInstance*>(&g_Names[i]); }

void WriteSeeds(const char* folder) {
  std::mt19937 rng(3);
  for (int seed = 0; seed < 6; ++seed) {
    int count = 1 + seed * seed * 12;
    std::uniform_real_distribution<float> pos(-2000.0f * (seed + 1), 2000.0f * (seed + 1)), size(10, 900);
    std::vector<OctreeItem> items;
    for (int i = 0; i < count; ++i) {
      float x = pos(rng), y = pos(rng) * 0.1f, z = pos(rng);
      items.push_back({InstanceNamed(static_cast<std::size_t>(i)), static_cast<std::uint32_t>(i),
                       {x, y, z, x + size(rng), y + size(rng), z + size(rng)}});
    }
    std::unique_ptr<OctreeArray> tree(OctreeBuild(items));
    ByteWriter out;
    out.U16(static_cast<std::uint16_t>(count));
    OctreeWrite(*tree, items, out);
    std::string path = std::string(folder) + "/zone" + std::to_string(seed) + ".oct";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
      std::fwrite(out.Data().data(), 1, out.Size(), f);
      std::fclose(f);
    }
  }
}

void Ignore(OctreeNode*, void*) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  std::size_t table_size = in.U16();
  if (!in.Ok()) return 0;
  std::vector<CEnvInstance*> table(table_size);
  for (std::size_t i = 0; i < table_size; ++i) table[i] = InstanceNamed(i);
  std::size_t start = in.Position();
  std::string error;
  std::unique_ptr<OctreeArray> tree(OctreeRead(in, table, &error));
  if (!tree) {
    if (error.empty()) std::abort();
    return 0;
  }
  // Written back with every instance numbered by its table slot.
  std::vector<OctreeItem> items(table_size);
  for (std::size_t i = 0; i < table_size; ++i) items[i] = {table[i], static_cast<std::uint32_t>(i), {}};
  ByteWriter out;
  OctreeWrite(*tree, items, out);
  std::size_t used = in.Position() - start;
  // List words are written as 0 whatever was read.
  if (out.Size() != used) std::abort();
  for (std::size_t i = 0; i < used; ++i) {
    std::size_t node_byte = i >= 4 ? (i - 4) % 24 : 24;
    bool list_word = i >= 4 && i < 4 + 24 * std::size_t{tree->Count()} && node_byte < 4;
    if (!list_word && out.Data()[i] != data[start + i]) std::abort();
  }
  OctreeNode* root = tree->Root();
  OctreeWalkSegment(root, {-5000, -100, -3000}, {4000, 900, 5000}, Ignore, nullptr);
  float box[6] = {-1000, -1000, -1000, 1000, 1000, 1000};
  OctreeWalkBox(root, box, Ignore, nullptr);
  float planes[1][4] = {{0.6f, 0, 0.8f, 10}};
  OctreeWalkPlanes(root, OctreePlaneSet{1, planes}, Ignore, nullptr);
  OctreeFindLeaf(root, {1, 2, 3});
  return 0;
}
