// Object-file fixtures of the environment tests: a small BSP tree built by
// hand and a two-node hierarchical template with every kind of field filled.
#pragma once

#include <cstdint>
#include <vector>

#include "render/bsp/bsp_tree.h"
#include "world/environment/evo_writer.h"

namespace evo_fixture {

// A tree of one node: the plane y = 0 and, facing up, the square
// (-size..size) x (-size..size) in x and z with the given surface id.
BspTreePtr FloorTree(float size, std::uint16_t surface);

// A mesh part of a quad in the plane y = 0 with distinct normals, colours and UVs.
MeshPartSource FloorPart(std::uint32_t textureId, std::uint32_t materialId);

// A hierarchical template: "BODY" (mesh, textures, materials, two connectors
// in the primary and ladder-top slots, a bone table, a floor tree, a
// transform list) and its child "TURRET" under it.
std::vector<EvoNodeSource> TankTemplate(const BspNode* floor);

}  // namespace evo_fixture
