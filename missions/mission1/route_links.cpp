#include "route_links.h"

#include "mission_globals.h"

namespace mission1 {

namespace {

struct Link {
  short a, b;
};

constexpr Link kLinkSetA[] = {
    {151, 152}, {151, 13}, {152, 30}, {13, 29},  {13, 14},  {30, 29},  {30, 28},  {29, 14},  {29, 27},  {29, 28},
    {14, 27},   {14, 15},  {14, 25},  {27, 28},  {27, 25},  {28, 25},  {28, 26},  {15, 25},  {15, 16},  {25, 26},
    {25, 16},   {25, 23},  {25, 24},  {26, 24},  {16, 23},  {16, 17},  {16, 21},  {23, 24},  {23, 21},  {24, 21},
    {24, 22},   {17, 21},  {17, 18},  {21, 22},  {21, 20},  {21, 18},  {21, 19},  {22, 20},  {20, 19},  {18, 19},
    {333, 21},  {333, 17}, {333, 18}, {334, 21}, {334, 18}, {334, 19}, {9, 7},    {9, 10},   {7, 8},    {7, 6},
    {7, 1121},  {2, 3},    {2, 5},    {3, 5},    {5, 4},    {5, 6},    {5, 1106}, {4, 1115}, {4, 6},    {6, 8},
    {6, 7},     {8, 10},   {8, 1129},
};
static_assert(sizeof(kLinkSetA) / sizeof(kLinkSetA[0]) == 63, "63 links");

constexpr Link kLinkSetB[] = {
    {14, 15},  {14, 25}, {27, 25}, {28, 25}, {28, 26}, {15, 25}, {15, 16},  {25, 26},   {25, 16}, {25, 23}, {25, 24},
    {26, 24},  {16, 23}, {16, 17}, {16, 21}, {23, 24}, {23, 21}, {24, 21},  {24, 22},   {17, 21}, {17, 18}, {21, 22},
    {21, 20},  {21, 18}, {22, 20}, {333, 17}, {9, 7},  {9, 10},  {7, 8},    {7, 6},     {7, 1121}, {2, 3},  {2, 5},
    {3, 5},    {5, 4},   {5, 6},   {5, 1106}, {4, 1115}, {4, 6}, {6, 8},    {6, 7},     {8, 10},  {8, 1129},
};
static_assert(sizeof(kLinkSetB) / sizeof(kLinkSetB[0]) == 43, "43 unlinks");

}  // namespace

void ApplyRouteLinkSetA() {
  for (const Link& l : kLinkSetA) g_Script->RouteMarkerLink(l.a, l.b, 1);
}

void ApplyRouteLinkSetB() {
  for (const Link& l : kLinkSetB) g_Script->RouteMarkerUnlink(l.a, l.b, 1);
}

void RouteLinkSwitch() {
  const bool request = g_State.routeLinkRequest != 0;
  if (g_RouteLinkState == 1) {
    if (!request || g_Script->ObjectIsDead(47) != 0) {
      ApplyRouteLinkSetB();
      g_RouteLinkState = 0;
    }
  } else if (g_RouteLinkState == 0) {
    if (request && g_Script->ObjectIsDead(47) == 0) {
      ApplyRouteLinkSetA();
      g_RouteLinkState = 1;
    }
  }
}

}  // namespace mission1
