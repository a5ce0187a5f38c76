// The glass reader in the level loader's section table: installed, it gives
// the environment being loaded a glass set with its shard pool and fills
// it; the set goes with the environment.
#include "world/glass/glass_section.h"

#include <gtest/gtest.h>

#include <string>

#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "world/environment/env_file_sections.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/glass/glass_fixture.h"
#include "world/glass/glazier.h"

namespace {

class GlassSectionReader : public ::testing::Test {
 protected:
  void SetUp() override { InstallGlassSectionReader(); }
  void TearDown() override { SetEnvSectionReader(ENVSECTION_GLASS, nullptr); }

  bool Read(CEnvironment* environment, const std::string& text, std::string* next) {
    const std::string all = text + " NEXT";
    EnvTextCursor cursor(all.c_str());
    EnvSectionContext context;
    context.environment = environment;
    context.version = kGlassVersionCurrent;
    const bool ok = GetEnvSectionReader(ENVSECTION_GLASS)(cursor, context);
    char word[64];
    *next = cursor.Token(word) ? word : "<end>";
    return ok;
  }

  CTextureManager textures_;
  CMaterialList materials_;
};

TEST_F(GlassSectionReader, TheLoadedEnvironmentGetsAGlassSetWithItsShardPool) {
  ASSERT_NE(GetEnvSectionReader(ENVSECTION_GLASS), GetDefaultEnvSectionReader(ENVSECTION_GLASS));
  auto* env = new CEnvironment(nullptr, &textures_, &materials_, nullptr, nullptr, nullptr, nullptr, nullptr);
  std::string next;
  ASSERT_TRUE(Read(env, glass_fixture::SectionText({glass_fixture::Window(), glass_fixture::Triangle()}), &next));
  EXPECT_EQ(next, "NEXT");
  ASSERT_NE(env->Glass, nullptr);
  EXPECT_EQ(g_Glazier, env->Glass);
  EXPECT_EQ(env->Glass->GetShardCount(), kGlassLevelShards);
  EXPECT_TRUE(env->Glass->HasShards());
  EXPECT_EQ(env->Glass->GetPaneCount(), 2);
  // The pane's material comes from the environment's list.
  EXPECT_EQ(env->Glass->GetPane(0)->Material, materials_.GetByIndex(1));
  env->Glass->Shatter(0, kGlassSideFront, nullptr);
  EXPECT_EQ(env->Glass->LiveShards(), 4);
  delete env;
  EXPECT_EQ(g_Glazier, nullptr);
}

TEST_F(GlassSectionReader, ADamagedSectionFailsAndWithoutAnEnvironmentIsReadPast) {
  auto* env = new CEnvironment(nullptr, &textures_, &materials_, nullptr, nullptr, nullptr, nullptr, nullptr);
  std::string next;
  EXPECT_FALSE(Read(env, "<GLAZIER> <PANE> 1 2 3 </PANE> </GLAZIER>", &next));
  ASSERT_NE(env->Glass, nullptr);
  EXPECT_EQ(env->Glass->GetPaneCount(), 0);
  delete env;

  EXPECT_TRUE(Read(nullptr, glass_fixture::SectionText({glass_fixture::Window()}), &next));
  EXPECT_EQ(next, "NEXT");
  EXPECT_EQ(g_Glazier, nullptr);
}

}  // namespace
