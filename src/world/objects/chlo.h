// The base of every world object of a level: soldiers, vehicles, features,
// buildings, boids, items, weapons, doors, movers and corpses.  It gives each
// object its identity (kind, side, id), its flags, its visual (one instance
// of the environment, which owns it), its place in the object manager's lists,
// the ground it stands on, and the thirteen virtual operations through which
// the world and the game drive every object alike.  Objects are built by the
// game's factory and filed by the object manager at once.  Main thread only.
//
// Positions are world units (centimetres), y up; rotations are degrees.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CEnvInstance;
class CEnvObject;
class CHLOManager;
struct HLOGroundHit;
struct HLOSpawnRecord;

enum HLOKind : std::int32_t {
  HLO_VEHICLE = 0,
  HLO_GRUNT = 1,
  HLO_FEATURE = 2,
  HLO_BUILDING = 3,
  HLO_BOID = 4,
  HLO_ITEM = 5,
  HLO_WEAPON = 6,
  HLO_DOOR = 7,
  HLO_MOVER = 8,
  HLO_CORPSE = 9,
};

// Object flag bits that the world library reads or sets; the others are the
// game's.
enum HLOFlags : std::uint32_t {
  HLOF_ACTIVE = 0x1,          // in the active list and updated
  HLOF_ROTATE_DIRECT = 0x2,   // rotation set with the instance's direct rotation
  HLOF_MOVED = 0x40,          // moved out of its range during the last update pass
  HLOF_STAYS_HIDDEN = 0x800,  // activation does not show the visual
  HLOF_DEBRIS_MASK = 0x2000,  // selects the second debris mask
};

// The side whose objects count as friendly; 0 after engine start-up, changed
// by the game.
extern std::uint8_t g_HLOLocalSide;

class CHLO {
 public:
  // Builds the base from a spawn record and the game's stats entry (null
  // for none; `statsName` is that entry's name).  Creates the visual,
  // applies the record's texture, flags and lights and settles the object on
  // the ground (see the source for the order).  The visual is null when its
  // template cannot be loaded or no world is installed.
  CHLO(const HLOSpawnRecord& record, const void* stats, const char* statsName = nullptr);
  // Frees nothing: the visual belongs to the environment.
  virtual ~CHLO() = default;
  CHLO(const CHLO&) = delete;
  CHLO& operator=(const CHLO&) = delete;

  // Virtual operations, in slot order, with the base behaviour.
  // Once per update pass for every active object; nothing.
  virtual void Update() {}
  // Nonzero activates an inactive object (it is moved to its active list and
  // its activation time taken); zero deactivates an active one.
  virtual void SetActive(int flag);
  virtual bool IsUnit() { return false; }
  virtual void Hit(const CVector3& direction, float amount, CHLO* source);
  virtual bool LethalHit(float amount, int hitKind, CHLO* source);
  // The game's scheduled update; nothing.
  virtual void Think() {}
  virtual void HandleMessage(std::uint32_t message);
  // Side equals (differs from) the local side.
  virtual bool IsFriendly() { return Side == g_HLOLocalSide; }
  virtual bool IsEnemy() { return Side != g_HLOLocalSide; }
  // Expanding-sphere events: whether the object listens (1 exactly), its
  // hearing factor and its reaction.
  virtual int AcceptsSphereEvent(const void* event);
  virtual float GetSphereEventScale() { return 1.0f; }
  virtual void OnSphereEvent(const void* event);
  // Broadcast after the world's shape changed; nothing.
  virtual void OnWorldChanged() {}

  // Creates the visual: the template (loaded by name when `templ` is null;
  // a failure shows "Failed to open..." and answers null) and an instance
  // named "%s%d" of the template name and the object id, animated for a
  // hierarchical template.  Sets the reference position.
  CEnvInstance* CreateVisual(const char* templateName, CEnvObject* templ, int templateKind, const CVector3& rotation,
                             const CVector3& position, const CVector3& scale);
  // Moves the object to another side's list when the side differs.
  void SetSide(std::uint8_t side);
  // The visual's rotation (from the world matrix when it hangs relative to
  // a parent); the origin without a visual.  Answers `out`.
  CVector3& GetRotation(CVector3& out) const;
  // Turns the visual (direct rotation with HLOF_ROTATE_DIRECT).
  void SetRotation(const CVector3& rotation);
  // The ground below (x, z) over the landscape alone, with the object's own
  // visual hidden meanwhile.  False when nothing is there or no world.
  bool FindGroundPoint(float x, float z, HLOGroundHit* hit);
  // The first surface within `length` below `point`, likewise.
  bool FindGroundBelow(const CVector3& point, float length, HLOGroundHit* hit);
  // Moves the object onto the ground met on its vertical near its own
  // height; with a largest distance other than 0, only onto a hit closer
  // than it.  Ground already under the same root leaves it where it is.
  // Answers whether the object moved.
  bool DropToGround(float largestDistance);
  // Places the object on the ground below `position` (or at `position`
  // itself with keepPosition) and takes that ground; nothing without a hit.
  void PlaceAt(const CVector3& position, int unused, int keepPosition, int unused2, int unused3);
  // The root of what the object stands on; the visual hangs under it.  Null
  // clears it.
  void SetGroundRoot(CEnvInstance* instance);
  void SetGroundInstance(CEnvInstance* instance);
  // Copies the ground instance's active lights when the object takes them.
  void InheritGroundLights();
  void DetachInstance();
  // Outside the box [world min - 100, world max + 100].
  bool IsOutsideWorld() const;
  // Moved since the last update pass: any change with a range radius of 0,
  // else beyond the radius.
  bool HasMovedFromReference() const;
  // Flagged as moved, or beyond the range radius (1 when not positive) from
  // the reference position.
  bool HasMovedOutOfRange() const;
  std::uint32_t TimeLastDrawn() const;
  std::uint32_t FramesSinceDrawn() const;
  bool WasEverDrawn() const;

  // Throws count pieces of the mesh (null: the visual's own template) from
  // the visual through the impact-piece pool, at the debris priority
  // 0x3FFFFFFF (0x4FFFFFFF with HLOF_DEBRIS_MASK), so that they outlive
  // scenery's pieces.  Answers how many flew: 0 without a visual or pool.
  int SpawnDebris(int count, CEnvObject* mesh, bool burning);
  // The visual's world position (the origin without a visual).
  CVector3 GetPosition() const;
  // Settles an object without ground on activation: the ground found at its
  // position becomes its ground (none clears it).
  void SettleOnGround();
  // Records the visual's position as the reference for the movement checks.
  void TakeReferencePosition();

  // Fields, in declaration order.
  std::int32_t Kind = 0;
  std::int32_t Id = -1;
  std::uint32_t Flags = 0;
  std::uint8_t Side = 0;
  std::int8_t OrderKey = 0;
  CHLO* Next = nullptr;  // link of the manager's list
  std::int32_t TakesGroundLights = 0;
  CEnvInstance* GroundRoot = nullptr;
  CEnvInstance* GroundInstance = nullptr;
  const void* Stats = nullptr;
  std::uint32_t StatsNameHash = 0;
  CEnvInstance* Instance = nullptr;
  CVector3 ReferencePosition{};
  std::uint32_t ActivationTime = 0;
  std::uint32_t SoundEmitterId = 0;
  float RangeRadius = 0.0f;
  // Serial of the newest blast applied to the object (CExplosionManager::
  // GetBlastEffect); 0 before any, blasts counting from 1.
  std::uint32_t LastBlastSerial = 0;
};

// Calls OnWorldChanged on every active object of every side and kind.
void NotifyWorldChanged();
