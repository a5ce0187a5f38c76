// The shader paths of the mesh draw on a device that reports vertex and
// pixel shaders 1.1: which shader, streams and constants each path sends,
// read from the device's call log (the stand-in keeps shader programs but
// does not run them).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "render/device/pixel_shader.h"
#include "render/device/vertex_shader.h"
#include "scene/mesh/mesh_draw.h"
#include "scene/mesh/mesh_draw_params.h"
#include "scene/scene_draw_fixture.h"

namespace {

namespace fs = std::filesystem;

class ShaderMeshDraw : public DrawScene {
 protected:
  static void SetUpTestSuite() {
    D3D8TestSetShaderCaps(D3DVS_VERSION(1, 1), 96, D3DPS_VERSION(1, 1));
    DrawScene::SetUpTestSuite();
  }
  static void TearDownTestSuite() {
    DrawScene::TearDownTestSuite();
    D3D8TestSetShaderCaps(0, 0, 0);
  }

  void SetUp() override {
    DrawScene::SetUp();
    ASSERT_TRUE(s_Render->SupportsVertexShader(1, 1, 12));
    ASSERT_TRUE(s_Render->SupportsPixelShader(1, 1));
    // Shader files (a version token and the end token each) in a folder of their own.
    previous_ = fs::current_path();
    folder_ = fs::temp_directory_path() / (std::string("halberd_mesh_shaders_") +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_ / "shaders");
    auto write = [&](const fs::path& path, std::uint32_t version) {
      std::ofstream f(path, std::ios::binary);
      const std::uint32_t tokens[] = {version, 0x0000FFFFu};
      f.write(reinterpret_cast<const char*>(tokens), sizeof tokens);
    };
    for (const char* n : {"vsSky.vso", "vsTest.vso", "vsDot3.vso", "vsDot3Reflect_d.vso", "vsPerterb.vso",
                          "vsPerterbFade.vso", "vsPerterbFade_d.vso"})
      write(folder_ / n, 0xFFFE0101u);
    for (const char* l : {"", "_d", "_dd", "_ds", "_dp", "_ddd", "_dds", "_ddp", "_dss", "_dsp", "_dpp",
                          "_p", "_pd", "_ps", "_pp", "_pdd", "_pds", "_pdp", "_pss", "_psp", "_ppp",
                          "_s", "_sd", "_ss", "_sp", "_sdd", "_sds", "_sdp", "_sss", "_ssp", "_spp"})
      write(folder_ / (std::string("vsDot3") + l + ".vso"), 0xFFFE0101u);
    for (const char* n : {"psDot3.pso", "psDot3Reflect.pso"}) write(folder_ / "shaders" / n, 0xFFFF0101u);
    fs::current_path(folder_);
    SetWorkDirectory();
    SetSearchFolders(nullptr);
    ASSERT_EQ(CatalogStartup(), 1);
    vertexShaders_ = std::make_unique<CVertexShaderList>(s_Render, 128);
    pixelShaders_ = std::make_unique<CPixelShaderList>(s_Render, 8);
    ASSERT_EQ(vertexShaders_->LoadStandard(), 1);
    ASSERT_EQ(pixelShaders_->LoadStandard(), 1);
    ASSERT_EQ(vertexShaders_->GetCount(), 38);
    g_VertexShaders = vertexShaders_.get();
    g_PixelShaders = pixelShaders_.get();
    MakeQuadPart(part_, 100.0f, 0.0f);
    texture_ = Texture(0xFFFF0000, false);
    part_.Texture = texture_.get();
    lights_ = std::make_unique<CLightTable>(8);
    sun_ = lights_->CreateDirectionalLight({}, {45, 0, 0}, CColour{0.8f, 0.7f, 0.6f, 1}, CColour{0.2f, 0.2f, 0.2f, 1},
                                           "sun", 255);
    lamp_ = lights_->CreatePointLight({0, 100, 150}, CColour{1, 1, 1, 1}, CColour{0, 0, 0, 1}, 500.0f, "lamp", 255);
  }
  void TearDown() override {
    part_.Texture = nullptr;
    part_.Free();
    g_VertexShaders = nullptr;
    g_PixelShaders = nullptr;
    g_PixelLightSelection = nullptr;
    CLightTable::ClearActive();
    lights_.reset();
    vertexShaders_.reset();
    pixelShaders_.reset();
    CatalogShutdown();
    fs::current_path(previous_);
    fs::remove_all(folder_);
    DrawScene::TearDown();
  }

  // Registers set in the log and how many four-float registers each call set.
  std::map<std::uint64_t, std::uint64_t> VertexConstants() const {
    std::map<std::uint64_t, std::uint64_t> regs;
    for (const D3D8Call& c : Calls("SetVertexShaderConstant")) regs[c.args[0]] = c.args[1];
    return regs;
  }
  std::uint64_t Handle(int vertexShader) const { return vertexShaders_->GetShader(vertexShader)->GetHandle(); }
  bool ShaderSelected(std::uint64_t handle) const {
    for (const D3D8Call& c : Calls("SetVertexShader"))
      if (c.args[0] == handle) return true;
    return false;
  }

  fs::path previous_, folder_;
  std::unique_ptr<CVertexShaderList> vertexShaders_;
  std::unique_ptr<CPixelShaderList> pixelShaders_;
  std::unique_ptr<CLightTable> lights_;
  std::unique_ptr<CTexture> texture_;
  CVertexBuffer part_;
  int sun_ = -1, lamp_ = -1;
};

TEST_F(ShaderMeshDraw, ReflectionPathSendsItsShaderStreamAndConstants) {
  MeshReflectionRecord record;
  record.Constant[0] = 0.25f;
  MeshDrawParams params;
  params.Reflection = &record;
  for (const bool withSun : {true, false}) {
    CLightTable::ClearActive();
    if (withSun) CLightTable::AddActive(sun_);
    Record();
    part_.DrawDirect(nullptr, &params);
    ASSERT_NE(Handle(kReflectShader), 0u);
    EXPECT_TRUE(ShaderSelected(Handle(kReflectShader)));
    const auto regs = VertexConstants();
    EXPECT_EQ(regs.at(0), 1u);
    EXPECT_EQ(regs.at(2), 4u) << "world x view x projection, transposed";
    EXPECT_EQ(regs.at(8), 1u);
    EXPECT_EQ(regs.at(13), 1u);
    // c9-c11 only with a directional light in the set.
    EXPECT_EQ(regs.count(9), withSun ? 1u : 0u);
    EXPECT_EQ(regs.count(10), withSun ? 1u : 0u);
    EXPECT_EQ(regs.count(11), withSun ? 1u : 0u);
    const auto streams = Calls("SetStreamSource");
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].args[0], 0u);
    EXPECT_EQ(streams[0].args[1], reinterpret_cast<std::uint64_t>(part_.VertexBuffer));
    EXPECT_EQ(streams[0].args[2], 36u);
    EXPECT_EQ(Calls("SetIndices").size(), 1u);
    EXPECT_EQ(Calls("DrawIndexedPrimitive").size(), 1u);
    EXPECT_EQ(s_Render->GetBlendMode(), 1);
    EXPECT_EQ(DeviceState(D3DRS_FOGENABLE), 1u);
    if (withSun) {
      // c9 is the way to the light in object space (unit length); c10 the diffuse.
      for (const D3D8Call& c : Calls("SetVertexShaderConstant")) {
        if (c.args[0] != 9 && c.args[0] != 10) continue;
        float v[4];
        std::memcpy(v, c.data.data(), sizeof v);
        if (c.args[0] == 9) {
          EXPECT_NEAR(v[0] * v[0] + v[1] * v[1] + v[2] * v[2], 1.0f, 1e-5f);
        } else {
          EXPECT_FLOAT_EQ(v[0], 0.8f);
        }
      }
    }
  }
}

TEST_F(ShaderMeshDraw, TintedReflectionPicksTheLitShaderOnlyWithADirectionalLight) {
  MeshReflectionRecord record;
  MeshDrawParams params;
  params.Kind = kMeshDrawTintBlend;
  params.Colour = 0xFF808080;
  params.Reflection = &record;
  const struct {
    bool lighting, sun;
    int shader;
  } cases[] = {{true, true, kReflectTintLitShader}, {true, false, kReflectTintShader},
               {false, true, kReflectTintShader}};
  for (const auto& c : cases) {
    CLightTable::ClearActive();
    if (c.sun) CLightTable::AddActive(sun_);
    CLightTable::AddActive(lamp_);
    s_Render->SetLighting(c.lighting ? 1 : 0);
    Record();
    part_.DrawDirect(nullptr, &params);
    EXPECT_TRUE(ShaderSelected(Handle(c.shader))) << c.lighting << c.sun;
    EXPECT_EQ(s_Render->GetBlendMode(), 3);
    const auto regs = VertexConstants();
    EXPECT_EQ(regs.count(9), c.shader == kReflectTintLitShader ? 1u : 0u);
    EXPECT_EQ(regs.count(12), c.shader == kReflectTintShader ? 1u : 0u) << "the tint times the ambient colour";
  }
  s_Render->SetLighting(0);
}

// Without a directional light the tint register holds the tint times the
// ambient colour, channel by channel.
TEST_F(ShaderMeshDraw, TheUnlitTintIsTheColourTimesTheAmbientPerChannel) {
  MeshReflectionRecord record;
  MeshDrawParams params;
  params.Kind = kMeshDrawTintBlend;
  params.Colour = 0x80FF8040;  // a 0.5, r 1, g 0.5, b 0.25
  params.Reflection = &record;
  CLightTable::ClearActive();
  s_Render->SetLighting(0);
  const DWORD ambient = s_Render->GetRenderStateCached(D3DRS_AMBIENT);
  s_Render->SetAmbient(0xC0804020);  // a 0.75, r 0.5, g 0.25, b 0.125
  Record();
  part_.DrawDirect(nullptr, &params);
  s_Render->SetAmbient(ambient);
  int found = 0;
  for (const D3D8Call& c : Calls("SetVertexShaderConstant")) {
    if (c.args[0] != 12) continue;
    ++found;
    float v[4];
    ASSERT_GE(c.data.size(), sizeof v);
    std::memcpy(v, c.data.data(), sizeof v);
    EXPECT_NEAR(v[0], 1.0f * 0x80 / 255.0f, 1e-5f) << "red";
    EXPECT_NEAR(v[1], 0x80 / 255.0f * 0x40 / 255.0f, 1e-5f) << "green";
    EXPECT_NEAR(v[2], 0x40 / 255.0f * 0x20 / 255.0f, 1e-5f) << "blue";
    EXPECT_NEAR(v[3], 0x80 / 255.0f * 0xC0 / 255.0f, 1e-5f) << "alpha";
  }
  EXPECT_EQ(found, 1);
}

// A bumped part with no per-pixel light to bump with is drawn the plain way.
TEST_F(ShaderMeshDraw, ABumpedPartWithoutALightIsDrawnPlainly) {
  const auto bump = Texture(0xFF8080FF, false);
  ASSERT_TRUE(part_.PrepareBump(bump.get()));
  PixelLightSelection none;  // no light at all
  for (PixelLightSelection* selection : {static_cast<PixelLightSelection*>(nullptr), &none}) {
    g_PixelLightSelection = selection;
    Record();
    part_.DrawDirect(nullptr, nullptr);
    EXPECT_TRUE(Calls("SetPixelShader").empty());
    const auto formats = Calls("SetVertexShader");
    ASSERT_FALSE(formats.empty());
    EXPECT_EQ(formats.back().args[0], static_cast<std::uint64_t>(kMeshVertexFormat));
    EXPECT_EQ(Calls("DrawIndexedPrimitive").size(), 1u);
  }
  part_.Free();
}

TEST_F(ShaderMeshDraw, BumpPathBindsTwoStreamsTheTableShaderAndPixelShader) {
  const auto bump = Texture(0xFF8080FF, false);
  const auto attenuation = Texture(0xFFFFFFFF, false);
  ASSERT_TRUE(part_.PrepareBump(bump.get()));
  ASSERT_NE(part_.TangentBuffer, nullptr);
  // The point light per pixel, the sun per vertex: variant "_pd".
  PixelLightSelection selection;
  selection.Lights[0] = static_cast<std::uint8_t>(lamp_);
  selection.Lights[1] = static_cast<std::uint8_t>(sun_);
  selection.Texture = attenuation.get();
  g_PixelLightSelection = &selection;
  Record();
  part_.DrawDirect(nullptr, nullptr);
  const int wantShader = g_Dot3VariantBase + 12;
  EXPECT_TRUE(ShaderSelected(Handle(wantShader)));
  const auto pixel = Calls("SetPixelShader");
  ASSERT_EQ(pixel.size(), 2u);
  EXPECT_EQ(pixel[0].args[0], pixelShaders_->GetShader(0)->GetHandle());
  EXPECT_NE(pixel[0].args[0], 0u);
  EXPECT_EQ(pixel[1].args[0], 0u) << "switched off after the draw";
  const auto streams = Calls("SetStreamSource");
  ASSERT_EQ(streams.size(), 2u);
  EXPECT_EQ(streams[0].args[1], reinterpret_cast<std::uint64_t>(part_.VertexBuffer));
  EXPECT_EQ(streams[1].args[0], 1u);
  EXPECT_EQ(streams[1].args[1], reinterpret_cast<std::uint64_t>(part_.TangentBuffer));
  EXPECT_EQ(streams[1].args[2], 36u);
  const auto regs = VertexConstants();
  EXPECT_EQ(regs.at(2), 4u);
  for (std::uint64_t r = 8; r < 14; ++r) EXPECT_EQ(regs.count(r), 1u) << "two lights, three registers each: c" << r;
  EXPECT_EQ(regs.count(14), 0u);
  EXPECT_EQ(Calls("SetPixelShaderConstant").size(), 1u);
  // Stages 1 and 2 carry the bump and attenuation textures, then are cleared.
  bool bumpBound = false;
  for (const D3D8Call& c : Calls("SetTexture"))
    bumpBound |= c.args[0] == 1 && c.args[1] == reinterpret_cast<std::uint64_t>(bump->DeviceTexture);
  EXPECT_TRUE(bumpBound);
  EXPECT_EQ(Calls("SetTexture").back().args[1], 0u);
  EXPECT_EQ(Calls("DrawIndexedPrimitive").size(), 1u);
  // The table: per-pixel kind offsets and the per-vertex combinations.
  const int none[2] = {0, 0}, ds[2] = {D3DLIGHT_SPOT, D3DLIGHT_DIRECTIONAL}, pp[2] = {D3DLIGHT_POINT, D3DLIGHT_POINT};
  EXPECT_EQ(BumpShaderIndex(7, D3DLIGHT_DIRECTIONAL, none), 8);   // vsDot3_d
  EXPECT_EQ(BumpShaderIndex(7, D3DLIGHT_SPOT, ds), 7 + 21 + 5);   // vsDot3_sds
  EXPECT_EQ(BumpShaderIndex(7, D3DLIGHT_POINT, pp), 7 + 11 + 9);  // vsDot3_ppp
  part_.Free();
}

TEST_F(ShaderMeshDraw, WithoutAReflectionRecordThePartDrawsFixedFunction) {
  Record();
  part_.DrawDirect(nullptr, nullptr);
  EXPECT_TRUE(Calls("SetVertexShaderConstant").empty());
  const auto formats = Calls("SetVertexShader");
  ASSERT_FALSE(formats.empty());
  EXPECT_EQ(formats.back().args[0], static_cast<std::uint64_t>(kMeshVertexFormat));
  EXPECT_EQ(Calls("DrawIndexedPrimitive").size(), 1u);
}

}  // namespace
