// The base of every physics-driven object: a four-letter kind tag, whether it
// takes part in the simulation, and the hooks the physics world's step calls
// before (ApplyControls) and after (Update) each solver step.  The kinds
// ("SMPD" simple bodies, "CARD" cars, "TNKD" tanks; "DEFD" the base and the
// kinematic drives) derive from it.  Main thread only.
#pragma once

#include <cstring>

class CEnvInstance;

class CDynamicsObject {
 public:
  CDynamicsObject() { SetTypeTag("DEFD"); }
  virtual ~CDynamicsObject() = default;
  CDynamicsObject(const CDynamicsObject&) = delete;
  CDynamicsObject& operator=(const CDynamicsObject&) = delete;

  // Feeds the object's inputs to its bodies before the solver step (dt in seconds).
  virtual void ApplyControls(float dt) { (void)dt; }
  // Writes the bodies back to the environment after the solver step.
  virtual void Update(float dt) { (void)dt; }
  // The environment instance the object moves; null when none.
  virtual CEnvInstance* GetInstance() { return nullptr; }
  // Takes the object into (1) or out of (0) the simulation.
  virtual void SetEnabled(int on) { (void)on; }

  // Copies the first four characters of tag.
  void SetTypeTag(const char* tag) { std::memcpy(TypeTag, tag, 4); }
  // True when the first four characters of tag match.
  bool HasTypeTag(const char* tag) const { return std::memcmp(TypeTag, tag, 4) == 0; }

  char TypeTag[4];
  int Enabled = 0;
  int Disabled = 0;
};
