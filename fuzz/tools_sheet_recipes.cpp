// Arbitrary text read as the sprite-set recipes, with the repository's glyph
// list and particle sheet: an accepted text gives sets of 1 to 1024 cells
// whose every cell holds exactly its width times height pixels (and no
// cell's box or arrow larger than 256 pixels a side); a refused text always
// says why; the colour query answers without fault for any set and cell.
// Seeds: the repository's sheets.txt.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "make_sprites/sheet_recipes.h"

namespace {

std::string g_glyphs, g_particles;

std::string ReadText(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_glyphs = ReadText(DEMO_GLYPHS_FILE);
  g_particles = ReadText(DEMO_PARTICLES_FILE);
  if (g_glyphs.empty() || g_particles.empty()) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<RecipeSheet> sheets;
  std::string error;
  if (!ReadSheetRecipes(text, g_glyphs, g_particles, &sheets, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  for (const RecipeSheet& sheet : sheets) {
    if (sheet.cells.empty() || sheet.cells.size() > 1024) std::abort();
    for (const SheetCell& cell : sheet.cells) {
      if (cell.width < 1 || cell.height < 1 || cell.width > 1024 || cell.height > 1024) std::abort();
      if (cell.pixels.size() != static_cast<std::size_t>(cell.width) * static_cast<std::size_t>(cell.height))
        std::abort();
    }
    std::uint32_t colour = 0;
    RecipeCellColour(text, sheet.name, 0, &colour);
    RecipeCellColour(text, sheet.name, static_cast<int>(sheet.cells.size()), &colour);
  }
  return 0;
}
