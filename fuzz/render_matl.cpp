// Feeds arbitrary bytes to the "MATL" section reader.  Materials are unique
// after reading.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "foundation/byte_reader.h"
#include "render/textures/material_list.h"
#include "render_asset_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QuietMessageBoxes();
  ByteReader reader(data, size);
  CMaterialList list;
  list.ReadMATL(reader);
  const int count = list.Count;
  for (int i = 0; i < count; ++i) {
    const CMaterial* m = list.GetByIndex(i);
    if (m == nullptr) std::abort();
    // NaN and infinite values never compare equal, so only materials without them must be found again.
    bool plain = std::isfinite(m->Power);
    for (int k = 0; k < 4; ++k)
      plain = plain && std::isfinite(m->Diffuse[k]) && std::isfinite(m->Specular[k]) && std::isfinite(m->Emissive[k]);
    if (plain && list.FindOrAdd(m->Diffuse, m->Specular, m->Power, m->Emissive) != m) std::abort();
  }
  return 0;
}
