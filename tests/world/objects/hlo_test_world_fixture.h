// A small world for world-object tests: templates by name, instances it owns,
// one ground height per instance on a list of ground tiles, and world bounds.
// Also the test factory that stands in for the game's units: it builds
// TestObject, a world object that records the virtual operations called on
// it and can run a scripted action in its update.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "world/environment/env_instance.h"
#include "world/objects/chlo.h"
#include "world/objects/hlo_spawn_record.h"
#include "world/objects/hlo_world.h"

class TestWorld : public HLOWorld {
 public:
  struct Ground {
    CEnvInstance* instance;
    float minX, maxX, height;  // covers x in [minX, maxX] at that height
  };

  TestWorld();
  ~TestWorld() override;

  // A plain instance of its own (a ground tile or a parent).
  CEnvInstance* MakeInstance(const char* name);
  void AddGround(CEnvInstance* instance, float minX, float maxX, float height) {
    grounds.push_back({instance, minX, maxX, height});
  }

  CEnvObject* LoadObject(int templateKind, const char* name) override;
  int TemplateType(const CEnvObject* templ) override;
  CEnvInstance* CreateInstance(const char* name, CEnvObject* templ, bool animated, const CVector3& rotation,
                               const CVector3& position, const CVector3& scale, std::uint32_t flags) override;
  void ApplyRenderInfo(CEnvInstance*, const RenderInfoBlock&) override { ++renderInfoApplied; }
  std::uint32_t GetTexture(const char* name) override { return name[0] ? 77u : 0u; }
  void RegisterLadders(CEnvInstance*) override {}
  bool ProbeDown(float x, float z, HLOGroundHit* hit) override;
  bool FindGround(const CVector3& point, HLOGroundHit* hit) override;
  bool FindGroundBelow(const CVector3& point, float length, HLOGroundHit* hit) override;
  CEnvInstance* FirstLandscapeInstance() override { return landscape; }
  void GetWorldBounds(CVector3* min, CVector3* max) override {
    *min = boundsMin;
    *max = boundsMax;
  }
  std::uint32_t SetInstanceLineQuery(std::uint32_t on) override {
    std::uint32_t was = lineQuery;
    lineQuery = on;
    return was;
  }
  std::uint32_t GetInstanceLineQuery() override { return lineQuery; }
  std::uint32_t GameTime() override { return time; }

  // Template names that load, with their type (4 = hierarchical).
  std::vector<std::pair<std::string, int>> templates{{"Soldier", 0}, {"Tank", 4}};
  std::vector<Ground> grounds;
  std::vector<std::string> instanceNames;
  std::vector<std::uint32_t> creationFlags;
  CEnvInstance* landscape = nullptr;
  CVector3 boundsMin{-1000.0f, -1000.0f, -1000.0f};
  CVector3 boundsMax{1000.0f, 1000.0f, 1000.0f};
  std::uint32_t lineQuery = 1;
  std::uint32_t time = 0;
  int renderInfoApplied = 0;
  // Whether the object's own visual was hidden and the line-query switch
  // off during the last ground query.
  bool lastQueryHidSelf = false;
  bool lastQueryLandscapeOnly = false;
  CEnvInstance* watched = nullptr;

 private:
  bool Query(float x, float y, bool nearest, HLOGroundHit* hit);
  std::vector<std::unique_ptr<CEnvInstance>> owned_;
  std::vector<std::unique_ptr<int>> templates_;  // stand-in template records
};

class TestObject : public CHLO {
 public:
  TestObject(const HLOSpawnRecord& record) : CHLO(record, nullptr) {}

  void Update() override {
    ++updates;
    if (onUpdate) onUpdate(this);
  }
  void OnWorldChanged() override { ++worldChanges; }
  int AcceptsSphereEvent(const void*) override { return 1; }
  float GetSphereEventScale() override { return 2.0f; }
  bool IsUnit() override { return Kind <= HLO_GRUNT; }

  int updates = 0;
  int worldChanges = 0;
  std::function<void(TestObject*)> onUpdate;
};

// The test factory: a TestObject of the record's stats table as its kind.
CHLO* TestFactory(HLOSpawnRecord& record);
// Deletes a TestObject and counts it.
void TestDelete(CHLO* object);
extern int g_testDeletes;

// A spawn record of the given kind, side, order key, id and active flag,
// standing at (x, 0, 0) with the "Soldier" template.
HLOSpawnRecord TestRecord(int kind, int side, int orderKey, int id, bool active, float x = 0.0f);
