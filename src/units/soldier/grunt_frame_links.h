// The soldier's frame calls operations that other parts of the units build:
// the items and weapons (their kinds, triggers, quantities and use) and the
// later steps of damage, awareness, orders, routes, vehicles and the network.  Each is
// reached through one link here; a link that nothing has filled reports
// "<what>: not built yet" (counted) and gives a neutral answer, so the frame
// runs in its full order today and each step starts working the moment its
// owner fills the link (at game initialise, or a test for its fakes).
//
// The frame also keeps an optional step trace: while a test has set one,
// every step of the per-frame update, the scheduled think, the think and
// move step and the action step appends its name in the order run.
// Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/geometry/vector3.h"

class CHLO;
class CHLOGrunt;
class CInventoryItem;

// Stats kinds of the items the frame tells apart.
inline constexpr int kItemKindWeapon = 5;
inline constexpr int kItemKindMediKit = 8;
inline constexpr int kItemKindDetonator = 9;
inline constexpr int kItemKindBinoculars = 16;
inline constexpr int kItemKindLaserDesignator = 18;
// Weapon classes the frame tells apart.
inline constexpr int kWeaponClassC4Charge = 6;
inline constexpr int kWeaponClassGrenadeLauncher = 4;
inline constexpr int kWeaponClassAntiTank = 5;

struct GruntFrameLinks {
  // --- Items and weapons -------------------------------------------------------------
  // The item's stats kind (5 weapon, 8 medi-kit ...); -1 unknown.
  int (*ItemKind)(const CInventoryItem* item) = nullptr;
  // A weapon's class; -1 for an item that is not a weapon.
  int (*WeaponClass)(const CInventoryItem* item) = nullptr;
  // The weapon record's carry field (2: a heavy weapon).
  int (*WeaponCarry)(const CInventoryItem* item) = nullptr;
  bool (*IsTriggerPulled)(const CInventoryItem* item) = nullptr;
  void (*PullTrigger)(CInventoryItem* item, CHLOGrunt* user) = nullptr;
  void (*ReleaseTrigger)(CInventoryItem* item) = nullptr;
  int (*GetQuantity)(const CInventoryItem* item) = nullptr;
  void (*UseItem)(CInventoryItem* item, CHLOGrunt* user, CHLOGrunt* target, int positioned, int fromNetwork) = nullptr;
  // The world object a soldier interacts with, as an item (null when it is
  // not one).
  CInventoryItem* (*AsItem)(CHLO* object) = nullptr;
  void (*Defuse)(CInventoryItem* charge, CHLOGrunt* by, int notify) = nullptr;

  // --- Later steps -------------------------------------------------------------------
  // Whether the soldier turned towards its target this frame (formation code).
  int (*TurnToFaceTarget)(CHLOGrunt* soldier) = nullptr;
  // One frame of the route controller's steering: the value v.
  float (*RouteSteer)(CHLOGrunt* soldier) = nullptr;
  // The router reports the unit's request done.
  int (*RouterDone)(CHLOGrunt* soldier) = nullptr;
  // Turns a dead soldier into a corpse (the corpse list).
  void (*MakeCorpse)(CHLOGrunt* soldier, int movementState) = nullptr;
  // The escape-point search: 1 found; *point gets the point (none on 0 when
  // `*havePoint` stays false).
  int (*FindEscapePoint)(CHLOGrunt* soldier, const CVector3& danger, CVector3* point, bool* havePoint) = nullptr;
  // The projectile near miss test around the head: the owner of a projectile
  // that passed within 200 units this frame, or null; *hit set on a hit.
  CHLO* (*NearMissTest)(CHLOGrunt* soldier, bool* hit) = nullptr;
  // The distance from a point to the nearest local player camera (the active
  // camera included), and the environment's far distance.
  float (*NearestCameraDistance)(const CVector3& point) = nullptr;
  float (*FarDistance)() = nullptr;
};

// The one table; tests and the owners of each operation fill its entries.
GruntFrameLinks& GruntLinks();
// Every entry back to unfilled (tests).
void ResetGruntLinks();

// The step trace: while `trace` is set every step appends its name.
void SetGruntStepTrace(std::vector<std::string>* trace);
void GruntTraceStep(const char* name);
// Appends "<prefix><number>" (movement events asked: "event 29").
void GruntTraceNumber(const char* prefix, int number);
