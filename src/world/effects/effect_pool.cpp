#include "world/effects/effect_pool.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "foundation/byte_reader.h"
#include "foundation/maths/random_tables.h"
#include "foundation/memory/linear_buffer.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/effects_math.h"
#include "world/effects/impact_debris.h"
#include "world/effects/trails.h"
#include "world/environment/env_instance.h"
#include "world/objects/chlo.h"

using effects::kDegToRad;
using effects::kRadToDeg;

CEffectPool* g_EffectPool = nullptr;

namespace {

// Tracer trails: additive, random ring length, lit by the scene's ambient light.
constexpr std::uint32_t kEffectTrailFlags = TRAILF_ADDITIVE | TRAILF_RANDOM_RING;
constexpr int kMaxCallbackVisits = 10000;
// An instance without collision that is thrown lives this long (ms).
constexpr std::uint32_t kThrownLifeMs = 300;

float WrapDegrees(float a) {
  a = std::fmod(a, 360.0f);
  return a < 0.0f ? a + 360.0f : a;
}

float HeadingOf(const CVector3& d) {
  if (d.x == 0.0f && d.z == 0.0f) return 0.0f;
  return WrapDegrees(std::atan2(d.x, d.z) * kRadToDeg);
}

bool SameRoot(CEnvInstance* a, CEnvInstance* b) {
  return a != nullptr && b != nullptr && a->GetRoot() == b->GetRoot();
}

}  // namespace

// --- instance -------------------------------------------------------------------------

void CEffectInstance::SetTimeLimit(std::uint32_t ms) {
  Flags |= EFF_TIMED;
  TimeLimit = ms;
  EndTime = StartTime + ms;
}

float CEffectInstance::GetProgress() const {
  if (!(Flags & EFF_TIMED) || TimeLimit == 0) return 1.0f;
  const std::uint32_t elapsed = EffectsNow() - StartTime;
  return elapsed < TimeLimit ? static_cast<float>(elapsed) / static_cast<float>(TimeLimit) : 1.0f;
}

float CEffectInstance::GetTravelFraction() const {
  const float whole = effects::DistanceSq(Target, Start);
  if (whole <= 0.0f) return 1.0f;
  return std::min(1.0f, effects::DistanceSq(Position, Start) / whole);
}

CVector3 CEffectInstance::GetDirection() const {
  CVector3 d{};
  switch (Kind) {
    case EFFECT_TO_TARGET:
      d = effects::Sub(Target, Start);
      break;
    case EFFECT_ALONG_HEADING: {
      const float cp = std::cos(Pitch * kDegToRad);
      d = {std::sin(Heading * kDegToRad) * cp, std::sin(Pitch * kDegToRad), std::cos(Heading * kDegToRad) * cp};
      break;
    }
    default: {
      // Arcs: horizontal speed along the heading, vertical speed less gravity so far.
      const float t = static_cast<float>(EffectsNow() - StartTime) / 1000.0f;
      const float g = g_EffectPool != nullptr ? g_EffectPool->GetGravity() : CEffectPool::kDefaultGravity;
      d = {std::sin(Heading * kDegToRad) * HorizontalSpeed, VerticalSpeed - g * GravityScale * t,
           std::cos(Heading * kDegToRad) * HorizontalSpeed};
      break;
    }
  }
  const float len = effects::Length(d);
  return len > 0.0f ? effects::Mul(d, 1.0f / len) : CVector3{0.0f, 0.0f, 1.0f};
}

void CEffectInstance::Relaunch(const CVector3& position, float heading, float pitch, float speedFactor) {
  State = EFFECT_FLYING;
  Pitch = pitch;
  Heading = heading;
  Speed *= speedFactor;
  // Half a unit back toward where it came from, so that it starts clear of the surface.
  CVector3 back = effects::Sub(PreviousPosition, position);
  const float len = effects::Length(back);
  CVector3 at = position;
  if (len > 0.0f) at = effects::Add(position, effects::Mul(back, 0.5f / len));
  Position = PreviousPosition = Start = at;
  if (Trail != nullptr) {
    Trail->Release();
    Trail = nullptr;
  }
  if (Flags & EFF_TRAIL)
    Trail = TrailsAdd(kEffectTrailFlags, TrailColour[0], TrailColour[1], TrailColour[2], TrailColour[3], &at);
  if (Trail != nullptr) Trail->Flags |= TRAILF_AMBIENT;
  StartTime = RelaunchTime = EffectsNow();
  if (Flags & EFF_TIMED) EndTime = StartTime + TimeLimit;
  if (Kind != EFFECT_ALONG_HEADING) {
    Pitch = WrapDegrees(Pitch);
    HorizontalSpeed = std::cos(Pitch * kDegToRad) * Speed;
    VerticalSpeed = std::sin(Pitch * kDegToRad) * Speed;
  }
}

// --- pool -------------------------------------------------------------------------------

CEffectPool::CEffectPool(int capacity, float gravity) : capacity_(capacity > 0 ? capacity : 0), gravity_(gravity) {}

bool CEffectPool::CreatePools(CLinearBuffer* buffer) {
  instances_ = nullptr;
  if (buffer == nullptr || capacity_ <= 0) return false;
  void* memory = buffer->Alloc(static_cast<std::uint32_t>(capacity_ * sizeof(CEffectInstance)), 4);
  if (memory == nullptr) return false;
  instances_ = static_cast<CEffectInstance*>(memory);
  for (int i = 0; i < capacity_; ++i) new (&instances_[i]) CEffectInstance();
  Clear();
  return true;
}

void CEffectPool::Clear() {
  if (instances_ != nullptr)
    for (int i = 0; i < capacity_; ++i) instances_[i] = CEffectInstance{};
  next_ = 0;
  live_ = 0;
  if (g_ImpactPieces != nullptr) g_ImpactPieces->Reset();
}

int CEffectPool::IndexOf(const CEffectInstance* effect) const {
  if (effect == nullptr || instances_ == nullptr || effect < instances_ || effect >= instances_ + capacity_) return -1;
  return static_cast<int>(effect - instances_);
}

CEffectInstance* CEffectPool::Spawn(const EffectDesc& desc) {
  if (instances_ == nullptr || !EffectsClockRunning()) return nullptr;
  if (desc.Kind < EFFECT_TO_TARGET || desc.Kind > EFFECT_THROWN) return nullptr;
  CEffectInstance* found = nullptr;
  for (int step = 0; step < capacity_; ++step) {
    const int i = (next_ + step) % capacity_;
    if (instances_[i].State == EFFECT_FREE) {
      found = &instances_[i];
      next_ = (i + 1) % capacity_;
      break;
    }
  }
  if (found == nullptr) return nullptr;
  CEffectInstance& e = *found;
  e = CEffectInstance{};
  const std::uint32_t now = EffectsNow();
  e.Kind = desc.Kind;
  e.Zone = desc.Zone;
  e.Flags = desc.Flags;
  e.Position = e.PreviousPosition = e.Start = desc.Start;
  e.Target = desc.Target;
  e.TargetObject = desc.TargetObject;
  e.StartTime = e.RelaunchTime = now;
  e.Speed = desc.Speed;
  e.GravityScale = 1.0f;
  const CVector3 toTarget = effects::Sub(desc.Target, desc.Start);
  e.Heading = e.Kind == EFFECT_LOBBED ? HeadingOf(toTarget) : desc.Heading;
  e.Pitch = desc.Pitch;

  if (e.Kind == EFFECT_TO_TARGET) {
    e.LastDistanceSq = effects::LengthSq(toTarget);
  } else if (e.Kind == EFFECT_LOBBED) {
    // Launch angle θ through the target at horizontal distance D and height
    // h, speed v, gravity g:  tan θ = (v² ± √(v⁴ - g (g D² + 2 h v²))) / (g D).
    // Out of reach (negative root): the least speed that reaches it,
    // v² = g (h + L) with L the straight distance, at θ = 45° + φ / 2, φ the
    // elevation of the target; that arc passes through the target exactly.
    const float g = gravity_;
    const float D = std::sqrt(toTarget.x * toTarget.x + toTarget.z * toTarget.z);
    const float h = toTarget.y;
    const float phi = std::atan2(h, D);
    const float v2 = e.Speed * e.Speed;
    const float root = v2 * v2 - g * (g * D * D + 2.0f * h * v2);
    if (D <= 0.0f) {
      e.Pitch = h >= 0.0f ? 90.0f : -90.0f;
    } else if (root < 0.0f) {
      const float L = std::sqrt(D * D + h * h);
      e.Speed = std::sqrt(g * (h + L));
      e.Pitch = (phi + (0.5f * effects::kPi - phi) * 0.5f) * kRadToDeg;
    } else {
      const float s = std::sqrt(root);
      const float tanTheta = desc.HighArc ? (v2 + s) / (g * D) : (v2 - s) / (g * D);
      e.Pitch = std::atan(tanTheta) * kRadToDeg;
    }
  }
  if (e.Kind != EFFECT_TO_TARGET) {
    e.HorizontalSpeed = std::cos(e.Pitch * kDegToRad) * e.Speed;
    e.VerticalSpeed = std::sin(e.Pitch * kDegToRad) * e.Speed;
  }
  e.State = EFFECT_FLYING;
  ++live_;
  e.OnFinish = desc.OnFinish;
  e.OnFrame = desc.OnFrame;
  e.User = desc.User;
  e.Owner = desc.Owner;
  for (int k = 0; k < 4; ++k) e.TrailColour[k] = desc.TrailColour[k];
  if (e.Kind == EFFECT_THROWN && !(e.Flags & EFF_COLLIDES)) e.SetTimeLimit(kThrownLifeMs);
  if (e.Flags & EFF_TRAIL) {
    e.Trail = TrailsAdd(kEffectTrailFlags, e.TrailColour[0], e.TrailColour[1], e.TrailColour[2], e.TrailColour[3],
                        &e.Start);
    if (e.Trail != nullptr) e.Trail->Flags |= TRAILF_AMBIENT;
  }
  return &e;
}

CEffectInstance* CEffectPool::SpawnThrown(const CVector3& start, float speed, float heading, float pitch,
                                          std::uint32_t flags, std::uint32_t limitMs) {
  EffectDesc d;
  d.Clear();
  d.Kind = EFFECT_THROWN;
  d.Start = start;
  d.Speed = speed;
  d.Heading = heading;
  d.Pitch = pitch;
  d.Flags = flags | EFF_TRAIL;
  CEffectInstance* e = Spawn(d);
  if (e != nullptr) e->SetTimeLimit(limitMs);
  return e;
}

void CEffectPool::Finish(CEffectInstance& e, const WorldHit* hit) {
  e.State = EFFECT_FINISHED;
  if (e.OnFinish != nullptr) e.OnFinish(&e, hit);
}

void CEffectPool::ForceFree(CEffectInstance* effect) {
  if (effect == nullptr || effect->State == EFFECT_FREE) return;
  if (effect->Trail != nullptr) effect->Trail->Release();
  effect->Trail = nullptr;
  if ((effect->Flags & EFF_HOLDS_PIECE) && effect->Piece != nullptr && g_ImpactPieces != nullptr) {
    ImpactPieceSlot* slot = effect->Piece;
    effect->Piece = nullptr;
    g_ImpactPieces->Release(slot);
  }
  effect->Piece = nullptr;
  effect->State = EFFECT_FREE;
  effect->OnFinish = nullptr;
  effect->OnFrame = nullptr;
  if (live_ > 0) --live_;
}

void CEffectPool::Move(CEffectInstance& e, float dt, std::uint32_t now) {
  e.PreviousPosition = e.Position;
  const float t = static_cast<float>(now - e.StartTime) / 1000.0f;
  switch (e.Kind) {
    case EFFECT_TO_TARGET: {
      if ((e.Flags & EFF_FOLLOWS_TARGET) && e.TargetObject != nullptr) e.Target = e.TargetObject->GetPosition();
      const CVector3 whole = effects::Sub(e.Target, e.Start);
      const float length = effects::Length(whole);
      // Along the straight line at the speed; the whole length, not only its
      // horizontal part, so that steep and vertical shots arrive as well.
      const float d = t * e.Speed;
      if (length <= 0.0f || d >= length) {
        e.Position = e.Target;
      } else {
        e.Position = effects::Add(e.Start, effects::Mul(whole, d / length));
      }
      const float distSq = effects::DistanceSq(e.Position, e.Target);
      if (distSq < arrivalDistanceSq_ || distSq > e.LastDistanceSq) {
        e.LastDistanceSq = distSq;
        Finish(e, nullptr);
        return;
      }
      e.LastDistanceSq = distSq;
      break;
    }
    case EFFECT_ALONG_HEADING: {
      // Unit direction (sin h cos p, sin p, cos h cos p) times the speed.
      const float cp = std::cos(e.Pitch * kDegToRad);
      const float step = e.Speed * dt;
      e.Position.x += std::sin(e.Heading * kDegToRad) * cp * step;
      e.Position.y += std::sin(e.Pitch * kDegToRad) * step;
      e.Position.z += std::cos(e.Heading * kDegToRad) * cp * step;
      break;
    }
    default: {
      // Arc: x, z = start + heading × (horizontal speed × t);
      //      y = start.y + (vertical speed - ½ g k t) t.
      const float h = t * e.HorizontalSpeed;
      e.Position.x = e.Start.x + std::sin(e.Heading * kDegToRad) * h;
      e.Position.z = e.Start.z + std::cos(e.Heading * kDegToRad) * h;
      e.Position.y = e.Start.y + (e.VerticalSpeed - 0.5f * gravity_ * e.GravityScale * t) * t;
      if (e.Kind == EFFECT_LOBBED) {
        const bool falling = e.VerticalSpeed - gravity_ * e.GravityScale * t < 0.0f;
        if (falling && e.Position.y <= e.Target.y) {
          Finish(e, nullptr);
          return;
        }
      }
      break;
    }
  }
  if (e.Flags & EFF_COLLIDES) TestPath(e);
}

void CEffectPool::TestPath(CEffectInstance& e) {
  std::uint32_t mask = e.Flags & EFF_MASK_40;
  if (e.Flags & EFF_EXTRA_SURFACES) mask |= 0x80;
  WorldHit hit{};
  CVector3 point{};
  if (EffectsLineOfSight(e.Zone, e.PreviousPosition, e.Position, mask, &hit, &point)) return;
  // Ignored hits leave the instance where it moved to: stepping it back would
  // keep a straight shot stuck in front of its own owner for ever.
  CHLO* object = g_EffectsHooks.ObjectOfInstance != nullptr && hit.Instance != nullptr
                     ? g_EffectsHooks.ObjectOfInstance(hit.Instance)
                     : nullptr;
  if ((e.Flags & EFF_IGNORES_OWNER) && e.Owner != nullptr &&
      (object == e.Owner || SameRoot(hit.Instance, e.Owner->Instance)))
    return;
  if ((e.Flags & EFF_IGNORES_SIDE) && e.Owner != nullptr && object != nullptr && object->Side == e.Owner->Side)
    return;
  if ((e.Flags & EFF_IGNORES_LAST_HIT) && hit.Instance != nullptr && hit.Instance == e.LastHitInstance) return;
  e.Position = e.PreviousPosition;
  e.LastHitInstance = hit.Instance;
  e.LastHitObject = object;
  hit.WorldPoint = point;
  Finish(e, &hit);
}

void CEffectPool::DropParticles(const CEffectInstance& e) const {
  if (g_ParticlePool == nullptr) return;
  const CVector3 seg = effects::Sub(e.Position, e.PreviousPosition);
  const float len = effects::Length(seg);
  const bool thrown = e.Kind == EFFECT_THROWN;
  if (e.Flags & EFF_PARTICLES) {
    const int n = std::clamp(static_cast<int>(len * 0.02f), 1, 6);
    const float v = thrown ? 20.0f : 30.0f;
    for (int i = 0; i < n; ++i) {
      const CVector3 at = effects::Add(e.PreviousPosition, effects::Mul(seg, static_cast<float>(i) / n));
      CParticle* p = g_ParticlePool->Spawn(at, 6, nullptr);
      if (p == nullptr) break;
      p->Velocity = {RandomFloatRange(-v, v), RandomFloatRange(-v, v), RandomFloatRange(-v, v)};
      p->SetTargetSize(thrown ? 500.0f : 1000.0f);
      p->Flags |= PF_MOVING | PF_GROWING;
    }
  }
  if (e.Flags & EFF_SMOKE_PUFFS) {
    // One puff per 100 units of path, at most four a frame.
    const int n = std::clamp(static_cast<int>(len * 0.01f), 1, 4);
    for (int i = 0; i < n; ++i) {
      const CVector3 at = effects::Add(e.PreviousPosition, effects::Mul(seg, static_cast<float>(i) / n));
      CParticle* p = g_ParticlePool->Spawn(at, 6, nullptr);
      if (p == nullptr) break;
      p->SetSize(100.0f);
      p->SetTargetSize(600.0f);
      p->SizeRate = 500.0f;
      p->SetTimeToLive(1500);
      p->Flags |= PF_GROWING;
    }
  }
}

void CEffectPool::Update() {
  if (instances_ == nullptr) return;
  const float dt = EffectsFrameTime();
  const std::uint32_t now = EffectsNow();
  const int toSee = live_;
  int seen = 0;
  for (int i = 0; i < capacity_ && seen < toSee; ++i) {
    CEffectInstance& e = instances_[i];
    if (e.State == EFFECT_FREE) continue;
    ++seen;
    if (e.State == EFFECT_FINISHED) {
      ForceFree(&e);
      continue;
    }
    Move(e, dt, now);
    if (e.State != EFFECT_FLYING) continue;
    if (e.Flags & (EFF_PARTICLES | EFF_SMOKE_PUFFS)) DropParticles(e);
    if (e.Trail != nullptr) {
      if (e.Trail->State == TRAIL_LIVE) e.Trail->AddPoint(e.Position);
      else e.Trail = nullptr;
    }
    if ((e.Flags & EFF_TIMED) && now > e.EndTime) {
      if (e.Kind != EFFECT_ALONG_HEADING && !(e.Flags & EFF_COLLIDES)) e.OnFinish = nullptr;
      Finish(e, nullptr);
    }
  }
}

void CEffectPool::RunCallbacks() {
  if (instances_ == nullptr) return;
  for (int i = 0; i < capacity_ && i < kMaxCallbackVisits; ++i) {
    CEffectInstance& e = instances_[i];
    if (e.State == EFFECT_FLYING && e.OnFrame != nullptr) e.OnFrame(&e);
  }
}

CEffectInstance* CEffectPool::TestHits(const CSphere& shape, const CHLO* asker) {
  if (instances_ == nullptr) return nullptr;
  for (int i = 0; i < capacity_; ++i) {
    CEffectInstance& e = instances_[i];
    if (e.State != EFFECT_FLYING || e.Owner == nullptr || e.Owner == asker) continue;
    // Closest point of the segment a + s (b - a), s in [0, 1], to the centre.
    const CVector3 ab = effects::Sub(e.Position, e.PreviousPosition);
    const float len2 = effects::LengthSq(ab);
    float s = 0.0f;
    if (len2 > 0.0f) s = std::clamp(effects::Dot(effects::Sub(shape.Centre, e.PreviousPosition), ab) / len2, 0.0f, 1.0f);
    const CVector3 closest = effects::Add(e.PreviousPosition, effects::Mul(ab, s));
    if (effects::DistanceSq(closest, shape.Centre) <= shape.Radius * shape.Radius) return &e;
  }
  return nullptr;
}

// --- saved game -------------------------------------------------------------------------

namespace {

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

}  // namespace

// Record: state byte; for a busy instance then kind, flags, position,
// previous position, start, target, pitch, heading, speed, start time,
// relaunch time, end time, time limit, horizontal and vertical speed,
// gravity scale, last distance², trail colour, user word, bounces, trail
// index, particle index, impact-piece index (-1 for none), owner id, target
// object id, finish and frame callback codes (-1 for none).
std::uint32_t CEffectPool::SaveAll(ByteWriter& out) const {
  for (int i = 0; i < capacity_; ++i) {
    const CEffectInstance& e = instances_[i];
    out.U8(static_cast<std::uint8_t>(e.State));
    if (e.State == EFFECT_FREE) continue;
    out.U32(e.Kind);
    out.U32(e.Flags);
    WriteVector(out, e.Position);
    WriteVector(out, e.PreviousPosition);
    WriteVector(out, e.Start);
    WriteVector(out, e.Target);
    out.F32(e.Pitch);
    out.F32(e.Heading);
    out.F32(e.Speed);
    out.U32(e.StartTime);
    out.U32(e.RelaunchTime);
    out.U32(e.EndTime);
    out.U32(e.TimeLimit);
    out.F32(e.HorizontalSpeed);
    out.F32(e.VerticalSpeed);
    out.F32(e.GravityScale);
    out.F32(e.LastDistanceSq);
    for (float c : e.TrailColour) out.F32(c);
    out.U32(e.User);
    out.U32(e.Bounces);
    out.I32(g_Trails != nullptr ? g_Trails->IndexOf(e.Trail) : -1);
    const CParticle* p = g_ParticlePool != nullptr ? g_ParticlePool->Resolve(e.Particle) : nullptr;
    out.I32(p != nullptr ? e.Particle.Index : -1);
    out.I32(g_ImpactPieces != nullptr ? g_ImpactPieces->IndexOf(e.Piece) : -1);
    out.U32(resolver_.ObjectId != nullptr ? resolver_.ObjectId(e.Owner) : 0u);
    out.U32(resolver_.ObjectId != nullptr ? resolver_.ObjectId(e.TargetObject) : 0u);
    out.I32(resolver_.CallbackCode != nullptr && e.OnFinish != nullptr
                ? resolver_.CallbackCode(reinterpret_cast<EffectAnyCallback>(e.OnFinish))
                : -1);
    out.I32(resolver_.CallbackCode != nullptr && e.OnFrame != nullptr
                ? resolver_.CallbackCode(reinterpret_cast<EffectAnyCallback>(e.OnFrame))
                : -1);
  }
  return static_cast<std::uint32_t>(capacity_);
}

bool CEffectPool::LoadAll(ByteReader& in, std::uint32_t count) {
  Clear();
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t state = in.U8();
    if (!in.Ok()) return false;
    if (state == EFFECT_FREE) continue;
    if (state != EFFECT_FLYING && state != EFFECT_FINISHED) return false;
    CEffectInstance e;
    e.State = state;
    e.Kind = in.U32();
    e.Flags = in.U32();
    e.Position = ReadVector(in);
    e.PreviousPosition = ReadVector(in);
    e.Start = ReadVector(in);
    e.Target = ReadVector(in);
    e.Pitch = in.F32();
    e.Heading = in.F32();
    e.Speed = in.F32();
    e.StartTime = in.U32();
    e.RelaunchTime = in.U32();
    e.EndTime = in.U32();
    e.TimeLimit = in.U32();
    e.HorizontalSpeed = in.F32();
    e.VerticalSpeed = in.F32();
    e.GravityScale = in.F32();
    e.LastDistanceSq = in.F32();
    for (float& c : e.TrailColour) c = in.F32();
    e.User = in.U32();
    e.Bounces = in.U32();
    const std::int32_t trail = in.I32();
    const std::int32_t particle = in.I32();
    const std::int32_t piece = in.I32();
    const std::uint32_t owner = in.U32();
    const std::uint32_t target = in.U32();
    const std::int32_t finish = in.I32();
    const std::int32_t frame = in.I32();
    if (!in.Ok()) return false;
    if (e.Kind < EFFECT_TO_TARGET || e.Kind > EFFECT_THROWN) return false;
    if (instances_ == nullptr || i >= static_cast<std::uint32_t>(capacity_)) continue;
    if (trail >= 0 && g_Trails != nullptr) e.Trail = g_Trails->Get(trail);
    if (particle >= 0 && g_ParticlePool != nullptr) {
      const CParticle* p = g_ParticlePool->GetParticle(particle);
      if (p != nullptr && p->State == PARTICLE_ALIVE) e.Particle = g_ParticlePool->RefOf(p);
    }
    if (piece >= 0 && g_ImpactPieces != nullptr) {
      e.Piece = g_ImpactPieces->SlotAt(piece);
      if (e.Piece != nullptr) e.Piece->Effect = &instances_[i];
    }
    if (e.Piece == nullptr) e.Flags &= ~EFF_HOLDS_PIECE;
    if (resolver_.ObjectById != nullptr) {
      e.Owner = owner != 0 ? resolver_.ObjectById(owner) : nullptr;
      e.TargetObject = target != 0 ? resolver_.ObjectById(target) : nullptr;
    }
    if (resolver_.CallbackByCode != nullptr) {
      if (finish >= 0) e.OnFinish = reinterpret_cast<EffectFinishCallback>(resolver_.CallbackByCode(finish));
      if (frame >= 0) e.OnFrame = reinterpret_cast<EffectFrameCallback>(resolver_.CallbackByCode(frame));
    }
    instances_[i] = e;
    ++live_;
  }
  return true;
}
