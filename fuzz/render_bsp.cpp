// Feeds arbitrary bytes to the "BSPT" section reader.  A section that is
// accepted must write back to the same bytes and survive every walk.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "foundation/byte_reader.h"
#include "render/bsp/bsp_query.h"
#include "render/bsp/bsp_tree.h"

namespace {
void Ignore(const BspPolygon*, float, float, float, float, float, float, float, float) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  BspTreePtr tree = LoadBspTree(in);
  if (!tree) return 0;
  ByteWriter out;
  WriteBspTree(tree.get(), out);
  // The tag word is not checked on reading and always written as "BSPT".
  if (out.Size() != in.Position() || std::memcmp(out.Data().data() + 4, data + 4, out.Size() - 4) != 0) std::abort();
  BspStatistics stats;
  GetBspStatistics(tree.get(), &stats);

  SetBspPolygonCallback(&Ignore);
  float sphere[4] = {0, 0, 0, 100};
  std::uint32_t hit = 0;
  BspSphereQuery(tree.get(), sphere, &hit, 0);
  BspSegmentQuery(tree.get(), {-100, -50, -70}, {100, 60, 80}, BSPF_BOTH_SIDES);
  CSweptSphere sweep{};
  sweep.Sphere.Set({-50, 0, 0}, 5);
  sweep.Motion = {100, 0, 0};
  sweep.Direction = {1, 0, 0};
  sweep.Length = 100;
  sweep.Bounds.Set({0, 0, 0}, 55);
  BspSweepQuery(tree.get(), &sweep, 0);
  return 0;
}
