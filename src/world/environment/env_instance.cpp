#include "world/environment/env_instance.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "foundation/system/debug_output.h"
#include "foundation/system/message_box.h"
#include "render/bsp/bsp_query.h"
#include "render/device/render.h"
#include "render/geometry/camera.h"
#include "render/geometry/frustum.h"
#include "scene/light_table.h"
#include "world/environment/box_routines.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/shrubbery/shrubbery.h"
#include "world/space/zone_record.h"

EnvInstanceGlobals g_EnvInstanceGlobals;
FastAllocator<CEnvInstance> g_EnvInstancePool;
CEnvInstance* g_GlobalDynamicInstances = nullptr;
std::uint64_t g_CopiedBoxChanges = 1;

namespace {

constexpr float kRadToDeg = 57.29577951308232f;
float ToDegrees(float radians) { return radians * kRadToDeg; }

// Brings an angle into [0, 360).
float WrapDegrees(float a) {
  float r = std::fmod(a, 360.0f);
  if (r < 0.0f) r += 360.0f;
  if (r >= 360.0f) r = 0.0f;  // -tiny + 360 may round to 360
  return r;
}

CVector3 WrapRotation(const CVector3& r) { return {WrapDegrees(r.x), WrapDegrees(r.y), WrapDegrees(r.z)}; }

bool SameVector(const CVector3& a, const CVector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

void CountSetter(bool changed) {
  if (changed)
    ++g_EnvInstanceGlobals.SetterChanges;
  else
    ++g_EnvInstanceGlobals.SetterSkips;
}

// Calls fn on the instance and each instance of its subtree, parents before
// children, siblings in order.
template <typename Fn>
void ForSubtree(CEnvInstance* top, Fn&& fn) {
  fn(top);
  for (CEnvInstance* c = top->FirstChild; c != nullptr; c = c->NextSibling) ForSubtree(c, fn);
}

// Unlinks an instance from a list chained through ZoneLink; false when it was not in it.
bool UnlinkFromList(CEnvInstance** head, CEnvInstance* instance) {
  for (CEnvInstance** link = head; *link != nullptr; link = &(*link)->ZoneLink) {
    if (*link == instance) {
      *link = instance->ZoneLink;
      instance->ZoneLink = nullptr;
      return true;
    }
  }
  return false;
}

// The eight corners of a box.
void BoxCorners(const CVector3& lo, const CVector3& hi, CVector3 out[8]) {
  for (int i = 0; i < 8; ++i)
    out[i] = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
}

}  // namespace

CEnvInstance* EnvInstancePoolAllocate() { return g_EnvInstancePool.Allocate(); }

void CEnvInstance::Construct(CRender* render, const EnvInstanceModules& modules, std::uint32_t flags) {
  g_EnvInstanceGlobals.Render = render;
  g_EnvInstanceGlobals.Modules = modules;
  KindCode = 0;
  Flags = flags;
  StateBits = 0;
  CollisionGroup = 0;
  DamageRecord = nullptr;
  SizeAccounting = kInstanceRecordSize;
  // A record made anew is a new instance to the octrees: the changes count
  // moves on (so every tree takes its copies again before its next walk) and
  // the record counts as not copied until then.
  NoteBoxChange();
  BoxCopied = false;
  WorldBoxMin = WorldBoxMax = {};
  EnvLink = FirstChild = NextSibling = Parent = nullptr;
  NodeOverride = 0;
  HitCallback = &CEnvInstance::DefaultHitCallback;
  Template = nullptr;
  PassStamp = LastDrawnFrame = LastDrawnTime = 0;
  WorldSphere = {};
  VertexAnimSpeed = VertexAnimFrame = 0.0f;
  LocalPosition = Rotation = {};
  WorldMatrix.SetIdentity();
  InverseWorldMatrix.SetIdentity();
  Scale = {1.0f, 1.0f, 1.0f};
  ActiveLightCount = 0;
  LightSelectWord = 65535;
  LightSelectByte = 255;
  ProjectedSize = 0.0f;
  TransformMode = TRANSFORMMODE_WORLD;
  ConnectorIndex = 0;
  ZoneLink = nullptr;
  OverrideTexture = 0;
  PreDrawHook = nullptr;
  HookData = nullptr;
  ShadowIndex = ShadowPartner = -1;
  SphereOffset = {};
  Zone = nullptr;
  NameHash = 0;
  InstanceNumber = 0;
  FileId = 0;
  SmallValues[0] = SmallValues[1] = 0;
  GardenIndex = -1;
  RenderMode = 0;
  RenderValue = 0;
  EnvMaps.clear();
}

void CEnvInstance::Setup(int kindCode, CEnvObject* object, const CVector3* scale, const CVector3& rotation,
                         const CVector3& position, std::uint32_t nameHash) {
  KindCode = kindCode;
  NameHash = nameHash;
  if (Template != object) NoteBoxChange();
  Template = object;
  Scale = scale != nullptr ? *scale : CVector3{1.0f, 1.0f, 1.0f};
  SetRotation(rotation, false);
  SetPosition(position, false);
}

// World matrix, row vectors:
//   W = S x Rz(-rz) x Rx(-rx) x Ry(-ry') x T(p)  [x P]
// with ry' = ry, or 180 - ry for the direct (visual-facing) form, and P the
// parent transform in modes 1 and 2.  The inverse follows every change.
void CEnvInstance::RebuildMatrices(bool direct) {
  if (TransformMode == TRANSFORMMODE_MATRIX) {
    // The rotation was given directly: only the position is composed.
    WorldMatrix.SetTranslation(LocalPosition);
    if (!WorldMatrix.Invert(&InverseWorldMatrix, nullptr)) InverseWorldMatrix.SetIdentity();
    StateBits &= ~INSTS_BOUNDS_VALID;
    NoteBoxChange();
    return;
  }
  CMatrix local;
  local.SetIdentity();
  local.Scale(Scale.x, Scale.y, Scale.z);
  local.RotateZ(-Rotation.z);
  local.RotateX(-Rotation.x);
  local.RotateY(direct ? -(180.0f - Rotation.y) : -Rotation.y);
  local.SetTranslation(LocalPosition);
  const CMatrix* parent = nullptr;
  if (TransformMode != TRANSFORMMODE_WORLD && Parent != nullptr) {
    if (Parent->Template != nullptr && Parent->Template->TemplateKind == OTYPE_TRANSFORMANIM) Parent->EvaluatePose();
    parent = GetParentTransform();
  }
  if (parent != nullptr) {
    MatrixMultiply(&WorldMatrix, local, *parent);
    WorldMatrix.TypeFlags = local.TypeFlags | parent->TypeFlags;
  } else {
    WorldMatrix = local;
  }
  if (!WorldMatrix.Invert(&InverseWorldMatrix, nullptr)) InverseWorldMatrix.SetIdentity();
  StateBits &= ~INSTS_BOUNDS_VALID;
  NoteBoxChange();
}

void CEnvInstance::UpdateRelativeChildren() {
  for (CEnvInstance* c = FirstChild; c != nullptr; c = c->NextSibling) {
    if (c->TransformMode == TRANSFORMMODE_WORLD) continue;
    c->RebuildMatrices((c->StateBits & INSTS_ROTATION_DIRECT) != 0);
    c->UpdateRelativeChildren();
  }
}

bool CEnvInstance::SetPosition(const CVector3& position, bool moveChildren) {
  CVector3 current;
  if (TransformMode == TRANSFORMMODE_WORLD || TransformMode == TRANSFORMMODE_MATRIX)
    current = {WorldMatrix.m[3][0], WorldMatrix.m[3][1], WorldMatrix.m[3][2]};
  else
    current = LocalPosition;
  if ((StateBits & INSTS_POSITION_SET) && SameVector(current, position)) {
    CountSetter(false);
    return false;
  }
  if (moveChildren) {
    const CVector3 offset{position.x - current.x, position.y - current.y, position.z - current.z};
    for (CEnvInstance* c = FirstChild; c != nullptr; c = c->NextSibling) {
      if (c->TransformMode != TRANSFORMMODE_WORLD) continue;  // follows through its parent below
      CVector3 p;
      c->GetPosition(&p);
      c->SetPosition({p.x + offset.x, p.y + offset.y, p.z + offset.z}, true);
    }
  }
  LocalPosition = position;
  if (TransformMode == TRANSFORMMODE_WORLD || TransformMode == TRANSFORMMODE_MATRIX) {
    // Only the translation changes: row 3 of the matrix.
    WorldMatrix.SetTranslation(position);
    if (!WorldMatrix.Invert(&InverseWorldMatrix, nullptr)) InverseWorldMatrix.SetIdentity();
    NoteBoxChange();
  } else {
    // Local transform composed with the parent's once.
    RebuildMatrices((StateBits & INSTS_ROTATION_DIRECT) != 0);
  }
  StateBits &= ~INSTS_BOUNDS_VALID;
  StateBits |= INSTS_POSITION_SET;
  if (moveChildren) UpdateRelativeChildren();
  CountSetter(true);
  return true;
}

bool CEnvInstance::SetRotation(const CVector3& degrees, bool moveChildren) {
  const CVector3 r = WrapRotation(degrees);
  // Skip only when the matrix already is the plain rotation of these angles;
  // after SetRotationDirect the matrix holds the turned yaw and must be rebuilt.
  // (Until the first SetPosition the matrix has not been built at all.)
  if (SameVector(r, Rotation) && !(StateBits & INSTS_ROTATION_DIRECT) && (StateBits & INSTS_POSITION_SET)) {
    CountSetter(false);
    return false;
  }
  Rotation = r;
  StateBits &= ~INSTS_ROTATION_DIRECT;
  RebuildMatrices(false);
  if (moveChildren) UpdateRelativeChildren();
  CountSetter(true);
  return true;
}

void CEnvInstance::SetRotationDirect(const CVector3& degrees) {
  Rotation = WrapRotation(degrees);
  StateBits |= INSTS_ROTATION_DIRECT;
  RebuildMatrices(true);
  CountSetter(true);
}

void CEnvInstance::SetMatrixRotation(const float rows[3][3]) {
  const float scale[3] = {Scale.x, Scale.y, Scale.z};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) WorldMatrix.m[r][c] = rows[r][c] * scale[r];
    WorldMatrix.m[r][3] = 0.0f;
  }
  WorldMatrix.m[3][3] = 1.0f;
  WorldMatrix.TypeFlags |= MATF_ROTATION;
  WorldMatrix.TypeFlags &= ~static_cast<std::uint32_t>(MATF_IDENTITY);
  if (TransformMode != TRANSFORMMODE_MATRIX) {
    // Keep the world position through the switch of mode.
    LocalPosition = {WorldMatrix.m[3][0], WorldMatrix.m[3][1], WorldMatrix.m[3][2]};
    TransformMode = TRANSFORMMODE_MATRIX;
  }
  if (!WorldMatrix.Invert(&InverseWorldMatrix, nullptr)) InverseWorldMatrix.SetIdentity();
  StateBits &= ~INSTS_BOUNDS_VALID;
  NoteBoxChange();
  CountSetter(true);
}

void CEnvInstance::SetScale(const CVector3& scale) {
  if (SameVector(scale, Scale)) {
    CountSetter(false);
    return;
  }
  Scale = scale;
  RebuildMatrices((StateBits & INSTS_ROTATION_DIRECT) != 0);
  CountSetter(true);
}

void CEnvInstance::SetTransformMode(int mode, int connector) {
  if (Parent != nullptr) {
    if (mode == TRANSFORMMODE_CONNECTORRELATIVE) {
      Parent->AttachToConnector(connector, this);
      Parent->EvaluatePose();
    } else if (TransformMode == TRANSFORMMODE_CONNECTORRELATIVE) {
      Parent->AttachToConnector(ConnectorIndex, nullptr);
    }
  }
  TransformMode = mode;
  ConnectorIndex = connector;
}

const CMatrix* CEnvInstance::GetParentTransform() const {
  if (Parent == nullptr) return nullptr;
  if (TransformMode == TRANSFORMMODE_PARENTRELATIVE) return &Parent->WorldMatrix;
  if (TransformMode == TRANSFORMMODE_CONNECTORRELATIVE) {
    if (Parent->Template != nullptr && Parent->Template->TemplateKind == OTYPE_TRANSFORMANIM)
      return Parent->GetConnectorTransform(ConnectorIndex);
    DebugTrace("ERROR : GetParentTransform, TRANSFORMMODE_CONNECTORRELATIVE used when parent is not hierarchical\n");
  }
  return nullptr;
}

void CEnvInstance::GetPosition(CVector3* out) const {
  *out = {WorldMatrix.m[3][0], WorldMatrix.m[3][1], WorldMatrix.m[3][2]};
}

// The matrix is S Rz(-rz) Rx(-rx) Ry(-ry): its z row (forward) has pitch rx
// (asin of -y) and yaw ry (atan2 of x over z), and the up row, with yaw and
// pitch undone, leans by -rz in the x-y plane.  The rows are normalised first so that a scale does not matter.
void CEnvInstance::GetRotation(CVector3* out) const {
  auto unit = [](const float* row) {
    CVector3 v{row[0], row[1], row[2]};
    const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (len > 0.0f) v = {v.x / len, v.y / len, v.z / len};
    return v;
  };
  const CVector3 f = unit(WorldMatrix.m[2]);
  const CVector3 u = unit(WorldMatrix.m[1]);
  const float pitch = ToDegrees(std::asin(std::fmax(-1.0f, std::fmin(1.0f, -f.y))));
  const float yaw = ToDegrees(std::atan2(f.x, f.z));
  CMatrix undo;
  undo.SetIdentity();
  undo.RotateY(yaw);
  undo.RotateX(pitch);
  CVector3 u2;
  undo.RotateVector(u, &u2);
  const float roll = ToDegrees(std::atan2(u2.x, u2.y));
  float y = yaw;
  if (Template != nullptr && (Template->Flags & EOF_CONNECTOR)) y += 180.0f;
  *out = WrapRotation({pitch, y, -roll});
}

void CEnvInstance::AttachChild(CEnvInstance* child) {
  if (child == nullptr || child == this) return;
  // A child may not become its own ancestor's child: the tree would close into a loop.
  for (CEnvInstance* a = Parent; a != nullptr; a = a->Parent)
    if (a == child) return;
  // Unhook the child from its old parent and from any list it is registered in.
  child->Detach();

  child->NextSibling = nullptr;
  if (FirstChild == nullptr) {
    FirstChild = child;
  } else {
    CEnvInstance* last = FirstChild;
    while (last->NextSibling != nullptr) last = last->NextSibling;
    last->NextSibling = child;
  }
  child->Parent = this;

  // Register the dynamic part of the child's subtree: in the global dynamic
  // list when the child stands in a portal of the root's zone (it may be seen
  // from either side) or the new parent is there already; else at the end of
  // the root zone's registered list.
  CEnvInstance* root = GetRoot();
  bool global = (StateBits & INSTS_GLOBAL_DYNAMIC) != 0;
  if (!global && root->Zone != nullptr && root->Zone->Portals != nullptr) {
    child->UpdateBoundingSphere();
    global = root->FindPortalAt(child->WorldSphere.Centre) != nullptr;
  }
  if (global) {
    ForSubtree(child, [](CEnvInstance* i) {
      if (i->IsStatic()) return;
      i->StateBits |= INSTS_GLOBAL_DYNAMIC;
      i->ZoneLink = g_GlobalDynamicInstances;
      g_GlobalDynamicInstances = i;
    });
  } else if (root->Zone != nullptr) {
    CEnvInstance** tail = &root->Zone->RegisteredInstances;
    while (*tail != nullptr) tail = &(*tail)->ZoneLink;
    ForSubtree(child, [&tail](CEnvInstance* i) {
      if (i->IsStatic()) return;
      i->ZoneLink = nullptr;
      *tail = i;
      tail = &i->ZoneLink;
    });
  }
}

void CEnvInstance::Detach() {
  CEnvInstance* root = GetRoot();
  ZoneRecord* zone = root != this ? root->Zone : nullptr;
  ForSubtree(this, [zone](CEnvInstance* i) {
    if (i->StateBits & INSTS_GLOBAL_DYNAMIC) {
      UnlinkFromList(&g_GlobalDynamicInstances, i);
      i->StateBits &= ~INSTS_GLOBAL_DYNAMIC;
    } else if (zone != nullptr) {
      UnlinkFromList(&zone->RegisteredInstances, i);
    }
  });
  if (Parent != nullptr) {
    for (CEnvInstance** link = &Parent->FirstChild; *link != nullptr; link = &(*link)->NextSibling) {
      if (*link == this) {
        *link = NextSibling;
        break;
      }
    }
  }
  Parent = nullptr;
  NextSibling = nullptr;
}

void CEnvInstance::SetDynamic() {
  ForSubtree(this, [](CEnvInstance* i) {
    if (i->NodeOverride != 0)
      i->StateBits &= ~INSTS_STATIC_OVERRIDE;
    else
      i->StateBits |= INSTS_DYNAMIC;
  });
  // Hung again under the same parent, the subtree is registered anew.
  if (CEnvInstance* parent = Parent) parent->AttachChild(this);
}

CEnvInstance* CEnvInstance::GetRoot() {
  CEnvInstance* i = this;
  while (i->Parent != nullptr) i = i->Parent;
  return i;
}

void CEnvInstance::ReattachToRoot() {
  CEnvInstance* root = GetRoot();
  if (root == this) return;
  Detach();
  root->AttachChild(this);
}

bool CEnvInstance::SetVisible(bool visible, bool wholeSubtree) {
  const bool previous = (Flags & INSTF_HIDDEN) == 0;
  auto apply = [visible](CEnvInstance* i) {
    if (visible)
      i->Flags &= ~INSTF_HIDDEN;
    else
      i->Flags |= INSTF_HIDDEN;
  };
  if (wholeSubtree)
    ForSubtree(this, apply);
  else
    apply(this);
  return previous;
}

bool CEnvInstance::SetCollidable(bool collidable, bool wholeSubtree) {
  const bool previous = (Flags & INSTF_NOT_COLLIDABLE) == 0;
  auto apply = [collidable](CEnvInstance* i) {
    if (collidable)
      i->Flags &= ~INSTF_NOT_COLLIDABLE;
    else
      i->Flags |= INSTF_NOT_COLLIDABLE;
  };
  if (wholeSubtree)
    ForSubtree(this, apply);
  else
    apply(this);
  return previous;
}

void CEnvInstance::CopyFlags(const CEnvInstance& other) {
  Flags = (Flags & ~kInstanceCopyFlagsMask) | (other.Flags & kInstanceCopyFlagsMask);
}

bool CEnvInstance::IsDrawnThisFrame() const {
  if (Flags & INSTF_DISABLED) return false;
  return LastDrawnFrame != g_EnvInstanceGlobals.FrameNumber;
}

std::uint32_t CEnvInstance::FramesSinceDrawn() const { return g_EnvInstanceGlobals.FrameNumber - LastDrawnFrame; }

// World sphere: the template's sphere with its radius times the largest scale
// component and its centre carried through the world matrix (which scales it).
void CEnvInstance::UpdateBoundingSphere() {
  if (StateBits & INSTS_BOUNDS_VALID) return;
  CVector3 centre{};
  float radius = 0.0f;
  if (Template != nullptr) {
    centre = Template->Sphere.Centre;
    radius = Template->Sphere.Radius;
  }
  radius *= std::fmax(Scale.x, std::fmax(Scale.y, Scale.z));
  WorldMatrix.TransformPoint(centre, &WorldSphere.Centre);
  WorldSphere.Radius = radius;
  if (StateBits & INSTS_SPHERE_OFFSET) {
    WorldSphere.Centre.x += SphereOffset.x;
    WorldSphere.Centre.y += SphereOffset.y;
    WorldSphere.Centre.z += SphereOffset.z;
  }
  StateBits |= INSTS_BOUNDS_VALID;
}

// The world matrix already carries the scale, so the template box's corners
// go through it once and the axis-aligned box around them is kept.
void CEnvInstance::ComputeWorldBox(CVector3* min, CVector3* max) const {
  CVector3 lo{}, hi{};
  if (Template != nullptr) {
    lo = Template->GetBounds().Min;
    hi = Template->GetBounds().Max;
  }
  CVector3 corners[8];
  BoxCorners(lo, hi, corners);
  CVector3 p;
  WorldMatrix.TransformPoint(corners[0], &p);
  CVector3 boxMin = p, boxMax = p;
  for (int i = 1; i < 8; ++i) {
    WorldMatrix.TransformPoint(corners[i], &p);
    boxMin = {std::fmin(boxMin.x, p.x), std::fmin(boxMin.y, p.y), std::fmin(boxMin.z, p.z)};
    boxMax = {std::fmax(boxMax.x, p.x), std::fmax(boxMax.y, p.y), std::fmax(boxMax.z, p.z)};
  }
  *min = boxMin;
  *max = boxMax;
}

void CEnvInstance::UpdateWorldBox(CVector3* min, CVector3* max) {
  CVector3 lo, hi;
  ComputeWorldBox(&lo, &hi);
  // Compared bit for bit: a box that differs in any way (a sign of zero, a
  // payload of a NaN) is a change to those who copied the old one.
  if (std::memcmp(&lo, &WorldBoxMin, sizeof lo) != 0 || std::memcmp(&hi, &WorldBoxMax, sizeof hi) != 0) NoteBoxChange();
  WorldBoxMin = lo;
  WorldBoxMax = hi;
  if (min != nullptr) *min = WorldBoxMin;
  if (max != nullptr) *max = WorldBoxMax;
}

void CEnvInstance::GatherBounds(CVector3* min, CVector3* max, bool force) {
  ForSubtree(this, [min, max, force](CEnvInstance* i) {
    if (!i->IsStatic()) return;
    if (!force && (i->Flags & INSTF_NOT_IN_BOUNDS)) return;
    CVector3 lo, hi;
    i->UpdateWorldBox(&lo, &hi);
    *min = {std::fmin(min->x, lo.x), std::fmin(min->y, lo.y), std::fmin(min->z, lo.z)};
    *max = {std::fmax(max->x, hi.x), std::fmax(max->y, hi.y), std::fmax(max->z, hi.z)};
  });
}

void CEnvInstance::LocalToWorld(int node, const CVector3& point, CVector3* out) const {
  const CMatrix* m = node >= 0 ? GetNodeWorldMatrix(node) : nullptr;
  (m != nullptr ? *m : WorldMatrix).TransformPoint(point, out);
}

void CEnvInstance::WorldToLocal(int node, const CVector3& point, CVector3* out) const {
  const CMatrix* m = node >= 0 ? GetNodeWorldMatrix(node) : nullptr;
  if (m == nullptr) {
    InverseWorldMatrix.TransformPoint(point, out);
    return;
  }
  CMatrix inverse;
  if (!m->Invert(&inverse, nullptr)) inverse.SetIdentity();
  inverse.TransformPoint(point, out);
}

void CEnvInstance::RotateToWorld(int node, const CVector3& direction, CVector3* out) const {
  const CMatrix* m = node >= 0 ? GetNodeWorldMatrix(node) : nullptr;
  (m != nullptr ? *m : WorldMatrix).RotateVector(direction, out);
}

void CEnvInstance::RotateToLocal(int node, const CVector3& direction, CVector3* out) const {
  const CMatrix* m = node >= 0 ? GetNodeWorldMatrix(node) : nullptr;
  if (m == nullptr) {
    InverseWorldMatrix.RotateVector(direction, out);
    return;
  }
  CMatrix inverse;
  if (!m->Invert(&inverse, nullptr)) inverse.SetIdentity();
  inverse.RotateVector(direction, out);
}

void CEnvInstance::AddActiveLight(int light) {
  for (int i = 0; i < ActiveLightCount; ++i)
    if (ActiveLights[i] == light) return;
  // The list holds eight; the device never enables more for one draw.
  if (ActiveLightCount >= kMaxInstanceLights) return;
  ActiveLights[ActiveLightCount++] = static_cast<std::uint8_t>(light);
}

void CEnvInstance::RemoveActiveLight(int light) {
  for (int i = 0; i < ActiveLightCount; ++i) {
    if (ActiveLights[i] != light) continue;
    for (int j = i + 1; j < ActiveLightCount; ++j) ActiveLights[j - 1] = ActiveLights[j];
    --ActiveLightCount;
    return;
  }
}

void CEnvInstance::CopyActiveLights(const CEnvInstance& other) {
  ActiveLightCount = other.ActiveLightCount;
  for (int i = 0; i < ActiveLightCount; ++i) ActiveLights[i] = other.ActiveLights[i];
}

void CEnvInstance::SetSphereOffset(const CVector3& offset) {
  SphereOffset = offset;
  StateBits |= INSTS_SPHERE_OFFSET;
  StateBits &= ~INSTS_BOUNDS_VALID;
}

void CEnvInstance::ClearSphereOffset() {
  SphereOffset = {};
  StateBits &= ~(INSTS_SPHERE_OFFSET | INSTS_BOUNDS_VALID);
}

void CEnvInstance::GetSphereOffset(CVector3* out) const {
  *out = (StateBits & INSTS_SPHERE_OFFSET) ? SphereOffset : CVector3{};
}

int CEnvInstance::DefaultHitCallback(CEnvInstance* instance, float strength, CEnvInstance* other) {
  (void)other;
  if (instance != nullptr) instance->Damage(strength);
  return 1;
}

int CEnvInstance::GetVertexAnimFrameCount() const {
  const int frames = Template != nullptr ? static_cast<int>(Template->VertexAnimFrames) - 1 : 0;
  return frames < 1 ? 1 : frames;
}

void CEnvInstance::StepVertexAnim(float frameTime) {
  if (Flags & INSTF_VANIM_PAUSED) return;
  const float count = static_cast<float>(GetVertexAnimFrameCount());
  float frame = VertexAnimFrame + frameTime * VertexAnimSpeed;
  if (frame >= count) {
    if (Flags & INSTF_VANIM_STOP_AT_END) {
      frame = count;
      VertexAnimSpeed = 0.0f;
    } else {
      frame = std::fmod(frame, count);
    }
  } else if (frame < 0.0f) {
    frame = std::fmod(frame, count) + count;
    if (frame >= count) frame = 0.0f;
  }
  VertexAnimFrame = frame;
}

void CEnvInstance::PauseVertexAnim(bool run) {
  if (run)
    Flags &= ~INSTF_VANIM_PAUSED;
  else
    Flags |= INSTF_VANIM_PAUSED;
}

void CEnvInstance::Draw(const CFrustum* frustum) {
  if (!IsDrawnThisFrame()) return;
  UpdateBoundingSphere();
  if (frustum != nullptr && !frustum->TestSphere(WorldSphere, nullptr)) return;
  if (const CCamera* camera = CCamera::GetCurrentCamera()) {
    ProjectedSize = camera->GetPerspectiveScale(WorldSphere.Centre) * WorldSphere.Radius;
    if (!(Flags & INSTF_ANY_SIZE) && ProjectedSize < 0.005f) return;
  }
  CRender* render = g_EnvInstanceGlobals.Render;
  if (render != nullptr) render->SetWorldMatrix(WorldMatrix);
  if (PreDrawHook != nullptr) PreDrawHook(this, HookData);

  // Lights: the instance's own list in place of the last draw's, unless it
  // is lit by the shared set already enabled.
  bool anyLight = false;
  if (!(Flags & INSTF_LIT_ALL) || g_EnvInstanceGlobals.UnlitMode) {
    CLightTable::ClearActive();
    for (int i = 0; i < ActiveLightCount; ++i) anyLight |= CLightTable::AddActive(ActiveLights[i]);
  } else {
    anyLight = CLightTable::ActiveCount > 0;
  }
  if (render != nullptr) render->SetLighting(anyLight && g_EnvInstanceGlobals.LightsAllowed ? TRUE : FALSE);
  ++g_EnvInstanceGlobals.DrawCount;
  if (anyLight) ++g_EnvInstanceGlobals.LitDrawCount;

  // By template kind: hierarchical instances draw their nodes themselves, a
  // vertex-animated template is submitted at the current frame, any other
  // with the override texture (after its shadow, unless lit by the shared set).
  if (Template != nullptr) {
    switch (Template->TemplateKind) {
      case OTYPE_TRANSFORMANIM:
        DrawHierarchy();
        break;
      case OTYPE_VERTEXANIM:
        Template->SubmitFrame(VertexAnimFrame, nullptr);
        break;
      default:
        if ((Flags & INSTF_QUEUED_SHADOW) && !(Flags & INSTF_LIT_ALL)) {
          const EnvDrawHooks& hooks = GetEnvDrawHooks();
          if (hooks.SetInstanceShadowLight == nullptr || hooks.SetInstanceShadowLight(this) != 0) Template->QueueShadow();
        }
        Template->SubmitMesh(nullptr, OverrideTexture, nullptr);
        break;
    }
  }
  // The shrubs of the instance's garden, lit as the instance when they ask to be.
  if (GardenIndex != -1 && g_Environment != nullptr && g_Environment->Shrubbery != nullptr)
    g_Environment->Shrubbery->QueueGarden(this);
  LastDrawnFrame = g_EnvInstanceGlobals.FrameNumber;
  LastDrawnTime = g_EnvInstanceGlobals.GameTime;
}

int CEnvInstance::GetNodeForPoint(const CVector3& point) const {
  if (Template == nullptr || Template->TemplateKind != OTYPE_TRANSFORMANIM) return -1;
  for (const CEnvObject* node = Template; node != nullptr; node = node->NextNode) {
    const CMatrix* m = GetNodeWorldMatrix(node->NodeIndex);
    if (m == nullptr) continue;
    const float dx = m->m[3][0] - point.x, dy = m->m[3][1] - point.y, dz = m->m[3][2] - point.z;
    if (dx * dx + dy * dy + dz * dz <= 0.0001f * 0.0001f) return node->NodeIndex;
  }
  return -1;
}

void CEnvInstance::SwapObject(ObjectTemplatePair* pair) {
  if (pair == nullptr) return;
  CEnvObject* t = Template;
  if (pair->Template != t) NoteBoxChange();
  Template = pair->Template;
  pair->Template = t;
  const std::uint32_t texture = OverrideTexture;
  OverrideTexture = pair->OverrideTexture;
  pair->OverrideTexture = texture;
  StateBits &= ~INSTS_BOUNDS_VALID;
}

void CEnvInstance::DrawCollisionShapes(std::uint32_t colour) {
  if (Template == nullptr) return;
  CRender* render = g_EnvInstanceGlobals.Render;
  if (Template->TemplateKind == OTYPE_TRANSFORMANIM) {
    EvaluatePose();
    for (CEnvObject* node = Template; node != nullptr; node = node->NextNode) {
      if (node->Flags & EOF_CONNECTOR) continue;
      const CMatrix* m = GetNodeWorldMatrix(node->NodeIndex);
      if (render != nullptr) render->SetWorldMatrix(m != nullptr ? *m : WorldMatrix);
      node->DrawBox(colour);
      node->DrawSphere(colour);
    }
    return;
  }
  if (render != nullptr) render->SetWorldMatrix(WorldMatrix);
  Template->DrawBox(colour);
  Template->DrawSphere(colour);
}

Portal* CEnvInstance::FindPortalAt(const CVector3& point) {
  return Zone != nullptr ? Zone->FindPortalAt(point) : nullptr;
}

const char* CEnvInstance::GetIdString() const {
  static char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "#0x%X", NameHash);
  return buffer;
}

// The query sphere in the instance's space: its centre through the inverse
// world matrix, its radius divided by the x scale.  A swept query is covered
// by the sphere around the whole sweep.
bool CEnvInstance::GatherCollisionCandidates(const CollisionQuery& query, const CollisionGatherState& state,
                                             CollisionCandidateTable* table) {
  if (Flags & (INSTF_DISABLED | INSTF_NOT_COLLIDABLE)) return true;
  if ((state.Switches & kGatherSkipPassThrough) && (Flags & INSTF_PASS_THROUGH)) return true;
  if (CollisionGroup & state.GroupMask) return true;
  if (Template == nullptr) return true;

  CSphere world;
  if (query.Swept) {
    const CVector3 d{query.End.x - query.Start.x, query.End.y - query.Start.y, query.End.z - query.Start.z};
    world.Centre = {query.Start.x + d.x * 0.5f, query.Start.y + d.y * 0.5f, query.Start.z + d.z * 0.5f};
    world.Radius = query.Radius + 0.5f * std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  } else {
    world.Centre = query.Start;
    world.Radius = query.Radius;
  }

  auto examine = [&](CEnvObject* node, const CMatrix* nodeMatrix) -> bool {
    CSphere local;
    if (nodeMatrix != nullptr) {
      CMatrix inverse;
      if (!nodeMatrix->Invert(&inverse, nullptr)) return true;
      inverse.TransformPoint(world.Centre, &local.Centre);
    } else {
      InverseWorldMatrix.TransformPoint(world.Centre, &local.Centre);
    }
    local.Radius = Scale.x != 0.0f ? world.Radius / Scale.x : world.Radius;
    bool hit = false;
    switch (node->SolidType) {
      case 2:
      case 3:
      case 5:
        hit = SphereTouchesBox(local, node->Bounds.Min, node->Bounds.Max);
        break;
      case 4: {
        // Two spheres touch when the centres lie within the sum of the radii.
        const CVector3& c = node->Sphere.Centre;
        const float dx = local.Centre.x - c.x, dy = local.Centre.y - c.y, dz = local.Centre.z - c.z;
        const float reach = local.Radius + node->Sphere.Radius;
        hit = dx * dx + dy * dy + dz * dz <= reach * reach;
        break;
      }
      default:
        ErrorBox("Unknown or unsupported solid collision type\n");
        return true;
    }
    if (!hit) return true;
    if (table->Count >= kMaxCollisionCandidates) return false;
    table->Entries[table->Count++] = {this, node, local, world, world.Centre};
    return true;
  };

  if (Template->TemplateKind == OTYPE_TRANSFORMANIM && (Template->Flags & EOF_COLLIDE_BY_NODES)) {
    for (CEnvObject* node = Template; node != nullptr; node = node->NextNode) {
      if (node->Flags & EOF_CONNECTOR) continue;  // connector nodes never collide
      if (!examine(node, GetNodeWorldMatrix(node->NodeIndex))) return false;
    }
    return true;
  }
  return examine(Template, nullptr);
}

bool CEnvInstance::QueryBspTree(const CSphere& sphere, std::uint32_t surfaceKind, std::uint32_t* blocked) {
  if (Template == nullptr) return false;
  UpdateWorldBox(nullptr, nullptr);
  if (!SphereTouchesBox(sphere, WorldBoxMin, WorldBoxMax)) return false;
  const float s[4] = {sphere.Centre.x, sphere.Centre.y, sphere.Centre.z, sphere.Radius};
  if (Template->TemplateKind == OTYPE_TRANSFORMANIM) {
    EvaluatePose();
    for (CEnvObject* node = Template; node != nullptr; node = node->NextNode) {
      if (node->MeshKind != 0) continue;
      const CMatrix* m = GetNodeWorldMatrix(node->NodeIndex);
      if (node->QueryBsp(s, m != nullptr ? *m : WorldMatrix, surfaceKind, blocked)) return true;
    }
    return false;
  }
  return Template->QueryBsp(s, WorldMatrix, surfaceKind, blocked);
}

bool CEnvInstance::SphereHitsBsp(const BspNode* tree, const CSphere& sphere, std::uint32_t surfaceMask) {
  const float s[4] = {sphere.Centre.x, sphere.Centre.y, sphere.Centre.z, sphere.Radius};
  std::uint32_t hit = 0;
  BspSphereQuery(tree, s, &hit, surfaceMask);
  return hit == 1;
}

bool CEnvInstance::GetLastBspHit(CVector3* point, float* distance, float plane[4]) {
  const BspSegmentResult& r = GetBspSegmentResult();
  if (r.Polygon == nullptr) return false;
  *point = r.Point;
  *distance = r.Factor;
  for (int k = 0; k < 4; ++k) plane[k] = r.Plane[k];
  return true;
}

// The phase p is in degrees; sin p lies in [-1, 1], so the inner angle
// pi sin p lies in [-pi, pi] and is wrapped into [0, 2 pi) before its sine.
void SwayStep(SwayRecord* sway, float frameTime) {
  constexpr float kPi = 3.14159265358979f;
  float inner = kPi * std::sin(sway->Phase / kRadToDeg);
  if (inner < 0.0f) inner += 2.0f * kPi;
  const float s = std::sin(inner) * sway->Amplitude * 0.1f;
  sway->Offset = {s * sway->Weights.x, s * sway->Weights.y, s * sway->Weights.z};
  sway->Phase = WrapDegrees(sway->Phase + frameTime * sway->Speed);
}

void GetInstancePosition(const CEnvInstance* instance, CVector3* out) {
  if (instance->TransformMode == TRANSFORMMODE_PARENTRELATIVE ||
      instance->TransformMode == TRANSFORMMODE_CONNECTORRELATIVE)
    instance->GetPosition(out);
  else
    *out = instance->LocalPosition;
}
