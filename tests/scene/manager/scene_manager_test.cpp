#include "scene/manager/scene_manager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/file_test_fixture.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "scene/model/model_source_fixture.h"
#include "scene/model/scene.h"

namespace {

// A model file of the version and object type with no maps and no objects.
std::string ModelHeader(int version, int type) {
  CScene s;
  s.Version = version;
  s.Type = type;
  return model_fixture::WriteModelText(s);
}

class SceneManagerTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    Start();
  }
  CRender* render_ = reinterpret_cast<CRender*>(0x1000);
  CTextureManager textureLibrary_;
  CMaterialList materialLibrary_;
  CTextureManager* textures_ = &textureLibrary_;
  CMaterialList* materials_ = &materialLibrary_;
};

TEST_F(SceneManagerTest, AddSceneLoadsOnceByNameInAnyLetterCase) {
  Write("Tank.mdl", ModelHeader(14, 2));
  Write("Jeep.mdl", ModelHeader(14, 0));
  CSceneManager m(render_, textures_, materials_);
  CScene* tank = m.AddScene("Tank.mdl");
  ASSERT_NE(tank, nullptr);
  EXPECT_EQ(tank->Render, render_);
  EXPECT_EQ(tank->Textures, textures_);
  EXPECT_EQ(tank->Materials, materials_);
  EXPECT_EQ(m.AddScene("TANK.MDL"), tank);
  EXPECT_EQ(m.GetCount(), 1);
  ASSERT_NE(m.AddScene("Jeep.mdl"), nullptr);
  EXPECT_EQ(m.GetCount(), 2);
  EXPECT_EQ(m.FindScene("jeep.mdl"), 1);
  EXPECT_EQ(m.GetScene(0), tank);
}

TEST_F(SceneManagerTest, AFailedLoadLeavesTheListAsItWas) {
  Write("Tank.mdl", ModelHeader(14, 2));
  Write("Cut.mdl", "Version\n");
  CSceneManager m(render_, textures_, materials_);
  CScene* tank = m.AddScene("Tank.mdl");
  EXPECT_EQ(m.AddScene("Missing.mdl"), nullptr);
  EXPECT_EQ(m.AddScene("Cut.mdl"), nullptr);
  EXPECT_EQ(m.GetCount(), 1);
  EXPECT_EQ(m.GetScene(0), tank);
  EXPECT_EQ(m.GetScene(1), nullptr);
  EXPECT_EQ(m.FindScene("Missing.mdl"), -1);
  // The list still links properly after the failures.
  Write("Jeep.mdl", ModelHeader(3, 0));
  ASSERT_NE(m.AddScene("Jeep.mdl"), nullptr);
  EXPECT_EQ(m.FindScene("Jeep.mdl"), 1);
}

TEST_F(SceneManagerTest, RemoveKeepsTheOrderAndIgnoresPositionsOutsideTheList) {
  CSceneManager m(render_, textures_, materials_);
  EXPECT_EQ(m.FindScene("A.mdl"), -1);
  EXPECT_EQ(m.GetScene(0), nullptr);
  m.RemoveScene(0);
  for (const char* n : {"A.mdl", "B.mdl", "C.mdl"}) {
    Write(n, ModelHeader(10, 1));
    ASSERT_NE(m.AddScene(n), nullptr);
  }
  for (int bad : {-1, 3, 100}) m.RemoveScene(bad);
  EXPECT_EQ(m.GetCount(), 3);
  m.RemoveScene(1);
  EXPECT_EQ(m.GetCount(), 2);
  EXPECT_EQ(m.FindScene("C.mdl"), 1);
  m.RemoveScene(1);
  m.RemoveScene(0);
  EXPECT_EQ(m.GetCount(), 0);
  ASSERT_NE(m.AddScene("B.mdl"), nullptr);  // an emptied list takes scenes again
  EXPECT_EQ(m.FindScene("b.mdl"), 0);
  m.FreeAll();
  EXPECT_EQ(m.GetCount(), 0);
  EXPECT_EQ(m.GetScene(0), nullptr);
}

TEST_F(SceneManagerTest, SceneListLoadsResolvedNamesFromTheirFoldersAndKeepsTheDirectory) {
  Write("models/Heli.mdl", ModelHeader(15, 4));
  Write("Boat.mdl", ModelHeader(12, 1));
  Write("Scenes.lst", "3\n\"models/Heli.mdl\"\nNoSuchModel.mdl\nBoat.mdl\n");
  const auto before = std::filesystem::current_path();
  CSceneManager m(render_, textures_, materials_);
  EXPECT_TRUE(m.LoadSceneList("Scenes.lst"));
  EXPECT_EQ(std::filesystem::current_path(), before);
  ASSERT_EQ(m.GetCount(), 2);
  EXPECT_NE(std::string(m.GetScene(0)->Name).find("Heli.mdl"), std::string::npos);
  EXPECT_NE(std::string(m.GetScene(1)->Name).find("Boat.mdl"), std::string::npos);

  Write("Empty.lst", "0\n");
  CSceneManager empty(render_, textures_, materials_);
  EXPECT_TRUE(empty.LoadSceneList("Empty.lst"));
  EXPECT_EQ(empty.GetCount(), 0);
  Write("Short.lst", "1000000000\nBoat.mdl\n");  // a count larger than the list
  EXPECT_TRUE(empty.LoadSceneList("Short.lst"));
  EXPECT_EQ(empty.GetCount(), 1);
  EXPECT_FALSE(empty.LoadSceneList("NoList.lst"));
}

TEST_F(SceneManagerTest, WrittenListHoldsTheCountAndQuotedNamesAndLoadsBack) {
  Write("A.mdl", ModelHeader(14, 0));
  Write("B.mdl", ModelHeader(14, 0));
  CSceneManager m(render_, textures_, materials_);
  m.AddScene("A.mdl");
  m.AddScene("B.mdl");
  ASSERT_TRUE(m.WriteSceneList("Out.lst"));
  EXPECT_BYTES_EQ(Read("Out.lst"), std::string("2\n\"A.mdl\"\r\n\"B.mdl\"\r\n"));
  CSceneManager again(render_, textures_, materials_);
  EXPECT_TRUE(again.LoadSceneList("Out.lst"));
  EXPECT_EQ(again.GetCount(), 2);
  EXPECT_FALSE(m.WriteSceneList("no/such/folder/Out.lst"));
}

// (file version, file type, wanted type) -> load answer.
TEST_F(SceneManagerTest, ObjectTypeRulesDecideTheLoad) {
  struct Case {
    int version, type, wanted, expected;
  } cases[] = {
      {14, 2, CScene::kAnyType, 1}, {14, 1, 1, 1}, {14, 1, 0, -1}, {14, 0, 1, -2}, {14, 0, 2, -3},
      {12, 2, 3, -4},               {11, 2, 3, 1}, {12, 3, 4, -5}, {12, 1, 4, 1},  {3, 7, 0, 1},  // type 0 before 4
  };
  for (const Case& c : cases) {
    Write("T.mdl", ModelHeader(c.version, c.type));
    CScene s;
    EXPECT_EQ(s.Load("T.mdl", c.wanted, 0), c.expected) << c.version << " " << c.type << " " << c.wanted;
  }
}

}  // namespace
