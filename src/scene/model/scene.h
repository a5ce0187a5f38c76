// A model scene loaded from a model source file (text): a header, collision
// settings, bounds, named static connectors, a material library (texture
// maps, palettes, materials) and a list of triangle objects.  The scene
// manager keeps the scenes it loads by name.  Main thread only.
//
// Scene text (labels are words read and ignored; V is the version):
//   <label> <V>
//   <label> <word>                          (V >= 13, ignored)
//   <label> <object type>                   (V >= 4, else 0)
//   <label> <objects> <label> <meshes> <label> <third value>
//   ShadowSource <name>                     (V >= 15; "(NULL)" and older files give "NOSHADOW")
//   <label> <n> <label> <n>                 (V < 3, ignored)
//   <label> <connector flag>                0 keeps the static connectors
//   <label> <sweep-hit kind> <label> <n> <label> <sweep-hit kind> <label> <n> <label> <n>   (V >= 10)
//   BoundsInfo { <bounds entry> }
//   <label> <count> StaticConnectors { <name> <x y z>... }          (V > 5)
//   MaterialLib {
//     <label> <count> Maps { <texture file name>... }
//     <label> <count> Pals { <palette name>... }
//     <label> <count> Materials { <material>... }
//   }
//   per mesh: Mesh <triangle object>       (see tri_object.h)
// A material: <label> <diffuse r g b> [<label> <third colour> <label> <second
// colour> <power> (V >= 5)] <label> <alpha> <label> <map index> <label>
// <palette index>.  Only from version 14 on are the second colour and the
// power kept (the power times 100).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/geometry/vector3.h"
#include "scene/model/tri_object.h"

class CMaterial;
class CMaterialList;
class CRender;
class CTexture;
class CTextureManager;

// Sweep-hit kinds of the collision settings; a word the table does not hold gives -1.
enum SweepHitKind : std::int32_t {
  SWEEPHIT_NOTHING = 0,
  SWEEPHIT_FPLANE = 1,
  SWEEPHIT_OBBOX = 2,
  SWEEPHIT_AABBOX = 3,
  SWEEPHIT_BSPHERE = 4,
  SWEEPHIT_FBSPPOLY = 5,
};
std::int32_t SweepHitKindFromName(const char* name);

struct SceneMaterial {
  float Diffuse[3] = {};
  float Second[3] = {};
  float Third[3] = {};
  float Power = 0.0f;
  float Alpha = 1.0f;
  std::int32_t Map = -1;  // index into the maps, -1 none
  std::int32_t Palette = 0;
};

struct StaticConnector {
  std::string Name;  // at most 32 characters
  CVector3 Position{};
};

class CScene {
 public:
  // Name buffer size (the name is the file name the scene was loaded from).
  static constexpr int kNameSize = 260;
  // A wanted type that accepts any scene.
  static constexpr int kAnyType = 5;
  // Longest static connector name kept; longer names are cut after a message.
  static constexpr int kConnectorNameLength = 32;

  // Reads the file whole (through the search folders) and parses it
  // (Parse).  Answers 1 on success, 0 when the file is missing or damaged or
  // a texture does not load, or the negative code of the object-type rule
  // that refused it.  The flag is kept for callers and not used.
  int Load(const char* fileName, int wantedType, int flag);
  // Parses model text (NUL-terminated) under the scene's name.  The object
  // type is checked against wantedType: 5 accepts any; 0, 1 and 2 must match
  // (else -1, -2, -3); from version 12 on 3 must match (-4) and 4 accepts
  // anything but 3 (-5).  With a texture library, every map must have a
  // picture file ("Unable to load model.\nBad texture file..." otherwise) and
  // becomes a texture slot; with a material library, every material becomes
  // a material slot.  A refused text leaves the scene empty with the reason
  // in Error.
  int Parse(const char* text, int wantedType);
  // Reads only the version and the object type (0 before version 4); 0 when
  // the file is missing or the version is not there, else 1.
  static int ReadHeader(const char* fileName, int* version, int* type);
  // Frees every object and the scene's tables (the name stays).
  void Free();

  int ObjectCount() const { return static_cast<int>(Objects.size()); }
  // The object at index i, or null.
  const CTriObject* GetObject(int i) const;
  // Index of the object of that name (any letter case), or -1.
  int FindObject(const char* name) const;
  // Matrix of object i at a frame (modulo its key count); null when the
  // object does not exist or has no key.
  const CMatrix* GetObjectMatrix(int object, int frame) const;
  // Slots of a face's material index (-1 and out-of-range give slot 0, the
  // libraries' defaults); null without the libraries.
  CMaterial* MaterialSlot(int material) const;
  CTexture* TextureSlot(int material) const;

  CRender* Render = nullptr;
  CTextureManager* Textures = nullptr;
  CMaterialList* Materials = nullptr;
  char Name[kNameSize] = {};
  int Version = 0;
  int Type = 0;
  std::int32_t HeaderValues[3] = {};  // number of objects, number of meshes, a third value
  std::string ShadowSource = "NOSHADOW";
  std::int32_t ConnectorFlag = 0;
  // Sweep-hit kind, a value, a second sweep-hit kind, a value, a last value.
  std::int32_t Collision[5] = {5, 1, 5, 1, 0};
  TriBounds Bounds;
  std::vector<StaticConnector> Connectors;
  std::vector<std::string> Maps;
  std::vector<std::string> Palettes;
  std::vector<SceneMaterial> MaterialLib;
  std::vector<CTriObject> Objects;
  int VertexCount = 0;  // of every object's first vertex frame
  int FaceCount = 0;
  std::vector<CTexture*> TextureSlots;    // 0: the library's texture 0; i + 1: map i
  std::vector<CMaterial*> MaterialSlots;  // 0: the library's material 0; i + 1: material i
  std::string Error;                      // why the last load failed
};
