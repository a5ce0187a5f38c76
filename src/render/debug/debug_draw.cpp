#include "render/debug/debug_draw.h"

#include <algorithm>
#include <cmath>

#include "render/geometry/camera.h"
#include "render/geometry/matrix.h"
#include "render/device/render.h"

namespace {
// Blend mode of debug drawing: plain alpha blending.
constexpr int kDebugBlendMode = 2;
constexpr float kPi = 3.14159265f;

bool CanDraw() { return g_Render != nullptr && g_Render->GetDevice() != nullptr; }

ScreenVertex Screen(float x, float y, std::uint32_t colour) { return {x, y, 0.0f, 1.0f, colour, 0.0f, 0.0f}; }
DebugVertex Debug(const CVector3& p, std::uint32_t colour) { return {p.x, p.y, p.z, colour, 0.0f, 0.0f}; }

// Sine and cosine of 0, 10, ... 350 degrees.
struct TrigTables {
  float Sin[36];
  float Cos[36];
  TrigTables() {
    for (int k = 0; k < 36; ++k) {
      Sin[k] = std::sin(k * 0.17453294f);
      Cos[k] = std::cos(k * 0.17453294f);
    }
  }
};
const TrigTables& Trig() {
  static const TrigTables tables;
  return tables;
}

DebugVertex g_Scratch[kDebugPolylinePoints];

void ResetWorld() {
  if (CCamera* camera = CCamera::GetCurrentCamera()) {
    camera->ResetWorldMatrix();
    camera->ApplyWorldMatrix();
  } else {
    CMatrix identity;
    identity.SetIdentity();
    g_Render->SetWorldMatrix(identity);
  }
}

// Lighting off, stage 0 untextured, format 0x142 around the drawing; lighting restored.
template <typename Draw>
void Draw3D(bool resetWorld, Draw draw) {
  if (resetWorld) ResetWorld();
  const DWORD oldLighting = g_Render->SetLighting(0);
  g_Render->ClearTexture(0);
  g_Render->SetVertexFormat(kFvfDebug);
  draw();
  g_Render->SetLighting(oldLighting);
}

// Lighting off, stage 0 untextured, blend mode 2 and format 0x144 around 2D drawing; all restored.
template <typename Draw>
void Draw2D(Draw draw) {
  const DWORD oldLighting = g_Render->SetLighting(0);
  const int oldBlend = g_Render->SetBlendMode(kDebugBlendMode);
  g_Render->ClearTexture(0);
  g_Render->SetVertexFormat(kFvfScreen);
  draw();
  g_Render->SetBlendMode(oldBlend);
  g_Render->SetLighting(oldLighting);
}

// Lines between consecutive pairs of the scratch vertices, in batches that fit.
void DrawCircleLines(const CVector3& centre, float radius, int segments, std::uint32_t colour) {
  const float step = 2.0f * kPi / static_cast<float>(segments);
  auto point = [&](int k) {
    const float a = k == segments ? 0.0f : step * static_cast<float>(k);
    return CVector3{centre.x + radius * std::sin(a), centre.y, centre.z + radius * std::cos(a)};
  };
  constexpr int kLinesPerBatch = kDebugPolylinePoints / 2;
  for (int first = 0; first < segments; first += kLinesPerBatch) {
    const int lines = std::min(kLinesPerBatch, segments - first);
    for (int k = 0; k < lines; ++k) {
      g_Scratch[2 * k] = Debug(point(first + k), colour);
      g_Scratch[2 * k + 1] = Debug(point(first + k + 1), colour);
    }
    g_Render->DrawLinesUP(static_cast<DWORD>(lines), g_Scratch, sizeof(DebugVertex));
  }
}
}  // namespace

void DrawDebugLine(const CVector3& p0, const CVector3& p1, std::uint32_t colour0, std::uint32_t colour1,
                   bool resetWorld) {
  if (!CanDraw()) return;
  const DebugVertex line[2] = {Debug(p0, colour0), Debug(p1, colour1)};
  Draw3D(resetWorld, [&] { g_Render->DrawLinesUP(1, line, sizeof(DebugVertex)); });
}

void DrawDebugCross(const CVector3& centre, std::uint32_t colour, float halfSize, bool cameraFacing) {
  if (!CanDraw()) return;
  CCamera* camera = cameraFacing ? CCamera::GetCurrentCamera() : nullptr;
  CVector3 c = centre;
  if (camera != nullptr) {
    camera->SetFacingMatrix(centre);
    camera->ApplyFacingMatrix();
    c = {0.0f, 0.0f, 0.0f};
  }
  const float h = halfSize;
  const DebugVertex lines[6] = {Debug({c.x - h, c.y, c.z}, colour), Debug({c.x + h, c.y, c.z}, colour),
                                Debug({c.x, c.y - h, c.z}, colour), Debug({c.x, c.y + h, c.z}, colour),
                                Debug({c.x, c.y, c.z - h}, colour), Debug({c.x, c.y, c.z + h}, colour)};
  Draw3D(false, [&] { g_Render->DrawLinesUP(3, lines, sizeof(DebugVertex)); });
  if (camera != nullptr) camera->ApplyWorldMatrix();
}

void DrawDebugAxes(const CVector3& position, float size, bool cameraFacing) {
  if (!CanDraw()) return;
  const CMatrix oldWorld = g_Render->GetWorldMatrix();
  CCamera* camera = cameraFacing ? CCamera::GetCurrentCamera() : nullptr;
  if (camera != nullptr) {
    camera->SetFacingMatrix(position);
    camera->ApplyFacingMatrix();
  } else {
    CMatrix world;
    world.SetIdentity();
    world.SetTranslation(position);
    g_Render->SetWorldMatrix(world);
  }
  const CVector3 o{0.0f, 0.0f, 0.0f};
  const DebugVertex lines[6] = {Debug(o, 0xFFFF0000), Debug({size, 0.0f, 0.0f}, 0xFFFF0000),
                                Debug(o, 0xFF00FF00), Debug({0.0f, size, 0.0f}, 0xFF00FF00),
                                Debug(o, 0xFF0000FF), Debug({0.0f, 0.0f, size}, 0xFF0000FF)};
  Draw3D(false, [&] { g_Render->DrawLinesUP(3, lines, sizeof(DebugVertex)); });
  if (camera != nullptr)
    camera->ApplyWorldMatrix();
  else
    g_Render->SetWorldMatrix(oldWorld);
}

void DrawDebugPolyline(const CVector3* points, int count, float red, float green, float blue, float alpha,
                       bool resetWorld) {
  if (!CanDraw() || points == nullptr || count < 2) return;
  count = std::min(count, kDebugPolylinePoints);
  auto channel = [](float f) { return static_cast<std::uint32_t>(static_cast<int>(f * 255.0f)) & 0xFF; };
  const std::uint32_t colour = (channel(alpha) << 24) | (channel(red) << 16) | (channel(green) << 8) | channel(blue);
  for (int k = 0; k < count; ++k) g_Scratch[k] = Debug(points[k], colour);
  Draw3D(resetWorld, [&] { g_Render->DrawLineStrip(static_cast<DWORD>(count - 1), g_Scratch, sizeof(DebugVertex)); });
}

void DrawDebugPolyline(const CVector3* points, int count, std::uint32_t colour, float alpha, bool resetWorld) {
  auto channel = [colour](int shift) { return static_cast<float>((colour >> shift) & 0xFF) / 255.0f; };
  DrawDebugPolyline(points, count, channel(16), channel(8), channel(0), alpha, resetWorld);
}

void DrawDebugBox(const CVector3& min, const CVector3& max, std::uint32_t colour, bool resetWorld) {
  DrawDebugBoxRotated(min, max, {0.0f, 0.0f, 0.0f}, colour, resetWorld);
}

void DrawDebugBoxRotated(const CVector3& min, const CVector3& max, const CVector3& angles, std::uint32_t colour,
                         bool resetWorld) {
  if (!CanDraw()) return;
  CMatrix rotation;
  rotation.SetIdentity();
  rotation.RotateZ(angles.z);
  rotation.RotateX(angles.x);
  rotation.RotateY(angles.y);
  // Corners 0-3 the min-z face, 4-7 the max-z face, in the same order round each.
  const CVector3 box[8] = {{min.x, min.y, min.z}, {max.x, min.y, min.z}, {max.x, max.y, min.z}, {min.x, max.y, min.z},
                           {min.x, min.y, max.z}, {max.x, min.y, max.z}, {max.x, max.y, max.z}, {min.x, max.y, max.z}};
  CVector3 c[8];
  for (int k = 0; k < 8; ++k) rotation.TransformPoint(box[k], &c[k]);
  DebugVertex lines[8];
  Draw3D(resetWorld, [&] {
    auto batch = [&](auto edge) {
      for (int k = 0; k < 4; ++k) {
        const auto [a, b] = edge(k);
        lines[2 * k] = Debug(c[a], colour);
        lines[2 * k + 1] = Debug(c[b], colour);
      }
      g_Render->DrawLinesUP(4, lines, sizeof(DebugVertex));
    };
    batch([](int k) { return std::pair<int, int>{k, (k + 1) % 4}; });          // the min-z face
    batch([](int k) { return std::pair<int, int>{4 + k, 4 + (k + 1) % 4}; });  // the max-z face
    batch([](int k) { return std::pair<int, int>{k, k + 4}; });                // the edges between
  });
}

void DrawDebugSphere(const CVector3& centre, float radius, std::uint32_t colour, bool resetWorld) {
  if (!CanDraw()) return;
  const TrigTables& t = Trig();
  DebugVertex ring[18];
  Draw3D(resetWorld, [&] {
    for (int a = 0; a < 36; a += 2) {
      for (int b = 0; b < 36; b += 2) {
        const CVector3 p{centre.x + radius * t.Cos[a] * t.Sin[b], centre.y + radius * t.Cos[b],
                         centre.z + radius * t.Sin[a] * t.Sin[b]};
        ring[b / 2] = Debug(p, colour);
      }
      g_Render->DrawPointsUP(18, ring, sizeof(DebugVertex));
    }
  });
}

void DrawDebugCircle(const CVector3& centre, float radius, int segments, std::uint32_t colour) {
  if (!CanDraw() || segments < 1) return;
  Draw3D(false, [&] { DrawCircleLines(centre, radius, segments, colour); });
}

void DrawDebugSphereRings(const CVector3& centre, float radius, int rings, int segments, std::uint32_t colour,
                          bool resetWorld) {
  if (!CanDraw() || rings < 2 || segments < 1) return;
  Draw3D(resetWorld, [&] {
    for (int k = 1; k < rings; ++k) {
      const float a = static_cast<float>(k) * kPi / static_cast<float>(rings);
      DrawCircleLines({centre.x, centre.y - radius * std::cos(a), centre.z}, radius * std::sin(a), segments, colour);
    }
  });
}

void DrawDebugPolygon(const CVector3* points, int count, std::uint32_t colour, bool resetWorld) {
  if (!CanDraw() || points == nullptr || count < 3) return;
  count = std::min(count, kDebugPolygonPoints);
  DebugVertex fan[kDebugPolygonPoints];
  for (int k = 0; k < count; ++k) fan[k] = Debug(points[k], colour);
  const DWORD oldCull = g_Render->SetCullMode(D3DCULL_NONE);
  const int oldBlend = g_Render->SetBlendMode(kDebugBlendMode);
  Draw3D(resetWorld, [&] { g_Render->DrawTriangleFan(static_cast<DWORD>(count - 2), fan, sizeof(DebugVertex)); });
  g_Render->SetBlendMode(oldBlend);
  g_Render->SetCullMode(oldCull);
}

void DrawDebugRect(float x, float y, float width, float height, std::uint32_t colour, bool filled) {
  if (!CanDraw()) return;
  const DWORD oldFog = g_Render->SetFogEnable(0);
  Draw2D([&] {
    const ScreenVertex corners[5] = {Screen(x, y, colour), Screen(x + width, y, colour),
                                     Screen(x + width, y + height, colour), Screen(x, y + height, colour),
                                     Screen(x, y, colour)};
    if (filled)
      g_Render->DrawTriangleFan(2, corners, sizeof(ScreenVertex));
    else
      g_Render->DrawLineStrip(4, corners, sizeof(ScreenVertex));
  });
  g_Render->SetFogEnable(oldFog);
}

void DrawDebugRectFromRect(const RECT& rect, std::uint32_t colour, bool filled) {
  DrawDebugRect(static_cast<float>(rect.left), static_cast<float>(rect.top), static_cast<float>(rect.right - rect.left),
                static_cast<float>(rect.bottom - rect.top), colour, filled);
}

void DrawDebugLine2D(const float* p0, const float* p1, std::uint32_t colour0, std::uint32_t colour1) {
  if (!CanDraw()) return;
  const ScreenVertex line[2] = {Screen(p0[0], p0[1], colour0), Screen(p1[0], p1[1], colour1)};
  Draw2D([&] { g_Render->DrawLinesUP(1, line, sizeof(ScreenVertex)); });
}

void DrawDebugPath(const CVector3* points, int count) {
  if (!CanDraw() || points == nullptr || count < 1) return;
  g_Render->SetRenderStateCached(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  for (int k = 0; k < count; ++k) DrawDebugLine(points[k], points[(k + 1) % count], 0xFFFFFF00, 0xFFFFFF00, true);
  g_Render->SetRenderStateCached(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
}
