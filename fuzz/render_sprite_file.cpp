// Feeds arbitrary bytes to the sprite file parser.  An accepted file must have
// had room for every entry it declares.
#include <cstdint>
#include <cstdlib>

#include "foundation/byte_reader.h"
#include "foundation/memory/memory_manager.h"
#include "render/2d/sprite_render.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader reader(data, size);
  SpriteFileData parsed;
  if (!ParseSpriteFile(reader, &parsed)) return 0;
  const std::size_t entry = kSpriteEntrySize + (parsed.Header.Format == 2 ? kSpriteEntryBlockSize : 0);
  if (parsed.Header.PageCount > kSpriteMaxPages || reader.Position() != kSpriteHeaderSize + entry * parsed.Header.SpriteCount)
    std::abort();
  MEM_DELETE_ARRAY parsed.Sprites;
  return 0;
}
