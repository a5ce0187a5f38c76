#include "scene/mesh/stripifier.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "scene/mesh/strip_builder.h"

namespace {

constexpr int kDefaultCacheSize = 16;

struct StripSettings {
  int cacheSize = kDefaultCacheSize;
  bool stitch = true;
  int minStripSize = 0;
  bool listsOnly = false;
};
StripSettings gSettings;

bool FaceUses(const StripFace& f, int v) { return f.a == v || f.b == v || f.c == v; }

// The first vertex of `f` that `g` does not use, or -1.
int VertexNotIn(const StripFace& f, const StripFace& g) {
  for (int v : {f.a, f.b, f.c})
    if (!FaceUses(g, v)) return v;
  return -1;
}

// Writes the index sequence of the ordered pieces into `out`.  Each piece
// starts from its first face (a, b, c), turned so that the strip can go on
// into the second and third faces, and gets one extra leading index when the
// strip's parity would otherwise draw it the wrong way round.  Then each
// further face adds its one new vertex.  Without stitching pieces end with
// -1; with it they are joined by repeating the last index of one and the
// first of the next, which makes only triangles that draw nothing.
int EmitStrips(const StripBuilder& builder, const std::vector<std::vector<int>>& pieces, bool stitch,
               std::vector<int>* out) {
  int strips = 0;
  std::size_t groupStart = 0;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const std::vector<int>& faces = pieces[i];
    const StripFace& first = builder.Face(faces[0]);
    int a = first.a, b = first.b, c = first.c;
    if (faces.size() >= 2) {
      const int lead = VertexNotIn(first, builder.Face(faces[1]));
      if (lead == b) std::swap(a, b);
      else if (lead == c) std::swap(a, c);
      if (faces.size() >= 3) {
        const StripFace& third = builder.Face(faces[2]);
        if (!FaceUses(third, a) && FaceUses(third, b)) std::swap(b, c);
      }
    }
    const bool clockwise = StripBuilder::HasDirectedEdge(first, a, b);
    if (i == 0 || !stitch) {
      if (!clockwise) out->push_back(a);
    } else {
      out->push_back(a);  // second half of the join
      // A triangle that ends at an even place is drawn in strip order.
      const bool forwardNext = (out->size() - groupStart) % 2 == 0;
      if (forwardNext != clockwise) out->push_back(a);
    }
    out->push_back(a);
    out->push_back(b);
    out->push_back(c);
    int window[3] = {a, b, c};
    for (std::size_t j = 1; j < faces.size(); ++j) {
      const StripFace& f = builder.Face(faces[j]);
      for (int v : {f.a, f.b, f.c}) {
        if (v == window[0] || v == window[1] || v == window[2]) continue;
        out->push_back(v);
        window[0] = window[1];
        window[1] = window[2];
        window[2] = v;
        break;
      }
    }
    if (!stitch) {
      out->push_back(-1);
      groupStart = out->size();
      ++strips;
    } else if (i + 1 < pieces.size()) {
      out->push_back(out->back());  // first half of the join
    }
  }
  if (stitch && !pieces.empty()) strips = 1;
  return strips;
}

void FillGroup(StripGroup* group, std::uint32_t kind, const int* values, std::size_t count) {
  group->kind = kind;
  group->indexCount = static_cast<std::uint32_t>(count);
  group->indices = new std::uint16_t[count > 0 ? count : 1];
  for (std::size_t i = 0; i < count; ++i) group->indices[i] = static_cast<std::uint16_t>(values[i]);
}

void AppendFace(const StripFace& f, std::vector<int>* out) {
  out->push_back(f.a);
  out->push_back(f.b);
  out->push_back(f.c);
}

}  // namespace

void SetStripCacheSize(int entries) { gSettings.cacheSize = entries; }
void SetStripStitching(bool on) { gSettings.stitch = on; }
void SetStripMinSize(int faces) { gSettings.minStripSize = faces; }
void SetStripListsOnly(bool on) { gSettings.listsOnly = on; }
void ResetStripSettings() { gSettings = StripSettings{}; }
int GetStripCacheSize() { return gSettings.cacheSize; }
bool GetStripStitching() { return gSettings.stitch; }
int GetStripMinSize() { return gSettings.minStripSize; }
bool GetStripListsOnly() { return gSettings.listsOnly; }

bool BuildStrips(const std::uint16_t* indices, std::uint32_t indexCount, StripGroup** groups,
                 std::uint16_t* groupCount) {
  *groups = nullptr;
  *groupCount = 0;
  if (indices == nullptr || indexCount == 0 || indexCount % 3 != 0) return false;

  const int maxIndex = *std::max_element(indices, indices + indexCount);
  StripBuilder builder(indices, indexCount, maxIndex);
  std::vector<std::vector<int>> pieces;
  std::vector<int> leftovers;
  builder.Stripify(gSettings.cacheSize, gSettings.minStripSize, &pieces, &leftovers);

  std::vector<int> leftoverIndices;
  for (int face : leftovers) AppendFace(builder.Face(face), &leftoverIndices);

  if (gSettings.listsOnly) {
    std::vector<int> list;
    for (const auto& piece : pieces)
      for (int face : piece) AppendFace(builder.Face(face), &list);
    list.insert(list.end(), leftoverIndices.begin(), leftoverIndices.end());
    StripGroup* out = new StripGroup[1];
    FillGroup(&out[0], kStripGroupList, list.data(), list.size());
    *groups = out;
    *groupCount = 1;
    return true;
  }

  std::vector<int> sequence;
  const int strips = EmitStrips(builder, pieces, gSettings.stitch, &sequence);
  const std::size_t count = static_cast<std::size_t>(strips) + (leftoverIndices.empty() ? 0 : 1);
  if (count > 0xFFFF) return false;
  StripGroup* out = new StripGroup[count > 0 ? count : 1];
  std::size_t g = 0;
  if (gSettings.stitch) {
    if (strips > 0) FillGroup(&out[g++], kStripGroupStrip, sequence.data(), sequence.size());
  } else {
    std::size_t start = 0;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
      if (sequence[i] != -1) continue;
      FillGroup(&out[g++], kStripGroupStrip, sequence.data() + start, i - start);
      start = i + 1;
    }
  }
  if (!leftoverIndices.empty()) FillGroup(&out[g++], kStripGroupList, leftoverIndices.data(), leftoverIndices.size());
  *groups = out;
  *groupCount = static_cast<std::uint16_t>(count);
  return true;
}

bool RemapStripIndices(const StripGroup* groups, std::uint16_t groupCount, std::uint32_t vertexCount,
                       StripGroup** remapped) {
  *remapped = nullptr;
  std::vector<int> newIndex(vertexCount, -1);
  int next = 0;
  for (std::uint16_t g = 0; g < groupCount; ++g)
    for (std::uint32_t i = 0; i < groups[g].indexCount; ++i)
      if (groups[g].indices[i] >= vertexCount) return false;
  StripGroup* out = new StripGroup[groupCount > 0 ? groupCount : 1];
  for (std::uint16_t g = 0; g < groupCount; ++g) {
    out[g].kind = groups[g].kind;
    out[g].indexCount = groups[g].indexCount;
    out[g].indices = new std::uint16_t[groups[g].indexCount > 0 ? groups[g].indexCount : 1];
    for (std::uint32_t i = 0; i < groups[g].indexCount; ++i) {
      int& slot = newIndex[groups[g].indices[i]];
      if (slot < 0) slot = next++;
      out[g].indices[i] = static_cast<std::uint16_t>(slot);
    }
  }
  *remapped = out;
  return true;
}

void FreeStripGroups(StripGroup* groups) { delete[] groups; }
