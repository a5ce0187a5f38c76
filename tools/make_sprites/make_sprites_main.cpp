// make_sprites: writes the engine's sprite files and their page pictures.
//
//   make_sprites font <glyphs.txt> <scale> <page.tga> <font.spr>
//   make_sprites sheet <sheet.txt> <page.tga> <sprites.spr>
//   make_sprites particles <particles.txt> <page.tga> <particles.spr>
//   make_sprites picture <width> <height> <picture.bmp>
//   make_sprites demo <source folder> <output folder>
//
// "demo" makes the program's demo data: font.spr from glyphs.txt (scale 3),
// sprites.spr from sprites.txt, particles.spr (the particle frames that
// effects draw) from particles.txt, flares.spr (the lens flares' glow) from
// flares.txt and a 640 x 480 splash.bmp.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "make_sprites/sprite_sheet.h"
#include "make_sprites/startup_sheets.h"

namespace {

bool ReadText(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

// The page name as the sprite file stores it: the file name only.
std::string PageName(const std::string& pagePath) { return std::filesystem::path(pagePath).filename().string(); }

int WriteSheet(const std::vector<SheetCell>& cells, const std::string& page, const std::string& spr,
               bool bleed = false) {
  SpriteSheet sheet(bleed);
  for (const SheetCell& c : cells) {
    if (!sheet.Add(c)) {
      std::fprintf(stderr, "make_sprites: the sprites do not fit one %d x %d page\n", SpriteSheet::kPageSize,
                   SpriteSheet::kPageSize);
      return 1;
    }
  }
  if (PageName(page).size() > 15) {
    std::fprintf(stderr, "make_sprites: page name %s is longer than 15 characters\n", PageName(page).c_str());
    return 1;
  }
  if (!sheet.WritePage(page) || !sheet.WriteSpriteFile(spr, PageName(page))) {
    std::fprintf(stderr, "make_sprites: cannot write %s or %s\n", page.c_str(), spr.c_str());
    return 1;
  }
  std::printf("make_sprites: %s with %d sprites on %s\n", spr.c_str(), sheet.Count(), page.c_str());
  return 0;
}

int Font(const std::string& list, int scale, const std::string& page, const std::string& spr) {
  std::string text, error;
  std::vector<SheetCell> cells;
  if (!ReadText(list, &text)) {
    std::fprintf(stderr, "make_sprites: cannot read %s\n", list.c_str());
    return 1;
  }
  if (!ReadGlyphList(text, scale, &cells, &error)) {
    std::fprintf(stderr, "make_sprites: %s: %s\n", list.c_str(), error.c_str());
    return 1;
  }
  return WriteSheet(cells, page, spr);
}

int Sheet(const std::string& source, const std::string& page, const std::string& spr) {
  std::string text, error;
  std::vector<SheetCell> cells;
  if (!ReadText(source, &text)) {
    std::fprintf(stderr, "make_sprites: cannot read %s\n", source.c_str());
    return 1;
  }
  if (!ReadPixelSheet(text, &cells, &error)) {
    std::fprintf(stderr, "make_sprites: %s: %s\n", source.c_str(), error.c_str());
    return 1;
  }
  return WriteSheet(cells, page, spr);
}

int Particles(const std::string& source, const std::string& page, const std::string& spr) {
  std::string text, error;
  std::vector<SheetCell> cells;
  if (!ReadText(source, &text)) {
    std::fprintf(stderr, "make_sprites: cannot read %s\n", source.c_str());
    return 1;
  }
  if (!ReadParticleSheet(text, &cells, &error)) {
    std::fprintf(stderr, "make_sprites: %s: %s\n", source.c_str(), error.c_str());
    return 1;
  }
  return WriteSheet(cells, page, spr);
}

int Picture(int width, int height, const std::string& path) {
  if (!WritePicture(path, width, height)) {
    std::fprintf(stderr, "make_sprites: cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}

// The start-up sprite sets: each set's page picture and sprite file.
int Startup(const std::filesystem::path& in, const std::filesystem::path& out) {
  std::string recipes, glyphs, particles, error;
  if (!ReadText((in / "sheets.txt").string(), &recipes) || !ReadText((in / "glyphs.txt").string(), &glyphs) ||
      !ReadText((in / "particles.txt").string(), &particles)) {
    std::fprintf(stderr, "make_sprites: cannot read the sheet recipes, the glyph list or the particle sheet in %s\n",
                 in.string().c_str());
    return 1;
  }
  std::vector<StartupSheet> sheets;
  if (!MakeStartupSheets(recipes, glyphs, particles, &sheets, &error)) {
    std::fprintf(stderr, "make_sprites: %s\n", error.c_str());
    return 1;
  }
  std::error_code ignored;
  std::filesystem::create_directories(out, ignored);
  for (const StartupSheet& s : sheets)
    if (WriteSheet(s.cells, (out / s.page).string(), (out / s.name).string(), true) != 0) return 1;
  // The full-screen pictures of loading, the splash and the exit.
  for (const char* picture : {"DefLoad.bmp", "DefLoad_US.bmp", "PCPromo.bmp", "SplashMarlow.bmp",
                              "SplashBrindle.bmp", "PCSplashLegal.bmp"})
    if (Picture(640, 480, (out / picture).string()) != 0) return 1;
  // The exit splash's three pictures, each a colour of its own.
  const struct {
    const char* name;
    std::uint32_t rgb;
  } exitPictures[] = {{"splash3.bmp", 0xB03020}, {"splash1.bmp", 0x20A040}, {"splash4.bmp", 0x2040C0}};
  for (const auto& p : exitPictures)
    if (!WriteFlatPicture((out / p.name).string(), 640, 480, p.rgb)) {
      std::fprintf(stderr, "make_sprites: cannot write %s\n", (out / p.name).string().c_str());
      return 1;
    }
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: make_sprites font <glyphs.txt> <scale> <page.tga> <font.spr>\n"
               "       make_sprites sheet <sheet.txt> <page.tga> <sprites.spr>\n"
               "       make_sprites particles <particles.txt> <page.tga> <particles.spr>\n"
               "       make_sprites picture <width> <height> <picture.bmp>\n"
               "       make_sprites demo <source folder> <output folder>\n"
               "       make_sprites startup <source folder> <output folder>\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "font" && argc == 6) return Font(argv[2], std::atoi(argv[3]), argv[4], argv[5]);
  if (command == "sheet" && argc == 5) return Sheet(argv[2], argv[3], argv[4]);
  if (command == "particles" && argc == 5) return Particles(argv[2], argv[3], argv[4]);
  if (command == "picture" && argc == 5) return Picture(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
  if (command == "startup" && argc == 4) return Startup(argv[2], argv[3]);
  if (command == "demo" && argc == 4) {
    const std::filesystem::path in = argv[2], out = argv[3];
    std::error_code ignored;
    std::filesystem::create_directories(out, ignored);
    if (Font((in / "glyphs.txt").string(), 3, (out / "fontpage.tga").string(), (out / "font.spr").string()) != 0)
      return 1;
    if (Sheet((in / "sprites.txt").string(), (out / "spritepage.tga").string(), (out / "sprites.spr").string()) != 0)
      return 1;
    if (Particles((in / "particles.txt").string(), (out / "particles.tga").string(),
                  (out / "particles.spr").string()) != 0)
      return 1;
    if (Particles((in / "flares.txt").string(), (out / "flares.tga").string(), (out / "flares.spr").string()) != 0)
      return 1;
    return Picture(640, 480, (out / "splash.bmp").string());
  }
  return Usage();
}
