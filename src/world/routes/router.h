// The router: an A* search over the route-marker graph from a start marker
// to a goal marker, one search node per marker.  All units together may run
// only three searches in a frame (the budget renews whenever the game clock's
// time has moved on); a unit that asks later gets ROUTE_OVER_BUDGET and asks
// again next frame.  When the goal cannot be reached the path leads to the
// expanded node that came nearest to it (ROUTE_PARTIAL).  Before a path is
// handed back, nodes in the middle of straight runs along x or z are dropped.
// The search never changes the graph.  Main thread only.
#pragma once

#include <cstdint>
#include <memory>

class CRouteMarkerList;

enum RouteResult : std::uint32_t {
  ROUTE_FOUND = 0,
  ROUTE_PARTIAL = 1,
  ROUTE_OVER_BUDGET = 2,
  ROUTE_NONE = 3,
};

enum RouteNodeFlags : std::uint8_t {
  RNF_OPEN = 0x01,
  RNF_CLOSED = 0x02,
  RNF_SEARCH_BITS = 0x3F,  // cleared by every search; bits 6 and 7 survive
};

// "No way found yet".
inline constexpr float kRouteUnreached = 4294967296.0f;
inline constexpr std::uint32_t kRouteSearchLimit = 3;

struct RouteSearchNode {
  std::uint32_t Marker = 0;
  float G = kRouteUnreached;
  float H = 0;
  RouteSearchNode* NextOpen = nullptr;
  // The predecessor on the best way; after a search the result path runs
  // through this field from the start side to the goal.
  RouteSearchNode* Parent = nullptr;
  std::uint8_t Flags = 0;
};

// Distance from marker a to marker b (3D) times the weight of b, in the
// current marker list.
float RouteCost(std::uint32_t a, std::uint32_t b);

class CRouter {
 public:
  explicit CRouter(std::uint32_t markerCount);
  void Free();

  // Renews the budget when the game clock's time differs from the stamp;
  // true while searches are left in this frame.
  bool CanSearch();
  // Mode 1 starts from the start marker itself; any other mode seeds the
  // start marker's links (their first steps cost the start marker's weight)
  // and leaves the start marker out of the path.
  RouteResult FindRoute(std::uint32_t start, std::uint32_t goal, std::uint32_t mode);
  // First node of the last result path (follow Parent toward the goal).
  RouteSearchNode* GetResult() const { return ResultPath; }
  std::uint32_t CountResult() const;
  RouteSearchNode* GetNode(std::uint32_t i) const { return &Nodes[i]; }
  RouteResult GetLastResult() const { return LastResult; }
  std::uint32_t GetNodeCount() const { return NodeCount; }
  std::uint32_t GetSearchesThisFrame() const { return SearchesThisFrame; }

  RouteSearchNode* PopBest();

  RouteSearchNode* OpenList = nullptr;
  std::unique_ptr<RouteSearchNode[]> Nodes;
  RouteResult LastResult = ROUTE_NONE;
  RouteSearchNode* ResultPath = nullptr;
  RouteSearchNode* NearestNode = nullptr;
  std::uint32_t NodeCount = 0;
  std::uint32_t BudgetStamp = 0xFFFFFFFFu;
  std::uint32_t SearchesThisFrame = 0;
  std::uint32_t SearchLimit = kRouteSearchLimit;

 private:
  void Push(RouteSearchNode* node);
  void Unlink(RouteSearchNode* node);
  void Straighten(RouteSearchNode* end);
};
