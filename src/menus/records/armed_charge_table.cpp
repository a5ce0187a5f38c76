#include "menus/records/armed_charge_table.h"

ArmedChargeTable g_ArmedChargeTable;

int ArmedChargeTable::Add(CHLO* charge, CHLO* planter) {
  if (charge == nullptr) return 0;
  if (Contains(charge)) return 1;
  for (Entry& e : entries_)
    if (e.Charge == nullptr) {
      e.Charge = charge;
      e.Planter = planter;
      return 1;
    }
  return 0;
}

void ArmedChargeTable::Remove(const CHLO* charge) {
  if (charge == nullptr) return;
  for (Entry& e : entries_)
    if (e.Charge == charge) e = Entry{};
}

int ArmedChargeTable::Contains(const CHLO* charge) const {
  if (charge == nullptr) return 0;
  for (const Entry& e : entries_)
    if (e.Charge == charge) return 1;
  return 0;
}

CHLO* ArmedChargeTable::Planter(const CHLO* charge) const {
  if (charge == nullptr) return nullptr;
  for (const Entry& e : entries_)
    if (e.Charge == charge) return e.Planter;
  return nullptr;
}

void ArmedChargeTable::Clear() {
  for (Entry& e : entries_) e = Entry{};
}
