// The mesh renderer's light colour override on the real device: a lit quad
// read back in pixels is tinted while the override is set and as before once
// it is reset, with and without a material of its own.
#include <gtest/gtest.h>

#include "render/textures/material_list.h"
#include "scene/mesh/light_colour_override.h"
#include "scene/scene_draw_fixture.h"

namespace {

class LightOverride : public DrawScene {
 protected:
  void SetUp() override {
    DrawScene::SetUp();
    MakeQuadPart(part_, 100.0f, 0.0f);
    CMatrix world;
    world.SetIdentity();
    world.SetTranslationXYZ(0.0f, 0.0f, 200.0f);
    s_Render->SetWorldMatrix(world);
    white_ = Texture(0xFFFFFFFF, false);
    part_.Texture = white_.get();
  }
  void TearDown() override {
    ResetMeshLightColourOverride();
    part_.Texture = nullptr;
    part_.Material = nullptr;
    DrawScene::TearDown();
  }
  // The quad lit by a white ambient light only, read at the screen centre.
  D3DCOLOR DrawLit() {
    ClearScreen(0xFF000000);
    s_Render->BeginScene();
    s_Render->SetZEnable(0);
    s_Render->SetLighting(1);
    s_Render->SetAmbient(0xFFFFFFFF);
    part_.DrawDirect(nullptr, nullptr);
    s_Render->SetLighting(0);
    s_Render->SetAmbient(0);
    s_Render->EndScene();
    s_Render->SetZEnable(1);
    return Centre();
  }

  CVertexBuffer part_;
  std::unique_ptr<CTexture> white_;
};

TEST_F(LightOverride, AGreenOverrideTintsTheLitQuadAndResetRestoresIt) {
  CMaterial material;
  for (int i = 0; i < 3; ++i) material.Diffuse[i] = 0.8f;
  material.Diffuse[3] = 1.0f;
  ASSERT_EQ(material.BuildDeviceMaterial(), 1);
  material.DeviceMaterial->Ambient = {0.8f, 0.8f, 0.8f, 1.0f};
  part_.Material = &material;
  const D3DCOLOR before = DrawLit();
  ASSERT_GT(Channel(before, 16), 150);
  ASSERT_NEAR(Channel(before, 16), Channel(before, 8), 2);

  SetMeshLightColourOverride(0.0f, 0.5f, 0.0f, 1.0f);
  float colour[4] = {};
  EXPECT_TRUE(GetMeshLightColourOverride(colour));
  EXPECT_EQ(colour[1], 0.5f);
  const D3DCOLOR tinted = DrawLit();
  EXPECT_LE(Channel(tinted, 16), 2) << std::hex << tinted;
  EXPECT_LE(Channel(tinted, 0), 2) << std::hex << tinted;
  EXPECT_NEAR(Channel(tinted, 8), Channel(before, 8) / 2, 3) << std::hex << tinted;
  EXPECT_EQ(Channel(before, 8), 255) << "lit white by the white ambient light";

  ResetMeshLightColourOverride();
  EXPECT_FALSE(GetMeshLightColourOverride(nullptr));
  EXPECT_EQ(DrawLit(), before);
  // The part's own material was never changed.
  EXPECT_EQ(material.DeviceMaterial->Diffuse.g, 0.8f);
}

TEST_F(LightOverride, APartWithoutAMaterialIsTintedAndThenGivenTheDefaultBack) {
  part_.Material = nullptr;
  s_Render->ApplyDefaultMaterial();
  const D3DCOLOR before = DrawLit();
  SetMeshLightColourOverride(0.0f, 0.5f, 0.0f, 1.0f);
  const D3DCOLOR tinted = DrawLit();
  EXPECT_LE(Channel(tinted, 16), 2) << std::hex << tinted;
  EXPECT_NEAR(Channel(tinted, 8), 128, 3) << std::hex << tinted;
  ResetMeshLightColourOverride();
  EXPECT_EQ(DrawLit(), before) << "the tinted stand-in material must not outlive the override";
}

}  // namespace
