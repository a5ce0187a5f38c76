// The level's world container.  It owns every placed instance of the level,
// every loaded object template, the root instance with the outer world zone
// and the object pools; it finds templates and instances by name, builds and
// reads the level's octree file, and runs the per-frame environment steps.
//
// One object exists for the life of the program: the engine start-up creates
// it, a level change destroys and re-creates it, the engine shut-down
// destroys it.  Main thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "foundation/memory/fast_allocator.h"
#include "render/geometry/camera.h"
#include "render/geometry/vector3.h"
#include "world/environment/env_instance.h"
#include "world/space/world_queries.h"

class CEnvObject;
class CGlazier;
class CLightTable;
class CLinearBuffer;
class CMaterialList;
class CParticlePool;
class CRender;
class CShrubbery;
class CSky;
class CSpriteRender;
struct FlatPolygon;
struct SkySettings;
class CTextureManager;
class CTimer;
class DepthSortQueue;
struct ZoneRecord;

// Views the environment keeps copies of.
constexpr int kEnvironmentViews = 5;
// Render flags at construction and as the engine start-up sets them.
constexpr std::uint32_t kEnvRenderFlagsInitial = 0xA3;
constexpr std::uint32_t kEnvRenderFlagsEngine = 0x81;
// Flag word: set while the destructor runs.
constexpr std::uint32_t kEnvFlagDestroying = 32;
// Flag word: the local player steers with keyboard and mouse.
constexpr std::uint32_t kEnvFlagMouseControl = 4;
// The world bounds of an empty level, and the padding around a filled one.
constexpr float kEnvDefaultBound = 10000.0f;
constexpr float kEnvBoundsPadding = 100.0f;
// Lights whose flare visibility is tested afresh each frame (the flare window).
constexpr std::uint32_t kFlareWindowLights = 10;
// Flare fade per second of real time, up and down.
constexpr float kFlareFadeRate = 4.0f;
// Flare sprites: radius over the light's flare size, and the closest a flare
// is drawn to the eye.
constexpr float kFlareRadiusScale = 4.0f;
constexpr float kFlareNearest = 16.0f;
// Query flags of the flare line tests: through zones, and over the flat list.
constexpr std::uint32_t kFlareZoneQueryFlags = 24;
constexpr std::uint32_t kFlareFlatQueryFlags = 16;

// Why LoadOctrees refused the level's octree file.
enum class OctreeLoadFault { None, Missing, Unreadable, Damaged, OtherInstanceList };
struct OctreeLoadReport {
  OctreeLoadFault Fault = OctreeLoadFault::None;
  std::string Text;  // the file, the tree and what was found
};

class CEnvironment : public CWorldQueries {
 public:
  // Builds the view cameras, clears every list and counter, makes the sky
  // (with the render, texture, material, frame-block, queue and game-clock
  // modules), sets the world bounds to -10000..10000 and makes the root
  // instance with the outer zone, published as g_RootInstance and
  // g_RootZone.  A failed allocation leaves a null member and construction
  // goes on.
  CEnvironment(CRender* render, CTextureManager* textures, CMaterialList* materials, CLinearBuffer* frameBlock,
               DepthSortQueue* queue, CLightTable* lights, CTimer* gameClock, CTimer* realClock);
  // Frees every instance that is not a pool record, every template, the
  // pools, the sky and the root instance.
  ~CEnvironment();
  CEnvironment(const CEnvironment&) = delete;
  CEnvironment& operator=(const CEnvironment&) = delete;

  // --- templates --------------------------------------------------------------
  // With searchFirst, the template already loaded under the path's name;
  // otherwise (or when none is) loads "<path>.evo" and adds it.  Null when
  // the file cannot be loaded; nothing is added then.
  CEnvObject* LoadObject(const char* path, int fileArg, bool searchFirst, int loadArg);
  // The same, always searching first (stats-driven objects).
  CEnvObject* FindOrLoadObject(const char* path, int fileArg);
  // Puts the template at the front of the template list; answers it.
  CEnvObject* AddObject(CEnvObject* object);
  // Loads the template at path (loader mode and argument as given) and files it; null on failure.
  CEnvObject* LoadAndAddObject(const char* path, int mode, int loadArg);
  // The template (or template node) whose name hash is the case-insensitive
  // hash of the path's file name without its extension; null when none.
  CEnvObject* FindObjectByName(const char* path) const;
  // The template with that object hash, or a node of a template chain with
  // that node hash; null when none.
  CEnvObject* FindObjectByHash(std::uint32_t hash) const;

  // --- instances ----------------------------------------------------------------
  // A pooled instance of the template, constructed with the creation flags,
  // named (an unnamed one "<template id><counter>"), set up and put at the
  // front of the instance list.  Null when no record can be had.
  CEnvInstance* CreateInstance(const char* name, CEnvObject* object, const CVector3& position,
                               const CVector3& rotation, const CVector3* scale, int meshMode,
                               std::uint32_t creationFlags);
  // One instance for the named template and one for each further node of its
  // chain ("<path>-<counter>"), the later ones children of the first; null
  // when the template is not loaded.
  CEnvInstance* CreateInstanceTree(const char* path, const CVector3& position, const CVector3& rotation,
                                   const CVector3* scale, std::uint32_t creationFlags);
  // Puts an instance at the front of the list and advances the counter.
  void AddInstance(CEnvInstance* instance);
  // First listed instance with the case-insensitive hash of the name / the
  // given hash; null when none.
  CEnvInstance* FindInstanceByName(const char* name) const;
  CEnvInstance* FindInstanceById(std::uint32_t hash) const;
  bool ContainsInstance(const CEnvInstance* instance) const;
  // Keeps the top ancestor of the instance (null clears).
  void SetViewInstance(CEnvInstance* instance);

  // --- level time -----------------------------------------------------------------
  // The bounds of all top-level instances padded by 100; -10000..10000 when
  // the level is empty.
  void ComputeWorldBounds();
  // Array of the top-level instances that are not hidden, in list order.
  void BuildStaticList();
  // Array of the instances whose template is vertex- or transform-animated.
  void BuildAnimatedList();
  // Invalidates and evaluates the pose of every transform-animated instance.
  void ResetAnimatedObjects();

  // Octree file of the level: the level path with ".OCT" as extension.
  // Builds the octree of every top-level visible zone root in list order,
  // writing each to the file when write is set.  False when the file cannot
  // be written (the trees are built all the same).
  bool BuildOctrees(const char* levelPath, bool write);
  // Reads the octree of every top-level visible zone root from the file, in
  // list order.  Octree files name instances by their place in the instance
  // list, so each tree read must list, node by node, the static instances of
  // its zone that a build over this list would: a file built over another
  // list (the level loaded with other objects, or data rebuilt in part)
  // would otherwise hand the zones other instances.  False, with the zones'
  // old trees kept, when the file is missing, cannot be read whole, is
  // damaged or was built over another instance list; *report (may be null)
  // tells which and why.
  bool LoadOctrees(const char* levelPath, OctreeLoadReport* report = nullptr);
  // The level load's choice by the command-line letters: 'c' builds, writes
  // and reads the file back; 'd' or 'r' only reads it; otherwise it builds
  // and writes.  A file that cannot be read shows "Cannot find level OCTREE
  // data %s - Ensure Level has been run at least once in DEBUG", one built
  // over another instance list "Level OCTREE data %s was built over another
  // instance list\n%s\nRebuild it with the 'c' letter"; both answer false.
  bool BuildOrLoadOctrees(const char* levelPath);

  // Applies the settings to the sky (CSky::ApplySettings), then fogs the
  // device with the 12-hour fog key (alpha 255) from the settings' fog
  // start to their stop at density 1, makes that colour the sky's colour
  // and the clear colour, and sets the camera's far distance and the sky's
  // fog stop to the stop.  Used by scripts and at the end of a cut-scene.
  void ApplySkySettings(const SkySettings& settings);
  // Draws the sky's cloud layers and sprite (CSky::Draw), restoring the fog
  // in the sky's colour of the time.  Nothing without a sky.
  void DrawSky();
  // The level's glass set with a pool of shardCount shards (replacing an
  // earlier one), kept in Glass and in g_Glazier.  The level loader's glass
  // section reader calls it when the level has none yet.
  void CreateGlass(int shardCount);
  // Reads a render-effects file (".rfx") and applies it to the loaded
  // templates at once; with a scope, only blocks naming the scope's id text
  // apply.  1 when the file was read, 0 when it cannot be opened.
  int LoadRenderEffects(const char* path, CEnvObject* scope);

  void SetParticleSystem(CParticlePool* system) { ParticleSystem = system; }
  // The sprite sheet lens flares are drawn from; null switches flares off.
  void SetFlareMaterial(CSpriteRender* material) { FlareMaterial = material; }
  // Also sets the global copy g_EnvRenderFlags.
  void SetRenderFlags(std::uint32_t flags);
  std::uint32_t GetRenderFlags() const { return RenderFlags; }

  // Views: the number of slots in use, copies of the players' cameras.
  void SetViewCount(std::uint32_t count);
  void ClearViews();
  // Copies the camera into slot i and points the slot at it; nothing for a
  // slot out of range.
  void SetView(int i, const CCamera& camera);
  // True when the camera of any set slot sees the point.
  bool IsPointInVolumes(const CVector3& point) const;
  // Developer overlay: the closed outline of a polygon (world points) in the
  // colour.  Answers the number of edges drawn: the point count, or 0 for
  // fewer than 2 points or without a render object.
  int DrawDebugOutline(const CVector3* points, int count, std::uint32_t colour) const;

  // --- per frame ----------------------------------------------------------------------
  // The frame's operations, in this order within a view's pass:
  // ResetDepthQueue, DrawSky, Update, UpdateFlares, DrawTransparent, then
  // SetView for the view's camera; AdvanceFlareWindow once a frame from the
  // draw step and UpdateAnimated once a frame after the world objects moved.

  // Empties the transparent queue's buckets and frame block.  Nothing without a queue.
  void ResetDepthQueue();
  // The transparent pass: lighting and depth writes off, the particle system
  // (when set) queues its particles, specular off, the queue draws far
  // buckets first, specular back as it was, blend mode 2, depth writes on;
  // then the render frame counter (CLightTable::FrameNumber, the stamp of
  // lights enabled this frame) advances.
  void DrawTransparent();
  // Lens flares of view 0..3 seen from the eye through the current camera:
  // every used, switched-on flare light enabled this frame keeps its
  // visibility for the view (re-tested on alternate frames by index parity,
  // or tested when it lies in the flare window), fades in or out by 4 per
  // second of real time, and queues its flare while visible or fading.
  // Nothing without a flare material, a light table with lights, or a camera.
  void UpdateFlares(const CVector3& eye, int view);
  // Queues one flare glow sprite: the point drawn size units nearer the eye
  // (never closer than 16), dimmed with distance (bucket b: 1 - (b - 1) /
  // buckets x 1.25, at most 1), alpha a x 255, grey in view mode 1.  False,
  // with nothing queued, when the flare lies past the last bucket, is dimmed
  // to nothing, or the queue has no room.
  bool QueueFlare(const CVector3& position, const CVector3& eye, float size, float r, float g, float b, float a,
                  int frame);
  // Moves the flare window on by 10 lights (back to 0 once its first index
  // passes the lights in use) and toggles its parity bit.
  void AdvanceFlareWindow();
  // Queues a flat polygon (blend mode 2, the default material, no texture,
  // the colour, cull mode 1) in the bucket of the position.  False, with
  // nothing queued, past the last bucket or without room.
  bool QueueDepthItem(const FlatPolygon* polygon, const CVector3& position, std::uint32_t colour);
  // Once in each view's pass, from the current camera: advances the query
  // stamp, switches off the lights enabled for the last draws, queues the
  // glass set, then draws the level's instances by zones (DrawZones), each
  // with its own lights.  Set the view instance to the camera's zone first.
  void Update();
  // The zone pass of a view, from the current camera: what it sees of the
  // view instance's zone (its portals followed unless the zone override is
  // set) and of the outer world zone, drawn through the portals in view.
  // Nothing without a current camera.
  void DrawZones();
  // Once a frame after the world objects moved: steps vertex animation by
  // the game clock and brings attached animated instances after their parents.
  void UpdateAnimated();

  // --- fields, in record order --------------------------------------------------------
  CCamera Views[kEnvironmentViews];
  std::uint32_t ViewCount = 0;
  CCamera* ViewSlots[kEnvironmentViews] = {};
  CRender* Render = nullptr;
  CTextureManager* Textures = nullptr;
  CMaterialList* Materials = nullptr;
  CTimer* GameClock = nullptr;
  CTimer* RealClock = nullptr;
  CParticlePool* ParticleSystem = nullptr;
  std::int32_t InstanceBytes = 0;
  std::uint32_t RenderFlags = kEnvRenderFlagsInitial;
  // 1: line-of-sight tests go through zones and portals; 0: through the flat list.
  std::uint32_t UseZones = 0;
  std::uint32_t InstanceCounter = 0;
  std::uint32_t AnimatedCount = 0;
  CEnvInstance** AnimatedArray = nullptr;
  CEnvObject* TemplateList = nullptr;
  std::uint32_t StaticCount = 0;
  CEnvInstance** StaticArray = nullptr;
  CEnvInstance* InstanceList = nullptr;
  CLightTable* LightTable = nullptr;
  CEnvInstance* ViewInstance = nullptr;
  CSky* Sky = nullptr;
  CLinearBuffer* FrameBlock = nullptr;
  DepthSortQueue* Queue = nullptr;
  CSpriteRender* FlareMaterial = nullptr;
  void* ScratchBuffer = nullptr;
  float WorldBounds[6] = {-kEnvDefaultBound, -kEnvDefaultBound, -kEnvDefaultBound,
                          kEnvDefaultBound,  kEnvDefaultBound,  kEnvDefaultBound};
  // First and end light index tested for flares this frame, and the parity bit.
  std::uint32_t FlareWindow[3] = {};
  CEnvInstance* ExcludedInstance = nullptr;
  CEnvInstance* RootInstance = nullptr;
  std::uint32_t Flags = 0;
  CShrubbery* Shrubbery = nullptr;
  CGlazier* Glass = nullptr;
  // Zone pass: when set, the view instance's zone is updated with 0 instead of 1.
  std::uint32_t ZoneOverride = 0;
  // The level file's level flag word (bit 2: the route markers are not in the file).
  std::uint32_t LevelFlags = 0;
  // The invisible instance that blocks crawling units ("InvisPolyForCrawling").
  CEnvInstance* CrawlBlocker = nullptr;
  // The node list of level files older than version 17.
  std::vector<CVector3> NodeList;
  // Plant-sway records the render-effects file attached to instances (their
  // hook data); they live as long as the instances.
  std::deque<SwayRecord> PlantSways;

 private:
  // The render modules instances are constructed with.
  EnvInstanceModules Modules() const;
  // A pooled instance constructed, named and set up (not listed).
  CEnvInstance* MakeInstance(const char* name, CEnvObject* object, const CVector3& position,
                             const CVector3& rotation, const CVector3* scale, int kindCode,
                             std::uint32_t creationFlags);
};

// The environment, its root instance and the outer world zone (null outside
// the environment's life).
extern CEnvironment* g_Environment;
extern CEnvInstance* g_RootInstance;
extern ZoneRecord* g_RootZone;
// Global copy of the render flags.
extern std::uint32_t g_EnvRenderFlags;
// Advanced by each view's Update; world queries stamp what they visited with it.
extern std::uint32_t g_EnvQueryStamp;

// The template pool ("EnvObjects"): template nodes in order, then heap nodes.
extern FastAllocator<CEnvObject> g_EnvObjectPool;
