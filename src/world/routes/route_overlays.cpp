// Developer overlays of the route modules: the marker graph with its labels,
// the quadtree map, a unit's collision spheres and the repulsion spheres.
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "menus/world_to_screen.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/debug/debug_draw.h"
#include "render/device/render.h"
#include "render/geometry/camera.h"
#include "render/geometry/geometry_ops.h"
#include "world/routes/move_controller.h"
#include "world/routes/quad_tree.h"
#include "world/routes/repulsion.h"
#include "world/routes/route_clock.h"
#include "world/routes/route_marker.h"

using namespace geom;

namespace {
constexpr float kMarkerViewDistance = 5000.0f;
constexpr float kLinkRaise = 25.0f;
constexpr float kArrowBack = 20.0f;
constexpr float kArrowHalfWidth = 8.0f;
constexpr float kRunnerHalfSize = 4.0f;
constexpr std::uint32_t kRunPeriodMs = 4000;
constexpr std::uint32_t kLeafLabelColour = 0xFFFF0000;
constexpr std::uint32_t kLabelColour = 0xFF00FF00;
constexpr std::uint32_t kLinkColour = 0xFFFFFFFF;
constexpr std::uint32_t kArrowColour = 0xFFFFFF00;
constexpr std::uint32_t kRunnerColour = 0xFF00FFFF;

constexpr std::uint32_t kOpenLeafColour = 0xFF00FF00;
constexpr std::uint32_t kClosedLeafColour = 0xFFFF0000;
constexpr std::uint32_t kPointMarkColour = 0xFFFFFFFF;
constexpr float kPointMarkSize = 4.0f;

constexpr std::uint32_t kSphereColour = 0xFFFFFFFF;
constexpr std::uint32_t kRepulsionColour = 0x80FFFF00;
constexpr int kRepulsionRings = 8;
constexpr int kRepulsionSegments = 8;

// One link: the line, the two strokes of the arrow head and the runner.
void DrawLink(const CVector3& from, const CVector3& to, float runFraction) {
  const CVector3 a = from + CVector3{0, kLinkRaise, 0};
  const CVector3 b = to + CVector3{0, kLinkRaise, 0};
  DrawDebugLine(a, b, kLinkColour, kLinkColour, true);
  CVector3 d = b - a;
  const float length = Length(d);
  if (length > 0.0f) {
    d = d * (1.0f / length);
    const CVector3 back = b - d * kArrowBack;
    // Across the link in the ground plane (straight up links get x).
    const float flat = std::sqrt(d.x * d.x + d.z * d.z);
    const CVector3 side = flat > 0.0f ? CVector3{-d.z / flat, 0, d.x / flat} : CVector3{1, 0, 0};
    DrawDebugLine(b, back + side * kArrowHalfWidth, kArrowColour, kArrowColour, true);
    DrawDebugLine(b, back - side * kArrowHalfWidth, kArrowColour, kArrowColour, true);
  }
  DrawDebugCross(a + (b - a) * runFraction, kRunnerColour, kRunnerHalfSize, false);
}
}  // namespace

void CRouteMarkerList::DebugDraw(CFont* labelFont) const {
  const CCamera* camera = CCamera::GetCurrentCamera();
  if (camera == nullptr || g_Render == nullptr || Markers == nullptr) return;
  const CMatrix oldWorld = g_Render->GetWorldMatrix();
  CSpriteRender* sprites = labelFont != nullptr ? labelFont->Sprites : nullptr;
  const std::uint32_t oldColour = sprites != nullptr ? sprites->DrawColour : 0;
  const CVector3 eye = camera->GetPosition();
  const float run = static_cast<float>(RouteGameTime() % kRunPeriodMs) / static_cast<float>(kRunPeriodMs);

  for (std::uint32_t i = 0; i < Count; ++i) {
    const CRouteMarker& m = Markers[i];
    if (LengthSq(m.Position - eye) > kMarkerViewDistance * kMarkerViewDistance) continue;
    float x = 0, y = 0;
    if (labelFont != nullptr && WorldToScreen(m.Position, &x, &y)) {
      char label[64];
      std::snprintf(label, sizeof label, "%d (%d) [%.2f]", static_cast<int>(i), static_cast<int>(m.Component),
                    static_cast<double>(m.Weight));
      labelFont->SetColour(m.IsLeafMarker() ? kLeafLabelColour : kLabelColour);
      labelFont->DrawString(label, static_cast<int>(x), static_cast<int>(y), 0);
    }
    for (std::uint16_t link : m.Links)
      if (link != kNoLink && link < Count) DrawLink(m.Position, Markers[link].Position, run);
  }
  if (sprites != nullptr) labelFont->SetColour(oldColour);
  g_Render->SetWorldMatrix(oldWorld);
}

namespace {
void DrawQuadLeaves(const CQuadTreeNode& node, const CQuadTree& tree, float scale) {
  if (!node.IsLeaf()) {
    for (int k = 0; k < 4; ++k) DrawQuadLeaves(node.Children[k], tree, scale);
    return;
  }
  const float x = kQuadMapOrigin + (node.CentreX - node.Half - tree.MinX) * scale;
  const float y = kQuadMapOrigin + (tree.MaxZ - (node.CentreZ + node.Half)) * scale;
  const float side = 2.0f * node.Half * scale;
  DrawDebugRect(x, y, side, side, node.IsOpen() ? kOpenLeafColour : kClosedLeafColour, false);
}
}  // namespace

void QuadTreeDebugDraw(const CVector3& point) {
  const CQuadTree* tree = g_QuadTree;
  if (tree == nullptr || tree->Root == nullptr || g_Render == nullptr) return;
  const float width = tree->MaxX - tree->MinX;
  if (!(width > 0.0f)) return;
  const float scale = kQuadMapSize / width;
  const DWORD oldZ = g_Render->SetZEnable(0);
  const DWORD oldFog = g_Render->SetFogEnable(0);
  DrawQuadLeaves(*tree->Root, *tree, scale);
  if (QuadTreeContains(point)) {
    const float x = kQuadMapOrigin + (point.x - tree->MinX) * scale;
    const float y = kQuadMapOrigin + (tree->MaxZ - point.z) * scale;
    DrawDebugRect(x - kPointMarkSize * 0.5f, y - kPointMarkSize * 0.5f, kPointMarkSize, kPointMarkSize,
                  kPointMarkColour, true);
  }
  g_Render->SetZEnable(oldZ);
  g_Render->SetFogEnable(oldFog);
}

void CMoveController::DebugDraw() const {
  const std::uint32_t count = SphereCount < 2 ? SphereCount : 2;
  for (std::uint32_t i = 0; i < count; ++i)
    DrawDebugSphere(Position + Spheres[i].Offset, Spheres[i].Radius, kSphereColour, true);
}

void CRepulsionPool::DebugDraw() const {
  if (Entries == nullptr) return;
  const std::uint32_t count = Count < Capacity ? Count : Capacity;
  for (std::uint32_t i = 0; i < count; ++i)
    if (Entries[i].IsActive())
      DrawDebugSphereRings(Entries[i].Centre, Entries[i].Radius, kRepulsionRings, kRepulsionSegments,
                           kRepulsionColour, true);
}
