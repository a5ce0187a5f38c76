// The slot list of the script function table (src/shell/script/script_slots.txt)
// as records, and the two files made from it: the plug-in interface header
// and the program's table with a generated function for every slot that is
// not built yet.
#pragma once

#include <string>
#include <vector>

namespace make_script_table {

struct Parameter {
  std::string type;  // "int32_t", "const char*", ... or "..."
  std::string name;  // empty for "..."
};

struct Slot {
  int number = 0;
  std::string result;  // "void" for none
  std::string name;
  std::string parameters;  // as written ("void" for none)
  std::vector<Parameter> parsed;
  std::string failure;  // number, "null", "none" or "out"
  bool built = false;
};

// A whole file as text; false when it cannot be opened.
bool ReadTextFile(const char* path, std::string* text);
// Writes the text only when the file does not already hold it, so that
// nothing built from it is rebuilt needlessly; false when it cannot be written.
bool WriteTextFileIfChanged(const char* path, const std::string& text);

// Reads the list; false with *error naming the line when a line is malformed,
// a slot is missing, out of order or named twice, or the count is not 565.
bool ReadSlotList(const std::string& text, std::vector<Slot>* slots, std::string* error);
// The header: the template with its marker line replaced by the table.
bool MakeHeader(const std::string& templateText, const std::vector<Slot>& slots, std::string* header,
                std::string* error);
// The program's table source.
std::string MakeTableSource(const std::vector<Slot>& slots);

}  // namespace make_script_table
