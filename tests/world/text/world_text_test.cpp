// World text: the ring of entries, their life and movement, the fading
// colour, and the drawing with the font put back.
#include <gtest/gtest.h>

#include <string>

#include "render/geometry/camera.h"
#include "world/text/text_fixture.h"
#include "world/text/world_text.h"

using namespace text_test;

TEST(WorldText, EntriesTakeTheRingInTurnAndAreCut) {
  CWorldText text(2);
  CTimer clock;
  SetClock(clock, 700, 0.0f);
  text.SetClock(&clock);
  text.WorldTextAdd("one", {1, 2, 3}, 1000, WORLDTEXT_STILL, nullptr);
  text.WorldTextAdd(std::string(200, 'x').c_str(), {0, 0, 0}, 1000, WORLDTEXT_STILL, &clock);
  text.WorldTextAdd("three", {0, 0, 0}, 1000, WORLDTEXT_STILL, nullptr);
  text.WorldTextAdd(nullptr, {0, 0, 0}, 1000, WORLDTEXT_STILL, nullptr);
  EXPECT_STREQ(text.GetEntry(0).Text, "three");
  EXPECT_EQ(std::string(text.GetEntry(1).Text).size(), static_cast<std::size_t>(kWorldTextChars - 1));
  EXPECT_EQ(text.GetEntry(1).Owner, &clock);
  EXPECT_EQ(text.GetEntry(0).Start, 700u);
  EXPECT_FLOAT_EQ(text.GetEntry(0).Size, 200.0f);
  EXPECT_TRUE(text.AnyActive());
  text.WorldTextClear();
  EXPECT_EQ(text.GetEntry(0).Active, 0);
  EXPECT_FALSE(text.AnyActive());
}

TEST(WorldText, EntriesMoveByTheirModeAndEndWithTheirLife) {
  CWorldText text(4);
  CTimer clock;
  SetClock(clock, 0, 0.0f);
  text.SetClock(&clock);
  text.WorldTextAdd("still", {0, 10, 0}, 1000, WORLDTEXT_STILL, nullptr);
  text.WorldTextAdd("rise", {0, 10, 0}, 1000, WORLDTEXT_RISING, nullptr);
  text.WorldTextAdd("grow", {0, 10, 0}, 2000, WORLDTEXT_GROWING, nullptr);
  SetClock(clock, 500, 0.5f);
  text.WorldTextUpdate();
  EXPECT_FLOAT_EQ(text.GetEntry(0).Position.y, 10.0f);
  EXPECT_FLOAT_EQ(text.GetEntry(1).Position.y, 35.0f);
  EXPECT_FLOAT_EQ(text.GetEntry(2).Position.y, 35.0f);
  EXPECT_FLOAT_EQ(text.GetEntry(2).Size, 205.0f);
  EXPECT_FLOAT_EQ(text.GetEntry(1).Size, 200.0f);
  SetClock(clock, 1000, 0.0f);
  text.WorldTextUpdate();
  EXPECT_EQ(text.GetEntry(0).Active, 1);  // not yet older than its life
  SetClock(clock, 1001, 0.0f);
  text.WorldTextUpdate();
  EXPECT_EQ(text.GetEntry(0).Active, 0);
  EXPECT_EQ(text.GetEntry(1).Active, 0);
  EXPECT_EQ(text.GetEntry(2).Active, 1);
  EXPECT_TRUE(text.AnyActive());
  SetClock(clock, 2001, 0.0f);
  text.WorldTextUpdate();
  EXPECT_FALSE(text.AnyActive());
}

TEST(WorldText, TheColourFadesFromYellowToBlack) {
  const struct {
    std::uint32_t age, life, colour;
  } cases[] = {{0, 1000, 0x00FFFF00}, {500, 1000, 0x007F7F00}, {1000, 1000, 0}, {1500, 1000, 0}, {0, 0, 0}};
  for (const auto& c : cases) EXPECT_EQ(WorldTextColour(c.age, c.life), c.colour) << c.age << "/" << c.life;
}

class WorldTextDraw : public TextDeviceTest {};

TEST_F(WorldTextDraw, ActiveEntriesAreDrawnAndTheStatesPutBack) {
  CCamera camera;
  camera.SetView({0, 0, -500}, {0, 0, 0});
  camera.SetFarClip(10000.0f);
  CCamera::SetCurrentCamera(&camera);
  FixedFont f(s_Render, &camera);
  f.font.SetColour(0xFF123456);
  CWorldText text(4);
  CTimer clock;
  SetClock(clock, 0, 0.0f);
  text.SetClock(&clock);
  text.WorldTextSetFont(&f.font);
  text.WorldTextAdd("AB", {0, 0, 0}, 1000, WORLDTEXT_STILL, nullptr);
  text.WorldTextAdd("C", {0, 50, 0}, 1000, WORLDTEXT_STILL, nullptr);
  SetClock(clock, 500, 0.0f);
  s_Render->SetLighting(1);
  s_Render->SetBlendMode(2);
  Record();
  text.WorldTextDraw();
  const auto draws = Calls("DrawPrimitiveUP");
  EXPECT_EQ(draws.size(), 3u);  // a billboard a glyph
  EXPECT_EQ(s_Render->GetLighting(), 1u);
  EXPECT_EQ(s_Render->GetBlendMode(), 2);
  EXPECT_EQ(f.sprites.DrawColour, 0xFF123456u);
  EXPECT_FLOAT_EQ(f.sprites.XScale, 1.0f);
  text.WorldTextClear();
  Record();
  text.WorldTextDraw();
  EXPECT_TRUE(Calls("DrawPrimitiveUP").empty());
  CCamera::SetCurrentCamera(nullptr);
}
