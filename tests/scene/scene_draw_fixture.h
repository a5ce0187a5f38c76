// A started render object with a camera, a transparent queue on a level
// buffer, and helpers that make textured quads as mesh parts: shared by the
// tests of the queue and the mesh draw paths.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/memory/linear_buffer.h"
#include "render/geometry/camera.h"
#include "render/render_fixture.h"
#include "render/textures/texture.h"
#include "scene/lights/light_table.h"
#include "scene/mesh/mesh_section_writer.h"
#include "scene/mesh/vertex_buffer.h"
#include "scene/transparent/depth_sort_queue.h"

class DrawScene : public RenderDeviceTest {
 protected:
  void SetUp() override {
    RenderDeviceTest::SetUp();
    s_Render->SetVertexShadersOn(1);
    camera_ = std::make_unique<CCamera>();
    camera_->SetView({0, 0, 0}, {0, 0, 0});
    camera_->SetProjection(60.0f, 1.0f, 1000.0f);
    camera_->SetFarClip(1000.0f);
    camera_->ApplyAllTransforms();
    CCamera::SetCurrentCamera(camera_.get());
    level_ = std::make_unique<CLinearBuffer>(1u << 20, "level");
    queue_.Create(s_Render, camera_.get(), nullptr, BlockBytes());
    ASSERT_TRUE(queue_.CreatePools(level_.get()));
    g_DepthSortQueue = &queue_;
    CVertexBuffer keep(s_Render, nullptr, nullptr, nullptr, &queue_);
    CMatrix identity;
    identity.SetIdentity();
    s_Render->SetWorldMatrix(identity);
  }
  void TearDown() override {
    CLightTable::ClearActive();
    CVertexBuffer reset(nullptr, nullptr, nullptr, nullptr, nullptr);
    g_DepthSortQueue = nullptr;
    CCamera::SetCurrentCamera(nullptr);
    s_Render->SetVertexShadersOn(0);
  }
  virtual std::uint32_t BlockBytes() const { return kDepthSortBlockBytes; }

  // A 2 x 2 texture of one colour; alpha says whether it counts as having alpha.
  static std::unique_ptr<CTexture> Texture(DWORD argb, bool alpha, std::uint32_t flags = 0) {
    auto t = std::make_unique<CTexture>();
    t->DeviceTexture = MakeSolidTexture(argb);
    t->HasAlpha = alpha ? 1 : 0;
    t->Flags = flags;
    return t;
  }

  // A square of half-size s at depth z facing the camera (clockwise on
  // screen), white, as one listed part on device buffers.
  static void MakeQuadPart(CVertexBuffer& part, float s, float z, std::uint32_t flags = 0) {
    MeshPartSource source;
    source.Flags = flags;
    source.Vertices = {{-s, -s, z, 0, 0, -1, 0xFFFFFFFF, 0, 1},
                       {-s, s, z, 0, 0, -1, 0xFFFFFFFF, 0, 0},
                       {s, s, z, 0, 0, -1, 0xFFFFFFFF, 1, 0},
                       {s, -s, z, 0, 0, -1, 0xFFFFFFFF, 1, 1}};
    source.ListIndices = {0, 1, 2, 0, 2, 3};
    ByteWriter out;
    WriteMeshPart(out, source);
    ByteReader in(out.Data().data(), out.Data().size());
    ASSERT_TRUE(part.Load(in, 0));
  }

  void ClearScreen(DWORD colour) {
    s_Render->SetClearColour(colour);
    s_Render->Clear(1);
  }
  static D3DCOLOR Centre() { return D3D8TestReadPixel(g_Device, 400, 300); }

  std::unique_ptr<CCamera> camera_;
  std::unique_ptr<CLinearBuffer> level_;
  DepthSortQueue queue_;
};

inline int Channel(D3DCOLOR c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }
