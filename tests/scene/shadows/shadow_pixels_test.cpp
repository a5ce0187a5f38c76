// Stencil shadows on the real device: a box standing on the ground under a
// directional light casts, through the transparent queue, a volume whose
// darkening covers exactly the ground pixels inside its silhouette's
// extrusion (the box's shadow on the ground, worked out here by casting a
// ray from the eye through each pixel and from the ground point towards the
// light), and nothing of the box's lit faces.  The darkness follows the
// time of day; without stencil support nothing changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/geometry/camera.h"
#include "scene/lights/light_table.h"
#include "scene/mesh/mesh_draw.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/scene_draw_fixture.h"
#include "scene/shadows/shadow_faces.h"
#include "scene/shadows/shadow_hooks.h"
#include "scene/shadows/shadow_shapes.h"
#include "scene/shadows/shadows.h"
#include "world/sky/sky.h"

namespace {

using namespace shadow_test;

constexpr int kWidth = 800, kHeight = 600;
constexpr float kBox = 100.0f;     // half width; the box stands from y = 0 to 2 kBox
constexpr float kGround = 1500.0f;  // half size of the ground square

enum PixelKind { kSky, kGroundLit, kGroundShadow, kBoxLit, kBoxUnlit };

// Where a ray from o along d enters the box, or a negative t; the entered face's normal in *n.
float HitBox(const CVector3& o, const CVector3& d, CVector3* n) {
  const float lo[3] = {-kBox, 0.0f, -kBox}, hi[3] = {kBox, 2.0f * kBox, kBox};
  const float org[3] = {o.x, o.y, o.z}, dir[3] = {d.x, d.y, d.z};
  float enter = -1e30f, leave = 1e30f;
  int axis = -1;
  float sign = 0.0f;
  for (int k = 0; k < 3; ++k) {
    if (std::fabs(dir[k]) < 1e-12f) {
      if (org[k] < lo[k] || org[k] > hi[k]) return -1.0f;
      continue;
    }
    float t0 = (lo[k] - org[k]) / dir[k], t1 = (hi[k] - org[k]) / dir[k];
    float s = -1.0f;
    if (t0 > t1) {
      std::swap(t0, t1);
      s = 1.0f;
    }
    if (t0 > enter) {
      enter = t0;
      axis = k;
      sign = s;
    }
    leave = std::min(leave, t1);
  }
  if (enter > leave || leave < 0.0f) return -1.0f;
  if (n != nullptr) {
    *n = {};
    (axis == 0 ? n->x : axis == 1 ? n->y : n->z) = sign;
  }
  return enter;
}

class ShadowPixels : public DrawScene {
 protected:
  void SetUp() override {
    DrawScene::SetUp();
    camera_->SetView({0.0f, 650.0f, -800.0f}, {35.0f, 0.0f, 0.0f});
    camera_->SetProjection(60.0f, 10.0f, 5000.0f);
    camera_->SetFarClip(5000.0f);
    camera_->UpdateFrustum();
    InstallShadowQueueHook(&queue_);
    white_ = Texture(0xFFFFFFFF, false);
    LoadPart(ground_, Ground(kGround));
    box_ = new CVertexBuffer;
    LoadPart(*box_, Box({-kBox, 0.0f, -kBox}, {kBox, 2.0f * kBox, kBox}));
    mesh_.FirstPart = box_;
    mesh_.PartCount = 1;
    ASSERT_TRUE(CShadowMesh::BuildPart(box_));
    // The sun 50 degrees up, its light travelling towards +x and a little -z.
    light_ = std::make_unique<CLightTable>(4);
    const CVector3 angles{50.0f, 110.0f, 0.0f};
    ASSERT_EQ(light_->CreateDirectionalLight({}, angles, CColour{0.8f, 0.8f, 0.8f, 1}, CColour{0.15f, 0.15f, 0.15f, 1},
                                             "Sun", 0),
              0);
    AnglesToDirection(angles, &lightVector_);
  }
  void TearDown() override {
    mesh_.Free();
    s_Render->m_ShadowLevel = 2;
    DrawScene::TearDown();
  }

  // The lit scene, then (with shadows) the queued volume and the darkening.
  void DrawFrame(bool shadows) {
    CMatrix identity;
    identity.SetIdentity();
    ClearScreen(0xFF000000);
    s_Render->BeginScene();
    camera_->ApplyAllTransforms();
    queue_.Clear();
    s_Render->SetWorldMatrix(identity);
    s_Render->SetZEnable(1);
    s_Render->SetZWrite(1);
    s_Render->SetCullMode(D3DCULL_CCW);
    s_Render->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
    s_Render->SetAmbient(0);
    s_Render->SetLighting(1);
    D3DMATERIAL8 material{};
    material.Diffuse = {1, 1, 1, 1};
    material.Ambient = {1, 1, 1, 1};
    s_Render->SetMaterial(&material);
    CLightTable::ClearActive();
    ASSERT_TRUE(CLightTable::AddActive(0));
    ground_.DrawDirect(white_.get(), nullptr);
    box_->DrawDirect(white_.get(), nullptr);
    if (shadows) {
      ShadowsSetLightPosition(lightVector_);
      mesh_.QueueShadows();
      s_Render->SetLighting(0);
      s_Render->SetZWrite(0);
      queue_.Draw();
      s_Render->SetZWrite(1);
      ShadowsDarkenScreen();
    }
    s_Render->EndScene();
    CLightTable::ClearActive();
  }

  std::vector<std::uint32_t> ReadFrame() {
    std::vector<std::uint32_t> out(static_cast<std::size_t>(kWidth) * kHeight);
    IDirect3DSurface8* back = nullptr;
    EXPECT_EQ(g_Device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    if (back == nullptr) return out;
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(back->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
      for (int y = 0; y < kHeight; ++y)
        std::copy_n(reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(locked.pBits) +
                                                           y * locked.Pitch),
                    kWidth, out.begin() + static_cast<std::ptrdiff_t>(y) * kWidth);
      back->UnlockRect();
    }
    back->Release();
    return out;
  }

  // What the eye sees through the pixel's centre.
  PixelKind Kind(int px, int py) const {
    float ray[6];
    camera_->ScreenToRay(px + 0.5f, py + 0.5f, kWidth, kHeight, ray);
    const CVector3 o{ray[0], ray[1], ray[2]}, d{ray[3], ray[4], ray[5]};
    CVector3 n{};
    const float tBox = HitBox(o, d, &n);
    const float tGround = d.y < 0.0f ? -o.y / d.y : -1.0f;
    if (tBox >= 0.0f && (tGround < 0.0f || tBox <= tGround)) {
      const float towardsLight = -(n.x * lightVector_.x + n.y * lightVector_.y + n.z * lightVector_.z);
      return towardsLight > 0.0f ? kBoxLit : kBoxUnlit;
    }
    if (tGround < 0.0f) return kSky;
    const CVector3 g{o.x + d.x * tGround, 0.0f, o.z + d.z * tGround};
    if (std::fabs(g.x) > kGround || std::fabs(g.z) > kGround) return kSky;
    // In shadow when the way from the ground point towards the light meets the box.
    const CVector3 back{-lightVector_.x, -lightVector_.y, -lightVector_.z};
    return HitBox(g, back, nullptr) > 0.0f ? kGroundShadow : kGroundLit;
  }

  std::unique_ptr<CTexture> white_;
  CVertexBuffer ground_;
  CVertexBuffer* box_ = nullptr;  // owned by mesh_
  CVBufferObject mesh_;
  std::unique_ptr<CLightTable> light_;
  CVector3 lightVector_{};
};

int Green(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }

TEST_F(ShadowPixels, TheBoxDarkensTheGroundInsideItsExtrudedSilhouetteOnly) {
  ASSERT_TRUE(ShadowsSupported(s_Render)) << "the test device has a stencil buffer";
  CSky sky(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  sky.SetTimeOfDay(12.0f);  // full strength: alpha 96
  DrawFrame(false);
  const std::vector<std::uint32_t> plain = ReadFrame();
  DrawFrame(true);
  const std::vector<std::uint32_t> shaded = ReadFrame();

  // Kinds of every pixel; a pixel next to another kind (edges) is left out.
  std::vector<PixelKind> kinds(plain.size());
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) kinds[static_cast<std::size_t>(y) * kWidth + x] = Kind(x, y);
  int counted[5] = {}, wrong[5] = {};
  for (int y = 1; y + 1 < kHeight; ++y) {
    for (int x = 1; x + 1 < kWidth; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * kWidth + x;
      const PixelKind k = kinds[i];
      bool edge = false;
      for (int dy = -1; dy <= 1 && !edge; ++dy)
        for (int dx = -1; dx <= 1 && !edge; ++dx) edge = kinds[i + dy * kWidth + dx] != k;
      if (edge) continue;
      ++counted[k];
      const int before = Green(plain[i]), after = Green(shaded[i]);
      // Black at alpha 96 leaves (255 - 96) / 255 of the colour.
      const bool darkened = std::abs(after - before * 159 / 255) <= 2 && before > 20;
      const bool unchanged = after == before;
      if (k == kGroundShadow ? !darkened : !unchanged) ++wrong[k];
    }
  }
  EXPECT_GT(counted[kGroundShadow], 2000) << "the shadow is in view";
  EXPECT_GT(counted[kGroundLit], 50000);
  EXPECT_GT(counted[kBoxLit], 5000) << "lit faces of the box are in view";
  EXPECT_EQ(wrong[kGroundShadow], 0) << "of " << counted[kGroundShadow] << " shadowed ground pixels";
  EXPECT_EQ(wrong[kGroundLit], 0) << "of " << counted[kGroundLit] << " lit ground pixels";
  EXPECT_EQ(wrong[kBoxLit], 0) << "of " << counted[kBoxLit] << " pixels of the box's lit faces";
  EXPECT_EQ(wrong[kBoxUnlit], 0) << "of " << counted[kBoxUnlit] << " pixels of the box's other faces";
  EXPECT_EQ(wrong[kSky], 0);
}

TEST_F(ShadowPixels, TheDarknessFollowsTheTimeOfDay) {
  CSky sky(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  DrawFrame(false);
  const std::vector<std::uint32_t> plain = ReadFrame();
  // A ground pixel well inside the shadow (its whole 9 x 9 neighbourhood is).
  int px = -1, py = -1;
  for (int y = 4; y + 4 < kHeight && px < 0; y += 3)
    for (int x = 4; x + 4 < kWidth && px < 0; x += 3) {
      bool inside = true;
      for (int dy = -4; dy <= 4 && inside; dy += 2)
        for (int dx = -4; dx <= 4 && inside; dx += 2) inside = Kind(x + dx, y + dy) == kGroundShadow;
      if (inside) px = x, py = y;
    }
  ASSERT_GE(px, 0) << "the shadow is in view";
  const int before = Green(plain[static_cast<std::size_t>(py) * kWidth + px]);
  const struct {
    float hours;
    bool pale;
    int alpha;
  } cases[] = {{12.0f, false, 96}, {15.0f, false, 48}, {12.0f, true, 72}, {4.0f, false, 0}, {20.0f, false, 0}};
  for (const auto& c : cases) {
    sky.SetTimeOfDay(c.hours);
    sky.Flags = c.pale ? kSkyFlagPaleShadows : 0;
    DrawFrame(true);
    const int after = Green(D3D8TestReadPixel(g_Device, px, py));
    EXPECT_NEAR(after, before * (255 - c.alpha) / 255, 2) << c.hours << (c.pale ? " pale" : "");
  }
}

TEST_F(ShadowPixels, WithoutStencilShadowsNothingIsDrawn) {
  CSky sky(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  DrawFrame(false);
  const std::vector<std::uint32_t> plain = ReadFrame();
  s_Render->m_ShadowLevel = 0;
  const std::uint32_t drawn = ShadowsQuadsDrawn();
  Record();
  DrawFrame(true);
  EXPECT_EQ(ShadowsQuadsDrawn(), drawn);
  EXPECT_TRUE(ReadFrame() == plain);
  for (const D3D8Call& call : Calls("SetRenderState"))
    EXPECT_NE(call.args[0], static_cast<std::uint64_t>(D3DRS_STENCILFUNC)) << "no darkening";
}

TEST_F(ShadowPixels, TheVolumeCountsUpThroughFrontFacesThenDownThroughBackFaces) {
  CSky sky(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  const std::uint32_t drawn = ShadowsQuadsDrawn();
  // The log holds the states that changed: start from the device's.
  DWORD cull = DeviceState(D3DRS_CULLMODE), pass = DeviceState(D3DRS_STENCILPASS);
  DWORD bias = DeviceState(D3DRS_ZBIAS), write = DeviceState(D3DRS_ZWRITEENABLE);
  Record();
  DrawFrame(true);
  // The draws of 12-byte positions and the stencil states each met.
  std::vector<std::vector<DWORD>> volumes;
  bool redrawn = false;
  for (const D3D8Call& call : D3D8TestCalls(g_Device)) {
    if (call.method == "SetRenderState") {
      const auto state = static_cast<D3DRENDERSTATETYPE>(call.args[0]);
      const auto value = static_cast<DWORD>(call.args[1]);
      if (state == D3DRS_CULLMODE) cull = value;
      if (state == D3DRS_STENCILPASS) pass = value;
      if (state == D3DRS_ZBIAS) bias = value;
      if (state == D3DRS_ZWRITEENABLE) write = value;
    } else if (call.method == "DrawIndexedPrimitiveUP" && call.args[5] == 12) {
      volumes.push_back({cull, pass, bias, write, static_cast<DWORD>(call.args[3])});
    } else if (call.method == "DrawIndexedPrimitive" && volumes.size() == 2 && !redrawn) {
      // The box drawn again from its own buffers: front faces count down.
      redrawn = true;
      EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
      EXPECT_EQ(pass, static_cast<DWORD>(D3DSTENCILOP_DECRSAT));
      EXPECT_EQ(call.args[4], 12u) << "its twelve triangles";
    }
  }
  ASSERT_EQ(volumes.size(), 2u);
  EXPECT_TRUE(redrawn);
  const DWORD quads = ShadowsQuadsDrawn() - drawn;
  EXPECT_EQ(quads, 6u) << "the box's silhouette under this light";
  EXPECT_EQ(volumes[0], (std::vector<DWORD>{D3DCULL_CCW, D3DSTENCILOP_INCRSAT, kShadowDepthBias, 0, quads * 2}));
  EXPECT_EQ(volumes[1], (std::vector<DWORD>{D3DCULL_CW, D3DSTENCILOP_DECRSAT, kShadowDepthBias, 0, quads * 2}));
  EXPECT_EQ(DeviceState(D3DRS_ZBIAS), 0u) << "the depth bias back to 0";
  EXPECT_EQ(DeviceState(D3DRS_SHADEMODE), static_cast<DWORD>(D3DSHADE_GOURAUD));
}

}  // namespace
