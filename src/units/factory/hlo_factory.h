// The object factory of the game: every world object of a level (soldier,
// vehicle, item, weapon, door, building, feature, bird, mover, corpse) is
// made here from its spawn record.  The factory finds the object's stats
// record by name in the table of the record's stats kind, decides the
// world-object kind from the stats kind, makes the object of that kind's
// class and finishes soldiers.  The object manager calls it through the
// callbacks installed once at game start.  Main thread only.
//
// Classes whose code comes later (vehicles, doors, features, buildings,
// corpses, boids, movers, items and weapons) are made as plain world objects
// until then, each kind reported "not built yet" when first made.
#pragma once

#include <cstdint>

class CHLO;
struct HLOSpawnRecord;

// Most connector attachments a spawn record may list.
inline constexpr int kMaxSpawnAttachments = 256;

// The object manager's factory: the new object, or null when the record
// names a stats record no table holds ("NewHLO_callback : unable to find
// Stat %s" is shown) or the object cannot be allocated.
CHLO* NewHLO_callback(HLOSpawnRecord& record);
// The object manager's delete callback: destroys an object of any kind with
// its own destructor and frees it.
void DeleteHLO_callback(CHLO* object);
// Installs the factory, the delete callback and the stats lookup in the
// object manager (game initialise, once the manager exists).
void SetupHLOCallbacks();
// Writes into the spawn record the world-object kind of the stats record's
// stats kind (a bird feature is a boid; kinds without a class are features).
void StatTypeToHLOKind(HLOSpawnRecord& record, const void* stats);

// The view passes' callbacks: show an object's visual (not a soldier hidden
// by its vehicle seat), hide it, show it whatever it is.
void ShowHLOInstanceCallback(CHLO* object);
void HideHLOInstanceCallback(CHLO* object);
void ShowHLOInstanceAlwaysCallback(CHLO* object);

// The name of the class a world-object kind is made as ("CHLOGrunt"; the
// plain "CHLO" for a kind whose class comes later or an unknown kind).
const char* HLOClassName(int kind);
