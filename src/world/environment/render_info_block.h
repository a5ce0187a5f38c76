// The render-info block that instances and game objects of the environment
// file share: environment-map textures for some of the template's textures,
// and a render value drawn with render mode 24.  Read and written here in its
// text form; applying it to an instance is the level loader's.
#pragma once

#include <cstdint>
#include <string>

class EnvTextCursor;

struct RenderInfoEntry {
  char name[64];        // a texture of the template's mesh parts
  char envMapName[64];  // the environment-map texture used for it
  float value;
};

struct RenderInfoBlock {
  static constexpr int kMaxEntries = 32;
  enum : std::uint32_t {
    HAS_ENTRIES = 0x1,       // the entry list is present
    HAS_RENDER_VALUE = 0x2,  // the render value is present
  };

  std::uint32_t flags = 0;
  std::int32_t renderValue = 0;
  std::int32_t count = 0;
  RenderInfoEntry entries[kMaxEntries] = {};

  // Back to the empty block.
  void Clear() { *this = RenderInfoBlock{}; }
};

// Reads a block in its text form ("RINFO" flags ["ENVM" count entries...]
// [render value]) into `block`, which the caller has cleared.  False when the
// text ends, a value has the wrong form, a name does not fit its 63
// characters or the count is negative; what was read is kept.  Entries beyond
// 32 are read and dropped with a debug line.
bool EnvFileReadRenderInfo(RenderInfoBlock& block, EnvTextCursor& text);
// Appends the text form of the block to `out`: "RINFO %d ", then with the
// entry list "ENVM %d " and "\"%s\" %f \"%s\" " per entry, then with the
// render value "%d"; nothing at all for a flag word of 0.
void EnvFileWriteRenderInfo(const RenderInfoBlock& block, std::string& out);
