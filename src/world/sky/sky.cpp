#include "world/sky/sky.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "control/hud_toggle.h"
#include "foundation/system/debug_output.h"
#include "foundation/time/timer.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "render/geometry/camera.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "scene/lights/light_table.h"
#include "world/engine_routines.h"
#include "world/environment/env_object.h"

namespace {

constexpr float kHalfPi = 1.5707963f;
constexpr float kDegToRad = 0.017453292f;
constexpr float kSecondsPerHour = 3600.0f;
constexpr float kHoursPerDay = 24.0f;
constexpr float kSunrise = 6.0f;
constexpr float kSunset = 18.0f;
// Within 25 minutes of sunrise and sunset the light's colours pass through black.
constexpr float kChangeHalfWidth = 25.0f / 60.0f;
constexpr float kChangeScalePerHour = 2.4f;
// Where the dome gradient's zero lies along z, as a part of W.
constexpr float kGradientOffset = 0.515625f;
constexpr float kFlareBias = 0.4f;

CSky* g_CurrentSky = nullptr;
SkyFogOptions g_FogOptions;

CColour Blend(const CColour& a, const CColour& b, float t) {
  CColour out;
  a.Lerp(b, &out, t);
  return out;
}

CColour Grey(const CColour& c) {
  const float m = (c.r + c.g + c.b) / 3.0f;
  return CColour{m, m, m, c.a};
}

CColour Scaled(const CColour& c, float s) { return CColour{c.r * s, c.g * s, c.b * s, c.a}; }

// Whether moving from `from` to `to` (the way the rate runs, round midnight
// when the time wrapped) went past the hour.
bool Passed(float from, float to, float hour, bool forward) {
  if (forward) return to >= from ? (hour > from && hour <= to) : (hour > from || hour <= to);
  return to <= from ? (hour < from && hour >= to) : (hour < from || hour >= to);
}

}  // namespace

void SetSkyFogOptions(const SkyFogOptions& options) { g_FogOptions = options; }
const SkyFogOptions& GetSkyFogOptions() { return g_FogOptions; }

float SkyWrapHours(float hours) {
  if (!std::isfinite(hours)) return 0.0f;
  float h = std::fmod(hours, kHoursPerDay);
  if (h < 0.0f) h += kHoursPerDay;
  return h >= kHoursPerDay ? 0.0f : h;
}

float SkyCurrentHours() { return g_CurrentSky != nullptr ? g_CurrentSky->GetTimeOfDay() : 12.0f; }

CSky* CSky::Current() { return g_CurrentSky; }

CSky::CSky(CRender* render, CTextureManager* textures, CMaterialList* materials, CLinearBuffer* frameBlock,
           DepthSortQueue* queue, CTimer* gameClock)
    : Render(render),
      Textures(textures),
      Materials(materials),
      FrameBlock(frameBlock),
      Queue(queue),
      GameClock(gameClock) {
  const auto& keys = SkyDefaultColourKeys();
  for (int g = 0; g < SKYCOLOUR_GROUPS; ++g)
    for (int k = 0; k < kSkyColourKeys; ++k) Colours[g][k] = keys[g][k];
  g_CurrentSky = this;
  SetTimeOfDaySource(SkyCurrentHours);
}

CSky::~CSky() {
  if (g_CurrentSky == this) {
    g_CurrentSky = nullptr;
    SetTimeOfDaySource(nullptr);
  }
}

// --- Settings -----------------------------------------------------------------------------

int CSky::LoadSettings(EnvTextCursor& text, int version) {
  SkySettings settings;
  if (!ReadSettings(text, version, &settings)) return 0;
  ApplySettings(settings);
  return 1;
}

bool CSky::ReadSettings(EnvTextCursor& text, int version, SkySettings* settings) {
  int line = 0;
  if (!settings->Load(text, version, &line)) {
    DebugTrace("Environment file: the sky section is damaged at line %d\n", line);
    return false;
  }
  ApplyFogOptions(settings);
  for (SkyLayerSettings& layer : settings->Layers) {
    layer.Texture = 0;
    if (std::strncmp(layer.TextureName.c_str(), kSkyNoTexture, std::strlen(kSkyNoTexture)) == 0) continue;
    CTexture* texture = Textures != nullptr ? Textures->GetTexture(layer.TextureName.c_str(), 0) : nullptr;
    if (texture != nullptr) layer.Texture = texture->Id;
  }
  if (Render != nullptr)
    Render->SetFog(settings->Colours[SKYCOLOUR_FOG][0].ToARGB(), settings->FogStart, settings->FogStop, 1.0f);
  if (CCamera* camera = CCamera::GetCurrentCamera()) camera->SetFarClip(settings->FogStop);
  return true;
}

// The level start's choice: without the far fog the visibility scale is 1;
// with it an explicit range wins, else a factor above 0 scales the range,
// else the far range replaces it and sight reaches as much farther.
void CSky::ApplyFogOptions(SkySettings* s) const {
  const SkyFogOptions& o = g_FogOptions;
  if (!o.FarFog) {
    EnvSetVisibilityScale(1.0f);
  } else if (o.Start >= 0.0f && o.Stop > 0.0f) {
    s->FogStart = o.Start;
    s->FogStop = o.Stop;
  } else if (o.Factor > 0.0f) {
    s->FogStart *= o.Factor;
    s->FogStop *= o.Factor;
  } else {
    const float stop = s->FogStop;
    s->FogStart = s->FarFogStart;
    s->FogStop = s->FarFogStop;
    // A level without a fog stop has nothing to compare the far range with.
    EnvSetVisibilityScale(stop > 0.0f ? s->FarFogStop / stop : 1.0f);
  }
}

void CSky::ApplySettings(const SkySettings& s) {
  FogStart = DefaultFogStart = s.FogStart;
  FogStop = DefaultFogStop = s.FogStop;
  FarFogStart = DefaultFarFogStart = s.FarFogStart;
  FarFogStop = DefaultFarFogStop = s.FarFogStop;
  TimeOfDay = SkyWrapHours(s.TimeOfDay);
  for (int g = 0; g < SKYCOLOUR_GROUPS; ++g)
    for (int k = 0; k < kSkyColourKeys; ++k) Colours[g][k] = s.Colours[g][k];
  Rate = 0.0f;
  for (int i = 0; i < kSkyLayerCount; ++i) {
    const std::uint32_t id = s.Layers[i].Texture;
    CTexture* texture = id != 0 && Textures != nullptr ? Textures->FindById(id) : nullptr;
    Layers[i].Set(texture, s.Layers[i], kSkyLayerScale, FogStop);
  }
}

void CSky::GetSettings(SkySettings* s) const {
  s->Blank();
  s->FogStart = FogStart;
  s->FogStop = FogStop;
  s->FarFogStart = FarFogStart;
  s->FarFogStop = FarFogStop;
  s->TimeOfDay = TimeOfDay;
  for (int g = 0; g < SKYCOLOUR_GROUPS; ++g)
    for (int k = 0; k < kSkyColourKeys; ++k) s->Colours[g][k] = Colours[g][k];
  for (int i = 0; i < kSkyLayerCount; ++i) {
    const CSkyLayer& from = Layers[i];
    SkyLayerSettings& to = s->Layers[i];
    to.Texture = from.Texture != nullptr ? from.Texture->Id : 0;
    to.TextureName = from.Texture != nullptr && from.Texture->Name != nullptr ? from.Texture->Name : kSkyNoTexture;
    to.TileFactor = from.TileFactor;
    to.FixedY = from.FixedY;
    std::copy(from.Speed, from.Speed + 3, to.Speed);
    to.Curvature = from.Curvature;
    to.Height = from.Height;
  }
}

// --- Fog -----------------------------------------------------------------------------------

void CSky::ApplyFogToDevice() const {
  if (Render != nullptr) {
    Render->SetFogStart(FogStart);
    Render->SetFogEnd(FogStop);
  }
  if (CCamera* camera = CCamera::GetCurrentCamera()) camera->SetFarClip(FogStop);
}

void CSky::SetFogRange(float start, float stop) {
  FogStart = start;
  FogStop = stop;
  ApplyFogToDevice();
}

void CSky::ResetFogRange() { SetFogRange(DefaultFogStart, DefaultFogStop); }

void CSky::FadeFogStart(float target, float seconds) {
  if (seconds <= 0.0f) {
    FogStartRemaining = -1.0f;
    SetFogRange(target, FogStop);
    return;
  }
  FogStartTarget = target;
  FogStartRate = (target - FogStart) / seconds;
  FogStartRemaining = seconds;
}

void CSky::FadeFogStop(float target, float seconds) {
  if (seconds <= 0.0f) {
    FogStopRemaining = -1.0f;
    SetFogRange(FogStart, target);
    return;
  }
  FogStopTarget = target;
  FogStopRate = (target - FogStop) / seconds;
  FogStopRemaining = seconds;
}

// --- Time of day -------------------------------------------------------------------------

void CSky::SetTimeOfDay(float hours) { TimeOfDay = SkyWrapHours(hours); }

void CSky::StopTimeAt(float hours) {
  StopAtOn = 1;
  StopAtTime = SkyWrapHours(hours);
}

void CSky::SetSunSprites(bool enabled, int daySprite, int nightSprite) {
  SpritesOn = enabled ? 1 : 0;
  DaySprite = daySprite;
  NightSprite = nightSprite;
}

// --- Per frame ---------------------------------------------------------------------------

void CSky::Step() {
  const float dt = GameClock != nullptr ? GameClock->GetFrameTime() : 0.0f;
  const float before = TimeOfDay;
  float t = before + dt * (1.0f / kSecondsPerHour) * Rate;
  // Forwards past midnight the day starts again at 0; backwards it comes
  // round from 24 (the time would otherwise stick at midnight).
  if (t >= kHoursPerDay || !std::isfinite(t))
    t = 0.0f;
  else if (t < 0.0f)
    t = SkyWrapHours(t);

  // Fog fades: the value moves by its rate while time remains, then takes the target.
  bool moved = false;
  auto fade = [&](float* value, float target, float rate, float* remaining) {
    if (*remaining < 0.0f) return;
    *remaining -= dt;
    if (*remaining > 0.0f) {
      *value += rate * dt;
    } else {
      *value = target;
      *remaining = -1.0f;
    }
    moved = true;
  };
  fade(&FogStart, FogStartTarget, FogStartRate, &FogStartRemaining);
  fade(&FogStop, FogStopTarget, FogStopRate, &FogStopRemaining);
  if (moved) ApplyFogToDevice();

  TimeOfDay = t;
  if (StopAtOn && Rate != 0.0f && Passed(before, t, StopAtTime, Rate > 0.0f)) {
    Rate = 0.0f;
    StopAtOn = 0;
  }
  for (CSkyLayer& layer : Layers) layer.Scroll(dt);
  if (Render != nullptr) Render->m_DayFlag = t >= kSunrise && t <= kSunset ? kSkyDayFlag : 0;
}

void CSky::UpdateLighting() {
  SkyLighting& l = m_Lighting;
  l.Hours = SkyWrapHours(TimeOfDay);
  l.Key = std::clamp(static_cast<int>(std::floor(l.Hours / kSkyHoursPerKey)), 0, kSkyColourKeys - 1);
  l.Fraction = l.Hours / kSkyHoursPerKey - static_cast<float>(l.Key);
  const int next = (l.Key + 1) % kSkyColourKeys;
  for (int g = 0; g < SKYCOLOUR_GROUPS; ++g) l.Colours[g] = Blend(Colours[g][l.Key], Colours[g][next], l.Fraction);

  const std::uint32_t view = CurrentHudToggle().GetOn();
  if (view == 1)
    for (int g : {SKYCOLOUR_EAST, SKYCOLOUR_SKY, SKYCOLOUR_WEST}) l.Colours[g] = Grey(l.Colours[g]);
  WriteDomeGradient();
  UpdateSunLight();

  l.FogColour = l.Colours[SKYCOLOUR_FOG].ToARGB();
  PackedColour = l.FogColour;
  if (Render != nullptr) Render->SetClearColour(view != 0 ? CurrentHudToggle().GetColour() : PackedColour);
}

// With W twice the outer layer's radius, g = 1 - (z + 0.515625 W) / W runs
// from about 0.1 at the east rim (+z) to about 0.9 at the west rim (-z);
// below one half the colour goes from east to sky, above it from sky to west.
void CSky::WriteDomeGradient() {
  const float w = 2.0f * Layers[1].HalfSize;
  if (w <= 0.0f || !Layers[0].IsBuilt()) return;
  const CColour& east = m_Lighting.Colours[SKYCOLOUR_EAST];
  const CColour& sky = m_Lighting.Colours[SKYCOLOUR_SKY];
  const CColour& west = m_Lighting.Colours[SKYCOLOUR_WEST];
  for (int i = 0; i < kSkyLayerVertices; ++i) {
    const float g = 1.0f - (Layers[0].Vertices[i].z + w * kGradientOffset) / w;
    const CColour c = g >= 0.5f ? Blend(sky, west, (g - 0.5f) * 2.0f) : Blend(east, sky, g * 2.0f);
    const DWORD packed = c.ToARGB();
    Layers[0].Vertices[i].Colour = packed;
    if (Layers[1].IsBuilt()) Layers[1].Vertices[i].Colour = packed;
  }
}

// The sun by day, the moon by night, each crossing the sky from east to
// west in twelve hours: its angle above the east horizon is 180 degrees x
// the part of its half-day gone.  The light travels from there towards the
// ground: with the elevation e = min(angle, 180 - angle) as the light's
// pitch and the yaw 180 (towards -z) while it rises, 0 once it sets,
// direction = (sin yaw cos e, -sin e, cos yaw cos e).  The diffuse colour
// is the key colour times the strength; near sunrise and sunset both
// colours are scaled down to black at the change.
void CSky::UpdateSunLight() {
  SkyLighting& l = m_Lighting;
  const float h = l.Hours;
  l.Day = h >= kSunrise && h <= kSunset;
  float x;
  if (l.Day) {
    l.Angle = 180.0f * (h - kSunrise) / 12.0f;
    x = h <= 12.0f ? (h - kSunrise) / 6.0f : 1.0f - (h - 12.0f) / 6.0f;
  } else {
    const float sinceSunset = h >= kSunset ? h - kSunset : h + (kHoursPerDay - kSunset);
    l.Angle = 180.0f * sinceSunset / 12.0f;
    x = h >= kSunset ? std::min(1.0f, 5.0f * (h - kSunset) / 6.0f) : std::min(1.0f, 5.0f * (1.0f - h / 6.0f));
  }
  l.Strength = std::sin(std::sin(x * kHalfPi) * kHalfPi);
  const float fromChange = std::min(std::fabs(h - kSunrise), std::fabs(h - kSunset));
  l.ChangeScale = fromChange < kChangeHalfWidth ? fromChange * kChangeScalePerHour : 1.0f;

  const bool rising = l.Angle <= 90.0f;
  const float elevation = rising ? l.Angle : 180.0f - l.Angle;
  l.LightAngles = CVector3{elevation, rising ? 180.0f : 0.0f, 0.0f};
  const float pitch = elevation * kDegToRad, yaw = l.LightAngles.y * kDegToRad;
  l.LightDirection = CVector3{std::sin(yaw) * std::cos(pitch), -std::sin(pitch), std::cos(yaw) * std::cos(pitch)};
  l.LightAmbient = Scaled(l.Colours[SKYCOLOUR_SUN_AMBIENT], l.ChangeScale);
  l.LightDiffuse = Scaled(l.Colours[SKYCOLOUR_SUN_DIFFUSE], l.Strength * l.ChangeScale);

  float facing = 0.0f;
  if (const CCamera* camera = CCamera::GetCurrentCamera()) {
    const CVector3& f = camera->GetForward();
    facing = -(f.x * l.LightDirection.x + f.y * l.LightDirection.y + f.z * l.LightDirection.z);
  }
  l.FlareBrightness = std::clamp(facing + kFlareBias, 0.0f, 1.0f);

  CLightTable* table = CLightTable::Current();
  const LightRecord* sun = table != nullptr ? table->GetLight(0) : nullptr;
  if (sun == nullptr || !(sun->Flags & kLightOnDevice)) return;
  table->SetAngles(0, l.LightAngles);
  table->SetColours(0, l.LightAmbient, l.LightDiffuse, 0.0f);
}

// --- Drawing -------------------------------------------------------------------------------

void CSky::Draw(DWORD fogColour) {
  CCamera* camera = CCamera::GetCurrentCamera();
  if (Render == nullptr || camera == nullptr) return;
  const float d = camera->GetFarClip();
  const float fov = camera->GetFieldOfView();
  const CVector3 eye = camera->GetPosition();
  DWORD keptColour = 0;
  float keptStart = 0.0f, keptEnd = 0.0f, keptDensity = 0.0f;
  Render->GetFog(&keptColour, &keptStart, &keptEnd, &keptDensity);
  const std::uint32_t view = CurrentHudToggle().GetOn();
  const DWORD viewColour = CurrentHudToggle().GetColour();

  Render->SetCullMode(D3DCULL_NONE);
  Render->SetLighting(0);
  Render->SetBilinearFilter(1);
  Render->SetZEnable(0);
  Render->SetZWrite(0);
  Render->SetBlendMode(3);
  Render->SetTextureClampU(0);
  Render->SetTextureClampV(0);
  Render->SetAlphaTest(0, Render->GetRenderStateCached(D3DRS_ALPHAREF));

  // Each layer around the eye with a projection out to four far distances
  // and a fog of its own.
  auto drawLayer = [&](const CSkyLayer& layer) {
    if (!layer.IsBuilt()) return;
    CMatrix world;
    world.SetIdentity();
    world.SetTranslationXYZ(eye.x, layer.FixedY ? 0.0f : eye.y, eye.z);
    Render->SetWorldMatrix(world);
    camera->SetProjection(fov, kSkyNearDistance, 4.0f * d);
    camera->ApplyProjection();
    if (view != 0)
      Render->SetFog(viewColour, kSkyLayerFogStart, 4.0f * d - kSkyLayerFogEndMargin, 1.0f);
    else
      Render->SetFog(PackedColour, kSkyLayerFogStart, 4.0f * d - kSkyLayerFogEndMargin, kSkyLayerFogDensity);
    layer.Draw(Render);
  };
  drawLayer(Layers[0]);
  DrawSprite(eye);
  drawLayer(Layers[1]);

  camera->SetProjection(fov, kSkyNearDistance, d);
  camera->ApplyProjection();
  camera->SetFarClip(d);
  Render->SetLighting(1);
  Render->SetCullMode(D3DCULL_CCW);
  Render->SetZEnable(1);
  Render->SetZWrite(1);
  Render->SetFog(view != 0 ? viewColour : fogColour, keptStart, keptEnd, keptDensity);
}

// The sprite lies 10000 units from the eye towards the sun (against light
// 0's direction) and grows towards the horizon by
// (1 - sin(sin(sin(|dy| pi/2) pi/2) pi/2)) / 4 + 1, dy the height part of the direction.
void CSky::DrawSprite(const CVector3& eye) {
  if (!SpritesOn || SpriteSheet == nullptr) return;
  const int sprite = m_Lighting.Day ? DaySprite : NightSprite;
  if (sprite == -1) return;
  const CVector3& l = m_Lighting.LightDirection;
  const CVector3 position{eye.x - l.x * kSkySpriteDistance, eye.y - l.y * kSkySpriteDistance,
                          eye.z - l.z * kSkySpriteDistance};
  const float dy = std::fabs(l.y);
  const float enlarge = (1.0f - std::sin(std::sin(std::sin(dy * kHalfPi) * kHalfPi) * kHalfPi)) * 0.25f + 1.0f;
  CMatrix identity;
  identity.SetIdentity();
  Render->SetWorldMatrix(identity);
  SpriteSheet->DrawBillboard(sprite, position, 100.0f * enlarge);
}
