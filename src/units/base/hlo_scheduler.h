// The update scheduler: spreads the costly thinking of world objects over
// frames.  Each scheduled kind has a cursor that walks the object manager's
// active lists side by side and a number of objects that think per frame;
// soldiers get 1 or 2, adapted once a second to how long a whole sweep over
// the soldiers takes against a wanted 500 ms.  It keeps the friendly and
// enemy AI switches, counts the enemy soldiers near the first local
// player's soldier, and draws two developer overlays.  One scheduler lives
// per level: level initialise makes it, level shut-down frees it, and the
// in-game frame runs Update once a frame while the game clock runs.
// Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CFont;
class CHLO;
class CUnit;

// The kinds the cursors walk, in cursor order.
enum SchedulerCursor : int {
  CURSOR_SOLDIER = 0,
  CURSOR_VEHICLE = 1,
  CURSOR_FEATURE = 2,
  CURSOR_MOVER = 3,
  CURSOR_BUILDING = 4,
  CURSOR_WEAPON = 5,
  CURSOR_DOOR = 6,
  SCHEDULER_CURSOR_COUNT = 7,
};

// A view cone of the overlay: apex, facing, length, full angle and colour.
struct SchedulerViewCone {
  CVector3 Apex{};
  CVector3 Facing{};
  float Length = 0.0f;
  float Angle = 0.0f;
  std::uint32_t Colour = 0;
};

// Where the overlays draw (the renderer's debug drawing, or a test's).
struct SchedulerOverlaySink {
  void (*Cone)(const SchedulerViewCone& cone, void* context) = nullptr;
  // Text at screen coordinates in the colour.
  void (*Text)(const char* text, float x, float y, std::uint32_t colour, void* context) = nullptr;
  // Projects a world point; false when it is off screen.
  bool (*Project)(const CVector3& point, float* x, float* y, void* context) = nullptr;
  // The position of camera 0.
  CVector3 (*CameraPosition)(void* context) = nullptr;
  void* Context = nullptr;
};

class HLOScheduler {
 public:
  // The initial values, then ResetCursors.
  HLOScheduler();
  ~HLOScheduler() = default;
  HLOScheduler(const HLOScheduler&) = delete;
  HLOScheduler& operator=(const HLOScheduler&) = delete;

  // Each kind's cursor on its first active object, sides 0 to 3 in turn; a
  // kind without one keeps a null cursor on side 4.
  void ResetCursors();
  // The flock cursor on the first boid flock (there are no flocks yet).
  void InitFlockCursor();
  // One frame (see the source for the order of its steps).
  void Update();
  // Before an object is activated (its active flag clear) or deactivated
  // (set): a cursor standing on a deactivated object moves past it, and an
  // activated object of a kind without a cursor becomes its cursor.  Kinds
  // the scheduler does not walk are ignored.
  void OnActivation(CHLO* object);
  // Store the switch and set (1) or clear (0) the AI-on unit flag of every
  // enemy (friendly) unit of every side, active and inactive.
  void SetEnemyAI(int on);
  void SetFriendlyAI(int on);
  void SetTargetSweepDuration(std::uint32_t ms) { targetSweepDuration = ms; }
  // The overlays, drawn through the sink.
  void DrawViewCones(const SchedulerOverlaySink& sink) const;
  void DrawWaypointLabels(const SchedulerOverlaySink& sink) const;

  // --- Fields, in order ------------------------------------------------------------
  std::uint32_t debugViews = 0;
  std::uint32_t debugOtherSides = 0;
  std::uint32_t debugOwnSide = 0;
  std::uint32_t enemyAI = 1;
  std::uint32_t friendlyAI = 1;
  std::uint32_t cursorSide[SCHEDULER_CURSOR_COUNT] = {};
  CHLO* cursor[SCHEDULER_CURSOR_COUNT] = {};
  void* flockCursor = nullptr;
  std::uint32_t soldiersPerFrame = 1;
  std::uint32_t vehiclesPerFrame = 2;
  CHLO* boidCursor = nullptr;
  // Features, movers, buildings, weapons, doors.
  std::uint32_t perFrame[5] = {1, 1, 1, 2, 1};
  std::uint32_t sweepDuration = 0;
  std::uint32_t sweepStart = 0;
  std::uint32_t nextAdaptTime = 0;
  std::uint32_t targetSweepDuration = 500;
  std::uint32_t enemiesNearPlayer = 0;
  float nearRadius = 1000.0f;

 private:
  // Moves kind k's cursor to the next active object (see the source).
  void Advance(int k);
  // The first active object of a kind on a side, or null.
  static CHLO* FirstActive(int side, int hloKind);
  void SoldierBatch();
  void Adapt();
  void VehicleBatch();
  void BoidBatch();
  void ThinkBatch(int k);
  void ShiftPendingFlags(bool second);
  void CountEnemiesNearPlayer();
};

// The level's scheduler; null outside a level.
extern HLOScheduler* g_HLOScheduler;

// The HLOKind each cursor walks.
int SchedulerCursorKind(int cursor);
