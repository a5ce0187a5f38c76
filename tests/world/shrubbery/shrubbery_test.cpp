// The shrubbery: thinning by the density across gardens, templates, the
// variants and their sway, queueing a garden into the transparent queue, and
// the reader installed in the level loader.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "foundation/maths/random_tables.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/text/hash.h"
#include "platform/win32/message_box.h"
#include "render/geometry/camera.h"
#include "scene/lights/light_table.h"
#include "scene/transparent/depth_sort_queue.h"
#include "world/environment/env_file_sections.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/shrubbery/shrub_variants.h"
#include "world/shrubbery/shrubbery.h"
#include "world/shrubbery/shrubbery_section.h"

namespace {

int QuietBox(HWND, const char*, const char*, UINT, void*) { return IDOK; }

// A section of gardens of the given sizes; shrub i of the whole section
// stands at x = i so that the kept ones can be told apart.
ShrubberySectionData Gardens(const std::vector<int>& sizes, int templates = 1) {
  ShrubberySectionData data;
  for (int t = 0; t < templates; ++t) data.AddTemplate("t" + std::to_string(t));
  int k = 0;
  for (int n : sizes) {
    std::vector<ShrubFileRecord> garden(static_cast<std::size_t>(n));
    for (ShrubFileRecord& r : garden) r.Position = {static_cast<float>(k++), 0.0f, 0.0f};
    data.Gardens.push_back(garden);
  }
  return data;
}

std::vector<int> KeptXs(const CShrubbery& s, int g) {
  std::vector<int> xs;
  const Garden* garden = s.GetGarden(g);
  for (int i = 0; garden != nullptr && i < garden->Count; ++i) xs.push_back(static_cast<int>(garden->Shrubs[i].Position.x));
  return xs;
}

CEnvObject* NewTemplate(const char* name, float half) {
  auto* t = new CEnvObject;
  t->TemplateKind = OTYPE_ENV;
  t->Bounds.Min = {-half, 0.0f, -half};
  t->Bounds.Max = {half, half, half};
  t->Sphere.Radius = half;
  t->ObjectName = name;
  t->ObjectNameHash = HashStringNoCase(name);
  return t;
}

class ShrubberyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SeedRandomTables(1);
    SetMessageBoxHook(QuietBox, nullptr);
    SetMessageBoxEcho(false);
    camera_.SetView({0, 0, 0}, {0, 0, 0});
    camera_.SetFarClip(1000.0f);
    level_ = std::make_unique<CLinearBuffer>(1u << 20, "shrub test level");
    queue_.Create(nullptr, &camera_, nullptr, kDepthSortBlockBytes, kDepthSortBuckets);
    ASSERT_TRUE(queue_.CreatePools(level_.get()));
    env_ = new CEnvironment(nullptr, nullptr, nullptr, nullptr, &queue_, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    delete env_;
    CLightTable::ClearActive();
    SetEnvSectionReader(ENVSECTION_SHRUBBERY, nullptr);
    SetMessageBoxHook(nullptr, nullptr);
    SetMessageBoxEcho(true);
    ShrubberyClearVariants();
  }

  // The items of the queue, nearest bucket first.
  std::vector<std::pair<std::uint32_t, ShrubBatchItem*>> Items() const {
    std::vector<std::pair<std::uint32_t, ShrubBatchItem*>> out;
    for (std::uint32_t b = queue_.Lowest; b <= queue_.Highest && b < queue_.BucketCount; ++b)
      for (DepthSortItem* i = queue_.Buckets[b]; i != nullptr; i = i->Next)
        if (i->Kind == DSK_SHRUB_BATCH) out.emplace_back(b, static_cast<ShrubBatchItem*>(i));
    return out;
  }

  CCamera camera_;
  std::unique_ptr<CLinearBuffer> level_;
  DepthSortQueue queue_;
  CEnvironment* env_ = nullptr;
};

}  // namespace

TEST_F(ShrubberyTest, TheEnvironmentMakesAnEmptyShrubbery) {
  ASSERT_NE(env_->Shrubbery, nullptr);
  EXPECT_EQ(env_->Shrubbery->GetGardenCount(), 0);
  EXPECT_FLOAT_EQ(env_->Shrubbery->GetDensity(), 0.75f);
  EXPECT_EQ(env_->Shrubbery->GetGarden(0), nullptr);
}

TEST_F(ShrubberyTest, DensityOneKeepsEveryShrub) {
  CShrubbery s;
  s.SetDensity(1.0f);
  s.Apply(Gardens({3, 0, 4}), nullptr);
  ASSERT_EQ(s.GetGardenCount(), 3);
  EXPECT_EQ(KeptXs(s, 0), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(KeptXs(s, 1), (std::vector<int>{}));
  EXPECT_EQ(KeptXs(s, 2), (std::vector<int>{3, 4, 5, 6}));
}

TEST_F(ShrubberyTest, HalfDensityKeepsEverySecondShrubAcrossGardens) {
  CShrubbery s;
  s.SetDensity(0.5f);
  // The remainder carries over: the second garden starts where the first left off.
  s.Apply(Gardens({3, 3, 1}), nullptr);
  EXPECT_EQ(KeptXs(s, 0), (std::vector<int>{0, 2}));
  EXPECT_EQ(KeptXs(s, 1), (std::vector<int>{4}));
  EXPECT_EQ(KeptXs(s, 2), (std::vector<int>{6}));
}

TEST_F(ShrubberyTest, ThinningKeepsTheCountTheDensityGives) {
  // For every density in steps of 0.01 each garden keeps exactly
  // n - trunc((1 - density) n + a), and the whole section exactly
  // total - trunc((1 - density) total): the shrub-by-shrub decisions never
  // keep more shrubs than the garden was given room for.
  const std::vector<int> sizes = {7, 13, 1, 0, 29, 100, 3};
  int total = 0;
  for (int n : sizes) total += n;
  for (int step = 0; step <= 100; ++step) {
    const float density = static_cast<float>(step) / 100.0f;
    SCOPED_TRACE(density);
    CShrubbery s;
    s.SetDensity(density);
    s.Apply(Gardens(sizes), nullptr);
    const double drop = 1.0 - static_cast<double>(density);
    double a = 0.0;
    int kept = 0, seen = 0;
    for (std::size_t g = 0; g < sizes.size(); ++g) {
      const int n = sizes[g];
      const int expected = n - static_cast<int>(std::trunc(drop * n + a));
      ASSERT_EQ(s.GetGarden(static_cast<int>(g))->Count, expected) << "garden " << g;
      EXPECT_EQ(ShrubKeptCount(n, density, a), expected);
      a = drop * (seen + n) - std::trunc(drop * (seen + n));
      seen += n;
      kept += expected;
    }
    EXPECT_EQ(kept, total - static_cast<int>(std::trunc(drop * total)));
  }
  CShrubbery none;
  none.SetDensity(0.0f);
  none.Apply(Gardens({5, 5}), nullptr);
  EXPECT_EQ(none.GetGarden(0)->Count + none.GetGarden(1)->Count, 0);
}

TEST_F(ShrubberyTest, DensityIsHeldToZeroToOne) {
  CShrubbery s;
  const float cases[][2] = {{0.5f, 0.5f}, {-1.0f, 0.0f}, {3.0f, 1.0f}, {NAN, 1.0f}};
  for (const auto& c : cases) {
    s.SetDensity(c[0]);
    EXPECT_FLOAT_EQ(s.GetDensity(), c[1]) << c[0];
  }
}

TEST_F(ShrubberyTest, TemplatesComeFromTheEnvironmentAndBadIndicesDrawNothing) {
  CEnvObject* bush = env_->AddObject(NewTemplate("bush", 50.0f));
  // Shrub template indices: 0 bush, 1 a name no file holds, 2 and -1 beyond the table.
  const char* text = "GARDENS 2 1 bush nosuchplant 4 "
                     "1 0 0 0 0 0 0 1 0  2 0 0 0 0 0 0 1 1  3 0 0 0 0 0 0 1 2  4 0 0 0 0 0 0 1 -1 "
                     "ENDGARDEN END";
  CShrubbery& s = *env_->Shrubbery;
  s.SetDensity(1.0f);
  EnvTextCursor cursor(text);
  CLinearBuffer buffer(4096, "shrub templates");
  ASSERT_TRUE(s.Read(cursor, 72, &buffer));
  EXPECT_EQ(buffer.GetUsed(), 0u);  // the table was given back
  const Garden* g = s.GetGarden(0);
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->Count, 4);
  EXPECT_EQ(g->Shrubs[0].Template, bush);
  EXPECT_EQ(g->Shrubs[1].Template, nullptr);
  EXPECT_EQ(g->Shrubs[2].Template, nullptr);
  EXPECT_EQ(g->Shrubs[3].Template, nullptr);
  EXPECT_EQ(s.GetBadTemplateIndices(), 2);
}

TEST_F(ShrubberyTest, AReadDrawsTheVariantsAnewAndKeepsTheFileFlags) {
  CShrubbery s;
  s.SetDensity(1.0f);
  const char* text = "GARDENS 0 1 3  0 0 0 1073741839 0 0 0 1 0  0 0 0 0 0 0 0 1 0  0 0 0 -2147483648 0 0 0 1 0 "
                     "ENDGARDEN END";
  EnvTextCursor cursor(text);
  ASSERT_TRUE(s.Read(cursor, 72, nullptr));
  const Garden* g = s.GetGarden(0);
  ASSERT_EQ(g->Count, 3);
  // Bits 0-3 are the variant drawn at load; the others stand as the file gave them.
  EXPECT_EQ(g->Shrubs[0].Flags & ~kShrubVariantMask, 0x40000000u);
  EXPECT_EQ(g->Shrubs[1].Flags & ~kShrubVariantMask, 0u);
  EXPECT_EQ(g->Shrubs[2].Flags & ~kShrubVariantMask, 0x80000000u);
  for (int i = 0; i < kShrubVariantCount; ++i) {
    const ShrubVariant& v = GetShrubVariant(i);
    EXPECT_GE(v.Phase, 0.0f);
    EXPECT_LT(v.Phase, 360.0f);
    EXPECT_EQ(v.Phase, std::floor(v.Phase));
    EXPECT_GE(v.Speed, 55.0f);
    EXPECT_LE(v.Speed, 65.0f);
    EXPECT_GE(v.Amplitude, 0.4f);
    EXPECT_LE(v.Amplitude, 1.0f);
    EXPECT_FLOAT_EQ(v.Direction.y, 0.0f);
    EXPECT_FLOAT_EQ(v.Direction.z, 1.0f - v.Direction.x * v.Direction.x);
    EXPECT_EQ(v.Tint >> 24, 0xFFu);
    for (int shift : {0, 8, 16}) EXPECT_GE((v.Tint >> shift) & 0xFF, 244u);  // 0.96 of 255 and up
  }
}

TEST_F(ShrubberyTest, SwayFollowsThePhaseOfEachVariant) {
  ShrubberyMakeVariants();
  std::vector<ShrubVariant> before;
  for (int i = 0; i < kShrubVariantCount; ++i) before.push_back(GetShrubVariant(i));
  for (float dt : {0.02f, 7.5f}) {  // 7.5 s turns every phase past 360
    ShrubberyUpdateSway(dt);
    for (int i = 0; i < kShrubVariantCount; ++i) {
      const ShrubVariant& v = GetShrubVariant(i);
      const float phase = std::fmod(before[i].Phase + dt * v.Speed, 360.0f);
      EXPECT_NEAR(v.Phase, phase, 1e-3f);
      EXPECT_LT(v.Phase, 360.0f);
      const float w = std::sin(3.14159265f * std::sin(v.Phase * 3.14159265f / 180.0f));
      EXPECT_NEAR(v.Offset.x, v.Direction.x * w * v.Amplitude * 0.1f, 1e-5f);
      EXPECT_FLOAT_EQ(v.Offset.y, 0.0f);
      EXPECT_NEAR(v.Offset.z, v.Direction.z * w * v.Amplitude * 0.1f, 1e-5f);
      before[i] = v;
    }
  }
}

TEST_F(ShrubberyTest, QueueingAGardenFadesWithDistanceAndStopsAtHalfTheBuckets) {
  CShrubbery& s = *env_->Shrubbery;
  s.SetDensity(1.0f);
  ShrubberySectionData data;
  data.Gardens.push_back({});
  // Straight ahead of the camera at 100, 400, 499, 500, 700 and 1500 units.
  for (float z : {100.0f, 400.0f, 499.0f, 500.0f, 700.0f, 1500.0f}) {
    ShrubFileRecord r;
    r.Position = {0.0f, 0.0f, z};
    data.Gardens[0].push_back(r);
  }
  s.Apply(data, nullptr);
  CEnvObject* ground = env_->AddObject(NewTemplate("ground", 2000.0f));
  CEnvInstance* owner = env_->CreateInstance("Ground", ground, {}, {}, nullptr, 0, 0);
  ASSERT_NE(owner, nullptr);
  owner->GardenIndex = 0;
  s.QueueGarden(owner);
  const auto items = Items();
  ASSERT_EQ(items.size(), 3u);  // the shrubs at and past half the far distance are not queued
  const Garden* g = s.GetGarden(0);
  for (std::size_t k = 0; k < items.size(); ++k) {
    const auto& [bucket, item] = items[k];
    EXPECT_EQ(item->Shrub, &g->Shrubs[k]);
    EXPECT_EQ(bucket, queue_.BucketOf(g->Shrubs[k].Position));
    EXPECT_FLOAT_EQ(item->Fade, 1.0f - static_cast<float>(bucket) / 500.0f);
    EXPECT_GT(item->Fade, 0.0f);
    EXPECT_EQ(item->Lights.Count, 0);  // the queue's fixed light
  }
  // Garden indices that name no garden queue nothing.
  queue_.Clear();
  for (int index : {-1, 1, 99}) {
    owner->GardenIndex = index;
    s.QueueGarden(owner);
  }
  EXPECT_TRUE(Items().empty());
}

TEST_F(ShrubberyTest, AlternativeStateShrubsCarryTheInstanceLights) {
  CShrubbery& s = *env_->Shrubbery;
  s.SetDensity(1.0f);
  EnvTextCursor cursor("GARDENS 0 1 2  0 0 100 1073741824 0 0 0 1 0  0 0 200 0 0 0 0 1 0 ENDGARDEN END");
  ASSERT_TRUE(s.Read(cursor, 72, nullptr));
  CEnvObject* ground = env_->AddObject(NewTemplate("ground", 2000.0f));
  CEnvInstance* owner = env_->CreateInstance("Ground", ground, {}, {}, nullptr, 0, 0);
  owner->GardenIndex = 0;
  CLightTable::ClearActive();
  CLightTable::Active[0] = 3;
  CLightTable::Active[1] = 7;
  CLightTable::ActiveCount = 2;
  s.QueueGarden(owner);
  const auto items = Items();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].second->Lights.Count, 2);
  EXPECT_EQ(items[0].second->Lights.Index[0], 3);
  EXPECT_EQ(items[0].second->Lights.Index[1], 7);
  EXPECT_EQ(items[1].second->Lights.Count, 0);
}

TEST_F(ShrubberyTest, TheDrawColourNeverWrapsItsAlpha) {
  Shrub shrub;
  shrub.Flags = 5;
  ShrubberyMakeVariants();
  const std::uint32_t tint = GetShrubVariant(5).Tint & 0x00FFFFFFu;
  const struct {
    float fade;
    std::uint32_t alpha;
  } cases[] = {{1.0f, 255}, {0.5f, 127}, {0.0f, 0}, {-0.4f, 0}, {-3.0f, 0}, {1.7f, 255}, {NAN, 0}};
  for (const auto& c : cases) {
    const std::uint32_t colour = ShrubDrawColour(shrub, c.fade);
    EXPECT_EQ(colour >> 24, c.alpha) << c.fade;
    EXPECT_EQ(colour & 0x00FFFFFFu, tint);
  }
}

TEST_F(ShrubberyTest, WorldMatrixTurnsYThenZThenXAndLeansWithTheSway) {
  Shrub shrub;
  shrub.Position = {10.0f, 20.0f, 30.0f};
  shrub.AngleY = 90.0f;
  shrub.AngleZ = 90.0f;
  shrub.Flags = 0;  // no sway
  CMatrix m;
  ShrubWorldMatrix(shrub, &m);
  CVector3 base{}, x{};
  m.TransformPoint({0, 0, 0}, &base);
  EXPECT_NEAR(base.x, 10.0f, 1e-4f);
  EXPECT_NEAR(base.y, 20.0f, 1e-4f);
  EXPECT_NEAR(base.z, 30.0f, 1e-4f);
  // Turned about Y first, then Z: the order is what matters here.
  CMatrix order;
  order.SetIdentity();
  order.RotateY(90.0f);
  order.RotateZ(90.0f);
  CVector3 expected{};
  order.RotateVector({1, 0, 0}, &expected);
  m.TransformPoint({1, 0, 0}, &x);
  EXPECT_NEAR(x.x - 10.0f, expected.x, 1e-4f);
  EXPECT_NEAR(x.y - 20.0f, expected.y, 1e-4f);
  EXPECT_NEAR(x.z - 30.0f, expected.z, 1e-4f);

  // A swaying shrub: the base stays put, a point h up moves h times the turned offset.
  ShrubberyMakeVariants();
  ShrubberyUpdateSway(0.3f);
  shrub.AngleY = 30.0f;
  shrub.AngleZ = 0.0f;
  shrub.Flags = kShrubSways | 2;
  CMatrix still;
  Shrub calm = shrub;
  calm.Flags = 2;
  ShrubWorldMatrix(calm, &still);
  ShrubWorldMatrix(shrub, &m);
  CVector3 offset{};
  still.RotateVector(GetShrubVariant(2).Offset, &offset);
  ASSERT_GT(std::fabs(offset.x) + std::fabs(offset.z), 1e-4f);
  CVector3 top{}, calmTop{};
  m.TransformPoint({0, 0, 0}, &base);
  EXPECT_NEAR(base.x, 10.0f, 1e-4f);
  EXPECT_NEAR(base.z, 30.0f, 1e-4f);
  m.TransformPoint({0, 100, 0}, &top);
  still.TransformPoint({0, 100, 0}, &calmTop);
  EXPECT_NEAR(top.x - calmTop.x, 100.0f * offset.x, 1e-3f);
  EXPECT_NEAR(top.z - calmTop.z, 100.0f * offset.z, 1e-3f);
}

TEST_F(ShrubberyTest, CheckGardensComparesWithTheOwnersBox) {
  CShrubbery& s = *env_->Shrubbery;
  s.SetDensity(1.0f);
  CEnvObject* patch = env_->AddObject(NewTemplate("patch", 100.0f));
  CEnvInstance* owner = env_->CreateInstance("Patch", patch, {}, {}, nullptr, 0, 0);
  owner->GardenIndex = 0;
  struct Case {
    float x;
    bool inside;
  };
  for (const Case& c : {Case{0.0f, true}, Case{100.4f, true}, Case{-100.4f, true}, Case{100.6f, false}}) {
    ShrubberySectionData data;
    ShrubFileRecord r;
    r.Position = {c.x, 10.0f, 0.0f};
    data.Gardens.push_back({r});
    s.Apply(data, nullptr);
    EXPECT_EQ(s.CheckGardens(), c.inside) << c.x;
  }
}

TEST_F(ShrubberyTest, WrittenGardensReadBack) {
  CEnvObject* bush = env_->AddObject(NewTemplate("bush", 50.0f));
  (void)bush;
  CShrubbery& s = *env_->Shrubbery;
  s.SetDensity(1.0f);
  EnvTextCursor cursor("GARDENS 2 2 bush fern 1 1 2 3 0 4 5 6 7 0  2 8 9 10 0 0 0 45 1 1 11 12 13 0 0 0 0 2 0 "
                       "ENDGARDEN END");
  ASSERT_TRUE(s.Read(cursor, 72, nullptr));
  std::string text;
  s.WriteSection(&text, 72);
  CShrubbery again(env_);
  again.SetDensity(1.0f);
  EnvTextCursor back(text.c_str());
  ASSERT_TRUE(again.Read(back, 72, nullptr));
  ASSERT_EQ(again.GetGardenCount(), 2);
  for (int g = 0; g < 2; ++g) {
    ASSERT_EQ(again.GetGarden(g)->Count, s.GetGarden(g)->Count);
    for (int i = 0; i < s.GetGarden(g)->Count; ++i) {
      const Shrub& a = s.GetGarden(g)->Shrubs[i];
      const Shrub& b = again.GetGarden(g)->Shrubs[i];
      EXPECT_FLOAT_EQ(a.Position.x, b.Position.x);
      EXPECT_FLOAT_EQ(a.AngleY, b.AngleY);
      EXPECT_FLOAT_EQ(a.Size, b.Size);
      EXPECT_EQ(a.Template, b.Template);
      EXPECT_EQ(a.Flags & ~kShrubVariantMask, b.Flags & ~kShrubVariantMask);
    }
  }
}

TEST_F(ShrubberyTest, TheInstalledReaderFillsTheEnvironmentsGardens) {
  InstallShrubbery();
  EXPECT_NE(GetEnvSectionReader(ENVSECTION_SHRUBBERY), GetDefaultEnvSectionReader(ENVSECTION_SHRUBBERY));
  EXPECT_NE(queue_.GetDrawHooks().DrawShrubBatch, nullptr);
  env_->Shrubbery->SetDensity(1.0f);
  EnvTextCursor cursor("GARDENS 0 2 1 1 2 3 0 0 0 0 1 0 0 ENDGARDEN END NEXT");
  EXPECT_TRUE(GetEnvSectionReader(ENVSECTION_SHRUBBERY)(cursor, EnvSectionContext{env_, 72, 0}));
  EXPECT_EQ(env_->Shrubbery->GetGardenCount(), 2);
  EXPECT_EQ(env_->Shrubbery->GetGarden(0)->Count, 1);
  char next[8];
  ASSERT_TRUE(cursor.Token(next));
  EXPECT_STREQ(next, "NEXT");
  // Without an environment the section is still read whole; a cut one fails.
  EnvTextCursor alone("GARDENS 0 1 0 ENDGARDEN END");
  EXPECT_TRUE(GetEnvSectionReader(ENVSECTION_SHRUBBERY)(alone, EnvSectionContext{nullptr, 72, 0}));
  EnvTextCursor cut("GARDENS 0 1 1 1 2");
  EXPECT_FALSE(GetEnvSectionReader(ENVSECTION_SHRUBBERY)(cut, EnvSectionContext{env_, 72, 0}));
  EXPECT_EQ(env_->Shrubbery->GetGardenCount(), 0);  // nothing whole to keep
}
