// Skins on device buffers: each pose goes into the other of the two vertex
// buffers, and the draw binds the one posed last.
#include <gtest/gtest.h>

#include <vector>

#include "foundation/byte_reader.h"
#include "render/render_fixture.h"
#include "scene/skin/skin.h"
#include "scene/skin/skin_fixture.h"

namespace {

class SkinDevice : public RenderDeviceTest {
 protected:
  void SetUp() override {
    RenderDeviceTest::SetUp();
    s_Render->SetVertexShadersOn(1);
    CSkin keep(s_Render, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    s_Render->SetVertexShadersOn(0);
    CSkin reset(nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  // Calls of one method since recording started.
  std::vector<D3D8Call> Calls(const char* method) const {
    std::vector<D3D8Call> out;
    for (const D3D8Call& c : D3D8TestCalls(g_Device))
      if (c.method == method) out.push_back(c);
    return out;
  }
};

D3DCOLOR PixelAt(float x, float y) {
  return D3D8TestReadPixel(g_Device, static_cast<int>((x + 1) * 400), static_cast<int>((1 - y) * 300));
}

}  // namespace

TEST_F(SkinDevice, PosesAlternateBetweenTwoDeviceBuffersAndTheDrawBindsTheLast) {
  // A strip of 2 quads, 20 x 10 units, shrunk into clip space by the bones.
  CSkin skin;
  ASSERT_TRUE(skin.Build(skin_fixture::TwoBoneStrip(2)));
  ASSERT_TRUE(skin.UsesDeviceBuffers());
  ASSERT_NE(skin.VertexBuffer(0), nullptr);
  ASSERT_NE(skin.VertexBuffer(1), nullptr);
  ASSERT_NE(skin.DrawIndexBuffer(), nullptr);
  ASSERT_NE(skin.ListIndexBuffer(), nullptr);

  // Into the lower-left quarter: scale 0.04 and shift by -0.9.
  const std::vector<CMatrix> bones = {skin_fixture::Bone(0, 0, 0, 0.04f, {-0.9f, -0.9f, 0.5f}),
                                      skin_fixture::Bone(0, 0, 0, 0.04f, {-0.5f, -0.9f, 0.5f})};
  skin.Deform(bones.data(), 2);
  const int posed = skin.CurrentBuffer();
  const RenderVertex* v = skin.LockCurrent();
  ASSERT_NE(v, nullptr);
  for (int i = 0; i < skin.VertexCount(); ++i) {
    EXPECT_GE(v[i].x, -0.9f - 1e-5f);
    EXPECT_LE(v[i].x, -0.1f + 1e-5f);
    EXPECT_NEAR(v[i].z, 0.5f, 1e-6f);
  }
  skin.UnlockCurrent();

  CMatrix identity;
  identity.SetIdentity();
  s_Render->SetWorldMatrix(identity);
  s_Render->SetViewMatrix(identity);
  s_Render->SetProjectionMatrix(identity);
  s_Render->SetClearColour(0xFF000000);
  s_Render->Clear(1);
  s_Render->BeginScene();
  s_Render->SetZEnable(0);
  s_Render->SetCullMode(D3DCULL_NONE);
  s_Render->SetAmbient(0xFFFFFFFF);
  s_Render->ApplyDefaultMaterial();
  D3D8TestRecordCalls(g_Device, true);
  skin.Draw(nullptr);
  D3D8TestRecordCalls(g_Device, false);
  s_Render->EndScene();
  s_Render->SetCullMode(D3DCULL_CCW);
  s_Render->SetZEnable(1);
  s_Render->SetAmbient(0);

  const std::vector<D3D8Call> streams = Calls("SetStreamSource");
  ASSERT_FALSE(streams.empty());
  EXPECT_EQ(streams.back().args[1], reinterpret_cast<std::uint64_t>(skin.VertexBuffer(posed)));
  EXPECT_EQ(streams.back().args[2], 36u);
  const std::vector<D3D8Call> draws = Calls("DrawIndexedPrimitive");
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].args[0], static_cast<std::uint64_t>(D3DPT_TRIANGLESTRIP));
  EXPECT_EQ(draws[0].args[4], static_cast<std::uint64_t>(skin.Data.StripIndexCount - 2));
  EXPECT_NE(PixelAt(-0.5f, -0.7f), 0xFF000000u) << "the posed strip is on screen";
  EXPECT_EQ(PixelAt(0.5f, 0.5f), 0xFF000000u);

  // The next pose goes to the other buffer, the draw follows it.
  skin.Deform(bones.data(), 2);
  EXPECT_NE(skin.CurrentBuffer(), posed);
  D3D8TestRecordCalls(g_Device, true);
  skin.Draw(nullptr);
  D3D8TestRecordCalls(g_Device, false);
  EXPECT_EQ(Calls("SetStreamSource").back().args[1], reinterpret_cast<std::uint64_t>(skin.VertexBuffer(1 - posed)));
}

TEST_F(SkinDevice, TangentSpaceNeedsTheShaderVersionsAndIsBuiltOnce) {
  CSkin skin;
  ASSERT_TRUE(skin.Build(skin_fixture::TwoBoneStrip(2)));
  if (!s_Render->SupportsVertexShader(1, 0, 12) || !s_Render->SupportsPixelShader(1, 0)) {
    EXPECT_EQ(skin.BuildTangentSpace(nullptr), 0);
    EXPECT_EQ(skin.ShaderForm, 0);
    return;
  }
  EXPECT_EQ(skin.BuildTangentSpace(nullptr), 1);
  EXPECT_EQ(skin.ShaderForm, 1);
  EXPECT_EQ(skin.TangentFrames().size(), static_cast<std::size_t>(skin.VertexCount()));
  EXPECT_EQ(skin.BuildTangentSpace(nullptr), 0) << "a second call changes nothing";
}
