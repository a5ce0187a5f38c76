#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/colour/colour.h"
#include "scene/skin/skin.h"
#include "scene/skin/skin_fixture.h"

namespace {

CColour Colour(float r, float g, float b, float a = 1.0f) {
  CColour c;
  c.r = r;
  c.g = g;
  c.b = b;
  c.a = a;
  return c;
}

// A posed strip of 4 quads: vertex i at x = 10 (i / 2), y = 10 (i % 2) after the identity pose.
class SkinMarks : public ::testing::Test {
 protected:
  void SetUp() override {
    CSkin keep(nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(skin.Build(skin_fixture::TwoBoneStrip(4)));
    Pose();
  }
  void Pose() {
    const std::vector<CMatrix> bones = {skin_fixture::Bone(0, 0, 0, 1, {0, 0, 0}),
                                        skin_fixture::Bone(0, 0, 0, 1, {20, 0, 0})};
    skin.Deform(bones.data(), 2);
  }
  // Index of the posed vertex at (x, y).
  int At(float x, float y) {
    const RenderVertex* v = skin.LockCurrent();
    int found = -1;
    for (int i = 0; i < skin.VertexCount(); ++i)
      if (v[i].x == x && v[i].y == y) found = i;
    skin.UnlockCurrent();
    return found;
  }
  std::uint32_t ColourOf(int i) {
    const std::uint32_t c = skin.LockCurrent()[i].Colour;
    skin.UnlockCurrent();
    return c;
  }
  CSkin skin;
};

}  // namespace

TEST_F(SkinMarks, TintFallsFromTheColourAtTheCentreToWhiteAtTheRadius) {
  // Radius 10 around (0, 0): the vertex at the centre takes the full colour,
  // (10, 0) and (0, 10) lie exactly on the radius and stay white, (10, 10) is out.
  SkinMarkList marks(8);
  skin.AddSkinMark(Colour(0.0f, 0.5f, 1.0f), {0, 0, 0}, 10.0f, &marks);
  ASSERT_EQ(marks.Count, 3);
  for (int k = 0; k < marks.Count; ++k) {
    const SkinMarkEntry& e = marks.Entries[static_cast<std::size_t>(k)];
    if (e.Vertex == At(0, 0))
      EXPECT_EQ(e.Colour, 0xFF007FFFu);
    else
      EXPECT_EQ(e.Colour, 0xFFFFFFFFu) << "a vertex at exactly the radius is tinted white";
  }
  // Colours show only once applied, and go back to white on the next pose.
  EXPECT_EQ(ColourOf(At(0, 0)), 0xFFFFFFFFu);
  skin.ApplySkinMarks(marks);
  EXPECT_EQ(ColourOf(At(0, 0)), 0xFF007FFFu);
  Pose();
  EXPECT_EQ(ColourOf(At(0, 0)), 0xFFFFFFFFu);
  skin.ApplySkinMarks(marks);
  EXPECT_EQ(ColourOf(At(0, 0)), 0xFF007FFFu);
  skin.ClearSkinMarks(marks);
  EXPECT_EQ(ColourOf(At(0, 0)), 0xFFFFFFFFu);
}

TEST_F(SkinMarks, ASecondMarkOnAMarkedVertexMultipliesItsEntry) {
  SkinMarkList marks(8);
  skin.AddSkinMark(Colour(0.5f, 0.5f, 0.5f), {0, 0, 0}, 1.0f, &marks);
  skin.AddSkinMark(Colour(0.5f, 1.0f, 0.5f), {0, 0, 0}, 1.0f, &marks);
  ASSERT_EQ(marks.Count, 1);
  EXPECT_EQ(marks.Entries[0].Vertex, At(0, 0));
  // 255 x 0.5 x 0.5 = 63.75 -> 63; green 255 x 0.5 = 127.
  EXPECT_EQ(marks.Entries[0].Colour, 0xFF3F7F3Fu);
}

TEST_F(SkinMarks, AFullListOverwritesItsOldestSlotAndKeepsItsCount) {
  SkinMarkList marks(2);
  skin.AddSkinMark(Colour(0, 0, 0), {0, 0, 0}, 1.0f, &marks);
  skin.AddSkinMark(Colour(0, 0, 0), {10, 0, 0}, 1.0f, &marks);
  EXPECT_EQ(marks.Count, 2);
  EXPECT_EQ(marks.Next, 0);
  skin.AddSkinMark(Colour(0, 0, 0), {20, 0, 0}, 1.0f, &marks);
  EXPECT_EQ(marks.Count, 2);
  EXPECT_EQ(marks.Next, 1);
  EXPECT_EQ(marks.Entries[0].Vertex, At(20, 0)) << "the oldest slot took the new mark";
  EXPECT_EQ(marks.Entries[1].Vertex, At(10, 0));
}

TEST_F(SkinMarks, DirectMarksAndColourResets) {
  skin.MarkAroundPoint(Colour(1.0f, 0.0f, 0.0f), {40, 10, 0}, 5.0f);
  EXPECT_EQ(ColourOf(At(40, 10)), 0xFFFF0000u);
  EXPECT_EQ(ColourOf(At(30, 10)), 0xFFFFFFFFu);
  skin.SetColour(0x80112233u);
  EXPECT_EQ(ColourOf(At(30, 10)), 0x80112233u);
  skin.ResetColours();
  EXPECT_EQ(ColourOf(At(40, 10)), 0xFFFFFFFFu);
  // A random mark reaches its own vertex; a zero radius or an empty skin marks nothing.
  skin.MarkRandomVertex(Colour(0, 0, 0), 0.5f);
  int dark = 0;
  for (int i = 0; i < skin.VertexCount(); ++i) dark += ColourOf(i) == 0xFF000000u;
  EXPECT_EQ(dark, 1);
  skin.ResetColours();
  skin.MarkAroundPoint(Colour(0, 0, 0), {0, 0, 0}, 0.0f);
  EXPECT_EQ(ColourOf(At(0, 0)), 0xFFFFFFFFu);
  CSkin empty;
  empty.MarkRandomVertex(Colour(0, 0, 0), 1.0f);
  SkinMarkList none(0);
  skin.AddSkinMark(Colour(0, 0, 0), {0, 0, 0}, 5.0f, &none);
  EXPECT_EQ(none.Count, 0);
}

TEST(SkinShader, LightSlotTableRowsForEveryCode) {
  // c -> row offset, slot of the first and of the second other light.
  const int expected[16][3] = {{0, -1, -1}, {1, 1, -1}, {3, 1, -1}, {2, 1, -1}, {1, -1, 1}, {4, 1, 2},
                               {6, 2, 1},   {5, 2, 1},  {3, -1, 1}, {6, 1, 2},  {9, 1, 2},  {8, 1, 2},
                               {2, -1, 1},  {5, 1, 2},  {8, 2, 1},  {9, 1, 2}};
  for (int c = 0; c < 16; ++c) {
    const SkinLightRow& row = SkinLightSlotRow(c);
    EXPECT_EQ(row.Offset, expected[c][0]) << c;
    EXPECT_EQ(row.FirstSlot, expected[c][1]) << c;
    EXPECT_EQ(row.SecondSlot, expected[c][2]) << c;
  }
}

TEST(SkinShader, TheBrightestLightLeadsAndTheOthersPickTheRow) {
  D3DLIGHT8 lights[4] = {};
  auto set = [&](int i, D3DLIGHTTYPE type, float grey) {
    lights[i].Type = type;
    lights[i].Diffuse = {grey, grey, grey, 1.0f};
  };
  set(0, D3DLIGHT_POINT, 0.5f);
  set(1, D3DLIGHT_DIRECTIONAL, 1.0f);
  set(2, D3DLIGHT_SPOT, 0.25f);
  set(3, D3DLIGHT_POINT, 0.0f);
  const D3DLIGHT8* table[4] = {&lights[0], &lights[1], &lights[2], &lights[3]};

  struct Case {
    std::vector<int> list;
    std::vector<float> weights;
    int main;
    float dominance;
    int row, offset;
  } cases[] = {
      // One light: dominance 1, no others.
      {{0}, {1.0f}, 0, 1.0f, 0, 11},
      // Directional main (brightness 1 vs 0.5): r = 2, sin(pi/4); the point light gives c = 2.
      {{0, 1}, {1.0f, 1.0f}, 1, std::sin(0.25f * 3.14159265f), 2, 3 + 1},
      // Weights count: the point light at weight 4 (brightness 2) beats the directional one.
      {{0, 1}, {4.0f, 1.0f}, 0, std::sin(0.25f * 3.14159265f), 1, 1 + 11},
      // Three lights: others taken from the last entry back: spot (3) low bits, point (2) next: c = 3 | 2 << 2 = 11.
      {{0, 1, 2}, {1.0f, 1.0f, 1.0f}, 1, std::sin(0.25f * 3.14159265f), 11, 8 + 1},
      // Two dark lights: no division by zero, dominance stays 1.
      {{3, 3}, {1.0f, 1.0f}, 3, 1.0f, 2, 3 + 11},
  };
  for (const Case& c : cases) {
    SkinLightSet lightSet;
    for (std::size_t i = 0; i < c.list.size(); ++i) {
      lightSet.Lights[i] = static_cast<std::uint8_t>(c.list[i]);
      lightSet.Weights[i] = c.weights[i];
    }
    const SkinShaderChoice choice = ChooseSkinShader(lightSet, table, 4);
    EXPECT_EQ(choice.MainLight, c.main);
    EXPECT_NEAR(choice.Dominance, c.dominance, 1e-5f);
    EXPECT_EQ(choice.Row, c.row);
    EXPECT_EQ(choice.ShaderOffset, c.offset);
  }
  // No lights at all.
  EXPECT_EQ(ChooseSkinShader(SkinLightSet{}, table, 4).MainLight, -1);
}
