// Feeds arbitrary bytes to the "TEXL" section reader.  Every accepted record
// names one texture record; nothing is read beyond the bytes.
#include <cstdint>
#include <cstdlib>

#include "foundation/byte_reader.h"
#include "render/textures/texture_manager.h"
#include "render_asset_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QuietMessageBoxes();
  ByteReader reader(data, size);
  CTextureManager library;
  if (library.ReadTEXL(reader) && library.Count > 1) {
    const std::int32_t declared = static_cast<std::int32_t>(data[4] | data[5] << 8 | data[6] << 16 | data[7] << 24);
    if (library.Count - 1 > declared) std::abort();
  }
  return 0;
}
