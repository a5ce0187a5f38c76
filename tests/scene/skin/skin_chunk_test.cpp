#include "scene/skin/skin_chunk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "scene/skin/skin.h"
#include "scene/skin/skin_fixture.h"

namespace {

bool SameInfluence(const SkinInfluence& a, const SkinInfluence& b) {
  return a.Position.x == b.Position.x && a.Position.y == b.Position.y && a.Position.z == b.Position.z &&
         a.Normal.x == b.Normal.x && a.Normal.y == b.Normal.y && a.Normal.z == b.Normal.z && a.Colour == b.Colour &&
         a.U == b.U && a.V == b.V && a.Bone == b.Bone && a.Reserved == b.Reserved && a.Weight == b.Weight;
}

bool SameFace(const SkinShadowFace& a, const SkinShadowFace& b) {
  return std::memcmp(a.Vertices, b.Vertices, sizeof a.Vertices) == 0 &&
         std::memcmp(a.Neighbours, b.Neighbours, sizeof a.Neighbours) == 0 && a.Normal.x == b.Normal.x &&
         a.Normal.y == b.Normal.y && a.Normal.z == b.Normal.z && a.Distance == b.Distance && a.Flag == b.Flag;
}

void ExpectSameData(const SkinData& a, const SkinData& b) {
  EXPECT_EQ(a.TextureId, b.TextureId);
  EXPECT_EQ(a.MaterialId, b.MaterialId);
  EXPECT_EQ(a.VertexCount, b.VertexCount);
  EXPECT_EQ(a.FirstInfluence, b.FirstInfluence);
  ASSERT_EQ(a.Influences.size(), b.Influences.size());
  for (std::size_t i = 0; i < a.Influences.size(); ++i) EXPECT_TRUE(SameInfluence(a.Influences[i], b.Influences[i])) << i;
  EXPECT_EQ(a.ListIndexCount, b.ListIndexCount);
  EXPECT_EQ(a.ListIndices, b.ListIndices);
  EXPECT_EQ(a.StripIndexCount, b.StripIndexCount);
  EXPECT_EQ(a.StripIndices, b.StripIndices);
  EXPECT_EQ(a.StripData, b.StripData);
  ASSERT_EQ(a.ShadowFaces.size(), b.ShadowFaces.size());
  for (std::size_t i = 0; i < a.ShadowFaces.size(); ++i) EXPECT_TRUE(SameFace(a.ShadowFaces[i], b.ShadowFaces[i])) << i;
}

// Byte offsets inside the chunk of FilledData.
constexpr std::size_t kOffStripFlag = 4, kOffV = 8, kOffS = 12, kOffL = 16, kOffFirstCount = 28;
// Influences: 1 + 2 + 3 + 1 + 4 = 11, five counts.
constexpr std::size_t kOffStripIndices = 28 + 5 * 4 + 11 * 44;
constexpr std::size_t kOffListIndices = kOffStripIndices + 5 * 2;
constexpr std::size_t kOffSstp = kOffListIndices + 6 * 2;
constexpr std::size_t kOffShad = kOffSstp + 8 + 7;
constexpr std::size_t kOffFaces = kOffShad + 8;

void Put32(std::vector<std::uint8_t>* b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Put16(std::vector<std::uint8_t>* b, std::size_t at, std::uint16_t v) {
  (*b)[at] = static_cast<std::uint8_t>(v);
  (*b)[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

TEST(SkinChunk, WrittenAndReadBackIsIdenticalForEveryForm) {
  struct Case {
    const char* name;
    std::int32_t stripFlag;
    bool faces;
  } cases[] = {{"strip with faces", 1, true}, {"strip without faces", 1, false}, {"list with faces", 0, true},
               {"list without faces", 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SkinData data = skin_fixture::FilledData();
    if (!c.faces) data.ShadowFaces.clear();
    if (c.stripFlag == 0) data.StripIndices.clear();  // a list skin carries no strip indices
    ByteWriter first;
    WriteSkinChunk(first, data, c.stripFlag);
    ByteReader in(first.Data().data(), first.Size());
    SkinData back;
    std::int32_t flag = -1;
    ASSERT_TRUE(ReadSkinChunk(in, &back, &flag));
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(flag, c.stripFlag);
    ExpectSameData(data, back);
    ByteWriter second;
    WriteSkinChunk(second, back, flag);
    EXPECT_EQ(first.Data(), second.Data()) << "the chunk written again is byte for byte the same";
  }
}

TEST(SkinChunk, ASkinReadsAndWritesTheSameChunk) {
  const std::vector<std::uint8_t> bytes = skin_fixture::FilledChunk();
  CSkin keep(nullptr, nullptr, nullptr, nullptr, nullptr);
  CSkin skin;
  ByteReader in(bytes.data(), bytes.size());
  ASSERT_TRUE(skin.Read(in));
  EXPECT_EQ(skin.StripFlag, 1);
  EXPECT_EQ(skin.VertexCount(), 5);
  EXPECT_EQ(skin.TriangleCount(), 2);
  ByteWriter out;
  skin.Write(out);
  EXPECT_EQ(out.Data(), bytes);
  // The buffer starts from the first influences; a pose without bones takes
  // every bone as the identity and only whitens the colours.
  RenderVertex* v = skin.LockCurrent();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v[4].x, 4.0f);
  EXPECT_EQ(v[4].Colour, 0xFF102030u);
  EXPECT_FLOAT_EQ(v[4].u, 0.4f);
  skin.UnlockCurrent();
  skin.Deform(nullptr, 0);
  v = skin.LockCurrent();
  EXPECT_EQ(v[4].x, 4.0f);
  EXPECT_EQ(v[4].Colour, 0xFFFFFFFFu);
  EXPECT_FLOAT_EQ(v[4].u, 0.4f);
  skin.UnlockCurrent();
}

TEST(SkinChunk, DamagedChunksAreRefusedAndLeaveNothing) {
  struct Case {
    const char* name;
    std::function<void(std::vector<std::uint8_t>*)> damage;
  } cases[] = {
      {"wrong tag", [](auto* b) { (*b)[0] = 'X'; }},
      {"negative vertex count", [](auto* b) { Put32(b, kOffV, 0xFFFFFFFF); }},
      {"vertex count past the bytes", [](auto* b) { Put32(b, kOffV, 60000); }},
      {"vertex count beyond 16-bit indices", [](auto* b) { Put32(b, kOffV, 70000); }},
      {"negative strip count", [](auto* b) { Put32(b, kOffS, 0x80000000u); }},
      {"list count not a multiple of 3", [](auto* b) { Put32(b, kOffL, 5); }},
      {"huge list count", [](auto* b) { Put32(b, kOffL, 0x7FFFFFF8u); }},
      {"vertex without influences", [](auto* b) { Put32(b, kOffFirstCount, 0); }},
      {"negative influence count", [](auto* b) { Put32(b, kOffFirstCount, 0xFFFFFFF0u); }},
      {"influence count past the bytes", [](auto* b) { Put32(b, kOffFirstCount, 0x10000000u); }},
      {"strip index beyond the vertices", [](auto* b) { Put16(b, kOffStripIndices + 2, 5); }},
      {"list index beyond the vertices", [](auto* b) { Put16(b, kOffListIndices + 10, 9); }},
      {"strip data tag", [](auto* b) { (*b)[kOffSstp] = 'x'; }},
      {"strip data past the bytes", [](auto* b) { Put32(b, kOffSstp + 4, 0xFFFFFF00u); }},
      {"shadow tag", [](auto* b) { (*b)[kOffShad + 3] = 'x'; }},
      {"face count other than L / 3", [](auto* b) { Put32(b, kOffShad + 4, 1); }},
      {"face vertex beyond the vertices", [](auto* b) { Put16(b, kOffFaces + 2, 5); }},
      {"face neighbour beyond the faces", [](auto* b) { Put16(b, kOffFaces + 8, 2); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> bytes = skin_fixture::FilledChunk();
    c.damage(&bytes);
    ByteReader in(bytes.data(), bytes.size());
    SkinData data;
    std::int32_t flag = 7;
    EXPECT_FALSE(ReadSkinChunk(in, &data, &flag));
    EXPECT_EQ(data.VertexCount, 0);
    EXPECT_TRUE(data.Influences.empty());
    EXPECT_EQ(flag, 0);
    CSkin skin;
    ByteReader again(bytes.data(), bytes.size());
    EXPECT_FALSE(skin.Read(again));
    EXPECT_EQ(skin.VertexCount(), 0);
    EXPECT_EQ(skin.LockCurrent(), nullptr);
  }
  // Every cut of a good chunk is refused.
  const std::vector<std::uint8_t> bytes = skin_fixture::FilledChunk();
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    ByteReader in(bytes.data(), n);
    SkinData data;
    std::int32_t flag;
    EXPECT_FALSE(ReadSkinChunk(in, &data, &flag)) << n;
  }
}

TEST(SkinChunk, OnlyAStripFlagOfOneCarriesStripIndices) {
  // Any other flag value is a list skin: no strip indices follow, the count is kept.
  SkinData data = skin_fixture::FilledData();
  ByteWriter out;
  WriteSkinChunk(out, data, 0);
  std::vector<std::uint8_t> bytes = out.Data();
  Put32(&bytes, kOffStripFlag, 2);
  ByteReader in(bytes.data(), bytes.size());
  SkinData back;
  std::int32_t flag;
  ASSERT_TRUE(ReadSkinChunk(in, &back, &flag));
  EXPECT_EQ(flag, 2);
  EXPECT_TRUE(back.StripIndices.empty());
  EXPECT_EQ(back.StripIndexCount, 5);
  EXPECT_EQ(back.ListIndices, data.ListIndices);
}
