#include "render/2d/font.h"

#include <cmath>
#include <cstring>

#include "foundation/maths/fast_trig.h"
#include "foundation/time/timer.h"
#include "menus/draw_quad_2d.h"
#include "render/geometry/camera.h"
#include "render/device/render.h"
#include "render/2d/sprite_render.h"

std::uint32_t g_FontTextOn = 1;
std::uint32_t g_FontBlockTextOn = 1;

namespace {

// The cursor blink state that all fonts share.
bool g_CursorShown = false;
constexpr int kMaxBlockLines = 50;
constexpr float kTwoPi = 6.28318530717958647692f;
constexpr unsigned char kUnderscore = 95;

// Blend mode and filtering for text, restored when the scope ends.
class TextStates {
 public:
  TextStates(const CSpriteRender* sprites, int mode) {
    if (CSpriteRender::s_Render == nullptr) return;
    m_Mode = CSpriteRender::s_Render->SetBlendMode(mode);
    m_Filter = CSpriteRender::s_Render->SetBilinearFilter(sprites->ScaleMode != 0 ? 1 : 0);
  }
  ~TextStates() {
    if (CSpriteRender::s_Render == nullptr) return;
    CSpriteRender::s_Render->SetBlendMode(m_Mode);
    CSpriteRender::s_Render->SetBilinearFilter(m_Filter);
  }
  TextStates(const TextStates&) = delete;
  TextStates& operator=(const TextStates&) = delete;

 private:
  int m_Mode = 0;
  DWORD m_Filter = 0;
};

}  // namespace

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

const char* ParseColourCode(const char* text, std::uint32_t* argb) {
  std::uint32_t value = 0;
  const char* p = text + 1;
  for (int i = 0; i < 8 && *p != 0; ++i, ++p) value = (value << 4) | static_cast<std::uint32_t>(HexDigitValue(*p));
  if (argb != nullptr) *argb = value;
  return p;
}

CFont::CFont(const std::uint16_t* glyphMap, std::uint16_t mapSize) : GlyphMap(glyphMap), GlyphMapSize(mapSize) {}

int CFont::Init(CSpriteRender* sprites, int first, int end, int spaceWidth, int maxLineHeight) {
  Sprites = sprites;
  SpaceWidth = spaceWidth;
  MaxLineHeight = maxLineHeight;
  FirstGlyph = end;
  LastGlyph = first;
  int smallestTop = 0, largestBottom = 0;
  for (int code = first; code < end; ++code) {
    if (code < 0 || code >= GlyphMapSize || GlyphMap[code] == kNoGlyph) continue;
    const int g = GlyphMap[code];
    if (g < FirstGlyph) FirstGlyph = g;
    if (g > LastGlyph) LastGlyph = g;
    if (g < sprites->GetSpriteCount()) {
      const int hy = sprites->GetHotY(g), bottom = hy + sprites->GetHeight(g);
      if (hy < smallestTop) smallestTop = hy;
      if (bottom > largestBottom) largestBottom = bottom;
    }
  }
  int height = largestBottom - smallestTop;
  if (MaxLineHeight != 0 && height > MaxLineHeight) height = MaxLineHeight;
  LineHeight = static_cast<std::int16_t>(height);
  BaselineOffset = static_cast<std::int16_t>(-smallestTop);
  MaxGlyphBottom = static_cast<std::int16_t>(largestBottom);
  return 1;
}

void CFont::SetColour(std::uint32_t argb) {
  if (Sprites != nullptr) Sprites->SetColour(argb, 0);
}
void CFont::SetGrey(std::uint32_t v) { SetColour(0xFF000000 | v << 16 | v << 8 | v); }
void CFont::SetAlpha(int alpha) {
  if (Sprites != nullptr) Sprites->SetAlpha(alpha);
}

int CFont::GlyphOf(unsigned char c) const {
  if (c == ' ' || c >= GlyphMapSize || GlyphMap == nullptr || GlyphMap[c] == kNoGlyph) return -1;
  return GlyphMap[c];
}

float CFont::SpaceAdvance() const { return (Sprites != nullptr ? Sprites->XScale : 1.0f) * SpaceWidth; }

float CFont::GetCharAdvance(unsigned char c) const {
  const int g = GlyphOf(c);
  if (g < 0) return SpaceAdvance();
  if (g < FirstGlyph || g > LastGlyph || Sprites == nullptr) return 0.0f;
  return Sprites->GetScaledWidth(g);
}

int CFont::GetCharWidth(unsigned char c) const { return static_cast<int>(GetCharAdvance(c)); }

int CFont::GetStringWidth(const char* text) const {
  if (text == nullptr) return 0;
  float sum = 0.0f;
  for (const char* p = text; *p != 0 && *p != '\n'; ++p) sum += GetCharAdvance(static_cast<unsigned char>(*p));
  return static_cast<int>(sum + 0.5f);
}

int CFont::GetStringHeight(const char* text) const {
  if (text == nullptr || Sprites == nullptr) return 0;
  float height = 0.0f;
  for (const char* p = text; *p != 0 && *p != '\n'; ++p) {
    const int g = GlyphOf(static_cast<unsigned char>(*p));
    float h = 0.0f;
    if (g < 0)
      h = SpaceAdvance();
    else if (g >= FirstGlyph && g <= LastGlyph)
      h = Sprites->GetScaledHeight(g);
    if (h > height) height = h;
  }
  return static_cast<int>(height);
}

void CFont::MeasureString(const char* text, float* width, float* bottom, float* top) const {
  float w = 0.0f, low = 0.0f, high = 0.0f;
  for (const char* p = text; p != nullptr && *p != 0 && Sprites != nullptr; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    w += GetCharAdvance(c);
    const int g = GlyphOf(c);
    if (g < FirstGlyph || g > LastGlyph || g >= Sprites->GetSpriteCount()) continue;
    const float hy = Sprites->GetScaledHotY(g);
    if (hy < high) high = hy;
    if (hy + Sprites->GetScaledHeight(g) > low) low = hy + Sprites->GetScaledHeight(g);
  }
  if (width != nullptr) *width = w;
  if (bottom != nullptr) *bottom = low;
  if (top != nullptr) *top = high;
}

int CFont::GetStringAscent(const char* text) const {
  float ascent = 0.0f;
  for (const char* p = text; p != nullptr && *p != 0 && *p != '\n' && Sprites != nullptr; ++p) {
    const int g = GlyphOf(static_cast<unsigned char>(*p));
    if (g >= FirstGlyph && g <= LastGlyph && g < Sprites->GetSpriteCount() && -Sprites->GetScaledHotY(g) > ascent)
      ascent = -Sprites->GetScaledHotY(g);
  }
  return static_cast<int>(ascent);
}

void CFont::MeasureStringExtent(const char* text, int* width, int* height) const {
  int widest = 0, lines = 0;
  for (const char* line = text; line != nullptr; ++lines) {
    const int w = GetStringWidth(line);
    if (w > widest) widest = w;
    line = std::strchr(line, '\n');
    if (line != nullptr) ++line;
  }
  if (width != nullptr) *width = widest;
  if (height != nullptr) *height = Sprites != nullptr ? static_cast<int>(lines * LineHeight * Sprites->XScale) : 0;
}

int CFont::GetCharHeight(unsigned char c) const {
  const int g = GlyphOf(c);
  if (g < 0 || Sprites == nullptr || g >= Sprites->GetSpriteCount()) return 0;
  return static_cast<int>(Sprites->GetScaledHeight(g));
}

void CFont::DrawString(const char* text, int x, int y, int /*unused*/) {
  if (!g_FontTextOn || text == nullptr || Sprites == nullptr) return;
  DrawLines(text, x, y, -1);
}

void CFont::DrawStringPulsing(const char* text, int x, int y, std::uint32_t colour) {
  if (Sprites == nullptr) return;
  const std::uint32_t remembered = Sprites->DrawColour;
  const std::uint32_t ms = CSpriteRender::s_GameTimer != nullptr ? CSpriteRender::s_GameTimer->GetGameTime() : 0;
  const float phase = static_cast<float>(ms % 3000) * 200.0f / 3000.0f;
  const std::uint32_t alpha =
      static_cast<std::uint32_t>(static_cast<float>(colour >> 24) * std::fabs(FastSin(phase * 0.005f * kTwoPi)) + 0.5f);
  SetColour((alpha << 24) | (colour & 0xFFFFFF));
  DrawString(text, x, y, 0);
  SetColour(remembered);
}

void CFont::DrawStringWithCursor(const char* text, int cursor, int x, int y) {
  if (!g_FontTextOn || text == nullptr || Sprites == nullptr) return;
  if (CSpriteRender::s_GameTimer != nullptr) CursorCountdown -= CSpriteRender::s_GameTimer->GetFrameTime();
  DrawLines(text, x, y, cursor);
}

void CFont::DrawLines(const char* text, int x, int y, int cursor) {
  TextStates states(Sprites, 3);
  float penX = static_cast<float>(x), penY = static_cast<float>(y);
  const float step = Sprites->XScale * LineHeight;
  auto cursorAt = [&]() {
    if (CursorCountdown < 0.0f) {
      CursorCountdown = CursorBlinkPeriod;
      g_CursorShown = !g_CursorShown;
    }
    const int underscore = GlyphOf(kUnderscore);
    if (g_CursorShown && underscore >= 0) Sprites->Draw(underscore, static_cast<int>(penX), static_cast<int>(penY));
  };
  int index = 0;
  for (const char* p = text; *p != 0; ++p, ++index) {
    if (index == cursor) cursorAt();
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '\n') {
      penX = static_cast<float>(x);
      penY += step;
      continue;
    }
    const int g = GlyphOf(c);
    if (g < 0) {
      penX += SpaceAdvance();
      continue;
    }
    Sprites->Draw(g, static_cast<int>(penX), static_cast<int>(penY));
    penX += Sprites->GetScaledWidth(g);
  }
  if (index == cursor) cursorAt();
}

void CFont::Draw3DText(const char* text, const CVector3& position, int follow) {
  if (text == nullptr || Sprites == nullptr || CSpriteRender::s_Render == nullptr) return;
  const DWORD filter = CSpriteRender::s_Render->SetBilinearFilter(1);
  const float width = static_cast<float>(GetStringWidth(text));
  CCamera* camera = CCamera::GetCurrentCamera();
  const float yaw = camera != nullptr ? camera->GetAngles().y : 0.0f;
  // Along the camera's right in the ground plane: a = 360 - yaw, in radians.
  const float a = (360.0f - yaw) * (kTwoPi / 360.0f);
  const float c = std::cos(a), s = std::sin(a);
  CVector3 pen = {position.x - c * width / 2.0f, position.y, position.z - s * width / 2.0f};
  for (const char* p = text; *p != 0; ++p) {
    const int g = GlyphOf(static_cast<unsigned char>(*p));
    float advance = SpaceAdvance();
    if (g >= 0) {
      Sprites->DrawBillboard(g, pen, 100.0f);
      advance = Sprites->GetScaledWidth(g);
    }
    if (follow == 0) {
      pen.x += advance;
    } else {
      pen.x += c * advance;
      pen.z += s * advance;
    }
  }
  CSpriteRender::s_Render->SetBilinearFilter(filter);
}

bool CFont::ResolveRect(const FontRect* rect, FontRect* out) const {
  const D3DSURFACE_DESC* target =
      CSpriteRender::s_Render != nullptr ? &CSpriteRender::s_Render->GetBackBufferDesc() : nullptr;
  const std::int32_t width = target != nullptr ? static_cast<std::int32_t>(target->Width) : 0;
  const std::int32_t height = target != nullptr ? static_cast<std::int32_t>(target->Height) : 0;
  if (rect == nullptr) {
    *out = {0, 0, width, height};
  } else {
    out->x1 = rect->x1 == kRectEdge ? 0 : rect->x1;
    out->y1 = rect->y1 == kRectEdge ? 0 : rect->y1;
    out->x2 = rect->x2 == kRectEdge ? width : rect->x2;
    out->y2 = rect->y2 == kRectEdge ? height : rect->y2;
  }
  return out->x1 < out->x2 && out->y1 < out->y2;
}

const char* CFont::BreakLine(const char* p, int width, Line* line) const {
  while (*p == ' ') ++p;
  line->Start = p;
  int w = 0, widthAtSpace = 0;
  const char* lastSpace = nullptr;
  for (;; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == 0 || c == '\n') {
      line->End = p;
      line->Width = w;
      break;
    }
    const int cw = c == ' ' ? static_cast<int>(SpaceAdvance()) : GetCharWidth(c);
    if (w + cw >= width && p != line->Start) {
      if (lastSpace != nullptr) {
        line->End = lastSpace;
        line->Width = widthAtSpace;
        p = lastSpace;
        break;
      }
      // One word wider than the rectangle runs on to its end.
      while (*p != 0 && *p != ' ' && *p != '\n') w += GetCharWidth(static_cast<unsigned char>(*p++));
      line->End = p;
      line->Width = w;
      break;
    }
    if (c == ' ') {
      lastSpace = p;
      widthAtSpace = w;
    }
    w += cw;
  }
  line->Spaces = 0;
  for (const char* q = line->Start; q < line->End; ++q) line->Spaces += *q == ' ' ? 1 : 0;
  if (*p == '\n' || *p == ' ') ++p;
  return p;
}

void CFont::DrawGlyphs(const char* start, const char* end, float x, float y, float spaceExtra) {
  for (const char* p = start; p < end; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    const int g = GlyphOf(c);
    if (g < 0) {
      x += SpaceAdvance() + (c == ' ' ? spaceExtra : 0.0f);
      continue;
    }
    Sprites->Draw(g, static_cast<int>(x), static_cast<int>(y));
    x += Sprites->GetScaledWidth(g);
  }
}

float CFont::DrawStringInRect(const char* text, const FontRect* rect, int alignment, int blend, int draw) {
  if (!g_FontTextOn || text == nullptr || Sprites == nullptr) return 0.0f;
  TextStates states(Sprites, blend ? 3 : 1);
  FontRect r;
  if (!ResolveRect(rect, &r)) {
    Clipped = 1;
    return 0.0f;
  }
  Clipped = 0;
  const int width = r.x2 - r.x1;
  const float step = LineHeight * Sprites->XScale;
  float y = static_cast<float>(r.y1);
  const char* p = text;
  while (*p != 0 && y + step <= static_cast<float>(r.y2)) {
    Line line;
    p = BreakLine(p, width, &line);
    float x = static_cast<float>(r.x1);
    if (alignment == 1) x += static_cast<float>((width - line.Width) / 2);
    if (alignment == 2) x = static_cast<float>(r.x2 - line.Width);
    if (draw) DrawGlyphs(line.Start, line.End, x, y + BaselineOffset * Sprites->XScale, 0.0f);
    y += step;
  }
  return y - static_cast<float>(r.y1);
}

const char* CFont::FindTextOverflow(const char* text, const FontRect* rect) {
  if (text == nullptr || Sprites == nullptr) return text;
  FontRect r;
  if (!ResolveRect(rect, &r)) return text;
  const float step = LineHeight * Sprites->XScale;
  float y = static_cast<float>(r.y1);
  const char* p = text;
  while (*p != 0) {
    if (y + step > static_cast<float>(r.y2)) return p;
    Line line;
    p = BreakLine(p, r.x2 - r.x1, &line);
    y += step;
  }
  return p;
}

float CFont::DrawTextBlock(const char* text, const FontRect* rect, int /*third*/, int justification, int blend,
                           const FontColourRecord* colour, int heightFlag) {
  if (!g_FontBlockTextOn || text == nullptr || Sprites == nullptr) return 0.0f;
  TextStates states(Sprites, blend ? 3 : 1);
  FontRect r;
  if (!ResolveRect(rect, &r)) return 0.0f;
  const int width = r.x2 - r.x1;
  const float step = heightFlag ? static_cast<float>(GetStringHeight(text)) : LineHeight * Sprites->XScale;
  if (*text != 0 && GetCharWidth(static_cast<unsigned char>(*text)) > width) return 0.0f;

  Line lines[kMaxBlockLines];
  int count = 0;
  for (const char* p = text; *p != 0 && count < kMaxBlockLines;) {
    const char* next = BreakLine(p, width, &lines[count]);
    if (lines[count].Start == lines[count].End && *next == 0) break;
    ++count;
    p = next;
  }
  const float total = step * count;
  float y = static_cast<float>(r.y1);
  if (justification & 0x20)
    y = static_cast<float>(r.y2) - total;
  else if (!(justification & 0x10))
    y = static_cast<float>(r.y1) + (static_cast<float>(r.y2 - r.y1) - total) / 2.0f;

  for (int i = 0; i < count; ++i, y += step) {
    const Line& line = lines[i];
    float x = static_cast<float>(r.x1) + static_cast<float>(width - line.Width) / 2.0f;
    float spaceExtra = 0.0f;
    const int h = justification & 3;
    if (h == 3) {
      x = static_cast<float>(r.x1);
      if (i + 1 < count && line.Spaces > 0)
        spaceExtra = static_cast<float>(width - line.Width) / static_cast<float>(line.Spaces);
    } else if (h == 1) {
      x = static_cast<float>(r.x1);
    } else if (h == 2) {
      x = static_cast<float>(r.x2 - line.Width);
    }
    const float baseline = y + BaselineOffset * Sprites->XScale;
    DrawGlyphs(line.Start, line.End, x, baseline, spaceExtra);
    if (colour != nullptr) {
      // A 2-pixel bar at 0.4 of the line height above the baseline.
      const int lineWidth = line.Width + static_cast<int>(spaceExtra * line.Spaces);
      const std::uint32_t c = colour->Colour;
      DrawQuad2D(static_cast<int>(x), static_cast<int>(baseline - 0.4f * step), lineWidth, 2,
                 static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c),
                 static_cast<std::uint8_t>(c >> 24), 1, 0);
    }
  }
  return total;
}

float CFont::DrawTextBlockCentred(const char* text, const FontRect* rect, int third, const FontColourRecord* colour) {
  return DrawTextBlock(text, rect, third, 4, 0, colour, 0);
}
