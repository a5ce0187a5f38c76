// make_script_table: the plug-in interface header and the program's script
// function table, from the slot list.
//   make_script_table <slot list> <header template> <header out> <table source out>
#include <cstdio>
#include <string>
#include <vector>

#include "script_slot_list.h"

using make_script_table::ReadTextFile;
using make_script_table::WriteTextFileIfChanged;

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: make_script_table <slot list> <header template> <header> <table source>\n");
    return 2;
  }
  std::string list, templ, error, header;
  if (!ReadTextFile(argv[1], &list) || !ReadTextFile(argv[2], &templ)) {
    std::fprintf(stderr, "make_script_table: cannot read %s or %s\n", argv[1], argv[2]);
    return 1;
  }
  std::vector<make_script_table::Slot> slots;
  if (!make_script_table::ReadSlotList(list, &slots, &error) ||
      !make_script_table::MakeHeader(templ, slots, &header, &error)) {
    std::fprintf(stderr, "make_script_table: %s\n", error.c_str());
    return 1;
  }
  if (!WriteTextFileIfChanged(argv[3], header) || !WriteTextFileIfChanged(argv[4], make_script_table::MakeTableSource(slots))) {
    std::fprintf(stderr, "make_script_table: cannot write %s or %s\n", argv[3], argv[4]);
    return 1;
  }
  return 0;
}
