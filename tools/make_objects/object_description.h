// The text description of the demo objects that make_objects turns into
// object files: generated textures, lighting materials, and objects built of
// simple shapes.  Sizes and positions are in world units (centimetres), y up,
// in the object's own space; an object stands on y = 0 around its origin so
// that a placing tool puts it down by its origin.
//
// The text is a stream of words (blanks and line ends separate them, '#'
// starts a comment to the end of the line):
//
//   texture <name> <width> <height> <pattern> <RRGGBB>...
//       patterns: solid c | checker c1 c2 | noise c1 c2 | planks c1 c2 |
//       bricks brick mortar | bark c1 c2 | leaves c (leaf shapes on transparent)
//   material <name> [diffuse r g b a] [specular r g b a] [power p] [emissive r g b a]
//   object <name> [landscape]
//       <shape>...                     shapes of the root node (named after the object)
//       node <name> [hitregion] [parent <node>] <shape>... end
//       connector <PRIMARY|SECONDARY|EJECTOR|LADDER_BTM|LADDER_TOP> x y z
//       cutout                         the root's mesh is drawn cut out (alpha tested)
//   end
//
// Shapes (each followed by any of the options below):
//   box <width> <height> <depth>                 x, y, z extents, bottom centred on the origin
//   cylinder <radius> <height> <sides>           upright on the origin, capped
//   ramp <width> <height> <depth>                a wedge rising along +z from 0 to height
//   terrain <cells x> <cells z> <cell size> heights <(cells x + 1) x (cells z + 1) heights, rows along x, -z first>
//   room <width> <depth> <height> <wall thickness> [door <north|south|east|west> <width> <height>]
//                                                floor and four walls, the doorway centred in its wall
//   crossed <width> <height> <quads>             upright quads crossing on the y axis, seen from both sides
// Options: at x y z | texture <name> | material <name> | surface <id> |
//          tile <units per texture repeat (0: one repeat per face)> | colour RRGGBB | nocollide
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/geometry/vector3.h"

enum class ShapeKind { Box, Cylinder, Ramp, Terrain, Room, Crossed };
// Walls of a room by the way they face out: north +z, south -z, east +x, west -x.
enum class RoomWall { None, North, South, East, West };

struct ShapeSource {
  ShapeKind Kind = ShapeKind::Box;
  int Line = 0;
  float Size[3] = {};          // box, ramp: width, height, depth; cylinder: radius, height; crossed: width, height;
                               // room: width, depth, height; terrain: cell size in Size[0]
  int Count[2] = {};           // cylinder sides; crossed quads; terrain cells along x and z
  float Thickness = 0.0f;      // room walls
  RoomWall Door = RoomWall::None;
  float DoorWidth = 0.0f, DoorHeight = 0.0f;
  std::vector<float> Heights;  // terrain, (cells x + 1) x (cells z + 1)
  CVector3 At{};
  std::string Texture;         // empty: the library's default texture
  std::string Material;        // empty: the default material
  std::uint16_t Surface = 0;   // surface id of its collision polygons
  float Tile = 0.0f;
  std::uint32_t Colour = 0xFFFFFFFFu;  // ARGB
  bool Collide = true;
};

struct NodeSource {
  std::string Name;
  std::string Parent;          // empty: the root node (or, for the root, none)
  bool HitRegion = false;
  bool CutOut = false;
  std::vector<ShapeSource> Shapes;
};

// Connector slots in their stored order.
inline constexpr const char* kConnectorSlotNames[5] = {"PRIMARY", "SECONDARY", "EJECTOR", "LADDER_BTM", "LADDER_TOP"};

struct ConnectorSource {
  int Slot = 0;
  CVector3 Position{};
};

struct ObjectSource {
  std::string Name;
  int Line = 0;
  bool Landscape = false;
  std::vector<NodeSource> Nodes;  // the root first
  std::vector<ConnectorSource> Connectors;
};

struct TextureSource {
  std::string Name;
  int Line = 0;
  int Width = 0, Height = 0;
  std::string Pattern;
  std::vector<std::uint32_t> Colours;  // RGB
};

struct MaterialSource {
  std::string Name;
  float Diffuse[4] = {1, 1, 1, 1};
  float Specular[4] = {0, 0, 0, 0};
  float Power = 0.0f;
  float Emissive[4] = {0, 0, 0, 0};
};

struct ObjectDescription {
  std::vector<TextureSource> Textures;
  std::vector<MaterialSource> Materials;
  std::vector<ObjectSource> Objects;

  const TextureSource* FindTexture(const std::string& name) const;
  const MaterialSource* FindMaterial(const std::string& name) const;
};

// Colours each texture pattern takes.
int PatternColourCount(const std::string& pattern);

// Reads a description.  False with "line N: ..." in error for a malformed
// one: an unknown word, a missing or bad number, a size of 0 or less, a name
// used twice, a texture or material that is not described, a terrain whose
// heights do not match its cells, a doorway wider or higher than its wall.
bool ReadObjectDescription(const std::string& text, ObjectDescription* out, std::string* error);
