// Mesh parts on device buffers: what is loaded or built is what the device
// keeps, and drawing the part's buffers puts the right pixels on the screen.
#include <gtest/gtest.h>

#include <vector>

#include "foundation/byte_reader.h"
#include "render/render_fixture.h"
#include "scene/mesh/mesh_section_writer.h"
#include "scene/mesh/vertex_buffer.h"

namespace {

// Clip-space vertices (all transforms identity): x, y in [-1, 1], z 0.5.
RenderVertex Clip(float x, float y, std::uint32_t colour) { return {x, y, 0.5f, 0, 0, -1, colour, 0, 0}; }

class MeshDevice : public RenderDeviceTest {
 protected:
  void SetUp() override {
    RenderDeviceTest::SetUp();
    s_Render->SetVertexShadersOn(1);
    CVertexBuffer keep(s_Render, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    s_Render->SetVertexShadersOn(0);
    CVertexBuffer reset(nullptr, nullptr, nullptr, nullptr, nullptr);
  }

  // Draws the part's buffers with vertex colours, no lighting, no texture,
  // identity transforms, over a black screen.
  void Draw(CVertexBuffer& part) {
    CMatrix identity;
    identity.SetIdentity();
    s_Render->SetWorldMatrix(identity);
    s_Render->SetViewMatrix(identity);
    s_Render->SetProjectionMatrix(identity);
    s_Render->SetClearColour(0xFF000000);
    s_Render->Clear(1);
    s_Render->BeginScene();
    s_Render->SetBlendMode(13);
    s_Render->SetZEnable(0);
    s_Render->SetLighting(0);
    s_Render->SetCullMode(D3DCULL_NONE);
    s_Render->SetTexture(0, nullptr);
    s_Render->SetVertexFormat(kMeshVertexFormat);
    s_Render->SetStreamSource(part.VertexBuffer, kMeshVertexStride);
    s_Render->SetIndices(part.IndexBuffer);
    const HRESULT hr = part.IsStrip ? s_Render->DrawIndexedStrip(part.PrimitiveCount, part.VertexCount)
                                    : s_Render->DrawIndexedList(part.PrimitiveCount, part.VertexCount);
    EXPECT_EQ(hr, D3D_OK);
    s_Render->EndScene();
    s_Render->SetCullMode(D3DCULL_CCW);
    s_Render->SetZEnable(1);
  }
};

// Pixel rows run top-down: clip y = +1 is row 0.
D3DCOLOR PixelAt(float x, float y) {
  return D3D8TestReadPixel(g_Device, static_cast<int>((x + 1) * 400), static_cast<int>((1 - y) * 300));
}

}  // namespace

TEST_F(MeshDevice, LoadedPartsKeepTheirBytesInDeviceBuffers) {
  MeshPartSource source;
  source.Vertices = {Clip(-1, -1, 0xFFFF0000), Clip(0, -1, 0xFFFF0000), Clip(0, 0, 0xFFFF0000),
                     Clip(-1, 0, 0xFFFF0000)};
  source.ListIndices = {0, 1, 2, 0, 2, 3};
  ByteWriter out;
  WriteMeshPart(out, source);
  ByteReader in(out.Data().data(), out.Size());
  CVertexBuffer part;
  ASSERT_TRUE(part.Load(in, 7));
  ASSERT_NE(part.VertexBuffer, nullptr);
  ASSERT_NE(part.IndexBuffer, nullptr);
  EXPECT_EQ(part.Vertices, nullptr) << "on hardware buffers nothing stays in system memory";
  EXPECT_EQ(part.ListIndices, nullptr);

  const RenderVertex* v = part.LockVertices();
  ASSERT_NE(v, nullptr);
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(v[i].x, source.Vertices[i].x) << i;
  part.UnlockVertices();
  const std::uint16_t* indices = part.LockIndices();
  ASSERT_NE(indices, nullptr);
  EXPECT_EQ(std::vector<std::uint16_t>(indices, indices + 6), source.ListIndices);
  part.UnlockIndices();

  // The quad covers the lower-left quarter of the screen.
  Draw(part);
  EXPECT_EQ(PixelAt(-0.5f, -0.5f), 0xFFFF0000u);
  EXPECT_EQ(PixelAt(0.5f, 0.5f), 0xFF000000u);
  EXPECT_EQ(PixelAt(-0.5f, 0.5f), 0xFF000000u);
}

TEST_F(MeshDevice, BuiltStripDrawsEveryTriangleAndNothingElse) {
  // Two separate squares (four triangles) of different colours: the strip
  // must join them without drawing anything between.
  const RenderVertex g = Clip(0, 0, 0xFF00FF00);
  auto at = [](RenderVertex v, float x, float y) {
    v.x = x;
    v.y = y;
    return v;
  };
  const RenderVertex b = Clip(0, 0, 0xFF0000FF);
  const std::vector<RenderVertex> triangles = {
      at(g, -0.9f, -0.9f), at(g, -0.5f, -0.9f), at(g, -0.5f, -0.5f),
      at(g, -0.9f, -0.9f), at(g, -0.5f, -0.5f), at(g, -0.9f, -0.5f),
      at(b, 0.5f, 0.5f),   at(b, 0.9f, 0.5f),   at(b, 0.9f, 0.9f),
      at(b, 0.5f, 0.5f),   at(b, 0.9f, 0.9f),   at(b, 0.5f, 0.9f),
  };
  CVertexBuffer part;
  for (const RenderVertex& v : triangles) part.PushIndex(static_cast<std::uint16_t>(part.AddVertex(v)));
  EXPECT_EQ(part.VertexCount, 8u) << "shared corners are welded";
  ASSERT_TRUE(part.Finish(true));
  ASSERT_EQ(part.IsStrip, 1u);
  ASSERT_NE(part.IndexBuffer, nullptr);
  ASSERT_NE(part.ListIndices, nullptr) << "a strip keeps its list for the shadow code";
  EXPECT_EQ(part.ListIndexCount, 12u);

  Draw(part);
  EXPECT_EQ(PixelAt(-0.7f, -0.7f), 0xFF00FF00u);
  EXPECT_EQ(PixelAt(0.7f, 0.7f), 0xFF0000FFu);
  EXPECT_EQ(PixelAt(0.0f, 0.0f), 0xFF000000u) << "the stitching draws nothing between the squares";
  EXPECT_EQ(PixelAt(-0.7f, 0.7f), 0xFF000000u);
  EXPECT_EQ(PixelAt(0.7f, -0.7f), 0xFF000000u);
}

TEST_F(MeshDevice, BumpMakesATangentStreamOnceWhenTheDeviceHasShaders) {
  MeshPartSource source;
  source.Vertices = {{0, 0, 0, 0, 0, -1, 0xFFFFFFFF, 0, 0},
                     {1, 0, 0, 0, 0, -1, 0xFFFFFFFF, 1, 0},
                     {0, 1, 0, 0, 0, -1, 0xFFFFFFFF, 0, 1}};
  source.ListIndices = {0, 1, 2};
  ByteWriter out;
  WriteMeshPart(out, source);
  ByteReader in(out.Data().data(), out.Size());
  CVertexBuffer part;
  ASSERT_TRUE(part.Load(in, 7));
  const bool shaders = s_Render->SupportsVertexShader(1, 0, 12) && s_Render->SupportsPixelShader(1, 0);
  EXPECT_EQ(part.SupportsBump(), shaders);
  CTexture* first = reinterpret_cast<CTexture*>(0x10);
  EXPECT_EQ(part.PrepareBump(first), shaders);
  if (!shaders) return;
  ASSERT_NE(part.TangentBuffer, nullptr);
  EXPECT_EQ(part.BumpOn, 1u);
  EXPECT_FALSE(part.PrepareBump(reinterpret_cast<CTexture*>(0x20)));
  EXPECT_EQ(part.BumpTexture, first) << "a second call keeps the first bump texture";
}
