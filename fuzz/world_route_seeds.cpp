#include "world_route_seeds.h"

#include <cstdio>
#include <string>

#include "foundation/byte_reader.h"
#include "world/routes/quad_tree.h"
#include "world/routes/route_marker.h"
#include "world/routes/route_world_fixture.h"

namespace {
void Save(const std::string& path, const ByteWriter& out) {
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(out.Data().data(), 1, out.Size(), f);
    std::fclose(f);
  }
}
}  // namespace

void WriteRouteSeeds(const char* folder, bool quadTree) {
  for (int k = 0; k < 4; ++k) {
    route_fixture::MazeOptions o;
    o.halfCells = 1 + 2 * k;
    o.seed = static_cast<unsigned>(k + 1);
    o.sealedPocket = k == 2;
    auto maze = route_fixture::MakeMaze(o);
    BuildRouteData(*maze->env);
    ByteWriter out;
    const std::string base = std::string(folder) + "/maze" + std::to_string(k);
    if (quadTree) {
      WriteQuadTree(*g_QuadTree, out);
      Save(base + ".qtd", out);
    } else {
      WriteRouteMarkers(*g_RouteMarkerList, out);
      Save(base + ".rmd", out);
      if (k == 1) {
        // The old layout: the count first and 28-byte records.
        ByteWriter old;
        old.U32(g_RouteMarkerList->Count);
        for (std::uint32_t i = 0; i < g_RouteMarkerList->Count; ++i) {
          const CRouteMarker& m = *g_RouteMarkerList->GetMarker(i);
          old.F32(m.Position.x);
          old.F32(m.Position.y);
          old.F32(m.Position.z);
          for (std::uint16_t l : m.Links) old.U16(l);
          old.U16(m.Component);
          old.U16(m.Flags);
          old.U16(0);
        }
        Save(base + "_v0.rmd", old);
      }
    }
  }
}
