// World objects' world over a loaded level: templates, visuals, ground and
// bounds answered by the real environment and its queries.
#include "world/objects/environment_hlo_world.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/file_test_fixture.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "world/environment/env_file.h"
#include "world/environment/env_file_fixture.h"
#include "world/environment/env_file_writer.h"
#include "world/environment/env_object.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"

namespace {

class EnvironmentHLOWorldTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    Start();
    ASSERT_TRUE(env_file_fixture::WriteTemplates());
    env_ = new CEnvironment(nullptr, &textures_, &materials_, nullptr, nullptr, nullptr, nullptr, nullptr);
    // A landscape tile (a 20 x 20 floor) 50 up, and a block on it.
    EnvFileSource level;
    EnvFileInstanceSource ground;
    ground.name = "Ground";
    ground.object = "Tile";
    ground.position = {0, 50, 0};
    EnvFileInstanceSource block;
    block.name = "Block1";
    block.object = "Block";
    block.parent = "Ground";
    block.position = {100, 0, 0};
    level.instances = {ground, block};
    text_ = EnvFileWrite(level);
    EnvTextCursor cursor(text_.c_str());
    ASSERT_EQ(EnvFileLoadEnvironment(env_, cursor, nullptr, nullptr), 1);
    InstallEnvironmentHLOWorld(env_);
  }
  void TearDown() override {
    SetHLOWorld(nullptr);
    delete env_;
    FileTest::TearDown();
  }
  CTextureManager textures_;
  CMaterialList materials_;
  CEnvironment* env_ = nullptr;
  std::string text_;
};

TEST_F(EnvironmentHLOWorldTest, GroundComesFromTheWorldQueries) {
  HLOWorld* world = GetHLOWorld();
  ASSERT_NE(world, nullptr);
  CEnvInstance* ground = env_->FindInstanceByName("Ground");
  HLOGroundHit hit;
  ASSERT_TRUE(world->ProbeDown(2, 3, &hit));
  EXPECT_NEAR(hit.point.y, 50.0f, 1e-3f);
  EXPECT_EQ(hit.instance, ground);
  EXPECT_FALSE(world->ProbeDown(500, 500, &hit)) << "nothing stands there";

  ASSERT_TRUE(world->FindGround({1, 60, 1}, &hit));
  EXPECT_NEAR(hit.point.y, 50.0f, 1e-3f);
  EXPECT_EQ(hit.instance, ground);

  EXPECT_TRUE(world->FindGroundBelow({0, 80, 0}, 40, &hit));
  EXPECT_NEAR(hit.point.y, 50.0f, 1e-3f);
  EXPECT_FALSE(world->FindGroundBelow({0, 80, 0}, 20, &hit)) << "the floor lies 30 below";
  EXPECT_EQ(world->FirstLandscapeInstance(), ground);
}

TEST_F(EnvironmentHLOWorldTest, TemplatesInstancesAndSettings) {
  HLOWorld* world = GetHLOWorld();
  CEnvObject* block = world->LoadObject(-1, "Block");
  EXPECT_EQ(block, env_->FindObjectByName("Block")) << "a loaded template is found, not loaded again";
  CEnvObject* wave = world->LoadObject(-1, "Wave");
  ASSERT_NE(wave, nullptr);
  EXPECT_EQ(world->TemplateType(wave), OTYPE_VERTEXANIM);
  EXPECT_EQ(world->LoadObject(OTYPE_ENV, "Rig"), nullptr);

  CEnvInstance* visual = world->CreateInstance("Visual", block, false, {0, 90, 0}, {5, 6, 7}, {1, 1, 1}, INSTF_HIDDEN);
  ASSERT_NE(visual, nullptr);
  EXPECT_EQ(env_->FindInstanceByName("Visual"), visual);
  EXPECT_EQ(visual->GetLocalPosition().z, 7.0f);
  EXPECT_NE(visual->Flags & INSTF_HIDDEN, 0u);

  EXPECT_EQ(world->GetTexture(""), 0u);
  const std::uint32_t skin = world->GetTexture("skin.png");
  ASSERT_NE(textures_.FindByName("skin.png"), nullptr);
  EXPECT_EQ(skin, textures_.FindByName("skin.png")->Id);

  CVector3 min{}, max{};
  world->GetWorldBounds(&min, &max);
  EXPECT_EQ(min.x, env_->WorldBounds[0]);
  EXPECT_EQ(max.y, env_->WorldBounds[4]);
  const std::uint32_t was = world->SetInstanceLineQuery(1);
  EXPECT_EQ(world->GetInstanceLineQuery(), 1u);
  EXPECT_EQ(env_->UseZones, 1u);
  world->SetInstanceLineQuery(was);
  EXPECT_EQ(world->GameTime(), 0u) << "no game clock";
}

}  // namespace
