// The engine's one physics world: the dynamics objects it steps, and the
// library state behind them (dynamics world, collision space, bridge with 14
// materials, the terrain collider over the environment's polygons).
//
// Units: the engine works in centimetres, the physics library in metres;
// positions cross multiplied by 0.01 and come back multiplied by 100.
// Directions, angles, masses and times (seconds) cross unchanged.  Main
// thread only; one world at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "world/dynamics/dynamics_object.h"
#include "world/dynamics/physics_state.h"

class CLinearBuffer;
class CSurfaces;
class CTimer;
struct McdIntersectResult;

class CDynamicsWorld {
 public:
  // Builds the world and all the library state behind it for `capacity`
  // objects.  Any world still alive is shut down first.
  explicit CDynamicsWorld(int capacity);
  ~CDynamicsWorld();
  CDynamicsWorld(const CDynamicsWorld&) = delete;
  CDynamicsWorld& operator=(const CDynamicsWorld&) = delete;

  // Frees the object table and destroys the terrain collider, the space, the
  // bridge, the collision framework and the dynamics world, in that order.
  // Objects still alive must not be stepped or destroyed afterwards.
  void Shutdown();

  // Stores the object in the first empty slot (a removed object's slot is
  // used again).  False, with a debug line, when every slot is taken.
  bool AddObject(CDynamicsObject* object);
  // Empties the slot that holds the object.
  void RemoveObject(CDynamicsObject* object);

  // One physics step at the game clock's time (see StepAt).
  void Step();
  // One physics step with the game clock reading nowMs: dt is the time since
  // the last step (0.05 s for the first, and when the clock went back), at
  // most 0.1 s; nothing happens when the clock has not moved.  Controls, then
  // collision and one solver step of dt, then every object's write-back.
  void StepAt(std::uint32_t nowMs);

  // The clock Step reads (the game clock); the surface list the terrain
  // collider filters polygons with (null: no filtering).
  void SetClock(const CTimer* clock) { clock_ = clock; }
  void SetSurfaces(const CSurfaces* surfaces);

  int GetCapacity() const { return static_cast<int>(objects_.size()); }
  // Slots used so far (the highest used slot + 1).
  int GetCount() const { return count_; }
  CDynamicsObject* GetObject(int slot) const;
  // Length of the last step, seconds (0 before the first).
  float GetLastStepLength() const { return lastDt_; }
  bool HasStepped() const { return stepped_; }

 private:
  std::vector<CDynamicsObject*> objects_;
  int count_ = 0;
  bool stepped_ = false;
  std::uint32_t lastStepMs_ = 0;
  float lastDt_ = 0.0f;
  const CTimer* clock_ = nullptr;
  bool live_ = false;
};

// The engine's world (null when none is alive).
extern CDynamicsWorld* g_DynamicsWorld;

// Takes the terrain collider's vertex and normal buffers (18000 and 6000
// bytes, 16-byte aligned) from the game-lifetime buffer; without it, or when
// the buffer is full, the collider keeps buffers of its own.
void AllocTerrainBuffers(CLinearBuffer* buffer);
void FreeTerrainBuffers();

// Contact helpers: the pair's first model when it has a body, else the second.
McdModel* GetDynamicModelOfPair(McdIntersectResult* result);
// Each out is the pair's model when that model has a body, else null.
void GetDynamicModelsOfPair(McdIntersectResult* result, McdModel** first, McdModel** second);
