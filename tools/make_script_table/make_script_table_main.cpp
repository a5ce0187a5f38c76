// make_script_table: the plug-in interface header and the program's script
// function table, from the slot list.
//   make_script_table <slot list> <header template> <header out> <table source out>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "script_slot_list.h"

namespace {

bool ReadText(const char* path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

// Writes only when the text changed, so that nothing is rebuilt needlessly.
bool WriteText(const char* path, const std::string& text) {
  std::string old;
  if (ReadText(path, &old) && old == text) return true;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: make_script_table <slot list> <header template> <header> <table source>\n");
    return 2;
  }
  std::string list, templ, error, header;
  if (!ReadText(argv[1], &list) || !ReadText(argv[2], &templ)) {
    std::fprintf(stderr, "make_script_table: cannot read %s or %s\n", argv[1], argv[2]);
    return 1;
  }
  std::vector<make_script_table::Slot> slots;
  if (!make_script_table::ReadSlotList(list, &slots, &error) ||
      !make_script_table::MakeHeader(templ, slots, &header, &error)) {
    std::fprintf(stderr, "make_script_table: %s\n", error.c_str());
    return 1;
  }
  if (!WriteText(argv[3], header) || !WriteText(argv[4], make_script_table::MakeTableSource(slots))) {
    std::fprintf(stderr, "make_script_table: cannot write %s or %s\n", argv[3], argv[4]);
    return 1;
  }
  return 0;
}
