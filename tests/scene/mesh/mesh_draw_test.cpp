// The fixed-function mesh draw paths, checked through the device's call log
// and the screen: drawing now or queueing, alpha test and depth writes of
// cut-out parts, the second stage (reflection or detail), draw parameters,
// and shadow queueing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/device/render.h"
#include "scene/mesh/mesh_draw.h"
#include "scene/vertex_anim/vertex_anim.h"
#include "scene/mesh/mesh_draw_params.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/scene_draw_fixture.h"
#include "world/environment/env_object.h"

namespace {

class MeshDraw : public DrawScene {
 protected:
  void SetUp() override {
    DrawScene::SetUp();
    MakeQuadPart(part_, 100.0f, 0.0f);
    CMatrix world;
    world.SetIdentity();
    world.SetTranslationXYZ(0.0f, 0.0f, 200.0f);
    s_Render->SetWorldMatrix(world);
    queue_.Clear();
  }
  bool Queued() const { return queue_.Lowest <= queue_.Highest; }
  // Values the log shows a render state (or a stage state of stage 1) was set to, in order.
  std::vector<std::uint64_t> RenderStates(D3DRENDERSTATETYPE state) const {
    std::vector<std::uint64_t> v;
    for (const D3D8Call& c : Calls("SetRenderState"))
      if (c.args[0] == static_cast<std::uint64_t>(state)) v.push_back(c.args[1]);
    return v;
  }
  std::vector<std::uint64_t> StageStates(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const {
    std::vector<std::uint64_t> v;
    for (const D3D8Call& c : Calls("SetTextureStageState"))
      if (c.args[0] == stage && c.args[1] == static_cast<std::uint64_t>(type)) v.push_back(c.args[2]);
    return v;
  }
  bool BoundOnStage(DWORD stage, const CTexture* t) const {
    for (const D3D8Call& c : Calls("SetTexture"))
      if (c.args[0] == stage && c.args[1] == reinterpret_cast<std::uint64_t>(t->DeviceTexture)) return true;
    return false;
  }
  std::size_t Draws() const { return Calls("DrawIndexedPrimitive").size(); }

  CVertexBuffer part_;
};

TEST_F(MeshDraw, TintedKindsDrawNowOnlyWhenOpaque) {
  const auto texture = Texture(0xFFFF0000, false);
  part_.Texture = texture.get();
  const struct {
    std::uint32_t kind, colour;
    bool queued;
  } cases[] = {{24, 0xFF336699, false}, {24, 0xFE336699, true}, {25, 0xFF336699, true}, {0, 0x10336699, false}};
  for (const auto& c : cases) {
    queue_.Clear();
    MeshDrawParams params;
    params.Kind = c.kind;
    params.Colour = c.colour;
    Record();
    s_Render->SetBlendMode(2);
    part_.Draw(nullptr, &params);
    EXPECT_EQ(Queued(), c.queued) << c.kind << " " << std::hex << c.colour;
    EXPECT_EQ(Draws(), c.queued ? 0u : 1u);
    if (!c.queued) {
      EXPECT_EQ(s_Render->GetBlendMode(), c.kind == 24 ? 24 : 1);
      const auto factors = RenderStates(D3DRS_TEXTUREFACTOR);
      ASSERT_FALSE(factors.empty());
      EXPECT_EQ(factors.back(), c.kind == 24 ? c.colour : 0xFFFFFFFFu);
    }
  }
  part_.Texture = nullptr;
}

TEST_F(MeshDraw, TransparentPartsAreQueuedUnlessFlaggedNever) {
  const auto alpha = Texture(0x80FF0000, true);
  const auto opaque = Texture(0xFFFF0000, false);
  const struct {
    const CTexture* texture;
    std::uint32_t flags;
    bool queued, drawn;
  } cases[] = {{opaque.get(), 0, false, true},
               {alpha.get(), 0, true, false},
               {opaque.get(), MESHPART_ALWAYS_QUEUED, true, false},
               {alpha.get(), MESHPART_NEVER_QUEUED, false, false},
               {nullptr, 0, false, false}};
  for (const auto& c : cases) {
    queue_.Clear();
    part_.Texture = const_cast<CTexture*>(c.texture);
    part_.Flags = c.flags;
    Record();
    part_.Draw(nullptr, nullptr);
    EXPECT_EQ(Queued(), c.queued) << c.flags;
    EXPECT_EQ(Draws(), c.drawn ? 1u : 0u) << c.flags;
  }
  part_.Texture = nullptr;
  part_.Flags = 0;
}

// A queued part's bucket is its distance bucket (200 here) plus the queue
// bias, held to the first and the last bucket.
TEST_F(MeshDraw, TheQueueBiasMovesAPartBetweenTheFirstAndTheLastBucket) {
  const auto alpha = Texture(0x80FF0000, true);
  part_.Texture = alpha.get();
  const struct {
    std::int16_t bias;
    std::uint32_t bucket;
  } cases[] = {{0, 200}, {10, 210}, {-10, 190}, {-200, 0}, {-5000, 0}, {799, 999}, {5000, 999}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bias);
    queue_.Clear();
    MeshDrawParams params;
    params.QueueBias = c.bias;
    part_.Draw(nullptr, &params);
    ASSERT_TRUE(Queued());
    EXPECT_EQ(queue_.Lowest, c.bucket);
    EXPECT_EQ(queue_.Highest, c.bucket);
    ASSERT_NE(queue_.Buckets[c.bucket], nullptr);
    EXPECT_EQ(static_cast<const MeshPartItem*>(queue_.Buckets[c.bucket])->Part, &part_);
  }
  part_.Texture = nullptr;
}

TEST_F(MeshDraw, CutOutPartsTestAtOneAndWriteNoDepthWhileTheQueueDraws) {
  const auto texture = Texture(0xFFFF0000, false);
  part_.Texture = texture.get();
  part_.Flags = MESHPART_CUT_OUT;
  for (const bool queueDrawing : {false, true}) {
    queue_.Drawing = queueDrawing ? 1 : 0;
    s_Render->SetZWrite(1);
    Record();
    part_.DrawDirect(nullptr, nullptr);
    EXPECT_EQ(s_Render->GetRenderStateCached(D3DRS_ALPHAREF), queueDrawing ? kMeshCutOutAlphaRef : kMeshAlphaRef);
    EXPECT_EQ(DeviceState(D3DRS_ALPHAREF), queueDrawing ? kMeshCutOutAlphaRef : kMeshAlphaRef);
    const auto zWrites = RenderStates(D3DRS_ZWRITEENABLE);
    if (queueDrawing) {
      ASSERT_EQ(zWrites.size(), 2u);
      EXPECT_EQ(zWrites[0], 0u) << "off for the draw";
      EXPECT_EQ(zWrites[1], 1u) << "restored after";
    } else {
      EXPECT_TRUE(zWrites.empty());
    }
  }
  queue_.Drawing = 0;
  part_.Flags = 0;
  part_.Texture = nullptr;
}

TEST_F(MeshDraw, SecondStageReflectionOrDetail) {
  const auto texture = Texture(0xFFFF0000, false);
  const auto sphere = Texture(0xFF0000FF, false);
  const auto cube = Texture(0xFF0000FF, false, TEXF_CUBE);
  const auto detail = Texture(0xFF808080, false);
  CTexture* listed[] = {texture.get()};
  MeshTextureList exclusions{1, listed};
  part_.Texture = texture.get();
  part_.DetailTexture = detail.get();
  part_.DetailBlendMode = 19;
  part_.DetailScaleU = 4.0f;
  part_.DetailScaleV = 8.0f;
  const struct {
    const char* name;
    const CTexture* reflect;
    bool excluded;
    const CTexture* wantStage1;
    DWORD wantFlags, wantAddress, wantCoordinates;
    int wantBlend;
  } cases[] = {
      {"detail", nullptr, false, detail.get(), D3DTTFF_COUNT2, D3DTADDRESS_WRAP, 0, 19},
      {"detail excluded", nullptr, true, nullptr, 0, 0, 0, 1},
      {"sphere map", sphere.get(), false, sphere.get(), D3DTTFF_COUNT2, D3DTADDRESS_WRAP,
       D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, 18},
      {"cube map", cube.get(), false, cube.get(), D3DTTFF_COUNT3, D3DTADDRESS_CLAMP,
       D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, 18},
      {"reflection with the texture excluded", cube.get(), true, cube.get(), D3DTTFF_COUNT3, D3DTADDRESS_CLAMP,
       D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, 18},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    part_.ReflectTexture = const_cast<CTexture*>(c.reflect);
    part_.ReflectStrength = 0.5f;
    MeshDrawParams params;
    params.Exclusions = c.excluded ? &exclusions : nullptr;
    Record();
    part_.DrawDirect(nullptr, &params);
    EXPECT_EQ(Draws(), 1u);
    const auto flags = StageStates(1, D3DTSS_TEXTURETRANSFORMFLAGS);
    if (c.wantStage1 == nullptr) {
      EXPECT_TRUE(flags.empty()) << "no second stage";
      EXPECT_EQ(s_Render->GetBlendMode(), 1);
      continue;
    }
    EXPECT_TRUE(BoundOnStage(1, c.wantStage1));
    ASSERT_EQ(flags.size(), 2u);
    EXPECT_EQ(flags[0], c.wantFlags);
    EXPECT_EQ(flags[1], static_cast<std::uint64_t>(D3DTTFF_DISABLE)) << "cleaned up after the draw";
    const auto coordinates = StageStates(1, D3DTSS_TEXCOORDINDEX);
    ASSERT_EQ(coordinates.size(), 2u);
    EXPECT_EQ(coordinates[0], c.wantCoordinates);
    EXPECT_EQ(coordinates[1], 0u);
    EXPECT_EQ(StageState(1, D3DTSS_ADDRESSU), c.wantAddress);
    EXPECT_EQ(s_Render->GetBlendMode(), c.wantBlend);
    const auto factors = RenderStates(D3DRS_TEXTUREFACTOR);
    ASSERT_FALSE(factors.empty());
    EXPECT_EQ(factors.back(), 0x7FFFFFFFu) << "strength 0.5 in the factor's alpha";
    // The texture transform went out for the second stage, and identity after.
    std::size_t transforms = 0;
    for (const D3D8Call& t : Calls("SetTransform")) transforms += t.args[0] == D3DTS_TEXTURE1;
    EXPECT_EQ(transforms, 2u);
  }
  part_.Texture = part_.DetailTexture = part_.ReflectTexture = nullptr;
}

TEST_F(MeshDraw, ParametersReplaceGeometryAndBiasTheDepth) {
  const auto texture = Texture(0xFFFF0000, false);
  part_.Texture = texture.get();
  CVertexBuffer other;
  MakeQuadPart(other, 50.0f, 0.0f);
  MeshReplacementGeometry geometry{0, other.VertexCount, other.ListIndexCount, other.VertexBuffer, other.IndexBuffer};
  MeshDrawParams params;
  params.Geometry = &geometry;
  params.ZBias = 3;
  Record();
  part_.DrawDirect(nullptr, &params);
  const auto streams = Calls("SetStreamSource");
  ASSERT_EQ(streams.size(), 1u);
  EXPECT_EQ(streams[0].args[1], reinterpret_cast<std::uint64_t>(other.VertexBuffer));
  EXPECT_EQ(Draws(), 1u);
  const auto bias = RenderStates(D3DRS_ZBIAS);
  ASSERT_EQ(bias.size(), 2u);
  EXPECT_EQ(bias[0], 3u);
  EXPECT_EQ(bias[1], 0u);
  // Empty replacement geometry draws nothing.
  geometry.VertexCount = 0;
  Record();
  part_.DrawDirect(nullptr, &params);
  EXPECT_EQ(Draws(), 0u);
  part_.Texture = nullptr;
}

TEST_F(MeshDraw, DirectDrawPutsTheTexturedPartOnScreen) {
  const auto texture = Texture(0xFFFF8000, false);
  part_.Texture = texture.get();
  ClearScreen(0xFF000000);
  s_Render->BeginScene();
  s_Render->SetLighting(0);
  s_Render->SetZEnable(0);
  part_.DrawDirect(nullptr, nullptr);
  s_Render->EndScene();
  s_Render->SetZEnable(1);
  EXPECT_EQ(Centre() & 0xFFFFFF, 0xFF8000u);
  EXPECT_EQ(D3D8TestReadPixel(g_Device, 5, 5) & 0xFFFFFF, 0u) << "outside the quad";
  // An override texture replaces the part's.
  const auto override = Texture(0xFF00FFFF, false);
  s_Render->BeginScene();
  s_Render->SetZEnable(0);
  part_.DrawDirect(override.get(), nullptr);
  s_Render->EndScene();
  s_Render->SetZEnable(1);
  EXPECT_EQ(Centre() & 0xFFFFFF, 0x00FFFFu);
  part_.Texture = nullptr;
}

TEST_F(MeshDraw, ShadowsAreQueuedForSmallPartsOnly) {
  CVBufferObject mesh;
  std::uint8_t faces[24] = {};
  auto* small = new CVertexBuffer;
  auto* large = new CVertexBuffer;
  auto* none = new CVertexBuffer;
  MakeQuadPart(*small, 10.0f, 0.0f);
  small->Faces = faces;
  large->Faces = faces;
  large->ListIndexCount = 301;
  small->Next = large;
  large->Next = none;
  mesh.FirstPart = small;
  mesh.PartCount = 3;
  g_ShadowLightPosition = CVector3{1, 2, 3};
  testing::internal::CaptureStdout();
  mesh.QueueShadows();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "SHADOW IS TOO BIG !!!!\n");
  ASSERT_NE(queue_.Buckets[kMeshShadowBucket], nullptr);
  const auto* item = static_cast<const ShadowVolumeItem*>(queue_.Buckets[kMeshShadowBucket]);
  EXPECT_EQ(item->Kind, DSK_SHADOW_VOLUME);
  EXPECT_EQ(item->Part, small);
  EXPECT_EQ(item->LightPosition.z, 3.0f);
  EXPECT_EQ(item->World.m[3][2], 200.0f);
  EXPECT_EQ(item->Next, nullptr) << "one shadow only";
  small->Faces = large->Faces = nullptr;
  large->ListIndexCount = 0;
  mesh.Free();
}

TEST_F(MeshDraw, EnvironmentHooksDrawTheTemplateMesh) {
  const auto texture = Texture(0xFFFF0000, false);
  const EnvDrawHooks before = GetEnvDrawHooks();
  InstallMeshDrawHooks();
  EXPECT_NE(GetEnvDrawHooks().DrawMesh, nullptr);
  EXPECT_EQ(GetEnvDrawHooks().DrawVertexAnimFrame, &VertexAnimDrawFrame) << "vertex-animated templates drawn too";
  CEnvObject node;
  auto* mesh = new CVBufferObject;
  auto* part = new CVertexBuffer;
  MakeQuadPart(*part, 10.0f, 0.0f);
  part->Texture = texture.get();
  mesh->FirstPart = part;
  mesh->PartCount = 1;
  node.TemplateKind = OTYPE_ENV;
  node.Mesh = mesh;
  Record();
  EXPECT_EQ(node.SubmitMesh(nullptr, 0, nullptr), 1);
  EXPECT_EQ(Draws(), 1u);
  part->Texture = nullptr;
  SetEnvDrawHooks(before);
}

}  // namespace
