// Building sprite pages for the engine: cells of RGBA pixels packed in rows
// onto a 256 x 256 page, written as a 32-bit TGA picture with alpha and a
// sprite file (format 1) that names the page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SheetCell {
  std::uint16_t value;  // kept in the sprite entry (a font's character code)
  int width;
  int height;
  std::int16_t hotX;
  std::int16_t hotY;
  std::vector<std::uint32_t> pixels;  // ARGB, rows top first
};

class SpriteSheet {
 public:
  // bleed: each cell gets a one-pixel frame of copies of its edge pixels, so
  // that a draw whose texture coordinates run one texel past the cell (a
  // turned or mirrored draw) still reads the cell's colours.
  explicit SpriteSheet(bool bleed = false) : m_Bleed(bleed) {}
  // Places the cell on the page (1 pixel apart, or inside its bleed frame);
  // false when the page is full.
  bool Add(const SheetCell& cell);
  // Writes the page as an uncompressed 32-bit TGA (rows top first); false on a write error.
  bool WritePage(const std::string& path) const;
  // Writes the sprite file naming pageName; false on a write error.
  bool WriteSpriteFile(const std::string& path, const std::string& pageName) const;
  int Count() const { return static_cast<int>(m_Entries.size()); }

  static constexpr int kPageSize = 256;

 private:
  struct Entry {
    std::uint16_t value, x, y, width, height;
    std::int16_t hotX, hotY;
  };
  std::vector<std::uint32_t> m_Page = std::vector<std::uint32_t>(kPageSize * kPageSize, 0);
  std::vector<Entry> m_Entries;
  int m_X = 0, m_Y = 0, m_RowHeight = 0;
  bool m_Bleed = false;
};

// Reads a glyph list: lines "<character> <seven hex rows of five bits>", blank
// lines and lines starting with '#' ignored.  Each glyph becomes a white cell
// scaled by scale, its value the character code, hanging from the baseline.
// False with a message in error for a malformed line.
bool ReadGlyphList(const std::string& text, int scale, std::vector<SheetCell>* cells, std::string* error);

// Reads a pixel-art sheet: "scale N", "colour <char> <RRGGBB>", then sprites
// "sprite <value>", rows of colour characters ('.' transparent), "end".
// False with a message in error for a malformed sheet.
bool ReadPixelSheet(const std::string& text, std::vector<SheetCell>* cells, std::string* error);

// Reads a particle sheet: "size N" (the square cell size, 4 to 64), then
// "frames <first> <last> <look> <inner RRGGBB> [<outer RRGGBB>]" lines that
// fill frame numbers in order (every frame from 0 to the last one given must
// be filled once).  Looks: "glow" (a smooth round fall-off), "spark" (a small
// hot core), "smoke" (a lumpy puff, each frame its own lumps), "fire" (a
// lumpy puff from the inner to the outer colour, each frame fainter than the
// one before, for flip-book fireballs).  Cells are centred on their hot
// spot, their values the frame numbers.  False with a message in error for a
// malformed line, a frame given twice or a gap.
bool ReadParticleSheet(const std::string& text, std::vector<SheetCell>* cells, std::string* error);

// Writes a 24-bit BMP of width x height: a sky gradient over a ground band with
// a sun and a frame, for the demo's full-screen picture.
bool WritePicture(const std::string& path, int width, int height);
// Writes a 24-bit BMP of one flat colour (0xRRGGBB) inside a light frame, so
// that the pictures shown in turn can be told apart on the screen.
bool WriteFlatPicture(const std::string& path, int width, int height, std::uint32_t rgb);
