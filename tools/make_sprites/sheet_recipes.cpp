#include "make_sprites/sheet_recipes.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

namespace {

struct Line {
  int number;
  std::vector<std::string> words;
};

// The recipe text as lines of words, comments and blank lines left out.
std::vector<Line> SplitLines(const std::string& text) {
  std::vector<Line> out;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Line l{number, {}};
    std::string w;
    while (fields >> w) l.words.push_back(w);
    if (!l.words.empty()) out.push_back(l);
  }
  return out;
}

bool ParseInt(const std::string& s, int* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0' || v < -32768 || v > 65535) return false;
  *out = static_cast<int>(v);
  return true;
}

bool ParseColour(const std::string& s, std::uint32_t* out) {
  if (s.size() != 8) return false;
  char* end = nullptr;
  const unsigned long v = std::strtoul(s.c_str(), &end, 16);
  if (*end != '\0') return false;
  *out = static_cast<std::uint32_t>(v);
  return true;
}

// "n" or "a-b" (a <= b).
bool ParseCells(const std::string& s, int* first, int* last) {
  const auto dash = s.find('-');
  if (dash == std::string::npos) {
    if (!ParseInt(s, first)) return false;
    *last = *first;
    return *first >= 0;
  }
  return ParseInt(s.substr(0, dash), first) && ParseInt(s.substr(dash + 1), last) && *first >= 0 && *first <= *last;
}

SheetCell Blank(int value) { return SheetCell{static_cast<std::uint16_t>(value), 1, 1, 0, 0, {0u}}; }

SheetCell Flat(int value, int w, int h, std::uint32_t fill) {
  return SheetCell{static_cast<std::uint16_t>(value), w, h, 0, 0,
                   std::vector<std::uint32_t>(static_cast<std::size_t>(w * h), fill)};
}

void Set(SheetCell* c, int x, int y, std::uint32_t colour) {
  if (x >= 0 && y >= 0 && x < c->width && y < c->height) c->pixels[static_cast<std::size_t>(y * c->width + x)] = colour;
}

SheetCell Box(int value, int w, int h, std::uint32_t fill, bool bordered, std::uint32_t border) {
  SheetCell c = Flat(value, w, h, fill);
  if (!bordered) return c;
  for (int x = 0; x < w; ++x) {
    Set(&c, x, 0, border);
    Set(&c, x, h - 1, border);
  }
  for (int y = 0; y < h; ++y) {
    Set(&c, 0, y, border);
    Set(&c, w - 1, y, border);
  }
  return c;
}

// Rim two pixels wide along the top side, and the left side too for a corner.
SheetCell Rimmed(int value, int w, int h, std::uint32_t fill, std::uint32_t rim, bool left) {
  SheetCell c = Flat(value, w, h, fill);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (y < 2 || (left && x < 2)) Set(&c, x, y, rim);
  return c;
}

// A quarter disc of radius min(w, h) about the bottom-right corner, its outer
// two pixels the rim: the top-left quarter of a rounded bar end.
SheetCell BarEnd(int value, int w, int h, std::uint32_t fill, std::uint32_t rim) {
  SheetCell c = Flat(value, w, h, 0u);
  const float r = static_cast<float>(w < h ? w : h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float dx = static_cast<float>(w) - (static_cast<float>(x) + 0.5f);
      const float dy = static_cast<float>(h) - (static_cast<float>(y) + 0.5f);
      const float d = std::sqrt(dx * dx + dy * dy);
      if (d <= r) Set(&c, x, y, d > r - 2.0f ? rim : fill);
    }
  return c;
}

SheetCell Arrow(int value, int w, int h, std::uint32_t colour, const std::string& way) {
  SheetCell c = Flat(value, w, h, 0u);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Distance along the arrow from its tip (0) to its base (1), and across it (-1..1).
      const float fx = (static_cast<float>(x) + 0.5f) / static_cast<float>(w);
      const float fy = (static_cast<float>(y) + 0.5f) / static_cast<float>(h);
      float along = 0, across = 0;
      if (way == "left") along = fx, across = fy * 2 - 1;
      if (way == "right") along = 1 - fx, across = fy * 2 - 1;
      if (way == "up") along = fy, across = fx * 2 - 1;
      if (way == "down") along = 1 - fy, across = fx * 2 - 1;
      if (std::fabs(across) <= along) Set(&c, x, y, colour);
    }
  return c;
}

SheetCell Disc(int value, int size, std::uint32_t colour) {
  SheetCell c = Flat(value, size, size, 0u);
  c.hotX = c.hotY = static_cast<std::int16_t>(size / 2);
  const float centre = static_cast<float>(size) / 2.0f - 0.5f, r = static_cast<float>(size) / 2.0f - 1.0f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float dx = static_cast<float>(x) - centre, dy = static_cast<float>(y) - centre;
      if (std::sqrt(dx * dx + dy * dy) <= r) Set(&c, x, y, colour);
    }
  return c;
}

// The mouse pointer: a white arrow with a black edge, its hot spot at the tip.
SheetCell Cursor(int value) {
  const int w = 12, h = 18;
  SheetCell c = Flat(value, w, h, 0u);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool inside = x <= y * 2 / 3 && (y < 12 || (x >= 3 && x <= 6 && y < 17));
      const bool edge = x == 0 || x == y * 2 / 3 || y == 17;
      if (inside) Set(&c, x, y, edge ? 0xFF000000u : 0xFFFFFFFFu);
    }
  return c;
}

// Glyph cells of the list at a scale, keyed by character code.
bool Glyphs(const std::string& text, int scale, std::map<int, SheetCell>* out, std::string* error) {
  std::vector<SheetCell> cells;
  if (!ReadGlyphList(text, scale, &cells, error)) return false;
  for (const SheetCell& c : cells) (*out)[c.value] = c;
  return true;
}

// The glyph of a code (lower case as upper case) tinted, or a blank cell.
SheetCell Glyph(const std::map<int, SheetCell>& glyphs, int code, int value, std::uint32_t colour) {
  const int key = code >= 'a' && code <= 'z' ? code - 'a' + 'A' : code;
  auto found = glyphs.find(key);
  if (found == glyphs.end()) return Blank(value);
  SheetCell c = found->second;
  c.value = static_cast<std::uint16_t>(value);
  for (std::uint32_t& p : c.pixels)
    if (p != 0) p = colour;
  return c;
}

SheetCell TopLeft(SheetCell c) {
  c.hotX = c.hotY = 0;
  return c;
}

class Reader {
 public:
  Reader(const std::string& glyphs, const std::string& particles, std::string* error)
      : glyphText_(glyphs), particleText_(particles), error_(error) {}

  bool Run(const std::vector<Line>& lines, std::vector<RecipeSheet>* sheets) {
    for (const Line& l : lines) {
      line_ = l.number;
      if (!Apply(l.words, sheets)) return false;
    }
    return true;
  }

 private:
  bool Fail(const std::string& what) {
    *error_ = "sheet recipes line " + std::to_string(line_) + ": " + what;
    return false;
  }

  bool NeedGlyphs() {
    if (small_.empty() && (!Glyphs(glyphText_, 2, &small_, error_) || !Glyphs(glyphText_, 3, &large_, error_)))
      return false;
    return true;
  }

  const std::map<int, SheetCell>* Size(const std::string& s) {
    return s == "small" ? &small_ : s == "large" ? &large_ : nullptr;
  }

  bool Put(std::vector<RecipeSheet>* sheets, int cell, SheetCell c) {
    if (sheets->empty()) return Fail("a cell before any sheet");
    std::vector<SheetCell>& cells = sheets->back().cells;
    if (cell < 0 || cell >= static_cast<int>(cells.size())) return Fail("cell " + std::to_string(cell) + " outside the set");
    c.value = static_cast<std::uint16_t>(cell);
    cells[static_cast<std::size_t>(cell)] = c;
    return true;
  }

  bool Apply(const std::vector<std::string>& w, std::vector<RecipeSheet>* sheets) {
    const std::string& kind = w[0];
    const std::size_t n = w.size();
    int first = 0, last = 0, width = 0, height = 0;
    std::uint32_t a = 0, b = 0;
    if (kind == "sheet") {
      int count = 0;
      if (n != 4 || !ParseInt(w[3], &count) || count < 1 || count > 1024) return Fail("expected sheet <file> <page> <cells>");
      RecipeSheet s{w[1], w[2], {}};
      for (int i = 0; i < count; ++i) s.cells.push_back(Blank(i));
      sheets->push_back(s);
      return true;
    }
    if (kind == "box" || kind == "corner" || kind == "edge" || kind == "barend") {
      const bool optionalRim = kind == "box";
      const bool rimmed = n == 6;
      if ((n != 5 && n != 6) || (!rimmed && !optionalRim) || !ParseCells(w[1], &first, &last) ||
          !ParseInt(w[2], &width) || !ParseInt(w[3], &height) || width < 1 || height < 1 || width > 256 ||
          height > 256 || !ParseColour(w[4], &a) || (rimmed && !ParseColour(w[5], &b)))
        return Fail("expected " + kind + " <cells> <w> <h> <fill>" + (optionalRim ? " [<border>]" : " <rim>"));
      for (int cell = first; cell <= last; ++cell) {
        SheetCell c = kind == "box"      ? Box(cell, width, height, a, rimmed, b)
                      : kind == "corner" ? Rimmed(cell, width, height, a, b, true)
                      : kind == "edge"   ? Rimmed(cell, width, height, a, b, false)
                                         : BarEnd(cell, width, height, a, b);
        if (!Put(sheets, cell, c)) return false;
      }
      return true;
    }
    if (kind == "arrow") {
      if (n != 6 || !ParseCells(w[1], &first, &last) || !ParseInt(w[2], &width) || !ParseInt(w[3], &height) ||
          width < 1 || height < 1 || width > 256 || height > 256 || !ParseColour(w[4], &a) ||
          (w[5] != "left" && w[5] != "right" && w[5] != "up" && w[5] != "down"))
        return Fail("expected arrow <cells> <w> <h> <colour> left|right|up|down");
      for (int cell = first; cell <= last; ++cell)
        if (!Put(sheets, cell, Arrow(cell, width, height, a, w[5]))) return false;
      return true;
    }
    if (kind == "glyph" || kind == "digits") {
      const bool one = kind == "glyph";
      if (n != (one ? 5u : 4u) || !ParseInt(w[1], &first) || Size(w[2]) == nullptr ||
          (one && w[3].size() != 1) || !ParseColour(w[n - 1], &a))
        return Fail(one ? "expected glyph <cell> small|large <character> <colour>"
                        : "expected digits <first cell> small|large <colour>");
      if (!NeedGlyphs()) return false;
      const std::map<int, SheetCell>& glyphs = *Size(w[2]);
      if (one) return Put(sheets, first, TopLeft(Glyph(glyphs, static_cast<unsigned char>(w[3][0]), first, a)));
      for (int d = 0; d < 10; ++d)
        if (!Put(sheets, first + d, TopLeft(Glyph(glyphs, '0' + d, first + d, a)))) return false;
      return true;
    }
    if (kind == "font") {
      if (n != 3 || Size(w[1]) == nullptr || !ParseColour(w[2], &a)) return Fail("expected font small|large <colour>");
      if (!NeedGlyphs()) return false;
      const std::map<int, SheetCell>& glyphs = *Size(w[1]);
      if (w[1] == "small") {
        for (int c = 0; c < 128; ++c)
          if (!Put(sheets, c, Glyph(glyphs, c, c, a))) return false;
      } else {
        for (int c = 33; c <= 126; ++c)
          if (!Put(sheets, 128 + c - 32, Glyph(glyphs, c, 128 + c - 32, a))) return false;
      }
      return true;
    }
    if (kind == "particles") {
      if (n != 2 || !ParseInt(w[1], &first)) return Fail("expected particles <first cell>");
      std::vector<SheetCell> frames;
      std::string why;
      if (!ReadParticleSheet(particleText_, &frames, &why)) return Fail(why);
      for (std::size_t i = 0; i < frames.size(); ++i)
        if (!Put(sheets, first + static_cast<int>(i), frames[i])) return false;
      return true;
    }
    if (kind == "disc") {
      if (n != 4 || !ParseInt(w[1], &first) || !ParseInt(w[2], &width) || width < 2 || width > 256 ||
          !ParseColour(w[3], &a))
        return Fail("expected disc <cell> <size> <colour>");
      return Put(sheets, first, Disc(first, width, a));
    }
    if (kind == "cursor") {
      if (n != 2 || !ParseInt(w[1], &first)) return Fail("expected cursor <cell>");
      return Put(sheets, first, Cursor(first));
    }
    if (kind == "hot") {
      int x = 0, y = 0;
      if (n != 4 || !ParseCells(w[1], &first, &last) || !ParseInt(w[2], &x) || !ParseInt(w[3], &y))
        return Fail("expected hot <cells> <x> <y>");
      if (sheets->empty()) return Fail("a cell before any sheet");
      for (int cell = first; cell <= last; ++cell) {
        if (cell >= static_cast<int>(sheets->back().cells.size())) return Fail("cell outside the set");
        sheets->back().cells[static_cast<std::size_t>(cell)].hotX = static_cast<std::int16_t>(x);
        sheets->back().cells[static_cast<std::size_t>(cell)].hotY = static_cast<std::int16_t>(y);
      }
      return true;
    }
    return Fail("unknown recipe \"" + kind + "\"");
  }

  std::string glyphText_, particleText_;
  std::string* error_;
  std::map<int, SheetCell> small_, large_;
  int line_ = 0;
};

}  // namespace

bool ReadSheetRecipes(const std::string& recipes, const std::string& glyphs, const std::string& particles,
                      std::vector<RecipeSheet>* sheets, std::string* error) {
  std::vector<RecipeSheet> out;
  Reader reader(glyphs, particles, error);
  if (!reader.Run(SplitLines(recipes), &out)) return false;
  *sheets = std::move(out);
  return true;
}

bool RecipeCellColour(const std::string& recipes, const std::string& sheet, int cell, std::uint32_t* colour) {
  bool inSheet = false, found = false;
  for (const Line& l : SplitLines(recipes)) {
    const std::vector<std::string>& w = l.words;
    if (w[0] == "sheet") {
      inSheet = w.size() > 1 && w[1] == sheet;
      continue;
    }
    if (!inSheet || w.size() < 2) continue;
    int first = 0, last = 0;
    std::size_t colourWord = 0;
    if (w[0] == "box" || w[0] == "corner" || w[0] == "edge" || w[0] == "barend" || w[0] == "arrow") {
      if (!ParseCells(w[1], &first, &last)) continue;
      colourWord = 4;
    } else if (w[0] == "glyph" && ParseInt(w[1], &first)) {
      last = first;
      colourWord = 4;
    } else if (w[0] == "digits" && ParseInt(w[1], &first)) {
      last = first + 9;
      colourWord = 3;
    } else if (w[0] == "disc" && ParseInt(w[1], &first)) {
      last = first;
      colourWord = 3;
    } else {
      continue;
    }
    std::uint32_t c = 0;
    if (cell >= first && cell <= last && colourWord < w.size() && ParseColour(w[colourWord], &c)) {
      *colour = c;
      found = true;  // a later line of the same cell wins, as when drawing
    }
  }
  return found;
}
