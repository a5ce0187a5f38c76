#include "world/effects/trails.h"

#include <algorithm>
#include <new>

#include "foundation/byte_reader.h"
#include "foundation/maths/random_tables.h"
#include "foundation/memory/linear_buffer.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/effects_math.h"

Trails* g_Trails = nullptr;

namespace {

constexpr float kBoxReset = 4294967296.0f;

std::uint32_t Byte(float v) {
  if (!(v > 0.0f)) return 0;
  return v >= 255.0f ? 255u : static_cast<std::uint32_t>(v);
}

}  // namespace

void CTrail::AddPoint(const CVector3& point) {
  const std::uint32_t now = EffectsNow();
  if (LastTime == now && Count == 1) return;
  if ((Flags & TRAILF_HOLD) && !EffectsClockRunning()) return;
  Points[(Count + Dropped) % RingLength] = point;
  if (Count >= RingLength) ++Dropped;
  else ++Count;
  LastTime = now;
  BoxMin = {std::min(BoxMin.x, point.x), std::min(BoxMin.y, point.y), std::min(BoxMin.z, point.z)};
  BoxMax = {std::max(BoxMax.x, point.x), std::max(BoxMax.y, point.y), std::max(BoxMax.z, point.z)};
}

void CTrail::Release() {
  if (State != TRAIL_LIVE) return;
  State = TRAIL_FADING;
  NextFadeTime = 0;
  // Fading starts from the oldest point still on the ring.
  if (FirstVisible < Dropped) FirstVisible = Dropped;
}

bool Trails::CreatePools(CLinearBuffer* buffer) {
  records_ = nullptr;
  if (buffer == nullptr || count_ <= 0) return false;
  void* memory = buffer->Alloc(static_cast<std::uint32_t>(count_ * sizeof(CTrail)), 4);
  if (memory == nullptr) return false;
  records_ = static_cast<CTrail*>(memory);
  for (int i = 0; i < count_; ++i) new (&records_[i]) CTrail();
  Clear();
  return true;
}

void Trails::Clear() {
  if (records_ != nullptr)
    for (int i = 0; i < count_; ++i) records_[i].State = TRAIL_FREE;
  next_ = 0;
}

int Trails::IndexOf(const CTrail* trail) const {
  if (trail == nullptr || records_ == nullptr || trail < records_ || trail >= records_ + count_) return -1;
  return static_cast<int>(trail - records_);
}

CTrail* Trails::Add(std::uint32_t flags, float red, float green, float blue, float alpha, const CVector3* start) {
  if (records_ == nullptr) return nullptr;
  for (int step = 0; step < count_; ++step) {
    const int i = (next_ + step) % count_;
    CTrail& t = records_[i];
    if (t.State != TRAIL_FREE) continue;
    t.State = TRAIL_LIVE;
    t.Flags = flags;
    t.Colour[0] = red;
    t.Colour[1] = green;
    t.Colour[2] = blue;
    t.Colour[3] = alpha;
    t.BoxMin = {kBoxReset, kBoxReset, kBoxReset};
    t.BoxMax = {-kBoxReset, -kBoxReset, -kBoxReset};
    t.Width = 100.0f;
    // Ring length 32, or random in [16, 64); doubled on request, but never past the ring itself.
    std::uint32_t ring = 32;
    if (flags & TRAILF_RANDOM_RING) ring = static_cast<std::uint32_t>(std::max(16, RandomIntBelow(kTrailRingPoints)));
    if (flags & TRAILF_DOUBLE_RING) ring *= 2;
    t.RingLength = std::min<std::uint32_t>(ring, kTrailRingPoints);
    t.Dropped = 0;
    t.FirstVisible = 0;
    t.NextFadeTime = 0;
    t.LastTime = EffectsNow();
    t.Count = 0;
    if (start != nullptr) {
      t.Points[0] = *start;
      t.Count = 1;
    }
    next_ = (i + 1) % count_;
    return &t;
  }
  return nullptr;
}

void Trails::Update() {
  if (records_ == nullptr) return;
  const std::uint32_t now = EffectsNow();
  for (int i = 0; i < count_; ++i) {
    CTrail& t = records_[i];
    if (t.State != TRAIL_FADING || t.NextFadeTime > now) continue;
    t.NextFadeTime = now + kTrailFadeStepMs;
    ++t.FirstVisible;
    if (t.FirstVisible + 1 >= t.Dropped + t.Count) t.State = TRAIL_FREE;
  }
}

void Trails::Render() {
  if (records_ == nullptr || g_EffectsHooks.QueueTrailStrip == nullptr) return;
  const EffectsHooks& h = g_EffectsHooks;
  TrailStripPoint strip[kTrailRingPoints];
  for (int i = 0; i < count_; ++i) {
    CTrail& t = records_[i];
    if (t.State == TRAIL_FREE || t.Count < 2 || t.RingLength == 0) continue;
    const std::uint32_t stripFlags = ((t.Flags & TRAILF_ADDITIVE) ? 1u : 0u) | ((t.Flags & TRAILF_FAR_PLANE) ? 2u : 0u);
    std::uint32_t n = t.Dropped + t.Count - t.FirstVisible;
    if (t.FirstVisible > t.Dropped + t.Count || n > t.Count) {
      n = t.Count;
      t.FirstVisible = t.Dropped;
    }
    if (n <= 2) continue;
    float r = t.Colour[0], g = t.Colour[1], b = t.Colour[2];
    if (t.Flags & TRAILF_AMBIENT) {
      r *= h.Ambient[0];
      g *= h.Ambient[1];
      b *= h.Ambient[2];
    } else if (h.NightVision) {
      if (t.Flags & TRAILF_ADDITIVE) {
        const float s = r + g + b;
        if (s > 2.0f) r = g = b = 1.0f;
        else if (s > 1.0f) r = b = s - 1.0f, g = 1.0f;
      } else {
        r = 0.0f;
        b = 0.0f;
      }
    }
    // Point k (1 .. n) from the tail: alpha and half-width grow as k / n.
    for (std::uint32_t k = 1; k <= n; ++k) {
      const float f = static_cast<float>(k) / static_cast<float>(n);
      TrailStripPoint& p = strip[k - 1];
      p.Position = t.Points[(t.FirstVisible + k - 1) % t.RingLength];
      p.HalfWidth = f * t.Width;
      p.Colour = (Byte(f * t.Colour[3] * 255.0f) << 24) | (Byte(r * 255.0f) << 16) | (Byte(g * 255.0f) << 8) |
                 Byte(b * 255.0f);
      p.Flags = stripFlags;
    }
    h.QueueTrailStrip(strip, static_cast<int>(n));
  }
}

// --- saved game -------------------------------------------------------------------------

std::uint32_t Trails::SaveAll(ByteWriter& out) const {
  for (int i = 0; i < count_; ++i) {
    const CTrail& t = records_[i];
    out.U32(t.State);
    if (t.State == TRAIL_FREE) continue;
    for (const CVector3& p : t.Points) {
      out.F32(p.x);
      out.F32(p.y);
      out.F32(p.z);
    }
    out.U32(t.Flags);
    out.U32(t.Count);
    out.U32(t.RingLength);
    out.U32(t.FirstVisible);
    out.U32(t.NextFadeTime);
    for (const CVector3* v : {&t.BoxMin, &t.BoxMax}) {
      out.F32(v->x);
      out.F32(v->y);
      out.F32(v->z);
    }
    for (float c : t.Colour) out.F32(c);
    out.F32(t.Width);
    out.U32(t.LastTime);
    out.U32(t.Dropped);
  }
  return static_cast<std::uint32_t>(count_);
}

bool Trails::LoadAll(ByteReader& in, std::uint32_t count) {
  Clear();
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t state = in.U32();
    if (!in.Ok()) return false;
    if (state == TRAIL_FREE) continue;
    // The length of any other record depends on its state: an unknown one ends the load.
    if (state != TRAIL_LIVE && state != TRAIL_FADING) return false;
    CTrail t;
    t.State = state;
    for (CVector3& p : t.Points) {
      p.x = in.F32();
      p.y = in.F32();
      p.z = in.F32();
    }
    t.Flags = in.U32();
    t.Count = in.U32();
    t.RingLength = in.U32();
    t.FirstVisible = in.U32();
    t.NextFadeTime = in.U32();
    for (CVector3* v : {&t.BoxMin, &t.BoxMax}) {
      v->x = in.F32();
      v->y = in.F32();
      v->z = in.F32();
    }
    for (float& c : t.Colour) c = in.F32();
    t.Width = in.F32();
    t.LastTime = in.U32();
    t.Dropped = in.U32();
    if (!in.Ok()) return false;
    if (t.RingLength == 0 || t.RingLength > kTrailRingPoints || t.Count > t.RingLength) return false;
    if (records_ != nullptr && i < static_cast<std::uint32_t>(count_)) records_[i] = t;
  }
  return true;
}

CTrail* TrailsAdd(std::uint32_t flags, float red, float green, float blue, float alpha, const CVector3* start) {
  return g_Trails != nullptr ? g_Trails->Add(flags, red, green, blue, alpha, start) : nullptr;
}

void TrailsClear() {
  if (g_Trails != nullptr) g_Trails->Clear();
}
