// Drawing the world from a camera: an instance of a quad template is lit by
// the point light that reaches it and not by one that does not; its
// transparent twin goes through the queue; the camera path looks at the
// middle of the world.
#include <gtest/gtest.h>

#include <cmath>

#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/scene_draw_fixture.h"
#include "scene/view/world_view.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"

namespace {

class WorldView : public DrawScene {
 protected:
  void SetUp() override {
    DrawScene::SetUp();
    environment_ = std::make_unique<CEnvironment>(nullptr, &textures_, &materials_, nullptr, nullptr, nullptr,
                                                  nullptr, nullptr);
    camera_->SetView({0, 0, 0}, {0, 0, 0});
  }
  void TearDown() override {
    environment_.reset();
    DrawScene::TearDown();
  }
  // A template whose mesh is one quad facing the camera, textured with t.
  void MakeTemplate(CEnvObject* node, CTexture* t) {
    auto* mesh = new CVBufferObject;
    auto* part = new CVertexBuffer;
    MakeQuadPart(*part, 100.0f, 0.0f);
    part->Texture = t;
    mesh->FirstPart = part;
    mesh->PartCount = 1;
    node->TemplateKind = OTYPE_ENV;
    node->Mesh = mesh;
    node->Sphere.Radius = 150.0f;
    node->Bounds.Min = CVector3{-100, -100, 0};
    node->Bounds.Max = CVector3{100, 100, 0};
  }

  CTextureManager textures_;
  CMaterialList materials_;
  std::unique_ptr<CEnvironment> environment_;
};

TEST_F(WorldView, InstancesAreLitByTheLightsThatReachThem) {
  const auto white = Texture(0xFFFFFFFF, false);
  CEnvObject node;
  MakeTemplate(&node, white.get());
  CEnvInstance* quad = environment_->CreateInstance("Quad", &node, {0, 0, 400}, {0, 0, 0}, nullptr, 0, 0);
  ASSERT_NE(quad, nullptr);
  CLightTable lights(8);
  const int lamp = lights.CreatePointLight({0, 0, 300}, CColour{1, 0.5f, 0, 1}, CColour{0, 0, 0, 1}, 200.0f, "lamp", 255);
  lights.SetAttenuation(lamp, 1.0f, 0.0f, 0.0f);
  const int far = lights.CreatePointLight({0, 0, 3000}, CColour{0, 0, 1, 1}, CColour{0, 0, 0, 1}, 200.0f, "far", 255);
  lights.SetAttenuation(far, 1.0f, 0.0f, 0.0f);
  ClearScreen(0xFF000000);
  s_Render->BeginScene();
  const WorldViewStats stats = DrawWorldView(environment_.get(), camera_.get(), &lights, &queue_);
  s_Render->EndScene();
  EXPECT_EQ(stats.instances, 1u);
  EXPECT_EQ(stats.lit, 1u);
  ASSERT_EQ(quad->GetActiveLightCount(), 1) << "only the lamp reaches the quad";
  EXPECT_EQ(quad->GetActiveLight(0), lamp);
  // Lit per vertex: each corner sees the lamp 100 in front at cos = 100 / 173,
  // plus the view's ambient level 0x20.
  const D3DCOLOR c = Centre();
  const float lit = 255.0f * 100.0f / std::sqrt(3.0f * 100.0f * 100.0f);
  EXPECT_NEAR(Channel(c, 16), 32 + lit, 4) << "lit red by the lamp in front of it";
  EXPECT_NEAR(Channel(c, 8), 32 + lit * 0.5f, 4);
  EXPECT_NEAR(Channel(c, 0), 32, 4) << "the far blue light does not reach it";

  // With no light in reach the instance is drawn unlit, in its texture's colour.
  lights.SetPosition(lamp, {0, 0, -1000});
  ClearScreen(0xFF000000);
  s_Render->BeginScene();
  const WorldViewStats dark = DrawWorldView(environment_.get(), camera_.get(), &lights, &queue_);
  s_Render->EndScene();
  EXPECT_EQ(dark.lit, 0u);
  EXPECT_EQ(quad->GetActiveLightCount(), 0);
  EXPECT_EQ(Centre() & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(WorldView, TransparentInstancesGoThroughTheQueue) {
  const auto glass = Texture(0x80FF0000, true);
  CEnvObject node;
  MakeTemplate(&node, glass.get());
  ASSERT_NE(environment_->CreateInstance("Glass", &node, {0, 0, 400}, {0, 0, 0}, nullptr, 0, 0), nullptr);
  ClearScreen(0xFF0000FF);
  s_Render->BeginScene();
  const WorldViewStats stats = DrawWorldView(environment_.get(), camera_.get(), nullptr, &queue_);
  s_Render->EndScene();
  EXPECT_EQ(stats.queued, 1u);
  const D3DCOLOR c = Centre();
  EXPECT_NEAR(Channel(c, 16), 128, 4) << "half red over blue";
  EXPECT_NEAR(Channel(c, 0), 127, 4);
}

TEST_F(WorldView, TheCameraPathLooksAtTheMiddleOfTheWorld) {
  float* b = environment_->WorldBounds;
  b[0] = -2000, b[1] = 0, b[2] = -1000, b[3] = 2000, b[4] = 500, b[5] = 3000;
  const CVector3 middle{0, 0, 1000};
  for (const float t : {0.0f, 7.5f, 15.0f, 33.0f}) {
    CVector3 position{}, angles{};
    WorldViewCameraPath(*environment_, t, &position, &angles);
    EXPECT_NEAR(position.y, 400.0f, 1e-3f);
    EXPECT_NEAR(std::hypot(position.x - middle.x, position.z - middle.z), 1800.0f, 0.5f);
    const CVector3 forward = LightDirectionFromAngles(angles);
    const float dx = middle.x - position.x, dy = middle.y - position.y, dz = middle.z - position.z;
    const float len = std::sqrt(dx * dx + dy * dy + dz * dz);
    EXPECT_NEAR(forward.x, dx / len, 1e-4f) << t;
    EXPECT_NEAR(forward.y, dy / len, 1e-4f) << t;
    EXPECT_NEAR(forward.z, dz / len, 1e-4f) << t;
    // And the camera agrees.
    camera_->SetView(position, angles);
    EXPECT_NEAR(camera_->GetForward().x, forward.x, 1e-4f);
    EXPECT_NEAR(camera_->GetForward().y, forward.y, 1e-4f);
  }
}

}  // namespace
