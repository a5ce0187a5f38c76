#include "scene/vertex_anim/vertex_anim.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "scene/vertex_anim/vertex_anim_fixture.h"

namespace {

using vertex_anim_fixture::Chunk;
using vertex_anim_fixture::Fill;
using vertex_anim_fixture::MakeMesh;

// A one-mesh chunk whose record is of the given version, written field by
// field: 2 vertices, F frames, one triangle (0, 1, 1 is fine for a reader),
// no strip; version 3 carries a "VASP" trailer of `trailer` bytes.
std::vector<std::uint8_t> RecordChunk(std::uint32_t version, std::int32_t frames, std::uint32_t trailer = 0) {
  ByteWriter out;
  out.Tag("VAOB");
  out.I32(1);
  out.I32(frames);
  out.Tag("VLST");
  out.U32(version);
  if (version >= 2) out.U32(0x5151);
  out.U32(0x10);  // flags
  out.U32(3);     // material id
  out.U32(4);     // texture id
  out.I32(0);     // strip flag
  out.I32(2);     // V
  out.I32(0);     // S
  out.I32(3);     // L
  out.I32(frames);
  for (int v = 0; v < 2; ++v) {
    for (float f : {static_cast<float>(v), 0.0f, 0.0f, 0.0f, 1.0f, 0.0f}) out.F32(f);
    out.U32(0xFFFFFFFF);
    out.F32(0.0f);
    out.F32(0.0f);
  }
  for (int k = 1; k < frames; ++k)
    for (int v = 0; v < 2; ++v)
      for (float f : {static_cast<float>(v), static_cast<float>(k), 0.0f, 0.0f, 1.0f, 0.0f}) out.F32(f);
  for (std::uint16_t i : {0, 1, 1}) out.U16(i);
  if (version >= 3) {
    out.Tag("VASP");
    out.U32(trailer);
    for (std::uint32_t i = 0; i < trailer; ++i) out.U8(0xEE);
  }
  return out.Data();
}

class VertexAnim : public ::testing::Test {
 protected:
  void SetUp() override { CVertexAnim keep(nullptr, nullptr, nullptr, nullptr, nullptr); }
  void TearDown() override { SetVertexAnimQueueHook(nullptr); }
};

}  // namespace

TEST_F(VertexAnim, ChunkWrittenAndReadBackIsIdentical) {
  const std::vector<std::uint8_t> bytes = Chunk(4);
  ByteReader in(bytes.data(), bytes.size());
  CVertexAnim anim;
  ASSERT_TRUE(anim.Read(in));
  EXPECT_EQ(in.Remaining(), 0u);
  EXPECT_EQ(anim.MeshCount, 2);
  EXPECT_EQ(anim.FrameCount, 4);
  ASSERT_NE(anim.Meshes, nullptr);
  const CVertexAnimMesh& first = *anim.Meshes;
  EXPECT_EQ(first.Version, 3u);
  EXPECT_EQ(first.Reserved, 0xABCDu);
  EXPECT_EQ(first.VertexCount, 6);
  EXPECT_EQ(first.StripFlag, 1);
  EXPECT_EQ(first.Frames.size(), 18u);
  EXPECT_EQ(first.FramePosition(3, 5).y, 30.0f);
  ByteWriter again;
  anim.Write(again);
  EXPECT_EQ(again.Data(), bytes);
  int triangles = 0, vertices = 0, frames = 0;
  anim.GetCounts(&triangles, &vertices, &frames);
  EXPECT_EQ(triangles, 6);
  EXPECT_EQ(vertices, 10);
  EXPECT_EQ(frames, 4);
  EXPECT_EQ(anim.GetTextureIds(), (std::vector<std::uint32_t>{5, 6}));
  EXPECT_EQ(anim.GetMaterialIds(), (std::vector<std::uint32_t>{11}));
}

TEST_F(VertexAnim, ExcludedMeshesAreNotWritten) {
  CVertexAnim anim;
  Fill(&anim, {MakeMesh(1, 2), MakeMesh(1, 2, VAMESH_EXCLUDED), MakeMesh(2, 2)}, 2);
  ByteWriter out;
  anim.Write(out);
  ByteReader in(out.Data().data(), out.Size());
  CVertexAnim back;
  ASSERT_TRUE(back.Read(in));
  EXPECT_EQ(back.MeshCount, 2);
  EXPECT_EQ(back.Meshes->Next->VertexCount, 6);
}

TEST_F(VertexAnim, EachRecordVersionHasItsOwnLayout) {
  struct Case {
    std::uint32_t version;
    std::uint32_t trailer;
    std::uint32_t reserved;
  } cases[] = {{1, 0, 0}, {2, 0, 0x5151}, {3, 0, 0x5151}, {3, 9, 0x5151}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version * 100 + c.trailer);
    const std::vector<std::uint8_t> bytes = RecordChunk(c.version, 3, c.trailer);
    ByteReader in(bytes.data(), bytes.size());
    CVertexAnim anim;
    ASSERT_TRUE(anim.Read(in));
    EXPECT_EQ(in.Remaining(), 0u) << "the record and its trailer are read whole";
    EXPECT_EQ(anim.Meshes->Version, c.version);
    EXPECT_EQ(anim.Meshes->Reserved, c.reserved);
    EXPECT_EQ(anim.Meshes->Flags, 0x10u);
    EXPECT_EQ(anim.Meshes->FramePosition(2, 1).y, 2.0f);
  }
}

TEST_F(VertexAnim, DamagedChunksAreRefusedAndLeaveNothing) {
  auto patch32 = [](std::vector<std::uint8_t>* b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) (*b)[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  // Offsets in RecordChunk(2, 3): chunk header 12, then tag 4, version 4, reserved 4, flags, material,
  // texture, strip flag, V at 40, S 44, L 48, F 52, vertices from 56, list indices at 56 + 72 + 96.
  struct Case {
    const char* name;
    std::function<void(std::vector<std::uint8_t>*)> damage;
  } cases[] = {
      {"wrong chunk tag", [&](auto* b) { (*b)[1] = 'x'; }},
      {"chunk frame count 0", [&](auto* b) { patch32(b, 8, 0); }},
      {"negative mesh count", [&](auto* b) { patch32(b, 4, 0xFFFFFFFF); }},
      {"mesh count past the bytes", [&](auto* b) { patch32(b, 4, 1000); }},
      {"record version 0", [&](auto* b) { patch32(b, 16, 0); }},
      {"record version 4", [&](auto* b) { patch32(b, 16, 4); }},
      {"record frame count differs", [&](auto* b) { patch32(b, 52, 2); }},
      {"negative vertex count", [&](auto* b) { patch32(b, 40, 0x80000000u); }},
      {"vertex count past the bytes", [&](auto* b) { patch32(b, 40, 5000); }},
      {"list count not a multiple of 3", [&](auto* b) { patch32(b, 48, 4); }},
      {"list index beyond the vertices", [&](auto* b) { (*b)[56 + 72 + 96 + 2] = 2; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> bytes = RecordChunk(2, 3);
    c.damage(&bytes);
    ByteReader in(bytes.data(), bytes.size());
    CVertexAnim anim;
    EXPECT_FALSE(anim.Read(in));
    EXPECT_EQ(anim.Meshes, nullptr);
    EXPECT_EQ(anim.MeshCount, 0);
  }
  const std::vector<std::uint8_t> bytes = Chunk(3);
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    ByteReader in(bytes.data(), n);
    CVertexAnim anim;
    EXPECT_FALSE(anim.Read(in)) << n;
  }
}

TEST_F(VertexAnim, FramesInterpolateAndTheLastBlendsBackToTheBase) {
  // F = 4: vertex v is at y = 10 k in frame k (k = 0 the base frame).
  std::unique_ptr<CVertexAnimMesh> mesh(MakeMesh(1, 4));
  struct Case {
    float frame;
    float y;   // expected y of every vertex
    float nz;  // expected normal z
  } cases[] = {
      {0.0f, 0.0f, 0.0f},  {2.0f, 20.0f, 2.0f},  // an exact frame is that frame unchanged
      {1.25f, 12.5f, 1.25f}, {3.5f, 15.0f, 1.5f},  // halfway between frame 3 and the base frame
      {3.0f, 30.0f, 3.0f},  {4.5f, 5.0f, 0.5f},   // past the end it wraps
      {7.75f, 7.5f, 0.75f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frame);
    mesh->Interpolate(c.frame);
    EXPECT_EQ(mesh->LastFrameDrawn, c.frame);
    for (int v = 0; v < mesh->VertexCount; ++v) {
      const RenderVertex& w = mesh->Work[static_cast<std::size_t>(v)];
      EXPECT_FLOAT_EQ(w.x, static_cast<float>(v));
      EXPECT_FLOAT_EQ(w.y, c.y);
      EXPECT_FLOAT_EQ(w.nz, c.nz);
      EXPECT_EQ(w.Colour, 0xFF336699u) << "colour from the base frame";
      EXPECT_FLOAT_EQ(w.u, 0.1f * static_cast<float>(v));
    }
  }
}

TEST_F(VertexAnim, TheSameFrameAgainIsNotInterpolatedAgain) {
  std::unique_ptr<CVertexAnimMesh> mesh(MakeMesh(1, 4));
  mesh->Interpolate(1.5f);
  EXPECT_FLOAT_EQ(mesh->Work[0].y, 15.0f);
  mesh->Frames[0].Position.y = 1000.0f;  // frame 1, vertex 0
  mesh->Interpolate(1.5f);
  EXPECT_FLOAT_EQ(mesh->Work[0].y, 15.0f) << "the work vertices of the last frame are kept";
  mesh->Interpolate(1.0f);
  EXPECT_FLOAT_EQ(mesh->Work[0].y, 1000.0f);
  // A scroll of the texture coordinates shows even on the same frame.
  mesh->SetUVScroll(0.5f, -0.25f);
  mesh->Interpolate(1.0f);
  EXPECT_FLOAT_EQ(mesh->Work[0].u, 0.5f);
  EXPECT_FLOAT_EQ(mesh->Work[0].v, 0.25f);
}

TEST_F(VertexAnim, OneFrameShowsTheBaseFrameFromTheStart) {
  const std::vector<std::uint8_t> bytes = RecordChunk(3, 1);
  ByteReader in(bytes.data(), bytes.size());
  CVertexAnim anim;
  ASSERT_TRUE(anim.Read(in));
  CVertexAnimMesh& mesh = *anim.Meshes;
  ASSERT_EQ(mesh.Work.size(), 2u);
  EXPECT_FLOAT_EQ(mesh.Work[1].x, 1.0f);
  EXPECT_FLOAT_EQ(mesh.Work[1].ny, 1.0f);
  anim.SetUVScroll(0.25f, 0.0f);
  mesh.Interpolate(0.0f);
  EXPECT_FLOAT_EQ(mesh.Work[1].u, 0.25f);
  EXPECT_FLOAT_EQ(mesh.Work[1].x, 1.0f);
}

TEST_F(VertexAnim, QueuedAndDirectMeshesFollowFlagsAndAlpha) {
  static std::vector<const CVertexAnimMesh*> queued;
  queued.clear();
  SetVertexAnimQueueHook([](CVertexAnimMesh* mesh, CTexture*, float frame, int argument) {
    EXPECT_EQ(frame, 2.5f);
    EXPECT_EQ(argument, 9);
    queued.push_back(mesh);
  });
  CVertexAnim anim;
  CVertexAnimMesh* plain = MakeMesh(1, 3);
  CVertexAnimMesh* always = MakeMesh(1, 3, VAMESH_ALWAYS_QUEUED);
  CVertexAnimMesh* excluded = MakeMesh(1, 3, VAMESH_EXCLUDED | VAMESH_ALWAYS_QUEUED);
  Fill(&anim, {plain, always, excluded}, 3);
  anim.Draw(2.5f, 9, nullptr);
  EXPECT_EQ(queued, (std::vector<const CVertexAnimMesh*>{always}));
  EXPECT_EQ(plain->LastFrameDrawn, 2.5f) << "the plain mesh was drawn at once";
  EXPECT_EQ(always->LastFrameDrawn, -1.0f);
  EXPECT_EQ(excluded->LastFrameDrawn, -1.0f);
}
