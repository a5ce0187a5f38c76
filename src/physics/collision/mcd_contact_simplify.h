// Contact reduction: keeps at most a budget of contacts that span the contact
// region as widely as possible, optionally face contacts first.
#pragma once

#include "physics/collision/mcd_contact.h"

// The largest budget the reduction honours; larger budgets are cut to it.
inline constexpr int McdContactSimplifyMaxBudget = 512;

// Reduces `count` candidates (positions projected along the unit `normal`)
// to the vertices of their convex hull, dropping the vertex whose removal
// loses the least area until at most `budget` remain, and copies the kept
// records to `out` (room for `budget` records).  With faceFirst set, contacts
// whose feature code names a face of either model come first.  Answers the
// number written; 0 when the count or the budget is 0 or negative.
int McdContactSimplify(const MeReal* normal, const McdContact* candidates, int count,
                       McdContact* out, int budget, int faceFirst);
