#include "world/effects/particle_emitters.h"

#include <cstdio>
#include <cstring>

#include "foundation/byte_reader.h"
#include "foundation/maths/random_tables.h"
#include "foundation/memory/memory_category.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/developer_user.h"
#include "foundation/system/message_box.h"
#include "world/effects/effects_hooks.h"
#include "world/regions/region.h"
#include "world/effects/effects_math.h"
#include "world/effects/particle_pool.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/objects/chlo.h"

CParticleEmitterList* g_ParticleEmitters = nullptr;

namespace {

constexpr const char* kNoInstance = "-NULL_OBJECT-";
// The section exists from this file version on; region and size rate from the second.
constexpr int kEmitterSectionVersion = 38;
constexpr int kEmitterRegionVersion = 53;

bool NearAView(const CVector3& point) {
  const EffectsHooks& h = g_EffectsHooks;
  const float limit = h.FogEnd * h.FogEnd * 1.4f;
  for (int i = 0; i < h.ViewCount && i < 5; ++i)
    if (effects::DistanceSq(h.ViewPositions[i], point) < limit) return true;
  return false;
}

}  // namespace

CParticleEmitterList::CParticleEmitterList(int count) : count_(count > 0 ? count : 0), records_(nullptr) {
  if (count_ > 0) records_ = MEM_NEW(MEMCAT_WORLD_OBJECT) ParticleEmitter[count_];
  ResetAll();
}

CParticleEmitterList::~CParticleEmitterList() { MEM_DELETE_ARRAY records_; }

void CParticleEmitterList::ResetAll() {
  for (int i = 0; i < count_; ++i) {
    records_[i].Flags = 0;
    records_[i].DisturbingObject = nullptr;
    records_[i].DisturbRadius = 0.0f;
  }
}

ParticleEmitter* CParticleEmitterList::FindFree() {
  for (int i = 0; i < count_; ++i) {
    ParticleEmitter& e = records_[i];
    if (e.Flags & (PEF_RUNNING | PEF_TAKEN)) continue;
    e.Flags |= PEF_RUNNING;
    e.Countdown = 0.0f;
    e.InitialCountdown = 0.0f;
    e.Instance = nullptr;
    return &e;
  }
  return nullptr;
}

void CParticleEmitterList::Disturb(CHLO* object, float radius) {
  if (object == nullptr) return;
  const CVector3 at = object->GetPosition();
  for (int i = 0; i < count_; ++i) {
    ParticleEmitter& e = records_[i];
    if (!(e.Flags & PEF_RUNNING)) continue;
    if (e.Position.y < at.y && effects::DistanceSq(e.Position, at) < radius * radius) {
      e.DisturbingObject = object;
      e.DisturbRadius = radius;
    }
  }
}

bool CParticleEmitterList::Restart(int n) {
  ParticleEmitter* e = Get(n);
  if (e == nullptr) return false;
  e->Countdown = e->InitialCountdown;
  e->Flags |= PEF_RUNNING;
  e->RunningTimeLeft = e->RunningTime;
  e->DisturbingObject = nullptr;
  return true;
}

void CParticleEmitterList::RestoreInitialStates() {
  for (int i = 0; i < count_; ++i) {
    ParticleEmitter& e = records_[i];
    e.Flags = (e.Flags & ~PEF_RUNNING) | ((e.Flags & PEF_RUNNING_AT_START) ? PEF_RUNNING : 0u);
  }
}

void CParticleEmitterList::Update() {
  const float dt = EffectsFrameTime();
  for (int i = 0; i < count_; ++i)
    if (records_[i].Flags & PEF_RUNNING) UpdateOne(records_[i], dt);
}

void CParticleEmitterList::UpdateOne(ParticleEmitter& e, float dt) {
  if (e.Flags & PEF_LIMITED) {
    if (e.RunningTimeLeft < 0.0f) {
      e.Flags &= ~PEF_RUNNING;
      e.DisturbingObject = nullptr;
      return;
    }
    e.RunningTimeLeft -= dt;
  }
  e.Countdown -= dt;
  if (e.Countdown >= 0.0f) return;

  CVector3 point = e.Position;
  if (e.Region != nullptr) {
    if (g_EffectsHooks.RegionRandomPoint != nullptr) g_EffectsHooks.RegionRandomPoint(e.Region, &point);
    else e.Region->RandomPoint(&point);
  } else if (e.Instance != nullptr) {
    e.Instance->LocalToWorld(-1, e.Position, &point);
  }
  // Only near a player's view; otherwise the emitter stays due.
  if (!NearAView(point)) return;

  // Disturbance: closeness k = 1 - d / radius of the object passing over the emitter.
  float k = -1.0f;
  if (e.DisturbingObject != nullptr) {
    bool keep = (e.DisturbingObject->Flags & HLOF_ACTIVE) != 0;
    if (keep) {
      const float d = effects::Distance(e.Position, e.DisturbingObject->GetPosition());
      if (d < e.DisturbRadius) k = 1.0f - d / e.DisturbRadius;
      else keep = false;
    }
    if (!keep) {
      e.DisturbingObject = nullptr;
      e.DisturbRadius = 0.0f;
    }
  }

  if (g_ParticlePool == nullptr) return;
  CParticle* p = g_ParticlePool->Spawn(point, e.Type, nullptr);
  if (p == nullptr) return;
  e.Countdown = RandomFloatRange(e.MinDelay, e.MaxDelay);

  CVector3 v{RandomFloatRange(e.MinVelocity.x, e.MaxVelocity.x), RandomFloatRange(e.MinVelocity.y, e.MaxVelocity.y),
             RandomFloatRange(e.MinVelocity.z, e.MaxVelocity.z)};
  if (k >= 0.0f) {
    v.x *= 1.0f + 5.0f * k;
    v.z *= 1.0f + 5.0f * k;
    v.y *= 1.0f - k;
  }
  if (e.Instance != nullptr && !(e.Flags & PEF_UNTURNED_VELOCITY)) {
    CVector3 turned{};
    e.Instance->RotateToWorld(-1, v, &turned);
    v = turned;
  }
  p->Velocity = v;

  if (e.Flags & PEF_COLOURED) {
    float r = e.Colour[0], g = e.Colour[1], b = e.Colour[2];
    if (e.Flags & PEF_COLOUR_JITTER) {
      r += RandomFloatRange(-0.04f, 0.04f);
      g += RandomFloatRange(-0.04f, 0.04f);
      b += RandomFloatRange(-0.04f, 0.04f);
    }
    p->Colour = effects::PackArgb(e.Colour[3], r, g, b);
    p->AlphaScale = e.Colour[3];
    p->Flags |= PF_COLOURED;
  }
  p->SpeedScale = 1.0f;
  p->SetSize(e.Size);
  const float life = RandomFloatRange(e.MinLifetime, e.MaxLifetime);
  p->SetTimeToLive(life > 0.0f ? static_cast<std::uint32_t>(life) : 0u);
  p->Flags |= PF_MOVING;
  if (e.Flags & PEF_TARGET_SIZE) {
    p->SetTargetSize(RandomFloatRange(e.MinTargetSize, e.MaxTargetSize));
    p->Flags |= PF_GROWING;
    if ((e.Flags & PEF_RATE_FROM_LIFETIME) && p->Lifetime != 0)
      p->SizeRate = (p->TargetSize - p->Size) * 1000.0f / static_cast<float>(p->Lifetime);
    else
      p->SizeRate = e.SizeRate;
  } else {
    p->Flags &= ~PF_GROWING;
  }
}

// --- the "<EMIT>" section ------------------------------------------------------------

namespace {

// One record after its "*", read whole; false at the first value missing or malformed.
bool ReadRecord(EnvTextCursor& text, int version, ParticleEmitter* e, int* regionId) {
  *regionId = 0;
  float f[4];
  int type = 0;
  if (!text.Real(&e->InitialCountdown)) return false;
  e->Countdown = e->InitialCountdown;
  if (!text.Reals(f, 3)) return false;
  e->Position = {f[0], f[1], f[2]};
  if (!text.Int(&type)) return false;
  e->Type = type;
  if (!text.Reals(f, 3)) return false;
  e->MinVelocity = {f[0], f[1], f[2]};
  if (!text.Reals(f, 3)) return false;
  e->MaxVelocity = {f[0], f[1], f[2]};
  if (!text.Real(&e->Size)) return false;
  if (!text.Real(&e->MinTargetSize) || !text.Real(&e->MaxTargetSize)) return false;
  if (version >= kEmitterRegionVersion) {
    if (!text.Real(&e->SizeRate) || !text.Int(regionId)) return false;
  }
  if (!text.Real(&e->MinLifetime) || !text.Real(&e->MaxLifetime)) return false;
  if (!text.Real(&e->RunningTime)) return false;
  e->RunningTimeLeft = e->RunningTime;
  if (!text.Real(&e->MinDelay) || !text.Real(&e->MaxDelay)) return false;
  if (!text.Token(e->InstanceName)) return false;
  int flags = 0;
  if (!text.Int(&flags)) return false;
  e->Flags = static_cast<std::uint32_t>(flags);
  if (!text.Word(e->Name)) return false;
  if (!text.Reals(e->Colour, 4)) return false;
  return true;
}

// Moves past the tokens of a damaged record: stops in front of the next "*"
// (answers 1), behind "</EMIT>" (answers 2), or at the end of the text (0).
int SkipToNextRecord(EnvTextCursor& text) {
  char token[256];
  for (;;) {
    const char** cursor = text.Cursor();
    const char* before = *cursor;
    if (!text.Token(token)) return 0;
    if (std::strcmp(token, "*") == 0) {
      *cursor = before;
      return 1;
    }
    if (std::strcmp(token, "</EMIT>") == 0) return 2;
  }
}

}  // namespace

bool CParticleEmitterList::ReadSection(EnvTextCursor& text, int version, CEnvironment* environment) {
  skipped_ = 0;
  if (version < kEmitterSectionVersion) return true;
  char token[256];
  if (!text.Token(token) || std::strcmp(token, "<EMIT>") != 0) return false;
  int next = 0;
  for (;;) {
    if (!text.Token(token)) return false;
    if (std::strcmp(token, "</EMIT>") == 0) return true;
    if (std::strcmp(token, "*") != 0) {
      // Something that is not a record: read on to the next record or the end.
      ++skipped_;
      const int where = SkipToNextRecord(text);
      if (where == 2) return true;
      if (where == 0) return false;
      continue;
    }
    ParticleEmitter e;
    int regionId = 0;
    if (!ReadRecord(text, version, &e, &regionId)) {
      ++skipped_;
      const int where = SkipToNextRecord(text);
      if (where == 2) return true;
      if (where == 0) return false;
      continue;
    }
    // Whole records that cannot be used are skipped as a whole.
    if (e.Type < 0 || e.Type >= kParticleTypeCount) {
      ++skipped_;
      continue;
    }
    if (std::strcmp(e.InstanceName, kNoInstance) != 0) {
      e.Instance = environment != nullptr ? environment->FindInstanceByName(e.InstanceName) : nullptr;
      if (e.Instance == nullptr) {
        ++skipped_;
        continue;
      }
    }
    if (version < kEmitterRegionVersion) e.SizeRate = g_ParticleTypes[e.Type].SizeRate;
    e.Region = regionId != 0 && g_EffectsHooks.FindRegionById != nullptr ? g_EffectsHooks.FindRegionById(regionId)
                                                                         : nullptr;
    if (!(e.MinDelay >= kEmitterMinDelay)) {  // also a delay that is not a number
      if (IsDeveloperUser())
        WarningBox("Particle Emitter \"%s\" has too small a delay: %f\n It has been set to the mininum acceptable "
                   "delay: 0.2 seconds\n",
                   e.Name, static_cast<double>(e.MinDelay));
      e.MinDelay = kEmitterMinDelay;
      if (!(e.MaxDelay >= kEmitterMinDelay)) e.MaxDelay = kEmitterMinDelay;
    }
    e.Flags = (e.Flags & ~PEF_RUNNING_AT_START) | ((e.Flags & PEF_RUNNING) ? PEF_RUNNING_AT_START : 0u);
    e.Flags |= PEF_FROM_LEVEL;
    // The list never grows: records beyond its end are read and dropped.
    if (next < count_) records_[next++] = e;
  }
}

void CParticleEmitterList::WriteSection(std::string* out) const {
  char line[1024];
  out->append("<EMIT>\r\n");
  for (int i = 0; i < count_; ++i) {
    const ParticleEmitter& e = records_[i];
    if (!(e.Flags & (PEF_RUNNING | PEF_TAKEN))) continue;
    const int regionId =
        e.Region != nullptr && g_EffectsHooks.RegionId != nullptr ? g_EffectsHooks.RegionId(e.Region) : 0;
    std::snprintf(line, sizeof line,
                  "* %f %f %f %f %d %f %f %f %f %f %f %f %f %f %f %d %f %f %f %f %f %s %d \"\" %f %f %f %f \r\n",
                  e.InitialCountdown, e.Position.x, e.Position.y, e.Position.z, e.Type, e.MinVelocity.x,
                  e.MinVelocity.y, e.MinVelocity.z, e.MaxVelocity.x, e.MaxVelocity.y, e.MaxVelocity.z, e.Size,
                  e.MinTargetSize, e.MaxTargetSize, e.SizeRate, regionId, e.MinLifetime, e.MaxLifetime,
                  e.RunningTime, e.MinDelay, e.MaxDelay,
                  e.Instance != nullptr && e.InstanceName[0] ? e.InstanceName : kNoInstance,
                  static_cast<int>(e.Flags), e.Colour[0], e.Colour[1], e.Colour[2], e.Colour[3]);
    out->append(line);
  }
  out->append("</EMIT> \r\n");
}

// --- saved game --------------------------------------------------------------------------

void CParticleEmitterList::SaveStates(ByteWriter& out, int max) const {
  int written = 0;
  for (int i = 0; i < count_ && written < max; ++i) {
    const ParticleEmitter& e = records_[i];
    if (!(e.Flags & PEF_FROM_LEVEL)) continue;
    out.I32(i);
    out.F32(e.Countdown);
    out.F32(e.RunningTimeLeft);
    out.U32(e.Flags);
    ++written;
  }
  for (; written < max; ++written) {
    out.I32(-1);
    out.U32(0);
    out.U32(0);
    out.U32(0);
  }
}

bool CParticleEmitterList::LoadStates(ByteReader& in, int max) {
  RestoreInitialStates();
  for (int n = 0; n < max; ++n) {
    const std::int32_t index = in.I32();
    const float countdown = in.F32();
    const float left = in.F32();
    const std::uint32_t flags = in.U32();
    if (!in.Ok()) return false;
    if (index == -1) break;
    ParticleEmitter* e = Get(index);
    if (e == nullptr) continue;
    e->Countdown = countdown;
    e->RunningTimeLeft = left;
    e->Flags = flags;
  }
  return true;
}
