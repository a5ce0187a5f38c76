// Routes per second through CRouter on the route markers of a generated maze
// level (about 2,000 markers built by the engine's own quadtree builder),
// against Boost Graph's astar_search on the same graph, step costs and
// estimate, in one run: the ratio and the summed path lengths of both are
// printed first.  Also the route quadtree's build.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "world/environment/environment.h"
#include "world/routes/quad_tree.h"
#include "world/routes/route_marker.h"
#include "world/routes/router.h"
#include "world/routes/route_world_fixture.h"

#if HALBERD_BENCH_BOOST_GRAPH
#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/astar_search.hpp>
#endif

namespace {

struct Bench {
  std::unique_ptr<route_fixture::Maze> maze;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
};

Bench& GetBench() {
  static Bench* b = [] {
    auto* bench = new Bench;
    route_fixture::MazeOptions o;
    o.seed = 17;
    // The smallest maze of at least 2,000 markers.
    for (o.halfCells = 30;; ++o.halfCells) {
      o.extraOpenings = o.halfCells * o.halfCells / 2;
      bench->maze = route_fixture::MakeMaze(o);
      BuildRouteData(*bench->maze->env);
      if (g_RouteMarkerList->Count >= 2000) break;
    }
    // Weights as route paths leave them: raised on a few markers.
    std::mt19937 rng(5);
    std::uniform_int_distribution<std::uint32_t> pick(0, g_RouteMarkerList->Count - 1);
    for (int k = 0; k < 200; ++k) g_RouteMarkerList->GetMarker(pick(rng))->Weight += 0.25f * (1 + k % 4);
    for (int k = 0; k < 256; ++k) bench->pairs.push_back({pick(rng), pick(rng)});
    // Goals keep weight 1, so the estimate never exceeds the cost left and
    // both searches find shortest routes.
    for (const auto& pair : bench->pairs) g_RouteMarkerList->GetMarker(pair.second)->Weight = 1.0f;
    return bench;
  }();
  return *b;
}

// Our router, its budget renewed for every search; the cost of the route.
float OurRoute(CRouter& router, std::uint32_t s, std::uint32_t g) {
  router.SearchesThisFrame = 0;
  if (router.FindRoute(s, g, 1) != ROUTE_FOUND) return -1;
  return router.GetNode(g)->G;
}

#if HALBERD_BENCH_BOOST_GRAPH
using Graph = boost::adjacency_list<boost::vecS, boost::vecS, boost::directedS, boost::no_property,
                                    boost::property<boost::edge_weight_t, float>>;

struct Found {};

class Estimate : public boost::astar_heuristic<Graph, float> {
 public:
  explicit Estimate(std::uint32_t goal) : goal_(goal) {}
  float operator()(std::size_t v) const { return RouteCost(static_cast<std::uint32_t>(v), goal_); }

 private:
  std::uint32_t goal_;
};

class StopAtGoal : public boost::default_astar_visitor {
 public:
  explicit StopAtGoal(std::size_t goal) : goal_(goal) {}
  void examine_vertex(std::size_t v, const Graph&) const {
    if (v == goal_) throw Found{};
  }

 private:
  std::size_t goal_;
};

struct PeerGraph {
  Graph graph;
  std::vector<std::size_t> parents;
  std::vector<float> distances;
};

PeerGraph& GetPeer() {
  static PeerGraph* p = [] {
    auto* peer = new PeerGraph;
    const CRouteMarkerList& list = *g_RouteMarkerList;
    peer->graph = Graph(list.Count);
    for (std::uint32_t a = 0; a < list.Count; ++a)
      for (std::uint16_t b : list.GetMarker(a)->Links)
        if (b != kNoLink) boost::add_edge(a, b, RouteCost(a, b), peer->graph);
    peer->parents.resize(list.Count);
    peer->distances.resize(list.Count);
    return peer;
  }();
  return *p;
}

float BoostRoute(std::uint32_t s, std::uint32_t g) {
  PeerGraph& p = GetPeer();
  try {
    boost::astar_search(p.graph, s, Estimate(g),
                        boost::visitor(StopAtGoal(g))
                            .predecessor_map(boost::make_iterator_property_map(
                                p.parents.begin(), boost::get(boost::vertex_index, p.graph)))
                            .distance_map(boost::make_iterator_property_map(p.distances.begin(),
                                                                            boost::get(boost::vertex_index, p.graph))));
  } catch (const Found&) {
    return p.distances[g];
  }
  return -1;
}
#endif

template <typename F>
double RoutesPerSecond(int n, F route, double* totalLength) {
  Bench& b = GetBench();
  double total = 0;
  auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < n; ++i) {
    const auto& pair = b.pairs[static_cast<std::size_t>(i) % b.pairs.size()];
    const float cost = route(pair.first, pair.second);
    if (i < static_cast<int>(b.pairs.size()) && cost > 0) total += cost;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  *totalLength = total;
  return n / seconds;
}

void PrintComparison() {
  Bench& b = GetBench();
  std::printf("maze: %d cells a side, %u route markers, %u open and %u closed leaves\n", b.maze->grid,
              g_RouteMarkerList->Count, g_QuadTree->OpenLeaves, g_QuadTree->ClosedLeaves);
  CRouter& router = *g_Router;
  double ours = 0;
  const double oursRate = RoutesPerSecond(2048, [&](std::uint32_t s, std::uint32_t g) { return OurRoute(router, s, g); },
                                          &ours);
  std::printf("CRouter: %.0f routes/s, summed path length of %zu routes %.1f\n", oursRate, b.pairs.size(), ours);
#if HALBERD_BENCH_BOOST_GRAPH
  double peer = 0;
  const double peerRate = RoutesPerSecond(2048, BoostRoute, &peer);
  std::printf("Boost astar_search: %.0f routes/s, summed path length %.1f\n", peerRate, peer);
  std::printf("CRouter / Boost = %.3f (routes per second); path lengths %s\n", oursRate / peerRate,
              std::fabs(ours - peer) <= 1e-4 * peer ? "equal" : "DIFFER");
#else
  std::printf("Boost Graph not installed: no peer ratio\n");
#endif
}

void BM_RouterFindRoute(benchmark::State& state) {
  Bench& b = GetBench();
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& pair = b.pairs[i++ % b.pairs.size()];
    benchmark::DoNotOptimize(OurRoute(*g_Router, pair.first, pair.second));
  }
  state.SetItemsProcessed(state.iterations());
}

#if HALBERD_BENCH_BOOST_GRAPH
void BM_BoostAStar(benchmark::State& state) {
  Bench& b = GetBench();
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& pair = b.pairs[i++ % b.pairs.size()];
    benchmark::DoNotOptimize(BoostRoute(pair.first, pair.second));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BoostAStar);
#endif

// The quadtree of the same level, built from its environment.
void BM_QuadTreeBuild(benchmark::State& state) {
  Bench& b = GetBench();
  for (auto _ : state) benchmark::DoNotOptimize(BuildQuadTree(*b.maze->env));
  // Leave the level's route data as the other benchmarks expect it.
  BuildRouteData(*b.maze->env);
}

BENCHMARK(BM_RouterFindRoute);
BENCHMARK(BM_QuadTreeBuild)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  PrintComparison();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
