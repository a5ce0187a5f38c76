#include "make_sprites/startup_sheets.h"

#include "make_sprites/sheet_recipes.h"

namespace {

bool Fits(const StartupSheet& s, std::string* error) {
  SpriteSheet page(true);
  for (const SheetCell& c : s.cells)
    if (!page.Add(c)) {
      *error = s.name + ": the cells do not fit one page";
      return false;
    }
  return true;
}

// The sets the game loads by name, with the cells each must hold at least.
struct Needed {
  const char* name;
  int cells;
};
constexpr Needed kNeeded[] = {{"VHBFont.img", kFontSetCells},
                              {"GWInt.img", kInterfaceCells},
                              {"8060.img", kPanelCells},
                              {"6448.img", kPanelCells},
                              {"Effects.img", kEffectsCells},
                              {"NewLogo.img", kLogoCells}};

}  // namespace

bool MakeStartupSheets(const std::string& recipes, const std::string& glyphs, const std::string& particles,
                       std::vector<StartupSheet>* sheets, std::string* error) {
  std::vector<SheetCell> frames;
  if (!ReadParticleSheet(particles, &frames, error)) return false;
  if (static_cast<int>(frames.size()) > kEffectsMoonCell) {
    *error = "the particle sheet has more frames than the effects set holds before the moon";
    return false;
  }
  std::vector<RecipeSheet> drawn;
  if (!ReadSheetRecipes(recipes, glyphs, particles, &drawn, error)) return false;
  for (const Needed& n : kNeeded) {
    bool found = false;
    for (const RecipeSheet& s : drawn)
      if (s.name == n.name) found = static_cast<int>(s.cells.size()) >= n.cells;
    if (!found) {
      *error = std::string(n.name) + ": missing from the recipes or with fewer than " + std::to_string(n.cells) +
               " cells";
      return false;
    }
  }
  std::vector<StartupSheet> out;
  for (const RecipeSheet& s : drawn) {
    out.push_back({s.name, s.page, s.cells});
    if (!Fits(out.back(), error)) return false;
  }
  *sheets = std::move(out);
  return true;
}
