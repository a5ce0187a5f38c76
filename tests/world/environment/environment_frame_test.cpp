// The container's per-frame drawing: lens flares (the queued glow sprite,
// its bucket, dimming and colour; fading per view with real time; the flare
// window), flat polygons queued by distance, and the transparent pass's
// render states on the recording device.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "control/hud_toggle.h"
#include "foundation/time/timer.h"
#include "render/2d/sprite_render.h"
#include "render/textures/material_list.h"
#include "scene/scene_draw_fixture.h"
#include "world/environment/environment.h"

namespace {

// The glow sprites in the queue, bucket by bucket from the nearest.
struct QueuedGlow {
  std::uint32_t bucket;
  GlowSpriteItem* item;
};

class EnvironmentFrame : public DrawScene {
 protected:
  void SetUp() override {
    DrawScene::SetUp();
    lights_ = std::make_unique<CLightTable>(32);
    SetRealFrameTime(0.1f);
    environment_ = std::make_unique<CEnvironment>(s_Render, nullptr, &materials_, nullptr, &queue_, lights_.get(),
                                                  nullptr, &realClock_);
    sheet_ = std::make_unique<CSpriteRender>(s_Render, camera_.get(), nullptr);
    environment_->SetFlareMaterial(sheet_.get());
    g_CurrentView = 0;
    g_HudToggles[0].On = 0;
  }
  void TearDown() override {
    environment_.reset();
    sheet_.reset();
    lights_.reset();
    g_HudToggles[0].On = 0;
    DrawScene::TearDown();
  }
  void SetRealFrameTime(float seconds) {
    CTimer::State state{};
    state.frameTime = seconds;
    realClock_.RestoreState(state);
  }
  std::vector<QueuedGlow> Glows() const {
    std::vector<QueuedGlow> out;
    if (queue_.Buckets == nullptr) return out;
    for (std::uint32_t b = 0; b < queue_.BucketCount; ++b)
      for (DepthSortItem* i = queue_.Buckets[b]; i != nullptr; i = i->Next)
        if (i->Kind == DSK_GLOW_SPRITE) out.push_back({b, static_cast<GlowSpriteItem*>(i)});
    return out;
  }
  std::uint32_t QueuedItems() const {
    std::uint32_t n = 0;
    for (std::uint32_t b = 0; queue_.Buckets != nullptr && b < queue_.BucketCount; ++b)
      for (DepthSortItem* i = queue_.Buckets[b]; i != nullptr; i = i->Next) ++n;
    return n;
  }
  // A point light with a flare at the position, white, alpha 0.5.
  int FlareLight(const CVector3& position, int index = 255) {
    const int i =
        lights_->CreatePointLight(position, CColour{1, 1, 1, 0.5f}, CColour{0, 0, 0, 1}, 500.0f, "flare", index);
    lights_->SetFlare(i, true, 20.0f);
    return i;
  }
  // The light counts as enabled on the device in this frame.
  void Lit(int i) { lights_->GetLight(i)->FrameStamp = CLightTable::FrameNumber; }

  CMaterialList materials_;
  CTimer realClock_;
  std::unique_ptr<CLightTable> lights_;
  std::unique_ptr<CEnvironment> environment_;
  std::unique_ptr<CSpriteRender> sheet_;
};

std::uint32_t Pack(float a, float r, float g, float b) {
  auto byte = [](float v) { return static_cast<std::uint32_t>(v * 255.0f); };
  return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

// Dimming by the bucket the flare point falls in.
float Dimming(std::uint32_t bucket) {
  const float f = 1.0f - (static_cast<float>(bucket) - 1.0f) / 1000.0f * 1.25f;
  return f > 1.0f ? 1.0f : f;
}

TEST_F(EnvironmentFrame, QueueFlareMovesDimsAndPacksTheGlowSprite) {
  struct Case {
    const char* what;
    float z;        // light on the camera's axis
    float size;
    float r, g, b, a;
    std::uint32_t viewMode;
    float far;
    bool queued;
    float pointZ;   // where the flare is drawn
  };
  const Case cases[] = {
      {"moved nearer by its size", 500.25f, 100.0f, 1.0f, 0.5f, 0.25f, 0.8f, 0, 1000.0f, true, 400.25f},
      {"never closer than 16 to the eye", 20.0f, 100.0f, 1.0f, 0.5f, 0.25f, 0.8f, 0, 1000.0f, true, 16.0f},
      {"grey from the dimming in view mode 1", 300.5f, 50.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1, 1000.0f, true, 250.5f},
      {"bright channels held to 255", 200.5f, 0.0f, 3.0f, -1.0f, 0.5f, 2.0f, 0, 1000.0f, true, 200.5f},
      {"dimmed to nothing at 80% of the far distance", 900.5f, 50.0f, 1, 1, 1, 1, 0, 1000.0f, false, 850.5f},
      {"past the last bucket", 5000.0f, 100.0f, 1, 1, 1, 1, 0, 1000.0f, false, 4900.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    queue_.Clear();
    camera_->SetFarClip(c.far);
    g_HudToggles[0].On = c.viewMode;
    EXPECT_EQ(environment_->QueueFlare({0, 0, c.z}, {0, 0, 0}, c.size, c.r, c.g, c.b, c.a, 3), c.queued);
    const std::vector<QueuedGlow> glows = Glows();
    if (!c.queued) {
      EXPECT_EQ(QueuedItems(), 0u);
      continue;
    }
    ASSERT_EQ(glows.size(), 1u);
    const GlowSpriteItem& g = *glows[0].item;
    const std::uint32_t own = queue_.BucketOf({0, 0, c.pointZ});
    EXPECT_EQ(glows[0].bucket, own - 1) << "one bucket nearer than its point";
    EXPECT_NEAR(g.Position.z, c.pointZ, 0.01f);
    EXPECT_EQ(g.Sheet, sheet_.get());
    EXPECT_EQ(g.Frame, 3);
    EXPECT_EQ(g.BlendMode, 4);
    EXPECT_FLOAT_EQ(g.Radius, c.size * 4.0f);
    const float f = Dimming(own);
    auto held = [](float v) { return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v; };
    const std::uint32_t expected = c.viewMode == 1 ? Pack(held(c.a), f, f, f)
                                                   : Pack(held(c.a), held(c.r * f), held(c.g * f), held(c.b * f));
    EXPECT_EQ(g.Colour, expected) << std::hex << g.Colour;
  }
  EXPECT_EQ(Pack(1.0f, 1.0f, 0.0f, 0.5f), 0xFFFF007Fu);
}

TEST_F(EnvironmentFrame, AFlareAtTheEyeStaysInTheNearestBucket) {
  // With a far distance of 100000 the closest flare point (16 units) lies in
  // bucket 0: it is drawn nearest, at full brightness, not wrapped round to
  // the farthest bucket.
  camera_->SetFarClip(100000.0f);
  ASSERT_TRUE(environment_->QueueFlare({0, 0, 10}, {0, 0, 0}, 100.0f, 1.0f, 0.5f, 0.25f, 0.8f, 0));
  const std::vector<QueuedGlow> glows = Glows();
  ASSERT_EQ(glows.size(), 1u);
  EXPECT_EQ(glows[0].bucket, 0u);
  EXPECT_EQ(glows[0].item->Colour, 0xCCFF7F3Fu);
}

TEST_F(EnvironmentFrame, QueueDepthItemFilesAFlatPolygonByDistance) {
  const CVector3 points[3] = {{0, 0, 300}, {10, 0, 300}, {0, 10, 300}};
  const FlatPolygon polygon{3, points};
  ASSERT_TRUE(environment_->QueueDepthItem(&polygon, {0, 0, 300.5f}, 0x80FF0000u));
  const std::uint32_t bucket = queue_.BucketOf({0, 0, 300.5f});
  ASSERT_NE(queue_.Buckets[bucket], nullptr);
  const auto& item = *static_cast<FlatPolygonItem*>(queue_.Buckets[bucket]);
  EXPECT_EQ(item.Kind, DSK_FLAT_POLYGON);
  EXPECT_EQ(item.BlendMode, 2);
  EXPECT_EQ(item.Polygon, &polygon);
  EXPECT_EQ(item.Material, materials_.GetByIndex(0)) << "the default material";
  EXPECT_EQ(item.Texture, nullptr);
  EXPECT_EQ(item.Colour, 0x80FF0000u);
  EXPECT_EQ(item.CullMode, 1u);
  EXPECT_EQ(QueuedItems(), 1u);
  // Past the far distance the item is refused, not piled into the last bucket.
  EXPECT_FALSE(environment_->QueueDepthItem(&polygon, {0, 0, 1500}, 0x80FF0000u));
  EXPECT_FALSE(environment_->QueueDepthItem(&polygon, {0, 0, 1000.5f}, 0x80FF0000u));
  EXPECT_EQ(QueuedItems(), 1u);
  EXPECT_EQ(queue_.Buckets[999], nullptr);
}

TEST_F(EnvironmentFrame, FlareWindowMovesTenLightsAndWrapsPastTheLightsInUse) {
  // Cleared at construction: the first frame tests no light afresh.
  EXPECT_EQ(environment_->FlareWindow[0], 0u);
  EXPECT_EQ(environment_->FlareWindow[1], 0u);
  EXPECT_EQ(environment_->FlareWindow[2], 0u);
  FlareLight({0, 0, 100}, 0);
  FlareLight({0, 0, 100}, 24);  // lights in use span 0 .. 24
  const std::uint32_t expected[][3] = {{10, 20, 1}, {20, 30, 0}, {0, 10, 1}, {10, 20, 0}, {20, 30, 1}, {0, 10, 0}};
  for (const auto& e : expected) {
    environment_->AdvanceFlareWindow();
    EXPECT_EQ(environment_->FlareWindow[0], e[0]);
    EXPECT_EQ(environment_->FlareWindow[1], e[1]);
    EXPECT_EQ(environment_->FlareWindow[2], e[2]);
  }
  // A light at 25 widens the span: the window reaches 20 .. 30 and then wraps.
  FlareLight({0, 0, 100}, 25);
  environment_->AdvanceFlareWindow();
  environment_->AdvanceFlareWindow();
  EXPECT_EQ(environment_->FlareWindow[0], 20u);
  environment_->AdvanceFlareWindow();
  EXPECT_EQ(environment_->FlareWindow[0], 0u);
}

TEST_F(EnvironmentFrame, FlaresFadeInWhileSeenAndOutWhenHidden) {
  const int lamp = FlareLight({0, 0, 500});
  LightRecord& r = *lights_->GetLight(lamp);
  environment_->AdvanceFlareWindow();  // lamp 0 in the window [0, 10)
  // Frame by frame (0.1 s of real time: 0.4 of fade): where the lamp is, whether
  // the window advances before the frame, and the fade and flare after it.
  struct Step {
    float z;
    bool advance;
    bool seen;
    float fade;
    bool flare;
  };
  const Step steps[] = {
      {500, false, true, 0.4f, true},   // seen: the fade starts from 0 (a flare of black)
      {500, true, true, 0.8f, true},
      {500, true, true, 1.0f, true},    // held at 1
      {500, true, true, 1.0f, true},
      {-500, true, true, 1.0f, true},   // behind the camera, but the parity does not match: not tested
      {-500, true, false, 0.6f, true},  // tested on the matching frame: hidden, fading
      {-500, true, false, 0.2f, true},
      {-500, true, false, 0.0f, true},  // held at 0
      {-500, true, false, 0.0f, false}, // faded out: no flare
  };
  int n = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(n++);
    if (s.advance) environment_->AdvanceFlareWindow();
    lights_->SetPosition(lamp, {0, 0, s.z});
    queue_.Clear();
    Lit(lamp);
    const float before = r.FlareFade[0];
    environment_->UpdateFlares({0, 0, 0}, 0);
    EXPECT_EQ((r.Flags & kLightFlareVisible0) != 0, s.seen);
    EXPECT_NEAR(r.FlareFade[0], s.fade, 1e-5f);
    const std::vector<QueuedGlow> glows = Glows();
    ASSERT_EQ(glows.size(), s.flare ? 1u : 0u);
    if (s.flare) {
      // The colour is the light's scaled by the fade it had when queued.
      const float shown = s.seen && n == 1 ? 0.0f : before;
      EXPECT_EQ((glows[0].item->Colour >> 24) & 0xFF, 127u) << "the light's alpha";
      EXPECT_NEAR(static_cast<float>((glows[0].item->Colour >> 16) & 0xFF) / 255.0f,
                  shown * Dimming(queue_.BucketOf(glows[0].item->Position)), 1.0f / 255.0f + 1e-4f);
      EXPECT_FLOAT_EQ(glows[0].item->Radius, 20.0f * 4.0f);
    }
  }
  // Other views keep their own bit and fade.
  EXPECT_FLOAT_EQ(r.FlareFade[1], 1.0f);
  EXPECT_EQ(r.Flags & (kLightFlareVisible0 << 1), 0u);
}

TEST_F(EnvironmentFrame, FlaresNeedTheMaterialALitLightAndASeenPoint) {
  const int lamp = FlareLight({0, 0, 400});
  LightRecord& r = *lights_->GetLight(lamp);
  environment_->AdvanceFlareWindow();
  r.FlareFade[0] = r.FlareFade[2] = 0.0f;
  struct Case {
    const char* what;
    bool material;
    bool lit;
    DWORD clear;  // flags taken off the light
    int view;
    bool seen;
  };
  const Case cases[] = {
      {"no flare material", false, true, 0, 0, false},
      {"not enabled this frame", true, false, 0, 0, false},
      {"no flare flag", true, true, kLightHasFlare, 0, false},
      {"switched off", true, true, kLightSwitchedOn, 0, false},
      {"seen in view 2, its own bit", true, true, 0, 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const DWORD flags = r.Flags;
    r.Flags &= ~c.clear;
    environment_->SetFlareMaterial(c.material ? sheet_.get() : nullptr);
    queue_.Clear();
    if (c.lit) Lit(lamp);
    else r.FrameStamp = CLightTable::FrameNumber - 1;
    environment_->UpdateFlares({0, 0, 0}, c.view);
    const DWORD bit = kLightFlareVisible0 << c.view;
    EXPECT_EQ((r.Flags & bit) != 0, c.seen);
    EXPECT_EQ(Glows().size(), c.seen ? 1u : 0u);
    r.Flags = flags & ~(kLightFlareVisible0 << 2);
  }
  EXPECT_EQ(r.Flags & kLightFlareVisible0, 0u) << "view 0 never tested the light as seen";
}

TEST_F(EnvironmentFrame, TransparentPassStatesAroundTheQueue) {
  const CVector3 points[3] = {{-100, -100, 300}, {-100, 100, 300}, {100, 100, 300}};
  const FlatPolygon polygon{3, points};
  ASSERT_TRUE(environment_->QueueDepthItem(&polygon, {0, 0, 300}, 0xFFFFFFFFu));
  s_Render->SetLighting(1);
  s_Render->SetZWrite(1);
  s_Render->SetBlendMode(3);
  s_Render->SetSpecular(1);
  const std::uint32_t frame = CLightTable::FrameNumber;
  D3D8TestRecordCalls(g_Device, true);
  environment_->DrawTransparent();
  D3D8TestRecordCalls(g_Device, false);
  // The watched states and the queue's draw, in the order they reach the device.
  std::vector<std::string> seen;
  for (const D3D8Call& c : D3D8TestCalls(g_Device)) {
    if (c.method == "DrawPrimitiveUP") seen.push_back("draw");
    if (c.method != "SetRenderState") continue;
    const auto state = static_cast<D3DRENDERSTATETYPE>(c.args[0]);
    const std::string value = std::to_string(c.args[1]);
    if (state == D3DRS_LIGHTING) seen.push_back("lighting " + value);
    if (state == D3DRS_ZWRITEENABLE) seen.push_back("zwrite " + value);
    if (state == D3DRS_SPECULARENABLE) seen.push_back("specular " + value);
  }
  const std::vector<std::string> expected = {"lighting 0", "zwrite 0", "specular 0", "draw", "specular 1", "zwrite 1"};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(s_Render->GetZWrite(), 1u);
  EXPECT_EQ(s_Render->GetSpecular(), 1u);
  EXPECT_EQ(CLightTable::FrameNumber, frame + 1) << "the render frame counter";
  // With specular off before, it stays off.
  s_Render->SetSpecular(0);
  environment_->DrawTransparent();
  EXPECT_EQ(s_Render->GetSpecular(), 0u);
}

}  // namespace
