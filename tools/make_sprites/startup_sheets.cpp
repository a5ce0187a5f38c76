#include "make_sprites/startup_sheets.h"

#include <cmath>
#include <map>

namespace {

SheetCell Blank(std::uint16_t value) { return SheetCell{value, 1, 1, 0, 0, {0u}}; }

// A filled square with a one-pixel border.
SheetCell Box(std::uint16_t value, int size, std::uint32_t fill, std::uint32_t border) {
  SheetCell c{value, size, size, 0, 0, std::vector<std::uint32_t>(static_cast<std::size_t>(size * size), fill)};
  for (int i = 0; i < size; ++i) {
    c.pixels[static_cast<std::size_t>(i)] = border;
    c.pixels[static_cast<std::size_t>((size - 1) * size + i)] = border;
    c.pixels[static_cast<std::size_t>(i * size)] = border;
    c.pixels[static_cast<std::size_t>(i * size + size - 1)] = border;
  }
  return c;
}

// Glyph cells of a list at a scale, keyed by character code.
bool Glyphs(const std::string& text, int scale, std::map<int, SheetCell>* out, std::string* error) {
  std::vector<SheetCell> cells;
  if (!ReadGlyphList(text, scale, &cells, error)) return false;
  for (const SheetCell& c : cells) (*out)[c.value] = c;
  return true;
}

SheetCell GlyphOrBlank(const std::map<int, SheetCell>& glyphs, int code, std::uint16_t value) {
  int key = code >= 'a' && code <= 'z' ? code - 'a' + 'A' : code;
  auto found = glyphs.find(key);
  if (found == glyphs.end()) return Blank(value);
  SheetCell c = found->second;
  c.value = value;
  return c;
}

// A panel frame piece: grey with a light edge on the side it faces.
SheetCell FramePiece(std::uint16_t value, int size) {
  const std::uint32_t fill = 0xC0405048u, edge = 0xFFB0C0B0u;
  SheetCell c{value, size, size, 0, 0, std::vector<std::uint32_t>(static_cast<std::size_t>(size * size), fill)};
  const int side = value % 4;  // 0 top, 1 right, 2 bottom, 3 left
  for (int i = 0; i < size; ++i) {
    const int x = side == 1 ? size - 1 : side == 3 ? 0 : i;
    const int y = side == 0 ? 0 : side == 2 ? size - 1 : i;
    c.pixels[static_cast<std::size_t>(y * size + x)] = edge;
  }
  return c;
}

// The moon: a pale disc.
SheetCell Moon(std::uint16_t value) {
  const int size = 32;
  SheetCell c{value, size, size, size / 2, size / 2, std::vector<std::uint32_t>(size * size, 0u)};
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float dx = static_cast<float>(x) - 15.5f, dy = static_cast<float>(y) - 15.5f;
      if (std::sqrt(dx * dx + dy * dy) <= 15.0f) c.pixels[static_cast<std::size_t>(y * size + x)] = 0xFFF0F0E0u;
    }
  return c;
}

// The mouse cursor: an arrow with its hot spot at the tip.
SheetCell Arrow(std::uint16_t value) {
  const int w = 12, h = 18;
  SheetCell c{value, w, h, 0, 0, std::vector<std::uint32_t>(static_cast<std::size_t>(w * h), 0u)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool inside = x <= y * 2 / 3 && (y < 12 || (x >= 3 && x <= 6 && y < 17));
      const bool edge = x == 0 || x == y * 2 / 3 || y == 17;
      if (inside) c.pixels[static_cast<std::size_t>(y * w + x)] = edge ? 0xFF000000u : 0xFFFFFFFFu;
    }
  return c;
}

bool Fits(const StartupSheet& s, std::string* error) {
  SpriteSheet page;
  for (const SheetCell& c : s.cells)
    if (!page.Add(c)) {
      *error = s.name + ": the cells do not fit one page";
      return false;
    }
  return true;
}

}  // namespace

bool MakeStartupSheets(const std::string& glyphs, const std::string& particles, std::vector<StartupSheet>* sheets,
                       std::string* error) {
  std::map<int, SheetCell> small, large;
  if (!Glyphs(glyphs, 2, &small, error) || !Glyphs(glyphs, 3, &large, error)) return false;
  std::vector<SheetCell> particleCells;
  if (!ReadParticleSheet(particles, &particleCells, error)) return false;
  if (static_cast<int>(particleCells.size()) > kEffectsMoonCell) {
    *error = "the particle sheet has more frames than the effects set holds before the moon";
    return false;
  }

  StartupSheet font{"VHBFont.img", "VHBFont.tga", {}};
  for (int i = 0; i < kFontSetCells; ++i) {
    const auto value = static_cast<std::uint16_t>(i);
    if (i < 128)
      font.cells.push_back(GlyphOrBlank(small, i, value));
    else if (i - 128 + 32 >= 33 && i - 128 + 32 <= 126)
      font.cells.push_back(GlyphOrBlank(large, i - 128 + 32, value));
    else
      font.cells.push_back(Blank(value));
  }

  StartupSheet interface{"GWInt.img", "GWInt.tga", {}};
  for (int i = 0; i < kInterfaceCells; ++i) {
    const auto value = static_cast<std::uint16_t>(i);
    if (i <= 9)
      interface.cells.push_back(GlyphOrBlank(small, '0' + i, value));
    else if (i >= 73 && i <= 82)
      interface.cells.push_back(GlyphOrBlank(large, '0' + (i - 73), value));
    else if (i == 19)
      interface.cells.push_back(GlyphOrBlank(small, '/', value));
    else
      interface.cells.push_back(Box(value, 16, 0xC0203028u + static_cast<std::uint32_t>(i % 8) * 0x00101000u,
                                    0xFFD0D8C0u));
  }

  StartupSheet panel{"8060.img", "8060.tga", {}}, smallPanel{"6448.img", "6448.tga", {}};
  for (int i = 0; i < kPanelCells; ++i) {
    panel.cells.push_back(FramePiece(static_cast<std::uint16_t>(i), 16));
    smallPanel.cells.push_back(FramePiece(static_cast<std::uint16_t>(i), 12));
  }

  StartupSheet effects{"Effects.img", "Effects.tga", particleCells};
  while (static_cast<int>(effects.cells.size()) < kEffectsMoonCell)
    effects.cells.push_back(Blank(static_cast<std::uint16_t>(effects.cells.size())));
  effects.cells.push_back(Moon(kEffectsMoonCell));
  effects.cells.push_back(Arrow(kEffectsCursorCell));

  StartupSheet logo{"NewLogo.img", "NewLogo.tga", {}};
  for (int i = 0; i < kLogoCells; ++i)
    logo.cells.push_back(Box(static_cast<std::uint16_t>(i), 48, 0xFF203040u + static_cast<std::uint32_t>(i) * 0x00080C04u,
                             0xFFE0E0D0u));

  for (const StartupSheet* s : {&font, &interface, &panel, &smallPanel, &effects, &logo})
    if (!Fits(*s, error)) return false;
  *sheets = {font, interface, panel, smallPanel, effects, logo};
  return true;
}
