#include "world/effects/impact_debris.h"

#include <cmath>
#include <new>

#include "foundation/byte_reader.h"
#include "foundation/maths/random_tables.h"
#include "foundation/memory/linear_buffer.h"
#include "world/effects/effect_pool.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/effects_math.h"
#include "world/effects/particle_pool.h"
#include "world/effects/trails.h"
#include "world/environment/env_instance.h"

using effects::kRadToDeg;

ImpactPieces* g_ImpactPieces = nullptr;

namespace {

// Least launch speed at which a landing piece still bounces (units/s), and
// the part of its speed it keeps.
constexpr float kBounceMinSpeed = 50.0f;
constexpr float kBounceSpeedFactor = 0.6f;

}  // namespace

bool ImpactPieces::CreatePools(CLinearBuffer* buffer) {
  slots_ = nullptr;
  if (buffer == nullptr || capacity_ <= 0) return false;
  void* memory = buffer->Alloc(static_cast<std::uint32_t>(capacity_ * sizeof(ImpactPieceSlot)), 4);
  if (memory == nullptr) return false;
  slots_ = static_cast<ImpactPieceSlot*>(memory);
  for (int i = 0; i < capacity_; ++i) new (&slots_[i]) ImpactPieceSlot();
  Reset();
  return true;
}

void ImpactPieces::Reset() {
  if (slots_ != nullptr)
    for (int i = 0; i < capacity_; ++i) slots_[i] = ImpactPieceSlot{};
  inUse_ = 0;
  bouncing_ = 0;
  next_ = 0;
}

int ImpactPieces::IndexOf(const ImpactPieceSlot* slot) const {
  if (slot == nullptr || slots_ == nullptr || slot < slots_ || slot >= slots_ + capacity_) return -1;
  return static_cast<int>(slot - slots_);
}

void ImpactPieces::StopBouncing(ImpactPieceSlot& slot) {
  if (!slot.Bouncing) return;
  slot.Bouncing = 0;
  if (bouncing_ > 0) --bouncing_;
  if (slot.Effect != nullptr) slot.Effect->Flags &= ~EFF_BOUNCES;
}

ImpactPieceSlot* ImpactPieces::Take(std::uint32_t* priority, ImpactPieceLink* link) {
  if (slots_ == nullptr || capacity_ == 0) return nullptr;
  const std::uint32_t wanted = priority != nullptr ? *priority : 0u;
  ImpactPieceSlot* slot = nullptr;
  if (inUse_ < capacity_) {
    for (int step = 0; step < capacity_; ++step) {
      const int i = (next_ + step) % capacity_;
      if (!slots_[i].InUse) {
        slot = &slots_[i];
        next_ = (i + 1) % capacity_;
        break;
      }
    }
    if (slot == nullptr) return nullptr;
    ++inUse_;
  } else {
    // The releasable piece of lowest priority, scanning down (ties keep the higher index).
    ImpactPieceSlot* lowest = nullptr;
    for (int i = capacity_ - 1; i >= 0; --i) {
      ImpactPieceSlot& s = slots_[i];
      if (s.InUse && s.Releasable && (lowest == nullptr || s.Priority < lowest->Priority)) lowest = &s;
    }
    if (lowest == nullptr || lowest->Throw == throw_) return nullptr;
    if (lowest->Priority >= wanted) {
      if (priority != nullptr) ++*priority;
      return nullptr;
    }
    slot = lowest;
    if (slot->Link != nullptr && slot->Link->OnPieceGone != nullptr) slot->Link->OnPieceGone(slot->Link);
    StopBouncing(*slot);
    if (CEffectInstance* e = slot->Effect) {
      // The piece goes at once: its effect loses trail and callbacks and is free.
      e->Piece = nullptr;
      e->Flags &= ~EFF_HOLDS_PIECE;
      e->OnFinish = nullptr;
      e->OnFrame = nullptr;
      if (g_EffectPool != nullptr) g_EffectPool->ForceFree(e);
    }
  }
  *slot = ImpactPieceSlot{};
  slot->InUse = 1;
  slot->Throw = throw_;
  slot->Link = link;
  slot->Releasable = 1;
  slot->Priority = wanted;
  if (bouncing_ >= bounceLimit_) {
    ImpactPieceSlot* lowest = nullptr;
    for (int i = capacity_ - 1; i >= 0; --i) {
      ImpactPieceSlot& s = slots_[i];
      if (&s != slot && s.InUse && s.Bouncing && (lowest == nullptr || s.Priority < lowest->Priority)) lowest = &s;
    }
    if (lowest != nullptr) StopBouncing(*lowest);
  }
  return slot;
}

void ImpactPieces::Release(ImpactPieceSlot* slot) {
  if (slot == nullptr || IndexOf(slot) < 0 || !slot->InUse) return;
  StopBouncing(*slot);
  if (slot->Effect != nullptr && slot->Effect->Piece == slot) {
    slot->Effect->Piece = nullptr;
    slot->Effect->Flags &= ~EFF_HOLDS_PIECE;
  }
  *slot = ImpactPieceSlot{};
  if (inUse_ > 0) --inUse_;
}

int ImpactPieces::Throw(CEnvInstance* instance, ImpactPieceLink* link, int count, std::uint32_t owner, bool burning,
                        std::uint32_t priority, CEnvObject* mesh) {
  if (instance == nullptr || g_EffectPool == nullptr) return 0;
  CVector3 boxMin{}, boxMax{};
  instance->UpdateWorldBox(&boxMin, &boxMax);
  const CVector3 centre = effects::Mul(effects::Add(boxMin, boxMax), 0.5f);
  const CVector3 half = effects::Mul(effects::Sub(boxMax, boxMin), 0.5f);
  int thrown = 0;
  for (int n = 0; n < count; ++n) {
    ImpactPieceSlot* slot = Take(&priority, link);
    if (slot == nullptr) break;
    slot->Owner = owner;
    const CVector3 start{centre.x + RandomFloatRange(-half.x, half.x), centre.y + RandomFloatRange(-half.y, half.y),
                         centre.z + RandomFloatRange(-half.z, half.z)};
    const CVector3 out = effects::Sub(start, centre);
    EffectDesc d;
    d.Kind = EFFECT_THROWN;
    d.Flags = 0x56 | (burning ? 0x4002u : 0u);
    d.Start = start;
    d.Speed = RandomFloatRange(1.0f, 2.5f) * 100.0f;
    d.Heading = out.x == 0.0f && out.z == 0.0f ? RandomFloatRange(0.0f, 359.0f) : std::atan2(out.x, out.z) * kRadToDeg;
    d.Pitch = std::atan2(out.y, std::sqrt(out.x * out.x + out.z * out.z)) * kRadToDeg;
    if (burning) {
      d.Speed *= 2.0f;
      d.Pitch = RandomFloatRange(30.0f, 60.0f);
    }
    d.TrailColour[0] = d.TrailColour[1] = d.TrailColour[2] = 1.0f;
    d.TrailColour[3] = 0.25f;
    d.OnFinish = &ImpactPieces::OnPieceLanded;
    d.OnFrame = &ImpactPieces::OnPieceMoved;
    CEffectInstance* e = g_EffectPool->Spawn(d);
    if (e == nullptr) {
      Release(slot);
      continue;
    }
    slot->Effect = e;
    slot->Bouncing = 1;
    ++bouncing_;
    if (e->Trail != nullptr) e->Trail->Width = RandomFloatRange(10.0f, 20.0f);
    e->Flags |= EFF_HOLDS_PIECE;
    e->Piece = slot;
    const std::uint32_t life = static_cast<std::uint32_t>(RandomIntRange(2500, 3000));
    if (g_ParticlePool != nullptr) {
      if (CParticle* p = g_ParticlePool->Spawn(start, 14, mesh != nullptr ? mesh : instance->Template)) {
        p->AngularVelocity = {RandomFloatRange(0.0f, 400.0f), RandomFloatRange(0.0f, 400.0f),
                              RandomFloatRange(0.0f, 400.0f)};
        p->Flags |= PF_SPINNING | PF_LIT;
        p->SetSize(RandomFloatRange(50.0f, 200.0f));
        p->SetTimeToLive(life);
        e->Particle = g_ParticlePool->RefOf(p);
      }
      if (CParticle* dust = g_ParticlePool->Spawn(start, 9, nullptr)) {
        dust->Velocity = {RandomFloatRange(-10.0f, 10.0f), RandomFloatRange(0.0f, 30.0f),
                          RandomFloatRange(-10.0f, 10.0f)};
        dust->SetSize(800.0f);
        dust->SetTargetSize(RandomFloatRange(100.0f, 800.0f));
        dust->SetTimeToLive(static_cast<std::uint32_t>(RandomFloatRange(500.0f, 1500.0f)));
        dust->Flags |= PF_MOVING;
      }
    }
    e->SetTimeLimit(life);
    ++thrown;
  }
  ++throw_;
  return thrown;
}

void ImpactPieces::OnPieceMoved(CEffectInstance* effect) {
  if (g_ParticlePool == nullptr) return;
  if (CParticle* p = g_ParticlePool->Resolve(effect->Particle)) p->Position = effect->Position;
}

void ImpactPieces::OnPieceLanded(CEffectInstance* effect, const WorldHit* hit) {
  if (hit == nullptr) {
    // Finished in the air (out of time): the slot goes.
    if (g_ImpactPieces != nullptr && effect->Piece != nullptr) g_ImpactPieces->Release(effect->Piece);
    return;
  }
  if ((effect->Flags & EFF_BOUNCES) && effect->Speed > kBounceMinSpeed && effect->Bounces < kImpactMaxBounces) {
    // Reflect the direction of flight about the surface normal: d' = d - 2 (d·n) n.
    CVector3 n{0.0f, 1.0f, 0.0f};
    if (hit->Instance != nullptr) {
      CVector3 local{hit->Plane[0], hit->Plane[1], hit->Plane[2]};
      hit->Instance->RotateToWorld(-1, local, &n);
    } else if (effects::LengthSq(hit->WorldNormal) > 0.0f) {
      n = hit->WorldNormal;
    }
    const float nl = effects::Length(n);
    n = nl > 0.0f ? effects::Mul(n, 1.0f / nl) : CVector3{0.0f, 1.0f, 0.0f};
    const CVector3 d = effect->GetDirection();
    CVector3 r = effects::Sub(d, effects::Mul(n, 2.0f * effects::Dot(d, n)));
    const float heading = r.x == 0.0f && r.z == 0.0f ? effect->Heading : std::atan2(r.x, r.z) * kRadToDeg;
    const float pitch = std::atan2(r.y, std::sqrt(r.x * r.x + r.z * r.z)) * kRadToDeg;
    const CVector3 at = (hit->Flags & WHF_POINT) || effects::LengthSq(hit->WorldPoint) > 0.0f ? hit->WorldPoint
                                                                                              : effect->Position;
    ++effect->Bounces;
    effect->Relaunch(at, heading, pitch, kBounceSpeedFactor);
    return;
  }
  // Settled: the piece stops spinning, lies flat just above the ground and
  // stays until its particle's lifetime ends.
  if (g_ParticlePool != nullptr) {
    if (CParticle* p = g_ParticlePool->Resolve(effect->Particle)) {
      p->Flags &= ~PF_SPINNING;
      p->Rotation.x = 0.0f;
      p->Rotation.z = 0.0f;
      p->Position = effect->Position;
      p->Position.y += 2.0f;
    }
  }
  if (g_ImpactPieces != nullptr && effect->Piece != nullptr) g_ImpactPieces->StopBouncing(*effect->Piece);
}

// --- saved game -----------------------------------------------------------------------------

void ImpactPieces::SaveAll(ByteWriter& out) const {
  for (int i = 0; i < capacity_; ++i) {
    const ImpactPieceSlot& s = slots_[i];
    out.U32(s.Priority);
    const int effect = s.InUse && g_EffectPool != nullptr ? g_EffectPool->IndexOf(s.Effect) : -1;
    out.U8(static_cast<std::uint8_t>(effect < 0 ? 0xFF : effect));
    out.U8(static_cast<std::uint8_t>(i));  // links are callers' records: not kept
    out.U8(static_cast<std::uint8_t>(s.Owner));
    std::uint8_t bits = 0;
    if (s.InUse) bits |= 0x2;
    if (s.InUse && s.Releasable) bits |= 0x1;
    if (s.InUse && s.Bouncing) bits |= 0x4;
    out.U8(bits);
  }
}

bool ImpactPieces::LoadAll(ByteReader& in) {
  Reset();
  for (int i = 0; i < capacity_; ++i) {
    const std::uint32_t priority = in.U32();
    const std::uint8_t effect = in.U8();
    in.U8();
    const std::uint8_t owner = in.U8();
    const std::uint8_t bits = in.U8();
    if (!in.Ok()) return false;
    if (slots_ == nullptr || !(bits & 0x2)) continue;
    ImpactPieceSlot& s = slots_[i];
    s.Priority = priority;
    s.Owner = owner;
    s.InUse = 1;
    s.Releasable = (bits & 0x1) ? 1 : 0;
    s.Bouncing = (bits & 0x4) ? 1 : 0;
    s.Effect = g_EffectPool != nullptr && effect != 0xFF ? g_EffectPool->Get(effect) : nullptr;
    ++inUse_;
    if (s.Bouncing) ++bouncing_;
  }
  return true;
}
