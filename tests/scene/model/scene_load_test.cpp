#include <gtest/gtest.h>

#include <string>

#include "foundation/file_test_fixture.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "scene/model/model_source_fixture.h"
#include "scene/model/scene.h"

namespace {

using model_fixture::SampleScene;
using model_fixture::WriteModelText;

class SceneLoadTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    Start();
  }
  // A scene bound to the test's libraries.
  CScene Bound() {
    CScene s;
    s.Textures = &textures_;
    s.Materials = &materials_;
    return s;
  }
  CTextureManager textures_;
  CMaterialList materials_;
};

// The maps become texture slots after the library's texture 0; the
// materials become material slots after its material 0, made from the
// diffuse colour and alpha, the second colour, the power and the third
// colour.  A face's material picks both slots.
TEST_F(SceneLoadTest, LoadResolvesTexturesAndMaterialsThroughTheLibraries) {
  Write("models/Panel.mdl", WriteModelText(SampleScene(15)));
  // Maps are found through the search folders (the scene manager loads a
  // list's scenes from inside their folders), here the working folder.
  Write("panel.tga", "picture");
  Write("tab.png", "picture");
  CScene s = Bound();
  ASSERT_EQ(s.Load("models/Panel.mdl", CScene::kAnyType, 0), 1) << s.Error;
  EXPECT_STREQ(s.Name, "models/Panel.mdl");
  ASSERT_EQ(s.ObjectCount(), 2);
  ASSERT_EQ(s.TextureSlots.size(), 3u);
  EXPECT_EQ(s.TextureSlots[0], textures_.GetTextureByIndex(0));
  ASSERT_NE(s.TextureSlots[1], nullptr);
  EXPECT_STREQ(s.TextureSlots[1]->Name, "panel");
  EXPECT_STREQ(s.TextureSlots[2]->Name, "tab");
  EXPECT_EQ(textures_.Count, 3);

  ASSERT_EQ(s.MaterialSlots.size(), 3u);
  EXPECT_EQ(s.MaterialSlots[0], materials_.GetByIndex(0));
  const CMaterial* a = s.MaterialSlots[1];
  EXPECT_FLOAT_EQ(a->Diffuse[0], 1.0f);
  EXPECT_FLOAT_EQ(a->Diffuse[3], 0.75f);
  EXPECT_FLOAT_EQ(a->Specular[1], 0.5f);
  EXPECT_FLOAT_EQ(a->Specular[3], 1.0f);
  EXPECT_FLOAT_EQ(a->Power, 1200.0f);
  EXPECT_FLOAT_EQ(a->Emissive[2], 0.3f);
  EXPECT_FLOAT_EQ(a->Emissive[3], 1.0f);
  const CMaterial* b = s.MaterialSlots[2];
  EXPECT_FLOAT_EQ(b->Diffuse[1], 0.5f);
  EXPECT_FLOAT_EQ(b->Power, 0.0f);

  // Material 0 uses map 0; material 1 has no map; no material means the defaults.
  EXPECT_EQ(s.TextureSlot(0), s.TextureSlots[1]);
  EXPECT_EQ(s.MaterialSlot(0), s.MaterialSlots[1]);
  EXPECT_EQ(s.TextureSlot(1), s.TextureSlots[0]);
  EXPECT_EQ(s.MaterialSlot(1), s.MaterialSlots[2]);
  EXPECT_EQ(s.TextureSlot(-1), s.TextureSlots[0]);
  EXPECT_EQ(s.MaterialSlot(-1), s.MaterialSlots[0]);
  EXPECT_EQ(s.MaterialSlot(7), s.MaterialSlots[0]);

  // The same materials again are found, not added.
  const int count = materials_.Count;
  CScene again = Bound();
  ASSERT_EQ(again.Load("models/Panel.mdl", CScene::kAnyType, 0), 1) << again.Error;
  EXPECT_EQ(materials_.Count, count);
  EXPECT_EQ(again.MaterialSlots[1], a);
  EXPECT_TRUE(boxes_.empty());
  again.Free();
  EXPECT_EQ(again.ObjectCount(), 0);
  EXPECT_TRUE(again.TextureSlots.empty());
  EXPECT_STREQ(again.Name, "models/Panel.mdl");
}

// A map without a picture fails the whole scene with the message naming the
// scene; an empty map name is replaced by "Checker", which must load too.
TEST_F(SceneLoadTest, AMapThatDoesNotLoadFailsTheScene) {
  Write("Panel.mdl", WriteModelText(SampleScene(15)));
  Write("panel.tga", "picture");
  CScene s = Bound();
  EXPECT_EQ(s.Load("Panel.mdl", CScene::kAnyType, 0), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "Error");
  EXPECT_EQ(boxes_[0].text, "Unable to load model.\nBad texture file.\n\"Panel.mdl\"\n");
  EXPECT_NE(s.Error.find("tab.tga"), std::string::npos) << s.Error;
  EXPECT_EQ(s.ObjectCount(), 0);
  EXPECT_TRUE(s.TextureSlots.empty());
  EXPECT_EQ(textures_.FindByName("tab"), nullptr);

  CScene empty = SampleScene(15);
  empty.Maps[1] = "";
  Write("Empty.mdl", WriteModelText(empty));
  boxes_.clear();
  EXPECT_EQ(s.Load("Empty.mdl", CScene::kAnyType, 0), 0);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0].caption, "");
  EXPECT_EQ(boxes_[1].text, "Unable to load model.\nBad texture file.\n\"Empty.mdl\"\n");
  Write("Checker.bmp", "picture");
  boxes_.clear();
  ASSERT_EQ(s.Load("Empty.mdl", CScene::kAnyType, 0), 1) << s.Error;
  EXPECT_STREQ(s.TextureSlots[2]->Name, "Checker");
  EXPECT_EQ(boxes_.size(), 1u);
}

TEST_F(SceneLoadTest, MissingFilesAndHeadersAreReported) {
  CScene s = Bound();
  EXPECT_EQ(s.Load("Nothing.mdl", CScene::kAnyType, 0), 0);
  EXPECT_EQ(s.Load(nullptr, CScene::kAnyType, 0), 0);

  CScene old = SampleScene(3);
  Write("Old.mdl", WriteModelText(old));
  CScene typed = SampleScene(13);
  typed.Type = 4;
  Write("Typed.mdl", WriteModelText(typed));
  Write("Cut.mdl", "Version 13 Exporter");
  int version = -1, type = -1;
  ASSERT_EQ(CScene::ReadHeader("Old.mdl", &version, &type), 1);
  EXPECT_EQ(version, 3);
  EXPECT_EQ(type, 0);
  ASSERT_EQ(CScene::ReadHeader("Typed.mdl", &version, &type), 1);
  EXPECT_EQ(version, 13);
  EXPECT_EQ(type, 4);
  EXPECT_EQ(CScene::ReadHeader("Cut.mdl", &version, &type), 0);
  EXPECT_EQ(CScene::ReadHeader("Nothing.mdl", &version, &type), 0);
  EXPECT_EQ(version, 13);
}

}  // namespace
