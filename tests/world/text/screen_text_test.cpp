// Screen text: entries kept within the list and their text buffer, placed
// by their alignment with an optional box, and the font put back after.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "world/text/screen_text.h"
#include "world/text/text_fixture.h"

using namespace text_test;

TEST(ScreenText, TheListKeepsWithinItsCapacityAndItsTextBuffer) {
  CScreenText list(2);
  const std::string longText(300, 'x');
  EXPECT_TRUE(list.ScreenTextAdd(longText.c_str(), 0, 0, 0, 100, 0xFFFFFFFF, 0, 0));
  EXPECT_TRUE(list.ScreenTextAdd("two", 0.5f, 0.25f, 1, 150, 0x80FF0000, 3, 0x40102030));
  EXPECT_FALSE(list.ScreenTextAdd("three", 0, 0, 0, 100, 0, 0, 0));
  EXPECT_FALSE(list.ScreenTextAdd(nullptr, 0, 0, 0, 100, 0, 0, 0));
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(std::strlen(list.GetEntry(0)->Text), static_cast<std::size_t>(kScreenTextChars - 1));
  const ScreenTextEntry& e = *list.GetEntry(1);
  EXPECT_EQ(e.Alignment, 1);
  EXPECT_FLOAT_EQ(e.Scale, 150.0f);
  EXPECT_EQ(e.Style, 3);
  EXPECT_EQ(e.BoxAlpha, 0x40);
  EXPECT_EQ(e.BoxRed, 0x10);
  EXPECT_EQ(e.BoxGreen, 0x20);
  EXPECT_EQ(e.BoxBlue, 0x30);
  list.ScreenTextReset();
  EXPECT_EQ(list.GetCount(), 0);
  // Without a font, drawing only empties the list.
  list.ScreenTextAdd("x", 0, 0, 0, 100, 0, 0, 0);
  list.ScreenTextDraw();
  EXPECT_EQ(list.GetCount(), 0);
}

class ScreenTextDraw : public TextDeviceTest {};

TEST_F(ScreenTextDraw, EntriesArePlacedByTheirAlignment) {
  FixedFont f(s_Render);
  CScreenText list(8);
  list.ScreenTextSetFont(&f.font);
  const float w = static_cast<float>(s_Render->GetViewport()->Width);
  const float h = static_cast<float>(s_Render->GetViewport()->Height);
  const struct {
    int alignment;
    float x, y;  // where the text's first glyph stands (its baseline)
  } cases[] = {{0, 0.25f * w, 0.5f * h}, {1, (w - 16) / 2, 0.5f * h}, {2, 0.25f * w, (h - 10) / 2}};
  for (const auto& c : cases) {
    list.ScreenTextAdd("AB", 0.25f, 0.5f, c.alignment, 100.0f, 0xFF112233, 0, 0);
    Record();
    list.ScreenTextDraw();
    const auto quads = Quads();
    ASSERT_EQ(quads.size(), 2u) << c.alignment;
    EXPECT_FLOAT_EQ(quads[0].x1, static_cast<float>(static_cast<int>(c.x))) << c.alignment;
    EXPECT_FLOAT_EQ(quads[0].y1, static_cast<float>(static_cast<int>(c.y)) - kGlyphRise) << c.alignment;
    EXPECT_EQ(quads[0].colour, 0xFF112233u);
    EXPECT_EQ(list.GetCount(), 0);
  }
}

TEST_F(ScreenTextDraw, ABoxBehindTheTextAndTheFontPutBack) {
  FixedFont f(s_Render);
  f.font.SetColour(0xFF00FF00);
  CScreenText list(4);
  list.ScreenTextSetFont(&f.font);
  list.ScreenTextAdd("AB", 0.5f, 0.5f, 0, 200.0f, 0xFFFFFFFF, 0, 0x80000000);
  Record();
  list.ScreenTextDraw();
  const auto quads = Quads();
  ASSERT_EQ(quads.size(), 3u);
  // At scale 200 the text is 32 wide and 20 high; the box reaches 5 beyond it
  // left, right and below, and the text's height above the baseline.
  const float x = 0.5f * s_Render->GetViewport()->Width, y = 0.5f * s_Render->GetViewport()->Height;
  EXPECT_FLOAT_EQ(quads[0].x1, x - 5);
  EXPECT_FLOAT_EQ(quads[0].x2, x + 32 + 5);
  EXPECT_FLOAT_EQ(quads[0].y1, y - 20);
  EXPECT_FLOAT_EQ(quads[0].y2, y + 5);
  EXPECT_EQ(quads[0].colour, 0x80000000u);
  EXPECT_FLOAT_EQ(quads[1].x2 - quads[1].x1, 16.0f);
  EXPECT_EQ(f.sprites.DrawColour, 0xFF00FF00u);
  EXPECT_FLOAT_EQ(f.sprites.XScale, 1.0f);
  EXPECT_EQ(f.sprites.ScaleMode, 0u);
  // An empty list draws nothing.
  Record();
  list.ScreenTextDraw();
  EXPECT_TRUE(Quads().empty());
}
