#include "world/animation/anim_set.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "foundation/files/buffered_file.h"
#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "foundation/files/load_file.h"
#include "foundation/files/path_helpers.h"
#include "foundation/memory/memory_category.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/debug_output.h"
#include "foundation/text/hash.h"
#include "platform/win32/win_stdio.h"
#include "scene/model/model_text_cursor.h"
#include "scene/model/tri_object.h"
#include "world/environment/evo_writer.h"

AnimStatistics g_AnimStatistics;
CAnimSetManager g_AnimSetManager;

namespace {

// Where a set loaded from text writes its cache.
const char* const kAnimCacheFolder = "data\\characters\\anims\\";

// Shortest text a bounds entry and a track block can take; a
// count that cannot fit in what is left of the text is refused at once
// instead of being allocated.
constexpr std::size_t kMinBoundsText = 36;  // 6 labels and 12 numbers
constexpr std::size_t kMinTrackText = 16;

std::string WithExtension(const char* path, const char* extension) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%s", path);
  ChangePathExtension(buffer, sizeof buffer, extension);
  return buffer;
}

bool WriteWholeFile(const char* path, const void* data, std::size_t size) {
  std::FILE* f = WinFopen(path, "wb");
  if (f == nullptr) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
  const bool closed = std::fclose(f) == 0;
  return written && closed;
}

// Reads a file found on the search path whole; false when it cannot be
// opened or is short.
bool ReadWholeFile(const char* path, std::vector<std::uint8_t>* out) {
  BufferedFile* file = FileOpenOnSearchPath(path, 0);
  if (file == nullptr) return false;
  out->assign(FileGetSize(file), 0);
  const std::size_t got = out->empty() ? 0 : FileRead(out->data(), 1, out->size(), file);
  FileClose(file);
  return got == out->size();
}

// One bounds entry: the box from its two corners, the sphere from its
// centre and radius (the entry's two other values are not kept).
bool ReadBounds(ModelTextCursor& in, AnimBounds* out) {
  TriBounds entry;
  if (!ReadBoundsEntry(in, &entry)) return false;
  const float* w = entry.Words;
  AnimMakeBounds(CVector3{w[0], w[1], w[2]}, CVector3{w[3], w[4], w[5]}, &out->Box);
  out->Sphere.Centre = CVector3{w[8], w[9], w[10]};
  out->Sphere.Radius = w[11];
  return true;
}

// One track block, read as the key form of a triangle object.  False only
// when the block is damaged beyond the missing "PRSInfo" that leaves a track
// without keys.
bool ReadTrack(ModelTextCursor& in, AnimTrack* track) {
  std::string word;
  if (!in.Word(&word) || !in.Expect("{")) return false;
  CTriObject keys;
  const TriKeysRead read = keys.ReadKeys(in);
  if (read == TriKeysRead::Damaged) return false;
  track->FrameRate = keys.FrameRate;
  track->Keys = std::move(keys.Keys);
  g_AnimStatistics.KeysLoaded += static_cast<std::uint32_t>(track->Keys.size());
  return true;
}

void WriteBounds(ByteWriter& out, const AnimBounds& b) {
  out.U32(0);
  for (float v : {b.Box.Min.x, b.Box.Min.y, b.Box.Min.z, b.Box.Max.x, b.Box.Max.y, b.Box.Max.z}) out.F32(v);
  for (const auto& plane : b.Box.Planes)
    for (float v : plane) out.F32(v);
  for (int i = 0; i < 5; ++i) out.U32(0);
  for (float v : {b.Sphere.Centre.x, b.Sphere.Centre.y, b.Sphere.Centre.z, b.Sphere.Radius}) out.F32(v);
}

void ReadBoundsBlock(ByteReader& in, AnimBounds* b) {
  in.U32();
  for (float* v : {&b->Box.Min.x, &b->Box.Min.y, &b->Box.Min.z, &b->Box.Max.x, &b->Box.Max.y, &b->Box.Max.z})
    *v = in.F32();
  for (auto& plane : b->Box.Planes)
    for (float& v : plane) v = in.F32();
  in.Skip(5 * 4);
  for (float* v : {&b->Sphere.Centre.x, &b->Sphere.Centre.y, &b->Sphere.Centre.z, &b->Sphere.Radius}) *v = in.F32();
}

void WriteKey(ByteWriter& out, const Pose& k) {
  for (float v : {k.translation.x, k.translation.y, k.translation.z}) out.F32(v);
  for (int i = 0; i < 3; ++i) out.F32(0.0f);
  for (float v : {k.scale.x, k.scale.y, k.scale.z, k.rotation.x, k.rotation.y, k.rotation.z, k.rotation.w})
    out.F32(v);
}

void ReadKeyRecord(ByteReader& in, Pose* k) {
  k->translation.x = in.F32();
  k->translation.y = in.F32();
  k->translation.z = in.F32();
  in.Skip(12);
  k->unused[0] = k->unused[1] = k->unused[2] = 0.0f;
  k->scale.x = in.F32();
  k->scale.y = in.F32();
  k->scale.z = in.F32();
  k->rotation.x = in.F32();
  k->rotation.y = in.F32();
  k->rotation.z = in.F32();
  k->rotation.w = in.F32();
}

std::int32_t LargestKeyCount(const std::vector<AnimTrack>& tracks) {
  std::int32_t n = 1;
  for (const AnimTrack& t : tracks) n = std::max(n, t.KeyCount());
  return n;
}

}  // namespace

void AnimMakeBounds(const CVector3& a, const CVector3& b, EnvBounds* out) {
  const CVector3 lo{std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
  const CVector3 hi{std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
  *out = EvoMakeBounds(lo, hi);
}

std::uint32_t AnimSetNameHash(const char* path) { return HashName(GetPathFileName(path ? path : "")); }

// --- Text ------------------------------------------------------------------------

int AnimSet::ParseText(const char* text) {
  ModelTextCursor in(text);
  std::string label;
  std::int32_t header = 0, trackCount = 0;
  if (!in.Word(&label) || !in.Int(&header) || !in.Word(&label) || !in.Int(&trackCount)) return 0;
  if (trackCount < 0 || trackCount > kAnimMaxTracks) return 0;
  if (trackCount == 0) {  // a valid empty set
    Clear();
    HeaderValue = header;
    return 1;
  }

  std::int32_t boundsCount = 0;
  if (!in.Expect("BoundsData") || !in.Expect("{") || !in.Word(&label) || !in.Int(&boundsCount)) return 0;
  if (!in.Expect("BoundsInfo") || !in.Expect("{")) return 0;
  if (boundsCount < 0 || boundsCount > kAnimMaxBounds ||
      static_cast<std::size_t>(boundsCount) > in.Remaining() / kMinBoundsText)
    return 0;
  std::vector<AnimBounds> bounds(static_cast<std::size_t>(boundsCount));
  for (AnimBounds& b : bounds)
    if (!ReadBounds(in, &b)) return 0;
  if (!in.Expect("}") || !in.Expect("}")) return 0;

  if (static_cast<std::size_t>(trackCount) > in.Remaining() / kMinTrackText) return 0;
  std::vector<AnimTrack> tracks(static_cast<std::size_t>(trackCount));
  for (AnimTrack& t : tracks)
    if (!ReadTrack(in, &t)) return 0;

  Clear();
  HeaderValue = header;
  TrackCount = trackCount;
  Tracks = std::move(tracks);
  Bounds = std::move(bounds);
  FrameRate = static_cast<float>(Tracks[0].FrameRate);
  KeyCount = LargestKeyCount(Tracks);
  BytesUsed = kAnimSetRecordBytes + static_cast<std::int32_t>(kAnimBoundsBytes) * BoundsCount() + 4 * TrackCount;
  for (const AnimTrack& t : Tracks)
    BytesUsed += static_cast<std::int32_t>(kAnimTrackHeaderBytes + kAnimKeyBytes * t.Keys.size());
  return 1;
}

bool AnimSet::ParseExtraData(const char* text) {
  ModelTextCursor in(text);
  std::int32_t version = 0, unit = 0, count = 0;
  if (!in.Int(&version) || !in.Int(&unit) || !in.Int(&count)) return false;
  // An event takes at least two numbers.
  if (count < 0 || count > kAnimMaxEvents || static_cast<std::size_t>(count) > in.Remaining() / 4) return false;
  std::vector<AnimEvent> events(static_cast<std::size_t>(count));
  for (AnimEvent& e : events) {
    if (!in.Int(&e.Type) || !in.Float(&e.Time)) return false;
    if (e.Type == 1 && (!in.Float(&e.Position.x) || !in.Float(&e.Position.y) || !in.Float(&e.Position.z)))
      return false;
  }
  EventTimeUnit = unit;
  Events = std::move(events);
  return true;
}

bool AnimSet::LoadExtraData(const char* path) {
  if (!FileExists(path)) return false;
  char* text = nullptr;
  std::uint32_t size = 0;
  if (!LoadFile(path, &text, &size, nullptr, MEMCAT_GAME)) return false;
  const bool ok = ParseExtraData(text);
  FreeLoadedFile(text);
  if (!ok) DebugTrace("Damaged animation events in %s\n", path);
  return ok;
}

std::string AnimSet::ExtraDataText() const {
  std::string out;
  char line[160];
  for (std::int32_t v : {1, EventTimeUnit, EventCount()}) {
    std::snprintf(line, sizeof line, "%d\r\n", v);
    out += line;
  }
  for (const AnimEvent& e : Events) {
    std::snprintf(line, sizeof line, "%d %f ", e.Type, static_cast<double>(e.Time));
    out += line;
    if (e.Type == 1) {
      std::snprintf(line, sizeof line, "%f %f %f ", static_cast<double>(e.Position.x),
                    static_cast<double>(e.Position.y), static_cast<double>(e.Position.z));
      out += line;
    }
    out += "\r\n";
  }
  return out;
}

bool AnimSet::SaveExtraData(const char* path) const {
  const std::string text = ExtraDataText();
  return WriteWholeFile(path, text.data(), text.size());
}

// --- Cache -------------------------------------------------------------------------

std::vector<std::uint8_t> AnimSet::CacheBytes() const {
  ByteWriter out;
  out.I32(HeaderValue);
  out.I32(TrackCount);
  out.I32(BoundsCount());
  out.I32(EventCount());
  out.I32(KeyCount);
  out.I32(EventTimeUnit);
  out.U32(0);
  out.U32(0);
  for (const AnimBounds& b : Bounds) WriteBounds(out, b);
  for (const AnimEvent& e : Events) {
    out.I32(e.Type);
    out.F32(e.Time);
    out.U32(0);  // callback
    out.U32(0);
    out.U32(0);
    out.F32(e.Position.x);
    out.F32(e.Position.y);
    out.F32(e.Position.z);
    out.U32(0);
    out.U32(0);  // next
  }
  std::size_t offset = out.Size() + 4 * Tracks.size();
  for (const AnimTrack& t : Tracks) {
    out.U32(static_cast<std::uint32_t>(offset));
    offset += kAnimTrackHeaderBytes + kAnimKeyBytes * t.Keys.size();
  }
  for (const AnimTrack& t : Tracks) {
    out.I32(t.KeyCount());
    out.I32(t.FrameRate);
    out.U32(0xFFFFFFFFu);
    for (const Pose& k : t.Keys) WriteKey(out, k);
  }
  return std::move(out.Data());
}

bool AnimSet::WriteCache(const char* path) const {
  const std::vector<std::uint8_t> bytes = CacheBytes();
  return WriteWholeFile(path, bytes.data(), bytes.size());
}

bool AnimSet::ReadCache(ByteReader& in) {
  const std::size_t base = in.Position();
  const std::int32_t header = in.I32();
  const std::int32_t trackCount = in.I32();
  const std::int32_t boundsCount = in.I32();
  const std::int32_t eventCount = in.I32();
  const std::int32_t keyCount = in.I32();
  const std::int32_t unit = in.I32();
  in.Skip(8);
  if (!in.Ok() || trackCount < 0 || trackCount > kAnimMaxTracks || boundsCount < 0 || boundsCount > kAnimMaxBounds ||
      eventCount < 0 || eventCount > kAnimMaxEvents || keyCount < 1)
    return false;
  const auto b = static_cast<std::size_t>(boundsCount), e = static_cast<std::size_t>(eventCount),
             t = static_cast<std::size_t>(trackCount);
  if (!in.HasRoomFor(b, kAnimBoundsBytes)) return false;
  std::vector<AnimBounds> bounds(b);
  for (AnimBounds& block : bounds) ReadBoundsBlock(in, &block);
  if (!in.HasRoomFor(e, kAnimEventBytes)) return false;
  std::vector<AnimEvent> events(e);
  for (AnimEvent& ev : events) {
    ev.Type = in.I32();
    ev.Time = in.F32();
    in.Skip(12);
    ev.Position.x = in.F32();
    ev.Position.y = in.F32();
    ev.Position.z = in.F32();
    in.Skip(8);
  }
  if (!in.HasRoomFor(t, 4)) return false;
  std::vector<std::uint32_t> offsets(t);
  for (std::uint32_t& o : offsets) o = in.U32();
  if (!in.Ok()) return false;

  // Every track must lie after the offset table and inside the data.
  const std::size_t tracksStart = in.Position() - base;
  const std::size_t size = in.Size() - base;
  std::vector<AnimTrack> tracks(t);
  for (std::size_t i = 0; i < t; ++i) {
    if (offsets[i] < tracksStart || offsets[i] > size || size - offsets[i] < kAnimTrackHeaderBytes) return false;
    ByteReader track(in.Data() + base + offsets[i], size - offsets[i]);
    const std::int32_t count = track.I32();
    tracks[i].FrameRate = track.I32();
    track.U32();
    if (count < 0 || count > kAnimMaxKeys || !track.HasRoomFor(static_cast<std::size_t>(count), kAnimKeyBytes))
      return false;
    tracks[i].Keys.resize(static_cast<std::size_t>(count));
    for (Pose& k : tracks[i].Keys) ReadKeyRecord(track, &k);
    if (!track.Ok()) return false;
  }
  if (LargestKeyCount(tracks) != keyCount) return false;

  HeaderValue = header;
  TrackCount = trackCount;
  KeyCount = keyCount;
  EventTimeUnit = unit;
  Bounds = std::move(bounds);
  Events = std::move(events);
  Tracks = std::move(tracks);
  FrameRate = Tracks.empty() ? kAnimDefaultFrameRate : static_cast<float>(Tracks[0].FrameRate);
  FromCache = true;
  BytesUsed = kAnimSetRecordBytes + static_cast<std::int32_t>(size);
  return true;
}

bool AnimSet::LoadCache(const char* path) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, &bytes)) return false;
  ByteReader in(bytes.data(), bytes.size());
  if (!ReadCache(in)) {
    DebugTrace("Damaged animation cache %s\n", path);
    return false;
  }
  return true;
}

// --- Whole load ----------------------------------------------------------------------

int AnimSet::Load(const char* name) {
  if (name == nullptr) return 0;
  const std::uint32_t mode = GetCatalogMode();
  const bool building = (mode & 0x32u) == CATALOG_MODE_BUILD;
  const bool fromCatalogs = (mode & CATALOG_MODE_READ) != 0;
  const std::string cacheName = WithExtension(name, ".prb");
  if ((IsCommandSwitchSet('r') || (fromCatalogs && !building)) && LoadCache(cacheName.c_str())) {
    NameHash = AnimSetNameHash(name);
    return 1;
  }

  // While a catalog is built the text is read as a loose file: only the
  // cache goes into the catalog.
  if (building) SuspendCatalogs();
  char* text = nullptr;
  std::uint32_t size = 0;
  if (!LoadFile(name, &text, &size, nullptr, MEMCAT_GAME)) {
    if (building) RestoreCatalogMode();
    return 0;
  }
  NameHash = AnimSetNameHash(name);
  const int parsed = ParseText(text);
  FreeLoadedFile(text);
  if (!parsed) {
    DebugTrace("Damaged animation file %s\n", name);
    if (building) RestoreCatalogMode();
    return 0;
  }
  LoadExtraData(WithExtension(name, ".aed").c_str());

  if (!IsCommandSwitchSet('q')) {
    const std::string path = std::string(kAnimCacheFolder) + GetPathBaseName(name) + ".prb";
    WriteCache(path.c_str());
  }
  if (building) {
    RestoreCatalogMode();
    // The set is read back from the cache so that the catalog receives it;
    // when that fails the text-built set stays.
    LoadCache(cacheName.c_str());
  }
  return 1;
}

void AnimSet::SetEventCallback(AnimEventCallback callback) {
  for (AnimEvent& e : Events) e.Callback = callback;
}

void AnimSet::Clear() {
  HeaderValue = 0;
  TrackCount = 0;
  KeyCount = 1;
  BytesUsed = kAnimSetRecordBytes;
  FrameRate = kAnimDefaultFrameRate;
  Tracks.clear();
  Bounds.clear();
  Events.clear();
  EventTimeUnit = 1;
  FromCache = false;
}

// --- Manager ---------------------------------------------------------------------------

AnimSet* CAnimSetManager::GetAnimSet(const char* name) {
  if (name == nullptr) return nullptr;
  const std::uint32_t hash = AnimSetNameHash(name);
  AnimSet* last = nullptr;
  for (AnimSet* s = First; s != nullptr; s = s->Next) {
    if (s->NameHash == hash) return s;
    last = s;
  }
  auto* set = new AnimSet;
  if (!set->Load(name)) {
    delete set;
    return nullptr;
  }
  set->NameHash = hash;
  (last != nullptr ? last->Next : First) = set;
  TotalBytes += set->BytesUsed;
  ++g_AnimStatistics.SetsLoaded;
  return set;
}

void CAnimSetManager::Remove(AnimSet* set) {
  for (AnimSet** link = &First; *link != nullptr; link = &(*link)->Next) {
    if (*link != set) continue;
    *link = set->Next;
    TotalBytes -= set->BytesUsed;
    delete set;
    return;
  }
}

void CAnimSetManager::FreeAll() {
  while (First != nullptr) {
    AnimSet* next = First->Next;
    delete First;
    First = next;
  }
  TotalBytes = 0;
  g_AnimStatistics = AnimStatistics{};
}

int CAnimSetManager::LoadList(const char* const* names) {
  if (names == nullptr) return 1;
  for (; *names != nullptr; ++names)
    if (GetAnimSet(*names) == nullptr) return 0;
  return 1;
}

AnimSet* CAnimSetManager::GetByIndex(int n) const {
  if (n < 0) return nullptr;
  AnimSet* s = First;
  for (; s != nullptr && n > 0; --n) s = s->Next;
  return s;
}

void CAnimSetManager::SetEventCallback(AnimEventCallback callback) {
  for (AnimSet* s = First; s != nullptr; s = s->Next) s->SetEventCallback(callback);
}

void CAnimSetManager::ReportMemory() const { DebugTrace("Animations : %dk\n", TotalBytes / 1024); }
