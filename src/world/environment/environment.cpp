#include "world/environment/environment.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "foundation/files/path_helpers.h"
#include "foundation/text/hash.h"
#include "foundation/time/timer.h"
#include "render/device/render.h"
#include "render/geometry/camera.h"
#include "scene/light_table.h"
#include "world/environment/env_object.h"
#include "world/environment/evo_file.h"
#include "world/environment/pool_size_file.h"
#include "world/glass/glazier.h"
#include "world/shrubbery/shrubbery.h"
#include "world/sky/sky.h"
#include "world/space/zone_draw.h"
#include "world/space/zone_record.h"

CEnvironment* g_Environment = nullptr;
CEnvInstance* g_RootInstance = nullptr;
ZoneRecord* g_RootZone = nullptr;
std::uint32_t g_EnvRenderFlags = kEnvRenderFlagsInitial;
std::uint32_t g_EnvQueryStamp = 0;
FastAllocator<CEnvObject> g_EnvObjectPool;

namespace {

CEnvObject* AllocatePoolNode() { return g_EnvObjectPool.Allocate(); }
bool PoolTakesNode(CEnvObject* node) { return g_EnvObjectPool.Owns(node); }

// Case-insensitive hash of the file name of a path without its extension:
// the name templates are known by.
std::uint32_t TemplateNameHash(const char* path) {
  std::string name = GetPathFileName(path);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.resize(dot);
  return HashStringNoCase(name.c_str());
}

// Frees an instance record that is not in the instance pool, and the zone
// record of a zone root with its portals.
void FreeInstance(CEnvInstance* instance) {
  if (instance->Zone != nullptr) {
    instance->Zone->FreePortals();
    delete instance->Zone;
    instance->Zone = nullptr;
  }
  if (!g_EnvInstancePool.Owns(instance)) delete instance;
}

}  // namespace

CEnvironment::CEnvironment(CRender* render, CTextureManager* textures, CMaterialList* materials,
                           CLinearBuffer* frameBlock, DepthSortQueue* queue, CLightTable* lights, CTimer* gameClock,
                           CTimer* realClock)
    : Render(render),
      Textures(textures),
      Materials(materials),
      GameClock(gameClock),
      RealClock(realClock),
      LightTable(lights),
      FrameBlock(frameBlock),
      Queue(queue) {
  Sky = new (std::nothrow) CSky(render, textures, materials, frameBlock, queue, gameClock);
  SetEnvObjectPool(&AllocatePoolNode, &PoolTakesNode);
  // The level's pool-size file sizes these two pools before the level loads.
  PoolSizeFileSetPool(kPoolEnvInstances, &g_EnvInstancePool);
  PoolSizeFileSetPool(kPoolEnvObjects, &g_EnvObjectPool);
  RootInstance = new (std::nothrow) CEnvInstance;
  if (RootInstance != nullptr) {
    RootInstance->Construct(render, Modules(), 0);
    RootInstance->Zone = new (std::nothrow) ZoneRecord;
  }
  g_RootInstance = RootInstance;
  g_RootZone = RootInstance != nullptr ? RootInstance->Zone : nullptr;
  Shrubbery = new (std::nothrow) CShrubbery(this);
  g_Environment = this;
}

CEnvironment::~CEnvironment() {
  Flags |= kEnvFlagDestroying;
  delete Glass;  // also clears g_Glazier when it names this set
  Glass = nullptr;
  delete Shrubbery;
  Shrubbery = nullptr;
  // Every listed instance: pool records stay for the pool's release.
  for (CEnvInstance* i = InstanceList; i != nullptr;) {
    CEnvInstance* next = i->EnvLink;
    FreeInstance(i);
    i = next;
  }
  InstanceList = nullptr;
  for (CEnvObject* t = TemplateList; t != nullptr;) {
    CEnvObject* next = t->NextTemplate;
    FreeEnvObjectTemplate(t);
    t = next;
  }
  TemplateList = nullptr;
  g_EnvInstancePool.ClearCounters();
  g_EnvInstancePool.Release();
  g_EnvObjectPool.ClearCounters();
  g_EnvObjectPool.Release();
  delete Sky;
  Sky = nullptr;
  ::operator delete(ScratchBuffer);
  ScratchBuffer = nullptr;
  delete[] AnimatedArray;
  AnimatedArray = nullptr;
  AnimatedCount = 0;
  delete[] StaticArray;
  StaticArray = nullptr;
  StaticCount = 0;
  Flags &= ~kEnvFlagDestroying;
  if (RootInstance != nullptr) FreeInstance(RootInstance);
  RootInstance = nullptr;
  g_RootInstance = nullptr;
  g_RootZone = nullptr;
  g_GlobalDynamicInstances = nullptr;
  if (g_Environment == this) g_Environment = nullptr;
}

EnvInstanceModules CEnvironment::Modules() const {
  EnvInstanceModules m;
  m.Textures = Textures;
  m.Materials = Materials;
  m.FrameBlock = FrameBlock;
  m.Queue = Queue;
  m.Lights = LightTable;
  return m;
}

// --- templates ----------------------------------------------------------------

CEnvObject* CEnvironment::LoadObject(const char* path, int fileArg, bool searchFirst, int loadArg) {
  (void)fileArg;
  if (path == nullptr) return nullptr;
  if (searchFirst) {
    if (CEnvObject* found = FindObjectByName(path)) return found;
  }
  return LoadAndAddObject(path, 7, loadArg);
}

CEnvObject* CEnvironment::FindOrLoadObject(const char* path, int fileArg) {
  if (path == nullptr) return nullptr;
  if (CEnvObject* found = FindObjectByName(path)) return found;
  return LoadAndAddObject(path, 4, fileArg);
}

// Reads a template through the object-file loader with this environment's
// device, libraries and frame queue, and files it in the template list.
CEnvObject* CEnvironment::LoadAndAddObject(const char* path, int mode, int loadArg) {
  EnvLoadContext context;
  context.Render = Render;
  context.Textures = Textures;
  context.Materials = Materials;
  context.QueueAllocator = FrameBlock;
  context.Queue = Queue;
  return AddObject(EnvFileLoadObject(-1, path, context, mode, loadArg));
}

CEnvObject* CEnvironment::AddObject(CEnvObject* object) {
  if (object == nullptr) return nullptr;
  object->NextTemplate = TemplateList;
  TemplateList = object;
  return object;
}

CEnvObject* CEnvironment::FindObjectByName(const char* path) const {
  if (path == nullptr) return nullptr;
  return FindObjectByHash(TemplateNameHash(path));
}

CEnvObject* CEnvironment::FindObjectByHash(std::uint32_t hash) const {
  for (CEnvObject* t = TemplateList; t != nullptr; t = t->NextTemplate) {
    if (t->ObjectNameHash == hash) return t;
    for (CEnvObject* node = t->NextNode; node != nullptr; node = node->NextNode)
      if (node->NameHash == hash) return node;
  }
  return nullptr;
}

// --- instances ----------------------------------------------------------------

CEnvInstance* CEnvironment::MakeInstance(const char* name, CEnvObject* object, const CVector3& position,
                                         const CVector3& rotation, const CVector3* scale, int kindCode,
                                         std::uint32_t creationFlags) {
  CEnvInstance* instance = EnvInstancePoolAllocate();
  if (instance == nullptr) return nullptr;
  instance->Construct(Render, Modules(), creationFlags);
  std::uint32_t hash;
  if (name != nullptr && name[0] != '\0') {
    hash = HashStringNoCase(name);
  } else {
    // "<template id><counter>": the template's "#0x%X" id text and a running number.
    char text[64];
    std::snprintf(text, sizeof(text), "%s%u", object != nullptr ? object->GetIdString() : "", InstanceCounter);
    ++InstanceCounter;
    hash = HashStringNoCase(text);
  }
  instance->Setup(kindCode, object, scale, rotation, position, hash);
  return instance;
}

CEnvInstance* CEnvironment::CreateInstance(const char* name, CEnvObject* object, const CVector3& position,
                                           const CVector3& rotation, const CVector3* scale, int meshMode,
                                           std::uint32_t creationFlags) {
  CEnvInstance* instance = MakeInstance(name, object, position, rotation, scale, meshMode, creationFlags);
  if (instance == nullptr) return nullptr;
  instance->EnvLink = InstanceList;
  InstanceList = instance;
  InstanceBytes += instance->SizeAccounting;
  return instance;
}

CEnvInstance* CEnvironment::CreateInstanceTree(const char* path, const CVector3& position,
                                               const CVector3& rotation, const CVector3* scale,
                                               std::uint32_t creationFlags) {
  CEnvObject* object = FindObjectByName(path);
  if (object == nullptr) return nullptr;
  const int kindCode = object->TemplateKind == OTYPE_VERTEXANIM ? 5 : 0;
  CEnvInstance* first = nullptr;
  for (CEnvObject* node = object; node != nullptr; node = node->NextNode) {
    char name[300];
    std::snprintf(name, sizeof(name), "%s-%u", path, InstanceCounter);
    ++InstanceCounter;
    CEnvInstance* instance = MakeInstance(name, node, position, rotation, scale, kindCode, creationFlags);
    if (instance == nullptr) break;
    if (first == nullptr)
      first = instance;
    else
      first->AttachChild(instance);
    instance->EnvLink = InstanceList;
    InstanceList = instance;
    InstanceBytes += instance->SizeAccounting;
  }
  return first;
}

void CEnvironment::AddInstance(CEnvInstance* instance) {
  if (instance == nullptr) return;
  instance->EnvLink = InstanceList;
  InstanceList = instance;
  ++InstanceCounter;
}

CEnvInstance* CEnvironment::FindInstanceByName(const char* name) const {
  if (name == nullptr) return nullptr;
  return FindInstanceById(HashStringNoCase(name));
}

CEnvInstance* CEnvironment::FindInstanceById(std::uint32_t hash) const {
  for (CEnvInstance* i = InstanceList; i != nullptr; i = i->EnvLink)
    if (i->NameHash == hash) return i;
  return nullptr;
}

bool CEnvironment::ContainsInstance(const CEnvInstance* instance) const {
  for (CEnvInstance* i = InstanceList; i != nullptr; i = i->EnvLink)
    if (i == instance) return true;
  return false;
}

void CEnvironment::SetViewInstance(CEnvInstance* instance) {
  ViewInstance = instance != nullptr ? instance->GetRoot() : nullptr;
}

// --- level time -----------------------------------------------------------------

void CEnvironment::ComputeWorldBounds() {
  bool any = false;
  CVector3 lo{1e8f, 1e8f, 1e8f}, hi{-1e8f, -1e8f, -1e8f};
  for (CEnvInstance* i = InstanceList; i != nullptr; i = i->EnvLink) {
    if (i->Parent != nullptr) continue;
    any = true;
    i->GatherBounds(&lo, &hi, false);
  }
  if (!any) {
    for (int k = 0; k < 3; ++k) {
      WorldBounds[k] = -kEnvDefaultBound;
      WorldBounds[k + 3] = kEnvDefaultBound;
    }
    return;
  }
  WorldBounds[0] = lo.x - kEnvBoundsPadding;
  WorldBounds[1] = lo.y - kEnvBoundsPadding;
  WorldBounds[2] = lo.z - kEnvBoundsPadding;
  WorldBounds[3] = hi.x + kEnvBoundsPadding;
  WorldBounds[4] = hi.y + kEnvBoundsPadding;
  WorldBounds[5] = hi.z + kEnvBoundsPadding;
}

void CEnvironment::BuildStaticList() {
  auto isListed = [](const CEnvInstance* i) { return i->Parent == nullptr && !(i->Flags & INSTF_HIDDEN); };
  std::uint32_t count = 0;
  for (CEnvInstance* i = InstanceList; i != nullptr; i = i->EnvLink) count += isListed(i) ? 1 : 0;
  delete[] StaticArray;
  StaticArray = count > 0 ? new (std::nothrow) CEnvInstance*[count] : nullptr;
  StaticCount = StaticArray != nullptr ? count : 0;
  std::uint32_t n = 0;
  for (CEnvInstance* i = InstanceList; i != nullptr && n < StaticCount; i = i->EnvLink)
    if (isListed(i)) StaticArray[n++] = i;
}

void CEnvironment::BuildAnimatedList() {
  auto isAnimated = [](const CEnvInstance* i) {
    return i->Template != nullptr &&
           (i->Template->TemplateKind == OTYPE_VERTEXANIM || i->Template->TemplateKind == OTYPE_TRANSFORMANIM);
  };
  std::uint32_t count = 0;
  for (CEnvInstance* i = InstanceList; i != nullptr; i = i->EnvLink) count += isAnimated(i) ? 1 : 0;
  delete[] AnimatedArray;
  AnimatedArray = count > 0 ? new (std::nothrow) CEnvInstance*[count] : nullptr;
  AnimatedCount = AnimatedArray != nullptr ? count : 0;
  std::uint32_t n = 0;
  for (CEnvInstance* i = InstanceList; i != nullptr && n < AnimatedCount; i = i->EnvLink)
    if (isAnimated(i)) AnimatedArray[n++] = i;
}

void CEnvironment::ResetAnimatedObjects() {
  for (std::uint32_t k = 0; k < AnimatedCount; ++k) {
    CEnvInstance* i = AnimatedArray[k];
    if (i->Template == nullptr || i->Template->TemplateKind != OTYPE_TRANSFORMANIM) continue;
    i->InvalidatePose();
    i->EvaluatePose();
  }
}

void CEnvironment::SetRenderFlags(std::uint32_t flags) {
  RenderFlags = flags;
  g_EnvRenderFlags = flags;
}

void CEnvironment::SetViewCount(std::uint32_t count) {
  ViewCount = count > kEnvironmentViews ? kEnvironmentViews : count;
}

void CEnvironment::ClearViews() {
  for (std::uint32_t k = 0; k < ViewCount; ++k) ViewSlots[k] = nullptr;
}

void CEnvironment::SetView(int i, const CCamera& camera) {
  if (i < 0 || i >= kEnvironmentViews) return;
  Views[i] = camera;
  ViewSlots[i] = &Views[i];
}

bool CEnvironment::IsPointInVolumes(const CVector3& point) const {
  for (std::uint32_t k = 0; k < ViewCount; ++k)
    if (ViewSlots[k] != nullptr && ViewSlots[k]->IsPointVisible(point)) return true;
  return false;
}

// --- sky ---------------------------------------------------------------------------------

void CEnvironment::ApplySkySettings(const SkySettings& settings) {
  if (Sky == nullptr) return;
  Sky->ApplySettings(settings);
  CColour noon = settings.Colours[SKYCOLOUR_FOG][2];
  noon.a = 1.0f;
  const DWORD colour = noon.ToARGB();
  if (CCamera* camera = CCamera::GetCurrentCamera()) camera->SetFarClip(settings.FogStop);
  Sky->FogStop = settings.FogStop;
  Sky->FogStart = settings.FogStart;
  if (Render != nullptr) Render->SetFog(colour, settings.FogStart, settings.FogStop, 1.0f);
  Sky->PackedColour = colour;
  if (Render != nullptr) Render->SetClearColour(colour);
}

void CEnvironment::DrawSky() {
  if (Sky != nullptr) Sky->Draw(Sky->GetPackedColour());
}

// --- per frame ----------------------------------------------------------------------

void CEnvironment::Update() {
  ++g_EnvQueryStamp;
  CLightTable::ClearActive();
  // The glass set's part of the view: intact panes and flying shards queued.
  if (Glass != nullptr) Glass->Draw(Queue);
  // What the view sees of the level: the camera's zone and, through its
  // portals, the zones beyond, then the outer world zone.
  DrawZones();
}

void CEnvironment::DrawZones() {
  // Zone visibility from the current camera: the view instance's zone (its
  // portals not followed while the zone override is set), then the outer world zone.
  DrawZonesFromCamera(ViewInstance, RootInstance, ZoneOverride == 0);
}

void CEnvironment::CreateGlass(int shardCount) {
  delete Glass;
  Glass = new (std::nothrow) CGlazier(shardCount);
  g_Glazier = Glass;
}

// Attached transform-animated instances are placed again each frame so that
// they follow a parent that moved: clearing the "position set" and "direct
// rotation" state bits makes the setters rebuild against the parent's matrix.
void CEnvironment::UpdateAnimated() {
  const float frameTime = GameClock != nullptr ? GameClock->GetFrameTime() : 0.0f;
  for (std::uint32_t k = 0; k < AnimatedCount; ++k) {
    CEnvInstance* i = AnimatedArray[k];
    if (i->Template == nullptr) continue;
    if (i->Template->TemplateKind == OTYPE_VERTEXANIM) {
      i->StepVertexAnim(frameTime);
    } else if (i->Template->TemplateKind == OTYPE_TRANSFORMANIM) {
      if (i->Parent != nullptr) {
        i->StateBits &= ~(INSTS_POSITION_SET | INSTS_ROTATION_DIRECT);
        i->SetPosition(i->LocalPosition, false);
        i->SetRotationDirect(i->Rotation);
      }
      i->UpdateAnimation();
    }
  }
}
