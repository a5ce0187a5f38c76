// Vertex-animated objects for the tests: meshes whose vertex v sits at
// (v, 10 k, 0) in frame k with normal (0, 0, k) (the base frame being frame 0).
#pragma once

#include <cstdint>
#include <vector>

#include "scene/vertex_anim/vertex_anim.h"

namespace vertex_anim_fixture {

// A mesh of `quads` quads (2 quads -> 6 vertices) with `frames` frames.
CVertexAnimMesh* MakeMesh(int quads, int frames, std::uint32_t flags = 0, std::uint32_t textureId = 5);
// An object of the given meshes (taken over).
void Fill(CVertexAnim* anim, const std::vector<CVertexAnimMesh*>& meshes, int frames);
// The "VAOB" chunk of an object of two meshes with F frames.
std::vector<std::uint8_t> Chunk(int frames);

}  // namespace vertex_anim_fixture
