// One breakable window of the level: a flat convex polygon with a thickness,
// a colour and a material, drawn while intact as a transparent slab.  The
// pane record of the "<GLAZIER>" section reads and writes itself here, side
// by side.  Panes live in the glass set's 16 slots (CGlazier).  Main thread
// only.
//
// Frame: world units (centimetres), y up.  The pane's plane is n.p + d = 0
// with a unit normal n; its front is the side n points to.
#pragma once

#include <cstdint>
#include <string>

#include "render/geometry/vector3.h"

class CMaterial;
class CMaterialList;
class CTexture;
class CTextureManager;
class CVertexBuffer;
class EnvTextCursor;

// Level-file versions of the glass section.
constexpr int kGlassVersionSection = 34;     // the section is present from here on
constexpr int kGlassVersionReflection = 57;  // panes carry the reflection amount and texture
constexpr int kGlassVersionCurrent = 72;     // what the writer writes

constexpr int kGlassMaxPoints = 32;
// The effect list goes with each draw item as its light list, which holds 8.
constexpr int kGlassMaxEffects = 8;
constexpr float kGlassDefaultReflectStrength = 0.5f;

enum GlassPaneState : std::int32_t {
  GLASS_EMPTY = 0,
  GLASS_INTACT = 1,
  GLASS_SHATTERED_FRONT = 2,  // shards fly to the front (along the normal)
  GLASS_SHATTERED_BACK = 3,   // shards fly to the back
};

// What reading a pane needs from the engine: the material list the pane's
// material is found in or added to, the texture library, and whether the
// render device draws environment maps (reflection textures are only
// fetched then).  Any may be missing: the values are still read and kept.
struct GlassModules {
  CMaterialList* Materials = nullptr;
  CTextureManager* Textures = nullptr;
  bool EnvironmentMaps = false;
};

struct GlassOutline {
  float Plane[4] = {};  // unit normal and distance
  std::int32_t Count = 0;
  CVector3 Points[kGlassMaxPoints] = {};
};

class GlassPane {
 public:
  GlassPane() = default;
  ~GlassPane();
  GlassPane(const GlassPane&) = delete;
  GlassPane& operator=(const GlassPane&) = delete;

  // Frees the render mesh and puts every field back to an empty slot's.
  void Blank();

  // Reads the pane's fields that follow "<PANE>", up to and including
  // "</PANE>", at the file's version; then the centre, the render mesh and
  // the intact state.  False, with the slot blanked and the cursor where the
  // fault stands, at a missing or malformed value, an outline of fewer than
  // 3 or more than 32 points or whose first three points lie on a line, an
  // effect list longer than 8, or a missing "</PANE>".
  bool ReadText(EnvTextCursor& text, int version, const GlassModules& modules);
  // Appends "<PANE> " ... "</PANE> \r\n" as the version writes it (the
  // reflection fields from version 57 on).
  void WriteText(std::string* out, int version = kGlassVersionCurrent) const;

  // (Re)builds the slab from the outline: one vertex per point with the
  // plane normal, one per point moved by thickness x normal with the
  // opposite normal; front triangles (0, i-1, i), back ones mirrored.  False
  // when no mesh part can be had.
  bool BuildMesh();
  void FreeMesh();

  // The plane through the first three outline points; false when they lie
  // on a line (the plane is left alone then).
  bool PlaneFromPoints();
  // The pane colour as an ARGB word.
  std::uint32_t ColourWord() const;

  // --- Fields --------------------------------------------------------------------
  std::int32_t State = GLASS_EMPTY;
  float ReflectionAmount = 0.0f;                // stored, from version 57
  float Colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};   // red, green, blue, alpha
  float MaterialColour[3] = {1.0f, 1.0f, 1.0f};
  float MaterialPower = 0.0f;
  CMaterial* Material = nullptr;
  std::int32_t Splits[2] = {0, 0};              // the second: extra splits when shattering
  float Thickness = 0.0f;
  GlassOutline Outline;
  std::int32_t EffectCount = 0;
  std::uint8_t Effects[kGlassMaxEffects] = {};
  CVector3 Centre{};
  float PushSpeed[2] = {0.0f, 0.0f};            // front, back
  float FloorHeight[2] = {0.0f, 0.0f};          // front, back
  std::string ReflectionName;                   // empty: "NOTEXTURE"
  CTexture* ReflectionTexture = nullptr;
  float ReflectionStrength = kGlassDefaultReflectStrength;
  CVertexBuffer* Mesh = nullptr;                // from the "VertexBuffer" pool
};
