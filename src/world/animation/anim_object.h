// The animated object: the placed instance of a hierarchical template (a
// skeleton of nodes carrying rigid meshes, skinned meshes and connectors).
// Soldiers, vehicles and animated buildings are drawn through one.  It plays
// animation sets on two channels, channel 0 for the whole body and channel 1
// for the upper body; a start can blend from the pose on screen and channel 1
// can blend out to channel 0.  Once a frame it evaluates one matrix per node
// (node -> object space, then -> world), applies the joint overrides its owner
// supplies, and draws its meshes in up to four passes.  Connectors are the
// attachment points (hands, face, spine) on which items hang.
//
// Frame: row vectors (p' = p x M); a node's model matrix is its local key
// matrix times its parent's model matrix.  Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/geometry/matrix.h"
#include "world/animation/anim_set.h"
#include "world/environment/env_instance.h"

class CAnimObject;
class CEnvObject;
class CEnvironment;
class CFrustum;
class CTexture;
class BufferedFile;
struct SkinMarkList;

// Repeat counts with a meaning of their own.
inline constexpr std::int32_t kAnimRepeatLoop = -99999;    // loops for ever
inline constexpr std::int32_t kAnimRepeatFreeze = -99998;  // holds the current frame
inline constexpr int kJointOverrideCount = 10;
inline constexpr int kUpperBodyTableSize = 50;
// Blend speed of PlayNamedAnim (weight per second).
inline constexpr float kNamedAnimBlendSpeed = 3.0f;

// 1 for the node indices that channel 1 (upper body) drives.
extern const std::int32_t UpperBodyNodeTable[kUpperBodyTableSize];

// One playing animation.
struct AnimChannel {
  AnimSet* Set = nullptr;
  std::uint32_t Reserved = 0;
  float StartFrame = 0.0f;    // taken as the current frame when a blend ends
  float CurrentFrame = 0.0f;  // while blending: the blend weight, 0 to 1
  float FrameDelta = 0.0f;    // frames advanced by the last update
  std::int32_t RepeatCount = 0;
  std::int32_t Blending = 0;  // 1 while blending in (or out)
  std::int32_t BlendOut = 0;  // 1 while a channel without animation blends out
  float BlendSpeed = 0.0f;    // weight per second
  std::int32_t Active = 0;
  std::int32_t NextEvent = -1;  // index of the next event of the set to fire, -1 none
  float PreviousEventTime = 0.0f;
  std::int32_t Ended = 0;     // a looping animation passed its last key
  float Rate = 1.0f;          // times the set's own frame rate (its owner slows it)
};

// Connector record flags.
enum AnimConnectorFlags : std::uint32_t {
  ACF_EVALUATED = 0x1,  // evaluated and drawn
  ACF_SHOWN = 0x2,      // shown by request
  ACF_ATTACHED = 0x4,
  ACF_BONE = 0x8,       // always evaluated: the node is a bone of a skin
  ACF_LOCKED = 0x10,    // a reset leaves bits 0x7 alone
};

struct AnimConnector {
  std::uint32_t Flags = 0;
  CEnvObject* Node = nullptr;
  CEnvObject* Attached = nullptr;  // template drawn at the connector, or null
  std::int32_t NodeIndex = -1;
};

// A matrix the owner puts on a named joint (hash of the node's name).
struct JointOverride {
  std::uint32_t JointHash = 0;
  std::int32_t Active = 0;
  CMatrix Matrix{};
};

// Draw flags: passes and their variants.
enum AnimDrawFlags : std::uint32_t {
  ANIMDRAW_SKINNED = 0x1,
  ANIMDRAW_RIGID = 0x2,
  ANIMDRAW_NOTHING = 0x4,
  ANIMDRAW_BONE_MESHES = 0x8,
  ANIMDRAW_RIGID_WIRE = 0x10,    // in wireframe while the renderer's wireframe mode is on
  ANIMDRAW_SKINNED_WIRE = 0x20,
  ANIMDRAW_BONE_MESHES_WIRE = 0x40,
};

// The joints that the units ask for by number.
enum GruntJoint : int {
  JOINT_ROOT,
  JOINT_L_TOE,
  JOINT_R_TOE,
  JOINT_L_HAND,
  JOINT_R_HAND,
  JOINT_L_CALF,
  JOINT_R_CALF,
  JOINT_L_FOREARM,
  JOINT_R_FOREARM,
  JOINT_L_THIGH,
  JOINT_R_THIGH,
  JOINT_L_CLAVICLE,
  JOINT_R_CLAVICLE,
  JOINT_PELVIS,
  JOINT_SPINE,
  JOINT_SPINE1,
  JOINT_SPINE2,
  JOINT_SPINE3,
  JOINT_NECK,
  JOINT_HEAD,
  JOINT_COUNT
};
extern const char* const kGruntJointNames[JOINT_COUNT];

// The one shared table of bone ordinals of the named joints (an ordinal
// counts only bone nodes, in node order; -1 when the skeleton lacks the joint).
struct AnimJointMapTable {
  std::int32_t Ordinals[JOINT_COUNT];
  bool Built = false;
};
extern AnimJointMapTable AnimJointMap;

// Turns up to ten joints at given rates; owned by the object it spins, whose
// channels then stand still.
class CJointSpinner {
 public:
  CJointSpinner() { Reset(); }
  void Reset();
  // Degrees per second about x, y and z.
  void SetRate(int slot, const CVector3& degreesPerSecond);
  // The joint (name hash) the slot turns; the slot becomes active.
  void SetJoint(int slot, std::uint32_t nameHash);
  void SetAngles(int slot, const CVector3& degrees);
  // Installs the overrides on the object and turns every active slot: angles
  // += dt x rates, matrix = rotations about x, y and z in that order.
  void Update(CAnimObject* object, float dt);

  CVector3 Rates[kJointOverrideCount];
  CVector3 Angles[kJointOverrideCount];
  JointOverride Overrides[kJointOverrideCount];
};

// Called by the ribcage oscillator with its argument and phase (degrees).
using RibcageCallback = void (*)(void* argument, float phase);

// Moves the ribcage connector in and out (breathing).
struct RibcageOscillator {
  CEnvObject* Node = nullptr;
  std::int32_t NodeIndex = -1;
  CMatrix Matrix{};       // the node's model matrix as last evaluated
  CVector3 Offset{};      // the breathing offset added to it
  float Phase = 0.0f;     // degrees
  float Rate = 100.0f;    // degrees per second
  float Amplitude = 0.0f;
  float PeriodExtra = 10.0f;
  RibcageCallback Callback = nullptr;
  void* CallbackArgument = nullptr;
};

// Shadow services of the shadow module, installed at start-up; without them
// no shadow is drawn.
struct AnimShadowHooks {
  // The direction of the instance's shadow light in the object's space;
  // false when there is none.
  bool (*LocalLightDirection)(const CEnvInstance* instance, int lightIndex, CVector3* out) = nullptr;
  void (*SetLightPosition)(const CVector3& lightVector) = nullptr;
  // Strength of the instance's shadow light (0 without one).
  float (*LightStrength)(const CEnvInstance* instance) = nullptr;
  // The shadow volume of a skinned node, drawn after its deformation.
  void (*DrawSkinShadow)(CEnvObject* skinNode) = nullptr;
};
void SetAnimShadowHooks(const AnimShadowHooks& hooks);

// Skin services: the skinned-mesh module's by default; tests and tools may
// put others in their place.
struct AnimSkinHooks {
  // Deforms a skinned node for the object's model matrices (modelCount, by node index).
  void (*Render)(CEnvObject* skinNode, const CMatrix* modelMatrices, int modelCount, const CVector3* lightPosition,
                 int shadow) = nullptr;
  // Applies the marks and draws the deformed skin with the texture override.
  void (*Draw)(CEnvObject* skinNode, CTexture* textureOverride, SkinMarkList* marks) = nullptr;
  // Tints the vertices near a point (object space), or a random vertex for a null point.
  bool (*AddMark)(CEnvObject* skinNode, SkinMarkList* marks, std::uint32_t colour, const CVector3* point,
                  float radius) = nullptr;
  // The texture record of a skinned node's mesh, and clearing it.
  CTexture* (*TextureOf)(CEnvObject* skinNode) = nullptr;
  void (*ClearTexture)(CEnvObject* skinNode) = nullptr;
};
void SetAnimSkinHooks(const AnimSkinHooks& hooks);
// Back to the skinned-mesh module's own.
void ResetAnimSkinHooks();

// Switches every animated object reads.
struct AnimObjectGlobals {
  bool SkinnedDraw = true;     // the skinned pass
  bool SkinShadows = true;     // shadow volumes of skins
  bool Wireframe = false;      // the renderer's wireframe mode
  std::uint32_t RendererMode = 0;  // 1: no rigid pass, skins deformed but not drawn
  // Frame time (seconds, scaled) in place of the game clock's; null reads
  // the game clock (0 before the engine starts).
  float (*FrameTime)() = nullptr;
};
extern AnimObjectGlobals g_AnimObjectGlobals;

class CAnimObject : public CEnvInstance {
 public:
  // Clears connectors, channels, overrides and the optional parts; the
  // instance flag 0x2000 (animated) and draw flags 2.
  CAnimObject();
  ~CAnimObject() override;

  // The base construction and set-up, then the node arrays (node count =
  // the template's nodes), the connectors and the skin flags; the initial
  // set goes into channel 0 without starting (GetFrameTransform reads it).
  // Answers 1.
  int Init(CRender* render, const EnvInstanceModules& modules, std::uint32_t flags, int kindCode,
           CEnvObject* object, const CVector3* scale, const CVector3& rotation, const CVector3& position,
           std::uint32_t nameHash, AnimSet* initial);

  // Transform changes invalidate the pose.
  bool SetPosition(const CVector3& position, bool moveChildren) override;
  bool SetRotation(const CVector3& degrees, bool moveChildren) override;
  void SetRotationDirect(const CVector3& degrees) override;

  // Channels.  StartAnim answers 0 (only the ended word cleared) when the set's
  // track count is not the node count; mode 1 blends from the current pose
  // at speed (weight per second).  A null set stops the channel: with mode 1
  // it blends out, else it stops at once.
  int StartAnim(int channel, AnimSet* set, std::int32_t repeat, int mode, float speed);
  // As StartAnim; the frame the blend ends on is int(offset + current frame),
  // at most key count - 1.  Without blending the channel starts at frame 0.
  int StartAnimAtFrame(int channel, AnimSet* set, std::int32_t repeat, float offset, int mode, float speed);
  void SetChannelFrame(int channel, float frame);
  float GetChannelFrame(int channel) const { return Channels[Clamp(channel)].CurrentFrame; }
  float GetChannelFrameRate(int channel) const;
  std::int32_t GetChannelKeyCount(int channel) const;
  // Writes the key count and answers 1; writes 0 and answers 0 when no set plays.
  int GetChannelKeyCount(int channel, std::int32_t* out) const;
  AnimSet* GetChannelSet(int channel) const { return Channels[Clamp(channel)].Set; }
  std::int32_t GetChannelEnded(int channel) const { return Channels[Clamp(channel)].Ended; }
  std::int32_t GetChannelActive(int channel) const { return Channels[Clamp(channel)].Active; }
  const AnimChannel& GetChannel(int channel) const { return Channels[Clamp(channel)]; }

  // One frame's step of a channel by dt seconds; 0 when it is (or became) inactive.
  int AdvanceChannel(int channel, float dt);
  // Fires the events of channel 0's set that its time has passed.
  void DispatchEvents();
  // Once a frame: the spinner when there is one, else both channels and the events.
  void Update();
  void Update(float dt);

  void InvalidatePose() override { PoseValid = 0; }
  void EvaluatePose() override;
  void UpdateAnimation() override { Update(); }
  void DrawHierarchy() override;
  // The instance draw (culling, lights) with the passes of the draw flags.
  void Draw(const CFrustum* frustum) { CEnvInstance::Draw(frustum); }
  const CMatrix* GetNodeWorldMatrix(int node) const override;
  const CMatrix* GetNodeModelMatrix(int node) const;
  const CMatrix* GetConnectorTransform(int connector) const override;

  void SetJointOverrides(JointOverride* overrides) {
    JointOverrides = overrides;
    PoseValid = 0;
  }
  void SetDrawFlags(std::uint32_t flags) { DrawFlags = flags; }
  std::uint32_t GetDrawFlags() const { return DrawFlags; }

  // The bounds of channel 0's frame (its set's bounds count wrapping), or the
  // template's own when channel 0 plays nothing or its set has no bounds.
  const EnvBounds* GetFrameTransform() const;
  // GetFrameTransform moved by the root displacement.
  EnvBounds GetShiftedFrameBounds() const;
  // Position of track 0's key at channel 0's frame (minus key 0's when
  // relative); zero when channel 0 plays nothing.
  void GetRootDisplacement(CVector3* out, int relative) const;

  // Joints by number (AnimJointMap); false (or null) when the skeleton has no such bone.
  bool GetJointPosition(int joint, CVector3* out) const;
  const CMatrix* GetJointMatrix(int joint) const;
  bool TransformJointPoint(int joint, CVector3* out) const;
  // The bone node of the joint, or null.
  CEnvObject* GetJointNode(int joint) const;

  // Connectors by record index.
  void ShowConnector(int i, int show);
  // Base hook for a child instance hung on the connector: taking it forces
  // the connector's evaluation, releasing it resets the connector.
  using CEnvInstance::AttachToConnector;
  void AttachToConnector(int i, CEnvInstance* child) override;
  // Hangs a template on the connector (bits 0x5); null removes it.
  void AttachToConnector(int i, CEnvObject* object);
  void AttachToConnector(int i, std::nullptr_t) { AttachToConnector(i, static_cast<CEnvObject*>(nullptr)); }
  CEnvObject* GetConnectorAttachment(int i) const;
  // Index of the connector whose node has the name hash, or -1.
  int FindConnector(std::uint32_t nameHash) const;
  CEnvObject* GetConnectorObject(int i) const;
  // The connector's world matrix, evaluating the pose for it when it is not
  // evaluated; valid until the next evaluation.
  const CMatrix* GetConnectorWorldMatrix(int i);
  bool GetConnectorPosition(int i, CVector3* out) const;
  bool GetConnectorWorldPosition(int i, CVector3* out);
  void ResetConnector(int i);
  void ForceConnector(int i);
  void LockConnector(int i, bool lock);
  void DetachAll();
  // Resets every connector that is evaluated but neither shown nor attached.
  void ResetForcedConnectors();
  int GetConnectorCount() const { return ConnectorCount; }
  int CountAttachedConnectors() const;
  const AnimConnector* GetConnector(int i) const;

  void SetSkinTexture(CTexture* texture) { SkinTexture = texture; }
  // The texture record of the template's first skinned node's mesh, or null.
  CTexture* GetSkinTextureRecord() const;
  // Clears the texture record of every skinned node's mesh.
  void ClearSkinTextureRecords();

  void CreateSkinMarks(std::int32_t capacity);
  void ClearSkinMarks();
  bool AddSkinMark(std::uint32_t colour, const CVector3& point, float radius);
  bool AddRandomSkinMark(std::uint32_t colour, float radius);

  // Takes ownership of the spinner (replacing any).
  void SetJointSpinner(CJointSpinner* spinner);
  CJointSpinner* GetJointSpinner() const { return Spinner.get(); }

  // False when the template has no "BIP01 RIBCAGE CONNECTOR".
  bool CreateRibcageOscillator();
  void SetRibcageParams(float rate, float amplitude, float periodExtra);
  void SetRibcageCallback(RibcageCallback callback, void* argument);
  const RibcageOscillator* GetRibcage() const { return Ribcage.get(); }
  // One step of the oscillator (the skinned pass calls it).
  void AdvanceRibcage(float dt);

  // Fills AnimJointMap from the template's bones and marks it built.
  static void BuildJointMap(const CEnvObject* object);
  // Clears the built mark (the environment does at creation and destruction).
  static void ClearJointMap();

  int GetNodeCount() const { return NodeCount; }
  int GetBoneCount() const { return BoneCount; }
  bool IsPoseValid() const { return PoseValid != 0; }

  // --- Fields, after the base --------------------------------------------------
  std::int32_t ConnectorCount = 0;
  std::vector<AnimConnector> Connectors;
  std::uint32_t DrawFlags = ANIMDRAW_RIGID;
  std::int32_t PoseValid = 0;
  std::int32_t NodeCount = 0;
  std::vector<CMatrix> ModelMatrices;
  std::vector<CMatrix> WorldMatrices;
  std::vector<CMatrix> InverseWorldMatrices;
  std::vector<Pose> SampledKeys;
  std::vector<std::int32_t> SampledValid;
  std::vector<Pose> CurrentKeys;
  std::vector<std::int32_t> CurrentValid;
  JointOverride* JointOverrides = nullptr;  // ten, not owned
  AnimChannel Channels[2];
  CTexture* SkinTexture = nullptr;
  std::int32_t BoneCount = 0;
  std::unique_ptr<RibcageOscillator> Ribcage;
  SkinMarkList* SkinMarks = nullptr;  // owned (through the skin hooks)
  std::unique_ptr<CJointSpinner> Spinner;

 private:
  static int Clamp(int channel) { return channel == 1 ? 1 : 0; }
  // Copies the current keys into the sampled keys (a blend then starts from
  // the pose on screen).
  void SnapshotCurrentPose();
  void ClearKeyValidity();
  CMatrix RestMatrix(const CEnvObject* node) const;
  void DrawSkinnedPass(bool shadow);
  void DrawRigidPass();
  void DrawRigidShadowPass(const CVector3& lightVector);
  void DrawBoneMeshPass();
  std::vector<CEnvObject*> NodeByIndex;  // template nodes by node index
};

// The animated instance of a transform-animated template placed by the
// level loader: made, initialised with no animation, added to the
// environment's instance list (the environment frees it); the first one
// placed while the joint map is not built builds it.
CEnvInstance* MakeAnimObjectInstance(CEnvironment* environment, const char* name, CEnvObject* object,
                                     const CVector3& position, const CVector3& rotation, const CVector3& scale);
// PlayNamedAnim for an instance the loader made with MakeAnimObjectInstance
// (nothing for any other instance).
void PlayNamedAnimOnInstance(CEnvInstance* instance, const char* name);

// Starts the named set ("<name>.prs") on channel 0, looping, without
// blending; "NOANIM" plays nothing.  Answers 1.
int PlayNamedAnim(CAnimObject* object, const char* name);
// The same with the name read as a word from an open level file.
int PlayNamedAnimFromFile(CAnimObject* object, BufferedFile* file);
