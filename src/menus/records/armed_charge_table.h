// The game-wide table of armed timed charges: four entries, each the charge
// (a weapon object) and the soldier who planted it.  Arming a timed charge
// enters it and is refused when all four are taken; its explosion and its
// defusing take it out.  The charge list of the HUD and the soldiers looking
// for charges to defuse read the entries directly.  The table is emptied when
// a level starts and when it ends, so that no entry outlives its objects.
// Main thread only.
#pragma once

class CHLO;

class ArmedChargeTable {
 public:
  static constexpr int kEntries = 4;

  struct Entry {
    CHLO* Planter = nullptr;
    CHLO* Charge = nullptr;
  };

  // 1 when the charge is in the table already or was put in a free entry
  // (with its planter), 0 when all entries are taken or there is no charge.
  int Add(CHLO* charge, CHLO* planter);
  // Clears the entry that holds the charge (nothing when none does).
  void Remove(const CHLO* charge);
  // 1 when an entry holds the charge, else 0.
  int Contains(const CHLO* charge) const;
  // Who planted the charge; null when no entry holds it.
  CHLO* Planter(const CHLO* charge) const;
  // Empties every entry.
  void Clear();

  const Entry& Get(int i) const { return entries_[i]; }

 private:
  Entry entries_[kEntries];
};

extern ArmedChargeTable g_ArmedChargeTable;
