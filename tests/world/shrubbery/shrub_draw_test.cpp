// Shrubs drawn by the transparent queue on the device: the shrub's world
// matrix and the tinted, faded mesh draw.
#include <gtest/gtest.h>

#include <cstring>

#include "scene/mesh/vbuffer_object.h"
#include "scene/scene_draw_fixture.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/shrubbery/shrub_variants.h"
#include "world/shrubbery/shrubbery.h"
#include "world/shrubbery/shrubbery_section.h"

namespace {

class ShrubDrawTest : public DrawScene {
 protected:
  void TearDown() override {
    mesh_.FirstPart = nullptr;
    templ_.Mesh = nullptr;
    part_.Texture = nullptr;
    ShrubberyClearVariants();
    DrawScene::TearDown();
  }
  std::vector<std::uint64_t> TextureFactors() const {
    std::vector<std::uint64_t> v;
    for (const D3D8Call& c : Calls("SetRenderState"))
      if (c.args[0] == static_cast<std::uint64_t>(D3DRS_TEXTUREFACTOR)) v.push_back(c.args[1]);
    return v;
  }

  CVertexBuffer part_;
  CVBufferObject mesh_;
  CEnvObject templ_;
};

}  // namespace

TEST_F(ShrubDrawTest, TheQueueDrawsEachShrubTintedAndFaded) {
  MakeQuadPart(part_, 20.0f, 0.0f);
  const auto texture = Texture(0xFF40C040, true);
  part_.Texture = texture.get();
  mesh_.FirstPart = &part_;
  mesh_.PartCount = 1;
  templ_.Mesh = &mesh_;

  CShrubbery shrubbery;  // no environment: the engine's queue
  shrubbery.SetDensity(1.0f);
  ShrubberySectionData data;
  ShrubFileRecord near, far;
  near.Position = {0.0f, 0.0f, 200.0f};
  near.AngleY = 30.0f;
  near.Flags = 0;
  far.Position = {0.0f, 0.0f, 800.0f};  // past half the far distance: not queued
  data.Gardens.push_back({near, far});
  ShrubberyMakeVariants();
  shrubbery.Apply(data, nullptr);
  const Garden* garden = shrubbery.GetGarden(0);
  ASSERT_EQ(garden->Count, 2);
  garden->Shrubs[0].Template = &templ_;
  garden->Shrubs[1].Template = &templ_;

  InstallShrubDraw(&queue_);
  CEnvInstance owner;
  owner.GardenIndex = 0;
  queue_.Clear();
  shrubbery.QueueGarden(&owner);
  Record();
  queue_.Draw();
  EXPECT_EQ(Calls("DrawIndexedPrimitive").size(), 1u);
  // Render mode 24 with the variant's tint and the fade as alpha.
  const float fade = 1.0f - static_cast<float>(queue_.BucketOf(near.Position)) / 500.0f;
  const auto factors = TextureFactors();
  ASSERT_FALSE(factors.empty());
  EXPECT_EQ(factors.back(), ShrubDrawColour(garden->Shrubs[0], fade));
  EXPECT_EQ(factors.back() >> 24, static_cast<std::uint64_t>(fade * 255.0f));
  // The shrub's own matrix is the world transform of the draw.
  CMatrix expected;
  ShrubWorldMatrix(garden->Shrubs[0], &expected);
  bool found = false;
  for (const D3D8Call& c : Calls("SetTransform")) {
    if (c.args[0] != static_cast<std::uint64_t>(D3DTS_WORLD) || c.data.size() < sizeof(float) * 16) continue;
    float m[16];
    std::memcpy(m, c.data.data(), sizeof m);
    found = std::memcmp(m, expected.m, sizeof m) == 0;
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(s_Render->GetBlendMode(), 24);
}

TEST_F(ShrubDrawTest, ShrubsWithoutATemplateDrawNothing) {
  Shrub shrub;
  Record();
  ShrubDraw(&shrub, 1.0f);
  ShrubDraw(nullptr, 1.0f);
  EXPECT_TRUE(Calls("DrawIndexedPrimitive").empty());
}
