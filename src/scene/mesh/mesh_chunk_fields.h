// Fields the mesh-data chunks (static parts, skins, vertex-animated meshes)
// store alike: index tables checked against the vertex count, and three-float
// vectors.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/byte_reader.h"
#include "render/geometry/vector3.h"

// Reads count 16-bit indices into out.  False when the reader runs short or
// an index is not below vertexCount (out then holds what was read).
bool ReadMeshIndices(ByteReader& in, std::uint32_t count, std::uint32_t vertexCount, std::vector<std::uint16_t>* out);

// x, y, z as three little-endian floats.
void ReadMeshVector(ByteReader& in, CVector3* v);
void WriteMeshVector(ByteWriter& out, const CVector3& v);
