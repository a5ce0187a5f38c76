#include "world/animation/anim_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "foundation/file_test_fixture.h"
#include "foundation/text/hash.h"
#include "foundation/time/timer.h"
#include "scene/skin/skin_marks.h"
#include "world/animation/prs_writer.h"
#include "world/environment/environment.h"
#include "world/animation/anim_fixture.h"
#include "world/animation/figure_walker.h"
#include "world/animation/anim_sound_cues.h"
#include "sound/sound_manager.h"
#include "world/environment/env_object.h"

namespace {

// --- Reference maths, in double precision and written apart from the engine's ---

struct RefMatrix {
  double m[4][4];
};

RefMatrix RefMultiply(const RefMatrix& a, const RefMatrix& b) {
  RefMatrix r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
  return r;
}

RefMatrix RefFrom(const CMatrix& c) {
  RefMatrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[i][j] = c.m[i][j];
  return r;
}

struct RefQuat {
  double x, y, z, w;
};

// Shortest-arc spherical interpolation.
RefQuat RefSlerp(RefQuat a, RefQuat b, double t) {
  double d = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
  if (d < 0) {
    d = -d;
    b = {-b.x, -b.y, -b.z, -b.w};
  }
  double wa = 1 - t, wb = t;
  if (1 - d > 1e-9) {
    const double angle = std::acos(d);
    wa = std::sin((1 - t) * angle) / std::sin(angle);
    wb = std::sin(t * angle) / std::sin(angle);
  }
  return {wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z, wa * a.w + wb * b.w};
}

// Scale, then the rotation of the quaternion (the renderer's convention:
// row i of the matrix is the image of axis i), then the translation.
RefMatrix RefKeyMatrix(const CVector3& s, RefQuat q, const double p[3]) {
  const double x = q.x, y = q.y, z = q.z, w = q.w;
  const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
                          {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
                          {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}};
  RefMatrix m{};
  const double scale[3] = {s.x, s.y, s.z};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m.m[i][j] = scale[i] * r[i][j];
  for (int j = 0; j < 3; ++j) m.m[3][j] = p[j];
  m.m[3][3] = 1;
  return m;
}

RefQuat Q(const CVector4& v) { return {v.x, v.y, v.z, v.w}; }

// The local matrix of a key pair at weight w: slerped rotation, lerped
// position, the first key's scale.
RefMatrix RefBetween(const Pose& a, const Pose& b, double w) {
  const double p[3] = {a.translation.x + (b.translation.x - a.translation.x) * w,
                       a.translation.y + (b.translation.y - a.translation.y) * w,
                       a.translation.z + (b.translation.z - a.translation.z) * w};
  return RefKeyMatrix(a.scale, RefSlerp(Q(a.rotation), Q(b.rotation), w), p);
}

// The local matrix of a track at a frame (looping: the last key goes towards key 0).
RefMatrix RefTrackAt(const AnimTrack& track, double frame) {
  const int keys = track.KeyCount();
  const int k = static_cast<int>(std::floor(frame)) % keys;
  return RefBetween(track.Keys[static_cast<std::size_t>(k)], track.Keys[static_cast<std::size_t>((k + 1) % keys)],
                    frame - std::floor(frame));
}

void ExpectNear(const CMatrix& actual, const RefMatrix& expected, const std::string& what) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      ASSERT_NEAR(actual.m[i][j], expected.m[i][j], 1e-5) << what << " [" << i << "][" << j << "]";
}

// --- Skeletons -----------------------------------------------------------------------

struct NodeShape {
  std::string Name;
  int Parent;  // index in the list, -1 for none
  int MeshKind = MESHKIND_PLAIN;
  std::uint32_t Flags = 0;
  std::vector<std::string> Bones = {};  // for skinned nodes
};

// A hierarchical template whose nodes carry fake meshes (shared, never freed)
// so that the draw passes have something to submit.
class Skeleton {
 public:
  explicit Skeleton(const std::vector<NodeShape>& shapes) {
    for (std::size_t i = 0; i < shapes.size(); ++i) {
      CEnvObject* n = NewEnvObjectNode();
      n->TemplateKind = OTYPE_TRANSFORMANIM;
      n->NodeIndex = static_cast<std::int32_t>(i);
      n->NodeName = shapes[i].Name;
      n->NameHash = HashString(shapes[i].Name.c_str());
      n->MeshKind = shapes[i].MeshKind;
      n->Flags = shapes[i].Flags;
      n->Shared = 1;
      n->Mesh = reinterpret_cast<CVBufferObject*>(0x1000 + 0x10 * i);
      n->ParentNode = shapes[i].Parent >= 0 ? nodes_[static_cast<std::size_t>(shapes[i].Parent)] : nullptr;
      for (const std::string& b : shapes[i].Bones) n->NamedValues.push_back({b, 0, HashString(b.c_str())});
      if (!nodes_.empty()) nodes_.back()->NextNode = n;
      nodes_.push_back(n);
    }
  }
  ~Skeleton() {
    for (CEnvObject* n : nodes_) n->Mesh = nullptr;
    FreeEnvObjectTemplate(nodes_.front());
  }
  CEnvObject* Root() const { return nodes_.front(); }
  CEnvObject* Node(int i) const { return nodes_[static_cast<std::size_t>(i)]; }
  int Count() const { return static_cast<int>(nodes_.size()); }

 private:
  std::vector<CEnvObject*> nodes_;
};

// Six plain nodes: 0 root, 1 pelvis under it, 2 leg under 1; 3 spine under 1,
// 4 arm under 3, 5 head under 3.  Nodes 3 to 5 are upper body.
std::vector<NodeShape> SixNodes() {
  return {{"BIP01", -1}, {"BIP01 PELVIS", 0}, {"BIP01 L THIGH", 1},
          {"BIP01 SPINE", 1}, {"BIP01 L CLAVICLE", 3}, {"BIP01 HEAD", 3}};
}

std::unique_ptr<CAnimObject> MakeObject(const Skeleton& s, const CVector3& position = {0.5f, -0.25f, 1.0f},
                                        const CVector3& rotation = {10.0f, 30.0f, 5.0f}) {
  auto o = std::make_unique<CAnimObject>();
  o->Init(nullptr, EnvInstanceModules{}, 0, 0, s.Root(), nullptr, rotation, position, 0x1234u, nullptr);
  return o;
}

// Reference model matrices of the skeleton from per-node local matrices.
std::vector<RefMatrix> RefChain(const Skeleton& s, const std::vector<RefMatrix>& local) {
  std::vector<RefMatrix> model(local.size());
  for (int i = 0; i < s.Count(); ++i) {
    const CEnvObject* parent = s.Node(i)->ParentNode;
    model[static_cast<std::size_t>(i)] =
        parent != nullptr ? RefMultiply(local[static_cast<std::size_t>(i)], model[static_cast<std::size_t>(parent->NodeIndex)])
                          : local[static_cast<std::size_t>(i)];
  }
  return model;
}

void ExpectWorldMatrices(const CAnimObject& o, const std::vector<RefMatrix>& model, const std::string& what) {
  const RefMatrix world = RefFrom(o.GetWorldMatrix());
  for (std::size_t i = 0; i < model.size(); ++i) {
    ExpectNear(o.ModelMatrices[i], model[i], what + " model node " + std::to_string(i));
    ExpectNear(*o.GetNodeWorldMatrix(static_cast<int>(i)), RefMultiply(model[i], world),
               what + " world node " + std::to_string(i));
  }
}

class AnimObjectTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ResetAnimSkinHooks();
    SetEnvDrawHooks(EnvDrawHooks{});
    g_AnimObjectGlobals = AnimObjectGlobals{};
    CAnimObject::ClearJointMap();
  }
};

// --- Pose ------------------------------------------------------------------------------------

TEST_F(AnimObjectTest, PoseFollowsKeysParentsAndJointOverridesAtEveryFrame) {
  Skeleton s(SixNodes());
  auto o = MakeObject(s);
  AnimSet set;
  anim_fixture::Fill(&set, 6, 5, 10);
  ASSERT_EQ(o->StartAnim(0, &set, kAnimRepeatLoop, 0, 0.0f), 1);

  // Override on the spine: a turn and a shift, applied before the parent chain reaches the children.
  JointOverride overrides[kJointOverrideCount];
  overrides[2].JointHash = HashString("BIP01 SPINE");
  overrides[2].Active = 1;
  overrides[2].Matrix.SetIdentity();
  overrides[2].Matrix.RotateY(25.0f);
  overrides[2].Matrix.SetTranslationXYZ(0.1f, 0.2f, -0.3f);
  overrides[5].JointHash = HashString("BIP01 HEAD");  // inactive: no effect
  overrides[5].Matrix.SetIdentity();
  overrides[5].Matrix.RotateX(90.0f);
  o->SetJointOverrides(overrides);

  // Frames between keys, on a key, and between the last key and key 0.
  double frame = 0.0;
  for (float dt : {0.0f, 0.137f, 0.05f, 0.1f, 0.263f}) {
    o->Update(dt);
    frame += static_cast<double>(dt) * 10.0;
    while (frame >= 5.0) frame -= 5.0;
    ASSERT_NEAR(o->GetChannelFrame(0), frame, 1e-4);
    o->EvaluatePose();
    std::vector<RefMatrix> local;
    for (int i = 0; i < 6; ++i) local.push_back(RefTrackAt(set.Tracks[static_cast<std::size_t>(i)], o->GetChannelFrame(0)));
    std::vector<RefMatrix> model(6);
    for (int i = 0; i < 6; ++i) {
      const CEnvObject* parent = s.Node(i)->ParentNode;
      model[static_cast<std::size_t>(i)] = parent ? RefMultiply(local[static_cast<std::size_t>(i)],
                                                                model[static_cast<std::size_t>(parent->NodeIndex)])
                                                  : local[static_cast<std::size_t>(i)];
      if (i == 3) model[3] = RefMultiply(RefFrom(overrides[2].Matrix), model[3]);
    }
    ExpectWorldMatrices(*o, model, "frame " + std::to_string(frame));
  }
  EXPECT_TRUE(o->IsPoseValid());
  // The inverse world matrices undo the world matrices.
  RefMatrix product = RefMultiply(RefFrom(*o->GetNodeWorldMatrix(4)), RefFrom(o->InverseWorldMatrices[4]));
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(product.m[i][j], i == j ? 1.0 : 0.0, 1e-4);
}

TEST_F(AnimObjectTest, WithoutAnimationNodesTakeTheTemplateRestPose) {
  Skeleton s({{"A", -1}, {"B", 0}, {"C", 1}});
  auto* rest = new EnvTransformList;
  for (int i = 0; i < 3; ++i) {
    rest->Keys.push_back(anim_fixture::MakeKey(i, 2));
    CMatrix m;
    PoseToMatrix(rest->Keys.back(), &m);
    rest->Matrices.push_back(m);
  }
  s.Root()->Transforms = rest;
  auto o = MakeObject(s);
  o->EvaluatePose();  // channel 0 holds no set
  std::vector<RefMatrix> local;
  for (const Pose& k : rest->Keys) local.push_back(RefBetween(k, k, 0.0));
  ExpectWorldMatrices(*o, RefChain(s, local), "rest");
  s.Root()->Transforms = nullptr;  // the nodes are shared: the test frees the list
  delete rest;
}

TEST_F(AnimObjectTest, MovingTheObjectInvalidatesThePoseAndMovesEveryNode) {
  Skeleton s(SixNodes());
  auto o = MakeObject(s);
  AnimSet set;
  anim_fixture::Fill(&set, 6, 3, 10);
  o->StartAnim(0, &set, kAnimRepeatLoop, 0, 0.0f);
  o->EvaluatePose();
  const CMatrix before = *o->GetNodeWorldMatrix(5);
  EXPECT_FALSE(o->SetPosition(o->GetLocalPosition(), false));  // nothing changed
  EXPECT_TRUE(o->IsPoseValid());
  EXPECT_TRUE(o->SetPosition(CVector3{10.0f, 0.0f, 0.0f}, false));
  EXPECT_FALSE(o->IsPoseValid());
  o->EvaluatePose();
  EXPECT_NE(o->GetNodeWorldMatrix(5)->m[3][0], before.m[3][0]);
  o->SetRotationDirect(CVector3{0.0f, 90.0f, 0.0f});
  EXPECT_FALSE(o->IsPoseValid());
}

TEST_F(AnimObjectTest, UpperBodyChannelDrivesOnlyItsJoints) {
  Skeleton s(SixNodes());
  auto o = MakeObject(s);
  AnimSet walk, wave;
  anim_fixture::Fill(&walk, 6, 4, 10);
  anim_fixture::Fill(&wave, 6, 6, 20);
  for (AnimTrack& t : wave.Tracks)
    for (Pose& k : t.Keys) k.rotation = anim_fixture::AxisAngle(0.0f, 0.0f, 1.0f, k.translation.z + 1.0f);
  o->StartAnim(0, &walk, kAnimRepeatLoop, 0, 0.0f);
  ASSERT_EQ(o->StartAnim(1, &wave, kAnimRepeatLoop, 0, 0.0f), 1);
  o->Update(0.125f);  // walk at frame 1.25, wave at frame 2.5
  o->EvaluatePose();
  std::vector<RefMatrix> local;
  for (int i = 0; i < 6; ++i)
    local.push_back(i >= 3 ? RefTrackAt(wave.Tracks[static_cast<std::size_t>(i)], 2.5)
                           : RefTrackAt(walk.Tracks[static_cast<std::size_t>(i)], 1.25));
  ExpectWorldMatrices(*o, RefChain(s, local), "upper body on channel 1");
  for (int i = 0; i < kUpperBodyTableSize; ++i) EXPECT_EQ(UpperBodyNodeTable[i], i >= 3 && i <= 34 ? 1 : 0) << i;
}

TEST_F(AnimObjectTest, BlendInFromThePoseOnScreenAndBlendOutToChannelZero) {
  Skeleton s(SixNodes());
  auto o = MakeObject(s);
  AnimSet idle, run, wave;
  anim_fixture::Fill(&idle, 6, 4, 10);
  anim_fixture::Fill(&run, 6, 8, 10);
  anim_fixture::Fill(&wave, 6, 3, 10);
  for (AnimTrack& t : run.Tracks)
    for (Pose& k : t.Keys) k.rotation = anim_fixture::AxisAngle(1.0f, 0.0f, 0.0f, 0.4f * k.translation.z + 0.2f);
  for (AnimTrack& t : wave.Tracks)
    for (Pose& k : t.Keys) k.rotation = anim_fixture::AxisAngle(0.0f, 1.0f, 0.0f, 2.0f * k.translation.x);

  o->StartAnim(0, &idle, kAnimRepeatLoop, 0, 0.0f);
  o->Update(0.15f);  // idle at frame 1.5
  o->EvaluatePose();
  std::vector<Pose> onScreen(o->CurrentKeys);

  // Blend to run at 2.5 per second: the weight grows by dt x speed from 0;
  // the pose goes from the pose on screen towards run's start frame.
  ASSERT_EQ(o->StartAnim(0, &run, kAnimRepeatLoop, 1, 2.5f), 1);
  float weight = 0.0f;
  for (float dt : {0.1f, 0.1f, 0.08f}) {
    o->Update(dt);
    weight += dt * 2.5f;
    EXPECT_NEAR(o->GetChannelFrame(0), weight, 1e-6);
    EXPECT_EQ(o->GetChannel(0).Blending, 1);
    o->EvaluatePose();
    std::vector<RefMatrix> local;
    for (int i = 0; i < 6; ++i)
      local.push_back(RefBetween(onScreen[static_cast<std::size_t>(i)], run.Tracks[static_cast<std::size_t>(i)].Keys[0],
                                 o->GetChannelFrame(0)));
    ExpectWorldMatrices(*o, RefChain(s, local), "blend in at " + std::to_string(weight));
  }
  o->Update(0.15f);  // weight passes 1: the channel plays from its start frame
  EXPECT_EQ(o->GetChannel(0).Blending, 0);
  EXPECT_EQ(o->GetChannelFrame(0), 0.0f);

  // Wave on the upper body, then blend it out at 4 per second.
  o->StartAnim(1, &wave, kAnimRepeatLoop, 0, 0.0f);
  o->Update(0.1f);
  o->EvaluatePose();
  std::vector<Pose> waveShown(o->CurrentKeys);
  ASSERT_EQ(o->StartAnim(1, nullptr, 0, 1, 4.0f), 1);
  EXPECT_EQ(o->GetChannel(1).BlendOut, 1);
  o->Update(0.1f);
  EXPECT_NEAR(o->GetChannelFrame(1), 0.4f, 1e-6);
  o->EvaluatePose();
  {
    const double runFrame = o->GetChannelFrame(0);
    std::vector<RefMatrix> local;
    for (int i = 0; i < 6; ++i) {
      const AnimTrack& t = run.Tracks[static_cast<std::size_t>(i)];
      local.push_back(i >= 3 ? RefBetween(waveShown[static_cast<std::size_t>(i)],
                                          t.Keys[static_cast<std::size_t>(std::floor(runFrame))], 0.4)
                             : RefTrackAt(t, runFrame));
    }
    ExpectWorldMatrices(*o, RefChain(s, local), "blend out at 0.4");
  }
  o->Update(0.1f);
  o->Update(0.1f);  // weight reaches 1: channel 1 stops
  EXPECT_EQ(o->GetChannelActive(1), 0);
  EXPECT_EQ(o->GetChannel(1).BlendOut, 0);
  o->EvaluatePose();
  std::vector<RefMatrix> local;
  for (int i = 0; i < 6; ++i) local.push_back(RefTrackAt(run.Tracks[static_cast<std::size_t>(i)], o->GetChannelFrame(0)));
  ExpectWorldMatrices(*o, RefChain(s, local), "after the blend out");

  // Stopping with mode 0 snaps back at once.
  o->StartAnim(1, &wave, kAnimRepeatLoop, 0, 0.0f);
  o->Update(0.05f);
  o->StartAnim(1, nullptr, 0, 0, 0.0f);
  EXPECT_EQ(o->GetChannelActive(1), 0);
  EXPECT_FALSE(o->IsPoseValid());
}

TEST_F(AnimObjectTest, MidBlendStartBlendsFromThePoseOnScreen) {
  Skeleton s(SixNodes());
  auto o = MakeObject(s);
  AnimSet a, b, c;
  anim_fixture::Fill(&a, 6, 2, 10);
  anim_fixture::Fill(&b, 6, 2, 10);
  anim_fixture::Fill(&c, 6, 2, 10);
  for (AnimTrack& t : b.Tracks)
    for (Pose& k : t.Keys) k.rotation = anim_fixture::AxisAngle(0.0f, 0.0f, 1.0f, 1.0f);
  for (AnimTrack& t : c.Tracks)
    for (Pose& k : t.Keys) k.rotation = anim_fixture::AxisAngle(0.0f, 1.0f, 0.0f, -1.0f);
  o->StartAnim(0, &a, kAnimRepeatLoop, 0, 0.0f);
  o->EvaluatePose();
  o->StartAnim(0, &b, kAnimRepeatLoop, 1, 2.0f);
  o->Update(0.2f);  // halfway from a to b
  o->EvaluatePose();
  const std::vector<Pose> halfway(o->CurrentKeys);
  o->StartAnim(0, &c, kAnimRepeatLoop, 1, 2.0f);
  o->Update(0.1f);
  o->EvaluatePose();
  std::vector<RefMatrix> local;
  for (int i = 0; i < 6; ++i)
    local.push_back(RefBetween(halfway[static_cast<std::size_t>(i)], c.Tracks[static_cast<std::size_t>(i)].Keys[0], 0.2));
  ExpectWorldMatrices(*o, RefChain(s, local), "blend from the blended pose");
}

TEST_F(AnimObjectTest, StartRefusesATrackCountOtherThanTheNodeCount) {
  Skeleton s(SixNodes());
  auto o = MakeObject(s);
  AnimSet good, wrong, empty;
  anim_fixture::Fill(&good, 6, 3, 10);
  anim_fixture::Fill(&wrong, 5, 3, 10);
  ASSERT_EQ(o->StartAnim(0, &good, kAnimRepeatLoop, 0, 0.0f), 1);
  o->Update(0.1f);
  o->Channels[0].Ended = 1;
  for (AnimSet* refused : {&wrong, &empty}) {
    EXPECT_EQ(o->StartAnim(0, refused, kAnimRepeatLoop, 0, 0.0f), 0);
    EXPECT_EQ(o->GetChannelSet(0), &good);  // still playing
    EXPECT_EQ(o->GetChannelEnded(0), 0);    // only the ended word was touched
    EXPECT_NEAR(o->GetChannelFrame(0), 1.0f, 1e-6);
  }
}

// --- Channel timing --------------------------------------------------------------------------

TEST_F(AnimObjectTest, LoopingSetEndsAtTheLastKeyInterpolatesToKeyZeroAndWraps) {
  Skeleton s({{"A", -1}});
  auto o = MakeObject(s);
  AnimSet set;
  anim_fixture::Fill(&set, 1, 30, 10);
  o->StartAnim(0, &set, kAnimRepeatLoop, 0, 0.0f);
  o->SetChannelFrame(0, 28.9f);
  o->Update(0.05f);  // 29.4
  EXPECT_EQ(o->GetChannelEnded(0), 1);
  o->EvaluatePose();
  ExpectNear(o->ModelMatrices[0], RefBetween(set.Tracks[0].Keys[29], set.Tracks[0].Keys[0], 0.4), "29.4");
  o->Update(0.07f);  // 30.1 wraps to 0.1
  EXPECT_NEAR(o->GetChannelFrame(0), 0.1f, 1e-4);
  EXPECT_EQ(o->GetChannelActive(0), 1);
}

TEST_F(AnimObjectTest, RepeatCountsPlayOncePlusTheCountWhateverTheStep) {
  Skeleton s({{"A", -1}});
  AnimSet set;
  anim_fixture::Fill(&set, 1, 10, 10);  // 10 keys at 10 per second: a play lasts 1 s
  // (repeat count, step in seconds): plays = arrivals at the last key.
  for (auto [repeat, dt] : {std::pair{0, 0.1f}, {0, 0.04f}, {1, 0.1f}, {1, 0.04f}, {3, 0.025f}, {2, 0.3f}}) {
    auto o = MakeObject(s);
    o->StartAnim(0, &set, repeat, 0, 0.0f);
    int steps = 0;
    while (o->GetChannelActive(0) && steps < 10000) {
      o->Update(dt);
      ++steps;
    }
    const float played = static_cast<float>(steps) * dt;
    // Play n + 1 ends at the last key of play n + 1: (n + 1) x 10 - 1 frames in... give or take a step.
    const float expected = (static_cast<float>(repeat) * 10.0f + 9.0f) / 10.0f;
    EXPECT_GE(played + 1e-4f, expected) << "repeat " << repeat << " step " << dt;
    EXPECT_LT(played, expected + dt + 1e-4f) << "repeat " << repeat << " step " << dt;
    // It holds the last key, never key 0.
    EXPECT_EQ(o->GetChannelFrame(0), 9.0f);
    o->EvaluatePose();
    ExpectNear(o->ModelMatrices[0], RefBetween(set.Tracks[0].Keys[9], set.Tracks[0].Keys[9], 0.0), "held");
  }
}

TEST_F(AnimObjectTest, FreezeSpinnerAndStartAtFrame) {
  Skeleton s({{"A", -1}, {"B", 0}});
  AnimSet set;
  anim_fixture::Fill(&set, 2, 20, 10);

  auto frozen = MakeObject(s);
  frozen->StartAnim(0, &set, kAnimRepeatFreeze, 0, 0.0f);
  frozen->SetChannelFrame(0, 4.5f);
  frozen->Update(0.5f);
  EXPECT_EQ(frozen->GetChannelFrame(0), 4.5f);

  // Without blending the channel starts at frame 0; with blending the blend
  // ends on int(offset + the frame played before), at most the last key.
  auto o = MakeObject(s);
  o->StartAnim(0, &set, kAnimRepeatLoop, 0, 0.0f);
  o->SetChannelFrame(0, 6.7f);
  ASSERT_EQ(o->StartAnimAtFrame(0, &set, kAnimRepeatLoop, 2.0f, 0, 0.0f), 1);
  EXPECT_EQ(o->GetChannelFrame(0), 0.0f);
  o->SetChannelFrame(0, 6.7f);
  ASSERT_EQ(o->StartAnimAtFrame(0, &set, kAnimRepeatLoop, 2.0f, 1, 10.0f), 1);
  o->Update(0.2f);
  EXPECT_EQ(o->GetChannelFrame(0), 8.0f);
  o->SetChannelFrame(0, 15.0f);
  o->StartAnimAtFrame(0, &set, kAnimRepeatLoop, 30.0f, 1, 10.0f);
  o->Update(0.2f);
  EXPECT_EQ(o->GetChannelFrame(0), 19.0f);

  // A spinner stands the channels still and turns its joint.
  auto spun = MakeObject(s);
  spun->StartAnim(0, &set, kAnimRepeatLoop, 0, 0.0f);
  auto* spinner = new CJointSpinner;
  spinner->SetRate(0, CVector3{0.0f, 90.0f, 0.0f});
  spinner->SetJoint(0, HashString("B"));
  spun->SetJointSpinner(spinner);
  spun->Update(0.5f);
  EXPECT_EQ(spun->GetChannelFrame(0), 0.0f);
  EXPECT_EQ(spinner->Angles[0].y, 45.0f);
  spun->EvaluatePose();
  CMatrix turn;
  turn.SetIdentity();
  turn.RotateY(45.0f);
  const std::vector<RefMatrix> local = {RefTrackAt(set.Tracks[0], 0.0), RefTrackAt(set.Tracks[1], 0.0)};
  std::vector<RefMatrix> model = RefChain(s, local);
  model[1] = RefMultiply(RefFrom(turn), model[1]);
  ExpectWorldMatrices(*spun, model, "spun");
}

// --- Events ------------------------------------------------------------------------------------

std::vector<int> g_Fired;
void RecordEvent(AnimEvent* event, CAnimObject*) { g_Fired.push_back(static_cast<int>(event->Time * 100.0f + 0.5f)); }

TEST_F(AnimObjectTest, EventsFireOnceEachPerCycleInOrder) {
  Skeleton s({{"A", -1}});
  AnimSet set;
  anim_fixture::Fill(&set, 1, 10, 10);  // a cycle of 10 frames: 1 s
  ASSERT_TRUE(set.ParseExtraData("1 1 4  0 0.05  1 0.3 1 2 3  0 0.55  0 0.95"));
  set.SetEventCallback(&RecordEvent);
  // Small steps, steps that land on event times and steps that jump over the wrap.
  for (float dt : {0.01f, 0.04f, 0.125f, 0.45f}) {
    auto o = MakeObject(s);
    g_Fired.clear();
    o->StartAnim(0, &set, kAnimRepeatLoop, 0, 0.0f);
    const int steps = static_cast<int>(2.99f / dt);  // almost three cycles
    for (int i = 0; i < steps; ++i) o->Update(dt);
    // Every event whose time in its cycle has been reached, once, in order.
    const double end = steps * static_cast<double>(dt);
    std::vector<int> expected;
    for (int cycle = 0; cycle < 3; ++cycle)
      for (int time : {5, 30, 55, 95})
        if (cycle + time / 100.0 <= end) expected.push_back(time);
    EXPECT_EQ(g_Fired, expected) << "step " << dt;
  }
}

// --- Connectors and draw passes -----------------------------------------------------------------

struct DrawLog {
  std::vector<std::uintptr_t> Meshes;
  std::vector<CEnvObject*> SkinsRendered, SkinsDrawn;
};
DrawLog g_Log;
int LogMesh(CVBufferObject* mesh, const void*, std::uint32_t, void*) {
  g_Log.Meshes.push_back(reinterpret_cast<std::uintptr_t>(mesh));
  return 1;
}
void LogSkinRender(CEnvObject* n, const CMatrix*, int, const CVector3*, int) { g_Log.SkinsRendered.push_back(n); }
void LogSkinDraw(CEnvObject* n, CTexture*, SkinMarkList*) { g_Log.SkinsDrawn.push_back(n); }

// 0 root; 1 hand connector with a child; 2 weapon under 1; 3 face connector
// (a bone of the skin); 4 spare connector; 5 skin; 6 bone mesh; 7 shadow-only node.
std::vector<NodeShape> RiggedNodes() {
  return {{"BIP01", -1},
          {"BIP01 R HAND CONNECTOR", 0, MESHKIND_PLAIN, EOF_CONNECTOR},
          {"Weapon", 1},
          {"FACE CONNECTOR", 0, MESHKIND_PLAIN, EOF_CONNECTOR},
          {"SPARE CONNECTOR", 0, MESHKIND_PLAIN, EOF_CONNECTOR},
          {"Body", 0, MESHKIND_SKINNED, 0, {"BIP01", "FACE CONNECTOR", "BIP01 HEAD"}},
          {"BIP01 HEAD", 0, MESHKIND_PLAIN_ALT},
          {"Shadow", 0, MESHKIND_PLAIN, EOF_SHADOW_CASTER}};
}

std::uintptr_t MeshOf(const Skeleton& s, int i) { return reinterpret_cast<std::uintptr_t>(s.Node(i)->Mesh); }

TEST_F(AnimObjectTest, ConnectorsAreBuiltEvaluatedOnDemandAndReset) {
  Skeleton s(RiggedNodes());
  auto o = MakeObject(s);
  ASSERT_EQ(o->GetConnectorCount(), 3);
  EXPECT_EQ(o->GetConnector(0)->Flags, 0x11u);  // has a child: always evaluated, locked
  EXPECT_EQ(o->GetConnector(1)->Flags, 0x18u);  // a bone of the skin
  EXPECT_EQ(o->GetConnector(2)->Flags, 0u);
  EXPECT_EQ(o->GetDrawFlags(), ANIMDRAW_RIGID | ANIMDRAW_SKINNED);
  EXPECT_EQ(o->GetBoneCount(), 3);  // root, face connector, head
  EXPECT_EQ(o->FindConnector(HashString("SPARE CONNECTOR")), 2);
  EXPECT_EQ(o->FindConnector(HashString("Weapon")), -1);
  EXPECT_EQ(o->GetConnectorObject(1), s.Node(3));

  // The spare connector is skipped by evaluation until asked for.
  o->EvaluatePose();
  o->SetPosition(CVector3{5.0f, 6.0f, 7.0f}, false);
  o->EvaluatePose();
  EXPECT_EQ(o->GetConnectorTransform(2)->m[3][0], 0.0f);  // never evaluated
  const CMatrix* spare = o->GetConnectorWorldMatrix(2);
  ASSERT_NE(spare, nullptr);
  EXPECT_NEAR(spare->m[3][0], 5.0f, 1e-5);
  EXPECT_EQ(o->GetConnector(2)->Flags, 0u);  // reset after the evaluation

  o->ShowConnector(2, 1);
  EXPECT_EQ(o->GetConnector(2)->Flags, 0x3u);
  o->ResetConnector(2);
  EXPECT_EQ(o->GetConnector(2)->Flags, 0u);
  o->ResetConnector(0);  // locked
  EXPECT_EQ(o->GetConnector(0)->Flags, 0x11u);
  o->ForceConnector(2);
  o->AttachToConnector(1, s.Node(2));
  EXPECT_EQ(o->CountAttachedConnectors(), 1);
  o->ResetForcedConnectors();  // 2 is forced only: reset; 1 is attached: kept
  EXPECT_EQ(o->GetConnector(2)->Flags, 0u);
  EXPECT_EQ(o->GetConnector(1)->Flags & 0x5u, 0x5u);
  o->DetachAll();
  EXPECT_EQ(o->CountAttachedConnectors(), 0);
  EXPECT_EQ(o->GetConnectorAttachment(1), nullptr);

  // A child instance hung on a connector keeps it evaluated until released.
  CEnvInstance child;
  o->AttachToConnector(2, &child);
  EXPECT_EQ(o->GetConnector(2)->Flags, 0x1u);
  static_cast<CEnvInstance*>(o.get())->AttachToConnector(2, nullptr);
  EXPECT_EQ(o->GetConnector(2)->Flags, 0u);
}

TEST_F(AnimObjectTest, DrawPassesFollowTheDrawFlags) {
  Skeleton s(RiggedNodes());
  auto o = MakeObject(s);
  EnvDrawHooks draw;
  draw.DrawMesh = &LogMesh;
  SetEnvDrawHooks(draw);
  AnimSkinHooks skin;
  skin.Render = &LogSkinRender;
  skin.Draw = &LogSkinDraw;
  SetAnimSkinHooks(skin);
  Skeleton gun({{"Gun", -1}});
  o->AttachToConnector(2, gun.Root());

  struct Case {
    std::uint32_t flags;
    std::uint32_t rendererMode;
    std::vector<std::uintptr_t> meshes;
    std::size_t skinsRendered, skinsDrawn;
  };
  const std::vector<Case> cases = {
      // Rigid: plain nodes, the attached gun at its connector; not the
      // connectors themselves, the bone mesh or the shadow-only node.
      {ANIMDRAW_RIGID, 0, {MeshOf(s, 0), MeshOf(s, 2), MeshOf(gun, 0)}, 0, 0},
      {ANIMDRAW_BONE_MESHES, 0, {MeshOf(s, 6)}, 0, 0},
      {ANIMDRAW_SKINNED, 0, {}, 1, 1},
      {ANIMDRAW_NOTHING, 0, {}, 0, 0},
      // Renderer mode 1: no rigid pass, skins deformed but not drawn.
      {ANIMDRAW_RIGID | ANIMDRAW_SKINNED | ANIMDRAW_BONE_MESHES, 1, {MeshOf(s, 6)}, 1, 0},
  };
  for (const Case& c : cases) {
    g_Log = DrawLog{};
    o->SetDrawFlags(c.flags);
    g_AnimObjectGlobals.RendererMode = c.rendererMode;
    o->DrawHierarchy();
    EXPECT_EQ(g_Log.Meshes, c.meshes) << "flags " << c.flags;
    EXPECT_EQ(g_Log.SkinsRendered.size(), c.skinsRendered) << "flags " << c.flags;
    EXPECT_EQ(g_Log.SkinsDrawn.size(), c.skinsDrawn) << "flags " << c.flags;
  }
  g_AnimObjectGlobals.SkinnedDraw = false;
  g_Log = DrawLog{};
  o->SetDrawFlags(ANIMDRAW_SKINNED);
  g_AnimObjectGlobals.RendererMode = 0;
  o->DrawHierarchy();
  EXPECT_TRUE(g_Log.SkinsRendered.empty());
}

TEST_F(AnimObjectTest, JointMapFindsBonesByOrdinal) {
  Skeleton s({{"BIP01", -1, MESHKIND_PLAIN_ALT},
              {"Plain", 0},
              {"BIP01 PELVIS", 0, MESHKIND_PLAIN_ALT},
              {"BIP01 HEAD", 2, MESHKIND_PLAIN_ALT}});
  s.Node(3)->Sphere.Centre = CVector3{0.0f, 2.0f, 0.0f};
  CAnimObject::BuildJointMap(s.Root());
  EXPECT_TRUE(AnimJointMap.Built);
  EXPECT_EQ(AnimJointMap.Ordinals[JOINT_ROOT], 0);
  EXPECT_EQ(AnimJointMap.Ordinals[JOINT_PELVIS], 1);  // the plain node does not count
  EXPECT_EQ(AnimJointMap.Ordinals[JOINT_HEAD], 2);
  EXPECT_EQ(AnimJointMap.Ordinals[JOINT_L_HAND], -1);

  auto o = MakeObject(s, CVector3{1.0f, 2.0f, 3.0f}, CVector3{});
  AnimSet set;
  anim_fixture::Fill(&set, 4, 1, 10);
  o->StartAnim(0, &set, kAnimRepeatLoop, 0, 0.0f);
  o->EvaluatePose();
  CVector3 p;
  ASSERT_TRUE(o->GetJointPosition(JOINT_HEAD, &p));
  EXPECT_EQ(p.x, o->GetNodeWorldMatrix(3)->m[3][0]);
  EXPECT_EQ(o->GetJointMatrix(JOINT_PELVIS), o->GetNodeWorldMatrix(2));
  ASSERT_TRUE(o->TransformJointPoint(JOINT_HEAD, &p));
  CVector3 expected;
  o->GetNodeWorldMatrix(3)->TransformPoint(CVector3{0.0f, 2.0f, 0.0f}, &expected);
  EXPECT_EQ(p.y, expected.y);
  EXPECT_FALSE(o->GetJointPosition(JOINT_L_HAND, &p));
  EXPECT_EQ(o->GetJointMatrix(JOINT_COUNT), nullptr);
}

TEST_F(AnimObjectTest, FrameBoundsAndRootDisplacementFollowChannelZero) {
  Skeleton s({{"A", -1}});
  auto o = MakeObject(s);
  s.Root()->WholeBounds.Max = CVector3{1.0f, 1.0f, 1.0f};
  EXPECT_EQ(o->GetFrameTransform(), &s.Root()->GetBounds());  // nothing plays
  CVector3 d;
  o->GetRootDisplacement(&d, 0);
  EXPECT_EQ(d.x, 0.0f);

  AnimSet set;
  anim_fixture::Fill(&set, 1, 6, 10, 4);
  o->StartAnim(0, &set, kAnimRepeatLoop, 0, 0.0f);
  o->SetChannelFrame(0, 5.5f);  // bounds 5 modulo 4
  EXPECT_EQ(o->GetFrameTransform(), &set.Bounds[1].Box);
  o->GetRootDisplacement(&d, 1);
  EXPECT_FLOAT_EQ(d.x, set.Tracks[0].Keys[5].translation.x - set.Tracks[0].Keys[0].translation.x);
  const EnvBounds shifted = o->GetShiftedFrameBounds();
  o->GetRootDisplacement(&d, 0);
  EXPECT_FLOAT_EQ(shifted.Max.z, set.Bounds[1].Box.Max.z + d.z);

  AnimSet noBounds;
  anim_fixture::Fill(&noBounds, 1, 6, 10, 0);
  o->StartAnim(0, &noBounds, kAnimRepeatLoop, 0, 0.0f);
  EXPECT_EQ(o->GetFrameTransform(), &s.Root()->GetBounds());
}

}  // namespace

namespace {

std::vector<std::pair<CEnvObject*, bool>> g_Marks;
bool LogMark(CEnvObject* node, SkinMarkList*, std::uint32_t, const CVector3* point, float) {
  g_Marks.push_back({node, point != nullptr});
  return true;
}
std::vector<float> g_Phases;
void LogPhase(void* argument, float phase) {
  *static_cast<int*>(argument) += 1;
  g_Phases.push_back(phase);
}

TEST_F(AnimObjectTest, RibcageBreathesAlongItsNodeAndKeepsItsOffsetBetweenEvaluations) {
  Skeleton plain({{"BIP01", -1}});
  auto none = MakeObject(plain);
  EXPECT_FALSE(none->CreateRibcageOscillator());
  none->SetRibcageParams(1, 2, 3);  // ignored without an oscillator
  EXPECT_EQ(none->GetRibcage(), nullptr);

  Skeleton s({{"BIP01", -1}, {"BIP01 RIBCAGE CONNECTOR", 0, MESHKIND_PLAIN, EOF_CONNECTOR}, {"Child", 1}});
  auto o = MakeObject(s);
  AnimSet set;
  anim_fixture::Fill(&set, 3, 2, 10);
  o->StartAnim(0, &set, kAnimRepeatLoop, 0, 0.0f);
  o->EvaluatePose();
  ASSERT_TRUE(o->CreateRibcageOscillator());
  EXPECT_EQ(o->GetRibcage()->Rate, 100.0f);
  EXPECT_EQ(o->GetRibcage()->Amplitude, 0.0f);
  EXPECT_EQ(o->GetRibcage()->PeriodExtra, 10.0f);
  o->InvalidatePose();
  o->EvaluatePose();  // the oscillator copies its node's matrix
  const CMatrix base = o->ModelMatrices[1];
  int calls = 0;
  o->SetRibcageParams(100.0f, 2.0f, 10.0f);
  o->SetRibcageCallback(&LogPhase, &calls);
  o->AdvanceRibcage(0.9f);  // phase 90: full amplitude along (1, 0, 1) turned by the node
  EXPECT_EQ(calls, 1);
  CVector3 along;
  CMatrix r = base;
  r.TypeFlags |= MATF_ROTATION;
  r.RotateVector(CVector3{1.0f, 0.0f, 1.0f}, &along);
  EXPECT_NEAR(o->ModelMatrices[1].m[3][0], base.m[3][0] + 2.0f * along.x, 1e-4);
  EXPECT_NEAR(o->ModelMatrices[1].m[3][2], base.m[3][2] + 2.0f * along.z, 1e-4);
  o->EvaluatePose();  // still valid: the offset stays
  EXPECT_NEAR(o->ModelMatrices[1].m[3][2], base.m[3][2] + 2.0f * along.z, 1e-4);
  o->AdvanceRibcage(1.0f);  // phase 190 reaches 190 = 180 + 10: back to 0
  EXPECT_NEAR(g_Phases.back(), 0.0f, 1e-3);
  o->AdvanceRibcage(1.2f);  // phase 120: sin positive
  o->AdvanceRibcage(0.3f);  // phase 150
  o->SetRibcageParams(100.0f, -2.0f, 10.0f);  // a negative value is held at 0
  o->AdvanceRibcage(0.1f);
  EXPECT_NEAR(o->ModelMatrices[1].m[3][0], base.m[3][0], 1e-5);
}

TEST_F(AnimObjectTest, SkinMarksGoToTheFirstSkinnedNode) {
  Skeleton s(RiggedNodes());
  auto o = MakeObject(s);
  AnimSkinHooks skin;
  skin.AddMark = &LogMark;
  SetAnimSkinHooks(skin);
  g_Marks.clear();
  o->CreateSkinMarks(4);
  ASSERT_NE(o->SkinMarks, nullptr);
  EXPECT_EQ(o->SkinMarks->Capacity, 4);
  EXPECT_TRUE(o->AddSkinMark(0xFFFF0000u, CVector3{1, 2, 3}, 5.0f));
  EXPECT_TRUE(o->AddRandomSkinMark(0xFF00FF00u, 5.0f));
  ASSERT_EQ(g_Marks.size(), 2u);
  EXPECT_EQ(g_Marks[0].first, s.Node(5));
  EXPECT_TRUE(g_Marks[0].second);
  EXPECT_FALSE(g_Marks[1].second);
  o->SkinMarks->Count = 3;
  o->SkinMarks->Next = 3;
  o->ClearSkinMarks();
  EXPECT_EQ(o->SkinMarks->Count, 0);
  EXPECT_EQ(o->SkinMarks->Next, 0);
  Skeleton plain({{"A", -1}});
  auto without = MakeObject(plain);
  EXPECT_FALSE(without->AddSkinMark(1u, CVector3{}, 1.0f));  // no skinned node
}

}  // namespace

namespace {

class AnimObjectFiles : public FileTest {
 protected:
  void TearDown() override {
    g_AnimSetManager.FreeAll();
    FileTest::TearDown();
  }
};

TEST_F(AnimObjectFiles, PlayNamedAnimLoopsTheNamedSetWithoutBlending) {
  Start("q");
  AnimSet source;
  anim_fixture::Fill(&source, 2, 4, 8);
  Write("walk.prs", WritePrsText(source, {}));
  Skeleton s({{"A", -1}, {"B", 0}});
  auto o = MakeObject(s);
  EXPECT_EQ(PlayNamedAnim(o.get(), "NOANIM"), 1);
  EXPECT_EQ(o->GetChannelSet(0), nullptr);
  EXPECT_EQ(PlayNamedAnim(o.get(), "walk"), 1);
  AnimSet* set = o->GetChannelSet(0);
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(set, g_AnimSetManager.GetAnimSet("walk.prs"));
  EXPECT_EQ(o->GetChannel(0).RepeatCount, kAnimRepeatLoop);
  EXPECT_EQ(o->GetChannel(0).Blending, 0);
  EXPECT_EQ(o->GetChannel(0).BlendSpeed, 3.0f);
  EXPECT_EQ(PlayNamedAnim(o.get(), "missing"), 1);  // nothing to play: channel 0 keeps its set
  EXPECT_EQ(o->GetChannelSet(0), set);
}

}  // namespace

namespace {

float g_TestFrameTime = 0.0f;
float TestFrameTime() { return g_TestFrameTime; }

TEST_F(AnimObjectTest, TheLevelLoaderMakesAnimatedInstancesThatTheEnvironmentUpdatesAndFrees) {
  CTimer clock;
  auto* env = new CEnvironment(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &clock, nullptr);
  Skeleton s({{"BIP01", -1, MESHKIND_PLAIN_ALT}, {"BIP01 HEAD", 0, MESHKIND_PLAIN_ALT}});
  CEnvInstance* instance =
      MakeAnimObjectInstance(env, "walker", s.Root(), CVector3{1, 0, 2}, CVector3{}, CVector3{1, 1, 1});
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(env->FindInstanceByName("walker"), instance);
  EXPECT_TRUE(instance->Flags & INSTF_ANIMATED);
  EXPECT_TRUE(AnimJointMap.Built);
  EXPECT_EQ(AnimJointMap.Ordinals[JOINT_HEAD], 1);
  auto* o = dynamic_cast<CAnimObject*>(instance);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->GetNodeCount(), 2);

  AnimSet set;
  anim_fixture::Fill(&set, 2, 10, 10);
  o->StartAnim(0, &set, kAnimRepeatLoop, 0, 0.0f);
  g_AnimObjectGlobals.FrameTime = &TestFrameTime;
  g_TestFrameTime = 0.25f;
  env->BuildAnimatedList();
  env->UpdateAnimated();
  EXPECT_NEAR(o->GetChannelFrame(0), 2.5f, 1e-6);
  PlayNamedAnimOnInstance(env->RootInstance, "walk");  // not animated: nothing happens
  delete env;  // frees the animated instance with the others
}

}  // namespace


namespace {

TEST_F(AnimObjectTest, FigureWalkerWalksACircleFacingItsWayAndWavesNowAndThen) {
  Skeleton s(SixNodes());
  auto o = MakeObject(s, CVector3{100.0f, 0.0f, 50.0f}, CVector3{});
  AnimSet walk, wave;
  anim_fixture::Fill(&walk, 6, 8, 8);
  anim_fixture::Fill(&wave, 6, 4, 8);
  CFigureWalker walker;
  CEnvInstance plain;
  EXPECT_FALSE(walker.Attach(&plain, &walk, &wave, {}));
  AnimSet wrong;
  anim_fixture::Fill(&wrong, 2, 8, 8);
  EXPECT_FALSE(walker.Attach(o.get(), &wrong, &wave, {}));
  FigureWalkerSettings settings;
  settings.Radius = 200.0f;
  settings.Speed = 100.0f;
  settings.WaveEvery = 1.0f;
  settings.WaveFor = 0.5f;
  ASSERT_TRUE(walker.Attach(o.get(), &walk, &wave, settings));
  EXPECT_EQ(o->GetChannelSet(0), &walk);

  CVector3 previous{100.0f, 0.0f, 50.0f}, centre{300.0f, 0.0f, 50.0f};  // to the right of +z facing
  bool waved = false, stoppedWaving = false;
  for (int i = 0; i < 100; ++i) {
    walker.Update(0.05f);
    o->Update(0.05f);
    CVector3 p;
    o->GetPosition(&p);
    const float dx = p.x - centre.x, dz = p.z - centre.z;
    EXPECT_NEAR(std::sqrt(dx * dx + dz * dz), 200.0f, 0.05f) << i;
    // Forward (the z axis of the world matrix) points the way it went.
    const CMatrix& w = o->GetWorldMatrix();
    const float mx = p.x - previous.x, mz = p.z - previous.z, step = std::sqrt(mx * mx + mz * mz);
    EXPECT_NEAR(step, 5.0f, 0.01f);
    EXPECT_GT((w.m[2][0] * mx + w.m[2][2] * mz) / step, 0.99f) << i;
    previous = p;
    waved |= o->GetChannelSet(1) == &wave;
    stoppedWaving |= waved && o->GetChannel(1).BlendOut == 1;
  }
  EXPECT_TRUE(waved);
  EXPECT_TRUE(stoppedWaving);
}

}  // namespace

namespace {

TEST_F(AnimObjectTest, FramesSetFromOutsideNeverHangOrReadOutsideTheKeys) {
  Skeleton s({{"A", -1}, {"B", 0}});
  AnimSet set;
  anim_fixture::Fill(&set, 2, 7, 10, 3);
  for (float frame : {1e30f, -1e30f, -3.5f, std::nanf(""), std::numeric_limits<float>::infinity()}) {
    auto o = MakeObject(s);
    o->StartAnim(0, &set, kAnimRepeatLoop, 0, 0.0f);
    o->SetChannelFrame(0, frame);
    o->Update(0.1f);
    o->EvaluatePose();
    EXPECT_NE(o->GetFrameTransform(), nullptr);
    CVector3 d;
    o->GetRootDisplacement(&d, 1);
    const float f = o->GetChannelFrame(0);
    if (std::isfinite(frame) && frame > 0.0f) {
      EXPECT_LT(f, 7.0f) << frame;  // wrapped into the cycle
    }
  }
}

}  // namespace

namespace {

std::vector<CVector3> g_LightPositions;
std::vector<CEnvObject*> g_QueuedShadows;
std::vector<int> g_SkinShadowFlags;
float g_LightStrength = 0.0f;
float LightStrength(const CEnvInstance*) { return g_LightStrength; }
bool LightDirection(const CEnvInstance*, int, CVector3* out) {
  *out = CVector3{0.0f, -1.0f, 0.0f};
  return true;
}
void RecordLightPosition(const CVector3& v) { g_LightPositions.push_back(v); }
void RecordShadow(CEnvObject* t) { g_QueuedShadows.push_back(t); }
// A light straight down of the strength the test sets, recording the light
// positions handed on and the shadows queued.
void InstallShadowRecorders() {
  AnimShadowHooks shadows;
  shadows.LightStrength = &LightStrength;
  shadows.LocalLightDirection = &LightDirection;
  shadows.SetLightPosition = &RecordLightPosition;
  SetAnimShadowHooks(shadows);
  EnvDrawHooks draw;
  draw.QueueShadow = &RecordShadow;
  SetEnvDrawHooks(draw);
}
void RecordSkinShadow(CEnvObject*, const CMatrix*, int, const CVector3* light, int shadow) {
  g_SkinShadowFlags.push_back(light != nullptr && shadow ? 1 : 0);
}

TEST_F(AnimObjectTest, ShadowsNeedAStrongLightAndALargeEnoughProjection) {
  Skeleton s(RiggedNodes());
  Skeleton shadowShape({{"ShadowShape", -1}});
  s.Node(7)->ShadowTemplate = shadowShape.Root();
  auto o = MakeObject(s, CVector3{0, 0, 0}, CVector3{0, 90, 0});
  o->Flags |= INSTF_QUEUED_SHADOW;
  InstallShadowRecorders();
  AnimSkinHooks skin;
  skin.Render = &RecordSkinShadow;
  SetAnimSkinHooks(skin);
  o->SetDrawFlags(ANIMDRAW_RIGID | ANIMDRAW_SKINNED);

  struct Case {
    float strength, size;
    std::size_t lights, queued;
    int skinShadow;
  };
  // A weak light or a tiny projection: no shadow; a middling projection:
  // skins only; a large one: the rigid shadow caster too.
  for (const Case& c : {Case{0.05f, 1.0f, 0, 0, 0}, Case{0.5f, 0.04f, 0, 0, 0}, Case{0.5f, 0.07f, 1, 0, 1},
                        Case{0.5f, 0.2f, 2, 1, 1}}) {
    g_LightPositions.clear();
    g_QueuedShadows.clear();
    g_SkinShadowFlags.clear();
    g_LightStrength = c.strength;
    o->ProjectedSize = c.size;
    o->DrawHierarchy();
    EXPECT_EQ(g_LightPositions.size(), c.lights) << c.strength << " " << c.size;
    ASSERT_EQ(g_QueuedShadows.size(), c.queued) << c.strength << " " << c.size;
    ASSERT_EQ(g_SkinShadowFlags.size(), 1u);
    EXPECT_EQ(g_SkinShadowFlags[0], c.skinShadow);
    if (c.queued == 1) {
      EXPECT_EQ(g_QueuedShadows[0], shadowShape.Root());
      // The light vector carried into the node's space: through the world
      // matrix (turned 90 about y) and back by the node's inverse.
      const CVector3& v = g_LightPositions[1];
      EXPECT_NEAR(v.y, -1.0f, 1e-5);
      EXPECT_NEAR(std::fabs(v.x) + std::fabs(v.z), 0.0f, 1e-5);
    }
  }
  SetAnimShadowHooks(AnimShadowHooks{});
}

// --- Sound cues ------------------------------------------------------------------------------

// The events the manager has been asked to play, in order, from its play
// log (a manager without a device plays nothing but logs every request).
std::vector<int> PlayedEvents(const CSoundManager& sounds, std::vector<CVector3>* where = nullptr) {
  std::vector<int> events;
  for (const SoundPlayRecord& r : sounds.PlayLog()) {
    events.push_back(r.event);
    if (where != nullptr) where->push_back(r.position);
  }
  return events;
}

TEST_F(AnimObjectTest, SoundCuesPlayOnceEachPerCycleAtTheObject) {
  Skeleton s(SixNodes());
  auto o = MakeObject(s, {3.0f, 4.0f, 5.0f});
  AnimSet walk;
  anim_fixture::Fill(&walk, 6, 10, 10);  // ten keys at ten a second: a one-second cycle
  ASSERT_EQ(o->StartAnim(0, &walk, kAnimRepeatLoop, 0, 0.0f), 1);
  CSoundBank bank;
  const AnimSoundCue cues[] = {{1, 0.25f}, {-1, 0.6f}, {0, -1.0f}};
  CSoundManager sounds;
  sounds.SetPlayLog(true);
  CAnimSoundCues list(cues, &bank, 2);

  // Steps of 0.1 s over two and a half cycles: each cue once a cycle, in
  // order, the negative one as the default sound.
  int played = 0;
  for (int step = 0; step < 25; ++step) {
    o->Update(0.1f);
    played += list.Update(*o, &sounds);
  }
  std::vector<CVector3> where;
  EXPECT_EQ(PlayedEvents(sounds, &where), (std::vector<int>{1, 2, 1, 2, 1}));
  EXPECT_EQ(played, 5);
  for (const CVector3& p : where) {
    EXPECT_FLOAT_EQ(p.x, 3.0f);
    EXPECT_FLOAT_EQ(p.y, 4.0f);
    EXPECT_FLOAT_EQ(p.z, 5.0f);
  }
}

TEST_F(AnimObjectTest, SoundCuesAStepJumpsOverAllPlayAndNothingPlaysWithoutAFrameRate) {
  Skeleton s(SixNodes());
  auto o = MakeObject(s);
  AnimSet walk;
  anim_fixture::Fill(&walk, 6, 10, 10);
  const AnimSoundCue cues[] = {{0, 0.1f}, {1, 0.2f}, {2, 0.3f}, {0, -1.0f}};
  CSoundBank bank;
  CSoundManager sounds;
  sounds.SetPlayLog(true);
  CAnimSoundCues list(cues, &bank, 0);

  EXPECT_EQ(list.Update(*o, &sounds), 0);  // no animation on channel 0
  ASSERT_EQ(o->StartAnim(0, &walk, kAnimRepeatLoop, 0, 0.0f), 1);
  o->Update(0.5f);
  EXPECT_EQ(list.Update(*o, &sounds), 3);
  EXPECT_EQ(PlayedEvents(sounds), (std::vector<int>{0, 1, 2}));
  // Done, and the time has not wrapped: nothing more until it does.
  o->Update(0.3f);
  EXPECT_EQ(list.Update(*o, &sounds), 0);
  o->Update(0.35f);  // wraps to 0.15 s
  EXPECT_EQ(list.Update(*o, &sounds), 1);
  // Restart plays the first cue again at once once due.
  list.Restart();
  EXPECT_EQ(list.Update(*o, &sounds), 1);
}

// A caster node of the template itself (no shadow template of its own)
// queues its own mesh's shadow; one with a shadow template queues that.
TEST_F(AnimObjectTest, ACasterNodeWithoutAShadowTemplateCastsItself) {
  Skeleton s(RiggedNodes());
  CEnvObject* caster = s.Node(7);
  ASSERT_TRUE(caster->Flags & EOF_SHADOW_CASTER);
  auto o = MakeObject(s, CVector3{0, 0, 0}, CVector3{0, 0, 0});
  o->Flags |= INSTF_QUEUED_SHADOW;
  InstallShadowRecorders();
  o->SetDrawFlags(ANIMDRAW_RIGID);
  g_LightStrength = 0.5f;
  o->ProjectedSize = 0.2f;
  g_QueuedShadows.clear();
  o->DrawHierarchy();
  ASSERT_EQ(g_QueuedShadows.size(), 1u);
  EXPECT_EQ(g_QueuedShadows[0], caster);
  SetAnimShadowHooks(AnimShadowHooks{});
  SetEnvDrawHooks(EnvDrawHooks{});
}

}  // namespace

