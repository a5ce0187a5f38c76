// Shader lists: standard loads from files found on disk, stable indices on a
// device without shaders, missing files, capacity.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "platform/win32/message_box.h"
#include "render/device/pixel_shader.h"
#include "render/device/vertex_shader.h"
#include "render/render_fixture.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string>* g_Boxes = nullptr;

int RecordBox(HWND, const char* text, const char*, UINT, void*) {
  if (g_Boxes != nullptr) g_Boxes->push_back(text);
  return IDOK;
}

// Runs each test in a fresh folder of shader files, as the working directory.
class Shaders : public RenderDeviceTest {
 protected:
  void SetUp() override {
    RenderDeviceTest::SetUp();
    previous_ = fs::current_path();
    folder_ = fs::temp_directory_path() /
              (std::string("halberd_shaders_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_ / "shaders");
    fs::current_path(folder_);
    SetWorkDirectory();
    SetSearchFolders(nullptr);
    ASSERT_EQ(CatalogStartup(), 1);  // files are read through the shared file handle
    g_Boxes = &boxes_;
    SetMessageBoxHook(RecordBox, nullptr);
  }
  void TearDown() override {
    CatalogShutdown();
    SetMessageBoxHook(nullptr, nullptr);
    g_Boxes = nullptr;
    fs::current_path(previous_);
    fs::remove_all(folder_);
  }
  void Write(const std::string& name) {
    std::ofstream f(folder_ / name, std::ios::binary);
    const std::uint32_t tokens[] = {0xFFFE0101u, 0x0000FFFFu};  // a version token and the end token
    f.write(reinterpret_cast<const char*>(tokens), sizeof(tokens));
  }
  void WriteStandardVertexShaders() {
    for (const char* n : {"vsSky.vso", "vsTest.vso", "vsDot3.vso", "vsDot3Reflect_d.vso", "vsPerterb.vso",
                          "vsPerterbFade.vso", "vsPerterbFade_d.vso"})
      Write(n);
    const char* lights[] = {"", "_d", "_dd", "_ds", "_dp", "_ddd", "_dds", "_ddp", "_dss", "_dsp", "_dpp",
                            "_p", "_pd", "_ps", "_pp", "_pdd", "_pds", "_pdp", "_pss", "_psp", "_ppp",
                            "_s", "_sd", "_ss", "_sp", "_sdd", "_sds", "_sdp", "_sss", "_ssp", "_spp"};
    for (const char* l : lights) Write(std::string("vsDot3") + l + ".vso");
  }

  fs::path previous_;
  fs::path folder_;
  std::vector<std::string> boxes_;
};

TEST_F(Shaders, StandardVertexShadersKeepStableIndicesWithoutShaderSupport) {
  WriteStandardVertexShaders();
  CVertexShaderList list(s_Render, 128);
  Record();
  EXPECT_EQ(list.LoadStandard(), 1);
  EXPECT_EQ(list.GetCount(), 38);
  EXPECT_EQ(g_Dot3VariantBase, 7);
  EXPECT_TRUE(Calls("CreateVertexShader").empty()) << "no vertex shaders on this device";
  for (int i = 0; i < list.GetCount(); ++i) EXPECT_EQ(list.GetShader(i)->GetHandle(), 0u);
  EXPECT_EQ(list.GetShader(40), list.GetShader(2));  // 40 modulo 38
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(Shaders, ApplyingAShaderIsTheRenderObjectsVertexFormat) {
  Write("a.vso");
  CVertexShaderList list(s_Render, 4);
  ASSERT_EQ(list.Add("a.vso", kPlainDeclaration), 0);
  s_Render->SetVertexFormat(kFvfScreen);
  list.GetShader(0)->ApplyFixedFormat();
  EXPECT_EQ(s_Render->GetVertexFormat(), kFvfMesh);
  list.GetShader(0)->Apply();
  EXPECT_EQ(s_Render->GetVertexFormat(), list.GetShader(0)->GetHandle());
}

TEST_F(Shaders, MissingVertexShaderStopsTheStandardLoad) {
  Write("vsSky.vso");
  CVertexShaderList list(s_Render, 128);
  EXPECT_EQ(list.LoadStandard(), 0);
  EXPECT_EQ(list.GetCount(), 1);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], "Unable to load vertex shader source");
}

TEST_F(Shaders, MissingDot3VariantEndsOnlyTheVariants) {
  WriteStandardVertexShaders();
  fs::remove(folder_ / "vsDot3_ds.vso");  // the fourth variant
  CVertexShaderList list(s_Render, 128);
  EXPECT_EQ(list.LoadStandard(), 1);
  EXPECT_EQ(list.GetCount(), 7 + 3);
}

TEST_F(Shaders, EmptyListAndFullListAreSafe) {
  Write("a.vso");
  CVertexShaderList list(s_Render, 2);
  EXPECT_EQ(list.GetShader(5), nullptr);
  EXPECT_EQ(list.Add("a.vso", kPlainDeclaration), 0);
  EXPECT_EQ(list.Add("a.vso", kPlainDeclaration), 1);
  EXPECT_EQ(list.Add("a.vso", kPlainDeclaration), -1);
  EXPECT_EQ(list.GetCount(), 2);
}

TEST_F(Shaders, PixelShadersLoadFromTheShaderFolder) {
  Write("shaders/psDot3.pso");
  Write("shaders/psDot3Reflect.pso");
  CPixelShaderList list(s_Render, 16);
  EXPECT_EQ(list.LoadStandard(), 1);
  EXPECT_EQ(list.GetCount(), 2);
  ASSERT_NE(list.GetShader(1), nullptr);
  EXPECT_EQ(list.GetShader(1)->GetHandle(), 0u);
  EXPECT_EQ(list.GetShader(2), nullptr);
  EXPECT_EQ(list.GetShader(-1), nullptr);
  EXPECT_EQ(list.AddEmpty("none"), 2);
}

TEST_F(Shaders, MissingPixelShaderFailsTheStandardLoad) {
  Write("shaders/psDot3.pso");
  CPixelShaderList list(s_Render, 16);
  EXPECT_EQ(list.LoadStandard(), 0);
  EXPECT_EQ(list.GetCount(), 1);
  EXPECT_FALSE(boxes_.empty());  // the file loader says which file
}

}  // namespace
