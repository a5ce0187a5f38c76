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
//   object <name> [landscape | skinned | vertexanim <frames>]
//       <shape>...                     shapes of the root node (named after the object)
//       node <name> [hitregion] [parent <node>] <shape>... end
//       node <name> shadow <shape>... end
//                                      the object's shadow caster: not drawn, no collision, its
//                                      closed shapes (in the object's space) cast the stencil
//                                      shadow (at most one; it does not make the object hierarchical)
//       connector <PRIMARY|SECONDARY|EJECTOR|LADDER_BTM|LADDER_TOP> x y z
//       cutout                         the root's mesh is drawn cut out (alpha tested)
//   end
//
// A skinned object (a transform-animated template with skinned meshes) has
// no shapes of its own but bones and boxes bound to them:
//       bone <name> [parent <bone>] at x y z      its rest position relative to its parent bone
//                                                 (the first bone is the root of the skeleton)
//       skinbox <width> <height> <depth> bone <bone> [blend <bone>] <options>
//                                                 a box in the bone's space (bottom centred on
//                                                 the bone plus "at"); with blend, the corners of
//                                                 its bottom face hang half on the other bone
// A vertex-animated object plays <frames> frames; its shapes stand still and
// its flags wave:
//       flag <width> <height> <columns> <rows> <amplitude> <options>
//                                                 a cloth from "at" along +x and +y, seen from both
//                                                 sides, waving along z: frame k of F moves a point
//                                                 at x by amplitude (x / width) sin(2 pi k / F - 3 pi x / width)
//
// Shapes (each followed by any of the options below):
//   box <width> <height> <depth>                 x, y, z extents, bottom centred on the origin
//   cylinder <radius> <height> <sides>           upright on the origin, capped
//   ramp <width> <height> <depth>                a wedge rising along +z from 0 to height
//   terrain <cells x> <cells z> <cell size> heights <(cells x + 1) x (cells z + 1) heights, rows along x, -z first>
//   room <width> <depth> <height> <wall thickness> [door <north|south|east|west> <width> <height>]
//                                                floor and four walls, the doorway centred in its wall
//   crossed <width> <height> <quads>             upright quads crossing on the y axis, seen from both sides
//   model <file>                                 the faces of every triangle object of a model source
//                                                file (a path relative to the description's folder), as
//                                                the engine's model reader reads them: frame 0 positions,
//                                                normals, colours and first texture coordinates.  Each face
//                                                keeps its own texture (its material's map: the file name
//                                                without folder and extension, a described texture) and
//                                                material (the model's, named "<file>#<index>"); the
//                                                texture and material options replace them for every face
// Options: at x y z | texture <name> | material <name> | surface <id> |
//          tile <units per texture repeat (0: one repeat per face)> | colour RRGGBB | nocollide
// (tile and colour do not apply to model shapes, whose faces carry their own.)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/geometry/render_vertex.h"
#include "render/geometry/vector3.h"

enum class ShapeKind { Box, Cylinder, Ramp, Terrain, Room, Crossed, Model };
// Walls of a room by the way they face out: north +z, south -z, east +x, west -x.
enum class RoomWall { None, North, South, East, West };

// A face of a model shape, in the model's space.
struct ModelFaceSource {
  std::vector<RenderVertex> Corners;
  std::string Texture;   // empty: the library's default texture
  std::string Material;  // empty: the default material
};

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
  std::string File;                        // model: the file as the description names it
  std::vector<ModelFaceSource> ModelFaces;  // model: its faces
};

struct NodeSource {
  std::string Name;
  std::string Parent;          // empty: the root node (or, for the root, none)
  bool HitRegion = false;
  bool CutOut = false;
  bool ShadowCaster = false;
  std::vector<ShapeSource> Shapes;
};

// Connector slots in their stored order.
inline constexpr const char* kConnectorSlotNames[5] = {"PRIMARY", "SECONDARY", "EJECTOR", "LADDER_BTM", "LADDER_TOP"};

struct ConnectorSource {
  int Slot = 0;
  CVector3 Position{};
};

enum class ObjectKind { Plain, Skinned, VertexAnim };

struct BoneSource {
  std::string Name;
  std::string Parent;  // empty for the first bone
  CVector3 At{};       // rest position relative to the parent
};

struct SkinBoxSource {
  ShapeSource Box;  // a box; At in the bone's space
  std::string Bone;
  std::string Blend;  // empty: none
};

struct FlagSource {
  ShapeSource Cloth;  // options: At (lower corner at the pole), texture, material, colour
  float Width = 0.0f, Height = 0.0f;
  int Columns = 0, Rows = 0;
  float Amplitude = 0.0f;
};

struct ObjectSource {
  std::string Name;
  int Line = 0;
  bool Landscape = false;
  ObjectKind Kind = ObjectKind::Plain;
  int Frames = 0;                 // vertex-animated objects
  std::vector<NodeSource> Nodes;  // the root first
  std::vector<ConnectorSource> Connectors;
  std::vector<BoneSource> Bones;  // skinned objects, parents first
  std::vector<SkinBoxSource> SkinBoxes;
  std::vector<FlagSource> Flags;  // vertex-animated objects
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
// heights do not match its cells, a doorway wider or higher than its wall, a
// model file that cannot be read or that the model reader refuses.  Model
// files are found relative to `folder` (empty: the working folder).
bool ReadObjectDescription(const std::string& text, ObjectDescription* out, std::string* error,
                           const std::string& folder = "");
