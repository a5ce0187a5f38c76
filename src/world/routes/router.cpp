#include "world/routes/router.h"

#include <cmath>
#include <new>

#include "world/routes/route_clock.h"
#include "world/routes/route_marker.h"

float RouteCost(std::uint32_t a, std::uint32_t b) {
  const CRouteMarker* ma = g_RouteMarkerList->GetMarker(a);
  const CRouteMarker* mb = g_RouteMarkerList->GetMarker(b);
  const float dx = mb->Position.x - ma->Position.x, dy = mb->Position.y - ma->Position.y,
              dz = mb->Position.z - ma->Position.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz) * mb->Weight;
}

CRouter::CRouter(std::uint32_t markerCount) {
  Nodes.reset(new (std::nothrow) RouteSearchNode[markerCount == 0 ? 1 : markerCount]);
  if (!Nodes) return;
  NodeCount = markerCount;
  for (std::uint32_t i = 0; i < markerCount; ++i) Nodes[i].Marker = i;
}

void CRouter::Free() {
  Nodes.reset();
  NodeCount = 0;
  OpenList = ResultPath = NearestNode = nullptr;
}

bool CRouter::CanSearch() {
  const std::uint32_t now = RouteGameTime();
  if (now != BudgetStamp) {
    BudgetStamp = now;
    SearchesThisFrame = 0;
  }
  return SearchesThisFrame < SearchLimit;
}

std::uint32_t CRouter::CountResult() const {
  std::uint32_t n = 0;
  for (const RouteSearchNode* node = ResultPath; node && n <= NodeCount; node = node->Parent) ++n;
  return n;
}

void CRouter::Push(RouteSearchNode* node) {
  node->NextOpen = OpenList;
  OpenList = node;
  node->Flags = static_cast<std::uint8_t>((node->Flags | RNF_OPEN) & ~RNF_CLOSED);
}

void CRouter::Unlink(RouteSearchNode* node) {
  for (RouteSearchNode** link = &OpenList; *link; link = &(*link)->NextOpen) {
    if (*link == node) {
      *link = node->NextOpen;
      break;
    }
  }
  node->NextOpen = nullptr;
  node->Flags = static_cast<std::uint8_t>(node->Flags & ~RNF_OPEN);
}

// The whole list is scanned from the head (the newest node) with a strict
// less-than, so among equal sums the node nearest the head wins.
RouteSearchNode* CRouter::PopBest() {
  RouteSearchNode* best = nullptr;
  float bestSum = kRouteUnreached;
  for (RouteSearchNode* node = OpenList; node; node = node->NextOpen) {
    const float sum = node->G + node->H;
    if (sum < bestSum) {
      bestSum = sum;
      best = node;
    }
  }
  if (best) Unlink(best);
  return best;
}

RouteResult CRouter::FindRoute(std::uint32_t start, std::uint32_t goal, std::uint32_t mode) {
  if (!CanSearch()) {
    LastResult = ROUTE_OVER_BUDGET;
    return LastResult;
  }
  ++SearchesThisFrame;
  const std::uint32_t count =
      g_RouteMarkerList && g_RouteMarkerList->Count < NodeCount ? g_RouteMarkerList->Count : NodeCount;
  // Markers the graph does not hold have no way to anywhere.
  if (!g_RouteMarkerList || start >= count || goal >= count) {
    ResultPath = nullptr;
    LastResult = ROUTE_NONE;
    return LastResult;
  }
  if (start == goal) {
    Nodes[start].Parent = nullptr;
    Nodes[start].G = 0;
    ResultPath = &Nodes[start];
    LastResult = ROUTE_FOUND;
    return LastResult;
  }
  for (std::uint32_t i = 0; i < NodeCount; ++i) {
    Nodes[i].Flags = static_cast<std::uint8_t>(Nodes[i].Flags & ~RNF_SEARCH_BITS);
    Nodes[i].G = kRouteUnreached;
    Nodes[i].NextOpen = nullptr;
  }
  OpenList = nullptr;

  if (mode == 1) {
    RouteSearchNode& s = Nodes[start];
    s.G = 0;
    s.H = RouteCost(start, goal);
    s.Parent = nullptr;
    Push(&s);
  } else {
    const CRouteMarker* m = g_RouteMarkerList->GetMarker(start);
    for (std::uint16_t link : m->Links) {
      if (link == kNoLink || link >= count) continue;
      RouteSearchNode& n = Nodes[link];
      n.G = RouteCost(link, start);
      n.H = RouteCost(link, goal);
      n.Parent = nullptr;
      if ((n.Flags & RNF_OPEN) == 0) Push(&n);
    }
  }

  ResultPath = nullptr;
  NearestNode = nullptr;
  RouteSearchNode* found = nullptr;
  while (OpenList) {
    RouteSearchNode* node = PopBest();
    if (!node) break;  // every sum left is unreachably large
    if (node->Marker == goal) {
      found = node;
      break;
    }
    if (!NearestNode || node->H < NearestNode->H) NearestNode = node;
    const CRouteMarker* m = g_RouteMarkerList->GetMarker(node->Marker);
    for (std::uint16_t link : m->Links) {
      if (link == kNoLink || link >= count) continue;
      RouteSearchNode* n = &Nodes[link];
      if (n == node->Parent) continue;
      const float candidate = node->G + RouteCost(node->Marker, link);
      if (!(candidate < n->G)) continue;
      if ((n->Flags & RNF_SEARCH_BITS) == 0) {
        n->G = candidate;
        n->H = RouteCost(link, goal);
        n->Parent = node;
        Push(n);
      } else if (n->Flags & RNF_OPEN) {
        n->G = candidate;
        n->Parent = node;
      } else {
        n->G = candidate;
        n->Parent = node;
        Push(n);
      }
    }
    node->Flags = static_cast<std::uint8_t>(node->Flags | RNF_CLOSED);
  }
  OpenList = nullptr;

  RouteSearchNode* end = nullptr;
  if (found) {
    end = found;
    LastResult = ROUTE_FOUND;
  } else if (NearestNode) {
    end = NearestNode;
    LastResult = ROUTE_PARTIAL;
  } else {
    LastResult = ROUTE_NONE;
  }
  if (end) Straighten(end);
  return LastResult;
}

// Walks from the end through the parents toward the start, drops a node
// whose neighbours on the walk share its x (or else its z) exactly, and
// pushes every kept node on the front of a new chain through Parent.
void CRouter::Straighten(RouteSearchNode* end) {
  const CRouteMarkerList& list = *g_RouteMarkerList;
  RouteSearchNode* chain = nullptr;
  RouteSearchNode* previous = nullptr;  // taken before the current node (nearer the goal)
  std::uint32_t steps = 0;
  for (RouteSearchNode* node = end; node && steps <= NodeCount; ++steps) {
    RouteSearchNode* parent = node->Parent;
    bool keep = true;
    if (previous && parent) {
      const CVector3& a = list.GetMarker(previous->Marker)->Position;
      const CVector3& b = list.GetMarker(node->Marker)->Position;
      const CVector3& c = list.GetMarker(parent->Marker)->Position;
      if ((a.x == b.x && b.x == c.x) || (a.z == b.z && b.z == c.z)) keep = false;
    }
    if (keep) {
      node->Parent = chain;
      chain = node;
    }
    previous = node;
    node = parent;
  }
  ResultPath = chain;
}
