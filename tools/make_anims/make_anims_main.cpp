// make_anims <description> <rule folder> <output folder>: writes the demo
// figure's animations (".prs" text, ".aed" events and the ".prb" cache the
// engine writes from what its text reader reads back) and copies the three
// state-rule files after checking that they parse.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

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
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_anims <description> <rule folder> <output folder>\n");
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
  for (const AnimEntry& entry : description.Anims) {
    AnimSet set;
    BuildAnimSet(description, entry, &set);
    const std::string base = out + "/" + entry.Name;
    const std::string prs = WritePrsText(set, names);
    // The cache is what the engine's reader makes of the text.
    AnimSet read;
    if (!WriteText(base + ".prs", prs) || !read.ParseText(prs.c_str()) || !set.SaveExtraData((base + ".aed").c_str()) ||
        !read.ParseExtraData(set.ExtraDataText().c_str()) || !read.WriteCache((base + ".prb").c_str())) {
      std::fprintf(stderr, "make_anims: cannot write %s\n", base.c_str());
      return 1;
    }
  }
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
