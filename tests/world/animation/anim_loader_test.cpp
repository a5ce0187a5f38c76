// The level loader with the animation hooks installed: a transform-animated
// template is placed as an animated object playing the animation the level
// names for it.
#include "world/animation/anim_loader_hooks.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/file_test_fixture.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "world/animation/anim_fixture.h"
#include "world/animation/anim_object.h"
#include "world/animation/prs_writer.h"
#include "world/environment/env_file.h"
#include "world/environment/env_file_fixture.h"
#include "world/environment/env_file_writer.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/environment/evo_file.h"

namespace {

class AnimLoaderTest : public FileTest {
 protected:
  void TearDown() override {
    SetEnvAnimatedInstanceMaker(nullptr);
    SetEnvPlayNamedAnim(nullptr);
    g_AnimSetManager.FreeAll();
    CAnimObject::ClearJointMap();
    FileTest::TearDown();
  }
};

TEST_F(AnimLoaderTest, AnimatedInstancesOfALevelPlayTheirNamedAnimation) {
  Start("q");
  ASSERT_TRUE(env_file_fixture::WriteTemplates());
  CTextureManager textures;
  CMaterialList materials;
  EnvLoadContext context;
  context.Textures = &textures;
  context.Materials = &materials;
  int nodes = 0;
  {
    CEnvObject* rig = EnvFileLoadObject(-1, "Rig", context, 0, 0);
    ASSERT_NE(rig, nullptr);
    for (CEnvObject* n = rig; n != nullptr; n = n->NextNode) ++nodes;
    FreeEnvObjectTemplate(rig);
  }
  AnimSet lift;
  anim_fixture::Fill(&lift, nodes, 5, 10);
  Write("lift.prs", WritePrsText(lift, {}));

  EnvFileSource level;
  EnvFileInstanceSource ground;
  ground.name = "Ground";
  ground.object = "Tile";
  ground.loadKind = 5;
  EnvFileInstanceSource crane;
  crane.keyword = "ANMI";
  crane.name = "Crane";
  crane.object = "Rig";
  crane.trailing = "lift";
  crane.position = {100, 0, 200};
  level.instances = {ground, crane};
  const std::string text = EnvFileWrite(level);

  InstallAnimationLoaderHooks();
  auto env = std::make_unique<CEnvironment>(nullptr, &textures, &materials, nullptr, nullptr, nullptr, nullptr, nullptr);
  EnvTextCursor cursor(text.c_str());
  EnvFileLoadReport report;
  ASSERT_EQ(EnvFileLoadEnvironment(env.get(), cursor, nullptr, nullptr, &report), 1) << report.failedLine;
  auto* o = dynamic_cast<CAnimObject*>(env->FindInstanceByName("Crane"));
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->GetNodeCount(), nodes);
  AnimSet* playing = o->GetChannelSet(0);
  ASSERT_NE(playing, nullptr);
  EXPECT_EQ(playing, g_AnimSetManager.GetAnimSet("lift.prs"));
  EXPECT_EQ(o->GetChannel(0).RepeatCount, kAnimRepeatLoop);
  CVector3 p;
  o->GetPosition(&p);
  EXPECT_EQ(p.x, 100.0f);
  // The ground is a plain instance.
  EXPECT_EQ(dynamic_cast<CAnimObject*>(env->FindInstanceByName("Ground")), nullptr);
}

}  // namespace
