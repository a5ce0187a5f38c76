// Render-effects files: the blocks reach the mesh parts of the templates
// they name (all parts, or those of one texture), scoped reads apply only to
// their scope, capability gates hold, plants are given their sway, the glass
// gets its default reflection, and includes end however files name each other.
#include "world/render_effects/render_effects_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "foundation/file_test_fixture.h"
#include "foundation/text/hash.h"
#include "platform/win32/debug_output.h"
#include "platform/win32/window.h"
#include "render/device/render.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/mesh/vertex_buffer.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/glass/glass_fixture.h"
#include "world/glass/glazier.h"
#include "world/render_effects/plant_sway.h"

namespace {

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class RenderEffectsFile : public FileTest {
 protected:
  // One render device for the suite: it draws detail, reflection and dot-3 maps.
  static void SetUpTestSuite() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.lpszClassName = "HalberdRenderEffectsTest";
    RegisterClassA(&wc);
    s_window = CreateWindowExA(0, "HalberdRenderEffectsTest", "render effects", WS_OVERLAPPED, 0, 0, 640, 480,
                               nullptr, nullptr, nullptr, nullptr);
    s_render = new CRender;
    if (!s_render->Initialise(nullptr, s_window, nullptr, 1)) {
      delete s_render;
      s_render = nullptr;
    }
  }
  static void TearDownTestSuite() {
    delete s_render;
    s_render = nullptr;
    if (s_window != nullptr) DestroyWindow(s_window);
    s_window = nullptr;
  }

  void SetUp() override {
    FileTest::SetUp();
    Start();
    ASSERT_NE(s_render, nullptr);
    s_render->MakeCurrent();
    ASSERT_EQ(s_render->GetRenderOptions() & 0x7u, 0x7u) << "the test device draws every effect";
    SetDebugOutputHook([](const char* t, void* c) { *static_cast<std::string*>(c) += t; }, &log_);
    Environment(s_render);
  }
  void TearDown() override {
    delete env_;
    env_ = nullptr;
    SetDebugOutputHook(nullptr, nullptr);
    FileTest::TearDown();
  }

  // A fresh environment drawing with the render object (null: none).
  void Environment(CRender* render) {
    delete env_;
    render_ = render;
    env_ = new CEnvironment(render, &textures_, &materials_, nullptr, nullptr, nullptr, nullptr, nullptr);
  }

  // A template of one node whose plain mesh has one part per texture name.
  CEnvObject* Template(const char* name, const std::vector<const char*>& parts) {
    CEnvObject* node = NewEnvObjectNode();
    node->Init(EnvLoadContext{render_, &textures_, &materials_, nullptr, nullptr});
    node->TemplateKind = OTYPE_ENV;
    node->MeshKind = MESHKIND_PLAIN;
    node->ObjectName = name;
    node->ObjectNameHash = HashStringNoCase(name);
    node->Mesh = new CVBufferObject;
    CVertexBuffer** link = &node->Mesh->FirstPart;
    for (const char* texture : parts) {
      auto* part = new CVertexBuffer;
      part->Texture = textures_.GetTexture(texture, 0);
      *link = part;
      link = &part->Next;
      ++node->Mesh->PartCount;
    }
    return env_->AddObject(node);
  }
  static CVertexBuffer* Part(CEnvObject* object, int i) { return object->Mesh->GetPart(static_cast<std::uint32_t>(i)); }

  int Load(const std::string& text, CEnvObject* scope = nullptr, RenderEffectsStats* stats = nullptr) {
    Write("effects.rfx", text);
    log_.clear();
    return LoadRenderEffectsFile(env_, "effects.rfx", scope, 0, stats);
  }

  static HWND s_window;
  static CRender* s_render;
  CRender* render_ = nullptr;
  CTextureManager textures_;
  CMaterialList materials_;
  CEnvironment* env_ = nullptr;
  std::string log_;
};
HWND RenderEffectsFile::s_window = nullptr;
CRender* RenderEffectsFile::s_render = nullptr;

TEST_F(RenderEffectsFile, AFileOfOnlyTheEndWordPrintsTheTwoMessagesAndChangesNothing) {
  CEnvObject* room = Template("room", {"bricks"});
  const int textures = textures_.Count;
  EXPECT_EQ(Load("REFX_END\r\n"), 1);
  EXPECT_EQ(log_.rfind("Parsing \"effects.rfx\" : Done : ", 0), 0u) << log_;
  EXPECT_EQ(log_.substr(log_.size() - 9), " seconds\n");
  EXPECT_EQ(textures_.Count, textures);
  EXPECT_EQ(Part(room, 0)->DetailTexture, nullptr);

  EXPECT_EQ(env_->LoadRenderEffects("missing.rfx", nullptr), 0);
  EXPECT_NE(log_.find("Parsing \"missing.rfx\" : No File!\n"), std::string::npos) << log_;
}

TEST_F(RenderEffectsFile, DetailMapsInTheSingleAndTheBracedForm) {
  CEnvObject* room = Template("room", {"bricks", "plaster", "Default"});
  RenderEffectsStats stats;
  ASSERT_EQ(Load("// every part but the default one\n"
                 "REFX_DETAIL room DETAIL_MODE = SHADERMODE_DETAILADD BLEND_START = 2 BLEND_RANGE = 3 U_SCALE = 4\n"
                 "  DETAIL_MAP = grain\n"
                 "REFX_END\n",
                 nullptr, &stats),
            1);
  EXPECT_EQ(stats.appliedBlocks, 1);
  CTexture* grain = textures_.FindByName("grain");
  ASSERT_NE(grain, nullptr);
  EXPECT_EQ(grain->Flags & 0x380u, 512u);
  EXPECT_EQ(grain->FadeFirstLevel, 2);
  EXPECT_EQ(grain->FadeLevels, 3);
  for (int i = 0; i < 2; ++i) {
    const CVertexBuffer& p = *Part(room, i);
    EXPECT_EQ(p.DetailTexture, grain);
    EXPECT_EQ(p.DetailBlendMode, 21u);
    EXPECT_FLOAT_EQ(p.DetailStrength, 0.5f);
    EXPECT_FLOAT_EQ(p.DetailScaleU, 4.0f);
    EXPECT_FLOAT_EQ(p.DetailScaleV, 1.0f);  // the single form's scales start at 1
  }
  EXPECT_EQ(Part(room, 2)->DetailTexture, nullptr);

  // Braced: one entry per texture; the scales start at 0 and carry over.
  CEnvObject* hall = Template("hall", {"bricks", "plaster", "tiles"});
  ASSERT_EQ(Load("REFX_DETAIL hall {\n"
                 "  first tiles DETAIL_MODE SHADERMODE_DETAILMODULATE BLEND_START 0 BLEND_RANGE 1 DETAIL_MAP speck\n"
                 "  next bricks DETAIL_MODE SHADERMODE_DETAILBLEND BLEND_FACTOR 0.25 BLEND_START 1 BLEND_RANGE 2\n"
                 "       UV_SCALE 8 V_SCALE 6 DETAIL_MAP grain\n"
                 "  last plaster DETAIL_MODE SHADERMODE_DETAILMODULATE2X BLEND_START 1 BLEND_RANGE 2 DETAIL_MAP grain\n"
                 "}\nREFX_END"),
            1);
  struct Expect {
    int part;
    const char* map;
    std::uint32_t mode;
    float strength, u, v;
  };
  const Expect expects[] = {{2, "speck", 19, 0.5f, 0.0f, 0.0f},
                            {0, "grain", 18, 0.25f, 8.0f, 6.0f},
                            {1, "grain", 20, 0.5f, 8.0f, 6.0f}};
  for (const Expect& e : expects) {
    const CVertexBuffer& p = *Part(hall, e.part);
    EXPECT_EQ(p.DetailTexture, textures_.FindByName(e.map)) << e.part;
    EXPECT_EQ(p.DetailBlendMode, e.mode) << e.part;
    EXPECT_FLOAT_EQ(p.DetailStrength, e.strength) << e.part;
    EXPECT_FLOAT_EQ(p.DetailScaleU, e.u) << e.part;
    EXPECT_FLOAT_EQ(p.DetailScaleV, e.v) << e.part;
  }
  EXPECT_EQ(textures_.FindByName("speck")->Flags & 0x380u, 256u);
  EXPECT_EQ(grain->Flags & 0x380u, 512u | 128u);  // the flags of both blocks ORed in
}

TEST_F(RenderEffectsFile, ABracedReflectionAppliesOneMapPerTexture) {
  CEnvObject* car = Template("car", {"paint", "glass", "tyre"});
  ASSERT_EQ(Load("REFX_REFLECT car { a paint BLEND_FACTOR 0.3 ENV_MAP shine\n"
                 "                   b glass BLEND_FACTOR 0.7 CUBE_MAP sky }\n"
                 "REFX_END"),
            1);
  CTexture* shine = textures_.FindByName("shine");
  CTexture* sky = textures_.FindByName("sky");
  ASSERT_NE(shine, nullptr);
  ASSERT_NE(sky, nullptr);
  EXPECT_EQ(shine->Flags, 1u);
  EXPECT_EQ(sky->Flags, 33u);
  EXPECT_EQ(Part(car, 0)->ReflectTexture, shine);
  EXPECT_FLOAT_EQ(Part(car, 0)->ReflectStrength, 0.3f);
  EXPECT_EQ(Part(car, 1)->ReflectTexture, sky);
  EXPECT_FLOAT_EQ(Part(car, 1)->ReflectStrength, 0.7f);
  EXPECT_EQ(Part(car, 2)->ReflectTexture, nullptr);

  // Single form: every part; a map word other than the two applies nothing.
  ASSERT_EQ(Load("REFX_REFLECT car SHINE 0.6 SPHERE_MAP dull REFX_REFLECT car BLEND_FACTOR 0.9 ENV_MAP shine"), 1);
  EXPECT_EQ(textures_.FindByName("dull"), nullptr);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Part(car, i)->ReflectTexture, shine) << i;
    EXPECT_FLOAT_EQ(Part(car, i)->ReflectStrength, 0.9f) << i;
  }
}

TEST_F(RenderEffectsFile, WordsThatAreNotKeywordsAreSkippedAndTheTextMayEndWithoutTheEndWord) {
  CEnvObject* room = Template("room", {"bricks"});
  // "REFX_DOT3_BUMP_REFLECT" consumes nothing: its words are read as top-level words.
  ASSERT_EQ(Load("hello 12 REFX_DOT3_BUMP_REFLECT room NORMAL_MAP bumpy\n"
                 "REFX_DETAIL nothere DETAIL_MODE SHADERMODE_DETAILADD BLEND_START 0 BLEND_RANGE 0 DETAIL_MAP lost\n"
                 "REFX_DETAIL room DETAIL_MODE SHADERMODE_DETAILADD BLEND_START 0 BLEND_RANGE 0 DETAIL_MAP grain"),
            1);
  EXPECT_EQ(textures_.FindByName("bumpy"), nullptr);
  EXPECT_EQ(textures_.FindByName("lost"), nullptr);  // a missing object applies nothing
  EXPECT_EQ(Part(room, 0)->DetailTexture, textures_.FindByName("grain"));
  EXPECT_NE(log_.find("Done : "), std::string::npos);
}

TEST_F(RenderEffectsFile, ScopedReadsApplyOnlyTheBlocksOfTheirScopeAndPassTheScopeOn) {
  CEnvObject* room = Template("room", {"bricks"});
  CEnvObject* hall = Template("hall", {"bricks"});
  const std::string id = room->GetIdString();
  Write("scoped_more.rfx", "REFX_REFLECT " + id + " BLEND_FACTOR 0.4 ENV_MAP shine REFX_END");
  const std::string text = "REFX_DETAIL " + id +
                           " DETAIL_MODE SHADERMODE_DETAILADD BLEND_START 0 BLEND_RANGE 0 DETAIL_MAP grain\n"
                           "REFX_DETAIL hall DETAIL_MODE SHADERMODE_DETAILADD BLEND_START 0 BLEND_RANGE 0 "
                           "DETAIL_MAP speck\n"
                           "#INCLUDE scoped_more.rfx\nREFX_END";
  ASSERT_EQ(Load(text, room), 1);
  EXPECT_EQ(Part(room, 0)->DetailTexture, textures_.FindByName("grain"));
  EXPECT_EQ(Part(room, 0)->ReflectTexture, textures_.FindByName("shine"));
  EXPECT_EQ(Part(hall, 0)->DetailTexture, nullptr);
  EXPECT_EQ(textures_.FindByName("speck"), nullptr);

  // Without a scope the id text names no template, the name does.
  Environment(s_render);
  room = Template("room", {"bricks"});
  hall = Template("hall", {"bricks"});
  ASSERT_EQ(Load(text), 1);
  EXPECT_EQ(Part(room, 0)->DetailTexture, nullptr);
  EXPECT_EQ(Part(room, 0)->ReflectTexture, nullptr);
  EXPECT_EQ(Part(hall, 0)->DetailTexture, textures_.FindByName("speck"));
}

TEST_F(RenderEffectsFile, IncludesEndHoweverFilesNameEachOther) {
  CEnvObject* room = Template("room", {"bricks"});
  Write("self.rfx", "#INCLUDE self.rfx REFX_END");
  Write("ping.rfx", "#INCLUDE pong.rfx REFX_END");
  Write("pong.rfx", "#INCLUDE ping.rfx REFX_END");
  Write("twice.rfx", "#INCLUDE detail.rfx #INCLUDE detail.rfx REFX_END");
  Write("detail.rfx",
        "REFX_DETAIL room DETAIL_MODE SHADERMODE_DETAILADD BLEND_START 0 BLEND_RANGE 0 DETAIL_MAP grain REFX_END");
  struct Case {
    const char* file;
    int files;
    int refused;
  };
  const Case cases[] = {{"self.rfx", kRenderEffectsMaxIncludeDepth + 1, 1},
                        {"ping.rfx", kRenderEffectsMaxIncludeDepth + 1, 1},
                        {"twice.rfx", 3, 0}};
  for (const Case& c : cases) {
    RenderEffectsStats stats;
    log_.clear();
    EXPECT_EQ(LoadRenderEffectsFile(env_, c.file, nullptr, 0, &stats), 1) << c.file;
    EXPECT_EQ(stats.files, c.files) << c.file;
    EXPECT_EQ(stats.refusedIncludes, c.refused) << c.file;
    EXPECT_EQ(log_.find("nests deeper") != std::string::npos, c.refused > 0) << c.file;
  }
  EXPECT_EQ(Part(room, 0)->DetailTexture, textures_.FindByName("grain"));
  // A missing included file is reported and the including file goes on.
  Write("gap.rfx", "#INCLUDE absent.rfx REFX_DETAIL room DETAIL_MODE SHADERMODE_DETAILBLEND BLEND_FACTOR 0.2 "
                   "BLEND_START 0 BLEND_RANGE 0 DETAIL_MAP speck");
  RenderEffectsStats stats;
  EXPECT_EQ(LoadRenderEffectsFile(env_, "gap.rfx", nullptr, 0, &stats), 1);
  EXPECT_EQ(stats.missingFiles, 1);
  EXPECT_EQ(Part(room, 0)->DetailTexture, textures_.FindByName("speck"));
}

TEST_F(RenderEffectsFile, ReflectionsAndDetailNeedTheDeviceOrTheCatalogBuild) {
  auto bare = std::make_unique<CRender>();  // a render object without a device: no effect capabilities
  Environment(bare.get());
  CEnvObject* room = Template("room", {"bricks"});
  const std::string text =
      "REFX_REFLECT room BLEND_FACTOR 0.5 ENV_MAP shine\n"
      "REFX_DETAIL room DETAIL_MODE SHADERMODE_DETAILADD BLEND_START 0 BLEND_RANGE 0 DETAIL_MAP grain\n"
      "REFX_DOT3_BUMP missing NORMAL_MAP bumpy\nREFX_END";
  ASSERT_EQ(Load(text), 1);
  EXPECT_EQ(textures_.FindByName("shine"), nullptr);
  EXPECT_EQ(textures_.FindByName("grain"), nullptr);
  EXPECT_EQ(textures_.FindByName("bumpy"), nullptr);

  // The catalog build fetches every map named, so that the catalog holds it,
  // even a bump map of a missing object; the node setters still refuse.
  SetCommandSwitch('c');
  ASSERT_EQ(Load(text), 1);
  ClearCommandSwitch('c');
  ASSERT_NE(textures_.FindByName("shine"), nullptr);
  ASSERT_NE(textures_.FindByName("grain"), nullptr);
  ASSERT_NE(textures_.FindByName("bumpy"), nullptr);
  EXPECT_EQ(textures_.FindByName("bumpy")->Flags, 17u);
  EXPECT_EQ(Part(room, 0)->ReflectTexture, nullptr);
  EXPECT_EQ(Part(room, 0)->DetailTexture, nullptr);
  delete env_;
  env_ = nullptr;
}

TEST_F(RenderEffectsFile, PlantsOfTheTemplateSwayEachWithItsOwnRecord) {
  CEnvObject* tree = Template("tree", {"leaves"});
  CEnvObject* rock = Template("rock", {"stone"});
  std::vector<CEnvInstance*> trees;
  for (int i = 0; i < 3; ++i)
    trees.push_back(env_->CreateInstance(nullptr, tree, {100.0f * i, 0, 0}, {0, 90.0f * i, 0}, nullptr, 0, 0));
  CEnvInstance* stone = env_->CreateInstance(nullptr, rock, {0, 0, 500}, {0, 0, 0}, nullptr, 0, 0);
  RenderEffectsStats stats;
  ASSERT_EQ(Load("REFX_PERTERB_GRASS tree RANDOM_SCALE 2 4 RANDOM_RATE 30 60 REFX_END", nullptr, &stats), 1);
  EXPECT_EQ(stats.swayingInstances, 3);
  EXPECT_EQ(env_->PlantSways.size(), 3u);
  EXPECT_EQ(stone->PreDrawHook, nullptr);
  for (CEnvInstance* t : trees) {
    ASSERT_EQ(t->PreDrawHook, &PlantSwayHook);
    const auto* sway = static_cast<const SwayRecord*>(t->HookData);
    ASSERT_NE(sway, nullptr);
    EXPECT_GE(sway->Amplitude, 2.0f);
    EXPECT_LE(sway->Amplitude, 4.0f);
    EXPECT_GE(sway->Speed, 30.0f);
    EXPECT_LE(sway->Speed, 60.0f);
    EXPECT_GE(sway->Phase, 0.0f);
    EXPECT_LT(sway->Phase, 360.0f);
    // The world direction (0.5, 0, 0.5), turned into the instance's frame.
    CVector3 back;
    t->GetWorldMatrix().RotateVector(sway->Weights, &back);
    EXPECT_NEAR(back.x, 0.5f, 1e-4f);
    EXPECT_NEAR(back.y, 0.0f, 1e-4f);
    EXPECT_NEAR(back.z, 0.5f, 1e-4f);
  }
  // A turned tree sways along its own turned axes.
  const CVector3 turned = static_cast<const SwayRecord*>(trees[1]->HookData)->Weights;
  EXPECT_GT(std::fabs(turned.x - 0.5f) + std::fabs(turned.z - 0.5f), 0.5f);
  // The records are the instances' own.
  EXPECT_NE(trees[0]->HookData, trees[1]->HookData);
}

TEST_F(RenderEffectsFile, TheGlassGetsItsDefaultReflection) {
  // No glass set: the block is read and applies nothing.
  ASSERT_EQ(Load("REFX_DEFAULT_GLAZIER_REFLECT any 0.4 CUBE_MAP skybox REFX_END"), 1);
  env_->CreateGlass(10);
  const std::string section = glass_fixture::SectionText({glass_fixture::Window()});
  EnvTextCursor cursor(section.c_str());
  ASSERT_EQ(env_->Glass->ReadText(cursor, kGlassVersionCurrent, GlassModules{}), 1);
  ASSERT_EQ(Load("REFX_DEFAULT_GLAZIER_REFLECT any 0.4 CUBE_MAP skybox REFX_END"), 1);
  CTexture* sky = textures_.FindByName("skybox");
  ASSERT_NE(sky, nullptr);
  EXPECT_EQ(sky->Flags, 33u);
  EXPECT_EQ(env_->Glass->GetDefaultReflection(), sky);
  EXPECT_EQ(env_->Glass->GetPane(0)->ReflectionTexture, sky);
  EXPECT_FLOAT_EQ(env_->Glass->GetPane(0)->ReflectionStrength, 0.4f);
}

}  // namespace
