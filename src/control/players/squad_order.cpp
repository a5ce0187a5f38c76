#include "control/players/squad_order.h"

#include <algorithm>

#include "units/soldier/grunt.h"
#include "world/objects/chlo_manager.h"

int SquadPositionOf(const CHLOGrunt* soldier) {
  return soldier == nullptr ? 255 : static_cast<std::uint8_t>(soldier->OrderKey);
}

std::vector<CHLOGrunt*> SquadSoldiers() {
  std::vector<CHLOGrunt*> out;
  if (g_HLOManager == nullptr) return out;
  for (CHLO* o = g_HLOManager->FirstActive(g_HLOLocalSide, HLO_GRUNT); o != nullptr; o = o->Next)
    out.push_back(static_cast<CHLOGrunt*>(o));
  std::stable_sort(out.begin(), out.end(),
                   [](const CHLOGrunt* a, const CHLOGrunt* b) { return SquadPositionOf(a) < SquadPositionOf(b); });
  return out;
}

CHLOGrunt* SquadSoldierAt(int n) {
  if (n < 1 || n > 4) return nullptr;
  for (CHLOGrunt* s : SquadSoldiers())
    if (SquadPositionOf(s) == n - 1) return s;
  return nullptr;
}

CHLOGrunt* StepSquadSoldier(const CHLOGrunt* from, bool backwards, bool allowDying) {
  std::vector<CHLOGrunt*> squad;
  for (CHLOGrunt* s : SquadSoldiers())
    if (SquadPositionOf(s) < 4) squad.push_back(s);
  const int count = static_cast<int>(squad.size());
  if (count == 0) return nullptr;
  int at = -1;
  for (int i = 0; i < count; ++i)
    if (squad[i] == from) at = i;
  if (at < 0) at = backwards ? 0 : count - 1;
  for (int k = 1; k < count + 1; ++k) {
    CHLOGrunt* s = squad[((at + (backwards ? -k : k)) % count + count) % count];
    if (s == from) continue;
    if (s->health > 0.0f || (allowDying && s->IsRecentlyDead())) return s;
  }
  return nullptr;
}
