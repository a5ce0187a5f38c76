// make_anims <description> <rule folder> <output folder> [<alias table>]:
// writes the description's animations (".prs" text, ".aed" events and the ".prb" cache the
// engine writes from what its text reader reads back) and copies the three
// state-rule files of the rule folder after checking that they parse (a rule
// folder of "-" copies none: the build's rule files come from make_rules).
// With an alias table, every alias is written as well: the keys of its clip
// under the alias's file name.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "make_anims/anim_aliases.h"
#include "make_anims/anim_description.h"
#include "world/animation/anim_set.h"
#include "world/animation/prs_writer.h"
#include "world/animation/rule_table.h"

namespace {

bool ReadText(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: make_anims <description> <rule folder> <output folder> [<alias table>]\n");
    return 2;
  }
  std::string text, error;
  if (!ReadText(argv[1], &text)) {
    std::fprintf(stderr, "make_anims: cannot read %s\n", argv[1]);
    return 1;
  }
  AnimDescription description;
  if (!ReadAnimDescription(text, &description, &error)) {
    std::fprintf(stderr, "make_anims: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  const std::string out = argv[3];
  const PrsTrackNames names = FigureTrackNames(description);
  // Writes one animation's ".prs" text, ".aed" events and ".prb" cache; the
  // cache is what the engine's reader makes of the text.
  auto write = [&](const AnimEntry& entry, const std::string& base) {
    AnimSet set;
    BuildAnimSet(description, entry, &set);
    const std::string prs = WritePrsText(set, names);
    AnimSet read;
    if (!WriteText(base + ".prs", prs) || !read.ParseText(prs.c_str()) || !set.SaveExtraData((base + ".aed").c_str()) ||
        !read.ParseExtraData(set.ExtraDataText().c_str()) || !read.WriteCache((base + ".prb").c_str())) {
      std::fprintf(stderr, "make_anims: cannot write %s\n", base.c_str());
      return false;
    }
    return true;
  };
  for (const AnimEntry& entry : description.Anims)
    if (!write(entry, out + "/" + entry.Name)) return 1;
  if (argc == 5) {
    std::string table;
    std::vector<AnimAlias> aliases;
    if (!ReadText(argv[4], &table) || !ReadAnimAliases(table, &aliases, &error)) {
      std::fprintf(stderr, "make_anims: %s: %s\n", argv[4], error.empty() ? "cannot read" : error.c_str());
      return 1;
    }
    for (const AnimAlias& alias : aliases) {
      const AnimEntry* clip = nullptr;
      for (const AnimEntry& entry : description.Anims)
        if (entry.Name == alias.Clip) clip = &entry;
      if (clip == nullptr) {
        std::fprintf(stderr, "make_anims: %s: line %d: no clip %s\n", argv[4], alias.Line, alias.Clip.c_str());
        return 1;
      }
      if (!write(*clip, out + "/" + alias.File.substr(0, alias.File.size() - 4))) return 1;
    }
  }
  if (std::string(argv[2]) == "-") return 0;
  for (const char* rules : {"UpperBodyStateRules.txt", "MovementStateRules.txt", "VehicleStateRules.txt"}) {
    std::string rulesText;
    RuleTable table;
    if (!ReadText(std::string(argv[2]) + "/" + rules, &rulesText) || !table.Parse(rulesText.c_str())) {
      std::fprintf(stderr, "make_anims: %s is missing or does not parse\n", rules);
      return 1;
    }
    if (!WriteText(out + "/" + rules, rulesText)) {
      std::fprintf(stderr, "make_anims: cannot write %s\n", rules);
      return 1;
    }
  }
  return 0;
}
