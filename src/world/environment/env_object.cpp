#include "world/environment/env_object.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/text/hash.h"
#include "render/bsp/bsp_query.h"
#include "render/debug/debug_draw.h"
#include "render/device/render.h"
#include "render/geometry/geometry_ops.h"
#include "render/textures/texture.h"
#include "render/volumes/sphere.h"
#include "scene/mesh/mesh_pools.h"

const char* const kHitRegionNameTable[kHitRegionNames] = {
    "#HR_BODYFRONT",       "#HR_BODYBACK",       "#HR_BODYLEFT",       "#HR_BODYRIGHT",
    "#HR_PROPULSIONFRONT", "#HR_PROPULSIONBACK", "#HR_PROPULSIONLEFT", "#HR_PROPULSIONRIGHT",
    "#HR_WEAPONFRONT",     "#HR_WEAPONBACK",     "#HR_WEAPONLEFT",     "#HR_WEAPONRIGHT",
};

namespace {

EnvMeshFree g_MeshFree = nullptr;
EnvNodeAllocate g_NodeAllocate = nullptr;
EnvNodeRelease g_NodeRelease = nullptr;

void ReleaseNode(CEnvObject* node) {
  if (g_NodeRelease != nullptr && g_NodeRelease(node)) return;
  delete node;
}

struct ViewSettings {
  float BaseScale = 1.0f;
  float Scale = 1.0f;
  float Distances[2] = {0.0f, 0.0f};
  std::uint32_t Word = 0;
} g_View;

EngineMessageHandler g_MessageHandler = nullptr;
EnvDrawHooks g_DrawHooks;

}  // namespace

void SetEnvMeshFree(EnvMeshFree hook) { g_MeshFree = hook; }

void SetEnvObjectPool(EnvNodeAllocate allocate, EnvNodeRelease release) {
  g_NodeAllocate = allocate;
  g_NodeRelease = release;
}

CEnvObject* NewEnvObjectNode() {
  if (g_NodeAllocate != nullptr) {
    if (CEnvObject* node = g_NodeAllocate()) return node;
  }
  return new CEnvObject;
}

void FreeEnvObjectTemplate(CEnvObject* root) {
  if (root == nullptr) return;
  root->FreeNode();
  ReleaseNode(root);
}

CEnvObject::~CEnvObject() { FreeNode(); }

void CEnvObject::Init(const EnvLoadContext& context) {
  RecordSize = kEnvObjectRecordSize;
  TemplateKind = OTYPE_NONE;
  MeshKind = MESHKIND_PLAIN;
  Bounds = {};
  WholeBounds = {};
  Mesh = nullptr;
  OtherMesh = nullptr;
  Bsp = nullptr;
  CollisionBsp = nullptr;
  VertexAnimFrames = 0;
  Flags = EOF_INITIAL;
  ConnectorCount = 0;
  for (int i = 0; i < kConnectorSlots; ++i) {
    ConnectorPositions[i] = {};
    ConnectorSlots[i] = -1;
  }
  HitRegions.clear();
  NameHash = 0;
  NextNode = nullptr;
  ParentNode = nullptr;
  NodeIndex = -1;
  SkinData = nullptr;
  SkinBones = nullptr;
  SolidType = 0;
  Sphere = {};
  WholeSphere = {};
  DetailCounts[0] = DetailCounts[1] = 5;
  Shared = 0;
  ShadowTemplate = nullptr;
  ObjectNameHash = 0;
  NextTemplate = nullptr;
  ObjectName.clear();
  NodeName.clear();
  ParentName.clear();
  ShadowName.clear();
  std::memset(NodeWords, 0, sizeof NodeWords);
  NamedValues.clear();
  Transforms = nullptr;
  BspBytes = 0;
  VariantTexture = nullptr;
  m_Context = context;
}

void CEnvObject::CopySharedChain(const CEnvObject& from) {
  std::vector<const CEnvObject*> sources;
  for (const CEnvObject* n = &from; n != nullptr; n = n->NextNode) sources.push_back(n);
  std::vector<CEnvObject*> copies{this};
  for (std::size_t k = 1; k < sources.size(); ++k) {
    CEnvObject* node = NewEnvObjectNode();
    node->Init(from.m_Context);
    copies.push_back(node);
  }
  // The copy of a node of the original chain (itself for a pointer outside it).
  auto map = [&](const CEnvObject* n) -> CEnvObject* {
    for (std::size_t k = 0; k < sources.size(); ++k)
      if (sources[k] == n) return copies[k];
    return const_cast<CEnvObject*>(n);
  };
  for (std::size_t k = 0; k < sources.size(); ++k) {
    const CEnvObject& a = *sources[k];
    CEnvObject& b = *copies[k];
    b.RecordSize = a.RecordSize;
    b.TemplateKind = a.TemplateKind;
    b.MeshKind = a.MeshKind;
    b.Bounds = a.Bounds;
    b.Mesh = a.Mesh;
    b.OtherMesh = a.OtherMesh;
    b.Bsp = a.Bsp;
    b.CollisionBsp = a.CollisionBsp;
    b.VertexAnimFrames = a.VertexAnimFrames;
    b.Flags = a.Flags;
    b.ConnectorCount = a.ConnectorCount;
    for (int i = 0; i < kConnectorSlots; ++i) {
      b.ConnectorPositions[i] = a.ConnectorPositions[i];
      b.ConnectorSlots[i] = a.ConnectorSlots[i];
    }
    b.HitRegions = a.HitRegions;
    for (EnvHitRegion& r : b.HitRegions) r.Node = map(r.Node);
    b.NameHash = a.NameHash;
    b.NextNode = k + 1 < copies.size() ? copies[k + 1] : nullptr;
    b.ParentNode = map(a.ParentNode);
    b.NodeIndex = a.NodeIndex;
    b.SkinData = a.SkinData;
    b.SkinBones = a.SkinBones;
    b.WholeBounds = a.WholeBounds;
    b.SolidType = a.SolidType;
    b.Sphere = a.Sphere;
    b.WholeSphere = a.WholeSphere;
    b.DetailCounts[0] = a.DetailCounts[0];
    b.DetailCounts[1] = a.DetailCounts[1];
    b.Shared = 1;
    b.ShadowTemplate = a.ShadowTemplate;
    b.ObjectNameHash = a.ObjectNameHash;
    b.ObjectName = a.ObjectName;
    b.NodeName = a.NodeName;
    b.ParentName = a.ParentName;
    b.ShadowName = a.ShadowName;
    std::memcpy(b.NodeWords, a.NodeWords, sizeof b.NodeWords);
    b.NamedValues = a.NamedValues;
    b.Transforms = a.Transforms;
    b.BspBytes = a.BspBytes;
    b.VariantTexture = a.VariantTexture;
    b.m_Context = a.m_Context;
  }
}

void CEnvObject::FreeNode() {
  for (CEnvObject* node = this; node != nullptr;) {
    CEnvObject* next = node->NextNode;
    if (node->Shared == 0) {
      ReleaseVBufferObject(node->Mesh);
      if (node->OtherMesh != nullptr && g_MeshFree != nullptr) g_MeshFree(node->MeshKind, node->OtherMesh);
      FreeBspTree(node->Bsp);
      delete node->Transforms;
    }
    node->Mesh = nullptr;
    node->OtherMesh = nullptr;
    node->Bsp = nullptr;
    node->CollisionBsp = nullptr;
    node->Transforms = nullptr;
    node->SkinData = nullptr;
    node->SkinBones = nullptr;
    node->HitRegions.clear();
    node->NamedValues.clear();
    node->ConnectorCount = 0;
    node->NextNode = nullptr;
    if (node != this) ReleaseNode(node);
    node = next;
  }
}

bool CEnvObject::GetConnectorPosition(int slot, CVector3* out) const {
  if (ConnectorCount <= 0 || slot < 0 || slot >= kConnectorSlots) return false;
  const std::int32_t index = ConnectorSlots[slot];
  if (index < 0 || index >= ConnectorCount) return false;
  *out = ConnectorPositions[index];
  return true;
}

const EnvBounds& CEnvObject::GetBounds() const {
  return TemplateKind == OTYPE_TRANSFORMANIM ? WholeBounds : Bounds;
}

int CEnvObject::CountConnectorNodes() const {
  int n = 0;
  for (const CEnvObject* node = this; node != nullptr; node = node->NextNode)
    if (node->Flags & EOF_CONNECTOR) ++n;
  return n;
}

void CEnvObject::MarkConnectorNode(const char* name) {
  std::string upper = name != nullptr ? name : "";
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper.find("CONNECTOR") != std::string::npos) {
    Flags |= EOF_CONNECTOR;
  } else {
    Flags &= ~EOF_CONNECTOR;
  }
}

void CEnvObject::SetNodeEnabled(int flag) {
  if (flag != 0) {
    Flags &= ~EOF_DISABLED;
  } else {
    Flags |= EOF_DISABLED;
  }
}

bool CEnvObject::HasAnimatedMesh() const {
  for (const CEnvObject* node = this; node != nullptr; node = node->NextNode)
    if (node->MeshKind == MESHKIND_SKINNED || node->MeshKind == MESHKIND_PLAIN_ALT) return true;
  return false;
}

void CEnvObject::BuildHitRegions() {
  HitRegions.clear();
  for (CEnvObject* node = this; node != nullptr; node = node->NextNode) {
    if ((node->Flags & EOF_HIT_REGION) == 0) continue;
    for (int r = 0; r < kHitRegionNames; ++r) {
      if (node->NameHash == HashString(kHitRegionNameTable[r])) {
        HitRegions.push_back({node, r});
        break;
      }
    }
  }
}

bool CEnvObject::NearestCorner(const CVector3& point, CVector3* corner, float* distanceSq) const {
  const CVector3& lo = Bounds.Min;
  const CVector3& hi = Bounds.Max;
  if (lo.x > hi.x || lo.y > hi.y || lo.z > hi.z) return false;
  bool found = false;
  for (int k = 0; k < 8; ++k) {
    const CVector3 c{(k & 1) ? hi.x : lo.x, (k & 2) ? hi.y : lo.y, (k & 4) ? hi.z : lo.z};
    const float d = geom::LengthSq(geom::operator-(c, point));
    if (!found || d < *distanceSq) {
      *corner = c;
      *distanceSq = d;
      found = true;
    }
  }
  return found;
}

namespace {

// State of one QueryBsp walk: the polygon callback of the sphere query has
// no user argument, so the query keeps its state here (main thread only).
struct BspQueryState {
  std::uint32_t Kind = 0;
  std::uint32_t Hit = 0;
  std::uint32_t Blocked = 0;
} g_Query;

// The first surface kind a query matched, remembered across queries
// (999999 until one is met).
std::uint32_t g_FirstMatchedKind = 999999;

void CountPolygon(const BspPolygon* polygon, float a, float b, float c, float d, float x, float y, float z,
                  float radius) {
  const float plane[4] = {a, b, c, d};
  CSphere sphere;
  sphere.Set({x, y, z}, radius);
  if (!sphere.TouchesPolygon(plane, polygon)) return;
  const std::uint32_t kind = polygon->SurfaceId & 0x3FF;
  if (kind == g_Query.Kind) {
    g_Query.Hit = 1;
    if (g_FirstMatchedKind == 999999) g_FirstMatchedKind = kind;
  } else {
    g_Query.Blocked = 1;
  }
}

}  // namespace

// The sphere is taken into node space by the inverse of the world matrix
// (p_node = p_world x W^-1, row vectors); the radius is kept, node matrices
// carry no scale that collision relies on.
bool CEnvObject::QueryBsp(const float* sphere, const CMatrix& world, std::uint32_t surfaceKind,
                          std::uint32_t* blocked) const {
  if ((Flags & EOF_CONNECTOR) != 0 || Bsp == nullptr || MeshKind != MESHKIND_PLAIN) return false;
  CMatrix inverse;
  CVector3 centre{sphere[0], sphere[1], sphere[2]};
  if (world.TypeFlags != MATF_IDENTITY) {
    if (!world.Invert(&inverse, nullptr)) return false;
    CVector3 local;
    inverse.TransformPoint(centre, &local);
    centre = local;
  }
  const float local[4] = {centre.x, centre.y, centre.z, sphere[3]};
  g_Query = {surfaceKind, 0, 0};
  SetBspPolygonCallback(CountPolygon);
  std::uint32_t touched = 0;
  BspSphereQuery(Bsp, local, &touched, 0);
  SetBspPolygonCallback(nullptr);
  if (blocked != nullptr && g_Query.Blocked) *blocked = 1;
  return g_Query.Hit != 0;
}

void CEnvObject::DrawBox(std::uint32_t colour) const {
  DrawDebugBox(Bounds.Min, Bounds.Max, colour, 0);
}

void CEnvObject::DrawSphere(std::uint32_t colour) const {
  DrawDebugSphereRings(Sphere.Centre, Sphere.Radius, 16, 16, colour, 0);
}

void SetEnvDrawHooks(const EnvDrawHooks& hooks) { g_DrawHooks = hooks; }
const EnvDrawHooks& GetEnvDrawHooks() { return g_DrawHooks; }

namespace {
// Whether the node's render device has every bit of the option mask.
bool DeviceHas(const EnvLoadContext& context, std::uint32_t options) {
  return context.Render != nullptr && (context.Render->GetRenderOptions() & options) == options;
}
}  // namespace

bool CEnvObject::SetBumpEffect(CTexture* bumpTexture, const char* name) {
  if (!DeviceHas(m_Context, RENDER_OPTION_2) || !m_Context.Render->SupportsVertexShader(1, 0, 12) ||
      !m_Context.Render->SupportsPixelShader(1, 0))
    return false;
  return MeshKind == MESHKIND_PLAIN && Mesh != nullptr && Mesh->SetBumpByTexture(bumpTexture, name);
}

bool CEnvObject::SetReflectionEffect(CTexture* texture, float strength, const char* name) {
  if (!DeviceHas(m_Context, RENDER_OPTION_1)) return false;
  return MeshKind == MESHKIND_PLAIN && Mesh != nullptr && Mesh->SetReflectionByTexture(texture, strength, name);
}

bool CEnvObject::SetDetailEffect(CTexture* texture, std::uint32_t blendMode, float strength, float scaleU,
                                 float scaleV, const char* name) {
  if (!DeviceHas(m_Context, RENDER_OPTION_0)) return false;
  return MeshKind == MESHKIND_PLAIN && Mesh != nullptr &&
         Mesh->SetDetailByTexture(texture, blendMode, strength, scaleU, scaleV, name);
}

int CEnvObject::SubmitMesh(const void* lights, std::uint32_t textureOverride, void* drawData) {
  if (TemplateKind == OTYPE_VERTEXANIM) return SubmitFrame(0.0f, lights);
  if (Mesh == nullptr || g_DrawHooks.DrawMesh == nullptr) return 0;
  // A character copy wears its own texture unless the instance gives one.
  if (textureOverride == 0 && VariantTexture != nullptr) textureOverride = VariantTexture->Id;
  return g_DrawHooks.DrawMesh(Mesh, lights, textureOverride, drawData);
}

int CEnvObject::SubmitFrame(float frame, const void* lights) {
  if (TemplateKind != OTYPE_VERTEXANIM || g_DrawHooks.DrawVertexAnimFrame == nullptr) return 0;
  return g_DrawHooks.DrawVertexAnimFrame(this, frame, lights);
}

void CEnvObject::QueueShadow() {
  // Follow the shadow templates to the top; a chain longer than any real one
  // (a loop) queues nothing.
  CEnvObject* top = nullptr;
  int steps = 0;
  for (CEnvObject* t = ShadowTemplate; t != nullptr && steps < 64; t = t->ShadowTemplate, ++steps) {
    if (t->TemplateKind == OTYPE_VERTEXANIM) return;
    top = t;
  }
  if (top == nullptr || steps >= 64 || g_DrawHooks.QueueShadow == nullptr) return;
  g_DrawHooks.QueueShadow(top);
}

void CEnvObject::QueueOwnShadow() {
  if (TemplateKind == OTYPE_VERTEXANIM || g_DrawHooks.QueueShadow == nullptr) return;
  g_DrawHooks.QueueShadow(this);
}

const char* CEnvObject::GetIdString() const {
  static char text[16];
  std::snprintf(text, sizeof text, "#0x%X", ObjectNameHash);
  return text;
}

void EnvSetVisibilityScale(float scale) { g_View.BaseScale = g_View.Scale = scale; }
void EnvSetCurrentVisibilityScale(float scale) { g_View.Scale = scale <= 0.0f ? 0.1f : scale; }
float EnvGetVisibilityScale() { return g_View.Scale; }
float EnvGetBaseVisibilityScale() { return g_View.BaseScale; }
void EnvSetViewDistances(float a, float b) {
  g_View.Distances[0] = a;
  g_View.Distances[1] = b;
}
void EnvGetViewDistances(float* a, float* b) {
  *a = g_View.Distances[0];
  *b = g_View.Distances[1];
}
void EnvSetViewWord(std::uint32_t word) { g_View.Word = word; }
std::uint32_t EnvGetViewWord() { return g_View.Word; }

void SetEngineMessageHandler(EngineMessageHandler handler) { g_MessageHandler = handler; }

void EngineMessage(const char* format, ...) {
  if (g_MessageHandler == nullptr) return;
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  g_MessageHandler(text);
}
