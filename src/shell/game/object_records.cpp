#include "shell/game/object_records.h"

#include <string>

#include "foundation/byte_reader.h"
#include "foundation/system/not_built_yet.h"
#include "units/base/unit.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"

namespace {

constexpr std::uint32_t kInstanceNotSaved = 1u << 17;
constexpr int kKinds = 10;

ObjectTailOps g_tails[kKinds];

const char* KindName(int kind) {
  switch (kind) {
    case HLO_VEHICLE: return "vehicle";
    case HLO_GRUNT: return "soldier";
    case HLO_FEATURE: return "feature";
    case HLO_BUILDING: return "building";
    case HLO_ITEM: return "item";
    case HLO_WEAPON: return "weapon";
    case HLO_DOOR: return "door";
    case HLO_CORPSE: return "corpse";
    default: return "object";
  }
}

bool HasUnitBlock(int kind) { return kind == HLO_VEHICLE || kind == HLO_GRUNT; }

std::int32_t IdOf(const CHLO* object) { return object != nullptr ? object->Id : -1; }

CHLO* ObjectOfId(std::int32_t id) {
  return id >= 0 && g_HLOManager != nullptr ? g_HLOManager->GetObjectById(id) : nullptr;
}

std::uint32_t InstanceId(const CEnvInstance* instance) { return instance != nullptr ? instance->NameHash : 0u; }

CEnvInstance* InstanceOfId(std::uint32_t id) {
  return id != 0 && g_Environment != nullptr ? g_Environment->FindInstanceById(id) : nullptr;
}

void WriteVector(ByteWriter& out, const CVector3& v) {
  out.F32(v.x);
  out.F32(v.y);
  out.F32(v.z);
}

CVector3 ReadVector(ByteReader& in) {
  CVector3 v;
  v.x = in.F32();
  v.y = in.F32();
  v.z = in.F32();
  return v;
}

// --- the 24-word object block ------------------------------------------------

void WriteObjectBlock(CHLO* o, ByteWriter& out) {
  out.I32(o->Id);
  out.I32(o->Kind);
  out.U32(o->Side);
  out.U32(o->Flags);
  out.U32(InstanceId(o->GroundRoot));
  out.U32(InstanceId(o->GroundInstance));
  out.U32(o->ActivationTime);
  // Two floats of the ground instance: its world x and z, which tell a
  // reader where the object stood on it.
  CVector3 ground{};
  if (o->GroundInstance != nullptr) o->GroundInstance->GetPosition(&ground);
  out.F32(ground.x);
  out.F32(ground.z);
  out.U32(static_cast<std::uint8_t>(o->OrderKey));
  out.U32(static_cast<std::uint32_t>(o->TakesGroundLights));
  out.U32(0);
  out.U32(o->Instance != nullptr ? o->Instance->Flags : 0u);
  out.U32(InstanceId(o->Instance));
  WriteVector(out, o->GetPosition());
  CVector3 rotation{};
  o->GetRotation(rotation);
  WriteVector(out, rotation);
  WriteVector(out, o->ReferencePosition);
  out.U32(0);  // physics word: no object of the game runs under vehicle dynamics yet
}

struct ObjectBlock {
  std::int32_t id, kind;
  std::uint32_t side, flags, groundRoot, groundInstance, activationTime;
  std::uint32_t orderKey, takesLights, instanceFlags, instanceName;
  CVector3 position, rotation, reference;
};

ObjectBlock ReadObjectBlock(ByteReader& in) {
  ObjectBlock b{};
  b.id = in.I32();
  b.kind = in.I32();
  b.side = in.U32();
  b.flags = in.U32();
  b.groundRoot = in.U32();
  b.groundInstance = in.U32();
  b.activationTime = in.U32();
  in.F32();
  in.F32();
  b.orderKey = in.U32();
  b.takesLights = in.U32();
  in.U32();
  b.instanceFlags = in.U32();
  b.instanceName = in.U32();
  b.position = ReadVector(in);
  b.rotation = ReadVector(in);
  b.reference = ReadVector(in);
  in.U32();
  return b;
}

// Instance flags a saved game carries: what shows, hides and collides.
constexpr std::uint32_t kSavedInstanceFlags = INSTF_DISABLED | INSTF_HIDDEN | INSTF_NOT_COLLIDABLE;

void ApplyObjectBlock(CHLO* o, const ObjectBlock& b) {
  const bool wasActive = (o->Flags & HLOF_ACTIVE) != 0;
  const bool active = (b.flags & HLOF_ACTIVE) != 0;
  if (wasActive != active) o->SetActive(active ? 1 : 0);
  o->Flags = (b.flags & ~HLOF_ACTIVE) | (o->Flags & HLOF_ACTIVE);
  o->ActivationTime = b.activationTime;
  o->OrderKey = static_cast<std::int8_t>(b.orderKey);
  o->TakesGroundLights = static_cast<std::int32_t>(b.takesLights);
  if (o->Instance != nullptr) {
    o->PlaceAt(b.position, 0, 1, 0, 0);
    o->SetRotation(b.rotation);
    o->Instance->Flags = (o->Instance->Flags & ~kSavedInstanceFlags) | (b.instanceFlags & kSavedInstanceFlags);
  }
  if (CEnvInstance* root = InstanceOfId(b.groundRoot)) o->SetGroundRoot(root);
  if (CEnvInstance* ground = InstanceOfId(b.groundInstance)) o->SetGroundInstance(ground);
  o->ReferencePosition = b.reference;
}

// --- the 45-word unit block -----------------------------------------------------

void WriteUnitBlock(CHLO* o, ByteWriter& out) {
  CUnit* u = o->IsUnit() ? static_cast<CUnit*>(o) : nullptr;
  if (u == nullptr) {
    // A soldier or vehicle kind made by something other than the unit base
    // (a demo object): the block says "nobody" in its links.
    for (int i = 0; i < kUnitBlockWords; ++i) out.I32(i == 14 || i == 15 || (i >= 16 && i <= 18) ? -1 : 0);
    return;
  }
  out.F32(u->health);                                       // 0
  out.F32(u->lastHealthFraction);                           // 1
  out.I32(u->action);                                       // 2
  WriteVector(out, u->destination);                         // 3-5
  out.I32(u->order);                                        // 6
  out.I32(u->previousOrder);                                // 7
  out.U32(u->unitFlags);                                    // 8
  out.I32(u->waypoint);                                     // 9
  WriteVector(out, u->homePosition);                        // 10-12
  out.I32(u->stance);                                       // 13
  out.I32(IdOf(u->huntTarget));                             // 14
  out.I32(IdOf(u->currentTarget));                          // 15
  for (const UnitAwareness& a : u->awareness) out.I32(IdOf(a.Target));  // 16-18
  for (const UnitAwareness& a : u->awareness) out.U32(a.Level);         // 19-21
  out.I32(u->alertness);                                    // 22
  out.I32(u->baseAlertness);                                // 23
  WriteVector(out, u->basePosition);                        // 24-26
  WriteVector(out, u->baseRotation);                        // 27-29
  out.I32(u->baseStance);                                   // 30
  WriteVector(out, u->formationPosition);                   // 31-33
  WriteVector(out, u->spawnPosition);                       // 34-36
  out.I32(u->nerve);                                        // 37
  WriteVector(out, u->waypointOffset);                      // 38-40
  out.U32(u->actionTime);                                   // 41
  out.U32(u->orderTime);                                    // 42
  out.I32(u->destinationMode);                              // 43
  out.I32(u->previousAction);                               // 44
}

void ReadUnitBlock(CHLO* o, ByteReader& in) {
  CUnit* u = o->IsUnit() ? static_cast<CUnit*>(o) : nullptr;
  if (u == nullptr) {
    in.Skip(kUnitBlockWords * 4);
    return;
  }
  u->health = in.F32();
  u->lastHealthFraction = in.F32();
  u->action = in.I32();
  u->destination = ReadVector(in);
  u->order = in.I32();
  u->previousOrder = in.I32();
  u->unitFlags = in.U32();
  u->waypoint = in.I32();
  u->homePosition = ReadVector(in);
  u->stance = in.I32();
  u->huntTarget = ObjectOfId(in.I32());
  u->currentTarget = ObjectOfId(in.I32());
  for (UnitAwareness& a : u->awareness) a.Target = ObjectOfId(in.I32());
  for (UnitAwareness& a : u->awareness) a.Level = in.U32();
  u->alertness = in.I32();
  u->baseAlertness = in.I32();
  u->basePosition = ReadVector(in);
  u->baseRotation = ReadVector(in);
  u->baseStance = in.I32();
  u->formationPosition = ReadVector(in);
  u->spawnPosition = ReadVector(in);
  u->nerve = in.I32();
  u->waypointOffset = ReadVector(in);
  u->actionTime = in.U32();
  u->orderTime = in.U32();
  u->destinationMode = in.I32();
  u->previousAction = in.I32();
}

// --- the kinds' tails ---------------------------------------------------------

void DefaultTailWrite(CHLO* o, ByteWriter& out, int words) {
  NotBuiltYet((std::string("saved game: ") + KindName(o->Kind) + " record").c_str());
  for (int i = 0; i < words; ++i) out.U32(0);
}

bool DefaultTailRead(CHLO* o, ByteReader& in, int words) {
  NotBuiltYet((std::string("saved game: ") + KindName(o->Kind) + " record").c_str());
  return in.Skip(static_cast<std::size_t>(words) * 4);
}

}  // namespace

std::uint32_t SaveRecordSize(int kind) {
  if (kind < 0 || kind == HLO_BOID || kind == HLO_MOVER || kind >= kKinds) return 0;
  const int words = kObjectBlockWords + (HasUnitBlock(kind) ? kUnitBlockWords : 0) + SaveTailWords(kind);
  return static_cast<std::uint32_t>(words) * 4;
}

int SaveTailWords(int kind) {
  switch (kind) {
    case HLO_CORPSE: return 6;
    case HLO_VEHICLE: return 52;
    case HLO_GRUNT: return 67;
    case HLO_FEATURE:
    case HLO_BUILDING: return 1;
    case HLO_ITEM: return 5;
    case HLO_WEAPON: return 11;
    case HLO_DOOR: return 5;
    default: return 0;
  }
}

bool IsSavedObject(const CHLO* object) {
  if (object == nullptr || SaveRecordSize(object->Kind) == 0) return false;
  return object->Instance == nullptr || (object->Instance->Flags & kInstanceNotSaved) == 0;
}

void SaveObject(CHLO* object, ByteWriter& out) {
  const int kind = object->Kind;
  if (SaveRecordSize(kind) == 0) return;
  WriteObjectBlock(object, out);
  if (HasUnitBlock(kind)) WriteUnitBlock(object, out);
  const ObjectTailOps& ops = g_tails[kind];
  (ops.write != nullptr ? ops.write : DefaultTailWrite)(object, out, SaveTailWords(kind));
}

bool LoadObject(CHLO* object, ByteReader& in) {
  const int kind = object->Kind;
  const std::uint32_t size = SaveRecordSize(kind);
  if (size == 0 || !in.HasRoom(size)) return false;
  ByteReader record(in.Current(), size);
  const ObjectBlock block = ReadObjectBlock(record);
  if (block.id != object->Id || block.kind != kind || block.side != object->Side) return false;
  in.Skip(size);
  ApplyObjectBlock(object, block);
  if (HasUnitBlock(kind)) ReadUnitBlock(object, record);
  const ObjectTailOps& ops = g_tails[kind];
  (ops.read != nullptr ? ops.read : DefaultTailRead)(object, record, SaveTailWords(kind));
  return true;
}

void SetObjectTailOps(int kind, const ObjectTailOps& ops) {
  if (kind >= 0 && kind < kKinds) g_tails[kind] = ops;
}
