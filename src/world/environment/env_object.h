// An object template: what an instance shows and collides with.  A template
// is a chain of nodes, one for a plain template and one per part for a
// hierarchical (transform-animated) one, in load order; each node carries one
// mesh, its bounds, an optional collision BSP tree, connectors, hit regions
// and flags.  Templates are loaded from object files and shared by every
// instance that shows them.  Also keeps the engine-wide view settings that
// sight queries read.  Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/bsp/bsp_tree.h"
#include "render/geometry/matrix.h"
#include "render/geometry/vector3.h"

class CLinearBuffer;
class CMaterialList;
class CRender;
class CTexture;
class CTextureManager;
class CVBufferObject;
class DepthSortQueue;

// Object types of the file (template kinds).
enum ObjectType : std::int32_t {
  OTYPE_NONE = -1,
  OTYPE_ENV = 0,
  OTYPE_VERTEXANIM = 3,
  OTYPE_TRANSFORMANIM = 4,
  OTYPE_LANDSCAPE = 5,
};

// Mesh kinds of a node.
enum MeshKind : std::int32_t {
  MESHKIND_PLAIN = 0,
  MESHKIND_VERTEXANIM = 1,
  MESHKIND_SKINNED = 2,
  MESHKIND_PLAIN_ALT = 3,
};

// Node flags.
enum EnvObjectFlags : std::uint32_t {
  EOF_HIT_REGION = 0x1,         // carries a hit region
  EOF_CONNECTOR = 0x2,          // connector node: never collided, never drawn as a collision shape
  EOF_COLLIDE_BY_NODES = 0x10,  // hierarchical template: each node's own solid is examined
  EOF_HAS_SHADOW_CASTER = 0x40, // the root remembers a shadow-casting node
  EOF_COLLISION_ONLY = 0x80,    // merged into the parent at load and dropped
  EOF_SHADOW_CASTER = 0x100,    // the root's shadow caster
  EOF_CUT_OUT = 0x200,          // the mesh is marked cut-out after loading
  EOF_DISABLED = 0x400,         // set and cleared by SetNodeEnabled
  EOF_INITIAL = 0x30,
};

inline constexpr std::uint32_t kEnvObjectRecordSize = 448;
inline constexpr int kConnectorSlots = 5;
inline constexpr int kHitRegionNames = 12;

// Connector slots.
enum ConnectorSlot : int {
  CONNECTOR_PRIMARY = 0,
  CONNECTOR_SECONDARY = 1,
  CONNECTOR_EJECTOR = 2,
  CONNECTOR_LADDER_BOTTOM = 3,
  CONNECTOR_LADDER_TOP = 4,
};

// The hit-region names; a flagged node whose name hash equals the hash of
// one of them gets its index as region number.
extern const char* const kHitRegionNameTable[kHitRegionNames];

// A bounds block of an object file: corners and the six face planes.
struct EnvBounds {
  CVector3 Min{};
  CVector3 Max{};
  float Planes[6][4] = {};
};

// A sphere block: centre and radius.
struct EnvSphere {
  CVector3 Centre{};
  float Radius = 0.0f;
};

// One named value of a skinned node's bone table, with its name's hash.
struct EnvNamedValue {
  std::string Name;
  std::uint32_t Value = 0;
  std::uint32_t Hash = 0;
};

// A list of transform keys and their matrix forms.
struct EnvTransformList {
  std::uint32_t StoredWord = 0;
  std::vector<Pose> Keys;
  std::vector<CMatrix> Matrices;
};

// One (node, region number) entry of a template's hit-region table.
struct EnvHitRegion {
  class CEnvObject* Node;
  std::int32_t Region;
};

// The draw paths of the meshes (installed by the mesh draw, vertex-animation
// and shadow code); a null entry draws nothing.  lights and drawData are the
// draw paths' own records, passed through.
struct EnvDrawHooks {
  int (*DrawMesh)(CVBufferObject* mesh, const void* lights, std::uint32_t textureOverride, void* drawData) = nullptr;
  int (*DrawVertexAnimFrame)(class CEnvObject* node, float frame, const void* lights) = nullptr;
  void (*QueueShadow)(class CEnvObject* shadowTemplate) = nullptr;
  // Before a plain instance queues its template's shadow: makes the
  // instance's shadow light the current shadow light (in the template's
  // space); 0 when the instance casts no shadow now.  Without it the shadow
  // is queued for whatever light was set last.
  int (*SetInstanceShadowLight)(const class CEnvInstance* instance) = nullptr;
};
void SetEnvDrawHooks(const EnvDrawHooks& hooks);
// The hooks now installed (each owner changes only its own entry).
const EnvDrawHooks& GetEnvDrawHooks();

// The five modules a template's meshes are made with.
struct EnvLoadContext {
  CRender* Render = nullptr;
  CTextureManager* Textures = nullptr;
  CMaterialList* Materials = nullptr;
  CLinearBuffer* QueueAllocator = nullptr;
  DepthSortQueue* Queue = nullptr;
};

// Frees the mesh of a kind this module does not own (vertex-animated and
// skinned meshes); set by the owners of those meshes.
using EnvMeshFree = void (*)(std::int32_t meshKind, void* mesh);
void SetEnvMeshFree(EnvMeshFree hook);

// Where template nodes come from and go back to.  Until the level's pools
// are set, nodes are made on the heap; a node the pool does not take back
// is deleted.
using EnvNodeAllocate = class CEnvObject* (*)();
using EnvNodeRelease = bool (*)(class CEnvObject* node);  // true when the pool took it back
void SetEnvObjectPool(EnvNodeAllocate allocate, EnvNodeRelease release);
// A node from the pool, or from the heap when the pool is full or not set.
class CEnvObject* NewEnvObjectNode();
// Frees the whole chain of a template (CEnvObject::FreeNode) and gives every
// node, the root included, back to the pool or the heap.  Null is allowed.
void FreeEnvObjectTemplate(class CEnvObject* root);

class CEnvObject {
 public:
  CEnvObject() { Init(EnvLoadContext{}); }
  ~CEnvObject();
  CEnvObject(const CEnvObject&) = delete;
  CEnvObject& operator=(const CEnvObject&) = delete;

  // Clears the node (kind -1, record size 448, flags 0x30, both
  // level-of-detail counts 5, node index -1, everything else 0) and keeps the
  // modules for the mesh constructors.  Any old content must have been freed.
  void Init(const EnvLoadContext& context);
  // Frees this node's mesh, BSP trees, skin data and tables (unless the node
  // is shared), then the next nodes likewise, which go back to the pool or
  // the heap; this node itself stays (its owner releases it).
  void FreeNode();

  // The connector position of the slot (object space); false when the node
  // has no connectors or the slot names none.
  bool GetConnectorPosition(int slot, CVector3* out) const;
  // The whole-template box for a hierarchical template, the node box otherwise.
  const EnvBounds& GetBounds() const;
  // Nodes of the chain with the connector flag.
  int CountConnectorNodes() const;
  // Sets the connector flag when the upper-cased name contains "CONNECTOR", clears it otherwise.
  void MarkConnectorNode(const char* name);
  // Clears the disabled flag for a non-zero flag, sets it for 0.
  void SetNodeEnabled(int flag);
  // Whether any node of the chain has mesh kind 2 or 3.
  bool HasAnimatedMesh() const;
  // Rebuilds the template's hit-region table from the flagged nodes, in node order.
  void BuildHitRegions();
  // The corner of the node box nearest the point and its squared distance; false without a box.
  bool NearestCorner(const CVector3& point, CVector3* corner, float* distanceSq) const;
  // Whether the sphere (world space, taken into node space through the
  // matrix) touches a polygon of the node's BSP tree whose surface kind is the
  // given one; a polygon of another kind sets *blocked.  Connector nodes,
  // nodes without a tree and nodes with a mesh kind other than 0 are never hit.
  bool QueryBsp(const float* sphere, const CMatrix& world, std::uint32_t surfaceKind, std::uint32_t* blocked) const;
  // Wire box of the node box and wire sphere (16 x 16) of the collision sphere.
  void DrawBox(std::uint32_t colour) const;
  void DrawSphere(std::uint32_t colour) const;
  // Hands the node's mesh to the draw paths: a vertex-animated template at
  // frame 0, any other through its plain mesh.  Answers the draw's result, 0
  // when there is nothing to draw or no draw path is installed.
  int SubmitMesh(const void* lights, std::uint32_t textureOverride, void* drawData);
  // A vertex-animated template at the given frame; 0 for other templates.
  int SubmitFrame(float frame, const void* lights);
  // Queues the shadow of the top shadow template of the chain of shadow
  // templates, unless a vertex-animated template lies on the way.
  void QueueShadow();
  // Queues this node's own shadow (a caster node of a hierarchical template).
  void QueueOwnShadow();
  // Render-effect set-up, called by the render-effects file's readers: each
  // applies its effect to the parts of the node's plain mesh textured name
  // (every part but "default" ones for null) and answers whether a part took
  // it.  False unless the render device has the capability (render option
  // 0x4 dot-3 bump with vertex shader 1.0 with 12 constants and pixel shader
  // 1.0, 0x2 reflection, 0x1 detail) and the node's mesh is plain.
  bool SetBumpEffect(CTexture* bumpTexture, const char* name);
  bool SetReflectionEffect(CTexture* texture, float strength, const char* name);
  bool SetDetailEffect(CTexture* texture, std::uint32_t blendMode, float strength, float scaleU, float scaleV,
                       const char* name);
  // Makes this node (and, through NextNode, a chain of new nodes) a copy of
  // the chain of `from` that shares its meshes, trees, skins and transform
  // tables: every node of the copy is marked shared, so that freeing the
  // copy leaves them to the original.  Parent links and hit regions point
  // into the copy.  This node must be empty (just initialised).
  void CopySharedChain(const CEnvObject& from);
  // "#0x%X" of the object name hash, in one static buffer.
  const char* GetIdString() const;
  // The modules the node was initialised with.
  const EnvLoadContext& Context() const { return m_Context; }

  // --- Fields ------------------------------------------------------------------

  std::uint32_t RecordSize = kEnvObjectRecordSize;
  std::int32_t TemplateKind = OTYPE_NONE;
  std::int32_t MeshKind = MESHKIND_PLAIN;
  EnvBounds Bounds;                          // the node box
  CVBufferObject* Mesh = nullptr;            // plain mesh (kinds 0 and 3)
  void* OtherMesh = nullptr;                 // vertex-animated or skinned mesh (kinds 1 and 2)
  BspNode* Bsp = nullptr;                    // owned
  const BspNode* CollisionBsp = nullptr;     // may share Bsp
  std::uint32_t VertexAnimFrames = 0;
  std::uint32_t Flags = EOF_INITIAL;
  std::int32_t ConnectorCount = 0;
  CVector3 ConnectorPositions[kConnectorSlots]{};
  std::int32_t ConnectorSlots[kConnectorSlots] = {-1, -1, -1, -1, -1};
  std::vector<EnvHitRegion> HitRegions;      // the template's table (root)
  std::uint32_t NameHash = 0;
  CEnvObject* NextNode = nullptr;
  CEnvObject* ParentNode = nullptr;
  std::int32_t NodeIndex = -1;
  void* SkinData = nullptr;
  void* SkinBones = nullptr;
  EnvBounds WholeBounds;                     // whole template (hierarchical)
  std::int32_t SolidType = 0;
  EnvSphere Sphere;                          // bounding sphere of the node
  EnvSphere WholeSphere;
  std::int32_t DetailCounts[2] = {5, 5};
  std::uint32_t Shared = 0;
  CEnvObject* ShadowTemplate = nullptr;
  std::uint32_t ObjectNameHash = 0;            // HashStringNoCase of the file name without extension
  CEnvObject* NextTemplate = nullptr;          // the environment's template list

  // Read from the object file and kept with the node.
  std::string ObjectName;
  std::string NodeName;
  std::string ParentName;
  std::string ShadowName;                    // empty for none
  std::uint32_t NodeWords[4] = {};           // the three leading and the last template word
  std::vector<EnvNamedValue> NamedValues;
  EnvTransformList* Transforms = nullptr;    // owned, or null
  std::uint32_t BspBytes = 0;                // memory size of every tree kept while reading, summed
  // A copied character template's own texture, drawn where no instance
  // override is given; null otherwise.
  CTexture* VariantTexture = nullptr;

 private:
  EnvLoadContext m_Context;
};

// Engine-wide view settings (sky and fog set them, sight queries read them).
// Sets the base and the current visibility scale.
void EnvSetVisibilityScale(float scale);
// Sets the current scale only; 0 or less becomes 0.1.
void EnvSetCurrentVisibilityScale(float scale);
float EnvGetVisibilityScale();
float EnvGetBaseVisibilityScale();
void EnvSetViewDistances(float a, float b);
void EnvGetViewDistances(float* a, float* b);
void EnvSetViewWord(std::uint32_t word);
std::uint32_t EnvGetViewWord();

// The engine's progress-message handler: receives the object loaders'
// printf-style progress texts; without one nothing is printed.
using EngineMessageHandler = void (*)(const char* text);
void SetEngineMessageHandler(EngineMessageHandler handler);
// Formats and hands a text to the handler, if any.
void EngineMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
