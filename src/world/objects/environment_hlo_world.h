// The world that world objects live in, answered by the level's environment:
// templates found or loaded through the environment-file loader, visual
// instances made by the environment (animated ones by the animated-object
// module when it has installed its maker), render-info blocks, textures from
// the level's library, ground from the world queries, bounds and the game
// clock.  Main thread only.
#pragma once

#include "world/objects/hlo_world.h"

class CEnvironment;

class CEnvironmentHLOWorld : public HLOWorld {
 public:
  // Over the environment (null: g_Environment, looked up at each call).
  explicit CEnvironmentHLOWorld(CEnvironment* environment = nullptr) : environment_(environment) {}
  void SetEnvironment(CEnvironment* environment) { environment_ = environment; }

  CEnvObject* LoadObject(int templateKind, const char* name) override;
  int TemplateType(const CEnvObject* templ) override;
  CEnvInstance* CreateInstance(const char* name, CEnvObject* templ, bool animated, const CVector3& rotation,
                               const CVector3& position, const CVector3& scale, std::uint32_t flags) override;
  void ApplyRenderInfo(CEnvInstance* instance, const RenderInfoBlock& block) override;
  std::uint32_t GetTexture(const char* name) override;
  void RegisterLadders(CEnvInstance* instance) override;
  bool ProbeDown(float x, float z, HLOGroundHit* hit) override;
  bool FindGround(const CVector3& point, HLOGroundHit* hit) override;
  bool FindGroundBelow(const CVector3& point, float length, HLOGroundHit* hit) override;
  CEnvInstance* FirstLandscapeInstance() override;
  void GetWorldBounds(CVector3* min, CVector3* max) override;
  std::uint32_t SetInstanceLineQuery(std::uint32_t on) override;
  std::uint32_t GetInstanceLineQuery() override;
  std::uint32_t GameTime() override;

 private:
  CEnvironment* Env() const;
  CEnvironment* environment_;
};

// Makes the environment the world objects' world (one binding for the
// program; null environment = g_Environment at each call).
void InstallEnvironmentHLOWorld(CEnvironment* environment = nullptr);
