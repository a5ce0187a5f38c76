#include "scene/shadows/shadows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "foundation/maths/packed_direction.h"
#include "render/device/render.h"
#include "render/geometry/render_vertex.h"
#include "render/textures/texture.h"
#include "scene/lights/light_table.h"
#include "scene/mesh/mesh_draw.h"
#include "scene/mesh/vertex_buffer.h"
#include "scene/shadows/shadow_faces.h"
#include "scene/skin/skin.h"
#include "world/sky/sky.h"

namespace {

constexpr int kQuadVertices = 4;
constexpr int kQuadIndices = 6;

struct ShadowState {
  CVector3 Light{};
  CVector3 Extrusion{};
  bool Override = false;
  bool Debug = false;
  int QuadCount = 0;
  const void* Owner = nullptr;  // the part or skin the quads were built for
  std::uint32_t Drawn = 0;
  CVector3 Vertices[kShadowMaxQuads * kQuadVertices] = {};
  std::uint16_t Indices[kShadowMaxQuads * kQuadIndices] = {};
  std::vector<std::uint8_t> Facing;  // per face: faces the light (reused scratch)

  ShadowState() {
    // Quad n: triangles (4n, 4n+1, 4n+2) and (4n+2, 4n+1, 4n+3).
    for (int n = 0; n < kShadowMaxQuads; ++n) {
      const auto b = static_cast<std::uint16_t>(n * kQuadVertices);
      std::uint16_t* i = &Indices[n * kQuadIndices];
      i[0] = b;
      i[1] = static_cast<std::uint16_t>(b + 1);
      i[2] = static_cast<std::uint16_t>(b + 2);
      i[3] = static_cast<std::uint16_t>(b + 2);
      i[4] = static_cast<std::uint16_t>(b + 1);
      i[5] = static_cast<std::uint16_t>(b + 3);
    }
  }
};

ShadowState& State() {
  static ShadowState state;
  return state;
}

float Dot(const CVector3& a, const CVector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

void Start(const void* owner) {
  ShadowState& s = State();
  s.QuadCount = 0;
  s.Owner = owner;
  s.Extrusion = CVector3{s.Light.x * kShadowExtrusion, s.Light.y * kShadowExtrusion, s.Light.z * kShadowExtrusion};
}

// One side of the volume from the silhouette edge first -> second: the edge
// reversed, then the same two points pushed away from the light.
void AddQuad(const CVector3& first, const CVector3& second) {
  ShadowState& s = State();
  if (s.QuadCount >= kShadowMaxQuads) return;
  const CVector3& e = s.Extrusion;
  CVector3* v = &s.Vertices[s.QuadCount * kQuadVertices];
  v[0] = second;
  v[1] = first;
  v[2] = CVector3{second.x + e.x, second.y + e.y, second.z + e.z};
  v[3] = CVector3{first.x + e.x, first.y + e.y, first.z + e.z};
  ++s.QuadCount;
}

// The silhouette of faces whose light-facing marks are set: every edge of a
// facing face whose neighbour exists and does not face the light.
template <typename EdgeEnds, typename Neighbour>
void AddSilhouette(int faceCount, const std::uint8_t* facing, EdgeEnds ends, Neighbour neighbour) {
  const bool debug = State().Debug;
  for (int f = 0; f < faceCount; ++f) {
    if (!facing[f]) continue;
    for (int e = 0; e < 3; ++e) {
      const std::uint16_t n = neighbour(f, e);
      if (n == kShadowNoNeighbour || n >= faceCount) continue;
      if (facing[n]) {
        if (debug && e == 1) std::printf("face %d in shadow, connected face %d also in shadow\n", f, n);
        continue;
      }
      CVector3 a, b;
      ends(f, e, &a, &b);
      AddQuad(a, b);
    }
  }
}

// Both stencil passes over the quads built last: mode 9 counts the front
// faces in front of the scene up, mode 10 the back faces down.
void DrawPasses(CRender* r) {
  const ShadowState& s = State();
  const auto quads = static_cast<DWORD>(s.QuadCount);
  r->SetBlendMode(9);
  r->DrawIndexedListUP(quads * 2, quads * kQuadVertices, s.Vertices, s.Indices, sizeof(CVector3));
  r->SetBlendMode(10);
  r->DrawIndexedListUP(quads * 2, quads * kQuadVertices, s.Vertices, s.Indices, sizeof(CVector3));
}

// The part's own triangles with its texture, as the part stores them.
void DrawPartTriangles(CRender* r, CVertexBuffer* part) {
  if (part->Texture != nullptr) r->SetTexture(0, part->Texture->DeviceTexture);
  r->SetVertexFormat(kMeshVertexFormat);
  if (part->VertexBuffer != nullptr && part->IndexBuffer != nullptr) {
    r->SetStreamSource(part->VertexBuffer, kMeshVertexStride);
    r->SetIndices(part->IndexBuffer);
    if (part->IsStrip) {
      if (part->StripIndexCount >= 3) r->DrawIndexedStrip(part->StripIndexCount - 2, part->VertexCount);
    } else if (part->ListIndexCount >= 3) {
      r->DrawIndexedList(part->ListIndexCount / 3, part->VertexCount);
    }
  } else if (part->Vertices != nullptr) {
    if (part->IsStrip && part->StripIndices != nullptr && part->StripIndexCount >= 3)
      r->DrawIndexedStripUP(part->StripIndexCount - 2, part->VertexCount, part->Vertices, part->StripIndices,
                            kMeshVertexStride);
    else if (part->ListIndices != nullptr && part->ListIndexCount >= 3)
      r->DrawIndexedListUP(part->ListIndexCount / 3, part->VertexCount, part->Vertices, part->ListIndices,
                           kMeshVertexStride);
  }
}

// Draws the quads built last; a rigid part is drawn once more after them.
void DrawVolume(CVertexBuffer* rigidPart) {
  CRender* r = g_Render;
  ShadowState& s = State();
  if (!ShadowsSupported(r) || s.QuadCount == 0) return;
  s.Drawn += static_cast<std::uint32_t>(s.QuadCount);
  const int blendMode = r->GetBlendMode();
  const DWORD alphaBlend = r->GetRenderStateCached(D3DRS_ALPHABLENDENABLE);
  const DWORD alphaTest = r->GetAlphaTest();
  const DWORD alphaRef = r->GetRenderStateCached(D3DRS_ALPHAREF);
  const DWORD zWrite = r->GetZWrite();
  const DWORD lighting = r->GetLighting();
  const DWORD shade = r->GetShadeMode();

  r->SetTexture(0, nullptr);
  r->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
  r->SetAlphaTest(1, alphaRef);
  r->SetZEnable(1);
  r->SetLighting(0);
  r->SetVertexFormat(kShadowVertexFormat);
  if (rigidPart != nullptr) r->SetZBias(kShadowDepthBias);
  DrawPasses(r);
  if (rigidPart != nullptr) {
    // Mode 10 still counts down: where the part's own front faces are seen
    // they take away what the volume's edges along them counted.
    r->SetCullMode(D3DCULL_CCW);
    DrawPartTriangles(r, rigidPart);
  }

  r->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, alphaBlend);
  r->SetAlphaTest(alphaTest, alphaRef);
  r->SetBlendMode(blendMode);
  r->SetCullMode(D3DCULL_CCW);
  r->SetZWrite(zWrite);
  r->SetLighting(lighting);
  // Mode 9 shades flat; what is drawn after the volume is shaded as before.
  r->SetShadeMode(shade);
  r->SetZBias(0);
}

}  // namespace

bool ShadowsSupported(const CRender* render) {
  return render != nullptr && render->IsDeviceCreated() && render->m_ShadowLevel != 0 &&
         render->GetStencilBits() != 0;
}

void ShadowsSetLightPosition(const CVector3& lightVector) {
  ShadowState& s = State();
  s.Light = s.Override ? kShadowOverrideDirection : lightVector;
  g_ShadowLightPosition = s.Light;
}

CVector3 ShadowsGetLightDirection() { return State().Light; }
void ShadowsSetOverride(bool on) { State().Override = on; }
void ShadowsSetDebug(bool on) { State().Debug = on; }
int ShadowsQuadCount() { return State().QuadCount; }
const CVector3* ShadowsQuadVertices() { return State().Vertices; }
const std::uint16_t* ShadowsQuadIndices() { return State().Indices; }
std::uint32_t ShadowsQuadsDrawn() { return State().Drawn; }

float ShadowsGetStrength() {
  const CSky* sky = CSky::Current();
  const float h = sky != nullptr ? sky->GetTimeOfDay() : 12.0f;
  float strength;
  if (h < 12.0f)
    strength = h < kShadowSunrise ? 0.0f : 1.0f - (12.0f - h) / (12.0f - kShadowSunrise);
  else
    strength = 1.0f - std::min(h - 12.0f, 6.0f) / 6.0f;
  if (sky != nullptr && (sky->Flags & kSkyFlagPaleShadows)) strength *= kShadowPaleFactor;
  return strength;
}

int ShadowsLocalLightDirection(int light, CVector3* out, const CMatrix& inverseWorld) {
  if (ShadowsGetStrength() < kShadowMinStrength) return 0;
  const CLightTable* table = CLightTable::Current();
  const LightRecord* record = table != nullptr ? table->GetLight(light) : nullptr;
  if (record == nullptr || !(record->Flags & kLightOnDevice)) return 0;
  CMatrix m = inverseWorld;
  CVector3 d{};
  if (record->Light.Type == D3DLIGHT_DIRECTIONAL) {
    const CVector3 angles{std::max(record->Angles.x, kShadowMinPitch), record->Angles.y, 0.0f};
    CVector3 world{};
    AnglesToDirection(angles, &world);
    m.TypeFlags |= MATF_ROTATION;
    m.RotateVector(world, &d);
  } else {
    const D3DVECTOR& p = record->Light.Position;
    m.TypeFlags |= MATF_ROTATION;
    CVector3 local{};
    m.TransformPoint(CVector3{p.x, p.y, p.z}, &local);
    d = CVector3{-local.x, -local.y, -local.z};
  }
  const float length = std::sqrt(Dot(d, d));
  if (length > 0.0f) d = CVector3{d.x / length, d.y / length, d.z / length};
  *out = d;
  return 1;
}

int ShadowsBuildVolume(CVertexBuffer* part) {
  Start(part);
  ShadowFace* faces = CShadowMesh::Faces(part);
  const CVector3* positions = CShadowMesh::Positions(part);
  const std::uint32_t count = CShadowMesh::FaceCount(part);
  if (faces == nullptr || positions == nullptr || count == 0 || part->ListIndexCount / 3 < count) return 0;
  const std::uint16_t* indices = part->LockIndices();
  if (indices == nullptr) return 0;
  ShadowState& s = State();
  s.Facing.assign(count, 0);
  for (std::uint32_t f = 0; f < count; ++f) {
    const Vector3 n = UnpackDirection(faces[f].Normal);
    s.Facing[f] = Dot(CVector3{n.x, n.y, n.z}, s.Light) <= 0.0f ? 1 : 0;
  }
  AddSilhouette(
      static_cast<int>(count), s.Facing.data(),
      [&](int f, int e, CVector3* a, CVector3* b) {
        *a = positions[indices[f * 3 + e]];
        *b = positions[indices[f * 3 + (e + 1) % 3]];
      },
      [&](int f, int e) { return faces[f].Neighbours[e]; });
  part->UnlockIndices();
  return s.QuadCount;
}

int ShadowsBuildSkinVolume(CSkin* skin, const CVector3& lightVector, const RenderVertex* vertices) {
  ShadowsSetLightPosition(lightVector);
  Start(skin);
  if (skin == nullptr || vertices == nullptr) return 0;
  std::vector<SkinShadowFace>& faces = skin->Data.ShadowFaces;
  const int count = static_cast<int>(faces.size());
  const int vertexCount = skin->Data.VertexCount;
  ShadowState& s = State();
  s.Facing.assign(static_cast<std::size_t>(count), 0);
  auto position = [&](std::uint16_t v) { return CVector3{vertices[v].x, vertices[v].y, vertices[v].z}; };
  for (int f = 0; f < count; ++f) {
    SkinShadowFace& face = faces[f];
    face.Flag = 0;
    if (face.Vertices[0] >= vertexCount || face.Vertices[1] >= vertexCount || face.Vertices[2] >= vertexCount)
      continue;
    // The normal of the deformed face, not normalised: only its sign against the light counts.
    const CVector3 p0 = position(face.Vertices[0]), p1 = position(face.Vertices[1]), p2 = position(face.Vertices[2]);
    const CVector3 a{p0.x - p1.x, p0.y - p1.y, p0.z - p1.z}, b{p0.x - p2.x, p0.y - p2.y, p0.z - p2.z};
    const CVector3 n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    face.Flag = Dot(n, s.Light) < 0.0f ? 1 : 0;
    s.Facing[static_cast<std::size_t>(f)] = face.Flag;
  }
  AddSilhouette(
      count, s.Facing.data(),
      [&](int f, int e, CVector3* a, CVector3* b) {
        *a = position(faces[f].Vertices[e]);
        *b = position(faces[f].Vertices[(e + 1) % 3]);
      },
      [&](int f, int e) { return faces[f].Neighbours[e]; });
  return s.QuadCount;
}

void ShadowsDrawSkinVolume(CSkin* skin) {
  if (skin == nullptr || State().Owner != skin) return;
  DrawVolume(nullptr);
}

void ShadowsDrawVolumes(CVertexBuffer* part, const CVector3& lightVector) {
  if (part == nullptr || !ShadowsSupported(g_Render)) return;
  ShadowsSetLightPosition(lightVector);
  if (ShadowsBuildVolume(part) == 0) return;
  DrawVolume(part);
}

void ShadowsDarkenScreen() {
  CRender* r = g_Render;
  if (!ShadowsSupported(r)) return;
  const D3DVIEWPORT8* viewport = r->GetViewport();
  if (viewport == nullptr) return;
  const int alpha = std::clamp(static_cast<int>(ShadowsGetStrength() * kShadowMaxAlpha), 0, kShadowMaxAlpha);
  const int blendMode = r->GetBlendMode();
  // Stage 0 without a texture takes colour and alpha from the vertices.
  r->SetBlendMode(2);
  r->SetTexture(0, nullptr);
  r->SetZEnable(0);
  r->SetStencilEnable(1);
  r->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
  r->SetRenderStateCached(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  r->SetRenderStateCached(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  r->SetAlphaTest(1, r->GetRenderStateCached(D3DRS_ALPHAREF));
  // Drawn where 1 <= stencil value.
  r->SetRenderStateCached(D3DRS_STENCILREF, 1);
  r->SetRenderStateCached(D3DRS_STENCILMASK, 0xFFFFFFFF);
  r->SetRenderStateCached(D3DRS_STENCILFUNC, D3DCMP_LESSEQUAL);
  r->SetRenderStateCached(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
  r->SetShadeMode(D3DSHADE_FLAT);
  r->SetZWrite(0);
  const float x = static_cast<float>(viewport->X), y = static_cast<float>(viewport->Y);
  const float w = static_cast<float>(viewport->Width), h = static_cast<float>(viewport->Height);
  const DWORD colour = static_cast<DWORD>(alpha) << 24;
  const ScreenVertex quad[4] = {{x, y, 0.0f, 1.0f, colour, 0.0f, 0.0f},
                                {x + w, y, 0.0f, 1.0f, colour, 1.0f, 0.0f},
                                {x + w, y + h, 0.0f, 1.0f, colour, 1.0f, 1.0f},
                                {x, y + h, 0.0f, 1.0f, colour, 0.0f, 1.0f}};
  r->SetVertexFormat(kFvfScreen);
  r->DrawTriangleFan(2, quad, sizeof(ScreenVertex));
  r->SetZEnable(1);
  r->SetRenderStateCached(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
  r->SetShadeMode(D3DSHADE_GOURAUD);
  r->SetZWrite(1);
  r->SetBlendMode(blendMode);
}
