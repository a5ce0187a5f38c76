// Vertex-animated meshes through the transparent queue: a mesh whose texture
// has alpha becomes a kind-11 item where its world matrix puts it, and the
// queue draws such items far to near whatever the order they were queued
// in; read back in pixels.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "scene/scene_draw_fixture.h"
#include "scene/vertex_anim/vertex_anim.h"

namespace {

class VertexAnimQueue : public DrawScene {
 protected:
  void SetUp() override {
    DrawScene::SetUp();
    CVertexAnim engine(s_Render, nullptr, nullptr, nullptr, &queue_);
  }
  void TearDown() override {
    CVertexAnim engine(nullptr, nullptr, nullptr, nullptr, nullptr);
    DrawScene::TearDown();
  }

  // One square mesh of half size s facing the camera, one frame, white.
  static void Square(CVertexAnim& anim, float s, CTexture* texture) {
    auto* mesh = new CVertexAnimMesh;
    mesh->FrameCount = 1;
    mesh->VertexCount = 4;
    mesh->BaseFrame = {{-s, -s, 0, 0, 0, -1, 0xFFFFFFFF, 0, 1},
                       {-s, s, 0, 0, 0, -1, 0xFFFFFFFF, 0, 0},
                       {s, s, 0, 0, 0, -1, 0xFFFFFFFF, 1, 0},
                       {s, -s, 0, 0, 0, -1, 0xFFFFFFFF, 1, 1}};
    mesh->Work = mesh->BaseFrame;
    mesh->ListIndices = {0, 1, 2, 0, 2, 3};
    mesh->ListIndexCount = 6;
    mesh->Texture = texture;
    anim.Meshes = mesh;
    anim.MeshCount = 1;
    anim.FrameCount = 1;
  }
  static void At(float z) {
    CMatrix world;
    world.SetIdentity();
    world.SetTranslationXYZ(0.0f, 0.0f, z);
    s_Render->SetWorldMatrix(world);
  }
};

TEST_F(VertexAnimQueue, ATransparentMeshBecomesAnItemWhereItsWorldMatrixPutsIt) {
  const auto texture = Texture(0x80FF0000, true);
  CVertexAnim anim;
  Square(anim, 100.0f, texture.get());
  queue_.Clear();
  At(250.0f);
  anim.Draw(2.0f, 7, nullptr);
  ASSERT_NE(queue_.Buckets[250], nullptr);
  const auto* item = static_cast<const VertexAnimItem*>(queue_.Buckets[250]);
  EXPECT_EQ(item->Kind, DSK_VERTEX_ANIM);
  EXPECT_EQ(item->Mesh, anim.Meshes);
  EXPECT_EQ(item->Frame, 2.0f);
  EXPECT_EQ(item->Argument, 7);
  EXPECT_EQ(item->World.m[3][2], 250.0f);
  EXPECT_EQ(anim.Meshes->LastFrameDrawn, -1.0f) << "not drawn yet";
  // Beyond the far distance: the last bucket.
  At(5000.0f);
  anim.Draw(0.0f, 0, nullptr);
  EXPECT_NE(queue_.Buckets[999], nullptr);
}

TEST_F(VertexAnimQueue, QueuedMeshesDrawFarToNear) {
  // Red near, blue far, each at half alpha over black: far to near gives
  // blue, then red over it.
  const auto red = Texture(0x80FF0000, true);
  const auto blue = Texture(0x800000FF, true);
  CVertexAnim nearAnim, farAnim;
  Square(nearAnim, 1000.0f, red.get());
  Square(farAnim, 1000.0f, blue.get());
  for (const bool nearFirst : {true, false}) {
    SCOPED_TRACE(nearFirst ? "near queued first" : "far queued first");
    queue_.Clear();
    for (int k = 0; k < 2; ++k) {
      const bool nearNow = (k == 0) == nearFirst;
      At(nearNow ? 100.0f : 300.0f);
      (nearNow ? nearAnim : farAnim).Draw(0.0f, 0, nullptr);
    }
    ClearScreen(0xFF000000);
    s_Render->BeginScene();
    queue_.Draw();
    s_Render->EndScene();
    const D3DCOLOR c = Centre();
    EXPECT_NEAR(Channel(c, 16), 128, 4);
    EXPECT_NEAR(Channel(c, 0), 64, 4);
  }
}

}  // namespace
