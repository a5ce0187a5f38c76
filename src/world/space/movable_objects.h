// Movable objects: bodies that carry units and move through the world (a
// lift, a boat deck).  Each lies in a zone; its volume is its body's world
// box; line tests over it run in the two zones it offers (the zone it lies
// in and the one it carries).  The list is the world's; whoever makes a
// movable object adds it and removes it before the body goes.  Main thread
// only.
#pragma once

#include "render/geometry/vector3.h"

class CEnvInstance;

struct MovableObject {
  CEnvInstance* Body = nullptr;     // its volume: this instance's world box
  CEnvInstance* Zones[2] = {};      // the two zones of its line tests
};

// Adds a movable object to the zone (null: the world's outer zone); an
// object already listed moves to the new zone.
void AddMovableObject(CEnvInstance* zone, MovableObject* object);
void RemoveMovableObject(MovableObject* object);
// Forgets every movable object (level shut-down).
void ClearMovableObjects();
// The first movable object listed in the zone whose volume holds the point,
// or null.  Zones compare by their roots.
MovableObject* FindMovableObjectAt(CEnvInstance* zone, const CVector3& point);
