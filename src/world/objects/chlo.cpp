#include "world/objects/chlo.h"

#include <cstdio>

#include "foundation/system/message_box.h"
#include "platform/win32/message_box.h"
#include "foundation/text/hash.h"
#include "sound/sound_manager.h"
#include "world/effects/impact_debris.h"
#include "world/environment/env_instance.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/hlo_spawn_record.h"
#include "world/objects/hlo_world.h"

std::uint8_t g_HLOLocalSide = 0;

namespace {

HLOWorld* g_world = nullptr;

// Instance flags the base sets or clears on its visual.
constexpr std::uint32_t kInstancePassThrough = 0x1;
constexpr std::uint32_t kInstanceShadow = 0x2;
constexpr std::uint32_t kInstanceCreateHidden = 0x4 | 0x8;  // disabled and hidden
constexpr std::uint32_t kInstanceAnimatedDraw = 0x800;
constexpr std::uint32_t kInstanceOwnLights = 0x10000000;
constexpr int kHierarchicalTemplate = 4;

// The first ancestor of `instance` (itself included) that is not
// pass-through; the top ancestor when all are.
CEnvInstance* SolidAncestor(CEnvInstance* instance) {
  CEnvInstance* at = instance;
  while (at->Flags & kInstancePassThrough) {
    if (!at->Parent) break;
    at = at->Parent;
  }
  return at;
}

// Hides a visual for the length of a ground query and switches the
// environment's line queries to the landscape alone, restoring both after.
class GroundQueryScope {
 public:
  GroundQueryScope(CEnvInstance* instance, HLOWorld* world) : instance_(instance), world_(world) {
    if (instance_) wasVisible_ = instance_->SetVisible(false, false);
    lineQuery_ = world_->SetInstanceLineQuery(0);
  }
  ~GroundQueryScope() {
    world_->SetInstanceLineQuery(lineQuery_);
    if (instance_) instance_->SetVisible(wasVisible_, false);
  }

 private:
  CEnvInstance* instance_;
  HLOWorld* world_;
  bool wasVisible_ = true;
  std::uint32_t lineQuery_ = 0;
};

float DistanceSquared(const CVector3& a, const CVector3& b) {
  float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

}  // namespace

HLOWorld* GetHLOWorld() { return g_world; }
void SetHLOWorld(HLOWorld* world) { g_world = world; }

CHLO::CHLO(const HLOSpawnRecord& record, const void* stats, const char* statsName) {
  TakesGroundLights = record.takesGroundLights;
  Stats = stats;
  Flags = record.objectFlags;
  SoundEmitterId = g_SoundManager ? g_SoundManager->NextEmitterId() : 0;
  Side = record.side;
  Id = record.id;

  const CVector3 scale{1.0f, 1.0f, 1.0f};
  Instance = CreateVisual(record.templateName, record.templ, record.templateKind, record.rotation, record.position, scale);
  if (Instance && g_world) {
    if (record.textureName[0]) Instance->OverrideTexture = g_world->GetTexture(record.textureName);
    g_world->ApplyRenderInfo(Instance, record.renderInfo);
    Instance->Flags |= record.instanceFlags;
    g_world->RegisterLadders(Instance);
  }

  // Ground: the record's, else the landscape below the object, else the
  // first landscape tile of the level.
  CEnvInstance* ground = record.groundInstance;
  if (!ground) {
    HLOGroundHit hit;
    if (FindGroundPoint(record.position.x, record.position.z, &hit)) {
      ground = hit.instance;
    } else {
      if (Flags & HLOF_ACTIVE)
        WarningBox("Failed to find HLO ground point \"%s %d\"\nSetting to default", record.objectName, record.id);
      ground = g_world ? g_world->FirstLandscapeInstance() : nullptr;
    }
  }
  SetGroundRoot(ground);
  SetGroundInstance(ground);

  if (TakesGroundLights) {
    InheritGroundLights();
  } else if (Instance) {
    int count = record.lightCount < HLOSpawnRecord::kMaxLights ? record.lightCount : HLOSpawnRecord::kMaxLights;
    for (int i = 0; i < count; ++i) Instance->AddActiveLight(record.lights[i]);
  }

  Kind = record.kind;
  OrderKey = record.orderKey;
  if (stats) StatsNameHash = HashString(statsName ? statsName : record.statsName);
  if (Instance) {
    if (record.noShadow == 0)
      Instance->Flags |= kInstanceShadow;
    else
      Instance->Flags &= ~kInstanceShadow;
    Instance->Flags &= ~kInstanceOwnLights;
  }
}

CEnvInstance* CHLO::CreateVisual(const char* templateName, CEnvObject* templ, int templateKind,
                                 const CVector3& rotation, const CVector3& position, const CVector3& scale) {
  ReferencePosition = position;
  if (!g_world) return nullptr;
  std::uint32_t creationFlags = g_world->GetInstanceLineQuery() ? 0u : kInstanceCreateHidden;
  if (!templ) {
    templ = g_world->LoadObject(templateKind, templateName);
    if (!templ) {
      MessageBoxA(GetActiveWindow(), templateName, "Failed to open...", MB_OKCANCEL);
      return nullptr;
    }
  }
  char name[160];
  std::snprintf(name, sizeof name, "%s%d", templateName, Id);
  int type = templateKind == -1 ? g_world->TemplateType(templ) : templateKind;
  bool animated = type == kHierarchicalTemplate;
  CEnvInstance* instance = g_world->CreateInstance(name, templ, animated, rotation, position, scale, creationFlags);
  if (instance && animated) instance->Flags |= kInstanceAnimatedDraw;
  return instance;
}

void CHLO::SetActive(int flag) {
  bool active = (Flags & HLOF_ACTIVE) != 0;
  if (!active && flag) {
    if (g_HLOManager)
      g_HLOManager->ActivateObject(this);
    else
      Flags |= HLOF_ACTIVE;
    ActivationTime = g_world ? g_world->GameTime() : 0;
  } else if (active && !flag) {
    if (g_HLOManager)
      g_HLOManager->DeactivateObject(this);
    else
      Flags &= ~HLOF_ACTIVE;
  }
}

void CHLO::Hit(const CVector3&, float, CHLO*) {}
bool CHLO::LethalHit(float, int, CHLO*) { return false; }
void CHLO::HandleMessage(std::uint32_t) {}
int CHLO::AcceptsSphereEvent(const void*) { return 0; }
void CHLO::OnSphereEvent(const void*) {}

void CHLO::SetSide(std::uint8_t side) {
  if (side == Side) return;
  if (g_HLOManager)
    g_HLOManager->ChangeSide(this, side);
  else
    Side = side;
}

CVector3& CHLO::GetRotation(CVector3& out) const {
  out = CVector3{0.0f, 0.0f, 0.0f};
  if (!Instance) return out;
  if (Instance->TransformMode == TRANSFORMMODE_PARENTRELATIVE || Instance->TransformMode == TRANSFORMMODE_CONNECTORRELATIVE)
    Instance->GetRotation(&out);
  else
    out = Instance->GetStoredRotation();
  return out;
}

void CHLO::SetRotation(const CVector3& rotation) {
  if (!Instance) return;
  if (Flags & HLOF_ROTATE_DIRECT)
    Instance->SetRotationDirect(rotation);
  else
    Instance->SetRotation(rotation, false);
}

bool CHLO::FindGroundPoint(float x, float z, HLOGroundHit* hit) {
  if (!g_world || !hit) return false;
  GroundQueryScope scope(Instance, g_world);
  return g_world->ProbeDown(x, z, hit);
}

bool CHLO::FindGroundBelow(const CVector3& point, float length, HLOGroundHit* hit) {
  if (!g_world || !hit) return false;
  GroundQueryScope scope(Instance, g_world);
  return g_world->FindGroundBelow(point, length, hit);
}

bool CHLO::DropToGround(float largestDistance) {
  if (!g_world || !Instance) return false;
  HLOGroundHit hit;
  CVector3 position = GetPosition();
  bool wasVisible = Instance->SetVisible(false, false);
  bool found = g_world->FindGround(position, &hit);
  Instance->SetVisible(wasVisible, false);
  if (!found || !hit.instance) return false;
  if (largestDistance != 0.0f && DistanceSquared(position, hit.point) >= largestDistance * largestDistance) return false;
  if (hit.instance->GetRoot() == GroundRoot) return false;
  Instance->SetPosition(hit.point, false);
  SetGroundRoot(hit.instance);
  GroundInstance = hit.instance;
  InheritGroundLights();
  return true;
}

void CHLO::PlaceAt(const CVector3& position, int, int keepPosition, int, int) {
  if (!g_world || !Instance) return;
  HLOGroundHit hit;
  bool wasVisible = Instance->SetVisible(false, false);
  bool found = g_world->FindGround(position, &hit);
  Instance->SetVisible(wasVisible, false);
  if (!found || !hit.instance) return;
  Instance->SetPosition(keepPosition ? position : hit.point, false);
  SetGroundRoot(hit.instance);
  GroundInstance = hit.instance;
  InheritGroundLights();
}

void CHLO::SetGroundRoot(CEnvInstance* instance) {
  if (!instance) {
    GroundRoot = nullptr;
    return;
  }
  if (instance == GroundRoot) return;
  CEnvInstance* root = SolidAncestor(instance)->GetRoot();
  GroundRoot = root;
  // The visual hangs under the top of what it stands on.
  if (Instance && root != Instance) root->AttachChild(Instance);
}

void CHLO::SetGroundInstance(CEnvInstance* instance) {
  GroundInstance = instance && instance == Instance ? SolidAncestor(instance) : instance;
}

void CHLO::InheritGroundLights() {
  if (TakesGroundLights && GroundInstance && Instance) Instance->CopyActiveLights(*GroundInstance);
}

void CHLO::DetachInstance() {
  if (Instance) Instance->Detach();
}

CVector3 CHLO::GetPosition() const {
  CVector3 out{0.0f, 0.0f, 0.0f};
  if (Instance) GetInstancePosition(Instance, &out);
  return out;
}

bool CHLO::IsOutsideWorld() const {
  if (!g_world) return false;
  CVector3 min, max;
  g_world->GetWorldBounds(&min, &max);
  // The world's bounds with a margin of 100 on every side.
  CVector3 p = GetPosition();
  return p.x < min.x - 100.0f || p.y < min.y - 100.0f || p.z < min.z - 100.0f || p.x > max.x + 100.0f ||
         p.y > max.y + 100.0f || p.z > max.z + 100.0f;
}

bool CHLO::HasMovedFromReference() const {
  CVector3 p = GetPosition();
  if (RangeRadius == 0.0f)
    return p.x != ReferencePosition.x || p.y != ReferencePosition.y || p.z != ReferencePosition.z;
  return DistanceSquared(p, ReferencePosition) > RangeRadius * RangeRadius;
}

bool CHLO::HasMovedOutOfRange() const {
  float radius = RangeRadius > 0.0f ? RangeRadius : 1.0f;
  return (Flags & HLOF_MOVED) || DistanceSquared(GetPosition(), ReferencePosition) > radius * radius;
}

std::uint32_t CHLO::TimeLastDrawn() const { return Instance ? Instance->GetLastDrawnTime() : 0; }
std::uint32_t CHLO::FramesSinceDrawn() const { return Instance ? Instance->FramesSinceDrawn() : 0; }
bool CHLO::WasEverDrawn() const { return Instance && Instance->WasEverDrawn(); }

void CHLO::SettleOnGround() {
  HLOGroundHit hit;
  CVector3 p = GetPosition();
  CEnvInstance* ground = FindGroundPoint(p.x, p.z, &hit) ? hit.instance : nullptr;
  SetGroundRoot(ground);
  SetGroundInstance(ground);
}

void CHLO::TakeReferencePosition() { ReferencePosition = GetPosition(); }

void NotifyWorldChanged() {
  if (g_HLOManager) g_HLOManager->ForEachActiveObject([](CHLO* object) { object->OnWorldChanged(); });
}

int CHLO::SpawnDebris(int count, CEnvObject* mesh, bool burning) {
  if (Instance == nullptr || g_ImpactPieces == nullptr || count <= 0) return 0;
  const std::uint32_t mask = (Flags & HLOF_DEBRIS_MASK) ? kObjectDebrisMask2 : kObjectDebrisMask;
  return g_ImpactPieces->Throw(Instance, nullptr, count, 0, burning, mask, mesh);
}
