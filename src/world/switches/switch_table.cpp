#include "world/switches/switch_table.h"

#include <cstdio>
#include <cstring>

#include "foundation/memory/memory_manager.h"
#include "foundation/system/debug_output.h"
#include "foundation/text/hash.h"
#include "foundation/time/timer.h"
#include "render/geometry/geometry_ops.h"

using namespace geom;
#include "world/environment/env_instance.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/objects/chlo_manager.h"
#include "world/regions/region_list.h"

namespace {
SwitchObjectCallback g_objectCallback = nullptr;

std::uint32_t Now(const CTimer* clock) { return clock != nullptr ? clock->GetGameTime() : 0u; }

CVector3 Lerp(const CVector3& a, const CVector3& b, float f) { return a + (b - a) * f; }

bool Damaged(EnvTextCursor& cursor, const char* what) {
  DebugTrace("Switch section, line %d: %s\n", cursor.Line(), what);
  return false;
}
}  // namespace

void CSwitchTable::SetSwitchObjectCallback(SwitchObjectCallback callback) { g_objectCallback = callback; }

// --- one switch ------------------------------------------------------------------

bool CSwitch::SetState(int mode) {
  if (IsMoving()) return false;
  if (mode == 0) {
    if (!IsAtRest()) return false;
    StateFlags &= ~SWITCH_AT_REST;
  } else if (mode == 1) {
    if (IsAtRest()) return false;
    StateFlags |= SWITCH_AT_REST;
  }
  StateFlags |= SWITCH_MOVING;
  StartTime = Now(Clock);
  return true;
}

void CSwitch::PlaceVisuals(float factor) {
  const CVector3 position = Lerp(RestPosition, ThrownPosition, factor);
  const CVector3 rotation = Lerp(RestRotation, ThrownRotation, factor);
  for (CEnvInstance* instance : {FirstInstance, SecondInstance}) {
    if (instance == nullptr) continue;
    instance->SetPosition(position, true);
    instance->SetRotation(rotation, true);
  }
}

void CSwitch::ForceState(bool thrown) {
  StateFlags &= ~SWITCH_MOVING;
  if (thrown) {
    StateFlags &= ~SWITCH_AT_REST;
    if (SecondInstance != nullptr) SecondInstance->Enable();
    if (FirstInstance != nullptr) FirstInstance->Disable();
  } else {
    StateFlags |= SWITCH_AT_REST;
    if (SecondInstance != nullptr) SecondInstance->Disable();
    if (FirstInstance != nullptr) FirstInstance->Enable();
  }
  PlaceVisuals(thrown ? 1.0f : 0.0f);
}

void CSwitch::GetPosition(CVector3* out) const { *out = IsAtRest() ? RestPosition : ThrownPosition; }

void CSwitch::GetRotation(CVector3* out) const { *out = IsAtRest() ? RestRotation : ThrownRotation; }

// --- the table -------------------------------------------------------------------

void CSwitchTable::Clear() {
  if (records_ != nullptr) MEM_DELETE_ARRAY records_;
  records_ = nullptr;
  count_ = capacity_ = 0;
}

int CSwitchTable::Add(const CSwitch* record) {
  if (count_ >= capacity_) {
    const int capacity = capacity_ == 0 ? 8 : capacity_ * 2;
    if (capacity > kMaxSwitches && count_ >= kMaxSwitches) return -1;
    CSwitch* grown = MEM_NEW(MEMCAT_GAME) CSwitch[capacity];
    if (grown == nullptr) return -1;
    for (int i = 0; i < count_; ++i) grown[i] = records_[i];
    if (records_ != nullptr) MEM_DELETE_ARRAY records_;
    records_ = grown;
    capacity_ = capacity;
  }
  CSwitch& s = records_[count_];
  s = record != nullptr ? *record : CSwitch{};
  s.Index = count_;
  s.Clock = clock_;
  return count_++;
}

CSwitch* CSwitchTable::GetSwitch(int i) const { return i >= 0 && i < count_ ? &records_[i] : nullptr; }

CSwitch* CSwitchTable::FindByHash(std::uint32_t nameHash) const {
  for (int i = 0; i < count_; ++i)
    if (records_[i].NameHash == nameHash) return &records_[i];
  return nullptr;
}

CSwitch* CSwitchTable::FindAt(const CVector3& point) const {
  const CVector3 raised{point.x, point.y + 100.0f, point.z};
  for (int i = 0; i < count_; ++i) {
    const CRegion* region = records_[i].Region;
    if (region != nullptr && region->Type == REGION_BOX && region->ContainsPoint(raised)) return &records_[i];
  }
  return nullptr;
}

bool CSwitchTable::UseAt(const CVector3& point, std::uint32_t activator) {
  CSwitch* s = FindAt(point);
  if (s == nullptr || s->IsMoving() || !s->IsAtRest()) return false;
  if (!s->SetState(0)) return false;
  s->Activator = activator;
  return true;
}

void CSwitchTable::EndMove(CSwitch* s, bool thrown) {
  s->ForceState(thrown);
  const float value = thrown ? 1.0f : 0.0f;
  if (g_objectCallback != nullptr) {
    if (s->FirstLinked != nullptr) g_objectCallback(s->FirstLinked, value);
    if (s->SecondLinked != nullptr) g_objectCallback(s->SecondLinked, value);
  }
  // The event carries the state reached (0 at rest, 1 thrown), so that the
  // mission can tell a lever pulled from one pushed back.
  if (event_ != nullptr) event_(s->NameHash, value, s->Activator);
  if (s->FirstLinked == nullptr && s->SecondLinked == nullptr) return;
  // Every other switch on the same door jumps to the same state, silently.
  for (int i = 0; i < count_; ++i) {
    CSwitch& other = records_[i];
    if (&other == s) continue;
    const bool shares = (other.FirstLinked != nullptr &&
                         (other.FirstLinked == s->FirstLinked || other.FirstLinked == s->SecondLinked)) ||
                        (other.SecondLinked != nullptr &&
                         (other.SecondLinked == s->FirstLinked || other.SecondLinked == s->SecondLinked));
    if (shares) other.ForceState(thrown);
  }
}

void CSwitchTable::Update() {
  const std::uint32_t now = Now(clock_);
  for (int i = 0; i < count_; ++i) {
    CSwitch* s = &records_[i];
    if (!s->IsMoving()) continue;
    // Progress of the move on the game clock, 0 .. 1.
    const float p = s->TravelTime == 0 ? 1.0f
                                       : static_cast<float>(static_cast<std::int32_t>(now - s->StartTime)) /
                                             static_cast<float>(s->TravelTime);
    if (s->IsAtRest()) {
      const float factor = 1.0f - p;
      if (factor <= 0.0f)
        EndMove(s, false);
      else
        s->PlaceVisuals(factor);
    } else {
      if (p >= 1.0f)
        EndMove(s, true);
      else
        s->PlaceVisuals(p < 0.0f ? 0.0f : p);
    }
  }
}

bool CSwitchTable::ReadText(EnvTextCursor& cursor, int version, CEnvironment* environment, CRegionList* regions,
                            CHLOManager* objects) {
  Clear();
  EnvTextCursor ahead = cursor;
  char word[64];
  int n = 0;
  if (!ahead.Token(word) || std::strcmp(word, "NUMSWITCHES") != 0) return true;
  if (!ahead.Int(&n)) return Damaged(ahead, "the switch count is missing");
  cursor = ahead;
  if (n < 0 || n > kMaxSwitches) return Damaged(cursor, "the switch count is out of range");
  for (int i = 0; i < n; ++i) {
    char keyword[64], name[128], parentName[128], typeName[kSwitchNameSize], regionName[128];
    float pose[6];
    int firstId = 0, secondId = 0, link = -1;
    if (!cursor.Token(keyword) || !cursor.Word(name) || !cursor.Word(parentName))
      return Damaged(cursor, "a switch's keyword, name or parent is missing or too long");
    if (!cursor.Reals(pose, 6)) return Damaged(cursor, "a switch's position or rotation is missing");
    if (!cursor.Word(typeName) || !cursor.Word(regionName))
      return Damaged(cursor, "a switch's type or region is missing or too long");
    if (!cursor.Int(&firstId) || !cursor.Int(&secondId)) return Damaged(cursor, "a switch's linked ids are missing");
    if (version >= 62 && !cursor.Int(&link)) return Damaged(cursor, "a switch's link value is missing");

    CSwitch s;
    s.NameHash = HashString(name);
    s.RestPosition = {pose[0], pose[1], pose[2]};
    s.RestRotation = {pose[3], pose[4], pose[5]};
    s.Type = SwitchStatsFind(typeName);
    s.ThrownPosition = s.RestPosition;
    s.ThrownRotation = s.RestRotation;
    if (s.Type != nullptr) {
      s.ThrownPosition = s.RestPosition + s.Type->PositionOffset;
      s.ThrownRotation = s.RestRotation + s.Type->RotationOffset;
      s.TravelTime = s.Type->TravelTime;
    } else {
      DebugTrace("Switch \"%s\": no switch type \"%s\"\n", name, typeName);
    }
    s.Region = regions != nullptr ? regions->FindByName(regionName) : nullptr;
    s.FirstLinked = objects != nullptr && firstId != 0 ? objects->FindByIdSlow(firstId) : nullptr;
    s.SecondLinked = objects != nullptr && secondId != 0 ? objects->FindByIdSlow(secondId) : nullptr;
    s.LinkValue = link;
    s.StateFlags = SWITCH_AT_REST;

    if (environment != nullptr && s.Type != nullptr) {
      CEnvInstance* parent = environment->FindInstanceByName(parentName);
      const char* models[2] = {s.Type->FirstModel, s.Type->SecondModel};
      CEnvInstance** visuals[2] = {&s.FirstInstance, &s.SecondInstance};
      char instanceName[32];
      std::snprintf(instanceName, sizeof(instanceName), "switch_%x", s.NameHash);
      for (int k = 0; k < 2; ++k) {
        if (std::strcmp(models[k], "NONE") == 0) continue;
        CEnvObject* object = environment->FindOrLoadObject(models[k], 0);
        if (object == nullptr) continue;
        CEnvInstance* instance =
            environment->CreateInstance(instanceName, object, s.RestPosition, s.RestRotation, nullptr, 0, 0);
        if (instance == nullptr) continue;
        instance->Flags |= INSTF_LIT_ALL;
        if (parent != nullptr) parent->AttachChild(instance);
        *visuals[k] = instance;
      }
      if (s.FirstInstance != nullptr) s.FirstInstance->Enable();
      if (s.SecondInstance != nullptr) s.SecondInstance->Disable();
    }
    if (Add(&s) < 0) return Damaged(cursor, "out of memory");
  }
  return true;
}
