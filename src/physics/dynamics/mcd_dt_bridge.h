// The collision-dynamics bridge: binds collision models to bodies, keeps the
// contact parameters of every pair of materials with their callbacks, and
// turns the contacts of touching pairs into dynamics contacts each frame.
#pragma once

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_space.h"
#include "physics/dynamics/mdt_contact.h"
#include "physics/dynamics/mdt_types.h"

using McdDtBridgePairList = McdSpacePairList;

// Called with the result of a touching pair before its contacts are made.
using McdDtBridgeTouchCallback = void (*)(McdIntersectResult* result);
// Called per new dynamics contact; 0 drops it.
using McdDtBridgeContactCallback = int (*)(McdIntersectResult* result, McdContact* colContact,
                                           MdtContactID dynContact);
// Called after a pair's contacts are made; 0 destroys them all.
using McdDtBridgePairCallback = int (*)(McdIntersectResult* result, MdtContactID first);

struct McdDtBridgeMaterialPair {
  MdtContactParams params;
  McdDtBridgeContactCallback contactCallback;
  McdDtBridgePairCallback pairCallback;
  McdDtBridgeTouchCallback touchCallback;
};

struct McdDtBridge {
  MeU32 materialCount;
  MeU32 nextMaterial;
  McdDtBridgeMaterialPair* table;  // (n + 1) n / 2 records
  McdDtBridgePairList pairList;
  McdModelPair** pairArray;
  McdContact* contacts;
  MeU32 contactCapacity;
  MeU32 warnedPoolEmpty;           // the constraint pool ran dry (warned once)
};
using McdDtBridgeID = McdDtBridge*;

// A bridge for n materials (0 is the default); null when n is 0 or memory
// runs out.
McdDtBridgeID McdDtBridgeCreate(unsigned materialCount);
void McdDtBridgeDestroy(McdDtBridgeID bridge);
// The next free material index; -1 (with a warning) once all n are taken.
int McdDtBridgeNewMaterial(McdDtBridgeID bridge);
// The pair's parameters (order of a and b does not matter); null when a or b
// is not a material of the bridge.
MdtContactParams* McdDtBridgeGetContactParams(McdDtBridgeID bridge, unsigned a, unsigned b);
void McdDtBridgeSetContactCallback(McdDtBridgeID bridge, unsigned a, unsigned b, McdDtBridgeContactCallback fn);
void McdDtBridgeSetPairCallback(McdDtBridgeID bridge, unsigned a, unsigned b, McdDtBridgePairCallback fn);
McdDtBridgeContactCallback McdDtBridgeGetContactCallback(McdDtBridgeID bridge, unsigned a, unsigned b);
McdDtBridgePairCallback McdDtBridgeGetPairCallback(McdDtBridgeID bridge, unsigned a, unsigned b);
McdDtBridgeTouchCallback McdDtBridgeGetTouchCallback(McdDtBridgeID bridge, unsigned a, unsigned b);
// Replaces the pair list; capacities below 2 cannot carry a pair through
// and are refused (0 answered, the list kept).  1 on success.
int McdDtBridgeSetPairListSize(McdDtBridgeID bridge, unsigned capacity);
// Freezes a body's model when the body is disabled and unfreezes it when the
// body is enabled again.
void McdDtBridgeInstallWorldCallbacks(MdtWorldID world);
// Reads the space's pair changes without making contacts.
void McdDtBridgeUpdatePairs(McdDtBridgeID bridge, McdSpaceID space);
// Reads the space's pairs and makes, recycles and destroys dynamics
// contacts for them.  When the world's constraint pool runs out, the pair
// keeps the contacts it has (warning once).
void McdDtBridgeStep(McdDtBridgeID bridge, McdSpaceID space, MdtWorldID world);

// Binds the model to the body both ways, or unbinds (body null).
void McdModelSetBody(McdModel* model, MdtBodyID body);
MdtBodyID McdModelGetBody(McdModel* model);
// Puts the bound body at the origin, unrotated and at rest; warns without a
// body.
void McdModelResetDynamics(McdModel* model);

// Everything a small simulation needs, made in one call.
struct McdDtBridgeFramework {
  unsigned maxBodies, maxConstraints, geometryTypes, maxModels, maxPairs, materials;
  MdtWorldID world;
  McdSpaceID space;
  McdDtBridgeID bridge;
};
// Creates the world (automatic disabling on), starts the collision layer
// with the primitive types and their pair tests, makes the space and the
// bridge; null when any of them cannot be made.
McdDtBridgeFramework* McdDtBridgeFrameworkCreate(unsigned maxBodies, unsigned maxConstraints, unsigned geometryTypes,
                                                 unsigned maxModels, unsigned maxPairs, unsigned materials);
void McdDtBridgeFrameworkDestroy(McdDtBridgeFramework* framework);
// A model for the geometry with an enabled body whose mass is volume times
// density (inertia of a solid sphere of the bounding radius), inserted into
// the space; null when either cannot be made or the geometry has no volume
// (a plane).
McdModel* McdDtBridgeCreateDynamicModel(McdDtBridgeFramework* framework, McdGeometryID geometry, MeReal density);
void McdDtBridgeDestroyDynamicModel(McdModel* model);
// A model fixed at `transform` (kept by the caller), inserted, updated once
// and frozen.
McdModel* McdDtBridgeCreateStaticModel(McdDtBridgeFramework* framework, McdGeometryID geometry, MeReal* transform);
void McdDtBridgeDestroyStaticModel(McdModel* model);

// Prints the result through the information messages.
void McdIntersectResultPrint(const McdIntersectResult* result);
// Intersects pairs from *cursor down to the hello start into the unused rest
// of the buffer; 1 when pairs remain (cursor kept), 0 when the run is done.
// A pair whose request exceeds the whole buffer is clamped to it.
int McdDtBridgeIntersectPairs(McdDtBridgePairList* list, int* cursor, McdIntersectResult* results, int maxResults,
                              int* resultCount, McdContact* buffer, int capacity, int* used);

// Takes a contact out of its collision pair's list (before it is destroyed).
void McdDtBridgeForgetContact(MdtContactID contact);
// The pair's list of dynamics contacts (kept in the pair's aux word).
MdtContactID McdDtBridgeGetPairContacts(McdModelPair* pair);
