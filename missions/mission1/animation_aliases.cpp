#include "animation_aliases.h"

#include "mission_globals.h"

namespace mission1 {

namespace {

#include "mission1_alias_table.inc"

struct Group {
  const AnimationAlias* aliases;
  uint32_t count;
};

template <uint32_t N>
constexpr Group Of(const AnimationAlias (&aliases)[N]) {
  return {aliases, N};
}

const Group kGroups[] = {Of(kAliases_armed), Of(kAliases_goat),  Of(kAliases_relaxed),
                         Of(kAliases_wave),  Of(kAliases_extra), Of(kAliases_ladder)};

}  // namespace

void RegisterAnimationAliases(AliasGroup group) {
  const Group& g = kGroups[group];
  for (uint32_t i = 0; i < g.count; ++i) g_Script->AnimSlotRegister(g.aliases[i].slot, g.aliases[i].file);
}

}  // namespace mission1
