#include "world/routes/route_world_fixture.h"

#include <algorithm>
#include <random>

#include "render/bsp/bsp_compiler.h"
#include "render/geometry/geometry_ops.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/space/zone_record.h"
#include "world/routes/quad_tree.h"

using geom::operator-;

namespace route_fixture {
namespace {

using Poly = std::vector<CVector3>;

CEnvObject* MakeTemplate(CEnvironment& env, const std::vector<Poly>& polys, std::int32_t kind) {
  auto* t = new CEnvObject;
  t->TemplateKind = kind;
  BspSource source;
  CVector3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
  for (const Poly& p : polys) {
    source.push_back({p, 0});
    for (const CVector3& v : p) {
      lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
      hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
    }
  }
  t->Bounds.Min = lo;
  t->Bounds.Max = hi;
  t->Bsp = CompileBspTree(source).release();
  t->CollisionBsp = t->Bsp;
  env.AddObject(t);
  return t;
}

// The six outward faces of a box of half sizes h centred at the origin.
std::vector<Poly> Box(CVector3 h) {
  std::vector<Poly> out;
  for (int axis = 0; axis < 3; ++axis) {
    for (int s = -1; s <= 1; s += 2) {
      const int u = (axis + 1) % 3, v = (axis + 2) % 3;
      auto corner = [&](float cu, float cv) {
        float c[3];
        c[axis] = s * (&h.x)[axis];
        c[u] = cu * (&h.x)[u];
        c[v] = cv * (&h.x)[v];
        return CVector3{c[0], c[1], c[2]};
      };
      Poly p{corner(-1, -1), corner(1, -1), corner(1, 1), corner(-1, 1)};
      CVector3 n{0, 0, 0};
      (&n.x)[axis] = static_cast<float>(s);
      if (geom::Dot(geom::Cross(p[1] - p[0], p[2] - p[0]), n) < 0) std::reverse(p.begin(), p.end());
      out.push_back(p);
    }
  }
  return out;
}

std::unique_ptr<Maze> Finish(std::unique_ptr<Maze> m) {
  CEnvironment& env = *m->env;
  // One unit wider than the grid, so that a leaf centred on the grid's edge
  // finds the floor under it.
  const float lo = -1, hi = m->grid * kCell + 1;
  Poly floor{{lo, 0, lo}, {lo, 0, hi}, {hi, 0, hi}, {hi, 0, lo}};
  if (geom::Dot(geom::Cross(floor[1] - floor[0], floor[2] - floor[0]), CVector3{0, 1, 0}) < 0)
    std::reverse(floor.begin(), floor.end());
  // Everything stands in one zone, so that the sphere moves see it.
  auto* marker = new CEnvObject;
  marker->TemplateKind = OTYPE_ENV;
  env.AddObject(marker);
  m->zone = env.CreateInstance("Maze", marker, {0, 0, 0}, {0, 0, 0}, nullptr, 0, 0);
  m->zone->Zone = new ZoneRecord;
  CEnvObject* ground = MakeTemplate(env, {floor}, OTYPE_LANDSCAPE);
  m->floor = env.CreateInstance("Floor", ground, {0, 0, 0}, {0, 0, 0}, nullptr, 0, 0);
  m->zone->AttachChild(m->floor);
  CEnvObject* block = MakeTemplate(env, Box({kCell / 2, kWallHeight / 2, kCell / 2}), OTYPE_ENV);
  for (int z = 0; z < m->grid; ++z)
    for (int x = 0; x < m->grid; ++x)
      if (m->IsWall(x, z)) {
        CVector3 c = Maze::Centre(x, z);
        c.y = kWallHeight / 2;
        m->zone->AttachChild(env.CreateInstance(nullptr, block, c, {0, 0, 0}, nullptr, 0, 0));
      }
  env.ComputeWorldBounds();
  env.BuildStaticList();
  env.BuildOctrees(nullptr, false);
  env.SetViewInstance(m->zone);
  env.UseZones = 0;
  return m;
}

std::unique_ptr<Maze> NewMaze(int grid) {
  auto m = std::make_unique<Maze>();
  m->env = std::make_unique<CEnvironment>(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  m->grid = grid;
  m->wall.assign(static_cast<std::size_t>(grid * grid), 1);
  return m;
}

}  // namespace

Maze::~Maze() {
  FreeRouteData();
  env.reset();
}

std::unique_ptr<Maze> MakeMaze(const MazeOptions& o) {
  const int n = 2 * o.halfCells + 1;
  auto m = NewMaze(n + 1);  // an even grid keeps the cells on the quadtree's leaves
  std::mt19937 rng(o.seed);
  auto open = [&](int x, int z) { m->wall[static_cast<std::size_t>(z * m->grid + x)] = 0; };
  // Depth-first carving over the odd cells.
  std::vector<std::pair<int, int>> stack{{1, 1}};
  open(1, 1);
  while (!stack.empty()) {
    auto [x, z] = stack.back();
    int dirs[4][2] = {{2, 0}, {-2, 0}, {0, 2}, {0, -2}};
    std::shuffle(std::begin(dirs), std::end(dirs), rng);
    bool moved = false;
    for (auto& d : dirs) {
      const int nx = x + d[0], nz = z + d[1];
      if (nx < 1 || nz < 1 || nx >= n - 1 || nz >= n - 1 || !m->IsWall(nx, nz)) continue;
      open(x + d[0] / 2, z + d[1] / 2);
      open(nx, nz);
      stack.push_back({nx, nz});
      moved = true;
      break;
    }
    if (!moved) stack.pop_back();
  }
  std::uniform_int_distribution<int> cell(1, n - 2);
  for (int k = 0; k < o.extraOpenings; ++k) {
    const int x = cell(rng), z = cell(rng);
    // Only walls between two open cells in a line, so no pillar stands alone.
    if ((x + z) % 2 == 1 && m->IsWall(x, z)) open(x, z);
  }
  if (o.sealedPocket) {
    // The far corner cell walled in on every side.
    const int x = n - 2, z = n - 2;
    m->wall[static_cast<std::size_t>(z * m->grid + x - 1)] = 1;
    m->wall[static_cast<std::size_t>((z - 1) * m->grid + x)] = 1;
    m->pocketX = x;
    m->pocketZ = z;
  }
  return Finish(std::move(m));
}

std::unique_ptr<Maze> MakeGridWorld(const std::vector<const char*>& rows) {
  auto m = NewMaze(static_cast<int>(rows.size()));
  for (int z = 0; z < m->grid; ++z)
    for (int x = 0; x < m->grid; ++x)
      m->wall[static_cast<std::size_t>(z * m->grid + x)] = rows[static_cast<std::size_t>(z)][x] == '#' ? 1 : 0;
  return Finish(std::move(m));
}

void SetClock(CTimer* timer, std::uint32_t gameTimeMs, float frameTime) {
  CTimer::State s;
  timer->SaveState(&s);
  s.gameTime = gameTimeMs;
  s.frameTime = frameTime;
  timer->RestoreState(s);
}

}  // namespace route_fixture
