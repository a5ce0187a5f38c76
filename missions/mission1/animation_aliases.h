// The animation aliases the mission registers at set-up (slot name -> file),
// in groups.  The table is made at build time from the mission's list
// (animation_aliases.txt) and the soldiers' shared list, so the files named
// are the ones the animation tool writes.
#pragma once

#include <stdint.h>

namespace mission1 {

struct AnimationAlias {
  const char* slot;
  const char* file;
};

enum AliasGroup { kAliasesArmed, kAliasesGoat, kAliasesRelaxed, kAliasesWave, kAliasesExtra, kAliasesLadder };

// Registers every alias of the group, in order, through the script table.
void RegisterAnimationAliases(AliasGroup group);

}  // namespace mission1
