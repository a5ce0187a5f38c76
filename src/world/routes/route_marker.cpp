#include "world/routes/route_marker.h"

#include <cmath>
#include <cstdio>
#include <new>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/files/buffered_file.h"
#include "foundation/files/file_locator.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/routes/quad_tree.h"
#include "world/routes/route_clock.h"

CRouteMarkerList* g_RouteMarkerList = nullptr;

namespace {

constexpr std::uint32_t kVersionWord = 0xFFFFFFFFu;
constexpr std::uint32_t kFileVersion = 1;
constexpr float kNearestLimit = 1000000.0f;
constexpr std::uint32_t kDecayPerFrame = 50;
constexpr float kDecayRate = 5.0f;
// Line-test filter of the drop to the ground.
constexpr std::uint32_t kDropFilter = 0x1E08;

}  // namespace

// --- CRouteMarker -------------------------------------------------------------------

int CRouteMarker::AddLink(std::uint32_t target) {
  const CRouteMarkerList* list = g_RouteMarkerList;
  const std::uint32_t count = list ? list->Count : 0;
  if (target == kNoLink || target >= count) return 0;
  if (list->IndexOf(this) == target) return 0;
  if (HasLink(target)) return 0;
  for (std::uint16_t& slot : Links) {
    if (slot == kNoLink) {
      slot = static_cast<std::uint16_t>(target);
      return 1;
    }
  }
  return 0;
}

int CRouteMarker::RemoveLink(std::uint32_t target) {
  for (std::uint16_t& slot : Links) {
    if (slot == target) {
      slot = kNoLink;
      return 1;
    }
  }
  return 0;
}

bool CRouteMarker::HasLink(std::uint32_t target) const {
  for (std::uint16_t slot : Links)
    if (slot == target) return true;
  return false;
}

int CRouteMarker::CountLinks() const {
  int n = 0;
  for (std::uint16_t slot : Links) n += slot != kNoLink ? 1 : 0;
  return n;
}

void CRouteMarker::ClearLinks() {
  for (std::uint16_t& slot : Links) slot = kNoLink;
}

void CRouteMarker::SetIsolated(bool on) {
  Flags = static_cast<std::uint16_t>(on ? (Flags | RMF_ISOLATED) : (Flags & ~RMF_ISOLATED));
}

void CRouteMarker::SetLeafMarker(bool on) {
  Flags = static_cast<std::uint16_t>(on ? (Flags | RMF_LEAF) : (Flags & ~RMF_LEAF));
}

// --- CRouteMarkerList ---------------------------------------------------------------------

CRouteMarkerList* CRouteMarkerList::Init(std::uint32_t count) {
  Create(count);
  ComponentCount = 0;
  DecayCursor = 0;
  ChangedCallback = nullptr;
  Changed = 0;
  LineTestsThisFrame = 0;
  return this;
}

int CRouteMarkerList::Create(std::uint32_t count) {
  Free();
  if (count >= kMaxRouteMarkers) return 0;
  Markers.reset(new (std::nothrow) CRouteMarker[count == 0 ? 1 : count]);
  if (!Markers) return 0;
  Count = count;
  return 1;
}

void CRouteMarkerList::Free() {
  Markers.reset();
  Count = 0;
}

CRouteMarker* CRouteMarkerList::SetPosition(std::uint32_t index, const CVector3& point) {
  Markers[index].Position = point;
  return &Markers[index];
}

std::uint32_t CRouteMarkerList::IndexOf(const CRouteMarker* marker) const {
  if (!Markers || marker < Markers.get() || marker >= Markers.get() + Count) return kNoLink;
  return static_cast<std::uint32_t>(marker - Markers.get());
}

int CRouteMarkerList::Validate() {
  for (std::uint32_t i = 0; i < Count; ++i) {
    for (std::uint16_t link : Markers[i].Links) {
      if (link == i) return 0;
      if (link != kNoLink && link >= Count) return 0;
    }
  }
  for (std::uint32_t i = 0; i < Count; ++i)
    if (Markers[i].CountLinks() == 0) Markers[i].SetIsolated(true);
  return 1;
}

bool CRouteMarkerList::LeavesTouch(std::uint32_t a, std::uint32_t b) const {
  const CRouteMarker& ma = Markers[a];
  const CRouteMarker& mb = Markers[b];
  if (!ma.IsLeafMarker() || !mb.IsLeafMarker() || !g_QuadTree) return false;
  const CQuadTreeNode* la = g_QuadTree->FindLeaf(ma.Position);
  const CQuadTreeNode* lb = g_QuadTree->FindLeaf(mb.Position);
  if (!la || !lb) return false;
  const float dx = la->CentreX - lb->CentreX, dz = la->CentreZ - lb->CentreZ;
  return std::sqrt(dx * dx + dz * dz) <= 1.4142135f * (la->Half + lb->Half);
}

void CRouteMarkerList::MakeLinksMutual() {
  // AddLink checks against the current list; markers of another list are
  // linked through it for the moment.
  CRouteMarkerList* previous = g_RouteMarkerList;
  g_RouteMarkerList = this;
  for (std::uint32_t a = 0; a < Count; ++a) {
    for (int slot = 0; slot < kMarkerLinks; ++slot) {
      const std::uint16_t b = Markers[a].Links[slot];
      if (b == kNoLink || b >= Count) continue;
      if (LeavesTouch(a, b)) Markers[b].AddLink(a);
    }
  }
  g_RouteMarkerList = previous;
}

// Follows links one way from start through markers without a label.  An
// explicit stack instead of recursion: a long chain of markers would run
// out of stack.
void CRouteMarkerList::FloodComponent(std::uint32_t start, std::uint16_t label, std::uint32_t* labelled) {
  std::vector<std::uint32_t> stack{start};
  while (!stack.empty()) {
    const std::uint32_t m = stack.back();
    stack.pop_back();
    CRouteMarker& marker = Markers[m];
    if (marker.Component != 0) continue;
    marker.Component = label;
    ++*labelled;
    for (int slot = kMarkerLinks - 1; slot >= 0; --slot) {
      const std::uint16_t n = marker.Links[slot];
      if (n != kNoLink && n < Count && Markers[n].Component == 0) stack.push_back(n);
    }
  }
}

void CRouteMarkerList::LabelComponents() {
  MakeLinksMutual();
  std::uint32_t labelled = 0;
  for (std::uint32_t i = 0; i < Count; ++i) labelled += Markers[i].Component != 0 ? 1 : 0;
  std::uint32_t label = 1;
  for (std::uint32_t i = 0; i < Count && labelled < Count; ++i) {
    const std::uint32_t before = labelled;
    FloodComponent(i, static_cast<std::uint16_t>(label), &labelled);
    if (labelled != before && labelled < Count) ++label;
  }
  ComponentCount = label;
}

void CRouteMarkerList::DropToGround() {
  if (!g_Environment) return;
  CEnvironment& env = *g_Environment;
  const float top = env.WorldBounds[4], bottom = env.WorldBounds[1];
  for (std::uint32_t i = 0; i < Count; ++i) {
    CRouteMarker& m = Markers[i];
    WorldHit hit;
    const int r = env.LineTestFlat({m.Position.x, top, m.Position.z}, {m.Position.x, bottom, m.Position.z}, &hit,
                                   kDropFilter);
    if (r && hit.Instance)
      m.Position.y = hit.WorldPoint.y + 1.0f + 50.0f;
    else
      m.Position.y = top + 51.0f;
  }
}

CRouteMarker* CRouteMarkerList::FindNearest(const CVector3& point, std::uint32_t* indexOut) {
  std::uint32_t best = kNoLink;
  float bestDistance = kNearestLimit;
  for (std::uint32_t i = 0; i < Count; ++i) {
    const float dx = Markers[i].Position.x - point.x, dy = Markers[i].Position.y - point.y,
                dz = Markers[i].Position.z - point.z;
    const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  if (indexOut) *indexOut = best;
  return best == kNoLink ? nullptr : &Markers[best];
}

std::uint32_t CRouteMarkerList::FindNearestIndex(const CVector3& point) {
  std::uint32_t index;
  FindNearest(point, &index);
  return index == kNoLink ? 0 : index;
}

void CRouteMarkerList::DisableMarker(std::uint32_t index) {
  if (index >= Count) return;
  for (std::uint32_t i = 0; i < Count; ++i)
    while (Markers[i].RemoveLink(index)) {
    }
  CRouteMarker& m = Markers[index];
  m.ClearLinks();
  m.SetIsolated(true);
  if (m.IsLeafMarker() && g_QuadTree)
    if (CQuadTreeNode* leaf = g_QuadTree->FindLeaf(m.Position)) leaf->Flags = 0;
  Changed = 1;
}

void CRouteMarkerList::Update() {
  const std::uint32_t looks = Count < kDecayPerFrame ? Count : kDecayPerFrame;
  const float step = kDecayRate * RouteFrameTime();
  for (std::uint32_t k = 0; k < looks; ++k) {
    if (DecayCursor >= Count) DecayCursor = 0;
    float& w = Markers[DecayCursor].Weight;
    if (w != 1.0f) {
      w -= step;
      if (w < 1.0f) w = 1.0f;
    }
    DecayCursor = DecayCursor + 1 >= Count ? 0 : DecayCursor + 1;
  }
  if (Changed == 1 && ChangedCallback) ChangedCallback();
  Changed = 0;
  LineTestsThisFrame = 0;
}

void SetRouteMarkerList(CRouteMarkerList* list) {
  if (g_RouteMarkerList != list) delete g_RouteMarkerList;
  g_RouteMarkerList = list;
}

void FreeRouteMarkerList() { SetRouteMarkerList(nullptr); }

// --- files ----------------------------------------------------------------------------

std::unique_ptr<CRouteMarkerList> ReadRouteMarkers(ByteReader& in, std::string* error) {
  auto fail = [&](const char* why) -> std::unique_ptr<CRouteMarkerList> {
    if (error) *error = why;
    return nullptr;
  };
  std::uint32_t first = in.U32();
  std::uint32_t version = 0, count = first;
  if (first == kVersionWord) {
    version = in.U32();
    count = in.U32();
  }
  if (!in.Ok()) return fail("short header");
  const std::size_t recordSize = version == 0 ? 28 : 32;
  if (count >= kMaxRouteMarkers) return fail("too many markers");
  if (!in.HasRoomFor(count, recordSize)) return fail("marker records past the end of the file");
  auto list = std::make_unique<CRouteMarkerList>();
  list->Init(count);
  if (!list->Markers) return fail("out of memory");
  for (std::uint32_t i = 0; i < count; ++i) {
    CRouteMarker& m = list->Markers[i];
    m.Position.x = in.F32();
    m.Position.y = in.F32();
    m.Position.z = in.F32();
    for (std::uint16_t& link : m.Links) link = in.U16();
    m.Component = in.U16();
    m.Flags = in.U16();
    in.Skip(2);
    m.Weight = version == 0 ? 1.0f : in.F32();
    if (!std::isfinite(m.Position.x) || !std::isfinite(m.Position.y) || !std::isfinite(m.Position.z))
      return fail("marker position is not a number");
    // A negative weight would make a step cost less than nothing and the
    // search could go round a loop for ever.
    if (!std::isfinite(m.Weight) || m.Weight < 0.0f) return fail("marker weight out of range");
  }
  if (!in.Ok()) return fail("short marker records");
  return list;
}

void WriteRouteMarkers(const CRouteMarkerList& list, ByteWriter& out) {
  out.U32(kVersionWord);
  out.U32(kFileVersion);
  out.U32(list.Count);
  for (std::uint32_t i = 0; i < list.Count; ++i) {
    const CRouteMarker& m = list.Markers[i];
    out.F32(m.Position.x);
    out.F32(m.Position.y);
    out.F32(m.Position.z);
    for (std::uint16_t link : m.Links) out.U16(link);
    out.U16(m.Component);
    out.U16(m.Flags);
    out.U8(m.Reserved[0]);
    out.U8(m.Reserved[1]);
    out.F32(m.Weight);
  }
}

CRouteMarkerList* LoadRouteMarkers(const char* fileName) {
  BufferedFile* file = FileOpenOnSearchPath(fileName, 0);
  if (!file) return nullptr;
  std::vector<std::uint8_t> bytes(FileGetSize(file));
  const std::size_t got = bytes.empty() ? 0 : FileRead(bytes.data(), 1, bytes.size(), file);
  FileClose(file);
  // A short read is what the close would have to report.
  if (got != bytes.size()) return nullptr;
  ByteReader in(bytes.data(), bytes.size());
  return ReadRouteMarkers(in, nullptr).release();
}

int SaveRouteMarkers(const CRouteMarkerList* list, const char* path) {
  if (!list || !path) return 0;
  ByteWriter out;
  WriteRouteMarkers(*list, out);
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return 0;
  const bool written = std::fwrite(out.Data().data(), 1, out.Size(), f) == out.Size();
  return (std::fclose(f) == 0 && written) ? 1 : 0;
}

// --- the level text's marker section -------------------------------------------------------

int SkipMarkerSection(EnvTextCursor& cursor, int version) {
  char word[128];
  for (;;) {
    if (!cursor.Token(word)) return 0;
    if (std::string(word) == "ENDMARKERS") return 1;
    if (std::string(word) != "NEWENVMARKER") return 0;
    int number = 0, flags = 0, link = 0, extra = 0;
    float position[3], f = 0;
    if (!cursor.Int(&number) || !cursor.Reals(position, 3)) return 0;
    if (version >= 24 && !cursor.Int(&flags)) return 0;
    for (int k = 0; k < kMarkerLinks; ++k) {
      if (!cursor.Int(&link)) return 0;
      if (version >= 43 && (!cursor.Real(&f) || !cursor.Int(&extra))) return 0;
    }
    if (!cursor.Token(word)) return 0;
    if ((flags & 0x80) != 0 && !cursor.Token(word)) return 0;
  }
}
