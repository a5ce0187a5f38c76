// A bitmap font: a glyph map turns character codes into sprites of a sprite
// set; the font measures strings and draws them at a point, in a rectangle with
// word wrapping and alignment, pulsing, with a blinking text-entry cursor, or
// standing in the world as camera-facing sprites.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CSpriteRender;

inline constexpr std::uint16_t kNoGlyph = 0xFFFF;
// Rectangle edges of this value mean the render target's edge.
inline constexpr std::int32_t kRectEdge = 0x7FFFFFFF;

struct FontRect {
  std::int32_t x1, y1, x2, y2;
};

// A strike-through colour for DrawTextBlock.
struct FontColourRecord {
  std::uint32_t Colour;  // ARGB
};

// While 0, DrawString and DrawStringInRect draw nothing (1 at start).
extern std::uint32_t g_FontTextOn;
// While 0, DrawTextBlock draws nothing (1 at start).
extern std::uint32_t g_FontBlockTextOn;

class CFont {
 public:
  // Keeps the map (not copied; must outlive the font).
  CFont(const std::uint16_t* glyphMap, std::uint16_t mapSize);

  // Takes the sprite set and measures the glyphs of codes first .. end - 1; answers 1.
  int Init(CSpriteRender* sprites, int first, int end, int spaceWidth, int maxLineHeight);

  void SetColour(std::uint32_t argb);
  void SetGrey(std::uint32_t v);
  void SetAlpha(int alpha);
  std::int16_t GetLineHeight() const { return LineHeight; }
  std::int16_t GetBaselineOffset() const { return BaselineOffset; }
  std::int16_t GetMaxGlyphBottom() const { return MaxGlyphBottom; }

  // The sprite of a character, or -1 for spaces, codes beyond the map and unmapped codes.
  int GlyphOf(unsigned char c) const;
  // Advance of a character, truncated; 0 for a glyph outside the accepted range.
  int GetCharWidth(unsigned char c) const;
  float GetCharAdvance(unsigned char c) const;
  // Width of the first line, rounded; 0 for null.
  int GetStringWidth(const char* text) const;
  // Height of the first line; 0 for null.
  int GetStringHeight(const char* text) const;
  // Advances summed over the whole text (newlines advance like spaces), and the
  // lowest glyph bottom and highest glyph top relative to the baseline; zeros for null.
  void MeasureString(const char* text, float* width, float* bottom, float* top) const;
  // Height above the baseline of the tallest glyph of the first line; 0 for null.
  int GetStringAscent(const char* text) const;
  // Widest line and the height of all lines; zeros for null.
  void MeasureStringExtent(const char* text, int* width, int* height) const;
  // Scaled height of the character's glyph; 0 without one.
  int GetCharHeight(unsigned char c) const;

  // Draws at (x, y) with blend mode 3; newlines start a new line.
  void DrawString(const char* text, int x, int y, int unused);
  // Draws with the colour's alpha pulsing over 3 seconds.
  void DrawStringPulsing(const char* text, int x, int y, std::uint32_t colour);
  // Draws with a blinking underscore at the cursor index.
  void DrawStringWithCursor(const char* text, int cursor, int x, int y);
  // Draws as camera-facing sprites centred on the position.
  void Draw3DText(const char* text, const CVector3& position, int follow);
  // Lays out (and with draw non-zero draws) wrapped lines in the rectangle
  // (null: the whole target); alignment 0 left, 1 centre, 2 right.  Answers the height used.
  float DrawStringInRect(const char* text, const FontRect* rect, int alignment, int blend, int draw);
  // Where the first line that does not fit vertically starts (the end when all fit).
  const char* FindTextOverflow(const char* text, const FontRect* rect);
  // Draws at most 50 wrapped lines justified by the bits (3 spread, 1 left, 2 right,
  // else centred; 0x10 top, 0x20 bottom, else centred), with an optional strike-through.
  float DrawTextBlock(const char* text, const FontRect* rect, int third, int justification, int blend,
                      const FontColourRecord* colour, int heightFlag);
  float DrawTextBlockCentred(const char* text, const FontRect* rect, int third, const FontColourRecord* colour);

  CSpriteRender* Sprites = nullptr;
  std::int32_t FirstGlyph = 0, LastGlyph = 0;
  std::int32_t SpaceWidth = 0;
  std::int32_t MaxLineHeight = 0;
  std::int16_t LineHeight = 0;
  std::int16_t BaselineOffset = 0;
  std::int16_t MaxGlyphBottom = 0;
  const std::uint16_t* GlyphMap = nullptr;
  std::uint16_t GlyphMapSize = 0;
  float CursorCountdown = 0.0f;
  float CursorBlinkPeriod = 0.4f;
  std::uint32_t Clipped = 0;

 private:
  struct Line {
    const char* Start;
    const char* End;
    int Width;
    int Spaces;
  };
  bool ResolveRect(const FontRect* rect, FontRect* out) const;
  // Breaks the next line starting at p to fit width; answers the text after it.
  const char* BreakLine(const char* p, int width, Line* line) const;
  float SpaceAdvance() const;
  void DrawGlyphs(const char* start, const char* end, float x, float y, float spaceExtra);
  // Draws text from (x, y), a '\n' starting the next line, unknown characters
  // advancing a space; a cursor index >= 0 puts the blinking underscore before
  // that character (or after the last); -1 draws none.
  void DrawLines(const char* text, int x, int y, int cursor);
};

// '0'-'9' 0-9, 'A'-'F' and 'a'-'f' 10-15, anything else 0.
int HexDigitValue(char c);
// Reads the 8 hexadecimal digits after the first character into *argb; answers the text after them.
const char* ParseColourCode(const char* text, std::uint32_t* argb);
