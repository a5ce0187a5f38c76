// The collision framework: start-up and shut-down, the model pool, the
// default padding and request, and the pair-open hook.
#pragma once

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_types.h"

using McdTermFn = void (*)();
using McdHelloCallbackFn = void (*)(McdModelPair* pair);

// Starts the collision layer for `geoTypeCount` geometry types and
// `modelCount` models.  Must come before any other collision call.
void McdInit(int geoTypeCount, int modelCount);
// Frees the framework's tables and calls the termination functions, newest
// first.  Models, pairs and spaces must not be used afterwards.
void McdTerm();
// Adds a function to call at McdTerm.
void McdAddTermCallback(McdTermFn fn);
// The padding new models get (0.005 at start); the setter reads through the
// pointer.
void McdSetDefaultPadding(const MeReal* padding);
MeReal McdGetDefaultPadding();
// The request new pairs get; starts at the library's own record {4, 0}.
McdIntersectRequest* McdGetDefaultRequestPtr();
void McdSetDefaultRequestPtr(McdIntersectRequest* request);
// The hook called first in every McdHello (null by default).
void McdSetHelloCallback(McdHelloCallbackFn fn);
McdHelloCallbackFn McdGetHelloCallback();
// The version text the framework started with.
const char* McdGetVersionString();
