// Surface properties: what each world surface is made of (colours, flags that
// queries, footsteps and effects test, per-context integers, an optional
// impact spray), read from the ".spl" property list, and a per-surface table
// of decal textures read from the ".sdl" table.  Main thread only.
#pragma once

#include <cstdint>

#include "render/device/list_temp.h"
#include "render/geometry/vector3.h"

class BufferedFile;
class CLinearBuffer;
class CTexture;
class CTextureManager;

inline constexpr int kSurfaceImpactChoices = 4;
inline constexpr int kSurfaceContextValues = 10;
inline constexpr std::uint32_t kSurfaceIndexMask = 0x3FF;

// Surface flag bits read here.
enum SurfaceFlags : std::uint32_t {
  SURF_DUST_ON_IMPACT = 0x40,
  SURF_IMPACT_DATA = 0x400,
};

class CSurface {
 public:
  // Spawns the impact particles at the position along the direction, and dust
  // puffs when the hit surface (may be null) has SURF_DUST_ON_IMPACT.  Stops
  // when the particle pool is full.
  void SpawnImpactEffect(const CVector3& position, const CVector3& direction, const CSurface* hit) const;

  std::uint32_t Colour[5] = {};
  std::uint32_t Flags = 0;
  std::uint32_t QueryBits = 0;
  float Factor = 0.0f;
  std::uint32_t ImpactFlags = 0;
  std::int32_t ImpactChoiceCount = 0;
  std::uint32_t ImpactImage[kSurfaceImpactChoices] = {};
  std::uint32_t ImpactColour[kSurfaceImpactChoices] = {};
  std::int32_t ImpactCountMin = 0, ImpactCountMax = 0;
  float ImpactSpeedAxis = 0.0f, ImpactSpeedEdge = 0.0f;
  float ImpactSizeMin = 0.0f, ImpactSizeMax = 0.0f;
  std::int32_t ContextValues[kSurfaceContextValues] = {};
};

// One name of the game's image table; tables end with a null name.
struct SurfaceImageName {
  std::uint32_t Value;
  const char* Name;
};

struct SurfaceTextureEntry {
  CTexture* Texture;
  float Number;
};

class CSurfaces {
 public:
  // Holds the default record (index 0) only.
  CSurfaces();
  ~CSurfaces();
  CSurfaces(const CSurfaces&) = delete;
  CSurfaces& operator=(const CSurfaces&) = delete;

  // Appends a copy of the record.
  void AddSurface(const CSurface& record);
  // The record at id & 0x3FF; null when that index is not below Count or the list was released.
  CSurface* GetSurface(std::uint32_t id) const;
  // Removes the record at id & 0x3FF and builds the remap table; 0 for index 0 or out of range.
  int DeleteSurface(std::uint32_t id);
  // The new index of an old one after a delete (-1 deleted); -1 without a table or out of range.
  std::int32_t RemapId(std::uint32_t id) const;
  // Copies the records into Array (and frees the list when release is non-zero).
  void Pack(std::uint32_t releaseList);
  // Rebuilds the list from Array (and frees Array when release is non-zero).
  void Unpack(std::uint32_t releaseArray);
  // Reads the ".spl" text; 0 after an error box when it is damaged (the list is then empty).
  int ReadPropertyList(const char** cursor);
  // The same from the rest of the open file.
  int ReadPropertyList(BufferedFile* file);
  // Reads the ".sdl" table through the scratch buffer (may be null) and asks the
  // library for its textures; 0 when the file cannot be read or is damaged
  // (after an error box), the old table then stays.
  int LoadTextureTable(const char* name, CTextureManager* textures, int unused, CLinearBuffer* buffer);
  // Reads the ".sdl" table from size bytes of NUL-terminated text; 0 after an
  // error box naming name when it is damaged (the old table then stays).
  int ReadTextureTable(const char* text, std::uint32_t size, CTextureManager* textures, const char* name);
  // The entry of a surface and column; null outside the table.
  SurfaceTextureEntry* GetTextureEntry(std::uint32_t surface, std::uint32_t column) const;
  void SetImageNames(const SurfaceImageName* names) { ImageNames = names; }
  // Makes the BSP queries look surfaces up in this object.
  void InstallBspLookup();

  std::int32_t Count = 0;
  ListTemp<CSurface> List;
  CSurface* Array = nullptr;
  std::int32_t RemapCount = 0;
  std::int32_t* RemapTable = nullptr;
  std::uint32_t ArrayCurrent = 0;
  std::uint32_t Changed = 0;
  const SurfaceImageName* ImageNames = nullptr;
  SurfaceTextureEntry* TextureTable = nullptr;
  std::int32_t Columns = 0;

 private:
  bool m_ListReleased = false;
  void EmptyList();
};

// 0xAARRGGBB to ((AA >> 1) << 24) | BB << 16 | GG << 8 | RR.
std::uint32_t SwapRedBlueHalveAlpha(std::uint32_t colour);
