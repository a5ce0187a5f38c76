// The records a pair test reads and writes: the request, the result with its
// contacts, the safe-time result and the line-segment hit.
#pragma once

#include "physics/collision/mcd_types.h"

// How many contacts a pair may produce and in which order.
struct McdIntersectRequest {
  MeI32 contactMaxCount;
  MeI32 faceNormalsFirst;  // nonzero: contacts on a face (feature code 2) first
};

// Feature codes, one per byte of McdContact::dims (low byte model 1, high
// byte model 2).
enum {
  McdFeatureVertex = 0,
  McdFeatureEdge = 1,
  McdFeatureFace = 2,
  McdFeatureCurved = 3,
};

// One contact point.  The normal is a unit vector in world coordinates
// pointing from model 2 toward model 1; separation < 0 means penetration.
struct McdContact {
  MeVector3 position;
  MeVector3 normal;
  MeReal separation;
  MeU16 dims;
  MeUserWord element1;  // triangle lists: the triangle's first user word
  MeUserWord element2;  // triangle lists: the triangle's second user word
};

// What McdIntersect and the pair tests fill.
struct McdIntersectResult {
  McdModelPair* pair;
  McdContact* contacts;   // the caller's array
  MeI32 contactMaxCount;  // records the array can take
  MeI32 contactCount;     // written by the test
  MeI32 touch;
  MeVector3 normal;       // the result's overall normal
};

// What McdSafeTime and the pair safe-time functions fill.
struct McdSafeTimeResult {
  McdModelPair* pair;
  MeReal time;
};

// One hit of a line-segment query.
struct McdLineSegHit {
  McdModel* model;
  MeVector3 position;  // world
  MeVector3 normal;    // world
  MeReal distance;     // from the segment start
};
