// Records of the dynamics layer: the world, its bodies, the constraint base
// shared by contacts and joints, the contact parameters and the one-axis
// limit.  Functions live in the header of each concept.
#pragma once

#include "physics/solver/kea_body.h"
#include "physics/solver/kea_constraints.h"
#include "physics/util/me_chunk.h"
#include "physics/util/me_block_pool.h"
#include "physics/util/me_types.h"

struct MdtWorld;
struct MdtBody;
struct MdtConstraint;
struct McdModel;

using MdtWorldID = MdtWorld*;
using MdtBodyID = MdtBody*;
using MdtConstraintID = MdtConstraint*;

// Contact kinds: frictionless, friction along one direction, along two.
enum { MdtContactTypeFrictionZero = 0, MdtContactTypeFriction1D = 1, MdtContactTypeFriction2D = 2 };
// Friction models (box friction is the only one).
enum { MdtFrictionModelBox = 0 };
// Option bits of the contact parameters.
enum {
  MdtBclContactOptionUseDirection = 1,
  MdtBclContactOptionBounce = 2,
  MdtBclContactOptionSoft = 4,
  MdtBclContactOptionAdhesive = 8,
  MdtBclContactOptionSlip1 = 16,
  MdtBclContactOptionSlip2 = 32,
  MdtBclContactOptionSlide1 = 64,
  MdtBclContactOptionSlide2 = 128,
};

// Parameters of a contact, copied whole into every dynamics contact.
struct MdtContactParams {
  MeU32 type;
  MeU32 primaryModel;
  MeU32 secondaryModel;
  MeU32 options;
  MeReal restitution;
  MeReal restitutionThreshold;
  MeReal softness;
  MeReal maxAdhesiveForce;
  MeReal primaryFriction;
  MeReal primarySlip;
  MeReal secondaryFriction;
  MeReal secondarySlip;
  MeReal primarySlide;
  MeReal secondarySlide;
};

// One stop of a limit.
struct MdtLimitStop {
  MeReal position;
  MeReal stiffness;
  MeReal damping;
  MeReal restitution;
};

// A one-axis limit with motor and lock, used by hinges, sliders and the
// distance limit.
struct MdtLimit {
  MeU32 limited;
  MeU32 active;        // limited, motor on or lock on
  MeU32 firstStep;     // set at the first update
  MeU32 bounce;
  MeReal overshoot;    // past the lower stop (< 0) or upper stop (> 0)
  MeReal position;     // measured coordinate, written by the joint each step
  MeReal lockPosition;
  MeU32 lock;
  MeReal previousPosition;
  MeReal offset;       // reported position = offset + measured coordinate
  MeReal velocity;     // coordinate velocity, written by the joint
  MeReal hardStopThreshold;
  MdtLimitStop lower;
  MdtLimitStop upper;
  MeU32 motor;
  MeReal desiredVelocity;
  MeReal maxForce;
};

// Step values every row builder gets.
struct MdtStepParams {
  MeReal stepSize;
  MeReal epsilon;
  MeReal gamma;
};

// Writes the constraint's rows at the header's current row and registers
// their count.  Transforms are the packed centre-of-mass transforms (16
// floats per body), states the packed solver blocks, both indexed by the
// constraint's partition body indices.
using MdtRowBuilderFn = void (*)(keaConstraints* header, MdtConstraint* constraint,
                                 const MeReal* transforms, keaBody* states, const MdtStepParams* params);
using MdtSetBodiesFn = void (*)(MdtConstraint* constraint, MdtBody* body0, MdtBody* body1);
using MdtSetAxisFn = void (*)(MdtConstraint* constraint, MeReal x, MeReal y, MeReal z);
using MdtConstraintFn = void (*)(MdtConstraint* constraint, void* argument);
using MdtBodyCallbackFn = void (*)(MdtBody* body);

// A node of a body's list of constraints.
struct MdtBodyLink {
  MdtConstraint* constraint;
  MdtBodyLink* next;
  MdtBodyLink* prev;
};

// Constraint types.
enum {
  MdtTypeBallJoint = 1,
  MdtTypeHingeJoint = 2,
  MdtTypeWheelJoint = 3,
  MdtTypeContact = 4,
  MdtTypeSliderJoint = 5,
  MdtTypeUniversalJoint = 6,
  MdtTypePointInPlane = 7,
  MdtTypePointOnLine = 8,
  MdtTypeOrientationJoint = 9,
  MdtTypeDistanceLimit = 10,
  MdtTypeWeldJoint = 11,
  MdtTypeMovingPointJoint = 12,
  MdtTypeAngleLimit = 13,
  MdtTypePoseDriveJoint = 14,
  MdtTypeDestroyed = -1,
};

// The constraint base; each kind derives from it and adds its own fields.
// Every record of the world's pool has room for the largest kind.
struct MdtConstraint {
  MdtWorld* world;
  MdtConstraint* next;   // world's constraint list
  MdtConstraint* prev;
  MeU32 enabled;
  MeUserWord userData;
  MdtBody* body[2];      // body[1] null: the world
  MdtBodyLink* link[2];  // nodes in the bodies' constraint lists while enabled
  MeU32 visited;
  MdtRowBuilderFn builder;
  MeU32 maxRows;
  MeReal force0[4];
  MeReal force1[4];
  MeReal torque0[4];
  MeReal torque1[4];
  MdtSetBodiesFn setBodies;
  MdtSetAxisFn setAxis;
  MeI32 type;
  MeI32 bodyIndex[2];    // partition indices, -1 for none (written by packing)
  MeI32 packedIndex;     // slot in the solver's force output, -1 when no row
  MeMatrix4 frame0;      // attachment frame in body 0's coordinates
  MeMatrix4 frame1;      // in body 1's coordinates, or the world's
};

// Bytes of one constraint record in the world's pool (the largest kind).
inline constexpr int MdtConstraintRecordSize = 512;

struct MdtBody {
  MeMatrix4 comTransform;       // centre-of-mass frame
  MeMatrix4 transform;          // reference frame (collision models follow it)
  MeMatrix4 invComOffset;       // inverse of the centre-of-mass offset
  MeReal impulseLinear[4];
  MeReal impulseAngular[4];
  keaBody state;                // copied to and from the solver each step
  MeU32 comOffsetSet;
  MeU32 impulsePending;
  MdtWorld* world;
  MdtBody* next;                // all bodies
  MdtBody* prev;
  MdtBody* enabledNext;         // enabled bodies
  MdtBody* enabledPrev;
  MeUserWord userData;
  MeI32 partition;
  MeI32 packedIndex;
  MeI32 partitionIndex;
  MeU32 visited;
  MeReal mass;
  MeReal linearDamping;
  MeReal angularDamping;
  MdtBodyLink* constraints;     // head of the constraint links
  MeU32 enabledSteps;           // all ones while disabled
  McdModel* model;              // bound collision model
  MeReal safeTime;
};

// The partition record the world step fills.
struct MdtPartitionOutput {
  MdtConstraint** constraints;
  int* constraintStart;
  int* constraintCount;
  MdtBody** bodies;
  int* bodyStart;
  int* bodyCount;
  int partitionCount;
  int totalBodies;
  int totalConstraints;
};

// Thresholds of the automatic disabling (squared magnitudes).
struct MdtAutoDisableParams {
  MeReal velocity;
  MeReal angularVelocity;
  MeReal acceleration;
  MeReal angularAcceleration;
  MeU32 aliveSteps;
};

struct MdtWorld {
  MdtBody* bodies;
  MdtConstraint* constraints;
  MdtBody* enabledBodies;
  int kernel;
  MeChunk chunk;
  MeU32 maxBodies;
  MeU32 bodyCount;
  MeU32 enabledBodyCount;
  MeBlockPool bodyPool;
  keaBody* packedStates;
  MeReal* packedTransforms;
  MeU32 maxConstraints;
  MeU32 enabledConstraintCount;
  MeBlockPool constraintPool;
  MeBlockPool linkPool;
  keaConstraints header;
  int rowCapacity;
  MdtPartitionOutput partitions;
  MeReal epsilon;
  MeReal gamma;
  MeReal gravity[3];
  MeU32 autoDisable;
  MdtAutoDisableParams autoDisableParams;
  MdtBodyCallbackFn bodyEnabled;
  MdtBodyCallbackFn bodyDisabled;
  const char* version;
  void* arrays[24];             // the world's own allocations, freed at destroy
  int arrayCount;
};
