// What collisions of vehicles and loose bodies do to the world objects
// involved: impact strengths, the hit callbacks of the environment instances
// from the kinds' contact and pair callbacks, the falling rule,
// and the dust and surface effects of contacts.  Main thread only.
#pragma once

#include "physics/collision/mcd_contact.h"
#include "physics/dynamics/mdt_contact.h"
#include "world/dynamics/dynamics_object.h"

// Contact filters drop contacts whose penetration is below this (metres):
// contacts found within the models' margin more than 1 mm apart.  The solver
// settles resting contacts at almost no penetration, so a positive bound
// would drop and remake them every other step and the body would never rest.
inline constexpr float kShallowContact = -0.001f;

// A dynamics object that hits things hard: cars and tanks.
class CImpactObject : public CDynamicsObject {
 public:
  virtual float GetMass() = 0;
  // How hard the object hits what it touches now (0 when below 1).
  virtual float GetImpactStrength() = 0;
  // Game time (seconds) when the object was last seen not falling.
  float LastNotFallingTime = 0.0f;
};

// s = (|linear velocity| + |angular velocity|) x mass x factor; 0 when s < 1;
// at most cap.
float BodyImpactStrength(MdtBodyID body, float mass, float factor, float cap);

// The dynamics object a body belongs to (its user data), or null.
CDynamicsObject* ObjectOfBody(MdtBodyID body);
// The object of the pair's dynamic model, or null.
CDynamicsObject* DynamicObjectOfPair(McdIntersectResult* result);

// Pair callback of an impact object against the terrain: the terrain
// instances' hit callbacks get the object's strength and decide; an object
// falling for more than a second gets a hit of 1000 on its own instance.
int TerrainImpactPair(McdIntersectResult* result, const char* tag);
// Pair callback of two dynamics objects: each object carrying the tag gets
// the other's strength on its instance's hit callback; the last answer
// decides.  The falling rule then applies to the other object.
int TaggedImpactPair(McdIntersectResult* result, const char* tag);

// Dust or surface impact effect at a contact of the object's instance
// (timer: one of the process-wide effect timers, seconds).
void SpawnContactEffect(CEnvInstance* instance, int effectFlags, const McdIntersectResult* result,
                        MdtContactID contact, float* timer);

// The two process-wide effect timers (simple bodies, cars).
float* SimpleEffectTimer();
float* CarEffectTimer();

// The surface list the effects read colours and flags from (null: none).
class CSurfaces;
void SetImpactSurfaces(const CSurfaces* surfaces);
const CSurfaces* ImpactSurfaces();
