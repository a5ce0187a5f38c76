// Turns an object of the description into what its object file holds, node
// by node: mesh parts (one per texture and material, triangle lists of welded
// vertices), the collision polygons the node's BSP tree is compiled from,
// bounds, and the object's connectors.  Units are centimetres, y up, object
// space.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "make_objects/object_description.h"
#include "render/bsp/bsp_compiler.h"
#include "render/geometry/render_vertex.h"

// Node flags the tool sets (the object file's meanings).
inline constexpr std::uint32_t kBuiltHitRegion = 0x1;
inline constexpr std::uint32_t kBuiltCutOut = 0x200;
inline constexpr std::uint32_t kBuiltShadowCaster = 0x100;  // the root's shadow caster, not drawn
// Object types the tool writes.
inline constexpr std::int32_t kBuiltTypeEnv = 0;
inline constexpr std::int32_t kBuiltTypeLandscape = 5;
// An object of more than one node: the engine draws the nodes of a
// hierarchical (transform-animated) template only, each through its node matrix.
inline constexpr std::int32_t kBuiltTypeHierarchical = 4;

struct BuiltPart {
  std::string Texture;   // empty: the library's default texture
  std::string Material;  // empty: the default material
  std::vector<RenderVertex> Vertices;
  std::vector<std::uint16_t> Indices;  // triangle list
};

struct BuiltNode {
  std::string Name;
  std::string Parent;  // "ROOT" for the root
  std::uint32_t Flags = 0;
  std::vector<BuiltPart> Parts;
  BspSource Collision;  // the faces of its colliding shapes, with their surface ids
  CVector3 Min{}, Max{};  // box around the node's vertices
  CVector3 Centre{};      // sphere around them: the box centre and the farthest vertex
  float Radius = 0.0f;
};

struct BuiltObject {
  std::string Name;
  std::int32_t Type = kBuiltTypeEnv;
  std::vector<BuiltNode> Nodes;  // the root first
  CVector3 Min{}, Max{};         // box around every node
  std::vector<CVector3> ConnectorPoints;
  std::int32_t ConnectorSlots[5] = {-1, -1, -1, -1, -1};  // index into the points per slot
};

// The most vertices a part holds (16-bit indices); bigger groups are split.
inline constexpr std::size_t kMaxPartVertices = 65535;

// Builds the object.  Faces are grouped into parts by texture and material in
// first-use order; each face is cut into a fan of triangles.  A node's
// collision polygons are its colliding shapes' faces, whole.
BuiltObject BuildObject(const ObjectSource& object);
