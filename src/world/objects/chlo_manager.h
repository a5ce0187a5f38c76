// The object manager: owns every world object of the running level and files
// each in one of two singly linked lists, active or inactive, of a cell chosen
// by the object's side and kind.  Each list is ordered by descending order
// key.  It runs the per-frame update pass, finds objects by id, instance and
// stats name, and calls the game through the callbacks the game installs at
// start-up.  One manager lives from game start-up to game shut-down and is
// emptied at each level end.  Main thread only.
#pragma once

#include <cstdint>
#include <vector>

class CEnvInstance;
class CHLO;
struct HLOSpawnRecord;

// The game's callbacks.
using NewHLOCallback = CHLO* (*)(HLOSpawnRecord& record);
using HLODeleteCallback = void (*)(CHLO* object);
using HLOSaveWalkerCallback = std::uint8_t* (*)(CHLO* object, std::uint8_t* cursor);
using HLOStatsLookupCallback = const void* (*)(const char* name, int kind);
// Per-kind callbacks, given the head of a list.
using HLOListCallback = void (*)(CHLO* head);
using HLOObjectCallback = void (*)(CHLO* object);
using HLOObjectQuery = std::uint32_t (*)(CHLO* object);

class CHLOManager {
 public:
  // Ids above this build no id table: lookups then search the lists.
  static constexpr std::int32_t kLargestTableId = 1000;

  // An empty manager of `sides` x `kinds` cells; it becomes the manager that
  // world objects use.
  CHLOManager(std::uint8_t sides, std::uint8_t kinds);
  // Hands every object to the delete callback (ClearAll).
  ~CHLOManager();
  CHLOManager(const CHLOManager&) = delete;
  CHLOManager& operator=(const CHLOManager&) = delete;

  // Installs the game's callbacks (null removes one).
  void SetFactory(NewHLOCallback factory) { factory_ = factory; }
  void SetDeleteCallback(HLODeleteCallback callback) { delete_ = callback; }
  void SetSaveWalker(HLOSaveWalkerCallback walker) { walker_ = walker; }
  void SetStatsLookup(HLOStatsLookupCallback lookup) { statsLookup_ = lookup; }
  HLOStatsLookupCallback GetStatsLookup() const { return statsLookup_; }

  // Builds an object through the factory and files it by its active flag (an
  // inactive one is also disabled and hidden).  Null, filing nothing, when
  // the record's side is out of range, no factory is installed or the
  // factory answers null.
  CHLO* CreateObject(HLOSpawnRecord& record);
  // Links the object into the list its active flag selects, by order key
  // (a negative key goes to the head; among equal keys the newest first).
  // An object whose side or kind is out of range is not filed.
  void InsertObject(CHLO* object);
  // Unlinks the object from the list its active flag selects; nothing when
  // it is not there.  When the update pass was to visit it next, the pass
  // goes on with the object after it.
  void RemoveObject(CHLO* object);
  // Moves the object to its active list: settles it on the ground when it
  // has none, enables its visual and shows it unless it stays hidden.
  void ActivateObject(CHLO* object);
  // Moves the object to its inactive list with its visual disabled and
  // hidden.
  void DeactivateObject(CHLO* object);
  // Unlinks the object and hands it to the delete callback when installed.
  void DeleteObject(CHLO* object);
  // Refiles the object under another side; a side out of range is refused
  // and the object stays where it is.
  void ChangeSide(CHLO* object, std::uint8_t side);

  // Heads of a cell's lists; null when side or kind is out of range.
  CHLO* FirstActive(int side, int kind) const;
  CHLO* FirstInactive(int side, int kind) const;

  // Stores both per-kind callbacks; a new activation callback is called at
  // once with the head of each side's non-empty active list of the kind.
  void SetKindCallbacks(int kind, HLOListCallback activation, HLOListCallback pass);

  // The per-frame pass over every active object, sides then kinds: the
  // kind's pass callback with the list head, then each object's Update; an
  // object that moved out of its range gets HLOF_MOVED, and its position
  // becomes its reference.  Objects may deactivate, delete or move other
  // objects of the list during their update.
  void UpdatePass();
  // Hands every object, active lists first, to the delete callback, empties
  // every cell and frees the id table.
  void ClearAll();
  // Passes each object whose visual's flags have no bit of `mask` to the
  // save walker with the cursor, kinds from the last wrapping to the first,
  // sides in order, active then inactive; answers the final cursor.
  std::uint8_t* WalkObjects(std::uint8_t* cursor, std::uint32_t mask);
  // Objects of a kind in the chosen lists (bit 0 active, bit 1 inactive) of
  // one side (-1 all) whose visual's flags have no bit of `mask`.
  int CountObjects(int kind, int lists, int side, std::uint32_t mask) const;

  // Calls the callback on active objects: of a kind on every side, of one
  // cell, or all.  The callback may unlink or delete the object it is given.
  void ForEachActive(int kind, HLOObjectCallback callback);
  void ForEachActiveIn(int side, int kind, HLOObjectCallback callback);
  void ForEachActiveObject(HLOObjectCallback callback);
  // The active objects of every kind of one side (negative: all sides), then
  // with includeInactive exactly 1 the inactive ones; stops at the first
  // nonzero answer and returns it, else 0.
  std::uint32_t ForEachObject(int side, HLOObjectQuery callback, int includeInactive);

  // Builds the table from id to object; false, with no table, when the
  // largest id exceeds 1000.  The first object found keeps a shared id.
  bool BuildIdTable();
  // Whether an object has that id (by the table, or by search without one).
  bool HasId(std::int32_t id) const;
  // The object of that id, or null; negative ids name no object.
  CHLO* GetObjectById(std::int32_t id) const;
  // GetObjectById of the id; the two further words are not used.
  CHLO* FindObject(std::int32_t id, std::int32_t unused, std::int32_t unused2) const;
  // The object of that id in one cell, active list first, or null.
  CHLO* FindByIdIn(std::int32_t id, int side, int kind) const;
  // FindByIdIn over every side and kind in order.
  CHLO* FindByIdSlow(std::int32_t id) const;
  // The active object whose visual is `instance`, or null.
  CHLO* FindByInstance(const CEnvInstance* instance) const;
  // The first object of the cell, active list first, whose stats-name hash
  // is `hash` and whose visual's flags have no bit of `mask`.
  CHLO* FindByStatsName(std::uint32_t hash, int side, int kind, std::uint32_t mask) const;
  // Gives every object without an id (-1) the next free id, sides, kinds,
  // active then inactive in order.
  void AssignMissingIds();
  // The largest id of all objects plus 1; 0 with no object.
  std::int32_t NextFreeId() const;

  std::uint8_t Sides() const { return sides_; }
  std::uint8_t Kinds() const { return kinds_; }

  // Read by the game's constructors while an object is being created; 0 for
  // objects of the level file.
  std::uint32_t QuietCreation = 0;

 private:
  bool InRange(int side, int kind) const { return side >= 0 && side < sides_ && kind >= 0 && kind < kinds_; }
  CHLO** Cell(const CHLO* object);
  static void Unlink(CHLO** head, CHLO* object);
  std::int32_t LargestId() const;

  std::uint8_t sides_;
  std::uint8_t kinds_;
  std::vector<CHLO*> active_;
  std::vector<CHLO*> inactive_;
  CHLO* cursor_ = nullptr;   // the object the running pass visits next
  CHLO* current_ = nullptr;  // the object the running pass is updating
  bool currentDeleted_ = false;
  std::vector<HLOListCallback> activation_;
  std::vector<HLOListCallback> pass_;
  NewHLOCallback factory_ = nullptr;
  HLODeleteCallback delete_ = nullptr;
  HLOSaveWalkerCallback walker_ = nullptr;
  HLOStatsLookupCallback statsLookup_ = nullptr;
  std::vector<CHLO*> idTable_;  // empty: no table
  std::int32_t largestId_ = -1;
};

// The manager that world objects use; null outside its lifetime.
extern CHLOManager* g_HLOManager;

// Creates an object of the level file: clears the quiet-creation word and
// asks the manager.  The level loader's spawn callback.
CHLO* CreateObjectFromRecord(HLOSpawnRecord& record);
// Whether the game may create an object now; always true.
bool HLOCreationAllowed();
