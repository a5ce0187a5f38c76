// Building a skin from imported influence lists and a triangle list (the
// object tools): shadow faces, one stitched strip, vertices renumbered in
// strip order, then the buffers.
#include <algorithm>
#include <utility>

#include "foundation/byte_reader.h"
#include "render/device/render.h"
#include "scene/mesh/stripifier.h"
#include "scene/mesh/vertex_buffer.h"
#include "scene/shadows/shadow_faces.h"
#include "scene/skin/skin.h"

namespace {

// The stripifier's groups as kept in the file: count, then per group its
// kind, its index count and the indices.
std::vector<std::uint8_t> StripDataOf(const StripGroup* groups, std::uint16_t count) {
  ByteWriter out;
  out.U32(count);
  for (std::uint16_t g = 0; g < count; ++g) {
    out.U32(groups[g].kind);
    out.U32(groups[g].indexCount);
    for (std::uint32_t i = 0; i < groups[g].indexCount; ++i) out.U16(groups[g].indices[i]);
  }
  return out.Data();
}

}  // namespace

bool CSkin::Build(const SkinSource& source) {
  Free();
  const std::size_t nv = source.Vertices.size();
  const std::size_t ni = source.ListIndices.size();
  if (nv > static_cast<std::size_t>(kSkinMaxVertices) || ni % 3 != 0 || ni / 3 >= kSkinNoNeighbour) return false;
  for (const std::vector<SkinInfluence>& list : source.Vertices)
    if (list.empty()) return false;
  for (std::uint16_t i : source.ListIndices)
    if (i >= nv) return false;

  // Strip order: new vertex remapped[i] takes old vertex strip[i]; vertices
  // no triangle uses keep their order after the others.
  std::vector<std::int32_t> newOf(nv, -1);
  std::vector<std::uint16_t> strip;
  std::vector<std::uint8_t> stripData;
  if (ni != 0) {
    SetStripCacheSize(SkinVertexCacheSize());
    SetStripStitching(true);
    SetStripMinSize(0);
    SetStripListsOnly(false);
    StripGroup* groups = nullptr;
    StripGroup* remapped = nullptr;
    std::uint16_t groupCount = 0;
    bool ok = BuildStrips(source.ListIndices.data(), static_cast<std::uint32_t>(ni), &groups, &groupCount) &&
              groupCount >= 1 && groups[0].kind == kStripGroupStrip &&
              RemapStripIndices(groups, 1, static_cast<std::uint32_t>(nv), &remapped);
    if (ok) {
      for (std::uint32_t i = 0; i < groups[0].indexCount; ++i)
        newOf[groups[0].indices[i]] = remapped[0].indices[i];
      strip.assign(remapped[0].indices, remapped[0].indices + remapped[0].indexCount);
      stripData = StripDataOf(remapped, 1);
    }
    FreeStripGroups(remapped);
    FreeStripGroups(groups);
    if (!ok) return false;
  }
  std::int32_t next = 0;
  for (std::int32_t n : newOf)
    if (n >= 0) next = std::max(next, n + 1);
  for (std::int32_t& n : newOf)
    if (n < 0) n = next++;

  std::vector<std::size_t> oldOf(nv);
  for (std::size_t old = 0; old < nv; ++old) oldOf[static_cast<std::size_t>(newOf[old])] = old;
  Data.TextureId = source.TextureId;
  Data.MaterialId = source.MaterialId;
  Data.VertexCount = static_cast<std::int32_t>(nv);
  Data.FirstInfluence.assign(nv + 1, 0);
  for (std::size_t v = 0; v < nv; ++v) {
    const std::vector<SkinInfluence>& list = source.Vertices[oldOf[v]];
    Data.Influences.insert(Data.Influences.end(), list.begin(), list.end());
    Data.FirstInfluence[v + 1] = static_cast<std::uint32_t>(Data.Influences.size());
  }
  Data.ListIndexCount = static_cast<std::int32_t>(ni);
  Data.ListIndices.resize(ni);
  for (std::size_t i = 0; i < ni; ++i)
    Data.ListIndices[i] = static_cast<std::uint16_t>(newOf[source.ListIndices[i]]);
  Data.StripIndices = std::move(strip);
  Data.StripIndexCount = static_cast<std::int32_t>(Data.StripIndices.size());
  Data.StripData = std::move(stripData);
  StripFlag = ni != 0 ? 1 : 0;
  if (source.ShadowFaces) BuildSkinShadowFaces(Data);

  ResolveTextureAndMaterial();
  if (!MakeBuffers()) {
    Free();
    return false;
  }
  return true;
}
