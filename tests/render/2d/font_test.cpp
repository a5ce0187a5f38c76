// The bitmap font: metrics from the glyphs, measuring, drawing a string,
// the text cursor, wrapping in a rectangle and strike-through bars.
#include <cstring>

#include "render/asset_fixture.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/textures/texture_manager.h"

namespace {

// Glyph page: 'A' red at (0, 0), 'B' green at (16, 0), '_' white at (32, 0), each 8 x 10.
std::uint32_t GlyphPage(int x, int y) {
  if (y >= 10) return 0;
  if (x < 8) return 0xFF0000;
  if (x >= 16 && x < 24) return 0x00FF00;
  if (x >= 32 && x < 40) return 0xFFFFFF;
  return 0;
}

}  // namespace

class Fonts : public AssetFolderTest {
 protected:
  void SetUp() override {
    AssetFolderTest::SetUp();
    Write("glyphs.bmp", MakeBmp24(256, 256, GlyphPage));
    // Sprites: 0 'A', 1 'B', 2 '_', 3 a tall glyph (20 high, hot spot -8).
    Write("font.spr", MakeSpriteFile(1, {"glyphs.bmp"},
                                     {{0, 0, 0, 0, 8, 10, 0, -8},
                                      {0, 0, 16, 0, 8, 10, 0, -8},
                                      {0, 0, 32, 0, 8, 10, 0, -8},
                                      {0, 0, 48, 0, 6, 20, 0, -12}}));
    std::fill(std::begin(map_), std::end(map_), kNoGlyph);
    map_['A'] = 0;
    map_['B'] = 1;
    map_['_'] = 2;
    map_['T'] = 3;
    map_['a'] = 0;
    map_['b'] = 1;
    map_['Z'] = 40;  // beyond the sprites: outside the accepted range
  }
  void TearDown() override {
    sprites_.reset();
    library_.reset();
    AssetFolderTest::TearDown();
  }
  CFont MakeFont(int cap) {
    library_ = std::make_unique<CTextureManager>();
    sprites_ = std::make_unique<CSpriteRender>(g_Render, nullptr, library_.get());
    EXPECT_EQ(sprites_->Load("font.spr", TEXF_32BIT, 0, 0, 0), 1);
    library_->LoadTextures(nullptr);
    CFont font(map_, 100);
    font.Init(sprites_.get(), 'A', 'z' + 1, 5, cap);
    return font;
  }

  std::uint16_t map_[128];
  std::unique_ptr<CTextureManager> library_;
  std::unique_ptr<CSpriteRender> sprites_;
};

TEST_F(Fonts, MetricsFromTheGlyphs) {
  CFont font = MakeFont(0);
  EXPECT_EQ(font.FirstGlyph, 0);
  EXPECT_EQ(font.LastGlyph, 'A');  // starts at the first code and only grows
  EXPECT_EQ(font.GetLineHeight(), 20);       // from -12 to 8
  EXPECT_EQ(font.GetBaselineOffset(), 12);
  EXPECT_EQ(font.GetMaxGlyphBottom(), 8);
  CFont capped = MakeFont(12);
  EXPECT_EQ(capped.GetLineHeight(), 12);
}

TEST_F(Fonts, Measures) {
  CFont font = MakeFont(0);
  struct Case {
    const char* text;
    int width;
  };
  const Case cases[] = {{"AB", 16},   {"A B", 21},  {"A\nBBBB", 8}, {"A~", 13},  // unmapped: a space
                        {"AZ", 8},    {"", 0},      {"T", 6}};
  for (const Case& c : cases) EXPECT_EQ(font.GetStringWidth(c.text), c.width) << c.text;
  EXPECT_EQ(font.GetStringWidth(nullptr), 0);
  const unsigned char high = 200;  // at or beyond the map size
  EXPECT_EQ(font.GetCharWidth(high), 5);
  sprites_->SetScale(150.0f);
  EXPECT_EQ(font.GetStringWidth("A"), 12);
  EXPECT_EQ(font.GetStringWidth("A A"), 12 + 8 + 12);  // 7.5 + 12 + 12 = 31.5 rounds up
  EXPECT_EQ(font.GetStringHeight("AT\nxx"), 30);
}

TEST_F(Fonts, FurtherMeasures) {
  CFont font = MakeFont(0);
  float width = -1, bottom = -1, top = 1;
  font.MeasureString("AT\nB", &width, &bottom, &top);
  EXPECT_FLOAT_EQ(width, 8 + 6 + 5 + 8);  // the newline advances like a space
  EXPECT_FLOAT_EQ(bottom, 8.0f);
  EXPECT_FLOAT_EQ(top, -12.0f);
  EXPECT_EQ(font.GetStringAscent("AB\nT"), 8);
  EXPECT_EQ(font.GetStringAscent(nullptr), 0);
  int w = 0, h = 0;
  font.MeasureStringExtent("A\nABB\nB", &w, &h);
  EXPECT_EQ(w, 24);
  EXPECT_EQ(h, 60);
  EXPECT_EQ(font.GetCharHeight('T'), 20);
  EXPECT_EQ(font.GetCharHeight(' '), 0);
}

TEST_F(Fonts, StringIsDrawnGlyphByGlyph) {
  CFont font = MakeFont(0);
  Begin2DFrame(0xFF000000);
  font.DrawString("AB A", 100, 200, 0);
  // Glyphs hang from the baseline by their hot spot: rows 192 to 201.
  struct Probe {
    int x, y;
    DWORD colour;
  };
  const Probe probes[] = {{101, 193, 0xFFFF0000}, {107, 200, 0xFFFF0000}, {109, 196, 0xFF00FF00},
                          {117, 196, 0xFF000000}, {122, 196, 0xFFFF0000}, {101, 203, 0xFF000000}};
  for (const Probe& p : probes) EXPECT_EQ(D3D8TestReadPixel(g_Device, p.x, p.y), p.colour) << p.x << "," << p.y;
  g_FontTextOn = 0;
  Record();
  font.DrawString("AB", 0, 0, 0);
  g_FontTextOn = 1;
  EXPECT_TRUE(Calls("DrawPrimitiveUP").empty());
  End2DFrame();
}

TEST_F(Fonts, CursorIsDrawnAtItsIndex) {
  CFont font = MakeFont(0);
  struct Case {
    int cursor;
    float underscoreX;
  };
  const Case cases[] = {{0, 50.0f}, {2, 66.0f}};
  for (const Case& c : cases) {
    font.CursorCountdown = -1.0f;
    Record();
    font.DrawStringWithCursor("ab", c.cursor, 50, 60);
    auto draws = Calls("DrawPrimitiveUP");
    if (draws.size() == 2) {  // the blink state was on: now off; draw again to turn it on
      font.CursorCountdown = -1.0f;
      Record();
      font.DrawStringWithCursor("ab", c.cursor, 50, 60);
      draws = Calls("DrawPrimitiveUP");
    }
    ASSERT_EQ(draws.size(), 3u) << c.cursor;
    const std::size_t underscore = c.cursor == 0 ? 0 : 2;
    ScreenVertex v;
    std::memcpy(&v, draws[underscore].data.data(), sizeof v);
    EXPECT_FLOAT_EQ(v.x, c.underscoreX) << c.cursor;
    EXPECT_FLOAT_EQ(font.CursorCountdown, 0.4f);
  }
}

TEST_F(Fonts, WrappingInARectangle) {
  CFont font = MakeFont(0);
  Record();
  const FontRect rect = {10, 10, 30, 100};  // room for two glyphs a line
  EXPECT_FLOAT_EQ(font.DrawStringInRect("AB AB ABA", &rect, 0, 1, 1), 60.0f);  // three lines, the last one long
  EXPECT_EQ(Calls("DrawPrimitiveUP").size(), 7u);
  EXPECT_EQ(font.Clipped, 0u);
  const FontRect empty = {10, 10, 10, 100};
  EXPECT_FLOAT_EQ(font.DrawStringInRect("AB", &empty, 0, 1, 1), 0.0f);
  EXPECT_EQ(font.Clipped, 1u);
  const FontRect shallow = {10, 10, 30, 50};  // two lines fit
  const char* text = "AB AB AB";
  EXPECT_EQ(font.FindTextOverflow(text, &shallow), text + 6);
  EXPECT_EQ(font.FindTextOverflow(text, &rect), text + std::strlen(text));
}

TEST_F(Fonts, TextBlockWithStrikeThrough) {
  CFont font = MakeFont(0);
  const FontRect rect = {0, 0, 100, 100};
  const FontColourRecord red = {0xFFFF0000};
  Record();
  EXPECT_FLOAT_EQ(font.DrawTextBlock("AB", &rect, 0, 0x11, 1, &red, 0), 20.0f);
  const auto draws = Calls("DrawPrimitiveUP");
  ASSERT_EQ(draws.size(), 3u);  // two glyphs and the bar
  ScreenVertex bar[4];
  std::memcpy(bar, draws[2].data.data(), sizeof bar);
  EXPECT_FLOAT_EQ(bar[0].x, 0.0f);
  EXPECT_FLOAT_EQ(bar[1].x, 16.0f);
  EXPECT_FLOAT_EQ(bar[2].y - bar[0].y, 2.0f);
  EXPECT_EQ(bar[0].Diffuse, 0xFFFF0000u);
  const FontRect narrow = {0, 0, 4, 100};
  EXPECT_FLOAT_EQ(font.DrawTextBlock("AB", &narrow, 0, 0, 1, nullptr, 0), 0.0f);
}

TEST(FontHelpers, HexDigitsAndColourCodes) {
  const char digits[] = "09AFafg-";
  const int values[] = {0, 9, 10, 15, 10, 15, 0, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(HexDigitValue(digits[i]), values[i]) << digits[i];
  std::uint32_t argb = 0;
  const char* text = "#FF8000C0rest";
  EXPECT_STREQ(ParseColourCode(text, &argb), "rest");
  EXPECT_EQ(argb, 0xFF8000C0u);
}
