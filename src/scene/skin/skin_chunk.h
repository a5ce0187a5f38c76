// The records of a skinned mesh and its "SKIN" chunk of object files: per
// vertex a list of bone influences (each with its own position and normal in
// that bone's space), the triangle list, the stitched strip the mesh is
// drawn with, the stripifier's data kept for the file and the shadow faces.
// The reader checks every count, index and size against the chunk's bytes
// before it keeps anything; the writer produces exactly what it reads.
#pragma once

#include <cstdint>
#include <vector>

#include "render/geometry/vector3.h"

class ByteReader;
class ByteWriter;
class CMaterial;
class CTexture;

inline constexpr std::uint32_t kSkinInfluenceBytes = 44;
inline constexpr std::uint32_t kSkinShadowFaceBytes = 31;
// Neighbour of a shadow face edge that no other face shares.
inline constexpr std::uint16_t kSkinNoNeighbour = 0xFFFF;
// Most vertices a skin can have: what 16-bit indices reach.
inline constexpr std::int32_t kSkinMaxVertices = 65536;

// One bone's hold on a vertex (44 bytes in the file).  Position and normal
// are in the bone's space; only the first influence's normal, colour and
// texture coordinates are used.  Bone indexes the skinned node's bone table.
struct SkinInfluence {
  CVector3 Position{};
  CVector3 Normal{};
  std::uint32_t Colour = 0xFFFFFFFF;  // ARGB
  float U = 0.0f, V = 0.0f;
  std::uint16_t Bone = 0;
  std::uint16_t Reserved = 0;
  float Weight = 1.0f;
};

// One triangle of the shadow code (31 bytes in the file, the last two spare):
// its vertices, the faces across its three edges (kSkinNoNeighbour for none)
// and its plane.
struct SkinShadowFace {
  std::uint16_t Vertices[3] = {};
  std::uint16_t Neighbours[3] = {kSkinNoNeighbour, kSkinNoNeighbour, kSkinNoNeighbour};
  CVector3 Normal{};
  float Distance = 0.0f;
  std::uint8_t Flag = 0;
};

// The skin data: influences of every vertex, triangles, strip and shadow faces.
struct SkinData {
  std::int32_t TextureId = 0;
  CTexture* Texture = nullptr;   // resolved at load (texture index 0 when absent)
  std::int32_t MaterialId = 0;
  CMaterial* Material = nullptr;  // resolved at load (material index 0 when absent)
  std::int32_t VertexCount = 0;
  // Influences of vertex v: Influences[FirstInfluence[v] .. FirstInfluence[v + 1]).
  std::vector<std::uint32_t> FirstInfluence;
  std::vector<SkinInfluence> Influences;
  std::int32_t ListIndexCount = 0;  // a multiple of 3
  std::vector<std::uint16_t> ListIndices;
  std::vector<SkinShadowFace> ShadowFaces;  // ListIndexCount / 3 faces, or none
  std::vector<std::uint8_t> StripData;      // the stripifier's data, kept for the file
  std::int32_t StripIndexCount = 0;
  std::vector<std::uint16_t> StripIndices;

  std::uint32_t InfluenceCount(std::int32_t vertex) const {
    return FirstInfluence[vertex + 1] - FirstInfluence[vertex];
  }
  const SkinInfluence& FirstOf(std::int32_t vertex) const { return Influences[FirstInfluence[vertex]]; }
};

// Reads a "SKIN" chunk (tag included) into data and the strip flag.  False,
// with data left empty, for a wrong tag, a negative count, a list index count
// that is not a multiple of 3, a vertex without influences, an index or a
// shadow face naming a vertex (or face) that does not exist, a face count
// other than 0 and L / 3, or anything that runs past the bytes.
bool ReadSkinChunk(ByteReader& in, SkinData* data, std::int32_t* stripFlag);
// Writes the chunk: tag, strip flag, counts, ids, influences, [strip flag 1]
// strip indices, list indices, "SSTP" strip data, "SHAD" shadow faces.
void WriteSkinChunk(ByteWriter& out, const SkinData& data, std::int32_t stripFlag);
// The highest bone index any influence names, or -1 without influences.
int SkinHighestBone(const SkinData& data);
