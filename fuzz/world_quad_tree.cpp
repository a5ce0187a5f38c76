// Feeds arbitrary bytes to the ".qtd" route-quadtree reader.  An accepted
// tree must write and read back to the same bytes, and survive leaf look-ups
// and ray walks across it.
//
// With HALBERD_WRITE_SEEDS=<folder> in the environment the target first
// writes seed files there (see world_route_seeds.h).
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "foundation/byte_reader.h"
#include "world/routes/quad_tree.h"
#include "world_route_seeds.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteRouteSeeds(folder, true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  std::string error;
  std::unique_ptr<CQuadTree> tree = ReadQuadTree(in, &error);
  if (!tree) {
    if (error.empty()) std::abort();
    return 0;
  }
  ByteWriter once;
  WriteQuadTree(*tree, once);
  ByteReader again(once.Data().data(), once.Size());
  std::unique_ptr<CQuadTree> back = ReadQuadTree(again, &error);
  if (!back) std::abort();
  ByteWriter twice;
  WriteQuadTree(*back, twice);
  if (twice.Data() != once.Data()) std::abort();
  FreeQuadTree(g_QuadTree);
  g_QuadTree = tree.release();
  const float x0 = g_QuadTree->MinX, x1 = g_QuadTree->MaxX, z0 = g_QuadTree->MinZ, z1 = g_QuadTree->MaxZ;
  for (int k = 0; k <= 8; ++k) {
    const float fx = x0 + (x1 - x0) * static_cast<float>(k) / 8, fz = z0 + (z1 - z0) * static_cast<float>(8 - k) / 8;
    g_QuadTree->FindLeafXZ(g_QuadTree->Root, fx, fz);
    QuadTreeRaycast(x0, z0, fx, fz);
    QuadTreeRaycast(fx, z1, x1, fz);
  }
  FreeQuadTree(g_QuadTree);
  return 0;
}
