// The demo level's data beyond its scenery, made by the level tool from the
// repository's description and loaded back as the game would: the ".dyn"
// files of its vehicles and crates (and the dynamics built from them on the
// level), its route data (routes as short as a reference search, a walker
// going round the buildings), and its region, switch, emitter, tracer and
// breakable sections read by the modules' own readers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "foundation/file_test_fixture.h"
#include "foundation/files/catalog.h"
#include "foundation/time/timer.h"
#include "make_dynamics/dynamics_description.h"
#include "make_level/level_description.h"
#include "make_level/level_maker.h"
#include "physics/dynamics/mdt_body.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "world/dynamics/car_dynamics.h"
#include "world/dynamics/drive_dynamics.h"
#include "world/dynamics/dynamic_data.h"
#include "world/dynamics/dynamics_world.h"
#include "world/dynamics/simple_dynamics.h"
#include "world/dynamics/tank_dynamics.h"
#include "world/effects/breakable_instance.h"
#include "world/effects/particle_emitters.h"
#include "world/effects/tracer_batteries.h"
#include "world/environment/env_file.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"
#include "world/regions/region_list.h"
#include "world/routes/move_controller.h"
#include "world/routes/quad_tree.h"
#include "world/routes/route_clock.h"
#include "world/routes/route_marker.h"
#include "world/routes/route_path.h"
#include "world/routes/route_reference.h"
#include "world/routes/router.h"
#include "world/space/world_hit.h"
#include "world/switches/switch_stats.h"
#include "world/switches/switch_table.h"

namespace {

void SetGameTime(CTimer* timer, std::uint32_t ms, float frameTime) {
  CTimer::State s;
  timer->SaveState(&s);
  s.gameTime = ms;
  s.frameTime = frameTime;
  timer->RestoreState(s);
}

// The demo level made into "out" and entered; Load() reads it as the game does.
class DemoLevelData : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    std::string error;
    ASSERT_TRUE(ReadLevelDescription(MAKE_LEVEL_DESCRIPTION, &level_, &error)) << error;
    ASSERT_TRUE(MakeLevel(level_, "out", &report_, &error)) << error;
    std::filesystem::current_path("out");
    SetWorkDirectory();
    Start();
  }
  void TearDown() override {
    env_.reset();
    g_EnvWaypoints = nullptr;
    FileTest::TearDown();
  }

  void Load(HLOSpawnCallback spawn = nullptr) {
    g_EnvWaypoints = &waypoints_;
    env_ = std::make_unique<CEnvironment>(nullptr, &textures_, &materials_, nullptr, nullptr, nullptr, nullptr,
                                          nullptr);
    text_ = Read("DEMO.env");
    EnvTextCursor cursor(text_.c_str());
    EnvFileLoadReport loaded;
    {
      // Unless the test reads the switches itself, they make their models'
      // instances as the game's reader does.
      std::optional<GameSwitchSection> switches;
      if (GetEnvSectionReader(ENVSECTION_SWITCHES) == GetDefaultEnvSectionReader(ENVSECTION_SWITCHES))
        switches.emplace();
      ASSERT_EQ(EnvFileLoadEnvironment(env_.get(), cursor, spawn, nullptr, &loaded), 1);
    }
    ASSERT_EQ(loaded.failedSections, 0u);
    // The tool builds the octree file over the instances of the game's load
    // (the file's, a visual per game object and the switches' models); a
    // load that makes other objects, or none, has another instance list, and
    // builds its trees over it as the program does.
    OctreeLoadReport octrees;
    if (!env_->LoadOctrees("DEMO.env", &octrees)) {
      ASSERT_EQ(octrees.Fault, OctreeLoadFault::OtherInstanceList) << octrees.Text;
      ASSERT_TRUE(env_->BuildOctrees("DEMO.env", false));
    }
    env_->BuildStaticList();
  }

  LevelDescription level_;
  LevelMakeReport report_;
  CTextureManager textures_;
  CMaterialList materials_;
  EnvWaypointList waypoints_;
  std::string text_;
  std::unique_ptr<CEnvironment> env_;
};

// --- dynamics ---------------------------------------------------------------------------------

DynamicsDescription DescribedDynamics(const LevelDescription& level) {
  DynamicsDescription all;
  for (const std::string& path : level.DynamicsFiles) {
    DynamicsDescription one;
    std::string error;
    EXPECT_TRUE(ReadDynamicsDescriptionFile(path, &one, &error)) << error;
    all.Records.insert(all.Records.end(), one.Records.begin(), one.Records.end());
  }
  return all;
}

TEST_F(DemoLevelData, DynamicsFilesReadBackThroughTheCacheAsDescribed) {
  const DynamicsDescription described = DescribedDynamics(level_);
  ASSERT_EQ(report_.dynamicsFiles, static_cast<int>(described.Records.size()));
  // Every vehicle and loose crate of the level has its record, of its kind.
  const std::map<std::string, DynamicsSource::Kind> kinds = {{"car", DynamicsSource::CAR},
                                                             {"tank", DynamicsSource::TANK},
                                                             {"hover", DynamicsSource::DRIVE},
                                                             {"smallcrate", DynamicsSource::SIMPLE}};
  int vehicles = 0;
  for (const EnvFileObjectSource& o : level_.Env.objects) {
    const auto kind = kinds.find(o.name);
    if (kind == kinds.end()) continue;
    ++vehicles;
    const DynamicsSource* s = described.Find(o.statsName.substr(1, o.statsName.size() - 2));
    ASSERT_NE(s, nullptr) << o.statsName;
    EXPECT_EQ(s->kind, kind->second) << o.statsName;
  }
  EXPECT_EQ(vehicles, 6);

  CDynamicData cache;
  for (const DynamicsSource& s : described.Records) {
    SCOPED_TRACE(s.typeName);
    switch (s.kind) {
      case DynamicsSource::CAR: {
        const DynCarData* r = cache.GetCar(s.typeName.c_str());
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->save(s.version), s.car.save(s.version));
        EXPECT_EQ(r, cache.GetCar(s.typeName.c_str())) << "read once";
        break;
      }
      case DynamicsSource::TANK: {
        const DynTankData* r = cache.GetTank(s.typeName.c_str());
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->save(s.version), s.tank.save(s.version));
        break;
      }
      case DynamicsSource::DRIVE: {
        const DynDriveData* r = cache.GetDrive(s.typeName.c_str());
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->save(s.version), s.drive.save(s.version));
        break;
      }
      case DynamicsSource::DRIVE_PART: {
        const DynDrivePartData* r = cache.GetDrivePart(s.typeName.c_str());
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->save(s.version), s.drivePart.save(s.version));
        break;
      }
      case DynamicsSource::SIMPLE: {
        const DynSimpleData* r = cache.GetSimple(s.typeName.c_str());
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->save(s.version), s.simple.save(s.version));
        break;
      }
    }
  }
  // The text's words became the right fields.
  const DynCarData* car = cache.GetCar("DemoCar");
  ASSERT_NE(car, nullptr);
  EXPECT_FLOAT_EQ(car->maxSteerAngle, 0.8f);
  EXPECT_FLOAT_EQ(car->highDriveForce, 10.0f);
  ASSERT_EQ(car->wheelCount, 4);
  EXPECT_EQ(car->wheels[0].name, "front");
  EXPECT_EQ(car->wheels[0].flags, DYNWHEEL_STEERED | DYNWHEEL_FRONT_TYRE);
  EXPECT_EQ(car->wheels[3].flags, DYNWHEEL_DRIVEN);
  EXPECT_FLOAT_EQ(car->wheels[3].attachment.z, -130.0f);
  const DynTankData* tank = cache.GetTank("DemoTank");
  ASSERT_NE(tank, nullptr);
  EXPECT_EQ(tank->trackNames[1], "NONE");
  ASSERT_EQ(tank->wheelCount, 6);
  EXPECT_EQ(tank->wheels[4].flags, DYNWHEEL_COLLIDER | DYNWHEEL_RIGHT_TRACK);
  const DynDriveData* drive = cache.GetDrive("DemoHover");
  ASSERT_NE(drive, nullptr);
  EXPECT_EQ(drive->joints[1].name, "TAILROTOR");
  EXPECT_EQ(drive->joints[1].axis, 1);
  EXPECT_FLOAT_EQ(drive->speedLimits[0], 600.0f);
  EXPECT_FLOAT_EQ(drive->rateLimits[1], 20.0f);
  const DynSimpleData* crate = cache.GetSimple("DemoCrate");
  ASSERT_NE(crate, nullptr);
  EXPECT_EQ(crate->colliderKind, DYNCOLLIDER_BOX);
  EXPECT_EQ(crate->effects, DYNEFFECT_DUST_BURST);
  EXPECT_FLOAT_EQ(crate->tiltLimit, -1.0f);
}

std::vector<HLOSpawnRecord> g_Spawned;
CHLO* KeepRecord(HLOSpawnRecord& record) {
  g_Spawned.push_back(record);
  return nullptr;
}

// The level's vehicles and crates built from their records where the level
// places them; after four seconds of physics they stand on the level's ground,
// neither sunk into it nor floating, and have come to rest.
TEST_F(DemoLevelData, VehiclesAndCratesBuildTheirDynamicsFromTheirFilesAndSettleOnTheLevel) {
  g_Spawned.clear();
  Load(KeepRecord);
  CEnvInstance* ground = env_->FindInstanceByName("Ground");
  ASSERT_NE(ground, nullptr);
  // Moved instances take a template without polygons, so that probes meet the level only.
  auto* marker = new CEnvObject;
  marker->TemplateKind = OTYPE_ENV;
  env_->AddObject(marker);
  auto instance = [&](const CVector3& at) {
    CEnvInstance* i = env_->CreateInstance(nullptr, marker, at, {0, 0, 0}, nullptr, 0, 0);
    ground->AttachChild(i);
    return i;
  };
  auto groundBelow = [&](float x, float z) {
    WorldHit hit{};
    EXPECT_EQ(env_->ProbeVertical({x, 0, z}, 1000.0f, &hit, false), 1);
    return hit.Point.y;
  };

  const DynamicsDescription described = DescribedDynamics(level_);
  CDynamicData cache;
  CDynamicsWorld physics(100);
  std::vector<std::unique_ptr<CCarDynamics>> cars;
  std::vector<std::unique_ptr<CTankDynamics>> tanks;
  std::vector<std::unique_ptr<CSimpleDynamics>> crates;
  std::vector<std::unique_ptr<CDriveDynamics>> drives;
  std::vector<DynCarData> carRecords;
  carRecords.reserve(8);
  std::vector<DynTankData> tankRecords;
  tankRecords.reserve(8);
  std::vector<CVector3> driveStarts;
  for (const HLOSpawnRecord& r : g_Spawned) {
    const float* at = &r.position.x;
    const float angles[3] = {r.rotation.x, r.rotation.y, r.rotation.z};
    // The game's object code knows the kind of each type; here the description tells it.
    const DynamicsSource* s = described.Find(r.statsName);
    if (s == nullptr) continue;
    if (s->kind == DynamicsSource::CAR) {
      DynCarData* record = cache.GetCar(r.statsName);
      ASSERT_NE(record, nullptr);
      // The vehicle code gives each wheel its instance.
      carRecords.push_back(*record);
      DynCarData& own = carRecords.back();
      for (int w = 0; w < own.wheelCount; ++w) own.wheels[w].instance = instance(r.position);
      const float lifted[3] = {at[0], groundBelow(at[0], at[2]) + 80.0f, at[2]};
      auto car = std::make_unique<CCarDynamics>();
      ASSERT_TRUE(car->Init(lifted, angles, instance(r.position), own)) << r.statsName;
      ASSERT_TRUE(physics.AddObject(car.get()));
      cars.push_back(std::move(car));
    } else if (s->kind == DynamicsSource::TANK) {
      DynTankData* record = cache.GetTank(r.statsName);
      ASSERT_NE(record, nullptr);
      // The vehicle code gives the road wheels and the tracks their instances.
      tankRecords.push_back(*record);
      DynTankData& own = tankRecords.back();
      for (int w = 0; w < own.wheelCount; ++w) own.wheels[w].instance = instance(r.position);
      for (CEnvInstance*& track : own.trackInstances) track = instance(r.position);
      const float lifted[3] = {at[0], groundBelow(at[0], at[2]) + 60.0f, at[2]};
      auto tank = std::make_unique<CTankDynamics>();
      ASSERT_TRUE(tank->Init(lifted, angles, instance(r.position), own)) << r.statsName;
      ASSERT_TRUE(physics.AddObject(tank.get()));
      tanks.push_back(std::move(tank));
    } else if (s->kind == DynamicsSource::DRIVE) {
      DynDriveData* record = cache.GetDrive(r.statsName);
      ASSERT_NE(record, nullptr);
      auto drive = std::make_unique<CDriveDynamics>();
      drive->Init(r.position, r.rotation, instance(r.position), record, -1, -1);
      EXPECT_FLOAT_EQ(drive->MaxForwardSpeed, record->speedLimits[0]);
      ASSERT_TRUE(physics.AddObject(drive.get()));
      driveStarts.push_back(r.position);
      drives.push_back(std::move(drive));
    } else if (s->kind == DynamicsSource::SIMPLE) {
      DynSimpleData* record = cache.GetSimple(r.statsName);
      ASSERT_NE(record, nullptr);
      auto crate = std::make_unique<CSimpleDynamics>();
      ASSERT_TRUE(crate->Init(at, angles, instance(r.position), *record)) << r.statsName;
      ASSERT_TRUE(physics.AddObject(crate.get()));
      crates.push_back(std::move(crate));
    }
  }
  ASSERT_EQ(cars.size(), 1u);
  ASSERT_EQ(tanks.size(), 1u);
  ASSERT_EQ(drives.size(), 1u);
  ASSERT_EQ(crates.size(), 3u);

  std::uint32_t now = 1000;
  for (int step = 0; step < 200; ++step) physics.StepAt(now += 20);

  auto speed = [](MdtBodyID body) {
    float v[3];
    MdtBodyGetLinearVelocity(body, v);
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  };
  auto position = [](MdtBodyID body) {
    float p[3];
    MdtBodyGetPosition(body, p);
    return CVector3{p[0] * 100.0f, p[1] * 100.0f, p[2] * 100.0f};
  };
  // Heights from the records: what touches the ground must stand on it
  // (within 2 units), neither sunk into it nor floating.
  {
    const DynCarData& r = carRecords[0];
    for (int w = 0; w < r.wheelCount; ++w) {
      const CVector3 p = position(cars[0]->Wheels[w].Body);
      EXPECT_NEAR(p.y - r.wheels[w].radius, groundBelow(p.x, p.z), 2.0f) << "car wheel " << w;
    }
    EXPECT_LT(speed(cars[0]->Chassis), 0.05f);
  }
  {
    // The road wheels' spheres below the hull's origin; the hull stands on
    // the hillside east of the rooms, tilted with it (so the wide margin),
    // where the idle tank creeps downhill: it is not asked to have come to rest.
    const DynTankData& r = tankRecords[0];
    const CVector3 p = position(tanks[0]->Hull);
    const float reach = r.wheels[0].attachment.y - r.massOffset.y - r.wheels[0].sphereRadius;
    EXPECT_NEAR(p.y + reach, groundBelow(p.x, p.z), 15.0f) << "the tank's wheels are not on the ground";
  }
  const DynSimpleData& crateRecord = *cache.GetSimple("DemoCrate");
  for (const auto& crate : crates) {
    const CVector3 p = position(crate->Body);
    const float bottom = p.y + crateRecord.boxOffset.y - crateRecord.boxSize.y / 2;
    const float above = bottom - groundBelow(p.x, p.z);
    // On the ground, or come to rest on another crate.
    EXPECT_TRUE(std::fabs(above) < 2.0f || std::fabs(above - crateRecord.boxSize.y) < 2.0f) << above;
    EXPECT_LT(speed(crate->Body), 0.05f);
  }
  // The hovering drive holds its height with no input.
  EXPECT_FLOAT_EQ(drives[0]->Position.y, driveStarts[0].y);

  for (auto& o : cars) physics.RemoveObject(o.get());
  for (auto& o : tanks) physics.RemoveObject(o.get());
  for (auto& o : drives) physics.RemoveObject(o.get());
  for (auto& o : crates) physics.RemoveObject(o.get());
}

// --- routes -------------------------------------------------------------------------------------

class DemoLevelRoutes : public DemoLevelData {
 protected:
  void SetUp() override {
    DemoLevelData::SetUp();
    SetGameTime(&clock_, now_, 1.0f / 30);
    SetRouteClocks(&clock_, &clock_);
  }
  void TearDown() override {
    FreeRouteData();
    SetRouteClocks(nullptr, nullptr);
    DemoLevelData::TearDown();
  }
  void NextFrame() {
    now_ += 33;
    SetGameTime(&clock_, now_, 1.0f / 30);
  }
  CTimer clock_;
  std::uint32_t now_ = 1000;
};

TEST_F(DemoLevelRoutes, StoredRoutesAreAsShortAsAReferenceSearch) {
  Load();
  ASSERT_EQ(StartRouteData(*env_, "DEMO", nullptr), 1) << "the level's stored route data is used";
  ASSERT_NE(g_Router, nullptr);
  CRouteMarkerList& list = *g_RouteMarkerList;
  EXPECT_EQ(static_cast<int>(list.Count), report_.routeMarkers);
  ASSERT_GT(list.Count, 50u);
  EXPECT_TRUE(QuadTreeIsOpen({-450, 0, -600}));

  std::mt19937 rng(7);
  std::uniform_int_distribution<std::uint32_t> pick(0, list.Count - 1);
  std::uniform_real_distribution<float> weight(1.0f, 3.0f);
  int found = 0;
  for (int k = 0; k < 80; ++k) {
    for (std::uint32_t i = 0; i < list.Count; ++i) list.GetMarker(i)->Weight = k % 2 ? weight(rng) : 1.0f;
    const std::uint32_t start = pick(rng), goal = pick(rng);
    if (start == goal) continue;  // found at once, whatever the mode
    list.GetMarker(goal)->Weight = 1.0f;
    const std::uint32_t mode = k % 3 == 0 ? 0 : 1;
    NextFrame();
    const RouteResult r = g_Router->FindRoute(start, goal, mode);
    const double best = route_reference::ShortestCost(start, goal, mode);
    if (r != ROUTE_FOUND) {
      EXPECT_LT(best, 0) << "the router missed a way " << start << "->" << goal;
      continue;
    }
    ++found;
    ASSERT_GE(best, 0) << start << "->" << goal;
    EXPECT_NEAR(g_Router->GetNode(goal)->G, best, 1e-4 * best + 1e-3) << start << "->" << goal << " mode " << mode;
  }
  EXPECT_GT(found, 60);
}

// A walker follows routes across the open ground in front of the rooms,
// about the crates, the pillar and the ramp there: it reaches each goal, its
// sphere never enters a room's walls and keeps clear of the ground it walks
// over (the routes may climb the foot of the hills south of the flat middle).
TEST_F(DemoLevelRoutes, AWalkerFollowsRoutesInFrontOfTheBuildingsWithoutEnteringGeometry) {
  Load();
  ASSERT_EQ(StartRouteData(*env_, "DEMO", nullptr), 1);
  CEnvInstance* ground = env_->FindInstanceByName("Ground");
  ASSERT_NE(ground, nullptr);
  // The rooms' outer walls seen from above (600 x 500, centred on x -450
  // and 450, z 50 to 550).
  struct Box {
    float x0, z0, x1, z1;
  };
  const Box rooms[2] = {{-750, 50, -150, 550}, {150, 50, 750, 550}};
  const struct {
    CVector3 start, goal;
  } trips[] = {{{450, 40, -300}, {-700, 40, -150}},
               {{-700, 40, -150}, {850, 40, -700}},
               {{850, 40, -700}, {-450, 40, -850}}};
  for (const auto& trip : trips) {
    SCOPED_TRACE(trip.start.x);
    const CQuadTreeNode* a = g_QuadTree->FindLeaf(trip.start);
    const CQuadTreeNode* b = g_QuadTree->FindLeaf(trip.goal);

    ASSERT_TRUE(a && b && a->IsOpen() && b->IsOpen());
    NextFrame();
    ASSERT_EQ(g_Router->FindRoute(a->MarkerIndex, b->MarkerIndex, 1), ROUTE_FOUND);
    CRoutePath path;
    path.BuildFromRoute(trip.start, trip.goal, RPF_START_POINT | RPF_NO_COST);
    CMoveController c;
    c.Position = trip.start;
    c.CollisionObject = ground;
    float deepest = -1e9f, lowest = 1e9f;
    int steps = 0;
    for (; path.State == 1 && steps < 4000; ++steps) {
      const CVector3* next = path.GetNextPoint();
      if (!next) break;
      const CVector3 to{next->x - c.Position.x, 0, next->z - c.Position.z};
      const float d = std::hypot(to.x, to.z);
      if (d < 10) {
        path.Advance(false);
        continue;
      }
      const float step = std::min(d, 20.0f);
      CSphere moved;
      c.MoveSphere(nullptr, 0, {to.x / d * step, 0, to.z / d * step}, &moved);
      const float progress = std::hypot(moved.Centre.x - c.Position.x, moved.Centre.z - c.Position.z);
      c.Position = moved.Centre;
      if (progress < 0.5f) path.Advance(false);
      // How far the sphere (radius 30) reaches into a room's walls.
      for (const Box& r : rooms) {
        const float nx = std::clamp(c.Position.x, r.x0, r.x1), nz = std::clamp(c.Position.z, r.z0, r.z1);
        const bool inside = nx == c.Position.x && nz == c.Position.z;
        const float gap = std::hypot(c.Position.x - nx, c.Position.z - nz);
        deepest = std::max(deepest, inside ? 1e9f : 30.0f - gap);
      }
      // The ground below: the walker goes over the level's hills, never into them.
      WorldHit hit{};
      ASSERT_EQ(env_->ProbeVertical(c.Position, 400.0f, &hit, true), 1);
      lowest = std::min(lowest, c.Position.y - hit.Point.y);
    }
    EXPECT_LT(std::hypot(c.Position.x - trip.goal.x, c.Position.z - trip.goal.z), 15.0f);
    EXPECT_LT(deepest, 0.5f);
    EXPECT_GT(lowest, 29.5f) << "the sphere (radius 30) reached into the ground";
    EXPECT_LT(steps, 4000);
  }
}

// --- regions, switches, emitters, tracer batteries, breakables ---------------------------------

// The module records the installed readers fill.
struct SectionModules {
  CTimer clock;
  CRegionList regions;
  CSwitchTable switches{&clock};
  CParticleEmitterList emitters;
  TracerBatteries tracers;
  CHLOManager objects{4, 10};
};
SectionModules* g_Modules = nullptr;

bool ReadRegions(EnvTextCursor& text, const EnvSectionContext& c) { return g_Modules->regions.ReadText(text, c.version); }
bool ReadSwitches(EnvTextCursor& text, const EnvSectionContext& c) {
  return g_Modules->switches.ReadText(text, c.version, c.environment, &g_Modules->regions, &g_Modules->objects);
}
bool ReadEmitters(EnvTextCursor& text, const EnvSectionContext& c) {
  return g_Modules->emitters.ReadSection(text, c.version, c.environment);
}
bool ReadTracers(EnvTextCursor& text, const EnvSectionContext& c) { return g_Modules->tracers.Read(text, c.version); }

CHLO* SpawnObject(HLOSpawnRecord& record) {
  auto* object = new CHLO(record, nullptr);
  g_Modules->objects.InsertObject(object);
  return object;
}

void MakeBreakable(CEnvInstance* instance, const EnvDamageBlock& block) {
  InstanceDamage d;
  d.Health = block.strength;
  d.DebrisCount = block.kind;
  d.Debris = block.debris;
  d.ExplosionStrength = block.value1;
  d.ExplosionSize = block.value2;
  d.Light = block.byteValue;
  d.SoundOff = block.int1;
  d.SoundOn = block.int2;
  SetInstanceDamage(instance, d);
}

std::vector<std::pair<CHLO*, float>> g_DoorCalls;
void DoorFollows(CHLO* object, float state) { g_DoorCalls.push_back({object, state}); }

TEST_F(DemoLevelData, SectionsLoadThroughTheModulesReaders) {
  // "Switches.txt" is read at game start, before any level.
  const std::string stats = Read("Switches.txt");
  ASSERT_EQ(SwitchStatsRead(stats.data(), stats.size(), 19), 1);
  ASSERT_EQ(SwitchStatsCount(), static_cast<int>(level_.SwitchTypes.size()));

  SectionModules modules;
  modules.objects.SetDeleteCallback([](CHLO* o) { delete o; });
  g_Modules = &modules;
  const std::pair<EnvSectionId, EnvSectionReader> readers[] = {{ENVSECTION_REGIONS, ReadRegions},
                                                               {ENVSECTION_SWITCHES, ReadSwitches},
                                                               {ENVSECTION_EMITTERS, ReadEmitters},
                                                               {ENVSECTION_TRACER_BATTERIES, ReadTracers}};
  for (const auto& [id, reader] : readers) SetEnvSectionReader(id, reader);
  SetEnvDamageBlockHandler(MakeBreakable);
  Load(SpawnObject);
  for (const auto& [id, reader] : readers) SetEnvSectionReader(id, nullptr);
  SetEnvDamageBlockHandler(nullptr);
  for (const auto& [id, reader] : readers) EXPECT_EQ(GetEnvSectionReader(id), GetDefaultEnvSectionReader(id));

  // Regions, in order, by name and shape.
  ASSERT_EQ(modules.regions.GetCount(), static_cast<int>(level_.Regions.size()));
  ASSERT_GE(level_.Regions.size(), 3u);
  for (std::size_t i = 0; i < level_.Regions.size(); ++i) {
    const LevelRegionSource& s = level_.Regions[i];
    SCOPED_TRACE(s.Name);
    const CRegion* r = modules.regions.GetRegion(static_cast<int>(i));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r, modules.regions.FindByName(s.Name.c_str()));
    EXPECT_EQ(r->Type, static_cast<std::uint32_t>(s.Type));
    const CVector3 middle = s.Type == 0 ? CVector3{s.Position.x + (s.Min.x + s.Max.x) / 2,
                                                   s.Position.y + (s.Min.y + s.Max.y) / 2,
                                                   s.Position.z + (s.Min.z + s.Max.z) / 2}
                                        : s.Position;
    const float reach = s.Type == 0 ? s.Max.x - s.Min.x : 2 * s.Radius;
    EXPECT_TRUE(r->ContainsPoint(middle));
    EXPECT_FALSE(r->ContainsPoint({middle.x + reach * 0.51f, middle.y, middle.z}));
  }

  // The switches in order; the lever that works a door: its type, its
  // visual, its region, and the door.
  ASSERT_EQ(modules.switches.GetCount(), static_cast<int>(level_.Switches.size()));
  int doorLever = -1;
  for (std::size_t i = 0; i < level_.Switches.size(); ++i) {
    const CSwitch* w = modules.switches.GetSwitch(static_cast<int>(i));
    ASSERT_NE(w->Type, nullptr);
    EXPECT_STREQ(w->Type->Name, level_.Switches[i].Type.c_str());
    if (level_.Switches[i].Links[0] != 0) doorLever = static_cast<int>(i);
  }
  ASSERT_GE(doorLever, 0) << "a switch is linked to a door";
  const LevelSwitchSource& lever = level_.Switches[static_cast<std::size_t>(doorLever)];
  CSwitch* s = modules.switches.GetSwitch(doorLever);
  const LevelSwitchTypeSource* type = nullptr;
  for (const LevelSwitchTypeSource& t : level_.SwitchTypes)
    if (t.Name == lever.Type) type = &t;
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(s->TravelTime, static_cast<std::uint32_t>(type->TravelTime * 1000.0f));
  EXPECT_EQ(s->Region, modules.regions.FindByName(lever.Region.c_str()));
  ASSERT_NE(s->FirstInstance, nullptr) << "the lever's visual is made from its object file";
  EXPECT_EQ(s->FirstInstance->Template, env_->FindObjectByName("lever"));
  EXPECT_EQ(s->SecondInstance, nullptr);
  EXPECT_EQ(s->LinkValue, lever.LinkValue);
  CHLO* door = modules.objects.FindByIdSlow(lever.Links[0]);
  ASSERT_NE(door, nullptr);
  EXPECT_EQ(s->FirstLinked, door);
  EXPECT_EQ(s->ThrownRotation.z, s->RestRotation.z + type->RotationOffset.z);
  // Thrown from its region, it takes the door with it when its move ends.
  g_DoorCalls.clear();
  CSwitchTable::SetSwitchObjectCallback(DoorFollows);
  SetGameTime(&modules.clock, 1000, 1.0f / 30);
  const CRegion* leverRegion = modules.regions.FindByName(lever.Region.c_str());
  CVector3 standing = leverRegion->Box.Centre;
  standing.y -= 100.0f;  // the point is raised by 100 before the test
  ASSERT_TRUE(modules.switches.UseAt(standing, 7));
  SetGameTime(&modules.clock, 1000 + s->TravelTime + 100, 1.0f / 30);
  modules.switches.Update();
  CSwitchTable::SetSwitchObjectCallback(nullptr);
  ASSERT_EQ(g_DoorCalls.size(), 1u);
  EXPECT_EQ(g_DoorCalls[0].first, door);
  EXPECT_EQ(g_DoorCalls[0].second, 1.0f);

  // Emitters, running from the level, where and what the description says.
  EXPECT_EQ(modules.emitters.GetSkippedRecords(), 0);
  ASSERT_GE(level_.Emitters.size(), 2u);
  for (std::size_t i = 0; i < level_.Emitters.size(); ++i) {
    const ParticleEmitter& want = level_.Emitters[i];
    const ParticleEmitter* e = modules.emitters.Get(static_cast<int>(i));
    SCOPED_TRACE(i);
    EXPECT_EQ(e->Type, want.Type);
    EXPECT_EQ(e->Flags, want.Flags | PEF_FROM_LEVEL | PEF_RUNNING_AT_START);
    EXPECT_FLOAT_EQ(e->Position.y, want.Position.y);
    EXPECT_FLOAT_EQ(e->MaxVelocity.y, want.MaxVelocity.y);
    EXPECT_FLOAT_EQ(e->MinDelay, want.MinDelay);
    EXPECT_FLOAT_EQ(e->MaxLifetime, want.MaxLifetime);
    EXPECT_FLOAT_EQ(e->Colour[2], want.Colour[2]);
  }
  EXPECT_EQ(modules.emitters.Get(static_cast<int>(level_.Emitters.size()))->Flags, 0u) << "no more";

  // Tracer batteries.
  ASSERT_EQ(modules.tracers.GetCount(), static_cast<int>(level_.Tracers.size()));
  ASSERT_GE(level_.Tracers.size(), 1u);
  EXPECT_FLOAT_EQ(modules.tracers.Get(0)->Position.x, level_.Tracers[0].x);

  // The crate stack: breakable with its damage record; plain crates not.
  int breakable = 0;
  for (const EnvFileInstanceSource& i : level_.Env.instances) {
    CEnvInstance* instance = env_->FindInstanceByName(i.name.c_str());
    ASSERT_NE(instance, nullptr);
    const InstanceDamage* d = GetInstanceDamage(instance);
    if ((i.flags & 0x400000) == 0) {
      EXPECT_EQ(d, nullptr) << i.name;
      continue;
    }
    ++breakable;
    ASSERT_NE(d, nullptr) << i.name;
    EXPECT_EQ(d->Health, i.damageStrength);
    EXPECT_EQ(d->DebrisCount, i.damageKind);
    EXPECT_EQ(d->Debris, nullptr) << "pieces of its own kind";
  }
  EXPECT_GE(breakable, 3);
  FreeInstanceDamageRecords();
  SwitchStatsFree();
  g_Modules = nullptr;
}

// --- the descriptions' own readers ---------------------------------------------------------------

TEST(LevelDescription, RecordsBecomeSectionsThroughTheirWriters) {
  const std::string text =
      "level T\n"
      "region Pad box at 10 0 20 rotate 0 90 0 from -50 0 -50 to 50 100 50\n"
      "region Pool sphere at 0 0 0 radius 75\n"
      "switchtype Lever lever NONE move 0 5 0 turn 0 0 -60 time 0.25\n"
      "switch L parent Ground at 1 2 3 type Lever region Pad links 101 0 value 4\n"
      "emitter type 6 at 1 2 3 velocity 0 10 0 to 0 20 0 delay 0.5 1 colour 1 0 0 1\n"
      "tracer at 5 6 7\n";
  LevelDescription level;
  std::string error;
  ASSERT_TRUE(ReadLevelDescriptionText(text, "t.txt", ".", &level, &error)) << error;
  const std::string env = EnvFileWrite(level.Env);

  // Each section read back by its module's reader from where the file has it.
  CRegionList regions;
  EnvTextCursor r(level.Env.sections[ENVSECTION_REGIONS].c_str());
  ASSERT_TRUE(regions.ReadText(r, 72));
  ASSERT_EQ(regions.GetCount(), 2);
  EXPECT_TRUE(regions.FindByName("Pad")->ContainsPoint({10 + 45, 50, 20}));
  EXPECT_FALSE(regions.FindByName("Pool")->ContainsPoint({0, 0, 75}));
  ASSERT_NE(env.find(level.Env.sections[ENVSECTION_REGIONS]), std::string::npos);

  ASSERT_EQ(level.Files.size(), 1u);
  EXPECT_EQ(level.Files[0].Name, "Switches.txt");
  ASSERT_EQ(SwitchStatsRead(level.Files[0].Text.data(), level.Files[0].Text.size(), 19), 1);
  const SwitchStats* type = SwitchStatsFind("Lever");
  ASSERT_NE(type, nullptr);
  EXPECT_STREQ(type->FirstModel, "lever");
  EXPECT_STREQ(type->SecondModel, "NONE");
  EXPECT_EQ(type->PositionOffset.y, 5.0f);
  EXPECT_EQ(type->TravelTime, 250u);
  CTimer clock;
  CSwitchTable switches(&clock);
  EnvTextCursor w(level.Env.sections[ENVSECTION_SWITCHES].c_str());
  ASSERT_TRUE(switches.ReadText(w, 72, nullptr, &regions, nullptr));
  ASSERT_EQ(switches.GetCount(), 1);
  EXPECT_EQ(switches.GetSwitch(0)->Region, regions.FindByName("Pad"));
  EXPECT_EQ(switches.GetSwitch(0)->LinkValue, 4);
  EXPECT_EQ(switches.GetSwitch(0)->ThrownPosition.y, 7.0f);
  SwitchStatsFree();

  CParticleEmitterList emitters;
  EnvTextCursor e(level.Env.sections[ENVSECTION_EMITTERS].c_str());
  ASSERT_TRUE(emitters.ReadSection(e, 72, nullptr));
  EXPECT_EQ(emitters.Get(0)->Type, 6);
  EXPECT_EQ(emitters.Get(0)->Flags, PEF_RUNNING | PEF_COLOURED | PEF_RUNNING_AT_START | PEF_FROM_LEVEL);
  EXPECT_EQ(emitters.Get(0)->MaxDelay, 1.0f);
  EXPECT_EQ(emitters.Get(1)->Flags, 0u);

  TracerBatteries tracers;
  EnvTextCursor t(level.Env.sections[ENVSECTION_TRACER_BATTERIES].c_str());
  ASSERT_TRUE(tracers.Read(t, 72));
  ASSERT_EQ(tracers.GetCount(), 1);
  EXPECT_EQ(tracers.Get(0)->Position.z, 7.0f);
}

TEST(LevelDescription, SectionRecordsThatCannotBeWrittenAreRefused) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"level T\nregion R cone at 0 0 0\n", "t.txt:2: a region is a box or a sphere"},
      {"level T\nregion R box at 0 0 0 from 0 0 0\n", "t.txt:2: a box region needs \"from\" and \"to\""},
      {"level T\nregion R sphere at 0 0 0 from 1 1 1\n", "t.txt:2: unknown region option \"from\""},
      {"level T\nswitchtype L lever NONE turn 0 0 1\n", "t.txt:2: a switch type needs its travel time"},
      {"level T\nswitch S parent G at 0 0 0 type L\n", "t.txt:2: a switch needs its parent, type and region"},
      {"level T\nemitter type 19 at 0 0 0 delay 1 1\n", "t.txt:2: no particle type 19"},
      {"level T\nemitter type 6 at 0 0 0 delay 0.1 1\n",
       "t.txt:2: an emitter's delays are at least 0.2 s, the second not below the first"},
      {"level T\ntracer 1 2 3\n", "t.txt:2: a tracer is \"tracer at x y z\""},
      {"level T\nregion R box at 0 0 0 from 0 0 0 to 1 1 1\nswitchtype L lever NONE time 1\n"
       "switch S parent G at 0 0 0 type M region R\n",
       "T: switch \"S\": no switch type \"M\" is described"},
      {"level T\nregion R sphere at 0 0 0 radius 1\nswitchtype L lever NONE time 1\n"
       "switch S parent G at 0 0 0 type L region R\n",
       "T: switch \"S\": no box region \"R\" is described"},
      {"level T\ntracer at 1 2 3\nsection tracers\nTRACERBATTERIES 0\nendsection\n",
       "T: the tracers section is given both as text and by records"},
      {"level T\nswitchtype L,x lever NONE time 1\n", "T: switch type \"L,x\": the name does not fit"},
  };
  for (const Case& c : cases) {
    LevelDescription level;
    std::string error;
    EXPECT_FALSE(ReadLevelDescriptionText(c.text, "t.txt", "", &level, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

// Writes its files into a scratch folder.
class DynamicsDescriptionFiles : public FileTest {};

TEST_F(DynamicsDescriptionFiles, RecordsAreWrittenThroughTheirWritersAndReadBack) {
  const std::string text =
      "car C version 1\n"
      "  driveForce 4  # high force comes from the version\n"
      "  mass 3\n"
      "  wheel a flags driven,steered radius 30 at 1 2 3\n"
      "  wheel b flags follows follows 0 radius 30\n"
      "end\n"
      "drive D version 0\n"
      "  speedLimits 1 2\n"
      "  joint z rotor\n"
      "end\n"
      "simple S version 2\n"
      "  collider sphere\n"
      "  sphereRadius 12\n"
      "  effects dust\n"
      "end\n";
  DynamicsDescription d;
  std::string error;
  ASSERT_TRUE(ReadDynamicsDescription(text, "d.txt", &d, &error)) << error;
  ASSERT_EQ(d.Records.size(), 3u);
  std::vector<std::string> written;
  ASSERT_TRUE(WriteDynamicsFiles(d, ".", &written, &error)) << error;
  EXPECT_EQ(written, (std::vector<std::string>{"C.dyn", "D.dyn", "S.dyn"}));

  DynCarData car;
  ASSERT_TRUE(ParseDynamicFile(d.Records[0].FileText().c_str(), "C.dyn", car, error)) << error;
  EXPECT_EQ(car.highDriveForce, 6.0f) << "version 1: 1.5 x the drive force";
  ASSERT_EQ(car.wheelCount, 2);
  EXPECT_EQ(car.wheels[1].flags, DYNWHEEL_FOLLOWS_SPIN);
  EXPECT_EQ(car.wheels[1].followWheel, 0);
  EXPECT_EQ(car.wheels[0].attachment.z, 3.0f);
  DynDriveData drive;
  ASSERT_TRUE(ParseDynamicFile(d.Records[1].FileText().c_str(), "D.dyn", drive, error)) << error;
  EXPECT_EQ(drive.joints[0].axis, 2);
  EXPECT_EQ(drive.joints[0].name, "rotor");
  DynSimpleData simple;
  ASSERT_TRUE(ParseDynamicFile(d.Records[2].FileText().c_str(), "S.dyn", simple, error)) << error;
  EXPECT_EQ(simple.colliderKind, DYNCOLLIDER_SPHERE);
  EXPECT_EQ(simple.effects, 0) << "version 2 files hold no effect flags";
  EXPECT_EQ(simple.tiltLimit, -1.0f) << "a field not given keeps its blank value";
}

TEST_F(DynamicsDescriptionFiles, MistakesAreReportedWithTheLine) {
  struct Case {
    std::string text;
    std::string error;
  } cases[] = {
      {"boat B\nend\n", "d.txt:1: unknown record kind \"boat\""},
      {"car C\n  wingspan 3\nend\n", "d.txt:2: unknown field \"wingspan\""},
      {"car C\n  mass heavy\nend\n", "d.txt:2: \"heavy\" is not a number"},
      {"car C\n  mass nan\nend\n", "d.txt:2: \"nan\" is not a number"},
      {"car C\n  mass inf\nend\n", "d.txt:2: \"inf\" is not a number"},
      {"car C\n  mass 1e39\nend\n", "d.txt:2: \"1e39\" is not a number"},
      {"car C\n  mass 1 2\nend\n", "d.txt:2: unexpected word \"2\""},
      {"car C\n  wheel w flags driven,flying\nend\n", "d.txt:2: unknown flag \"flying\""},
      {"simple S\n  wheel w\nend\n", "d.txt:2: only cars and tanks have wheels"},
      {"drive D\n  joint w rotor\nend\n", "d.txt:2: a joint's axis is x, y or z"},
      {"drive D\n  joint x a\n  joint y b\n  joint z c\nend\n", "d.txt:4: a drive has two joints"},
      {"car C\n  mass 1\n", "d.txt:2: \"C\" has no \"end\""},
      {"car C\nend\ntank C\nend\n", "d.txt:3: \"C\" is described twice"},
      {"car C version -1\nend\n", "d.txt:1: a version is 0 or more"},
      {"car C version 99999999999\nend\n", "d.txt:1: \"99999999999\" is not a whole number"},
      {"car C\n  wheel \"front left\"\nend\n", "d.txt:2: \"front left\" cannot stand as a name in the file"},
      {"drive D version 0\n  joint x \"main rotor\"\nend\n",
       "d.txt:2: \"main rotor\" cannot stand as a name in the file"},
      {"car ../C\nend\n", "d.txt:1: a type name is letters, digits, '_' and '-'"},
      {"tank T\n  tracks a,b c\nend\n", "d.txt:2: \"a,b\" cannot stand as a name in the file"},
      {"tank T\n  mass 15\nend\n", "d.txt:3: a tank names its two tracks (\"tracks left right\")"},
      {std::string("car C\n  wheel wh") + '\0' + "el\nend\n",
       std::string("d.txt:2: \"wh") + '\0' + "el\" cannot stand as a name in the file"},
  };
  for (const Case& c : cases) {
    DynamicsDescription d;
    std::string error;
    EXPECT_FALSE(ReadDynamicsDescription(c.text, "d.txt", &d, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
  // The engine's reader refuses what the description cannot mean: a wheel
  // following a wheel the car does not have.
  DynamicsDescription d;
  std::string error;
  ASSERT_TRUE(ReadDynamicsDescription("car C\n  wheel w flags follows follows 3\nend\n", "d.txt", &d, &error));
  EXPECT_FALSE(WriteDynamicsFiles(d, ".", nullptr, &error));
  EXPECT_NE(error.find("C.dyn does not read back"), std::string::npos) << error;
}

}  // namespace
