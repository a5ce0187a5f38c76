#include "scene/mesh/vbuffer_object.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/byte_reader.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/mesh_pools.h"
#include "scene/mesh/mesh_section_writer.h"

namespace {

MeshPartSource Triangle(std::uint32_t textureId, std::uint32_t materialId) {
  MeshPartSource part;
  part.TextureId = textureId;
  part.MaterialId = materialId;
  part.Vertices = {{0, 0, 0, 0, 1, 0, 0xFFFFFFFF, 0, 0}, {1, 0, 0, 0, 1, 0, 0xFFFFFFFF, 1, 0},
                   {0, 0, 1, 0, 1, 0, 0xFFFFFFFF, 0, 1}};
  part.ListIndices = {0, 1, 2};
  return part;
}

// A library with "Default", "brick" and "glass", and a mesh of three parts
// textured glass, Default and brick.
class MeshObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    brick_ = textures_.GetTexture("brick", TEXF_MIPMAPS);
    glass_ = textures_.GetTexture("glass", TEXF_MIPMAPS);
    CVBufferObject keep(nullptr, &textures_, &materials_, nullptr, nullptr);
    ByteWriter out;
    WriteMeshSection(out, {Triangle(glass_->Id, 1), Triangle(0xFFFF, 2), Triangle(brick_->Id, 1)});
    bytes_ = out.Data();
    ByteReader in(bytes_.data(), bytes_.size());
    ASSERT_TRUE(mesh_.Load(in, 7));
  }
  void TearDown() override {
    mesh_.Free();
    CVBufferObject reset(nullptr, nullptr, nullptr, nullptr, nullptr);
  }

  CTextureManager textures_;
  CMaterialList materials_;
  CTexture* brick_ = nullptr;
  CTexture* glass_ = nullptr;
  std::vector<std::uint8_t> bytes_;
  CVBufferObject mesh_;
};

}  // namespace

TEST_F(MeshObjectTest, PartsAreChainedInFileOrder) {
  ASSERT_EQ(mesh_.PartCount, 3u);
  EXPECT_EQ(mesh_.GetPart(0)->Texture, glass_);
  EXPECT_EQ(mesh_.GetPart(1)->Texture, textures_.GetTextureByIndex(0));
  EXPECT_EQ(mesh_.GetPart(2)->Texture, brick_);
  EXPECT_EQ(mesh_.GetPart(3), nullptr);
  std::uint32_t bytes = sizeof(CVBufferObject);
  for (std::uint32_t i = 0; i < 3; ++i) bytes += mesh_.GetPart(i)->MemoryBytes;
  EXPECT_EQ(mesh_.MemoryBytes, bytes);
}

TEST_F(MeshObjectTest, DistinctIdsInFirstSeenOrder) {
  std::vector<std::uint32_t> ids;
  mesh_.GetTextureIds(&ids);
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{glass_->Id, 0xFFFF, brick_->Id}));
  mesh_.GetMaterialIds(&ids);
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{1, 2}));
}

TEST_F(MeshObjectTest, VariantsPickPartsByTextureName) {
  struct Case {
    const char* name;
    bool matched;
    std::vector<bool> changed;
  } cases[] = {
      {"BRICK", true, {false, false, true}},
      {nullptr, true, {true, false, true}},  // every part but the "Default" one
      {"stone", false, {false, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name ? c.name : "(null)");
    for (std::uint32_t i = 0; i < 3; ++i) mesh_.GetPart(i)->SetDetailParams(nullptr, 19, 0.5f, 0, 0);
    EXPECT_EQ(mesh_.SetDetailByTexture(brick_, 21, 0.25f, 2.0f, 3.0f, c.name), c.matched);
    EXPECT_EQ(mesh_.SupportsBumpByTexture(0, 0, 0, c.name), c.matched);
    for (std::uint32_t i = 0; i < 3; ++i) {
      const CVertexBuffer* part = mesh_.GetPart(i);
      EXPECT_EQ(part->DetailTexture == brick_, c.changed[i]) << i;
      EXPECT_EQ(part->DetailBlendMode, c.changed[i] ? 21u : 19u) << i;
    }
  }
  EXPECT_TRUE(mesh_.SetReflectionByTexture(glass_, 0.75f, "Glass"));
  EXPECT_EQ(mesh_.GetPart(0)->ReflectTexture, glass_);
  EXPECT_FLOAT_EQ(mesh_.GetPart(0)->ReflectStrength, 0.75f);
  EXPECT_FLOAT_EQ(mesh_.GetPart(2)->ReflectStrength, 0.5f);
}

TEST_F(MeshObjectTest, MarksAndCutOut) {
  mesh_.MarkTexture(brick_);
  EXPECT_EQ(mesh_.GetPart(0)->Marked, 0u);
  EXPECT_EQ(mesh_.GetPart(2)->Marked, 1u);
  mesh_.MarkTexture(nullptr);
  EXPECT_EQ(mesh_.GetPart(0)->Marked, 1u);
  mesh_.SetCutOut();
  for (std::uint32_t i = 0; i < 3; ++i) EXPECT_TRUE(mesh_.GetPart(i)->Flags & MESHPART_CUT_OUT);
}

TEST_F(MeshObjectTest, DamagedSectionsFailAndFreeCleanly) {
  // A part count that the bytes cannot hold, and a section cut inside its last part.
  std::vector<std::uint8_t> lying = bytes_;
  lying[4] = 0xFF;
  lying[5] = 0xFF;
  ByteReader a(lying.data(), lying.size());
  CVBufferObject first;
  EXPECT_FALSE(first.Load(a, 7));
  EXPECT_EQ(first.PartCount, 0u);

  ByteReader b(bytes_.data(), bytes_.size() - 3);
  CVBufferObject second;
  EXPECT_FALSE(second.Load(b, 7));
  EXPECT_EQ(second.PartCount, 3u) << "the parts read so far stay for Free";
  second.Free();
  EXPECT_EQ(second.PartCount, 0u);
  EXPECT_EQ(second.FirstPart, nullptr);
}

TEST(MeshKindRecord, PlainKinds) {
  const std::uint32_t kinds[] = {0, 1, 2, 3, 4, 5};
  const bool expected[] = {true, true, false, true, true, false};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(IsMeshKindRecord(&kinds[i]), expected[i]) << i;
  EXPECT_TRUE(IsMeshKindRecord(nullptr));
}

TEST_F(MeshObjectTest, PartsComeFromThePoolThenTheHeap) {
  ASSERT_TRUE(VertexBufferPool().Resize("VertexBuffer", 2, 0));
  CVBufferObject* mesh = NewVBufferObject(nullptr, &textures_, &materials_, nullptr, nullptr);
  ByteReader in(bytes_.data(), bytes_.size());
  ASSERT_TRUE(mesh->Load(in, 7));
  EXPECT_TRUE(VertexBufferPool().Owns(mesh->GetPart(0)));
  EXPECT_TRUE(VertexBufferPool().Owns(mesh->GetPart(1)));
  EXPECT_FALSE(VertexBufferPool().Owns(mesh->GetPart(2)));
  EXPECT_EQ(VertexBufferPool().Overflow(), 1);
  EXPECT_EQ(VertexBufferPool().Needed(), 3) << "what the next run's pool-size file asks for";
  ReleaseVBufferObject(mesh);  // the heap part is deleted (the leak check sees it), pool parts stay
  VertexBufferPool().Release();
}
