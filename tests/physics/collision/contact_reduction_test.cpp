// Contact reduction: hull building, dropping the lightest vertex, duplicates,
// collinear input and face-first output.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "physics/collision/mcd_contact_simplify.h"

namespace {

const float kUp[3] = {0, 0, 1};

McdContact At(float x, float y, MeU16 dims = 0x0101, float z = 0.0f) {
  McdContact c{};
  c.position[0] = x;
  c.position[1] = y;
  c.position[2] = z;
  c.normal[2] = 1.0f;
  c.dims = dims;
  return c;
}

std::vector<std::pair<float, float>> Reduce(const std::vector<McdContact>& in, int budget,
                                         int faceFirst = 0, std::vector<MeU16>* dims = nullptr) {
  std::vector<McdContact> out(in.size() + 1);
  int n = McdContactSimplify(kUp, in.data(), static_cast<int>(in.size()), out.data(), budget,
                             faceFirst);
  std::vector<std::pair<float, float>> xy;
  for (int i = 0; i < n; ++i) {
    xy.push_back({out[i].position[0], out[i].position[1]});
    if (dims) dims->push_back(out[i].dims);
  }
  return xy;
}

using XY = std::vector<std::pair<float, float>>;

TEST(ContactReduction, SquareKeepsAllCornersWithinBudget) {
  std::vector<McdContact> square = {At(0, 0), At(1, 0), At(1, 1), At(0, 1)};
  EXPECT_EQ(Reduce(square, 4), (XY{{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
}

TEST(ContactReduction, EqualWeightsDropTheFirstCornerFromTheHead) {
  std::vector<McdContact> square = {At(0, 0), At(1, 0), At(1, 1), At(0, 1)};
  // All four corners weigh 1; the head (0, 0) goes and the head moves on.
  EXPECT_EQ(Reduce(square, 3), (XY{{1, 0}, {1, 1}, {0, 1}}));
}

TEST(ContactReduction, LightestVertexIsDropped) {
  // (2, 0.1) barely bends the edge from (0, 0) to (4, 0): it spans the least area.
  std::vector<McdContact> in = {At(0, 0), At(4, 0), At(4, 4), At(0, 4), At(2, -0.1f)};
  XY kept = Reduce(in, 4);
  ASSERT_EQ(kept.size(), 4u);
  for (auto& p : kept) EXPECT_NE(p, std::make_pair(2.0f, -0.1f));
}

TEST(ContactReduction, InteriorPointsNeverSurvive) {
  // Eight points on a circle, then points inside it, the centre last.
  std::vector<McdContact> in;
  for (int i = 0; i < 8; ++i) {
    float a = i * 0.785398f;
    in.push_back(At(std::cos(a) * 2, std::sin(a) * 2));
  }
  for (int i = 0; i < 8; ++i) {
    float a = i * 0.785398f + 0.3f;
    in.push_back(At(std::cos(a) * 0.5f, std::sin(a) * 0.5f));
  }
  in.push_back(At(0, 0));
  for (int budget : {4, 6, 8, 20}) {
    XY kept = Reduce(in, budget);
    EXPECT_EQ(kept.size(), static_cast<size_t>(budget < 8 ? budget : 8)) << budget;
    for (auto& p : kept)
      EXPECT_NEAR(p.first * p.first + p.second * p.second, 4.0f, 1e-4f) << budget;
  }
}

TEST(ContactReduction, SquareWithCentreLastDropsTheCentre) {
  std::vector<McdContact> in = {At(0, 0), At(1, 0), At(1, 1), At(0, 1), At(0.5f, 0.5f)};
  EXPECT_EQ(Reduce(in, 4), (XY{{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
}

TEST(ContactReduction, PointSeenOnlyFromTheHeadEdgeJoinsTheHull) {
  // After the triangle (0,0) (1,0) (0,1), only the head's edge sees (0.5, -1):
  // the outside run starts at the head, right after the last (inside) edge.
  std::vector<McdContact> in = {At(0, 0), At(1, 0), At(0, 1), At(0.5f, -1)};
  EXPECT_EQ(Reduce(in, 4), (XY{{0, 0}, {0.5f, -1}, {1, 0}, {0, 1}}));
}

TEST(ContactReduction, DuplicatesGiveOneContact) {
  std::vector<McdContact> in = {At(1, 1), At(1.001f, 1), At(1, 1.002f), At(1, 1)};
  EXPECT_EQ(Reduce(in, 4), (XY{{1, 1}}));
}

TEST(ContactReduction, SamePlaceWithAnotherNormalIsNoDuplicate) {
  McdContact a = At(0, 0), b = At(0, 0);
  b.normal[2] = 0.0f;
  b.normal[0] = 1.0f;
  EXPECT_EQ(Reduce({a, b}, 4).size(), 2u);
}

TEST(ContactReduction, CollinearPointsGiveTheFirstTwoDistinct) {
  std::vector<McdContact> in = {At(0, 0), At(0, 0), At(1, 0), At(2, 0), At(3, 0.00001f)};
  EXPECT_EQ(Reduce(in, 4), (XY{{0, 0}, {1, 0}}));
}

TEST(ContactReduction, PointsOnAHullEdgeAddNothing) {
  // A face contact between boxes of equal size: corners, then points on the
  // shared edges (exactly on them and within rounding either side).  Within
  // a budget of 10 only the corners remain, whatever the rounding.
  for (float noise : {0.0f, 2e-5f, -2e-5f}) {
    std::vector<McdContact> in = {At(0, 0), At(1, 0),          At(1, 1),        At(0, 1),
                                  At(0.5f, noise), At(1 + noise, 0.3f), At(0.2f, 1 - noise), At(noise, 0.7f)};
    EXPECT_EQ(Reduce(in, 10), (XY{{0, 0}, {1, 0}, {1, 1}, {0, 1}})) << noise;
  }
  // A point clearly outside an edge still joins the hull.
  std::vector<McdContact> in = {At(0, 0), At(1, 0), At(1, 1), At(0, 1), At(0.5f, -0.01f)};
  EXPECT_EQ(Reduce(in, 10).size(), 5u);
}

TEST(ContactReduction, FaceFirstPutsFaceContactsAhead) {
  std::vector<McdContact> in = {At(0, 0, 0x0101), At(2, 0, 0x0002), At(2, 2, 0x0100),
                                At(0, 2, 0x0200), At(1, -1, 0x0000)};
  std::vector<MeU16> dims;
  XY kept = Reduce(in, 8, 1, &dims);
  ASSERT_EQ(kept.size(), 5u);
  EXPECT_EQ(dims[0], 0x0002);
  EXPECT_EQ(dims[1], 0x0200);
  for (int i = 2; i < 5; ++i) EXPECT_NE(dims[i] & 0xff, 2);
  // Without the flag the ring order stands: the face contacts are not first.
  std::vector<MeU16> plain;
  Reduce(in, 8, 0, &plain);
  EXPECT_EQ(plain[0], 0x0101);
}

TEST(ContactReduction, EmptyAndDegenerateBudgets) {
  std::vector<McdContact> square = {At(0, 0), At(1, 0), At(1, 1), At(0, 1)};
  struct Case { int count, budget; size_t expect; };
  for (Case c : {Case{0, 4, 0}, Case{4, 0, 0}, Case{4, -3, 0}, Case{-2, 4, 0}, Case{1, 4, 1},
                 Case{4, 1, 1}, Case{4, 2, 2}, Case{4, 1 << 30, 4}}) {
    std::vector<McdContact> out(4);
    int n = McdContactSimplify(kUp, square.data(), c.count, out.data(), c.budget, 0);
    EXPECT_EQ(n, static_cast<int>(c.expect)) << c.count << " " << c.budget;
  }
}

TEST(ContactReduction, KeptRecordsAreCopiedWhole) {
  McdContact a = At(0, 0), b = At(3, 0), c = At(0, 3);
  b.separation = -0.25f;
  b.element1 = 7;
  b.element2 = 9;
  std::vector<McdContact> in = {a, b, c};
  std::vector<McdContact> out(3);
  ASSERT_EQ(McdContactSimplify(kUp, in.data(), 3, out.data(), 3, 0), 3);
  EXPECT_EQ(out[1].separation, -0.25f);
  EXPECT_EQ(out[1].element1, 7u);
  EXPECT_EQ(out[1].element2, 9u);
}

}  // namespace
