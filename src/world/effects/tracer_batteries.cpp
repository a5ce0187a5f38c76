#include "world/effects/tracer_batteries.h"

#include <algorithm>
#include <cstdio>

#include "foundation/maths/random_tables.h"
#include "world/effects/effect_pool.h"
#include "world/effects/effects_math.h"
#include "world/effects/trails.h"
#include "world/environment/env_text_cursor.h"

TracerBatteries* g_TracerBatteries = nullptr;

namespace {

constexpr float kAimLimit = 50000.0f;       // horizontal aim offset, each way
constexpr float kAimSpeedLimit = 40000.0f;  // horizontal aim velocity, each way
constexpr float kAimWander = 20000.0f;      // change of the aim velocity per second, at most
constexpr float kTracerSpeed = 3000.0f;
constexpr std::uint32_t kTracerLifeMs = 2000;
constexpr float kShotInterval = 0.4f;

void NewBurst(TracerBattery& b) {
  b.ShotsLeft = RandomIntRange(2, 10);
  b.BurstTimer = RandomFloatRange(1.5f, 4.0f);
}

}  // namespace

bool TracerBatteries::Read(EnvTextCursor& text, int /*version*/) {
  batteries_.clear();
  char keyword[64];
  int count = 0;
  if (!text.Word(keyword) || !text.Int(&count)) return false;
  if (count < 0 || count > kMaxTracerBatteries) return false;
  std::vector<TracerBattery> read;
  read.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    float p[3];
    if (!text.Reals(p, 3)) return false;
    TracerBattery b;
    b.Position = {p[0], p[1], p[2]};
    NewBurst(b);
    b.AimOffset = {RandomFloatRange(-kAimLimit, kAimLimit), 100000.0f, RandomFloatRange(-kAimLimit, kAimLimit)};
    b.AimVelocity = {RandomFloatRange(-kAimSpeedLimit, kAimSpeedLimit), 0.0f,
                     RandomFloatRange(-kAimSpeedLimit, kAimSpeedLimit)};
    read.push_back(b);
  }
  batteries_ = std::move(read);
  return true;
}

void TracerBatteries::Write(std::string* out, const std::vector<CVector3>& positions) {
  char line[128];
  std::snprintf(line, sizeof line, "TRACERBATTERIES %d\r\n", static_cast<int>(positions.size()));
  out->append(line);
  for (const CVector3& p : positions) {
    std::snprintf(line, sizeof line, "%f %f %f\r\n", p.x, p.y, p.z);
    out->append(line);
  }
}

void TracerBatteries::Update(float dt) {
  for (TracerBattery& b : batteries_) {
    // Sweep: the offset follows the velocity and stops at its bounds.
    b.AimOffset = effects::Add(b.AimOffset, effects::Mul(b.AimVelocity, dt));
    for (float* axis : {&b.AimOffset.x, &b.AimOffset.z}) {
      if (*axis > kAimLimit || *axis < -kAimLimit) {
        *axis = std::clamp(*axis, -kAimLimit, kAimLimit);
        (axis == &b.AimOffset.x ? b.AimVelocity.x : b.AimVelocity.z) = 0.0f;
      }
    }
    b.AimVelocity.x = std::clamp(b.AimVelocity.x + RandomFloatRange(-kAimWander * dt, kAimWander * dt),
                                 -kAimSpeedLimit, kAimSpeedLimit);
    b.AimVelocity.z = std::clamp(b.AimVelocity.z + RandomFloatRange(-kAimWander * dt, kAimWander * dt),
                                 -kAimSpeedLimit, kAimSpeedLimit);
    b.BurstTimer -= dt;
    if (b.BurstTimer >= 0.0f) continue;
    if (g_EffectPool != nullptr) {
      EffectDesc d;
      d.Kind = EFFECT_TO_TARGET;
      d.Start = b.Position;
      d.Target = effects::Add(b.Position, b.AimOffset);
      d.Speed = kTracerSpeed;
      d.Flags = EFF_TRAIL;
      d.TrailColour[0] = 1.0f;
      d.TrailColour[1] = 0.694f;
      d.TrailColour[2] = 0.208f;
      d.TrailColour[3] = 0.5f;
      if (CEffectInstance* e = g_EffectPool->Spawn(d)) {
        e->SetTimeLimit(kTracerLifeMs);
        if (e->Trail != nullptr) {
          e->Trail->Width = 25.0f;
          e->Trail->Flags = TRAILF_ADDITIVE | TRAILF_FAR_PLANE;
          e->Trail->RingLength = std::max<std::uint32_t>(1, e->Trail->RingLength / 5);
          if (e->Trail->Count > e->Trail->RingLength) e->Trail->Count = e->Trail->RingLength;
        }
      }
    }
    if (b.ShotsLeft <= 0) {
      NewBurst(b);
    } else {
      --b.ShotsLeft;
      b.BurstTimer = kShotInterval;
    }
  }
}
