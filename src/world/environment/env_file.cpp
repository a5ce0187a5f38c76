#include "world/environment/env_file.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/files/buffered_file.h"
#include "foundation/files/file_locator.h"
#include "foundation/files/path_helpers.h"
#include "foundation/maths/plane.h"
#include "foundation/system/debug_output.h"
#include "foundation/system/message_box.h"
#include "foundation/text/hash.h"
#include "foundation/byte_reader.h"
#include "menus/screen_2d.h"
#include "platform/win32/message_box.h"
#include "platform/win32/clocks.h"
#include "render/textures/text_compare.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/mesh/vertex_buffer.h"
#include "world/environment/character_variants.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/environment/evo_file.h"
#include "world/environment/pool_size_file.h"
#include "world/environment/render_info_block.h"
#include "world/space/portal.h"
#include "world/space/zone_record.h"

int g_EnvFileVersion = 0;

namespace {

constexpr int kNameSize = 128;
// Lists whose count comes from the file are bounded by this.
constexpr int kMaxListCount = 100000;
// The light table's size: light indices of a file lie below it.
constexpr int kLightTableSize = 254;

// Instance record flags that the file itself reads.
constexpr std::uint32_t kFileFlagDamage = 0x400000;
constexpr std::uint32_t kFileFlagOldRenderValue = 0x800000;
constexpr std::uint32_t kFileFlagRenderInfo = 0x1000000;

EnvDamageBlockHandler g_DamageHandler = nullptr;
EnvAnimatedInstanceMaker g_AnimatedMaker = nullptr;
EnvPlayNamedAnim g_PlayNamedAnim = nullptr;
EnvLadderRegistrar g_LadderRegistrar = nullptr;
constexpr int kMaxFinishHooks = 8;
EnvLoadFinishHook g_FinishHooks[kMaxFinishHooks] = {};

// Progress of the load in progress: the tick counter, the callback, the caption.
int g_ProgressTicks = 0;
EnvLoadProgress g_Progress = nullptr;
char g_Caption[kNameSize] = "";

void ProgressPoint() {
  if (g_Progress != nullptr && g_ProgressTicks % 4 == 0) g_Progress(g_Caption, g_EnvLoadProgressTotal, 0);
  ++g_ProgressTicks;
}

bool Is(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

EnvLoadContext ContextOf(const CEnvironment* env) {
  EnvLoadContext context;
  context.Render = env->Render;
  context.Textures = env->Textures;
  context.Materials = env->Materials;
  context.QueueAllocator = env->FrameBlock;
  context.Queue = env->Queue;
  return context;
}

std::uint32_t TextureIdOf(const CEnvironment* env, const char* name) {
  if (env == nullptr || env->Textures == nullptr) return 0;
  CTexture* texture = env->Textures->GetTexture(name, 0);
  return texture != nullptr ? texture->Id : 0;
}

int TypeOf(const CEnvObject* templ) { return templ != nullptr ? templ->TemplateKind : -1; }

// Reads a landscape tile's object file with the landscape type required.
CEnvObject* ReadLandscapeTemplate(const CEnvironment* env, const char* name) {
  std::string base = name;
  const std::size_t slash = base.find_last_of("\\/");
  const std::size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) base.resize(dot);
  CEnvObject* root = nullptr;
  if (BufferedFile* file = FileOpenOnSearchPath((base + ".evo").c_str(), 0)) {
    std::vector<std::uint8_t> bytes(FileGetSize(file));
    const std::size_t got = bytes.empty() ? 0 : FileRead(bytes.data(), 1, bytes.size(), file);
    FileClose(file);
    ByteReader reader(bytes.data(), got);
    root = NewEnvObjectNode();
    root->Init(ContextOf(env));
    root->ObjectNameHash = HashStringNoCase(GetPathFileName(base.c_str()));
    if (!EvoReadFile(root, reader, OTYPE_LANDSCAPE, 7, 0)) {
      FreeEnvObjectTemplate(root);
      root = nullptr;
    }
  }
  if (root == nullptr)
    ErrorBox(
        "Attempting to re-compile EVO file for \"%s\" in release build\nYou need to run a debug build or use the "
        "Pellicor tool to rebuild EVO's",
        (base + ".pi2").c_str());
  return root;
}

// The level loader's services to the game-object records.
class LevelServices : public HLOLevelServices {
 public:
  explicit LevelServices(CEnvironment* env) : env_(env) {}
  CEnvObject* FindObject(const char* name) override { return env_->FindObjectByName(name); }
  CEnvObject* LoadObjectByKind(int kind, const char* name) override {
    return EnvFileLoadObjectByKind(env_, kind, name);
  }
  void MarkNewTextures(bool on) override {
    if (env_->Textures != nullptr) env_->Textures->SetMarkNew(on ? 1 : 0);
  }
  void MarkAttachmentTemplate(CEnvObject* templ) override { templ->Flags |= kAttachmentTemplateFlag; }
  CEnvObject* MakeCharacterTemplate(const CharacterVariant& variant) override {
    return EnvFileMakeCharacterTemplate(env_, variant);
  }
  int TemplateType(const CEnvObject* templ) override { return TypeOf(templ); }
  CEnvInstance* FindInstanceByHash(std::uint32_t hash) override { return env_->FindInstanceById(hash); }

  static constexpr std::uint32_t kAttachmentTemplateFlag = 0x4;

 private:
  CEnvironment* env_;
};

struct ObjectListState {
  LevelServices* services;
  HLOSpawnCallback spawn;
  int records;
};

void OnObjectRecord(HLOSpawnRecord& record, const HLORecordExtras& extras, void* context) {
  auto* state = static_cast<ObjectListState*>(context);
  ++state->records;
  EnvFileCreateHLO(record, extras, *state->services, state->spawn);
}

void OnObjectProgress(void*) { ProgressPoint(); }

// One loader run: the environment, the cursor, the version and the report.
class Loader {
 public:
  Loader(CEnvironment* env, EnvTextCursor& text, EnvFileLoadReport& report)
      : env_(env), text_(text), report_(report) {}

  bool Header();
  bool Instances();
  void CrawlBlocker();
  bool Objects(HLOSpawnCallback spawn);
  bool Portals();
  bool NodeList();
  void Section(EnvSectionId id);
  void Finish();

  int Version() const { return version_; }

 private:
  bool Damaged(const char* what) {
    DebugTrace("Environment file: %s damaged or cut at line %d\n", what, text_.Line());
    report_.structureFailed = true;
    report_.failedLine = text_.Line();
    return false;
  }
  bool InstanceRecord(const char* keyword);
  bool PortalRecord();
  EnvSectionContext Context() const {
    EnvSectionContext c;
    c.environment = env_;
    c.version = version_;
    c.levelFlags = env_->LevelFlags;
    return c;
  }

  // The instance a name finds in the environment's list (the newest of that
  // name), through an index of the instances this load's records made while
  // the list is read into an empty environment; a name the index lacks (an
  // instance a plug-in made) is searched for in the list.
  CEnvInstance* FindListed(const char* name) {
    if (indexValid_) {
      const auto it = listed_.find(HashStringNoCase(name));
      if (it != listed_.end()) return it->second;
    }
    return env_->FindInstanceByName(name);
  }

  CEnvironment* env_;
  EnvTextCursor& text_;
  EnvFileLoadReport& report_;
  std::unordered_map<std::uint32_t, CEnvInstance*> listed_;
  bool indexValid_ = false;
  int version_ = 0;
  char token_[kNameSize] = "";
};

bool Loader::Header() {
  if (!text_.Token(token_)) return Damaged("header");
  if (strcasecmp(token_, "Version") == 0) {
    if (!text_.Int(&version_)) return Damaged("header");
  }
  g_EnvFileVersion = version_;
  if (version_ >= 45 && !text_.Word(g_Caption)) return Damaged("header");
  if (version_ >= 46) {
    int total = 0;
    if (!text_.Int(&total)) return Damaged("header");
    if (g_EnvLoadProgressTotal == -1) g_EnvLoadProgressTotal = total;
  }
  ProgressPoint();
  int flags = 0;
  if (version_ >= 48 && !text_.Int(&flags)) return Damaged("header");
  env_->LevelFlags = static_cast<std::uint32_t>(flags);
  return true;
}

bool Loader::Instances() {
  indexValid_ = env_->InstanceList == nullptr;
  if (!text_.Token(token_)) return Damaged("instance list");
  while (!Is(token_, "ENDI")) {
    char keyword[kNameSize];
    std::strcpy(keyword, token_);
    if (!InstanceRecord(keyword)) return false;
    ++report_.instanceRecords;
    if (!text_.Token(token_)) return Damaged("instance list");
  }
  return true;
}

// Reads n light indices; those of an instance are kept while it holds fewer
// than six.  Without an instance they are read and dropped.
bool ReadLights(CEnvInstance* instance, EnvTextCursor& text) {
  int n = 0;
  if (!text.Int(&n) || n < 0 || n > kMaxListCount) return false;
  if (instance != nullptr && n > kEnvFileMaxInstanceLights)
    WarningBox("Instance \"%s\" has %d active lights. Max active lights is %d\n\nExtra lights will be removed",
               instance->GetIdString(), n, kEnvFileMaxInstanceLights);
  for (int i = 0; i < n; ++i) {
    int light = 0;
    if (!text.Int(&light)) return false;
    if (instance == nullptr) continue;
    if (light < 0 || light >= kLightTableSize) {
      DebugTrace("Instance %s: light %d is not a light of the table, dropped\n", instance->GetIdString(), light);
      continue;
    }
    if (instance->GetActiveLightCount() < kEnvFileMaxInstanceLights) instance->AddActiveLight(light);
  }
  return true;
}

bool Loader::InstanceRecord(const char* keyword) {
  const int v = version_;
  int flagsIn = 0, id = 0, loadKind = 0;
  char name[kNameSize], parent[kNameSize], object[kNameSize], texture[kNameSize] = "NOTEXTURE";
  CVector3 position{}, rotation{}, scale{1.0f, 1.0f, 1.0f};
  int small[2] = {0, 0};
  bool ok = (v < 10 || text_.Int(&flagsIn)) && (v < 1 || text_.Int(&id)) && text_.Word(name) &&
            text_.Word(parent) && text_.Int(&loadKind) && text_.Word(object) && (v < 49 || text_.Word(texture)) &&
            text_.Reals(&position.x, 3) && text_.Reals(&rotation.x, 3) && (v < 37 || text_.Reals(&scale.x, 3)) &&
            (v < 67 || (text_.Int(&small[0]) && text_.Int(&small[1])));
  if (!ok) return Damaged("instance record");
  const auto flags = static_cast<std::uint32_t>(flagsIn);

  // The template, loaded by the record's kind when it is not there yet.
  CEnvObject* templ = env_->FindObjectByName(object);
  if (templ == nullptr) templ = EnvFileLoadObjectByKind(env_, loadKind, object);
  CEnvInstance* instance = nullptr;
  const int type = TypeOf(templ);
  if (templ == nullptr) {
    WarningBox("Unable to find object\n\nInstance \"%s\"\nObject \"%s\"\n\nObject will be removed", name, object);
  } else if (type == OTYPE_TRANSFORMANIM && g_AnimatedMaker != nullptr) {
    instance = g_AnimatedMaker(env_, name, templ, position, rotation, scale);
  } else if (type == OTYPE_ENV || type == OTYPE_VERTEXANIM || type == OTYPE_LANDSCAPE ||
             type == OTYPE_TRANSFORMANIM) {
    instance = env_->CreateInstance(name, templ, position, rotation, &scale, type == OTYPE_VERTEXANIM ? 5 : 0, 0);
    if (instance != nullptr && type == OTYPE_ENV && g_LadderRegistrar != nullptr) g_LadderRegistrar(instance);
  }
  if (instance != nullptr) {
    listed_[instance->NameHash] = instance;
    instance->Flags |= flags;
    instance->FileId = id;
    if (strcasecmp(texture, "NOTEXTURE") != 0) instance->OverrideTexture = TextureIdOf(env_, texture);
    instance->SmallValues[0] = static_cast<std::int16_t>(small[0]);
    instance->SmallValues[1] = static_cast<std::int16_t>(small[1]);
  }

  // Damage block: its debris template is loaded whether or not an instance was made.
  if (v >= 51 && (flags & kFileFlagDamage) != 0) {
    EnvDamageBlock block;
    char debris[kNameSize];
    int kind = 0, byteValue = 255;
    ok = text_.Real(&block.strength) && text_.Int(&kind) && text_.Word(debris) && text_.Real(&block.value1) &&
         text_.Real(&block.value2) &&
         (v < 59 || (text_.Int(&byteValue) && text_.Int(&block.int1) && text_.Int(&block.int2)));
    if (!ok) return Damaged("instance damage block");
    block.kind = kind;
    block.byteValue = static_cast<std::uint8_t>(byteValue);
    if (debris[0] != '\0') {
      block.debris = env_->FindObjectByName(debris);
      if (block.debris == nullptr) block.debris = EnvFileLoadObjectByKind(env_, -1, debris);
    }
    if (instance != nullptr) {
      if (g_DamageHandler != nullptr) g_DamageHandler(instance, block);
      instance->SetHitCallback(&CEnvInstance::DefaultHitCallback);
    }
  }

  if (!ReadLights(instance, text_)) return Damaged("instance light list");
  int garden = -1;
  if (v >= 52 && !text_.Int(&garden)) return Damaged("instance record");
  const bool oldRenderValue = v < 64 && (flags & kFileFlagOldRenderValue) != 0;
  int renderValue = 0;
  if (oldRenderValue && !text_.Int(&renderValue)) return Damaged("instance record");
  if (instance != nullptr) {
    instance->GardenIndex = garden;
    if (oldRenderValue) {
      instance->RenderMode = kInstanceRenderModeValue;
      instance->RenderValue = renderValue;
    }
  }

  // Parent.
  if (instance != nullptr && !Is(parent, "Root")) {
    CEnvInstance* p = FindListed(parent);
    // A record naming itself as parent finds itself (the newest instance is listed first).
    if (p == instance) p = nullptr;
    if (p == nullptr) {
      WarningBox("Unable to find parent\n\nObject \"%s\"\nParent \"%s\"\n\nSetting parent to \"Root\"",
                 instance->GetIdString(), parent);
    } else if (type == OTYPE_LANDSCAPE && TypeOf(p->Template) != OTYPE_LANDSCAPE) {
      WarningBox(
          "Landscape tile \"%s\" is wrongly linked. Attempting to fix.\nPlease check this when loading "
          "completes.",
          instance->GetIdString());
      instance->Detach();
    } else {
      p->AttachChild(instance);
    }
  }

  // Render-info block: records of version 64 on and records without the old
  // render value carry one under the flag; an older record with both flags
  // carries one only when its instance was made.
  if ((flags & kFileFlagRenderInfo) != 0 && (!oldRenderValue || instance != nullptr)) {
    RenderInfoBlock block;
    if (!EnvFileReadRenderInfo(block, text_)) return Damaged("instance render-info block");
    if (instance != nullptr) EnvFileApplyRenderInfo(instance, block);
  }
  if (instance != nullptr && oldRenderValue) instance->Flags |= kFileFlagRenderInfo;

  // Trailing field.
  if (Is(keyword, "ANMI") && type != OTYPE_VERTEXANIM) {
    char animation[kNameSize];
    if (!text_.Word(animation)) return Damaged("instance animation name");
    if (instance != nullptr && type == OTYPE_TRANSFORMANIM && !Is(animation, "NOANIM") && g_PlayNamedAnim != nullptr)
      g_PlayNamedAnim(instance, animation);
  } else if (Is(keyword, "VAMI") && type != OTYPE_TRANSFORMANIM) {
    float speed = 0.0f;
    if (!text_.Real(&speed)) return Damaged("instance vertex-animation speed");
    if (instance != nullptr && type == OTYPE_VERTEXANIM) instance->SetVertexAnimSpeed(speed);
  }
  return true;
}

void Loader::CrawlBlocker() {
  CEnvObject* templ = env_->FindObjectByName("InvisPoly");
  if (templ == nullptr) templ = EnvFileLoadObjectByKind(env_, OTYPE_ENV, "InvisPoly");
  if (templ == nullptr) return;
  const CVector3 scale{1.0f, 1.0f, 1.0f};
  CEnvInstance* blocker = env_->CreateInstance("InvisPolyForCrawling", templ, {}, {}, &scale, 0, 0);
  if (blocker == nullptr) return;
  env_->CrawlBlocker = blocker;
  blocker->Flags = 256;
  blocker->StateBits = 8;
  blocker->SetVisible(false, false);
  blocker->SetCollidable(false, false);
}

bool Loader::Objects(HLOSpawnCallback spawn) {
  if (!text_.Token(token_)) return Damaged("game-object list");
  // The objects settle on the ground of a world whose bounds and transforms
  // come from the instance list: an object above or below the default
  // bounds finds its ground.
  env_->ComputeWorldBounds();
  for (CEnvInstance* i = env_->InstanceList; i != nullptr; i = i->EnvLink) i->UpdateBoundingSphere();
  LevelServices services(env_);
  ObjectListState state{&services, spawn, 0};
  const bool ok = EnvFileReadHLOList(text_, version_, token_, OnObjectRecord, OnObjectProgress, &state);
  report_.objectRecords = state.records;
  return ok || Damaged("game-object list");
}

bool Loader::Portals() {
  if (!text_.Token(token_)) return Damaged("portal list");
  while (!Is(token_, "ENDP")) {
    ProgressPoint();
    if (!PortalRecord()) return false;
    ++report_.portalRecords;
    if (!text_.Token(token_)) return Damaged("portal list");
  }
  return true;
}

bool Loader::PortalRecord() {
  const int v = version_;
  char name[kNameSize], owner[kNameSize], target[kNameSize];
  int number = -1, count = 0, distanceLimited = 0, expand = 1;
  PortalPolygon polygon{};
  bool ok = text_.Word(name) && (v < 42 || text_.Int(&number)) && text_.Word(owner) && text_.Word(target) &&
            text_.Int(nullptr) && text_.Int(nullptr) && text_.Reals(polygon.Plane, 4) && text_.Int(&count) &&
            count >= 0 && count <= kMaxListCount;
  if (!ok) return Damaged("portal record");
  // Points beyond the polygon's 32 slots are read and the portal dropped.
  bool duplicate = false;
  for (int i = 0; i < count; ++i) {
    CVector3 p{};
    if (!text_.Reals(&p.x, 3)) return Damaged("portal record");
    if (i >= kPortalMaxVertices) continue;
    for (int k = 0; k < i; ++k) {
      const CVector3& q = polygon.Vertices[k];
      if (q.x == p.x && q.y == p.y && q.z == p.z) duplicate = true;
    }
    polygon.Vertices[i] = p;
  }
  polygon.VertexCount = static_cast<std::uint32_t>(count < kPortalMaxVertices ? count : kPortalMaxVertices);
  CSphere sphere{};
  const bool hasSphere = v >= 7;
  if (hasSphere && !(text_.Reals(&sphere.Centre.x, 3) && text_.Real(&sphere.Radius) && text_.Int(&distanceLimited)))
    return Damaged("portal record");
  if (v >= 71 && !text_.Int(&expand)) return Damaged("portal record");

  if (count < 3 || count > kPortalMaxVertices) {
    DebugTrace("Portal \"%s\": %d points (3 to %d allowed), portal dropped\n", name, count, kPortalMaxVertices);
    return true;
  }
  CEnvInstance* ownerInstance = env_->FindInstanceByName(owner);
  CEnvInstance* targetInstance = env_->FindInstanceByName(target);
  if (duplicate) {
    const int answer = WarningBoxEx(
        MB_OKCANCEL,
        "Portal contains duplicate points\n\nPortal Name : \"%s\"\nPortal Owner : \"%s\"\nPortal Target : "
        "\"%s\"\nNumPoints : %d\n\nTHIS PORTAL COULD CAUSE THE GAME TO CRASH AND MUST BE FIXED IN THE "
        "EDITOR\n\nCLICK \"CANCEL\" TO DELETE THIS PORTAL\n",
        name, owner, target, count);
    if (answer == IDCANCEL) return true;
  }
  if (!IsPlanarConvex(polygon.Vertices, count)) return true;
  if (ownerInstance == nullptr || targetInstance == nullptr) {
    WarningBox("Unable to create portal \"%s\"\n\nOwner or target not found\n\nOwner \"%s\"\nTarget \"%s\"\n\nPortal "
               "removed",
               name, owner, target);
    return true;
  }
  Portal* portal = ownerInstance->AddPortal(targetInstance, polygon, hasSphere ? &sphere : nullptr, distanceLimited,
                                            number, expand);
  if (portal != nullptr) portal->DuplicatePoints = duplicate ? 1 : 0;
  return true;
}

// The node list of files before version 17: a count, then, up to "ENDN",
// a word before each point and the point's three reals ("2 NODE 1 2 3 NODE
// 4 5 6 ENDN"); points beyond the count are read and not kept.
bool Loader::NodeList() {
  int count = 0;
  if (!text_.Int(&count) || count < 0 || count > kMaxListCount) return Damaged("node list");
  env_->NodeList.clear();
  env_->NodeList.reserve(static_cast<std::size_t>(count));
  if (!text_.Token(token_)) return Damaged("node list");
  while (!Is(token_, "ENDN")) {
    CVector3 p{};
    if (!text_.Reals(&p.x, 3)) return Damaged("node list");
    if (env_->NodeList.size() < static_cast<std::size_t>(count)) env_->NodeList.push_back(p);
    if (!text_.Token(token_)) return Damaged("node list");
  }
  return true;
}

void Loader::Section(EnvSectionId id) {
  const char* start = *text_.Cursor();
  if (GetEnvSectionReader(id)(text_, Context())) return;
  report_.failedSections |= 1u << id;
  DebugTrace("Environment file: the %s section failed at line %d\n", EnvSectionName(id), text_.Line());
  // Go on behind the section's end word when it has one; else from where the reader stopped.
  const char* stopped = *text_.Cursor();
  if (const char* end = EnvSectionEndWord(id)) {
    *text_.Cursor() = start;
    if (EnvSkipToWord(text_, end)) {
      if (id == ENVSECTION_SHRUBBERY) text_.Token(token_);
      return;
    }
  }
  *text_.Cursor() = stopped;
}

void Loader::Finish() {
  env_->ComputeWorldBounds();
  env_->BuildAnimatedList();
  for (EnvLoadFinishHook hook : g_FinishHooks)
    if (hook != nullptr) hook(env_);
  if (g_Screen2D != nullptr) g_Screen2D->ReloadNoiseTexture(env_->Textures);
  for (CScreen2D* view : g_ViewScreens2D)
    if (view != nullptr) view->ReloadNoiseTexture(env_->Textures);
}

}  // namespace

int EnvFileLoadEnvironment(CEnvironment* environment, EnvTextCursor& text, HLOSpawnCallback spawn,
                           EnvLoadProgress progress, EnvFileLoadReport* report) {
  EnvFileLoadReport local;
  EnvFileLoadReport& r = report != nullptr ? *report : local;
  r = EnvFileLoadReport{};
  if (environment == nullptr) return 0;
  DebugTrace("Loading environment\n");
  const DWORD startTicks = timeGetTime();
  g_ProgressTicks = 0;
  g_Progress = progress;
  g_Caption[0] = '\0';

  Loader loader(environment, text, r);
  bool whole = loader.Header() && loader.Instances();
  // Every top-level instance of the list roots a zone: it owns the portals,
  // octree and registered instances of what hangs under it.
  for (CEnvInstance* i = environment->InstanceList; i != nullptr; i = i->EnvLink)
    if (i->Parent == nullptr && i->Zone == nullptr) i->Zone = new ZoneRecord;
  if (whole) {
    loader.CrawlBlocker();
    whole = loader.Objects(spawn);
  }
  // The spheres of the instances the objects made, and of every instance
  // when the list ended early.
  for (CEnvInstance* i = environment->InstanceList; i != nullptr; i = i->EnvLink) i->UpdateBoundingSphere();

  if (whole) whole = loader.Portals();
  if (whole) {
    const int v = loader.Version();
    loader.Section(ENVSECTION_LIGHTS);
    ProgressPoint();
    if (v < 17) whole = loader.NodeList();
    ProgressPoint();
    if (whole) {
      loader.Section(ENVSECTION_SOUNDS);
      ProgressPoint();
      loader.Section(ENVSECTION_WAYPOINTS);
      ProgressPoint();
      if ((environment->LevelFlags & 2) == 0 && v >= 11) loader.Section(ENVSECTION_ROUTE_MARKERS);
      if (v >= 8) {
        loader.Section(ENVSECTION_REGIONS);
        loader.Section(ENVSECTION_SWITCHES);
      }
      ProgressPoint();
      loader.Section(ENVSECTION_SKY);
      if (v >= 34) loader.Section(ENVSECTION_GLASS);
      if (v >= 38) loader.Section(ENVSECTION_EMITTERS);
      ProgressPoint();
      if (v >= 52) loader.Section(ENVSECTION_SHRUBBERY);
      if (v >= 61) loader.Section(ENVSECTION_TRACER_BATTERIES);
      ProgressPoint();
    }
  }
  loader.Finish();

  g_Progress = nullptr;
  g_EnvLoadProgressTotal = 0;
  DebugTrace("Environment took %.2f seconds to load\n", static_cast<double>(timeGetTime() - startTicks) * 0.001);
  return whole && r.failedSections == 0 ? 1 : 0;
}

CEnvObject* EnvFileLoadObjectByKind(CEnvironment* environment, int kind, const char* name) {
  if (environment == nullptr || name == nullptr) return nullptr;
  if (kind < -1 || kind > OTYPE_LANDSCAPE || kind == 1 || kind == 2) return nullptr;
  CEnvObject* templ = kind == OTYPE_LANDSCAPE ? ReadLandscapeTemplate(environment, name)
                                              : EnvFileLoadObject(kind, name, ContextOf(environment), 7, 0);
  return environment->AddObject(templ);
}

int EnvFileLoadLandscape(CEnvironment* environment, int type, const char* name, int place, CEnvInstance** instance) {
  if (instance != nullptr) *instance = nullptr;
  if (environment == nullptr || name == nullptr) return 0;
  CEnvObject* templ = ReadLandscapeTemplate(environment, name);
  if (templ == nullptr) return 0;
  templ->TemplateKind = type;
  environment->AddObject(templ);
  if (place != 0) {
    char instanceName[kNameSize + 16];
    std::snprintf(instanceName, sizeof instanceName, "%s-%u", name, environment->InstanceCounter);
    ++environment->InstanceCounter;
    const CVector3 scale{1.0f, 1.0f, 1.0f};
    CEnvInstance* made = environment->CreateInstance(instanceName, templ, {}, {}, &scale, 0, 0);
    if (made == nullptr) return 0;
    if (instance != nullptr) *instance = made;
  }
  return 1;
}

bool EnvFileReadInstanceLights(CEnvInstance* instance, EnvTextCursor& text) { return ReadLights(instance, text); }

bool EnvFileHasEnvMapMaterial(const CEnvInstance* instance, const char* name) {
  if (instance == nullptr || instance->Template == nullptr || name == nullptr) return false;
  for (const CEnvObject* node = instance->Template; node != nullptr; node = node->NextNode) {
    if (node->MeshKind != 0 || (node->Flags & 0x183) != 0) continue;
    if (node->Mesh == nullptr) continue;
    const std::uint32_t id = ComputeTextureId(name);
    for (const CVertexBuffer* part = node->Mesh->FirstPart; part != nullptr; part = part->Next) {
      if (part->TextureId == id) return true;
      if (part->Texture != nullptr && (part->Texture->Id == id || TextEqualNoCase(part->Texture->Name, name)))
        return true;
    }
  }
  return false;
}

bool EnvFileNeedsRenderInfo(const CEnvInstance* instance) {
  return instance != nullptr && (!instance->EnvMaps.empty() || instance->RenderMode == kInstanceRenderModeValue);
}

void EnvFileApplyRenderInfo(CEnvInstance* instance, const RenderInfoBlock& block) {
  if (instance == nullptr) return;
  instance->Flags &= ~kFileFlagRenderInfo;
  const CEnvironment* env = g_Environment;
  if ((block.flags & RenderInfoBlock::HAS_ENTRIES) != 0 && block.count > 0) {
    instance->EnvMaps.clear();
    const int count = block.count < RenderInfoBlock::kMaxEntries ? block.count : RenderInfoBlock::kMaxEntries;
    for (int i = 0; i < count; ++i) {
      const RenderInfoEntry& e = block.entries[i];
      if (!EnvFileHasEnvMapMaterial(instance, e.name)) continue;
      InstanceEnvMap map;
      map.Texture = TextureIdOf(env, e.name);
      map.Value = e.value;
      map.EnvMapTexture = TextureIdOf(env, e.envMapName);
      instance->EnvMaps.push_back(map);
    }
    if (!instance->EnvMaps.empty()) instance->Flags |= kFileFlagRenderInfo;
  }
  if ((block.flags & RenderInfoBlock::HAS_RENDER_VALUE) != 0) {
    instance->RenderMode = kInstanceRenderModeValue;
    instance->RenderValue = block.renderValue;
    instance->Flags |= kFileFlagRenderInfo | kFileFlagOldRenderValue;
  }
}

void EnvFileGetRenderInfo(RenderInfoBlock& block, const CEnvInstance* instance) {
  block.Clear();
  if (instance == nullptr) return;
  const CEnvironment* env = g_Environment;
  for (const InstanceEnvMap& map : instance->EnvMaps) {
    if (block.count >= RenderInfoBlock::kMaxEntries) break;
    RenderInfoEntry& e = block.entries[block.count];
    const CTexture* texture = env != nullptr && env->Textures != nullptr ? env->Textures->FindById(map.Texture) : nullptr;
    const CTexture* envMap =
        env != nullptr && env->Textures != nullptr ? env->Textures->FindById(map.EnvMapTexture) : nullptr;
    std::snprintf(e.name, sizeof e.name, "%s", texture != nullptr && texture->Name != nullptr ? texture->Name : "");
    std::snprintf(e.envMapName, sizeof e.envMapName, "%s", envMap != nullptr && envMap->Name != nullptr ? envMap->Name : "");
    e.value = map.Value;
    ++block.count;
  }
  if (block.count > 0) block.flags |= RenderInfoBlock::HAS_ENTRIES;
  if (instance->RenderMode == kInstanceRenderModeValue) {
    block.flags |= RenderInfoBlock::HAS_RENDER_VALUE;
    block.renderValue = instance->RenderValue;
  }
}

void SetEnvDamageBlockHandler(EnvDamageBlockHandler handler) { g_DamageHandler = handler; }
void SetEnvAnimatedInstanceMaker(EnvAnimatedInstanceMaker maker) { g_AnimatedMaker = maker; }
void SetEnvPlayNamedAnim(EnvPlayNamedAnim play) { g_PlayNamedAnim = play; }
void SetEnvLadderRegistrar(EnvLadderRegistrar registrar) { g_LadderRegistrar = registrar; }
EnvAnimatedInstanceMaker GetEnvAnimatedInstanceMaker() { return g_AnimatedMaker; }
EnvLadderRegistrar GetEnvLadderRegistrar() { return g_LadderRegistrar; }

void AddEnvLoadFinishHook(EnvLoadFinishHook hook) {
  if (hook == nullptr) return;
  for (EnvLoadFinishHook h : g_FinishHooks)
    if (h == hook) return;
  for (EnvLoadFinishHook& h : g_FinishHooks)
    if (h == nullptr) {
      h = hook;
      return;
    }
}

void RemoveEnvLoadFinishHook(EnvLoadFinishHook hook) {
  for (EnvLoadFinishHook& h : g_FinishHooks)
    if (h == hook) h = nullptr;
}
