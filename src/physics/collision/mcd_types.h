// Forward declarations and handle types of the collision layer.
#pragma once

#include "physics/util/me_types.h"

struct McdGeometry;
struct McdModel;
struct McdModelPair;
struct McdContact;
struct McdIntersectRequest;
struct McdIntersectResult;
struct McdSafeTimeResult;
struct McdLineSegHit;
struct McdInteractions;
class McdSpace;

using McdGeometryID = McdGeometry*;
using McdModelID = McdModel*;
using McdModelPairID = McdModelPair*;
using McdSpaceID = McdSpace*;
