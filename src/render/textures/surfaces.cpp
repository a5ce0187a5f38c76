#include "render/textures/surfaces.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "foundation/maths/angles.h"
#include "foundation/files/buffered_file.h"
#include "foundation/maths/fast_trig.h"
#include "foundation/text/keyword_readers.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/files/load_file.h"
#include "foundation/memory/memory_category.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/message_box.h"
#include "foundation/maths/random_tables.h"
#include "foundation/text/scanner.h"
#include "render/bsp/bsp_query.h"
#include "render/geometry/matrix.h"
#include "render/textures/text_compare.h"
#include "render/textures/texture_manager.h"
#include "world/effects/particle_pool.h"

namespace {

constexpr float kDegreesToRadians = 3.14159265358979323846f / 180.0f;
CSurfaces* g_BspSurfaces = nullptr;

bool LookUpForBsp(std::uint32_t id, BspSurfaceFields* out) {
  const CSurface* s = g_BspSurfaces != nullptr ? g_BspSurfaces->GetSurface(id) : nullptr;
  if (s == nullptr) return false;
  *out = {s->Flags, s->QueryBits, s->Factor};
  return true;
}

// Skips blanks; true when text is left.
bool TextLeft(const char** cursor) {
  const char* p = *cursor;
  while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == ',') ++p;
  *cursor = p;
  return *p != 0;
}

void ReadName(const char** cursor, char* name, std::size_t size) { TextReadKeywordStringN(cursor, nullptr, name, size); }

}  // namespace

std::uint32_t SwapRedBlueHalveAlpha(std::uint32_t c) {
  const std::uint32_t a = c >> 24, r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
  return ((a >> 1) << 24) | (b << 16) | (g << 8) | r;
}

CSurfaces::CSurfaces() {
  CSurface record;
  record.Colour[0] = 0xFFFFFFFF;
  record.QueryBits = 1;
  record.Factor = 0.5f;
  AddSurface(record);
  ArrayCurrent = 0;
  Changed = 0;
}

CSurfaces::~CSurfaces() {
  if (g_BspSurfaces == this) {
    SetBspSurfaceLookup(nullptr);
    g_BspSurfaces = nullptr;
  }
  EmptyList();
  MEM_DELETE_ARRAY Array;
  MEM_DELETE_ARRAY RemapTable;
  MEM_DELETE_ARRAY TextureTable;
}

void CSurfaces::InstallBspLookup() {
  g_BspSurfaces = this;
  SetBspSurfaceLookup(LookUpForBsp);
}

void CSurfaces::EmptyList() { List.DeleteAll(); }

void CSurfaces::AddSurface(const CSurface& record) {
  List.Append(MEM_NEW(MEMCAT_GAME) CSurface(record));
  ++Count;
  ArrayCurrent = 0;
  Changed = 1;
  m_ListReleased = false;
}

CSurface* CSurfaces::GetSurface(std::uint32_t id) const {
  const std::int32_t index = static_cast<std::int32_t>(id & kSurfaceIndexMask);
  if (index >= Count || m_ListReleased) return nullptr;
  return List.At(index);
}

int CSurfaces::DeleteSurface(std::uint32_t id) {
  const std::int32_t index = static_cast<std::int32_t>(id & kSurfaceIndexMask);
  if (index == 0 || index >= Count || m_ListReleased) return 0;
  MEM_DELETE_ARRAY RemapTable;
  RemapTable = MEM_NEW(MEMCAT_GAME) std::int32_t[Count];
  RemapCount = Count;
  for (std::int32_t i = 0; i < Count; ++i) RemapTable[i] = i < index ? i : (i == index ? -1 : i - 1);
  List.Delete(List.At(index));
  --Count;
  ArrayCurrent = 0;
  Changed = 1;
  return 1;
}

std::int32_t CSurfaces::RemapId(std::uint32_t id) const {
  const std::int32_t index = static_cast<std::int32_t>(id & kSurfaceIndexMask);
  if (RemapTable == nullptr || index >= RemapCount) return -1;
  return RemapTable[index];
}

void CSurfaces::Pack(std::uint32_t releaseList) {
  if (ArrayCurrent == 1) return;
  MEM_DELETE_ARRAY Array;
  Array = Count > 0 ? MEM_NEW(MEMCAT_GAME) CSurface[Count] : nullptr;
  std::int32_t i = 0;
  for (ListNode<CSurface>* n = List.First(); n != nullptr && i < Count; n = n->Next) Array[i++] = *n->Item;
  if (releaseList) {
    EmptyList();
    m_ListReleased = true;
  }
  ArrayCurrent = 1;
}

void CSurfaces::Unpack(std::uint32_t releaseArray) {
  EmptyList();
  m_ListReleased = false;
  const std::int32_t old = Array != nullptr ? Count : 0;
  Count = 0;
  for (std::int32_t i = 0; i < old; ++i) AddSurface(Array[i]);
  if (releaseArray) {
    MEM_DELETE_ARRAY Array;
    Array = nullptr;
  }
  ArrayCurrent = 1;
}

int CSurfaces::ReadPropertyList(const char** cursor) {
  EmptyList();
  m_ListReleased = false;
  MEM_DELETE_ARRAY Array;
  Array = nullptr;
  Count = 0;
  char word[256];
  int version = 0, count = 0;
  sscanf1(cursor, "%s%d", word, &version);
  sscanf1(cursor, "%d", &count);
  bool damaged = count < 0;
  for (int i = 0; i < count && !damaged; ++i) {
    // Every record needs text; a count beyond the text is damage, not records of zeros.
    if (!TextLeft(cursor)) {
      damaged = true;
      break;
    }
    char name[256];
    ReadName(cursor, name, sizeof name);
    CSurface s;
    unsigned int unused = 0;
    int queryBits = 0, flags = 0;
    if (version < 4) {
      sscanf1(cursor, "%08x%08x%f%d%d", &unused, &s.Colour[0], &s.Factor, &queryBits, &flags);
      for (int k = 1; k < 5; ++k) s.Colour[k] = 0xFFFFFFFF;
    } else {
      sscanf1(cursor, "%08x%08x%08x%08x%08x%08x%f%d%d", &unused, &s.Colour[0], &s.Colour[1], &s.Colour[2],
              &s.Colour[3], &s.Colour[4], &s.Factor, &queryBits, &flags);
    }
    s.QueryBits = static_cast<std::uint32_t>(queryBits);
    s.Flags = static_cast<std::uint32_t>(flags);
    for (int& v : s.ContextValues) sscanf1(cursor, "%d", &v);
    if (version >= 4 && (s.Flags & SURF_IMPACT_DATA)) {
      sscanf1(cursor, "%d", &s.ImpactChoiceCount);
      if (s.ImpactChoiceCount < 0 || s.ImpactChoiceCount > kSurfaceImpactChoices) {
        damaged = true;
        break;
      }
      for (int c = 0; c < s.ImpactChoiceCount; ++c) {
        char image[256];
        ReadName(cursor, image, sizeof image);
        s.ImpactImage[c] = 0;
        if (ImageNames != nullptr) {
          s.ImpactImage[c] = 0xFFFFFFFF;
          for (const SurfaceImageName* n = ImageNames; n->Name != nullptr; ++n) {
            if (TextEqualNoCase(n->Name, image)) {
              s.ImpactImage[c] = n->Value;
              break;
            }
          }
        }
        int colour = 0;
        sscanf1(cursor, "%d", &colour);
        s.ImpactColour[c] = static_cast<std::uint32_t>(colour);
      }
      int impactFlags = 0;
      // The text gives each range maximum first.
      sscanf1(cursor, "%d%d%d%f%f%f%f", &impactFlags, &s.ImpactCountMax, &s.ImpactCountMin, &s.ImpactSpeedAxis,
              &s.ImpactSpeedEdge, &s.ImpactSizeMax, &s.ImpactSizeMin);
      s.ImpactFlags = static_cast<std::uint32_t>(impactFlags);
    }
    AddSurface(s);
  }
  ArrayCurrent = 0;
  Changed = 0;
  if (damaged) {
    EmptyList();
    Count = 0;
    ErrorBox("Surface property list is damaged\n");
    return 0;
  }
  return 1;
}

int CSurfaces::ReadPropertyList(BufferedFile* file) {
  if (file == nullptr) return 0;
  const std::uint32_t size = FileGetSize(file);
  std::vector<char> text;
  if (size != kBufferedFileUnknownSize && file->readPosition <= size) {
    text.resize(size - file->readPosition);
    text.resize(FileRead(text.data(), 1, text.size(), file));
  }
  text.push_back(0);
  const char* cursor = text.data();
  return ReadPropertyList(&cursor);
}

int CSurfaces::LoadTextureTable(const char* name, CTextureManager* textures, int /*unused*/, CLinearBuffer* buffer) {
  const std::uint32_t usedBefore = buffer != nullptr ? buffer->GetUsed() : 0;
  char* data = nullptr;
  std::uint32_t size = 0;
  if (!LoadFile(name, &data, &size, buffer, MEMCAT_GAME)) return 0;
  const int result = ReadTextureTable(data, size, textures, name);
  if (buffer != nullptr)
    buffer->FreeTop(buffer->GetUsed() - usedBefore);
  else
    FreeLoadedFile(data);
  return result;
}

int CSurfaces::ReadTextureTable(const char* text, std::uint32_t size, CTextureManager* textures, const char* name) {
  const char* cursor = text;
  int first = 0, second = 0, columns = 0;
  sscanf1(&cursor, "%d%d%d", &first, &second, &columns);
  // Every entry takes at least a name and a number in the text.
  const std::uint64_t entries = static_cast<std::uint64_t>(Count) * static_cast<std::uint64_t>(columns < 0 ? 0 : columns);
  bool damaged = columns < 0 || entries > size;
  SurfaceTextureEntry* table = nullptr;
  if (!damaged && entries > 0) {
    table = MEM_NEW(MEMCAT_GAME) SurfaceTextureEntry[entries]{};
    for (std::uint64_t e = 0; e < entries && !damaged; ++e) {
      if (!TextLeft(&cursor)) {
        damaged = true;
        break;
      }
      char texture[256];
      ReadName(&cursor, texture, sizeof texture);
      table[e].Texture = texture[0] != 0 && textures != nullptr ? textures->GetTexture(texture, TEXF_MIPMAPS) : nullptr;
      sscanf1(&cursor, "%f", &table[e].Number);
    }
  }
  if (damaged) {
    MEM_DELETE_ARRAY table;
    ErrorBox("Surface texture table \"%s\" is damaged\n", name != nullptr ? name : "");
    return 0;
  }
  MEM_DELETE_ARRAY TextureTable;
  TextureTable = table;
  Columns = columns;
  return 1;
}

SurfaceTextureEntry* CSurfaces::GetTextureEntry(std::uint32_t surface, std::uint32_t column) const {
  if (TextureTable == nullptr || static_cast<std::int64_t>(column) >= Columns ||
      static_cast<std::int64_t>(surface) >= Count)
    return nullptr;
  return &TextureTable[static_cast<std::size_t>(surface) * static_cast<std::size_t>(Columns) + column];
}

void CSurface::SpawnImpactEffect(const CVector3& position, const CVector3& direction, const CSurface* hit) const {
  if (g_ParticlePool == nullptr) return;
  int n = ImpactCountMin;
  if (ImpactCountMax > ImpactCountMin) n = ImpactCountMin + RandomIntBelow(ImpactCountMax - ImpactCountMin);
  Vector3 angles;
  DirectionToAngles(Vector3{direction.x, direction.y, direction.z}, &angles);
  for (int i = 0; i < 2 * n; ++i) {
    CParticle* p = g_ParticlePool->Spawn(position, 13, nullptr);
    if (p == nullptr) return;
    const int choice = ImpactChoiceCount > 0 ? RandomIntBelow(ImpactChoiceCount) : 0;
    p->Frame = static_cast<float>(ImpactImage[choice]);
    // A cone of +-45 degrees about the direction; fastest along the axis.
    const float dp = RandomFloatRange(-45.0f, 45.0f);
    const float dy = RandomFloatRange(-45.0f, 45.0f);
    CVector3 unit;
    AnglesToDirection(CVector3{angles.x + dp, angles.y + dy, 0.0f}, &unit);
    const float speed =
        (ImpactSpeedAxis - ImpactSpeedEdge) * std::fabs(FastCos(2.0f * dp * kDegreesToRadians)) + ImpactSpeedEdge;
    p->Velocity = CVector3{unit.x * speed, unit.y * speed, unit.z * speed};
    p->SetSize(RandomFloatRange(ImpactSizeMin, ImpactSizeMax));
    p->Flags &= ~0x20000u;
    p->Flags |= (ImpactFlags & 1) ? 0x6022u : 0x6020u;
    p->Colour = ImpactColour[choice];
    p->AlphaScale = static_cast<float>(p->Colour >> 24) / 255.0f;

    if (hit != nullptr && (hit->Flags & SURF_DUST_ON_IMPACT)) {
      CParticle* dust = g_ParticlePool->Spawn(position, 9, nullptr);
      if (dust == nullptr) continue;
      const float vx = RandomFloatRange(-10.0f, 10.0f);
      const float vy = RandomFloatRange(5.0f, 20.0f);
      const float vz = RandomFloatRange(-10.0f, 10.0f);
      dust->Velocity = CVector3{vx, vy, vz};
      dust->SpeedScale = 3.0f;
      dust->SetSize(80.0f);
      dust->SetTimeToLive(200);
      dust->Flags |= 0x22020u;
      std::uint32_t colour = hit->Colour[2];
      if ((colour & 0xFFFFFF) == 0xFFFFFF) colour = 0x337F7F7F;
      dust->Colour = colour;
      dust->AlphaScale = static_cast<float>(colour >> 24) / 255.0f;
    }
  }
}
