// Decals: textures projected onto the level's geometry (bullet holes, scorch
// marks, blood pools).  A decal under construction gathers parts, each a
// mesh part of the level clipped to the projector's volume with texture
// coordinates from the projection, in three bump heaps; a finished decal is
// copied into one contiguous block of a 128 KB ring, where it stays until
// the ring overwrites it (oldest first) or the ring is cleared.  Decals may
// fade out after a delay and spread over time.  One manager exists from
// engine start-up to shut-down; its heaps and ring come from the level's
// linear buffer at each level load.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/matrix.h"
#include "render/geometry/render_vertex.h"
#include "scene/decals/decal_projector.h"

class CEnvInstance;
class CLinearBuffer;
class CMaterial;
class CRender;
class CRingBuffer;
class CTexture;
class CTimer;

inline constexpr std::uint32_t kDecalPartHeapBytes = 8192;
inline constexpr std::uint32_t kDecalVertexHeapBytes = 73728;
inline constexpr std::uint32_t kDecalIndexHeapBytes = 4096;
inline constexpr std::uint32_t kDecalRingBytes = 131072;
inline constexpr int kDecalPartVertices = 1024;
inline constexpr int kDecalPartIndices = 1024;

// Decal flag: fades out after its delay.
inline constexpr std::uint32_t kDecalFades = 0x1;

struct DecalPart {
  CTexture* Texture;
  CMaterial* Material;
  CMatrix World;               // the owner's world matrix when the part was made
  CEnvInstance* Instance;      // the instance it lies on, or none
  std::int32_t IndexCount;
  std::int32_t VertexCount;
  RenderVertex* Vertices;      // in the owner's space
  std::uint16_t* Indices;      // a triangle list
  float Colour[4];             // red, green, blue, alpha (0 to 1)
  std::int32_t Enabled;
  DecalPart* Next;
};

struct Decal {
  std::uint32_t InUse;
  std::uint32_t Flags;
  float CreationTime;  // seconds of the game clock
  float FadeDelay;     // seconds
  float FadeTime;      // seconds
  float Size;
  float StartSize;
  float Growth;        // 1.0: not spreading
  float Scale;
  DecalPart* Parts;
};

// The mesh part a decal is clipped from: vertices and a triangle list in
// the owner's space.
struct DecalMeshSource {
  const RenderVertex* Vertices;
  std::int32_t VertexCount;
  const std::uint16_t* Indices;
  std::int32_t IndexCount;
};

class CDecals {
 public:
  // With the game clock the decals are timed on; the device's bump bit is kept.
  CDecals(CTimer* gameClock, bool bumpMapping);
  ~CDecals() { FreePools(); }
  CDecals(const CDecals&) = delete;
  CDecals& operator=(const CDecals&) = delete;

  // The three heaps and the ring, from the level buffer (or, without one,
  // from memory of their own).  False, with no pools, when they do not fit.
  bool CreatePools(CLinearBuffer* level);
  void FreePools();
  bool HasPools() const { return ring_ != nullptr; }
  // Empties the ring: every decal gone.
  void Clear();

  // Starts a decal: the heaps are emptied; lights are those of the light table.
  void Begin(const DecalProjector& projector, float size, float startSize, float growth);
  // Clips the mesh part (in the space of `world`) to the projector's volume
  // and adds what is left as a part with projected texture coordinates and
  // the colour.  With upOnly only triangles whose normal is within about 73
  // degrees of straight up are used.  False when nothing was added (no
  // triangle inside, the heaps full, no pools, decals switched off).
  bool AddPart(const DecalMeshSource& mesh, const CMatrix& world, CEnvInstance* instance, CTexture* texture,
               CMaterial* material, const float colour[4], bool upOnly);
  // Copies the decal under construction into the ring (discarding the
  // oldest decals to make room); null when it has no parts.
  Decal* Finish();

  void SetFade(Decal* decal, float delay, float fadeTime);
  // Switches a decal and all its parts.
  void SetEnabled(Decal* decal, bool on);
  // Switches off every part lying on the instance (it is being removed).
  void ForgetInstance(const CEnvInstance* instance);
  // The detail switch: nothing is made or drawn while it is off.
  void SetDecalsOn(bool on) { enabled_ = on ? 1 : 0; }
  bool AreDecalsOn() const { return enabled_ != 0; }

  // Once a frame: draws every decal in the ring oldest first, then runs fading and spreading.
  void Draw(CRender* render);
  // Fading and spreading only, as the draw runs them (seconds of the game clock).
  void Advance(float now, float frameSeconds);
  // Vertex-animated meshes take no decals.
  int VertexAnimQuery() const { return 0; }

  // The finished decals, oldest first.
  int DecalCount() const;
  Decal* GetDecal(int i) const;

 private:
  CTimer* clock_;
  bool bump_;
  std::uint32_t enabled_ = 1;
  CLinearBuffer* partHeap_ = nullptr;
  CLinearBuffer* vertexHeap_ = nullptr;
  CLinearBuffer* indexHeap_ = nullptr;
  CRingBuffer* ring_ = nullptr;
  void* ownMemory_ = nullptr;
  DecalProjector projector_;
  DecalPart* chain_ = nullptr;
  DecalPart* last_ = nullptr;
  float size_ = 0.0f, startSize_ = 0.0f, growth_ = 1.0f;
};

// The engine's decals (null outside engine start-up .. shut-down).
extern CDecals* g_Decals;
