// A placed copy of an object template in the level: walls, props, landscape
// pieces, the visuals of world objects and the parts of breakable scenery.
//
// Instances form a tree (parent, first child, next sibling).  The top of each
// tree is a zone root that owns its zone's portals, octree and registered
// instances.  Every instance keeps a local position, a rotation (degrees) and
// a scale, and derives from them and from its parent a world matrix and its
// inverse.
//
// Frame: world units (centimetres), y up, row vectors (p' = p x M); the world
// matrix's last row is the world position.  Main thread only.
//
// Records come from the environment's instance pool and are never freed one by
// one; the environment releases the pool at level end.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/memory/fast_allocator.h"
#include "render/geometry/matrix.h"
#include "render/geometry/vector3.h"
#include "render/volumes/sphere.h"

class CEnvObject;
struct BspNode;
class CEnvironment;
class CFrustum;
class CLightTable;
class CLinearBuffer;
class CMaterialList;
class CRender;
class CTextureManager;
class DepthSortQueue;
struct Portal;
struct PortalPolygon;
struct ZoneRecord;
struct InstanceDamage;

// Instance flags (the word ORed from the spawn record).
enum EnvInstanceFlags : std::uint32_t {
  INSTF_PASS_THROUGH = 0x1,         // ground of a world object comes from the first ancestor without it
  INSTF_QUEUED_SHADOW = 0x2,        // takes a queued shadow when its template has one
  INSTF_DISABLED = 0x4,             // neither drawn nor collided
  INSTF_HIDDEN = 0x8,
  INSTF_NOT_COLLIDABLE = 0x10,
  INSTF_NOT_IN_BOUNDS = 0x40,       // left out of GatherBounds unless forced
  INSTF_VANIM_PAUSED = 0x80,
  INSTF_ANIMATED = 0x2000,          // the record is a CAnimObject
  INSTF_VANIM_STOP_AT_END = 0x10000,
  INSTF_BREAKABLE = 0x400000,
  INSTF_LIT_ALL = 0x10000000,       // drawn with the environment's shared lights
  INSTF_ANY_SIZE = 0x40000000,      // drawn however small it projects
};

// Bits that CopyFlags carries from one instance to another.
constexpr std::uint32_t kInstanceCopyFlagsMask = 0x412011E;

// State bits kept by the instance itself.
enum EnvInstanceState : std::uint32_t {
  INSTS_STATIC_OVERRIDE = 0x2,  // static when the node override is set
  INSTS_DYNAMIC = 0x8,          // dynamic when the node override is clear
  INSTS_BOUNDS_VALID = 0x10,    // world sphere up to date
  INSTS_POSITION_SET = 0x20,
  INSTS_ROTATION_DIRECT = 0x40, // matrix built by SetRotationDirect (yaw turned by 180)
  INSTS_SPHERE_OFFSET = 0x800,
  INSTS_GLOBAL_DYNAMIC = 0x4000,  // registered in the global dynamic list instead of a zone
};

// Transform modes: how the world matrix relates to the parent.
enum EnvTransformMode : int {
  TRANSFORMMODE_WORLD = 0,
  TRANSFORMMODE_PARENTRELATIVE = 1,
  TRANSFORMMODE_CONNECTORRELATIVE = 2,
  // The world matrix's rotation rows are given directly (SetMatrixRotation),
  // as a physics body moving the instance gives them; positions are world.
  TRANSFORMMODE_MATRIX = 6,
};

// Byte size of one instance record and of one portal, for the size accounting.
constexpr int kInstanceRecordSize = 532;
constexpr int kPortalRecordSize = 548;
// Active lights an instance keeps for its draw.
constexpr int kMaxInstanceLights = 8;
// Collision candidates one gathering may collect.
constexpr int kMaxCollisionCandidates = 128;

class CEnvInstance;
struct MovableObject;

// One environment-map entry of an instance: the template texture it applies
// to, a blend value and the environment-map texture (ids, 0 none).
struct InstanceEnvMap {
  std::uint32_t Texture = 0;
  float Value = 0.0f;
  std::uint32_t EnvMapTexture = 0;
};

// Render mode that draws an instance with its render value.
constexpr std::int32_t kInstanceRenderModeValue = 24;

// A model an instance can swap to: template and override texture.
struct ObjectTemplatePair {
  CEnvObject* Template = nullptr;
  std::uint32_t OverrideTexture = 0;

  // Fills the pair from the object "<name>.pi2" (its ".evo" file), found
  // among the environment's templates or loaded and added; the texture is
  // cleared.  An empty or null name gives an empty pair.  False when the
  // name is not empty and the object cannot be had (the pair is then empty).
  bool Load(class CEnvironment* environment, const char* name);
};
// The name the object-template reference goes by where it is loaded.
using ObjectTemplateRef = ObjectTemplatePair;

// The sway of a plant: phase and speed in degrees (per second), amplitude,
// axis weights, and the offset the last step gave.
struct SwayRecord {
  float Phase = 0.0f;
  float Speed = 0.0f;
  float Amplitude = 0.0f;
  CVector3 Weights{};
  CVector3 Offset{};
};
// One step of a sway: offset = sin(pi sin p) x a x w x 0.1 on each axis, then
// p grows by frameTime x speed and wraps at 360.
void SwayStep(SwayRecord* sway, float frameTime);

// Called when a physics collision hits the instance: (instance, strength,
// other instance or null); 1 keeps the contacts, 0 drops them.
using InstanceHitCallback = int (*)(CEnvInstance* instance, float strength, CEnvInstance* other);
// Called with its data before the instance's meshes are drawn.
using InstancePreDrawHook = void (*)(CEnvInstance* instance, void* data);

// The render modules every instance draws with, kept once for all instances.
struct EnvInstanceModules {
  CTextureManager* Textures = nullptr;
  CMaterialList* Materials = nullptr;
  CLinearBuffer* FrameBlock = nullptr;  // the transparent queue's per-frame block
  DepthSortQueue* Queue = nullptr;
  CLightTable* Lights = nullptr;
};

// A collision query: a sphere, or a sphere swept from Start to End.
struct CollisionQuery {
  CVector3 Start;
  CVector3 End;
  float Radius;
  bool Swept;
};

// One collision candidate: what was touched and where the query sphere lay
// in the instance's space and in the world.
struct CollisionCandidate {
  CEnvInstance* Instance;
  CEnvObject* Node;
  CSphere LocalSphere;
  CSphere WorldSphere;
  CVector3 QueryPoint;
};

// The candidate table the gathering fills (kMaxCollisionCandidates entries).
struct CollisionCandidateTable {
  int Count = 0;
  CollisionCandidate Entries[kMaxCollisionCandidates];
};

// Switches of the gathering, set by the environment.
struct CollisionGatherState {
  std::uint32_t Switches = 0;   // 64: pass-through instances are skipped
  std::uint32_t GroupMask = 0;  // an instance whose group matches is skipped
};
constexpr std::uint32_t kGatherSkipPassThrough = 64;

// Counts the changes of instances whose boxes the zone octrees copy into
// their lists (see octree.h): a tree whose copies were taken at another count
// takes them again before its next segment walk.  Starts at 1.
extern std::uint64_t g_CopiedBoxChanges;

class CEnvInstance {
 public:
  CEnvInstance() = default;
  virtual ~CEnvInstance() = default;
  CEnvInstance(const CEnvInstance&) = delete;
  CEnvInstance& operator=(const CEnvInstance&) = delete;

  // Stores the render modules for all instances, sets the flags and clears
  // links, counts, hooks and stamps: scale (1, 1, 1), light words 65535 and
  // 255, shadow slots -1, record size 532, identity matrices.
  void Construct(CRender* render, const EnvInstanceModules& modules, std::uint32_t flags);
  // Kind code, name hash and template; scale (null = 1, 1, 1); then the
  // virtual SetRotation and SetPosition without moving children.
  void Setup(int kindCode, CEnvObject* object, const CVector3* scale, const CVector3& rotation,
             const CVector3& position, std::uint32_t nameHash);

  // Moves the instance (local position in modes 1 and 2, world position in
  // mode 0).  With moveChildren, world-mode children move by the same offset
  // and relative children follow the new matrix.  False when the position is
  // already set to exactly this value.
  virtual bool SetPosition(const CVector3& position, bool moveChildren);
  // Sets the rotation (degrees, wrapped to [0, 360)) and rebuilds the world
  // matrix.  False when the angles are unchanged and the matrix already is
  // the plain one (not built by SetRotationDirect).  With moveChildren the
  // relative children follow.
  virtual bool SetRotation(const CVector3& degrees, bool moveChildren);
  // Sets the rotation with the yaw turned by 180 (the facing of world-object
  // visuals), always rebuilding.
  virtual void SetRotationDirect(const CVector3& degrees);

  // Takes the rotation rows (x, y, z axes, world frame) as the world matrix's
  // rotation, scaled by the instance's scale, and switches to transform mode 6;
  // the position stays.
  void SetMatrixRotation(const float rows[3][3]);

  // No work when equal; else stores the scale and rebuilds the matrices.
  void SetScale(const CVector3& scale);
  // Switches the transform mode; into and out of mode 2 the parent's
  // connector is taken and released.  The matrices are not rebuilt here.
  void SetTransformMode(int mode, int connector);
  // The matrix the local transform is composed with: the parent's world
  // matrix in mode 1, the parent's connector matrix in mode 2 (null, with a
  // debug line, when the parent is not hierarchical), null in mode 0.
  const CMatrix* GetParentTransform() const;

  // World position (the world matrix's translation).
  void GetPosition(CVector3* out) const;
  // Angles (degrees, [0, 360)) read back from the world matrix.
  void GetRotation(CVector3* out) const;
  const CVector3& GetLocalPosition() const { return LocalPosition; }
  const CVector3& GetStoredRotation() const { return Rotation; }
  const CVector3& GetScale() const { return Scale; }
  const CMatrix& GetWorldMatrix() const { return WorldMatrix; }
  const CMatrix& GetInverseWorldMatrix() const { return InverseWorldMatrix; }

  // Tree.  AttachChild detaches the child from where it hung, appends it as
  // the last child and registers it with the zone of this tree's root.
  void AttachChild(CEnvInstance* child);
  // Unregisters the instance (and its subtree) from its zone and unlinks it
  // from its parent.
  void Detach();
  CEnvInstance* GetRoot();
  // Detaches and hangs the instance directly under its root.
  void ReattachToRoot();
  // Static instances are found through their zone's octree, dynamic ones
  // through a registered list.
  bool IsStatic() const {
    if (NodeOverride != 0) return (StateBits & INSTS_STATIC_OVERRIDE) != 0;
    return (StateBits & INSTS_DYNAMIC) == 0;
  }
  // Makes the instance and its subtree dynamic (something moves them: a
  // body, a walk) and registers them with their zone as AttachChild does,
  // so that they are drawn and found where they stand rather than where an
  // octree built earlier filed them.  Best before the zone's octree is built.
  void SetDynamic();

  // Answer the previous state (true = visible / collidable).
  bool SetVisible(bool visible, bool wholeSubtree);
  bool SetCollidable(bool collidable, bool wholeSubtree);
  // The first movable object of this instance's zone whose volume holds the
  // point, or null (world/space/movable_objects.h).
  MovableObject* FindMovableAt(const CVector3& point);
  void Disable() { Flags |= INSTF_DISABLED; }
  void Enable() { Flags &= ~INSTF_DISABLED; }
  void CopyFlags(const CEnvInstance& other);

  // False when disabled; else true unless already drawn in the current frame.
  bool IsDrawnThisFrame() const;
  std::uint32_t FramesSinceDrawn() const;
  std::uint32_t GetLastDrawnTime() const { return LastDrawnTime; }
  bool WasEverDrawn() const { return LastDrawnFrame != 0; }

  // Recomputes the world sphere after a change (state bit 0x10 clear).
  void UpdateBoundingSphere();
  const CSphere& GetWorldSphere() const { return WorldSphere; }
  // The template's box scaled and carried through the world matrix, as an
  // axis-aligned box; stored in the instance and returned.
  void UpdateWorldBox(CVector3* min, CVector3* max);
  // The box UpdateWorldBox would store, leaving the stored one alone.
  void ComputeWorldBox(CVector3* min, CVector3* max) const;
  // Widens min and max by the world box of each static instance of the
  // subtree (flag 0x40 leaves one out unless forced).
  void GatherBounds(CVector3* min, CVector3* max, bool force);

  // Point and direction transforms through the world matrix or its inverse
  // (through a node's matrix for a hierarchical instance when node >= 0).
  void LocalToWorld(int node, const CVector3& point, CVector3* out) const;
  void WorldToLocal(int node, const CVector3& point, CVector3* out) const;
  void RotateToWorld(int node, const CVector3& direction, CVector3* out) const;
  void RotateToLocal(int node, const CVector3& direction, CVector3* out) const;

  // Active lights (light-table numbers) set on the device when drawn.
  // AddActiveLight ignores an index already present and any beyond eight.
  void AddActiveLight(int light);
  void RemoveActiveLight(int light);
  void CopyActiveLights(const CEnvInstance& other);
  void ClearActiveLights() { ActiveLightCount = 0; }
  int GetActiveLightCount() const { return ActiveLightCount; }
  int GetActiveLight(int i) const { return ActiveLights[i]; }

  void SetSphereOffset(const CVector3& offset);
  void ClearSphereOffset();
  // The offset, or the zero vector when none is set.
  void GetSphereOffset(CVector3* out) const;

  void SetHitCallback(InstanceHitCallback callback) { HitCallback = callback; }
  // The hit callback of plain instances: the strength goes to Damage (which
  // does nothing to an instance that is not breakable); keeps the contacts.
  static int DefaultHitCallback(CEnvInstance* instance, float strength, CEnvInstance* other);

  // Breakable instances (world/effects/breakable_instance.h): a damage
  // record with health, debris, explosion, light and sound settings.
  // Creates the record when missing (health 10) and sets INSTF_BREAKABLE.
  void MakeBreakable();
  void MakeUnbreakable() { Flags &= ~INSTF_BREAKABLE; }
  // The record's health; 0 without a record.
  float GetHealth() const;
  void SetHealth(float health);
  // Lowers the health; below 0 the instance breaks (light out, sounds,
  // explosion, debris, decals, children, disabled and detached).  True when
  // this hit broke it; false when not breakable, already broken or still whole.
  bool Damage(float amount);
  // Throws count pieces of the mesh (null: the instance's own template)
  // through the impact-piece pool.
  void SpawnDebris(int count, CEnvObject* mesh, bool burning);

  // Vertex animation (templates of kind 3), on the game clock.
  void SetVertexAnimSpeed(float framesPerSecond) { VertexAnimSpeed = framesPerSecond; }
  void SetVertexAnimFrame(float frame) { VertexAnimFrame = frame; }
  float GetVertexAnimSpeed() const { return VertexAnimSpeed; }
  float GetVertexAnimFrame() const { return VertexAnimFrame; }
  // Advances the frame by the frame time (seconds) times the speed.
  void StepVertexAnim(float frameTime);
  // The template's frames less 1, at least 1.
  int GetVertexAnimFrameCount() const;
  // run = true clears the pause flag, false sets it.
  void PauseVertexAnim(bool run);

  // Draws the instance once per frame: culls by frustum (may be null) and
  // projected size, sets its matrix and lights and submits its template.
  void Draw(const CFrustum* frustum);

  // The node of a hierarchical instance whose origin, carried by its node
  // matrix, lies within 0.0001 of the point; -1 when none does.
  int GetNodeForPoint(const CVector3& point) const;
  // Exchanges the instance's template and override texture with the pair's
  // (intact and damaged models).
  void SwapObject(ObjectTemplatePair* pair);

  // Wire boxes and spheres of the template's collision shapes (each
  // non-connector node of a hierarchical template at its node matrix).
  void DrawCollisionShapes(std::uint32_t colour);

  // Id text "#0x%X" of the name hash, in one shared buffer.
  const char* GetIdString() const;

  // Appends to the table every solid of the template (or each collision node
  // of a hierarchical one) that the query sphere touches.  False when the
  // table fills up: the gathering stops there.
  bool GatherCollisionCandidates(const CollisionQuery& query, const CollisionGatherState& state,
                                 CollisionCandidateTable* table);

  // The sphere against the template's BSP trees (each plain node of a
  // hierarchical template through its node matrix): true when a polygon of
  // the surface kind is touched; *blocked is set by one of another kind.
  // False at once when the sphere misses the instance's world box.
  bool QueryBspTree(const CSphere& sphere, std::uint32_t surfaceKind, std::uint32_t* blocked);
  // True when the renderer's sphere query over the tree reports a hit.
  static bool SphereHitsBsp(const BspNode* tree, const CSphere& sphere, std::uint32_t surfaceMask);
  // Point, distance (0 at the segment start, 1 at its end) and plane of the
  // renderer's last segment query; false when it hit nothing.
  static bool GetLastBspHit(CVector3* point, float* distance, float plane[4]);

  // Zones and portals.  On a zone root: makes a portal of the zone (defined
  // with the zone module).
  Portal* AddPortal(CEnvInstance* targetZone, const PortalPolygon& block, const CSphere* sphere,
                    int distanceLimited, int number, int expand);
  // On a zone root: the first portal of its zone whose prism contains the
  // point; null on an instance without a zone or when none does.
  Portal* FindPortalAt(const CVector3& point);

  // Hooks of hierarchical (animated) instances; plain instances have no
  // nodes or connectors.
  // Brings the node matrices up to date.
  virtual void EvaluatePose() {}
  // Marks the node matrices as out of date.
  virtual void InvalidatePose() {}
  // The once-a-frame animation step of an animated instance.
  virtual void UpdateAnimation() {}
  // World matrix of connector i as last evaluated, or null.
  virtual const CMatrix* GetConnectorTransform(int connector) const {
    (void)connector;
    return nullptr;
  }
  // World matrix of node i, or null.
  virtual const CMatrix* GetNodeWorldMatrix(int node) const {
    (void)node;
    return nullptr;
  }
  // Draws the nodes of a hierarchical instance.
  virtual void DrawHierarchy() {}
  // Takes (child given) or releases (null) connector i for a child.
  virtual void AttachToConnector(int connector, CEnvInstance* child) {
    (void)connector;
    (void)child;
  }

  // Fields, in record order.
  int KindCode = 0;
  std::uint32_t Flags = 0;
  std::uint32_t StateBits = 0;
  std::uint32_t CollisionGroup = 0;
  // The dynamic collision box of a unit's visual (a biped box template), or null.
  const CEnvObject* DynamicBox = nullptr;
  InstanceDamage* DamageRecord = nullptr;
  int SizeAccounting = kInstanceRecordSize;
  CVector3 WorldBoxMin{};
  CVector3 WorldBoxMax{};
  CEnvInstance* EnvLink = nullptr;
  CEnvInstance* FirstChild = nullptr;
  CEnvInstance* NextSibling = nullptr;
  CEnvInstance* Parent = nullptr;
  std::uint32_t NodeOverride = 0;
  InstanceHitCallback HitCallback = &CEnvInstance::DefaultHitCallback;
  CEnvObject* Template = nullptr;
  std::uint32_t PassStamp = 0;
  std::uint32_t LastDrawnFrame = 0;
  std::uint32_t LastDrawnTime = 0;
  CSphere WorldSphere{};
  float VertexAnimSpeed = 0.0f;
  float VertexAnimFrame = 0.0f;
  CVector3 LocalPosition{};
  CVector3 Rotation{};
  CMatrix WorldMatrix{};
  CMatrix InverseWorldMatrix{};
  CVector3 Scale{1.0f, 1.0f, 1.0f};
  int ActiveLightCount = 0;
  std::uint8_t ActiveLights[kMaxInstanceLights] = {};
  std::uint16_t LightSelectWord = 65535;
  std::uint8_t LightSelectByte = 255;
  float ProjectedSize = 0.0f;
  int TransformMode = TRANSFORMMODE_WORLD;
  int ConnectorIndex = 0;
  CEnvInstance* ZoneLink = nullptr;
  std::uint32_t OverrideTexture = 0;
  InstancePreDrawHook PreDrawHook = nullptr;
  void* HookData = nullptr;
  int ShadowIndex = -1;
  int ShadowPartner = -1;
  CVector3 SphereOffset{};
  ZoneRecord* Zone = nullptr;
  std::uint32_t NameHash = 0;
  // Number under which octree files store the instance (set when the
  // level's instance numbers are built).
  std::uint32_t InstanceNumber = 0;
  // What the level file gives an instance besides its transform and flags:
  // its id, two 16-bit values, its shrubbery garden (-1 none), the render
  // mode and value (mode 24 draws with the value), and environment-map
  // textures for some of its template's textures.
  std::int32_t FileId = 0;
  std::int16_t SmallValues[2] = {0, 0};
  std::int32_t GardenIndex = -1;
  std::int32_t RenderMode = 0;
  std::int32_t RenderValue = 0;
  std::vector<InstanceEnvMap> EnvMaps;
  // Set once the zone octrees keep a copy of the instance's boxes in their
  // lists; from then on every change of its stored world box, world matrix
  // or template raises g_CopiedBoxChanges.
  bool BoxCopied = false;

 protected:
  // Raises g_CopiedBoxChanges when the octree lists hold a copy of this
  // instance's boxes (called on every change of a box's inputs).
  void NoteBoxChange() {
    if (BoxCopied) ++g_CopiedBoxChanges;
  }
  // Composes scale, rotation and position (and the parent transform in
  // modes 1 and 2) into the world matrix and recomputes the inverse.  direct
  // turns the yaw by 180 (SetRotationDirect's facing).
  void RebuildMatrices(bool direct);
  // Recomposes every relative (mode 1 or 2) child against this matrix, and
  // theirs in turn.
  void UpdateRelativeChildren();
};

// Settings every instance reads, kept once for the module: the render
// device, the modules, the current frame number and game time (stamped on
// draw) and the environment's unlit and light switches.
struct EnvInstanceGlobals {
  CRender* Render = nullptr;
  EnvInstanceModules Modules{};
  std::uint32_t FrameNumber = 1;
  std::uint32_t GameTime = 0;
  bool UnlitMode = false;
  bool LightsAllowed = true;
  // Statistics of the setters: calls that changed something and calls that
  // found nothing to do.
  std::uint32_t SetterChanges = 0;
  std::uint32_t SetterSkips = 0;
  // Statistics of the draws: instances submitted, and those of them drawn
  // with at least one light enabled.
  std::uint32_t DrawCount = 0;
  std::uint32_t LitDrawCount = 0;
};
extern EnvInstanceGlobals g_EnvInstanceGlobals;

// The instance pool ("EnvInstances"): records in order, then single heap
// records once it is full (counted as overflow).
extern FastAllocator<CEnvInstance> g_EnvInstancePool;
// Takes a record from the instance pool; null only when the heap refuses.
CEnvInstance* EnvInstancePoolAllocate();

// Head of the global dynamic list (dynamic instances that hang in a portal,
// or under a parent that is itself in this list), linked through ZoneLink.
extern CEnvInstance* g_GlobalDynamicInstances;

// World position of an instance in mode 1 or 2, else its local position.
void GetInstancePosition(const CEnvInstance* instance, CVector3* out);
