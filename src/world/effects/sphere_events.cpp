#include "world/effects/sphere_events.h"

#include <algorithm>
#include <new>

#include "foundation/memory/linear_buffer.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/effects_math.h"
#include "world/objects/chlo.h"

SphereEvents* g_SphereEvents = nullptr;

bool SphereEvents::CreatePools(CLinearBuffer* buffer) {
  records_ = nullptr;
  if (buffer == nullptr || capacity_ <= 0) return false;
  void* memory = buffer->Alloc(static_cast<std::uint32_t>(capacity_ * sizeof(SphereEvent)), 4);
  if (memory == nullptr) return false;
  records_ = static_cast<SphereEvent*>(memory);
  for (int i = 0; i < capacity_; ++i) new (&records_[i]) SphereEvent();
  Reset();
  return true;
}

void SphereEvents::Reset() {
  if (records_ != nullptr)
    for (int i = 0; i < capacity_; ++i) {
      records_[i].State = SPHERE_EVENT_FREE;
      records_[i].Source = nullptr;
    }
  next_ = 0;
  count_ = 0;
}

bool SphereEvents::Add(const SphereEventDesc& desc) {
  if (records_ == nullptr) return false;
  int index = next_;
  int steps = 0;
  while (records_[index].State == SPHERE_EVENT_ACTIVE && records_[index].Priority > desc.Priority) {
    if (++steps >= capacity_) {
      if (desc.Priority != kSphereEventUrgent) return false;
      break;
    }
    index = (index + 1) % capacity_;
  }
  SphereEvent& e = records_[index];
  e.Centre = desc.Centre;
  e.Kind = desc.Kind;
  e.Duration = desc.Duration;
  e.MaxRadius = desc.MaxRadius;
  e.Source = desc.Source;
  e.Priority = desc.Priority;
  e.User = desc.User;
  e.State = SPHERE_EVENT_ACTIVE;
  e.StartTime = EffectsNow();
  e.Radius = 0.0f;
  next_ = (index + 1) % capacity_;
  return true;
}

void SphereEvents::Update() {
  if (records_ == nullptr) return;
  const std::uint32_t now = EffectsNow();
  const float dt = EffectsFrameTime();
  for (int i = 0; i < capacity_; ++i) {
    SphereEvent& e = records_[i];
    if (e.State != SPHERE_EVENT_ACTIVE) continue;
    if (e.StartTime + e.Duration < now) {
      e.State = SPHERE_EVENT_FREE;
      e.Source = nullptr;
      continue;
    }
    if (e.Radius < e.MaxRadius) e.Radius = std::min(e.MaxRadius, e.Radius + kSphereEventGrowth * dt);
  }
}

bool SphereEvents::Notify(CHLO* object) {
  if (records_ == nullptr || object == nullptr) return false;
  const CVector3 at = object->GetPosition();
  for (int i = 0; i < capacity_; ++i) {
    SphereEvent& e = records_[i];
    if (e.State != SPHERE_EVENT_ACTIVE || e.Source == object) continue;
    if (object->AcceptsSphereEvent(&e) != 1) continue;
    const float d = effects::Distance(at, e.Centre);
    if (object->GetSphereEventScale() * e.Radius > d) {
      object->OnSphereEvent(&e);
      return true;
    }
  }
  return false;
}

void SphereEvents::ForgetSource(const CHLO* object) {
  if (records_ == nullptr) return;
  for (int i = 0; i < capacity_; ++i)
    if (records_[i].Source == object) records_[i].Source = nullptr;
}

int SphereEventAdd(const SphereEventDesc& desc) {
  return g_SphereEvents != nullptr && g_SphereEvents->Add(desc) ? 1 : 0;
}
