#include "render/colour/colour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "foundation/maths/random15.h"
#include "render/colour/colour_fade.h"
#include "render/colour/flicker_colour.h"
#include "render/geometry/poly_list.h"
#include "render/colour/random_poly_colour.h"

namespace {

CColour Rgba(float r, float g, float b, float a) {
  CColour c;
  c.r = r;
  c.g = g;
  c.b = b;
  c.a = a;
  return c;
}

void ExpectColour(const CColour& c, float r, float g, float b, float a, float tolerance = 1e-5f) {
  EXPECT_NEAR(c.r, r, tolerance);
  EXPECT_NEAR(c.g, g, tolerance);
  EXPECT_NEAR(c.b, b, tolerance);
  EXPECT_NEAR(c.a, a, tolerance);
}

TEST(ColourTest, WordConversions) {
  CColour c;
  c.FromARGB(0x80FF4000);
  ExpectColour(c, 1.0f, 0.25098f, 0.0f, 0.50196f);
  struct Case {
    CColour colour;
    std::uint32_t word;
  } cases[] = {
      {Rgba(1, 0.5f, 0.25f, 1), 0xFFFF7F3F},
      {Rgba(0, 0, 0, 0), 0x00000000},
      {Rgba(1.5f, -0.2f, 0.5f, 1), 0xFFFF007F},  // out of range: held to the byte, no spill into neighbours
      {Rgba(0.999f, 0.001f, 0.5f, 0.5f), 0x7FFE007F},
      // Far out of the int range, or not a number (as a file may give): held too, not a number packs as 0.
      {Rgba(1e30f, -1e30f, std::nanf(""), std::numeric_limits<float>::infinity()), 0xFFFF0000},
  };
  for (const Case& k : cases) EXPECT_EQ(k.colour.ToARGB(), k.word) << std::hex << k.word;
  // Every byte survives a round trip.
  for (std::uint32_t v = 0; v < 256; ++v) {
    CColour round;
    round.SetARGB(v * 0x01010101u);
    EXPECT_EQ(round.ToARGB(), v * 0x01010101u) << v;
  }
}

TEST(ColourTest, LerpAndComponents) {
  const CColour a = Rgba(0, 0.2f, 1, 1), b = Rgba(1, 0.4f, 0, 0);
  CColour out;
  EXPECT_EQ(a.Lerp(b, &out, 0.25f), &out);
  ExpectColour(out, 0.25f, 0.25f, 0.75f, 0.75f);
  EXPECT_FLOAT_EQ(Rgba(0.3f, 0.9f, 0.1f, 5).MinComponent(), 0.1f);
  EXPECT_FLOAT_EQ(Rgba(0.3f, 0.9f, 0.1f, 5).MaxComponent(), 0.9f);
}

TEST(ColourTest, HsvConversions) {
  struct Case {
    CColour colour;
    float h, s, v;
  } cases[] = {
      {Rgba(1, 0, 0, 1), 0, 1, 1},
      {Rgba(0, 1, 0, 1), 120, 1, 1},
      {Rgba(0, 0, 1, 1), 240, 1, 1},
      {Rgba(1, 0, 1, 1), 300, 1, 1},
      {Rgba(1, 1, 0, 1), 60, 1, 1},
      {Rgba(0.5f, 0.25f, 0.25f, 1), 0, 0.5f, 0.5f},
      {Rgba(0.4f, 0.4f, 0.4f, 1), 0, 0, 0.4f},  // grey
  };
  for (const Case& k : cases) {
    float h, s, v;
    k.colour.ToHSV(&h, &s, &v);
    EXPECT_NEAR(h, k.h, 1e-4f);
    EXPECT_NEAR(s, k.s, 1e-6f);
    EXPECT_NEAR(v, k.v, 1e-6f);
    CColour back = Rgba(9, 9, 9, 0.5f);
    back.FromHSV(h, s, v);
    ExpectColour(back, k.colour.r, k.colour.g, k.colour.b, 0.5f);
  }
  float h, s, v;
  Rgba(0, 0, 0, 1).ToHSV(&h, &s, &v);
  EXPECT_EQ(h, -1.0f);
  EXPECT_EQ(s, 0.0f);
  // A hue of a full turn is red again, not the last sector's magenta.
  CColour c = Rgba(0, 0, 0, 1);
  c.FromHSV(360.0f, 1.0f, 1.0f);
  ExpectColour(c, 1, 0, 0, 1);
  c.FromHSV(330.0f, 1.0f, 1.0f);
  ExpectColour(c, 1, 0, 0.5f, 1);
}

TEST(ColourTest, HsvConversionsStayDefinedForAnyFloat) {
  // Components or a hue that are not finite (a damaged level's colour) give
  // a defined colour: the hue is taken as 0, never a sector out of the six.
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  for (float hue : {nan, inf, -inf}) {
    SCOPED_TRACE(hue);
    CColour c = Rgba(9, 9, 9, 0.5f);
    c.FromHSV(hue, 1.0f, 1.0f);
    ExpectColour(c, 1, 0, 0, 0.5f);
  }
  const CColour odd[] = {Rgba(-inf, 1, 1, 1), Rgba(1, inf, 0, 1), Rgba(nan, 0.5f, 0.2f, 1), Rgba(1, 0.5f, -inf, 1),
                         Rgba(inf, inf, 1, 1)};
  for (const CColour& k : odd) {
    float h, s, v;
    k.ToHSV(&h, &s, &v);
    EXPECT_TRUE(h >= -1.0f && h < 360.0f) << h;
  }
}

TEST(ColourTest, ClampBrightness) {
  CColour dim = Rgba(0.1f, 0.05f, 0.05f, 1);
  dim.ClampBrightness(0.4f, 0.8f);
  ExpectColour(dim, 0.4f, 0.2f, 0.2f, 1);
  CColour bright = Rgba(1, 0.5f, 0, 1);
  bright.ClampBrightness(0.1f, 0.5f);
  ExpectColour(bright, 0.5f, 0.25f, 0, 1);
  CColour middle = Rgba(0.6f, 0.3f, 0.3f, 1);
  middle.ClampBrightness(0.1f, 0.8f);
  ExpectColour(middle, 0.6f, 0.3f, 0.3f, 1);
}

TEST(ColourFadeTest, FadesLinearlyThenStops) {
  CColour colour = Rgba(0, 0, 0, 1);
  CColourFade fade;
  EXPECT_EQ(fade.Update(0.1f), 1);  // idle
  fade.Start(Rgba(1, 0.5f, 0, 0), &colour, 2.0f);
  EXPECT_EQ(fade.Update(0.5f), 0);
  ExpectColour(colour, 0.25f, 0.125f, 0, 0.75f);
  EXPECT_EQ(fade.Update(1.0f), 0);
  ExpectColour(colour, 0.75f, 0.375f, 0, 0.25f);
  EXPECT_EQ(fade.Update(1.0f), 0);  // passes the end: takes the target exactly
  ExpectColour(colour, 1, 0.5f, 0, 0, 0);
  EXPECT_EQ(fade.Update(1.0f), 1);

  CColour instant = Rgba(0, 0, 0, 0);
  fade.Start(Rgba(0.2f, 0.3f, 0.4f, 0.5f), &instant, 0.0f);
  ExpectColour(instant, 0.2f, 0.3f, 0.4f, 0.5f, 0);
  EXPECT_EQ(fade.Update(0.1f), 1);

  fade.Start(Rgba(1, 1, 1, 1), &instant, 1.0f);
  fade.Clear();
  EXPECT_EQ(fade.Update(0.5f), 1);
  ExpectColour(instant, 0.2f, 0.3f, 0.4f, 0.5f, 0);
}

TEST(FlickerColourTest, PhasesAlternateAndRestOnTheChosenColour) {
  const CColour a = Rgba(1, 0, 0, 1), b = Rgba(0, 0, 1, 1);
  struct Case {
    std::uint32_t flags;
    bool restOnA;
  } cases[] = {{0, false}, {FLICKER_REST_ON_A, true}};
  for (const Case& k : cases) {
    CFlickerColour flicker;
    flicker.Init(a, b, 0.1f, 1.0f, 2.0f, k.flags);
    const CColour* rest = k.restOnA ? &flicker.A : &flicker.B;
    EXPECT_EQ(flicker.Update(1.0f), 0);  // resting, rest not over
    EXPECT_EQ(flicker.Update(2.0f), 1);  // becomes active
    EXPECT_NE(flicker.Flags & FLICKER_ACTIVE, 0u);
    flicker.Update(2.5f);
    EXPECT_EQ(flicker.Update(3.0f), 1);  // active phase over
    EXPECT_EQ(flicker.Flags & FLICKER_ACTIVE, 0u);
    EXPECT_EQ(flicker.GetColourPointer(), rest);
    CColour shown;
    flicker.GetColour(&shown);
    EXPECT_EQ(shown.ToARGB(), k.restOnA ? 0xFFFF0000u : 0xFF0000FFu);
    // A second cycle rests on the same colour.
    flicker.Update(5.0f);
    flicker.Update(6.0f);
    EXPECT_EQ(flicker.GetColourPointer(), rest);
  }
}

TEST(FlickerColourTest, ToggleStepsFollowTheRandomDrawAndTheInterval) {
  const CColour a = Rgba(1, 0, 0, 1), b = Rgba(0, 0, 1, 1);
  CFlickerColour flicker;
  flicker.Init(a, b, 0.5f, 1000.0f, 0.0f, FLICKER_TOGGLE);
  ASSERT_EQ(flicker.Update(0.0f), 1);  // rest of length 0: active at once
  // The draws the steps will see: a switch for each low byte of 129 or more.
  SRand15(77);
  std::vector<int> draws;
  for (int i = 0; i < 200; ++i) draws.push_back(Rand15() & 0xFF);
  SRand15(77);
  float time = 0.0f;
  int switches = 0, expected = 0;
  for (int i = 0; i < 200; ++i) {
    time += 0.5f;
    const std::uint32_t before = flicker.Flags & FLICKER_SHOW_B;
    const int changed = flicker.Update(time);
    const bool switched = (flicker.Flags & FLICKER_SHOW_B) != before;
    EXPECT_EQ(switched, draws[i] >= 129) << i;
    EXPECT_EQ(changed, switched ? 1 : 0) << i;
    switches += switched;
    expected += draws[i] >= 129;
  }
  EXPECT_EQ(switches, expected);
  EXPECT_GT(switches, 50);
  // Before the interval has passed nothing switches, whatever the draw.
  const std::uint32_t shown = flicker.Flags & FLICKER_SHOW_B;
  for (int i = 0; i < 20; ++i) EXPECT_EQ(flicker.Update(time + 0.4f), 0);
  EXPECT_EQ(flicker.Flags & FLICKER_SHOW_B, shown);
}

TEST(FlickerColourTest, BlendStepsShowAColourBetweenAAndB) {
  CFlickerColour flicker;
  flicker.Init(Rgba(0, 0, 0, 1), Rgba(1, 0.5f, 0, 1), 0.1f, 1000.0f, 0.0f, FLICKER_BLEND);
  flicker.Update(0.0f);
  SRand15(5);
  const int draw = Rand15() & 0xFF;
  SRand15(5);
  EXPECT_EQ(flicker.Update(1.0f), 1);
  CColour shown;
  flicker.GetColour(&shown);
  EXPECT_NEAR(shown.r, draw * 0.003921569f, 1e-6f);
  EXPECT_NEAR(shown.g, draw * 0.003921569f * 0.5f, 1e-6f);
  EXPECT_EQ(flicker.GetColourPointer(), &flicker.Blended);
}

TEST(RandomPolyColourTest, OneColourPerPolygonOrListAlphaKept) {
  CPoly* list = nullptr;
  const std::uint32_t alphas[] = {0x21000000, 0xFF000000, 0x00000000};
  for (int p = 0; p < 2; ++p) {
    CPoly* poly = NewPolygon();
    for (std::uint32_t alpha : alphas) {
      CDRVertex* v = NewVertex();
      v->Colour = alpha | 0xFFFFFF;
      AppendVertex(v, &poly->Vertices);
    }
    PushPolygon(poly, &list);
  }
  auto check = [&](const CPoly* poly, std::uint32_t* rgb) {
    int k = 0;
    for (const CDRVertex* v = poly->Vertices; v != nullptr; v = v->Next, ++k) {
      EXPECT_EQ(v->Colour & 0xFF000000u, alphas[k]);
      EXPECT_EQ(v->Colour & 0x00808080u, 0u);  // each channel 0..127
      if (k == 0) *rgb = v->Colour & 0xFFFFFF;
      EXPECT_EQ(v->Colour & 0xFFFFFFu, *rgb);
    }
  };
  SRand15(3);
  RandomisePolyListColour(list);
  std::uint32_t first = 0, second = 0;
  check(list, &first);
  check(list->Next, &second);
  EXPECT_EQ(first, second);
  RandomisePolygonColour(list->Next);
  check(list->Next, &second);
  EXPECT_NE(first, second);
  FreePolyList(&list);
}

}  // namespace
