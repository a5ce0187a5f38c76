// The alias table of the units' animations: one line per animation slot,
//   <slot name> <file> <clip>
// giving the file a level loads into the slot (ANIM lines of its load list)
// and the clip of the skeleton's description whose keys make_anims writes
// under that file name.  The slot "-" marks a file that no slot loads (an
// animation a weapon record names, loaded by its file name): it is written
// like the others but gets no ANIM line.  '#' starts a comment.
#pragma once

#include <string>
#include <vector>

struct AnimAlias {
  std::string Slot;  // "-" for none
  std::string File;  // with its ".prs" extension
  std::string Clip;
  int Line = 0;
};

// Parses the table; false with a message naming the line for a line that is
// not three words, a slot name the program's slot table does not hold (nor
// "-"), a slot or a file given twice, or a file not ending in ".prs".
// Whether the alias loads into a slot (its slot is not "-").
inline bool HasAnimSlot(const AnimAlias& alias) { return alias.Slot != "-"; }

bool ReadAnimAliases(const std::string& text, std::vector<AnimAlias>* out, std::string* error);
