// A triangle object of a model source file: its name and parent, transform
// key, bounds, vertex, normal and colour frames and faces.  The key reading
// (the "PRSInfo" blocks, one key a line) and the bounds reading are shared
// with the animation files, whose tracks are written the same way.
//
// Triangle object text (labels are words read and ignored):
//   Name <name>
//   Parent <name>                     (version 3 on; before it a block of portal values)
//   <label> <key flag>                0: one transform key follows
//   <label> <positions flag>          set: the positions are read, rounded to 0.1
//   <label> <object flag>             (version 3 on)
//   <label> <x y z>
//   BSPSource <name>                  (version 12 on)
//   BoundsInfo { <bounds entry> }
//   PRSInfo { <key> }                 (key flag 0)
//   <label> <n> PhysVertexList { per group: <count> then per entry: <name> <4 values> }   (version 3 on)
//   <label> <frames> VertexFrames { per frame: <label> <count> VertexList { <x y z>... } }
//   <label> <frames> NormalFrames { per frame: <label> <count> NormalList { <x y z>... } }
//   <label> <frames> ColourFrames { per frame: <label> <count> ColourList { <r g b>... } }
//   <label> <faces> FaceList { <face>... }
// A face: <label> <flags> <label> <material> [<label> <smoothing> (version 7 on)]
//   <label> <vertex count> <label> <vertex indices> <label> <normal index or one per vertex (0x40)>
//   [<label> <colour index per vertex> (0x80)] [<label> <sets> <label> <sets x vertices x u v> (0x1)]
// A key: <label> <position> <label> <3 values not kept> <label> <scale> <label> <quaternion x y z w>
// A bounds entry: <label> <word 6> <label> <corner> <other corner> <label> <word 7> <label> <centre> <label> <radius>
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/geometry/matrix.h"
#include "render/geometry/vector3.h"
#include "scene/model/model_text_cursor.h"

// Face flags.
enum TriFaceFlags : std::uint32_t {
  TRIFACE_TEXCOORDS = 0x1,       // texture coordinate sets follow
  TRIFACE_UNIQUE = 0x2,          // dropped when an earlier such face repeats its material and corners
  TRIFACE_VERTEX_NORMALS = 0x40,  // one normal index per vertex, else one for the face
  TRIFACE_VERTEX_COLOURS = 0x80,  // one colour index per vertex
};

// Limits of a face; a face outside them is refused as damaged.
inline constexpr int kTriFaceMinVertices = 3;
inline constexpr int kTriFaceMaxVertices = 32;
inline constexpr int kTriMaxTexCoordSets = 8;
// Most keys one key block may hold.
inline constexpr std::int32_t kTriMaxKeys = 1 << 20;

struct TriTexCoord {
  float u = 0.0f, v = 0.0f;
};

struct TriFace {
  std::uint32_t Flags = 0;
  std::int32_t Material = -1;  // index into the scene's materials; -1 none
  std::uint32_t Smoothing = 0;
  std::vector<std::int32_t> Vertices;
  std::vector<std::int32_t> Normals;  // one per vertex (flag 0x40) or one for the face
  std::vector<std::int32_t> Colours;  // one per vertex with flag 0x80, else none
  std::vector<std::vector<TriTexCoord>> TexCoords;  // per set, one per vertex (flag 0x1)

  int VertexCount() const { return static_cast<int>(Vertices.size()); }
  // The normal index of corner i.
  std::int32_t NormalOf(int i) const {
    return Normals.size() > 1 ? Normals[static_cast<std::size_t>(i)] : Normals.empty() ? -1 : Normals[0];
  }
};

// Bounds record: words 0-2 and 3-5 two opposite corners, 6 and 7 two values
// that are kept but not used, 8-10 the sphere's centre, 11 its radius.
struct TriBounds {
  float Words[12] = {};
};

struct PhysVertex {
  std::string Name;
  std::int32_t Object = -1;  // index of the scene's object of that name, -1 none
  float Values[4] = {};
};
using PhysVertexGroup = std::vector<PhysVertex>;

// A key line: position, three values not kept (read as 0), scale, rotation.
bool ReadTransformKey(ModelTextCursor& in, Pose* key);
// A bounds entry in the order of its text.
bool ReadBoundsEntry(ModelTextCursor& in, TriBounds* out);

// What the key reader found.
enum class TriKeysRead {
  Read,     // the keys are read
  Missing,  // no "PRSInfo" block: the object's block was passed over and holds no keys
  Damaged,  // the text is broken
};

class CTriObject {
 public:
  // Reads the key form of an object (animation tracks): "Name" and "Parent"
  // (kept as read), the key count and the frame rate, a "PRSInfo" block of
  // that many keys, and the ends of the key block and of the object's block
  // (whose opening the caller has read).
  TriKeysRead ReadKeys(ModelTextCursor& in);
  // Reads one triangle object of a model file of the version.  Faces are
  // checked against the object's lists and the scene's material count: a
  // face that names a vertex, normal, colour or material the file does not
  // hold, or whose counts are out of bounds, refuses the object (false, with
  // "line N: ..." in error).  A face that uses one vertex twice shows the
  // "Bad Face !" box and is kept; a face with flag 0x2 that repeats the
  // material and corners of an earlier one is dropped.  Before version 9
  // every colour reads as white.
  bool Read(ModelTextCursor& in, int version, const char* sceneName, int materialCount, std::string* error);
  // Drops everything the object holds.
  void Free();

  std::int32_t KeyCount() const { return static_cast<std::int32_t>(Keys.size()); }
  // Matrix of the object at a frame (modulo the key count); null without keys.
  const CMatrix* MatrixAt(int frame) const;
  // Position of vertex i in frame 0 (zero when there is none).
  CVector3 Position(int i) const;

  std::string Name;    // upper-cased in model files
  std::string Parent;  // upper-cased in model files
  std::int32_t KeyFlag = 0;
  std::int32_t PositionsFlag = 0;
  std::int32_t ObjectFlag = 0;
  CVector3 Vector{};
  std::string BspSource = "THIS";  // object whose geometry gives the collision tree
  TriBounds Bounds;
  std::int32_t FrameRate = 0;  // key files
  std::vector<Pose> Keys;
  std::vector<CMatrix> Matrices;  // one per key
  std::vector<PhysVertexGroup> PhysVertexGroups;
  std::vector<std::vector<CVector3>> VertexFrames;
  std::vector<std::vector<CVector3>> NormalFrames;
  std::vector<std::vector<CVector3>> ColourFrames;
  std::vector<TriFace> Faces;
};

// Rounds to the nearest 0.1 as positions are stored: 0.05 added away from
// zero, times 10, truncated, times 0.1.
float RoundToTenth(float v);
// Name with a..z upper-cased.
std::string UpperName(std::string name);
