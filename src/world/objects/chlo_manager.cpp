#include "world/objects/chlo_manager.h"

#include "world/environment/env_instance.h"
#include "world/objects/chlo.h"
#include "world/objects/hlo_spawn_record.h"

CHLOManager* g_HLOManager = nullptr;

namespace {

std::uint32_t InstanceFlags(const CHLO* object) { return object->Instance ? object->Instance->Flags : 0u; }

}  // namespace

CHLOManager::CHLOManager(std::uint8_t sides, std::uint8_t kinds)
    : sides_(sides),
      kinds_(kinds),
      active_(static_cast<std::size_t>(sides) * kinds, nullptr),
      inactive_(static_cast<std::size_t>(sides) * kinds, nullptr),
      activation_(kinds, nullptr),
      pass_(kinds, nullptr) {
  g_HLOManager = this;
}

CHLOManager::~CHLOManager() {
  ClearAll();
  if (g_HLOManager == this) g_HLOManager = nullptr;
}

CHLO** CHLOManager::Cell(const CHLO* object) {
  if (!InRange(object->Side, object->Kind)) return nullptr;
  std::size_t index = static_cast<std::size_t>(object->Side) * kinds_ + static_cast<std::size_t>(object->Kind);
  return (object->Flags & HLOF_ACTIVE) ? &active_[index] : &inactive_[index];
}

void CHLOManager::Unlink(CHLO** head, CHLO* object) {
  for (CHLO** link = head; *link; link = &(*link)->Next) {
    if (*link == object) {
      *link = object->Next;
      object->Next = nullptr;
      return;
    }
  }
}

CHLO* CHLOManager::CreateObject(HLOSpawnRecord& record) {
  if (record.side >= sides_ || !factory_) return nullptr;
  CHLO* object = factory_(record);
  if (!object) return nullptr;
  InsertObject(object);
  if (!(object->Flags & HLOF_ACTIVE)) DeactivateObject(object);
  return object;
}

void CHLOManager::InsertObject(CHLO* object) {
  CHLO** link = object ? Cell(object) : nullptr;
  if (!link) return;
  if (object->OrderKey >= 0)
    while (*link && (*link)->OrderKey > object->OrderKey) link = &(*link)->Next;
  object->Next = *link;
  *link = object;
}

void CHLOManager::RemoveObject(CHLO* object) {
  CHLO** head = object ? Cell(object) : nullptr;
  if (!head) return;
  // The pass reads the next object before it updates one; an object taken
  // out of its list while it is that next one must not be visited.
  if (cursor_ == object) cursor_ = object->Next;
  Unlink(head, object);
}

void CHLOManager::ActivateObject(CHLO* object) {
  if (!object) return;
  RemoveObject(object);
  object->Flags |= HLOF_ACTIVE;
  if (!object->GroundRoot) object->SettleOnGround();
  if (object->Instance) {
    object->Instance->Enable();
    if (!(object->Flags & HLOF_STAYS_HIDDEN)) object->Instance->SetVisible(true, false);
  }
  InsertObject(object);
}

void CHLOManager::DeactivateObject(CHLO* object) {
  if (!object) return;
  RemoveObject(object);  // also moves the update cursor past it
  object->Flags &= ~HLOF_ACTIVE;
  if (object->Instance) {
    object->Instance->Disable();
    object->Instance->SetVisible(false, false);
  }
  InsertObject(object);
}

void CHLOManager::DeleteObject(CHLO* object) {
  if (!object) return;
  RemoveObject(object);
  if (object == current_) currentDeleted_ = true;
  if (delete_) delete_(object);
}

void CHLOManager::ChangeSide(CHLO* object, std::uint8_t side) {
  // A side without lists would leave the object filed nowhere.
  if (!object || side >= sides_) return;
  RemoveObject(object);
  object->Side = side;
  InsertObject(object);
}

CHLO* CHLOManager::FirstActive(int side, int kind) const {
  return InRange(side, kind) ? active_[static_cast<std::size_t>(side) * kinds_ + static_cast<std::size_t>(kind)] : nullptr;
}

CHLO* CHLOManager::FirstInactive(int side, int kind) const {
  return InRange(side, kind) ? inactive_[static_cast<std::size_t>(side) * kinds_ + static_cast<std::size_t>(kind)] : nullptr;
}

void CHLOManager::SetKindCallbacks(int kind, HLOListCallback activation, HLOListCallback pass) {
  if (kind < 0 || kind >= kinds_) return;
  activation_[static_cast<std::size_t>(kind)] = activation;
  pass_[static_cast<std::size_t>(kind)] = pass;
  if (!activation) return;
  for (int side = 0; side < sides_; ++side)
    if (CHLO* head = FirstActive(side, kind)) activation(head);
}

void CHLOManager::UpdatePass() {
  for (int side = 0; side < sides_; ++side) {
    for (int kind = 0; kind < kinds_; ++kind) {
      CHLO* object = FirstActive(side, kind);
      if (!object) continue;
      if (HLOListCallback pass = pass_[static_cast<std::size_t>(kind)]) {
        pass(object);
        object = FirstActive(side, kind);
      }
      while (object) {
        cursor_ = object->Next;
        object->Flags &= ~HLOF_MOVED;
        current_ = object;
        currentDeleted_ = false;
        object->Update();
        // An object that deleted itself in its update is not touched again.
        if (!currentDeleted_) {
          if (object->HasMovedFromReference()) object->Flags |= HLOF_MOVED;
          object->TakeReferencePosition();
        }
        object = cursor_;
      }
      cursor_ = nullptr;
      current_ = nullptr;
    }
  }
}

void CHLOManager::ClearAll() {
  for (std::vector<CHLO*>* lists : {&active_, &inactive_}) {
    for (CHLO*& head : *lists) {
      CHLO* object = head;
      head = nullptr;
      while (object) {
        CHLO* next = object->Next;
        object->Next = nullptr;
        if (delete_) delete_(object);
        object = next;
      }
    }
  }
  cursor_ = nullptr;
  idTable_.clear();
  idTable_.shrink_to_fit();
  largestId_ = -1;
}

std::uint8_t* CHLOManager::WalkObjects(std::uint8_t* cursor, std::uint32_t mask) {
  for (int k = 0; k < kinds_; ++k) {
    int kind = (k + kinds_ - 1) % kinds_;  // the last kind first, then 0 onwards
    for (int side = 0; side < sides_; ++side) {
      for (CHLO* head : {FirstActive(side, kind), FirstInactive(side, kind)}) {
        for (CHLO* object = head; object;) {
          CHLO* next = object->Next;
          if (!(InstanceFlags(object) & mask) && walker_) cursor = walker_(object, cursor);
          object = next;
        }
      }
    }
  }
  return cursor;
}

int CHLOManager::CountObjects(int kind, int lists, int side, std::uint32_t mask) const {
  int count = 0;
  for (int s = 0; s < sides_; ++s) {
    if (side != -1 && s != side) continue;
    if (lists & 1)
      for (CHLO* o = FirstActive(s, kind); o; o = o->Next) count += !(InstanceFlags(o) & mask);
    if (lists & 2)
      for (CHLO* o = FirstInactive(s, kind); o; o = o->Next) count += !(InstanceFlags(o) & mask);
  }
  return count;
}

void CHLOManager::ForEachActiveIn(int side, int kind, HLOObjectCallback callback) {
  if (!callback) return;
  for (CHLO* object = FirstActive(side, kind); object;) {
    CHLO* next = object->Next;
    callback(object);
    object = next;
  }
}

void CHLOManager::ForEachActive(int kind, HLOObjectCallback callback) {
  for (int side = 0; side < sides_; ++side) ForEachActiveIn(side, kind, callback);
}

void CHLOManager::ForEachActiveObject(HLOObjectCallback callback) {
  for (int side = 0; side < sides_; ++side)
    for (int kind = 0; kind < kinds_; ++kind) ForEachActiveIn(side, kind, callback);
}

std::uint32_t CHLOManager::ForEachObject(int side, HLOObjectQuery callback, int includeInactive) {
  if (!callback) return 0;
  for (int pass = 0; pass < (includeInactive == 1 ? 2 : 1); ++pass) {
    for (int s = 0; s < sides_; ++s) {
      if (side >= 0 && s != side) continue;
      for (int kind = 0; kind < kinds_; ++kind) {
        for (CHLO* object = pass == 0 ? FirstActive(s, kind) : FirstInactive(s, kind); object;) {
          CHLO* next = object->Next;
          if (std::uint32_t answer = callback(object)) return answer;
          object = next;
        }
      }
    }
  }
  return 0;
}

std::int32_t CHLOManager::LargestId() const {
  std::int32_t largest = 0;
  for (const std::vector<CHLO*>* lists : {&active_, &inactive_})
    for (CHLO* head : *lists)
      for (CHLO* o = head; o; o = o->Next)
        if (o->Id > largest) largest = o->Id;
  return largest;
}

bool CHLOManager::BuildIdTable() {
  idTable_.clear();
  largestId_ = -1;
  std::int32_t largest = LargestId();
  if (largest > kLargestTableId) return false;
  idTable_.assign(static_cast<std::size_t>(largest) + 1, nullptr);
  largestId_ = largest;
  // Active lists, sides then kinds, then the inactive lists: the first
  // object found keeps an id that two objects share.  Negative ids name no
  // object.
  for (const std::vector<CHLO*>* lists : {&active_, &inactive_})
    for (CHLO* head : *lists)
      for (CHLO* o = head; o; o = o->Next)
        if (o->Id >= 0 && !idTable_[static_cast<std::size_t>(o->Id)]) idTable_[static_cast<std::size_t>(o->Id)] = o;
  return true;
}

bool CHLOManager::HasId(std::int32_t id) const {
  if (idTable_.empty()) return FindByIdSlow(id) != nullptr;
  return id >= 0 && id <= largestId_ && idTable_[static_cast<std::size_t>(id)] != nullptr;
}

CHLO* CHLOManager::GetObjectById(std::int32_t id) const {
  if (idTable_.empty()) return FindByIdSlow(id);
  if (id < 0 || id > largestId_) return nullptr;
  return idTable_[static_cast<std::size_t>(id)];
}

CHLO* CHLOManager::FindObject(std::int32_t id, std::int32_t, std::int32_t) const { return GetObjectById(id); }

CHLO* CHLOManager::FindByIdIn(std::int32_t id, int side, int kind) const {
  if (id < 0) return nullptr;
  for (CHLO* head : {FirstActive(side, kind), FirstInactive(side, kind)})
    for (CHLO* o = head; o; o = o->Next)
      if (o->Id == id) return o;
  return nullptr;
}

CHLO* CHLOManager::FindByIdSlow(std::int32_t id) const {
  if (id < 0) return nullptr;
  for (int side = 0; side < sides_; ++side)
    for (int kind = 0; kind < kinds_; ++kind)
      if (CHLO* o = FindByIdIn(id, side, kind)) return o;
  return nullptr;
}

CHLO* CHLOManager::FindByInstance(const CEnvInstance* instance) const {
  for (CHLO* head : active_)
    for (CHLO* o = head; o; o = o->Next)
      if (o->Instance == instance) return o;
  return nullptr;
}

CHLO* CHLOManager::FindByStatsName(std::uint32_t hash, int side, int kind, std::uint32_t mask) const {
  for (CHLO* head : {FirstActive(side, kind), FirstInactive(side, kind)})
    for (CHLO* o = head; o; o = o->Next)
      if (o->StatsNameHash == hash && !(InstanceFlags(o) & mask)) return o;
  return nullptr;
}

std::int32_t CHLOManager::NextFreeId() const {
  bool any = false;
  std::int32_t largest = -1;
  for (const std::vector<CHLO*>* lists : {&active_, &inactive_})
    for (CHLO* head : *lists)
      for (CHLO* o = head; o; o = o->Next) {
        any = true;
        if (o->Id > largest) largest = o->Id;
      }
  return any ? largest + 1 : 0;
}

void CHLOManager::AssignMissingIds() {
  std::int32_t next = NextFreeId();
  for (int side = 0; side < sides_; ++side)
    for (int kind = 0; kind < kinds_; ++kind)
      for (CHLO* head : {FirstActive(side, kind), FirstInactive(side, kind)})
        for (CHLO* o = head; o; o = o->Next)
          if (o->Id < 0) o->Id = next++;
}

CHLO* CreateObjectFromRecord(HLOSpawnRecord& record) {
  if (!g_HLOManager) return nullptr;
  g_HLOManager->QuietCreation = 0;
  return g_HLOManager->CreateObject(record);
}

bool HLOCreationAllowed() { return true; }
