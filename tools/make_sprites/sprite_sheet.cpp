#include "make_sprites/sprite_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "foundation/byte_reader.h"

namespace {

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

bool SpriteSheet::Add(const SheetCell& cell) {
  if (cell.width <= 0 || cell.height <= 0 || cell.width > kPageSize || cell.height > kPageSize) return false;
  // The space the cell takes: itself, or itself and its bleed frame.
  const int frame = m_Bleed ? 1 : 0;
  const int w = cell.width + 2 * frame, h = cell.height + 2 * frame;
  if (m_X + w > kPageSize) {
    m_X = 0;
    m_Y += m_RowHeight + (m_Bleed ? 0 : 1);
    m_RowHeight = 0;
  }
  if (m_Y + h > kPageSize || w > kPageSize) return false;
  // Each page pixel of the block takes the nearest cell pixel (the frame
  // repeats the cell's edges).
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int cx = std::clamp(x - frame, 0, cell.width - 1), cy = std::clamp(y - frame, 0, cell.height - 1);
      m_Page[(m_Y + y) * kPageSize + m_X + x] = cell.pixels[static_cast<std::size_t>(cy * cell.width + cx)];
    }
  m_Entries.push_back({cell.value, static_cast<std::uint16_t>(m_X + frame), static_cast<std::uint16_t>(m_Y + frame),
                       static_cast<std::uint16_t>(cell.width), static_cast<std::uint16_t>(cell.height), cell.hotX,
                       cell.hotY});
  m_X += w + (m_Bleed ? 0 : 1);
  if (h > m_RowHeight) m_RowHeight = h;
  return true;
}

bool SpriteSheet::WritePage(const std::string& path) const {
  ByteWriter w;
  w.U8(0);   // no identification field
  w.U8(0);   // no colour map
  w.U8(2);   // uncompressed true colour
  for (int i = 0; i < 5; ++i) w.U8(0);
  w.U16(0);
  w.U16(0);
  w.U16(kPageSize);
  w.U16(kPageSize);
  w.U8(32);
  w.U8(0x28);  // 8 alpha bits, rows top first
  for (std::uint32_t argb : m_Page) {
    w.U8(argb & 0xFF);
    w.U8((argb >> 8) & 0xFF);
    w.U8((argb >> 16) & 0xFF);
    w.U8(argb >> 24);
  }
  return WriteBytes(path, w.Data());
}

bool SpriteSheet::WriteSpriteFile(const std::string& path, const std::string& pageName) const {
  ByteWriter w;
  w.U32(0);
  w.U16(1);
  w.U16(static_cast<std::uint16_t>(m_Entries.size()));
  w.U16(0);
  w.U16(1);
  for (int k = 0; k < 17; ++k) {
    char name[16] = {};
    if (k == 0) pageName.copy(name, sizeof name - 1);
    for (char c : name) w.U8(static_cast<std::uint8_t>(c));
  }
  for (const Entry& e : m_Entries) {
    w.U16(0);
    w.U16(e.value);
    w.U16(e.x);
    w.U16(e.y);
    w.U16(e.width);
    w.U16(e.height);
    w.U16(static_cast<std::uint16_t>(e.hotX));
    w.U16(static_cast<std::uint16_t>(e.hotY));
  }
  return WriteBytes(path, w.Data());
}

bool ReadGlyphList(const std::string& text, int scale, std::vector<SheetCell>* cells, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string character;
    unsigned rows[7];
    fields >> character;
    for (unsigned& r : rows) fields >> std::hex >> r;
    if (character.size() != 1 || !fields || scale < 1) {
      *error = "glyph list line " + std::to_string(number) + ": expected a character and seven hex rows";
      return false;
    }
    // Five columns, seven rows; the baseline is under the last row.
    SheetCell cell{static_cast<std::uint8_t>(character[0]), 5 * scale, 7 * scale, 0,
                   static_cast<std::int16_t>(-7 * scale), {}};
    cell.pixels.assign(static_cast<std::size_t>(cell.width * cell.height), 0);
    for (int y = 0; y < cell.height; ++y)
      for (int x = 0; x < cell.width; ++x)
        if (rows[y / scale] & (0x10u >> (x / scale))) cell.pixels[static_cast<std::size_t>(y * cell.width + x)] = 0xFFFFFFFF;
    cells->push_back(cell);
  }
  return true;
}

bool ReadPixelSheet(const std::string& text, std::vector<SheetCell>* cells, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  std::map<char, std::uint32_t> colours;
  int scale = 1, number = 0;
  bool inSprite = false;
  SheetCell cell{};
  std::vector<std::string> art;
  auto fail = [&](const std::string& what) {
    *error = "sheet line " + std::to_string(number) + ": " + what;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string word;
    fields >> word;
    if (!inSprite && word == "scale") {
      if (!(fields >> scale) || scale < 1 || scale > 16) return fail("bad scale");
    } else if (!inSprite && word == "colour") {
      std::string key;
      unsigned rgb;
      if (!(fields >> key >> std::hex >> rgb) || key.size() != 1) return fail("expected a character and RRGGBB");
      colours[key[0]] = 0xFF000000u | (rgb & 0xFFFFFF);
    } else if (!inSprite && word == "sprite") {
      unsigned value;
      if (!(fields >> value)) return fail("expected a sprite value");
      cell = SheetCell{static_cast<std::uint16_t>(value), 0, 0, 0, 0, {}};
      art.clear();
      inSprite = true;
    } else if (inSprite && word == "end") {
      if (art.empty()) return fail("sprite without rows");
      cell.width = static_cast<int>(art[0].size()) * scale;
      cell.height = static_cast<int>(art.size()) * scale;
      cell.pixels.assign(static_cast<std::size_t>(cell.width * cell.height), 0);
      for (int y = 0; y < cell.height; ++y) {
        for (int x = 0; x < cell.width; ++x) {
          const char c = art[static_cast<std::size_t>(y / scale)][static_cast<std::size_t>(x / scale)];
          if (c == '.') continue;
          const auto found = colours.find(c);
          if (found == colours.end()) return fail(std::string("unknown colour '") + c + "'");
          cell.pixels[static_cast<std::size_t>(y * cell.width + x)] = found->second;
        }
      }
      cells->push_back(cell);
      inSprite = false;
    } else if (inSprite) {
      if (!art.empty() && word.size() != art[0].size()) return fail("rows of different lengths");
      art.push_back(word);
    } else {
      return fail("unknown word '" + word + "'");
    }
  }
  if (inSprite) return fail("sprite without end");
  return true;
}

namespace {

// A repeatable value in [0, 1) from a cell position and a seed (integer hash).
float Lump(int x, int y, int seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                    static_cast<std::uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<float>((h ^ (h >> 16)) & 0xFFFF) / 65536.0f;
}

// Smooth value noise over a 4-cell lattice of the sprite: bilinear between lattice lumps.
float Noise(float u, float v, int seed) {
  const float x = u * 4.0f, y = v * 4.0f;
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0);
  const float a = Lump(x0, y0, seed), b = Lump(x0 + 1, y0, seed), c = Lump(x0, y0 + 1, seed),
              d = Lump(x0 + 1, y0 + 1, seed);
  return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
}

std::uint32_t Mix(std::uint32_t inner, std::uint32_t outer, float t) {
  auto channel = [&](int shift) {
    const float a = static_cast<float>((inner >> shift) & 0xFF), b = static_cast<float>((outer >> shift) & 0xFF);
    return static_cast<std::uint32_t>(a + (b - a) * t + 0.5f) << shift;
  };
  return channel(16) | channel(8) | channel(0);
}

// One particle frame: colour from the look, alpha from the distance to the
// centre (r = 0 at the centre, 1 at the cell's inscribed circle).
SheetCell ParticleCell(int frame, int size, const std::string& look, std::uint32_t inner, std::uint32_t outer,
                       int indexInRange, int rangeLength) {
  SheetCell cell{static_cast<std::uint16_t>(frame), size, size, static_cast<std::int16_t>(-size / 2),
                 static_cast<std::int16_t>(-size / 2), {}};
  cell.pixels.assign(static_cast<std::size_t>(size * size), 0);
  const float half = static_cast<float>(size) * 0.5f;
  // Fire frames fade from the first to the last of their range.
  const float fade = look == "fire" && rangeLength > 1
                         ? 1.0f - 0.8f * static_cast<float>(indexInRange) / static_cast<float>(rangeLength - 1)
                         : 1.0f;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float dx = (static_cast<float>(x) + 0.5f - half) / half, dy = (static_cast<float>(y) + 0.5f - half) / half;
      const float r = std::sqrt(dx * dx + dy * dy);
      float alpha = 0.0f, shade = 0.0f;
      if (look == "glow") {
        alpha = std::max(0.0f, 1.0f - r);
        alpha *= alpha;
        shade = r;
      } else if (look == "spark") {
        alpha = std::max(0.0f, 1.0f - r * 2.0f);
        shade = r * 2.0f;
      } else {
        // Lumpy puffs: the edge moves in and out with the noise.
        const float n = Noise(static_cast<float>(x) / static_cast<float>(size),
                              static_cast<float>(y) / static_cast<float>(size), frame * 7 + 1);
        const float edge = 0.65f + 0.35f * n;
        alpha = std::clamp(1.0f - r / edge, 0.0f, 1.0f);
        alpha = std::sqrt(alpha) * (0.6f + 0.4f * n) * fade;
        shade = std::clamp(r / edge + 0.3f * (1.0f - n), 0.0f, 1.0f);
      }
      if (alpha <= 0.0f) continue;
      const std::uint32_t a = static_cast<std::uint32_t>(std::clamp(alpha, 0.0f, 1.0f) * 255.0f + 0.5f);
      cell.pixels[static_cast<std::size_t>(y * size + x)] = (a << 24) | Mix(inner, outer, shade);
    }
  }
  return cell;
}

}  // namespace

bool ReadParticleSheet(const std::string& text, std::vector<SheetCell>* cells, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  int size = 0, number = 0;
  std::map<int, SheetCell> frames;
  auto fail = [&](const std::string& what) {
    *error = "particle sheet line " + std::to_string(number) + ": " + what;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string word;
    fields >> word;
    if (word == "size") {
      if (!(fields >> size) || size < 4 || size > 64) return fail("bad size");
    } else if (word == "frames") {
      int first = 0, last = 0;
      std::string look, extra;
      unsigned inner = 0, outer = 0;
      if (size == 0) return fail("frames before the size");
      if (!(fields >> first >> last >> look >> std::hex >> inner)) return fail("expected first, last, look and colour");
      if (!(fields >> outer)) outer = inner;
      if (first < 0 || last < first || last > 1023) return fail("bad frame range");
      if (look != "glow" && look != "spark" && look != "smoke" && look != "fire") return fail("unknown look '" + look + "'");
      for (int f = first; f <= last; ++f) {
        if (frames.count(f)) return fail("frame " + std::to_string(f) + " given twice");
        frames[f] = ParticleCell(f, size, look, inner & 0xFFFFFF, outer & 0xFFFFFF, f - first, last - first + 1);
      }
    } else {
      return fail("unknown word '" + word + "'");
    }
  }
  int expected = 0;
  for (const auto& [frame, cell] : frames) {
    if (frame != expected) {
      *error = "particle sheet: frame " + std::to_string(expected) + " is missing";
      return false;
    }
    cells->push_back(cell);
    ++expected;
  }
  return true;
}

namespace {

// Writes a 24-bit bottom-up BMP of width x height; colourAt(x, row) answers
// 0xRRGGBB for a pixel, row 0 the bottom one.
template <typename ColourAt>
bool WriteBmp24(const std::string& path, int width, int height, ColourAt colourAt) {
  if (width <= 0 || height <= 0) return false;
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
  ByteWriter w;
  w.U8('B');
  w.U8('M');
  w.U32(54 + stride * static_cast<std::uint32_t>(height));
  w.U32(0);
  w.U32(54);
  w.U32(40);
  w.I32(width);
  w.I32(height);
  w.U16(1);
  w.U16(24);
  w.U32(0);
  w.U32(stride * static_cast<std::uint32_t>(height));
  w.U32(2835);
  w.U32(2835);
  w.U32(0);
  w.U32(0);
  for (int row = height - 1; row >= 0; --row) {  // bottom-up
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = colourAt(x, row);
      w.U8(static_cast<std::uint8_t>(c & 0xFF));
      w.U8(static_cast<std::uint8_t>((c >> 8) & 0xFF));
      w.U8(static_cast<std::uint8_t>((c >> 16) & 0xFF));
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(width) * 3; pad < stride; ++pad) w.U8(0);
  }
  return WriteBytes(path, w.Data());
}

// Whether a pixel lies in a picture's light frame, 4 pixels wide.
bool InFrame(int x, int row, int width, int height) {
  return x < 4 || x >= width - 4 || row < 4 || row >= height - 4;
}

}  // namespace

bool WritePicture(const std::string& path, int width, int height) {
  const int horizon = height * 2 / 3;
  return WriteBmp24(path, width, height, [&](int x, int row) -> std::uint32_t {
    const float t = static_cast<float>(row) / static_cast<float>(height);
    int r = static_cast<int>(40 + 120 * t), g = static_cast<int>(70 + 110 * t), b = static_cast<int>(160 + 80 * t);
    if (row >= horizon) {  // ground with stripes
      r = 70 + ((x / 40 + row / 20) % 2) * 20;
      g = 110 + ((x / 40 + row / 20) % 2) * 20;
      b = 50;
    }
    const float dx = static_cast<float>(x - width * 3 / 4), dy = static_cast<float>(row - height / 4);
    if (dx * dx + dy * dy < static_cast<float>(height * height) / 100.0f) {  // the sun
      r = 255;
      g = 220;
      b = 90;
    }
    if (InFrame(x, row, width, height)) r = g = b = 230;
    return static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b);
  });
}

bool WriteFlatPicture(const std::string& path, int width, int height, std::uint32_t rgb) {
  return WriteBmp24(path, width, height,
                    [&](int x, int row) { return InFrame(x, row, width, height) ? 0xE6E6E6u : rgb; });
}
