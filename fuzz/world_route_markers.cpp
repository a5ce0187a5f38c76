// Feeds arbitrary bytes to the ".rmd" route-marker reader.  An accepted list
// must write and read back to the same bytes; a list that also validates is
// labelled and searched by the router.
//
// With HALBERD_WRITE_SEEDS=<folder> in the environment the target first
// writes seed files there (see world_route_seeds.h).
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "foundation/byte_reader.h"
#include "world/routes/route_marker.h"
#include "world/routes/router.h"
#include "world_route_seeds.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteRouteSeeds(folder, false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  std::string error;
  std::unique_ptr<CRouteMarkerList> list = ReadRouteMarkers(in, &error);
  if (!list) {
    if (error.empty()) std::abort();
    return 0;
  }
  ByteWriter once;
  WriteRouteMarkers(*list, once);
  ByteReader again(once.Data().data(), once.Size());
  std::unique_ptr<CRouteMarkerList> back = ReadRouteMarkers(again, &error);
  if (!back) std::abort();
  ByteWriter twice;
  WriteRouteMarkers(*back, twice);
  if (twice.Data() != once.Data()) std::abort();
  if (!list->Validate()) return 0;
  SetRouteMarkerList(list.release());
  g_RouteMarkerList->LabelComponents();
  const std::uint32_t count = g_RouteMarkerList->Count;
  if (count > 0 && count <= 4096) {
    CRouter router(count);
    for (std::uint32_t k = 0; k < 6; ++k) {
      router.SearchesThisFrame = 0;
      const RouteResult r = router.FindRoute((k * 7919) % count, (k * 104729 + 1) % count, k & 1);
      if (r == ROUTE_FOUND && router.GetResult() == nullptr) std::abort();
      if (router.CountResult() > count) std::abort();
    }
  }
  FreeRouteMarkerList();
  return 0;
}
