#include "hlo_test_world_fixture.h"

#include <cmath>
#include <cstring>

int g_testDeletes = 0;

TestWorld::TestWorld() { SetHLOWorld(this); }
TestWorld::~TestWorld() {
  if (GetHLOWorld() == this) SetHLOWorld(nullptr);
}

CEnvInstance* TestWorld::MakeInstance(const char* name) {
  owned_.push_back(std::make_unique<CEnvInstance>());
  instanceNames.push_back(name);
  return owned_.back().get();
}

CEnvObject* TestWorld::LoadObject(int, const char* name) {
  for (std::size_t i = 0; i < templates.size(); ++i) {
    if (templates[i].first == name) {
      templates_.push_back(std::make_unique<int>(templates[i].second));
      return reinterpret_cast<CEnvObject*>(templates_.back().get());
    }
  }
  return nullptr;
}

int TestWorld::TemplateType(const CEnvObject* templ) { return *reinterpret_cast<const int*>(templ); }

CEnvInstance* TestWorld::CreateInstance(const char* name, CEnvObject*, bool animated, const CVector3& rotation,
                                        const CVector3& position, const CVector3&, std::uint32_t flags) {
  CEnvInstance* instance = MakeInstance(name);
  instance->Flags = flags | (animated ? INSTF_ANIMATED : 0u);
  instance->SetRotation(rotation, false);
  instance->SetPosition(position, false);
  creationFlags.push_back(flags);
  return instance;
}

bool TestWorld::Query(float x, float y, bool nearest, HLOGroundHit* hit) {
  lastQueryHidSelf = watched && (watched->Flags & INSTF_HIDDEN);
  lastQueryLandscapeOnly = lineQuery == 0;
  const Ground* best = nullptr;
  for (const Ground& g : grounds) {
    if (x < g.minX || x > g.maxX) continue;
    if (!best) best = &g;
    else if (nearest ? std::abs(g.height - y) < std::abs(best->height - y) : g.height > best->height) best = &g;
  }
  if (!best) return false;
  hit->point = {x, best->height, 0.0f};
  hit->instance = best->instance;
  return true;
}

bool TestWorld::ProbeDown(float x, float, HLOGroundHit* hit) { return Query(x, 0.0f, false, hit); }
bool TestWorld::FindGround(const CVector3& p, HLOGroundHit* hit) { return Query(p.x, p.y, true, hit); }
bool TestWorld::FindGroundBelow(const CVector3& p, float length, HLOGroundHit* hit) {
  return Query(p.x, p.y, true, hit) && hit->point.y <= p.y && p.y - hit->point.y <= length;
}

CHLO* TestFactory(HLOSpawnRecord& record) {
  record.kind = record.statsTable;
  return new TestObject(record);
}

void TestDelete(CHLO* object) {
  ++g_testDeletes;
  delete object;
}

HLOSpawnRecord TestRecord(int kind, int side, int orderKey, int id, bool active, float x) {
  HLOSpawnRecord r;
  r.Init();
  r.statsTable = kind;
  r.kind = kind;
  r.side = static_cast<std::uint8_t>(side);
  r.orderKey = static_cast<std::int8_t>(orderKey);
  r.id = id;
  r.objectFlags = active ? HLOF_ACTIVE : 0u;
  r.position = {x, 0.0f, 0.0f};
  r.templateKind = -1;
  std::strcpy(r.templateName, "Soldier");
  std::strcpy(r.objectName, "Soldier");
  return r;
}
