#include "world/animation/anim_object.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdio>

#include "foundation/files/buffered_file.h"
#include "foundation/text/hash.h"
#include "render/device/render.h"
#include "foundation/time/timer.h"
#include "render/colour/colour.h"
#include "scene/skin/skin.h"
#include "scene/skin/skin_chunk.h"
#include "scene/skin/skin_marks.h"
#include "scene/skin/skin_pose.h"
#include "world/engine.h"
#include "world/environment/environment.h"
#include "world/environment/env_object.h"

AnimObjectGlobals g_AnimObjectGlobals;
AnimJointMapTable AnimJointMap;

const std::int32_t UpperBodyNodeTable[kUpperBodyTableSize] = {
    0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

const char* const kGruntJointNames[JOINT_COUNT] = {
    "BIP01",          "BIP01 L TOE0",     "BIP01 R TOE0",     "BIP01 L HAND", "BIP01 R HAND",
    "BIP01 L CALF",   "BIP01 R CALF",     "BIP01 L FOREARM",  "BIP01 R FOREARM", "BIP01 L THIGH",
    "BIP01 R THIGH",  "BIP01 L CLAVICLE", "BIP01 R CLAVICLE", "BIP01 PELVIS", "BIP01 SPINE",
    "BIP01 SPINE1",   "BIP01 SPINE2",     "BIP01 SPINE3",     "BIP01 NECK",   "BIP01 HEAD",
};

namespace {

// The skin module's posing, drawing and marking, used unless other hooks are set.
void SkinRender(CEnvObject* node, const CMatrix* models, int count, const CVector3* light, int shadow) {
  SkinRenderNode(node, models, count, light, shadow);
}
void SkinDraw(CEnvObject* node, CTexture* texture, SkinMarkList* marks) {
  CSkin* skin = SkinOfNode(node);
  if (skin == nullptr) return;
  if (marks != nullptr) skin->ApplySkinMarks(*marks);
  skin->Draw(texture);
}
bool SkinMark(CEnvObject* node, SkinMarkList* marks, std::uint32_t argb, const CVector3* point, float radius) {
  CSkin* skin = SkinOfNode(node);
  if (skin == nullptr) return false;
  CColour colour;
  colour.FromARGB(argb);
  if (point == nullptr)
    skin->MarkRandomVertex(colour, radius);
  else if (marks != nullptr)
    skin->AddSkinMark(colour, *point, radius, marks);
  else
    skin->MarkAroundPoint(colour, *point, radius);
  return true;
}
CTexture* SkinTextureOf(CEnvObject* node) {
  CSkin* skin = SkinOfNode(node);
  return skin != nullptr ? skin->Data.Texture : nullptr;
}
void SkinClearTexture(CEnvObject* node) {
  if (CSkin* skin = SkinOfNode(node)) skin->Data.Texture = nullptr;
}

AnimSkinHooks DefaultSkinHooks() {
  AnimSkinHooks h;
  h.Render = &SkinRender;
  h.Draw = &SkinDraw;
  h.AddMark = &SkinMark;
  h.TextureOf = &SkinTextureOf;
  h.ClearTexture = &SkinClearTexture;
  return h;
}

AnimShadowHooks g_ShadowHooks;
AnimSkinHooks g_SkinHooks = DefaultSkinHooks();

constexpr std::uint32_t kBitsShownEvaluated = ACF_EVALUATED | ACF_SHOWN;
constexpr std::uint32_t kBitsAttachedEvaluated = ACF_EVALUATED | ACF_ATTACHED;
constexpr std::uint32_t kBitsResettable = ACF_EVALUATED | ACF_SHOWN | ACF_ATTACHED;
constexpr const char* kRibcageNodeName = "BIP01 RIBCAGE CONNECTOR";

bool IsRigidOrBone(const CEnvObject* node) {
  return node->MeshKind == MESHKIND_PLAIN || node->MeshKind == MESHKIND_PLAIN_ALT;
}

// Whether some skinned node of the template other than this one lists the
// node's name among its bones.
bool IsBoneOfSkin(const CEnvObject* root, const CEnvObject* node) {
  for (const CEnvObject* n = root; n != nullptr; n = n->NextNode) {
    if (n == node || n->MeshKind != MESHKIND_SKINNED) continue;
    for (const EnvNamedValue& bone : n->NamedValues)
      if (bone.Hash == node->NameHash) return true;
  }
  return false;
}

bool HasChildNode(const CEnvObject* root, const CEnvObject* node) {
  for (const CEnvObject* n = root; n != nullptr; n = n->NextNode)
    if (n != node && n->ParentNode == node) return true;
  return false;
}

// The product's type flags are those of its factors together.
void Multiply(CMatrix* out, const CMatrix& a, const CMatrix& b) {
  CMatrix r;
  MatrixMultiply(&r, a, b);
  r.TypeFlags = a.TypeFlags | b.TypeFlags;
  *out = r;
}

// The game clock's frame time (seconds, scaled), unless a source is set.
// The whole frame of a frame number; 0 for one that is not a finite number
// of sensible size (a frame set from outside).
std::int64_t WholeFrame(float frame) {
  if (!std::isfinite(frame) || std::fabs(frame) > 1e9f) return 0;
  return static_cast<std::int64_t>(frame);
}

float FrameTime() {
  if (g_AnimObjectGlobals.FrameTime != nullptr) return g_AnimObjectGlobals.FrameTime();
  return g_GameClock != nullptr ? g_GameClock->GetFrameTime() : 0.0f;
}

}  // namespace

void SetAnimShadowHooks(const AnimShadowHooks& hooks) { g_ShadowHooks = hooks; }
void SetAnimSkinHooks(const AnimSkinHooks& hooks) { g_SkinHooks = hooks; }
void ResetAnimSkinHooks() { g_SkinHooks = DefaultSkinHooks(); }

// --- Joint spinner -----------------------------------------------------------------

void CJointSpinner::Reset() {
  for (int i = 0; i < kJointOverrideCount; ++i) {
    Rates[i] = Angles[i] = CVector3{};
    Overrides[i] = JointOverride{};
    Overrides[i].Matrix.SetIdentity();
  }
}

void CJointSpinner::SetRate(int slot, const CVector3& degreesPerSecond) {
  if (slot >= 0 && slot < kJointOverrideCount) Rates[slot] = degreesPerSecond;
}

void CJointSpinner::SetJoint(int slot, std::uint32_t nameHash) {
  if (slot < 0 || slot >= kJointOverrideCount) return;
  Overrides[slot].JointHash = nameHash;
  Overrides[slot].Active = 1;
}

void CJointSpinner::SetAngles(int slot, const CVector3& degrees) {
  if (slot >= 0 && slot < kJointOverrideCount) Angles[slot] = degrees;
}

void CJointSpinner::Update(CAnimObject* object, float dt) {
  object->JointOverrides = Overrides;
  bool any = false;
  for (int i = 0; i < kJointOverrideCount; ++i) {
    if (!Overrides[i].Active) continue;
    Angles[i].x += dt * Rates[i].x;
    Angles[i].y += dt * Rates[i].y;
    Angles[i].z += dt * Rates[i].z;
    CMatrix& m = Overrides[i].Matrix;
    m.SetIdentity();
    m.RotateX(Angles[i].x);
    m.RotateY(Angles[i].y);
    m.RotateZ(Angles[i].z);
    any = true;
  }
  if (any) object->InvalidatePose();
}

// --- Life --------------------------------------------------------------------------------

CAnimObject::CAnimObject() {
  Flags |= INSTF_ANIMATED;
  for (AnimChannel& c : Channels) c = AnimChannel{};
}

CAnimObject::~CAnimObject() {
  if (SkinMarks != nullptr) delete SkinMarks;
}

int CAnimObject::Init(CRender* render, const EnvInstanceModules& modules, std::uint32_t flags, int kindCode,
                      CEnvObject* object, const CVector3* scale, const CVector3& rotation, const CVector3& position,
                      std::uint32_t nameHash, AnimSet* initial) {
  Construct(render, modules, flags | INSTF_ANIMATED);
  Setup(kindCode, object, scale, rotation, position, nameHash);
  for (AnimChannel& c : Channels) c = AnimChannel{};
  Channels[0].Set = initial;
  DrawFlags = ANIMDRAW_RIGID;
  PoseValid = 0;

  NodeByIndex.clear();
  NodeCount = 0;
  for (CEnvObject* n = object; n != nullptr; n = n->NextNode) ++NodeCount;
  NodeByIndex.assign(static_cast<std::size_t>(NodeCount), nullptr);
  for (CEnvObject* n = object; n != nullptr; n = n->NextNode)
    if (n->NodeIndex >= 0 && n->NodeIndex < NodeCount) NodeByIndex[static_cast<std::size_t>(n->NodeIndex)] = n;
  CMatrix identity;
  identity.SetIdentity();
  const auto count = static_cast<std::size_t>(NodeCount);
  ModelMatrices.assign(count, identity);
  WorldMatrices.assign(count, identity);
  InverseWorldMatrices.assign(count, identity);
  SampledKeys.assign(count, Pose{});
  CurrentKeys.assign(count, Pose{});
  SampledValid.assign(count, 0);
  CurrentValid.assign(count, 0);

  // Connectors and skin bones.
  Connectors.clear();
  BoneCount = 0;
  for (CEnvObject* n = object; n != nullptr; n = n->NextNode) {
    if (!IsRigidOrBone(n)) continue;
    const bool bone = IsBoneOfSkin(object, n);
    if (n->Flags & EOF_CONNECTOR) {
      AnimConnector c;
      c.Node = n;
      c.NodeIndex = n->NodeIndex;
      c.Flags = HasChildNode(object, n) ? (ACF_EVALUATED | ACF_LOCKED) : bone ? (ACF_BONE | ACF_LOCKED) : 0u;
      Connectors.push_back(c);
    }
    if (bone) {
      DrawFlags |= ANIMDRAW_SKINNED;
      ++BoneCount;
    }
  }
  ConnectorCount = static_cast<std::int32_t>(Connectors.size());
  return 1;
}

bool CAnimObject::SetPosition(const CVector3& position, bool moveChildren) {
  const bool changed = CEnvInstance::SetPosition(position, moveChildren);
  if (changed) PoseValid = 0;
  return changed;
}

bool CAnimObject::SetRotation(const CVector3& degrees, bool moveChildren) {
  const bool changed = CEnvInstance::SetRotation(degrees, moveChildren);
  if (changed) PoseValid = 0;
  return changed;
}

void CAnimObject::SetRotationDirect(const CVector3& degrees) {
  CEnvInstance::SetRotationDirect(degrees);
  PoseValid = 0;
}

// --- Channels ------------------------------------------------------------------------------

void CAnimObject::SnapshotCurrentPose() {
  for (int i = 0; i < NodeCount; ++i) {
    const auto n = static_cast<std::size_t>(i);
    if (!CurrentValid[n]) continue;
    SampledKeys[n] = CurrentKeys[n];
    SampledValid[n] = 1;
  }
}

void CAnimObject::ClearKeyValidity() {
  std::fill(SampledValid.begin(), SampledValid.end(), 0);
  std::fill(CurrentValid.begin(), CurrentValid.end(), 0);
}

int CAnimObject::StartAnim(int channel, AnimSet* set, std::int32_t repeat, int mode, float speed) {
  AnimChannel& ch = Channels[Clamp(channel)];
  if (set != nullptr) {
    ch.Ended = 0;
    if (set->TrackCount != NodeCount) return 0;
    if (ch.Blending && NodeCount >= 1) SnapshotCurrentPose();
    ch.Set = set;
    ch.BlendSpeed = speed;
    ch.StartFrame = 0.0f;
    ch.RepeatCount = repeat;
    ch.CurrentFrame = 0.0f;
    ch.Blending = mode;
    ch.BlendOut = 0;
    ch.Active = 1;
    ch.NextEvent = set->Events.empty() ? -1 : 0;
    ch.PreviousEventTime = 0.0f;
    if (mode == 0) ClearKeyValidity();
    PoseValid = 0;
    return 1;
  }
  // Stop.  Blending out needs a channel that runs; an idle one stops at once.
  if (mode == 1 && ch.Active) {
    ch.StartFrame = 0.0f;
    ch.CurrentFrame = 0.0f;
    if (ch.Blending) SnapshotCurrentPose();
    ch.Blending = 1;
    ch.BlendOut = 1;
  } else {
    ch.Active = 0;
    ch.Blending = 0;
    ch.BlendOut = 0;
    ClearKeyValidity();
  }
  ch.Set = nullptr;
  ch.RepeatCount = repeat;
  ch.BlendSpeed = speed;
  ch.NextEvent = -1;
  PoseValid = 0;
  return 1;
}

int CAnimObject::StartAnimAtFrame(int channel, AnimSet* set, std::int32_t repeat, float offset, int mode,
                                  float speed) {
  const float current = Channels[Clamp(channel)].CurrentFrame;
  if (!StartAnim(channel, set, repeat, mode, speed)) return 0;
  if (set != nullptr) {
    float start = std::floor(offset + current);
    const auto last = static_cast<float>(set->KeyCount - 1);
    if (start > last) start = last;
    if (start < 0.0f) start = 0.0f;
    Channels[Clamp(channel)].StartFrame = start;
  }
  return 1;
}

void CAnimObject::SetChannelFrame(int channel, float frame) {
  Channels[Clamp(channel)].CurrentFrame = frame;
  PoseValid = 0;
}

float CAnimObject::GetChannelFrameRate(int channel) const {
  const AnimSet* s = Channels[Clamp(channel)].Set;
  return s != nullptr ? s->FrameRate : 0.0f;
}

std::int32_t CAnimObject::GetChannelKeyCount(int channel) const {
  const AnimSet* s = Channels[Clamp(channel)].Set;
  return s != nullptr ? s->KeyCount : 0;
}

int CAnimObject::GetChannelKeyCount(int channel, std::int32_t* out) const {
  const AnimSet* s = Channels[Clamp(channel)].Set;
  *out = s != nullptr ? s->KeyCount : 0;
  return s != nullptr ? 1 : 0;
}

int CAnimObject::AdvanceChannel(int channel, float dt) {
  AnimChannel& ch = Channels[Clamp(channel)];
  ch.FrameDelta = 0.0f;
  if (!ch.Active) return 0;
  const float before = ch.CurrentFrame;

  if (ch.Blending) {
    ch.CurrentFrame += dt * ch.BlendSpeed;
    if (ch.CurrentFrame >= 1.0f) {
      ch.CurrentFrame = ch.StartFrame;
      ch.Blending = 0;
      ch.BlendOut = 0;
      if (ch.Set == nullptr) {
        ch.Active = 0;
        PoseValid = 0;
        return 0;
      }
    }
  } else if (ch.RepeatCount != kAnimRepeatFreeze) {
    if (ch.Set == nullptr || ch.Set->KeyCount < 2) {
      ch.CurrentFrame = 0.0f;
      PoseValid = 0;
      if (ch.RepeatCount == kAnimRepeatLoop) {
        ch.Ended = 1;
        return 1;
      }
      ch.Active = 0;
      return 0;
    }
    const float delta = dt * ch.Set->FrameRate * ch.Rate;
    ch.FrameDelta = delta;
    ch.CurrentFrame += delta;
  }

  // The end: looping sets wrap, counted ones count their plays.  A play is
  // counted once, when the frame arrives at the last key, however many
  // steps it then takes between the last key and the wrap.
  if (ch.RepeatCount != kAnimRepeatFreeze && !ch.Blending && ch.Set != nullptr) {
    const auto keys = static_cast<float>(ch.Set->KeyCount);
    if (ch.CurrentFrame >= keys - 1.0f) {
      if (ch.RepeatCount != kAnimRepeatLoop && before < keys - 1.0f) {
        --ch.RepeatCount;
        if (ch.RepeatCount < 0) {
          ch.CurrentFrame = keys - 1.0f;
          PoseValid = 0;
          ch.Active = 0;
          ch.RepeatCount = 0;
          return 0;
        }
      }
      if (ch.Set->KeyCount > 1) {
        ch.Ended = 1;
        if (ch.CurrentFrame >= keys) ch.CurrentFrame = std::fmod(ch.CurrentFrame, keys);
      }
    }
  }
  if (ch.CurrentFrame != before) PoseValid = 0;
  return 1;
}

void CAnimObject::DispatchEvents() {
  AnimChannel& ch = Channels[0];
  AnimSet* set = ch.Set;
  if (!ch.Active || set == nullptr) return;
  const std::int32_t count = set->EventCount();
  const float t = set->EventTimeUnit != 0 && set->FrameRate > 0.0f ? ch.CurrentFrame / set->FrameRate
                                                                    : ch.CurrentFrame;
  auto fire = [&](float until) {
    while (ch.NextEvent >= 0 && ch.NextEvent < count &&
           until >= set->Events[static_cast<std::size_t>(ch.NextEvent)].Time) {
      AnimEvent& e = set->Events[static_cast<std::size_t>(ch.NextEvent)];
      if (e.Callback != nullptr) e.Callback(&e, this);
      if (++ch.NextEvent >= count) ch.NextEvent = -1;
    }
  };
  if (t < ch.PreviousEventTime && count > 0) {
    // Wrapped: the events the last cycle did not reach fire first, then the
    // new cycle starts from the first event.
    if (ch.NextEvent >= 0) fire(set->Events[static_cast<std::size_t>(count - 1)].Time);
    ch.NextEvent = 0;
  }
  fire(t);
  ch.PreviousEventTime = t;
}

void CAnimObject::Update() { Update(FrameTime()); }

void CAnimObject::Update(float dt) {
  if (Spinner != nullptr) {
    Spinner->Update(this, dt);
    return;
  }
  AdvanceChannel(0, dt);
  AdvanceChannel(1, dt);
  DispatchEvents();
}

// --- Pose ------------------------------------------------------------------------------------

CMatrix CAnimObject::RestMatrix(const CEnvObject* node) const { return TemplateRestMatrix(Template, node); }

void CAnimObject::EvaluatePose() {
  if (PoseValid) {
    if (Ribcage != nullptr && Ribcage->NodeIndex >= 0 && Ribcage->NodeIndex < NodeCount) {
      CMatrix m = Ribcage->Matrix;
      m.m[3][0] += Ribcage->Offset.x;
      m.m[3][1] += Ribcage->Offset.y;
      m.m[3][2] += Ribcage->Offset.z;
      ModelMatrices[static_cast<std::size_t>(Ribcage->NodeIndex)] = m;
    }
    return;
  }
  const AnimChannel& upper = Channels[1];
  int connector = 0;
  for (CEnvObject* node = Template; node != nullptr; node = node->NextNode) {
    if ((node->Flags & EOF_CONNECTOR) && IsRigidOrBone(node)) {
      const AnimConnector* c = connector < ConnectorCount ? &Connectors[static_cast<std::size_t>(connector)] : nullptr;
      ++connector;
      if (c == nullptr || !(c->Flags & (ACF_EVALUATED | ACF_BONE))) continue;
    }
    const int i = node->NodeIndex;
    if (i < 0 || i >= NodeCount) continue;
    const auto n = static_cast<std::size_t>(i);
    ++g_AnimStatistics.NodesEvaluated;

    // Channel, frame and weight.
    const bool upperNode = i < kUpperBodyTableSize && UpperBodyNodeTable[i] == 1;
    const AnimChannel& ch = upperNode && upper.Set != nullptr ? upper : Channels[0];
    float frame = ch.Blending ? ch.StartFrame : ch.CurrentFrame;
    float t = ch.CurrentFrame;
    bool blending = ch.Blending != 0;
    if (upperNode && upper.BlendOut == 1) {
      blending = true;
      t = upper.CurrentFrame;
      frame = ch.CurrentFrame;
    }

    CMatrix local;
    const AnimTrack* track = ch.Set != nullptr ? ch.Set->GetTrack(i) : nullptr;
    if (track != nullptr && track->KeyCount() > 0) {
      const std::int32_t keys = track->KeyCount();
      const std::int64_t whole = WholeFrame(frame);
      std::int32_t k = static_cast<std::int32_t>(((whole % keys) + keys) % keys);
      float w = std::isfinite(t) ? t - std::trunc(t) : 0.0f;
      const std::vector<Pose>& key = track->Keys;
      if (blending && SampledValid[n]) {
        InterpolatePose(SampledKeys[n], key[static_cast<std::size_t>(k)], w, &local, &CurrentKeys[n]);
        CurrentValid[n] = 1;
      } else if (w == 0.0f || keys == 1) {
        SampledKeys[n] = CurrentKeys[n] = key[static_cast<std::size_t>(k)];
        SampledValid[n] = CurrentValid[n] = 1;
        PoseToMatrix(key[static_cast<std::size_t>(k)], &local);
      } else {
        std::int32_t next = (k + 1) % keys;
        if (ch.RepeatCount == 0 && next == 0) {
          // A play-once animation holds its last key.
          k = next = keys - 1;
          w = 0.0f;
        }
        InterpolatePose(key[static_cast<std::size_t>(k)], key[static_cast<std::size_t>(next)], w, &local,
                        &SampledKeys[n]);
        CurrentKeys[n] = SampledKeys[n];
        SampledValid[n] = CurrentValid[n] = 1;
      }
    } else {
      local = RestMatrix(node);
    }

    CMatrix model = local;
    if (node->ParentNode != nullptr && node->ParentNode->NodeIndex >= 0 && node->ParentNode->NodeIndex < NodeCount)
      Multiply(&model, local, ModelMatrices[static_cast<std::size_t>(node->ParentNode->NodeIndex)]);
    if (JointOverrides != nullptr) {
      for (int o = 0; o < kJointOverrideCount; ++o) {
        const JointOverride& jo = JointOverrides[o];
        if (jo.Active && jo.JointHash == node->NameHash) Multiply(&model, jo.Matrix, model);
      }
    }
    ModelMatrices[n] = model;
    if (Ribcage != nullptr && Ribcage->NodeIndex == i) {
      Ribcage->Matrix = model;
      Ribcage->Offset = CVector3{};
    }
    Multiply(&WorldMatrices[n], model, WorldMatrix);
    if (!WorldMatrices[n].Invert(&InverseWorldMatrices[n], nullptr)) InverseWorldMatrices[n].SetIdentity();
  }
  PoseValid = 1;
}

const CMatrix* CAnimObject::GetNodeWorldMatrix(int node) const {
  return node >= 0 && node < NodeCount ? &WorldMatrices[static_cast<std::size_t>(node)] : nullptr;
}

const CMatrix* CAnimObject::GetNodeModelMatrix(int node) const {
  return node >= 0 && node < NodeCount ? &ModelMatrices[static_cast<std::size_t>(node)] : nullptr;
}

const CMatrix* CAnimObject::GetConnectorTransform(int connector) const {
  const AnimConnector* c = GetConnector(connector);
  return c != nullptr ? GetNodeWorldMatrix(c->NodeIndex) : nullptr;
}

// --- Frame bounds and root ----------------------------------------------------------------------

const EnvBounds* CAnimObject::GetFrameTransform() const {
  const AnimSet* set = Channels[0].Set;
  if (set != nullptr && set->BoundsCount() > 0) {
    const std::int64_t frame = WholeFrame(Channels[0].CurrentFrame);
    const std::int64_t count = set->BoundsCount();
    return &set->Bounds[static_cast<std::size_t>(((frame % count) + count) % count)].Box;
  }
  return Template != nullptr ? &Template->GetBounds() : nullptr;
}

void CAnimObject::GetRootDisplacement(CVector3* out, int relative) const {
  *out = CVector3{};
  const AnimSet* set = Channels[0].Set;
  const AnimTrack* track = set != nullptr ? set->GetTrack(0) : nullptr;
  if (track == nullptr || track->KeyCount() == 0) return;
  const std::int64_t keys = track->KeyCount();
  const std::int64_t frame = WholeFrame(Channels[0].CurrentFrame);
  const Pose& key = track->Keys[static_cast<std::size_t>(((frame % keys) + keys) % keys)];
  *out = key.translation;
  if (relative) {
    out->x -= track->Keys[0].translation.x;
    out->y -= track->Keys[0].translation.y;
    out->z -= track->Keys[0].translation.z;
  }
}

EnvBounds CAnimObject::GetShiftedFrameBounds() const {
  const EnvBounds* source = GetFrameTransform();
  if (source == nullptr) return EnvBounds{};
  CVector3 d;
  GetRootDisplacement(&d, 0);
  EnvBounds b;
  AnimMakeBounds(CVector3{source->Min.x + d.x, source->Min.y + d.y, source->Min.z + d.z},
                 CVector3{source->Max.x + d.x, source->Max.y + d.y, source->Max.z + d.z}, &b);
  return b;
}

// --- Joints -----------------------------------------------------------------------------------------

void CAnimObject::BuildJointMap(const CEnvObject* object) {
  for (int j = 0; j < JOINT_COUNT; ++j) {
    const std::uint32_t hash = HashString(kGruntJointNames[j]);
    AnimJointMap.Ordinals[j] = -1;
    int ordinal = 0;
    for (const CEnvObject* n = object; n != nullptr; n = n->NextNode) {
      if (n->MeshKind != MESHKIND_PLAIN_ALT) continue;
      if (n->NameHash == hash) {
        AnimJointMap.Ordinals[j] = ordinal;
        break;
      }
      ++ordinal;
    }
  }
  AnimJointMap.Built = true;
}

void CAnimObject::ClearJointMap() { AnimJointMap.Built = false; }

CEnvObject* CAnimObject::GetJointNode(int joint) const {
  if (joint < 0 || joint >= JOINT_COUNT || !AnimJointMap.Built) return nullptr;
  const std::int32_t ordinal = AnimJointMap.Ordinals[joint];
  if (ordinal < 0) return nullptr;
  int k = 0;
  for (CEnvObject* n = Template; n != nullptr; n = n->NextNode) {
    if (n->MeshKind != MESHKIND_PLAIN_ALT) continue;
    if (k++ == ordinal) return n;
  }
  return nullptr;
}

const CMatrix* CAnimObject::GetJointMatrix(int joint) const {
  const CEnvObject* node = GetJointNode(joint);
  return node != nullptr ? GetNodeWorldMatrix(node->NodeIndex) : nullptr;
}

bool CAnimObject::GetJointPosition(int joint, CVector3* out) const {
  const CMatrix* m = GetJointMatrix(joint);
  if (m == nullptr) return false;
  *out = CVector3{m->m[3][0], m->m[3][1], m->m[3][2]};
  return true;
}

bool CAnimObject::TransformJointPoint(int joint, CVector3* out) const {
  const CEnvObject* node = GetJointNode(joint);
  const CMatrix* m = node != nullptr ? GetNodeWorldMatrix(node->NodeIndex) : nullptr;
  if (m == nullptr) return false;
  m->TransformPoint(node->Sphere.Centre, out);
  return true;
}

// --- Connectors ---------------------------------------------------------------------------------------

const AnimConnector* CAnimObject::GetConnector(int i) const {
  return i >= 0 && i < ConnectorCount ? &Connectors[static_cast<std::size_t>(i)] : nullptr;
}

void CAnimObject::ShowConnector(int i, int show) {
  if (i < 0 || i >= ConnectorCount) return;
  AnimConnector& c = Connectors[static_cast<std::size_t>(i)];
  if (show == 1)
    c.Flags |= kBitsShownEvaluated;
  else
    c.Flags &= ~kBitsShownEvaluated;
  PoseValid = 0;
}

void CAnimObject::AttachToConnector(int i, CEnvInstance* child) {
  if (child != nullptr)
    ForceConnector(i);
  else
    ResetConnector(i);
}

void CAnimObject::AttachToConnector(int i, CEnvObject* object) {
  if (i < 0 || i >= ConnectorCount) return;
  AnimConnector& c = Connectors[static_cast<std::size_t>(i)];
  c.Attached = object;
  if (object != nullptr)
    c.Flags |= kBitsAttachedEvaluated;
  else
    c.Flags &= ~kBitsAttachedEvaluated;
  PoseValid = 0;
}

CEnvObject* CAnimObject::GetConnectorAttachment(int i) const {
  const AnimConnector* c = GetConnector(i);
  return c != nullptr ? c->Attached : nullptr;
}

int CAnimObject::FindConnector(std::uint32_t nameHash) const {
  for (int i = 0; i < ConnectorCount; ++i)
    if (Connectors[static_cast<std::size_t>(i)].Node->NameHash == nameHash) return i;
  return -1;
}

CEnvObject* CAnimObject::GetConnectorObject(int i) const {
  const AnimConnector* c = GetConnector(i);
  return c != nullptr ? c->Node : nullptr;
}

const CMatrix* CAnimObject::GetConnectorWorldMatrix(int i) {
  if (i < 0 || i >= ConnectorCount) return nullptr;
  AnimConnector& c = Connectors[static_cast<std::size_t>(i)];
  if (!(c.Flags & ACF_EVALUATED)) {
    c.Flags |= ACF_EVALUATED;
    PoseValid = 0;
    EvaluatePose();
    ResetConnector(i);
  }
  return GetNodeWorldMatrix(c.NodeIndex);
}

bool CAnimObject::GetConnectorPosition(int i, CVector3* out) const {
  const CMatrix* m = GetConnectorTransform(i);
  if (m == nullptr) return false;
  *out = CVector3{m->m[3][0], m->m[3][1], m->m[3][2]};
  return true;
}

bool CAnimObject::GetConnectorWorldPosition(int i, CVector3* out) {
  const CMatrix* m = GetConnectorWorldMatrix(i);
  if (m == nullptr) return false;
  *out = CVector3{m->m[3][0], m->m[3][1], m->m[3][2]};
  return true;
}

void CAnimObject::ResetConnector(int i) {
  if (i < 0 || i >= ConnectorCount) return;
  AnimConnector& c = Connectors[static_cast<std::size_t>(i)];
  if (!(c.Flags & ACF_LOCKED)) c.Flags &= ~kBitsResettable;
}

void CAnimObject::ForceConnector(int i) {
  if (i < 0 || i >= ConnectorCount) return;
  Connectors[static_cast<std::size_t>(i)].Flags |= ACF_EVALUATED;
  PoseValid = 0;
}

void CAnimObject::LockConnector(int i, bool lock) {
  if (i < 0 || i >= ConnectorCount) return;
  AnimConnector& c = Connectors[static_cast<std::size_t>(i)];
  if (lock)
    c.Flags |= ACF_LOCKED;
  else
    c.Flags &= ~ACF_LOCKED;
}

void CAnimObject::DetachAll() {
  for (int i = 0; i < ConnectorCount; ++i) AttachToConnector(i, static_cast<CEnvObject*>(nullptr));
}

void CAnimObject::ResetForcedConnectors() {
  for (int i = 0; i < ConnectorCount; ++i) {
    const std::uint32_t f = Connectors[static_cast<std::size_t>(i)].Flags;
    if ((f & ACF_EVALUATED) && !(f & (ACF_SHOWN | ACF_ATTACHED))) ResetConnector(i);
  }
}

int CAnimObject::CountAttachedConnectors() const {
  int n = 0;
  for (const AnimConnector& c : Connectors) n += c.Attached != nullptr ? 1 : 0;
  return n;
}

// --- Skin texture and marks -------------------------------------------------------------------------

CTexture* CAnimObject::GetSkinTextureRecord() const {
  for (CEnvObject* n = Template; n != nullptr; n = n->NextNode)
    if (n->MeshKind == MESHKIND_SKINNED) return g_SkinHooks.TextureOf != nullptr ? g_SkinHooks.TextureOf(n) : nullptr;
  return nullptr;
}

void CAnimObject::ClearSkinTextureRecords() {
  for (CEnvObject* n = Template; n != nullptr; n = n->NextNode)
    if (n->MeshKind == MESHKIND_SKINNED && g_SkinHooks.ClearTexture != nullptr) g_SkinHooks.ClearTexture(n);
}

void CAnimObject::CreateSkinMarks(std::int32_t capacity) {
  delete SkinMarks;
  SkinMarks = new SkinMarkList(capacity);
}

void CAnimObject::ClearSkinMarks() {
  if (SkinMarks == nullptr) return;
  SkinMarks->Count = 0;
  SkinMarks->Next = 0;
}

bool CAnimObject::AddSkinMark(std::uint32_t colour, const CVector3& point, float radius) {
  for (CEnvObject* n = Template; n != nullptr; n = n->NextNode)
    if (n->MeshKind == MESHKIND_SKINNED)
      return g_SkinHooks.AddMark != nullptr && g_SkinHooks.AddMark(n, SkinMarks, colour, &point, radius);
  return false;
}

bool CAnimObject::AddRandomSkinMark(std::uint32_t colour, float radius) {
  for (CEnvObject* n = Template; n != nullptr; n = n->NextNode)
    if (n->MeshKind == MESHKIND_SKINNED)
      return g_SkinHooks.AddMark != nullptr && g_SkinHooks.AddMark(n, SkinMarks, colour, nullptr, radius);
  return false;
}

// --- Spinner and ribcage ------------------------------------------------------------------------------

void CAnimObject::SetJointSpinner(CJointSpinner* spinner) {
  Spinner.reset(spinner);
  if (spinner == nullptr) JointOverrides = nullptr;
}

bool CAnimObject::CreateRibcageOscillator() {
  const std::uint32_t hash = HashString(kRibcageNodeName);
  for (CEnvObject* n = Template; n != nullptr; n = n->NextNode) {
    if (n->NameHash != hash) continue;
    Ribcage = std::make_unique<RibcageOscillator>();
    Ribcage->Node = n;
    Ribcage->NodeIndex = n->NodeIndex;
    if (const CMatrix* m = GetNodeModelMatrix(n->NodeIndex)) Ribcage->Matrix = *m;
    return true;
  }
  return false;
}

void CAnimObject::SetRibcageParams(float rate, float amplitude, float periodExtra) {
  if (Ribcage == nullptr) return;
  Ribcage->Rate = rate;
  Ribcage->Amplitude = amplitude;
  Ribcage->PeriodExtra = periodExtra;
}

void CAnimObject::SetRibcageCallback(RibcageCallback callback, void* argument) {
  if (Ribcage == nullptr) return;
  Ribcage->Callback = callback;
  Ribcage->CallbackArgument = argument;
}

void CAnimObject::AdvanceRibcage(float dt) {
  RibcageOscillator* r = Ribcage.get();
  if (r == nullptr) return;
  r->Phase += dt * r->Rate;
  const float period = r->PeriodExtra + 180.0f;
  if (period > 0.0f && r->Phase >= period) r->Phase -= period;
  float value = std::sin(r->Phase / 360.0f * 2.0f * 3.14159265358979f) * r->Amplitude;
  if (value < 0.0f) value = 0.0f;
  CVector3 direction;
  CMatrix rotation = r->Matrix;
  rotation.TypeFlags |= MATF_ROTATION;
  rotation.RotateVector(CVector3{1.0f, 0.0f, 1.0f}, &direction);
  r->Offset = CVector3{direction.x * value, direction.y * value, direction.z * value};
  if (r->NodeIndex >= 0 && r->NodeIndex < NodeCount) {
    CMatrix& m = ModelMatrices[static_cast<std::size_t>(r->NodeIndex)];
    m = r->Matrix;
    m.m[3][0] += r->Offset.x;
    m.m[3][1] += r->Offset.y;
    m.m[3][2] += r->Offset.z;
  }
  if (r->Callback != nullptr) r->Callback(r->CallbackArgument, r->Phase);
}

// --- Draw ------------------------------------------------------------------------------------------------

void CAnimObject::DrawHierarchy() {
  EvaluatePose();
  CRender* render = g_EnvInstanceGlobals.Render;

  // Shadows: a strong enough light and a large enough projection.
  bool shadow = false;
  CVector3 lightVector{};
  if ((Flags & INSTF_QUEUED_SHADOW) && g_ShadowHooks.LightStrength != nullptr &&
      g_ShadowHooks.LightStrength(this) > 0.1f && ProjectedSize > 0.05f && g_ShadowHooks.LocalLightDirection != nullptr &&
      g_ShadowHooks.LocalLightDirection(this, ShadowIndex, &lightVector)) {
    if (g_ShadowHooks.SetLightPosition != nullptr) g_ShadowHooks.SetLightPosition(lightVector);
    shadow = true;
  }

  if ((DrawFlags & ANIMDRAW_SKINNED) && g_AnimObjectGlobals.SkinnedDraw) {
    const bool wire = render != nullptr && (DrawFlags & ANIMDRAW_SKINNED_WIRE) && g_AnimObjectGlobals.Wireframe;
    if (wire) render->SetSolidFill(0);
    AdvanceRibcage(FrameTime());
    for (CEnvObject* n = Template; n != nullptr; n = n->NextNode) {
      if (n->MeshKind != MESHKIND_SKINNED) continue;
      if (g_SkinHooks.Render != nullptr)
        g_SkinHooks.Render(n, ModelMatrices.data(), NodeCount, shadow ? &lightVector : nullptr, shadow ? 1 : 0);
      if (render != nullptr) render->SetWorldMatrix(WorldMatrix);
      if (shadow && g_AnimObjectGlobals.SkinShadows && g_ShadowHooks.DrawSkinShadow != nullptr)
        g_ShadowHooks.DrawSkinShadow(n);
      // A character copy's own texture stands in when the object sets none.
      CTexture* skinTexture = SkinTexture != nullptr ? SkinTexture : (Template != nullptr ? Template->VariantTexture : nullptr);
      if (g_AnimObjectGlobals.RendererMode != 1 && g_SkinHooks.Draw != nullptr) g_SkinHooks.Draw(n, skinTexture, SkinMarks);
    }
    if (wire) render->SetSolidFill(1);
  }

  if ((DrawFlags & ANIMDRAW_RIGID) && g_AnimObjectGlobals.RendererMode != 1) {
    if (shadow) DrawRigidShadowPass(lightVector);
    const bool wire = render != nullptr && (DrawFlags & ANIMDRAW_RIGID_WIRE) && g_AnimObjectGlobals.Wireframe;
    if (wire) render->SetSolidFill(0);
    if (render != nullptr) render->SetLighting(TRUE);
    DrawRigidPass();
    if (wire) render->SetSolidFill(1);
  }

  if (DrawFlags & ANIMDRAW_BONE_MESHES) {
    const bool wire = render != nullptr && (DrawFlags & ANIMDRAW_BONE_MESHES_WIRE) && g_AnimObjectGlobals.Wireframe;
    if (wire) render->SetSolidFill(0);
    DrawBoneMeshPass();
    if (wire) render->SetSolidFill(1);
  }
}

void CAnimObject::DrawRigidPass() {
  CRender* render = g_EnvInstanceGlobals.Render;
  int connector = 0;
  for (CEnvObject* n = Template; n != nullptr; n = n->NextNode) {
    if (n->MeshKind != MESHKIND_PLAIN) {
      if ((n->Flags & EOF_CONNECTOR) && IsRigidOrBone(n)) ++connector;
      continue;
    }
    const CMatrix* world = GetNodeWorldMatrix(n->NodeIndex);
    if (world == nullptr) continue;
    if (render != nullptr) render->SetWorldMatrix(*world);
    if (n->Flags & EOF_CONNECTOR) {
      const AnimConnector* c = GetConnector(connector++);
      if (c != nullptr && (c->Flags & ACF_EVALUATED) && c->Attached != nullptr)
        c->Attached->SubmitMesh(nullptr, 0, nullptr);
    } else if (!(n->Flags & EOF_SHADOW_CASTER)) {
      n->SubmitMesh(nullptr, OverrideTexture, nullptr);
    }
  }
}

void CAnimObject::DrawRigidShadowPass(const CVector3& lightVector) {
  if (ProjectedSize < 0.1f) return;
  CRender* render = g_EnvInstanceGlobals.Render;
  if (render != nullptr) render->SetWorldMatrix(WorldMatrix);
  int connector = 0;
  for (CEnvObject* n = Template; n != nullptr; n = n->NextNode) {
    const bool isConnector = (n->Flags & EOF_CONNECTOR) && IsRigidOrBone(n);
    const AnimConnector* c = isConnector ? GetConnector(connector++) : nullptr;
    if (n->MeshKind != MESHKIND_PLAIN) continue;
    CEnvObject* caster = nullptr;
    if (c != nullptr && (c->Flags & ACF_EVALUATED) && c->Attached != nullptr && c->Attached->ShadowTemplate != nullptr)
      caster = c->Attached;
    else if (n->Flags & EOF_SHADOW_CASTER)
      caster = n;
    if (caster == nullptr) continue;
    const CMatrix* world = GetNodeWorldMatrix(n->NodeIndex);
    const CMatrix* inverse = n->NodeIndex >= 0 && n->NodeIndex < NodeCount
                                 ? &InverseWorldMatrices[static_cast<std::size_t>(n->NodeIndex)]
                                 : nullptr;
    if (world == nullptr || inverse == nullptr) continue;
    if (render != nullptr) render->SetWorldMatrix(*world);
    CVector3 inWorld, inNode;
    CMatrix w = WorldMatrix, inv = *inverse;
    w.TypeFlags |= MATF_ROTATION;
    inv.TypeFlags |= MATF_ROTATION;
    w.RotateVector(lightVector, &inWorld);
    inv.RotateVector(inWorld, &inNode);
    if (g_ShadowHooks.SetLightPosition != nullptr) g_ShadowHooks.SetLightPosition(inNode);
    // A caster node without a shadow template of its own casts its own mesh.
    if (caster == n && n->ShadowTemplate == nullptr)
      n->QueueOwnShadow();
    else
      caster->QueueShadow();
  }
}

void CAnimObject::DrawBoneMeshPass() {
  CRender* render = g_EnvInstanceGlobals.Render;
  for (CEnvObject* n = Template; n != nullptr; n = n->NextNode) {
    if (n->MeshKind != MESHKIND_PLAIN_ALT) continue;
    const CMatrix* world = GetNodeWorldMatrix(n->NodeIndex);
    if (world == nullptr) continue;
    if (render != nullptr) render->SetWorldMatrix(*world);
    n->SubmitMesh(nullptr, OverrideTexture, nullptr);
  }
}

// --- Named animations -------------------------------------------------------------------------------------

int PlayNamedAnim(CAnimObject* object, const char* name) {
  if (object == nullptr || name == nullptr || std::strcmp(name, "NOANIM") == 0) return 1;
  char path[300];
  std::snprintf(path, sizeof path, "%s.prs", name);
  AnimSet* set = g_AnimSetManager.GetAnimSet(path);
  if (set != nullptr) object->StartAnim(0, set, kAnimRepeatLoop, 0, kNamedAnimBlendSpeed);
  return 1;
}

int PlayNamedAnimFromFile(CAnimObject* object, BufferedFile* file) {
  char name[128] = {};
  FileScanf(file, "%127s", name);
  return PlayNamedAnim(object, name);
}

CEnvInstance* MakeAnimObjectInstance(CEnvironment* environment, const char* name, CEnvObject* object,
                                     const CVector3& position, const CVector3& rotation, const CVector3& scale) {
  if (environment == nullptr || object == nullptr) return nullptr;
  auto* o = new CAnimObject;
  char text[64];
  if (name == nullptr || name[0] == '\0') {
    std::snprintf(text, sizeof text, "%s%u", object->GetIdString(), environment->InstanceCounter);
    name = text;
  }
  o->Init(environment->Render, g_EnvInstanceGlobals.Modules, 0, 0, object, &scale, rotation, position,
          HashStringNoCase(name), nullptr);
  environment->AddInstance(o);
  environment->InstanceBytes += o->SizeAccounting;
  if (!AnimJointMap.Built) CAnimObject::BuildJointMap(object);
  return o;
}

void PlayNamedAnimOnInstance(CEnvInstance* instance, const char* name) {
  if (auto* o = dynamic_cast<CAnimObject*>(instance)) PlayNamedAnim(o, name);
}
