// What world objects ask of the level they live in: their templates and
// visual instances, the ground below them and the world's bounds.  The level's
// environment answers through this interface (installed once it exists), so
// that the world-object base does not depend on the environment's make-up
// and tests can stand a small world in for it.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CEnvInstance;
class CEnvObject;
struct RenderInfoBlock;

// A hit of a ground query: the world-space point and the instance met.
struct HLOGroundHit {
  CVector3 point{};
  CEnvInstance* instance = nullptr;
};

class HLOWorld {
 public:
  virtual ~HLOWorld() = default;

  // Finds or loads a template by name with a template kind (-1 any type);
  // null when it cannot be loaded.
  virtual CEnvObject* LoadObject(int templateKind, const char* name) = 0;
  // The template's own type (0 plain, 3 vertex-animated, 4 hierarchical,
  // 5 landscape).
  virtual int TemplateType(const CEnvObject* templ) = 0;
  // Creates an instance of the template named `name` with the creation flags
  // (an animated instance when `animated`); null when none can be made.
  virtual CEnvInstance* CreateInstance(const char* name, CEnvObject* templ, bool animated, const CVector3& rotation,
                                       const CVector3& position, const CVector3& scale, std::uint32_t flags) = 0;
  // Applies a texture-replacement block to an instance.
  virtual void ApplyRenderInfo(CEnvInstance* instance, const RenderInfoBlock& block) = 0;
  // The texture id of a texture name (0 when it cannot be fetched).
  virtual std::uint32_t GetTexture(const char* name) = 0;
  // Registers the instance's ladder connectors with the ladder table.
  virtual void RegisterLadders(CEnvInstance* instance) = 0;

  // The first surface met on the vertical at (x, z) from the world's top to
  // its bottom; false when there is none.
  virtual bool ProbeDown(float x, float z, HLOGroundHit* hit) = 0;
  // The surface met on the vertical through `point`, the one nearest to the
  // point's own height; false when there is none.
  virtual bool FindGround(const CVector3& point, HLOGroundHit* hit) = 0;
  // The first surface below `point` within `length`; false when none.
  virtual bool FindGroundBelow(const CVector3& point, float length, HLOGroundHit* hit) = 0;
  // The first instance of the instance list whose template is a landscape
  // tile, or null.
  virtual CEnvInstance* FirstLandscapeInstance() = 0;
  // The world's bounds (already padded by the environment).
  virtual void GetWorldBounds(CVector3* min, CVector3* max) = 0;
  // The instance line-query switch: nonzero tests lines through zones and
  // instances, 0 through the landscape alone.  Answers the previous value.
  virtual std::uint32_t SetInstanceLineQuery(std::uint32_t on) = 0;
  virtual std::uint32_t GetInstanceLineQuery() = 0;
  // The game clock's time (ms).
  virtual std::uint32_t GameTime() = 0;
};

// The world that world objects use; null until the level's environment
// installs one (objects then have no visual and find no ground).
HLOWorld* GetHLOWorld();
void SetHLOWorld(HLOWorld* world);
