#include "scene/mesh/vertex_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "foundation/byte_reader.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/mesh_section_writer.h"
#include "scene/mesh/mesh_strips.h"
#include "scene/mesh/vbuffer_object.h"

namespace {

RenderVertex Vtx(float x, float y, float u, float v, std::uint32_t colour = 0xFF808080) {
  return {x, y, 0.5f, 0, 0, -1, colour, u, v};
}

// A quad as two listed triangles over four vertices.
MeshPartSource Quad(std::uint32_t version) {
  MeshPartSource part;
  part.Version = version;
  part.Flags = 0x10;
  part.MaterialId = 0x1234;
  part.TextureId = 0x5678;
  part.Vertices = {Vtx(0, 0, 0, 0), Vtx(1, 0, 1, 0), Vtx(1, 1, 1, 1), Vtx(0, 1, 0, 1)};
  part.ListIndices = {0, 1, 2, 0, 2, 3};
  part.ClampU = 1;
  part.ClampV = 0;
  return part;
}

std::vector<std::uint8_t> Bytes(const MeshPartSource& part) {
  ByteWriter out;
  WriteMeshPart(out, part);
  return out.Data();
}

// Parts made without a render object keep everything in system memory.
class MeshPartTest : public ::testing::Test {
 protected:
  void SetUp() override { CVertexBuffer keep(nullptr, nullptr, nullptr, nullptr, nullptr); }
};

bool SameBytes(const RenderVertex& a, const RenderVertex& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST_F(MeshPartTest, EveryRecordVersionReadsBackWhatWasWritten) {
  for (std::uint32_t version = 1; version <= 5; ++version) {
    SCOPED_TRACE(version);
    const MeshPartSource source = Quad(version);
    const std::vector<std::uint8_t> bytes = Bytes(source);
    ByteReader in(bytes.data(), bytes.size());
    CVertexBuffer part;
    ASSERT_TRUE(part.Load(in, 7));
    EXPECT_EQ(in.Remaining(), 0u) << "the whole record, sub-chunks included, is consumed";
    EXPECT_EQ(part.Version, version);
    EXPECT_EQ(part.Flags, 0x10u);
    EXPECT_EQ(part.MaterialId, 0x1234u);
    EXPECT_EQ(part.TextureId, 0x5678u);
    EXPECT_EQ(part.VertexCount, 4u);
    EXPECT_EQ(part.ListIndexCount, 6u);
    EXPECT_EQ(part.PrimitiveCount, 2u);
    EXPECT_EQ(part.IsStrip, 0u);
    ASSERT_NE(part.Vertices, nullptr);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(SameBytes(part.Vertices[i], source.Vertices[i])) << i;
    ASSERT_NE(part.ListIndices, nullptr);
    EXPECT_EQ(std::vector<std::uint16_t>(part.ListIndices, part.ListIndices + 6), source.ListIndices);
    EXPECT_EQ(part.MemoryBytes, sizeof(CVertexBuffer) + 12);
    if (version >= 3) {
      EXPECT_EQ(part.ClampU, 1u);
      EXPECT_EQ(part.ClampV, 0u);
    } else {
      // u and v span [0, 1] on whole units: both floors differ, so both wrap.
      EXPECT_EQ(part.ClampU, 0u);
      EXPECT_EQ(part.ClampV, 0u);
    }
  }
}

TEST_F(MeshPartTest, OldRecordsTakeTheirAddressModesFromTheTextureCoordinates) {
  struct Case {
    const char* what;
    std::vector<std::pair<float, float>> uv;
    std::uint32_t clampU, clampV;
    std::vector<std::pair<float, float>> expected;
  };
  const Case cases[] = {
      {"inside one unit above 3: shifted down and clamped",
       {{3.0f, 3.25f}, {3.5f, 3.5f}, {3.75f, 3.99f}},
       1,
       1,
       {{0.0f, 0.25f}, {0.5f, 0.5f}, {0.75f, 0.99f}}},
      {"u across several units wraps and stays",
       {{0.0f, 0.5f}, {2.5f, 0.5f}, {1.0f, 0.25f}},
       0,
       1,
       {{0.0f, 0.5f}, {2.5f, 0.5f}, {1.0f, 0.25f}}},
      {"negative v unit is shifted up",
       {{0.5f, -1.0f}, {0.5f, -0.5f}, {0.25f, -0.75f}},
       1,
       1,
       {{0.5f, 0.0f}, {0.5f, 0.5f}, {0.25f, 0.25f}}},
  };
  for (std::uint32_t version : {1u, 2u}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      MeshPartSource source;
      source.Version = version;
      for (auto [u, v] : c.uv) source.Vertices.push_back(Vtx(u, v, u, v));
      source.ListIndices = {0, 1, 2};
      const std::vector<std::uint8_t> bytes = Bytes(source);
      ByteReader in(bytes.data(), bytes.size());
      CVertexBuffer part;
      ASSERT_TRUE(part.Load(in, 7));
      EXPECT_EQ(part.ClampU, c.clampU);
      EXPECT_EQ(part.ClampV, c.clampV);
      for (std::size_t i = 0; i < c.expected.size(); ++i) {
        EXPECT_FLOAT_EQ(part.Vertices[i].u, c.expected[i].first) << i;
        EXPECT_FLOAT_EQ(part.Vertices[i].v, c.expected[i].second) << i;
      }
    }
  }
}

TEST_F(MeshPartTest, StripRecordsKeepBothIndexArrays) {
  MeshPartSource source = Quad(4);
  source.IsStrip = 1;
  source.StripIndices = {0, 1, 3, 2};
  const std::vector<std::uint8_t> bytes = Bytes(source);
  ByteReader in(bytes.data(), bytes.size());
  CVertexBuffer part;
  ASSERT_TRUE(part.Load(in, 7));
  EXPECT_EQ(part.IsStrip, 1u);
  EXPECT_EQ(part.PrimitiveCount, 2u);
  EXPECT_EQ(part.StripIndexCount, 4u);
  EXPECT_EQ(std::vector<std::uint16_t>(part.StripIndices, part.StripIndices + 4), source.StripIndices);
  EXPECT_EQ(std::vector<std::uint16_t>(part.ListIndices, part.ListIndices + 6), source.ListIndices);
}

TEST_F(MeshPartTest, CountOnlyRecordsHaveNoGeometryBlock) {
  MeshPartSource source = Quad(4);
  source.CountOnly = 1;
  source.CountOnlyVertices = 4;
  const std::vector<std::uint8_t> bytes = Bytes(source);
  ByteReader in(bytes.data(), bytes.size());
  CVertexBuffer part;
  ASSERT_TRUE(part.Load(in, 7));
  EXPECT_EQ(in.Remaining(), 0u);
  EXPECT_EQ(part.VertexCount, 4u);
  EXPECT_EQ(part.Vertices, nullptr);
  EXPECT_EQ(part.ListIndices, nullptr);
}

TEST_F(MeshPartTest, DamagedRecordsAreRefused) {
  struct Case {
    const char* what;
    void (*damage)(MeshPartSource*);
  };
  const Case cases[] = {
      {"index beyond the vertices", [](MeshPartSource* p) { p->ListIndices[4] = 4; }},
      {"list of a broken triangle", [](MeshPartSource* p) { p->ListIndices.pop_back(); }},
      {"strip of two indices",
       [](MeshPartSource* p) {
         p->IsStrip = 1;
         p->StripIndices = {0, 1};
       }},
      {"strip index beyond the vertices",
       [](MeshPartSource* p) {
         p->IsStrip = 1;
         p->StripIndices = {0, 1, 9};
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MeshPartSource source = Quad(4);
    c.damage(&source);
    const std::vector<std::uint8_t> bytes = Bytes(source);
    ByteReader in(bytes.data(), bytes.size());
    CVertexBuffer part;
    EXPECT_FALSE(part.Load(in, 7));
  }
  // A vertex count far beyond the record: refused before anything is allocated.
  std::vector<std::uint8_t> bytes = Bytes(Quad(4));
  const std::uint32_t huge = 60000;
  std::memcpy(&bytes[28], &huge, 4);  // NV follows tag, version, countOnly, flags, material, texture, isStrip
  ByteReader in(bytes.data(), bytes.size());
  CVertexBuffer part;
  EXPECT_FALSE(part.Load(in, 7));
  EXPECT_EQ(part.Vertices, nullptr);
}

TEST_F(MeshPartTest, EveryCutOfARecordIsRefused) {
  for (std::uint32_t version : {1u, 3u, 5u}) {
    MeshPartSource source = Quad(version);
    source.IsStrip = 1;
    source.StripIndices = {0, 1, 3, 2};
    const std::vector<std::uint8_t> bytes = Bytes(source);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
      ByteReader in(bytes.data(), cut);
      CVertexBuffer part;
      EXPECT_FALSE(part.Load(in, 7)) << "version " << version << " cut at " << cut;
    }
  }
}

TEST_F(MeshPartTest, TextureAndMaterialResolveByIdOrFallBackToEntryZero) {
  CTextureManager textures;
  CMaterialList materials;
  CTexture* brick = textures.GetTexture("brick.png", TEXF_MIPMAPS);
  const float d[4] = {1, 0, 0, 1}, s[4] = {0, 0, 0, 0}, e[4] = {0, 0, 0, 0};
  CMaterial* red = materials.FindOrAdd(d, s, 2.0f, e);
  CVertexBuffer keep(nullptr, &textures, &materials, nullptr, nullptr);

  struct Case {
    std::uint32_t textureId, materialId;
    CTexture* texture;
    CMaterial* material;
  } cases[] = {
      {brick->Id, red->Id, brick, red},
      {0xDEAD, 0xBEEF, textures.GetTextureByIndex(0), materials.GetByIndex(0)},
  };
  for (const Case& c : cases) {
    MeshPartSource source = Quad(4);
    source.TextureId = c.textureId;
    source.MaterialId = c.materialId;
    const std::vector<std::uint8_t> bytes = Bytes(source);
    ByteReader in(bytes.data(), bytes.size());
    CVertexBuffer part;
    ASSERT_TRUE(part.Load(in, 7));
    EXPECT_EQ(part.Texture, c.texture);
    EXPECT_EQ(part.Material, c.material);
  }
  CVertexBuffer reset(nullptr, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(MeshPartTest, BuilderWeldsEqualVertices) {
  CVertexBuffer part;
  const RenderVertex a = Vtx(0, 0, 0, 0), b = Vtx(1, 0, 1, 0), c = Vtx(1, 1, 1, 1), d = Vtx(0, 1, 0, 1);
  for (const RenderVertex& v : {a, b, c, a, c, d}) {
    const int index = part.AddVertex(v);
    ASSERT_GE(index, 0);
    part.PushIndex(static_cast<std::uint16_t>(index));
  }
  EXPECT_EQ(part.VertexCount, 4u);
  RenderVertex nearlyA = a;
  nearlyA.Colour = 0xFF808081;  // a different colour is a different vertex
  EXPECT_EQ(part.AddVertex(nearlyA), 4);
  part.VertexCount = 4;
  ASSERT_TRUE(part.Finish(false));
  EXPECT_EQ(part.IsStrip, 0u);
  EXPECT_EQ(part.PrimitiveCount, 2u);
  EXPECT_EQ(std::vector<std::uint16_t>(part.ListIndices, part.ListIndices + 6),
            (std::vector<std::uint16_t>{0, 1, 2, 0, 2, 3}));
  EXPECT_TRUE(SameBytes(part.Vertices[3], d));
}

TEST_F(MeshPartTest, StripifiedPartsDrawTheSameTrianglesWithoutDegenerates) {
  // Three triangles, one of them apart from the others: the strip needs stitching.
  const std::vector<RenderVertex> vertices = {Vtx(0, 0, 0, 0), Vtx(1, 0, 1, 0), Vtx(1, 1, 1, 1),
                                              Vtx(0, 1, 0, 1), Vtx(5, 5, 0, 0), Vtx(6, 5, 1, 0),
                                              Vtx(5, 6, 0, 1)};
  const std::vector<std::uint16_t> list = {0, 1, 2, 0, 2, 3, 4, 5, 6};
  CVertexBuffer part;
  for (std::uint16_t i : list) part.PushIndex(static_cast<std::uint16_t>(part.AddVertex(vertices[i])));
  ASSERT_TRUE(part.Finish(true));
  EXPECT_EQ(part.IsStrip, 1u);
  EXPECT_EQ(part.PrimitiveCount, part.StripIndexCount - 2);
  // The rebuilt list holds exactly the three input triangles, each with its
  // winding (in any order, starting at any corner).
  ASSERT_EQ(part.ListIndexCount, 9u);
  auto canonical = [](std::array<float, 3> a, std::array<float, 3> b, std::array<float, 3> c) {
    std::array<std::array<float, 3>, 3> t = {a, b, c};
    std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
    return t;
  };
  auto at = [](const RenderVertex& v) { return std::array<float, 3>{v.x, v.y, v.u}; };
  std::vector<std::array<std::array<float, 3>, 3>> built, wanted;
  for (int t = 0; t < 3; ++t) {
    built.push_back(canonical(at(part.Vertices[part.ListIndices[3 * t]]), at(part.Vertices[part.ListIndices[3 * t + 1]]),
                              at(part.Vertices[part.ListIndices[3 * t + 2]])));
    wanted.push_back(canonical(at(vertices[list[3 * t]]), at(vertices[list[3 * t + 1]]), at(vertices[list[3 * t + 2]])));
  }
  std::sort(built.begin(), built.end());
  std::sort(wanted.begin(), wanted.end());
  EXPECT_EQ(built, wanted);
}

TEST(MeshStrips, StripToListFlipsOddPlacesAndDropsDegenerates) {
  const std::vector<std::uint16_t> strip = {0, 1, 2, 3, 3, 4, 4, 5, 6};
  EXPECT_EQ(StripToList(strip), (std::vector<std::uint16_t>{0, 1, 2, 2, 1, 3, 4, 5, 6}));
}

TEST_F(MeshPartTest, BuilderScratchIsBounded) {
  CVertexBuffer part;
  for (int i = 0; i < kMeshScratchIndices; ++i) ASSERT_TRUE(part.PushIndex(0));
  EXPECT_FALSE(part.PushIndex(0));
  EXPECT_EQ(part.ListIndexCount, static_cast<std::uint32_t>(kMeshScratchIndices));
  part.ListIndexCount = 0;
}

TEST_F(MeshPartTest, BumpNeedsHardwareBuffers) {
  const std::vector<std::uint8_t> bytes = Bytes(Quad(4));
  ByteReader in(bytes.data(), bytes.size());
  CVertexBuffer part;
  ASSERT_TRUE(part.Load(in, 7));
  EXPECT_FALSE(part.SupportsBump());
  EXPECT_FALSE(part.PrepareBump(nullptr));
  EXPECT_EQ(part.BumpOn, 0u);
  EXPECT_EQ(part.TangentBuffer, nullptr);
}
