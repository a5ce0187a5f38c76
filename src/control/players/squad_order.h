// The squad of the local side as the local players see it: its soldiers in
// squad position order (0..3; 255 means no position), member n (1..4) and
// the step to the next or previous eligible member.  The soldier screen
// serves the same order once it keeps its own list.  Main thread only.
#pragma once

#include <vector>

class CHLOGrunt;

// The active soldiers of the local side, lowest squad position first.
std::vector<CHLOGrunt*> SquadSoldiers();
// The soldier's squad position byte (0..254; 255 none).
int SquadPositionOf(const CHLOGrunt* soldier);
// Squad member n (1..4): the soldier at position n - 1, or null.
CHLOGrunt* SquadSoldierAt(int n);
// The next (backwards: previous) squad member after `from`, wrapping, that
// is alive (or, with `allowDying`, recently dead); null when none is.
CHLOGrunt* StepSquadSoldier(const CHLOGrunt* from, bool backwards, bool allowDying);
