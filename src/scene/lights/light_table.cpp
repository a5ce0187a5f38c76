#include "scene/lights/light_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "foundation/time/timer.h"
#include "render/colour/colour_fade.h"
#include "render/colour/flicker_colour.h"
#include "render/device/render.h"
#include "render/geometry/matrix.h"
#include "world/environment/env_instance.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kDegToRad = kPi / 180.0f;
// An inner cone equal to the outer one above this is made 20 degrees narrower.
constexpr float kMinConeGap = 0.34906587f;

D3DCOLORVALUE ToDevice(const CColour& c) { return D3DCOLORVALUE{c.r, c.g, c.b, c.a}; }
CColour FromDevice(const D3DCOLORVALUE& c) {
  CColour out;
  out.r = c.r;
  out.g = c.g;
  out.b = c.b;
  out.a = c.a;
  return out;
}
CColour Negated(const CColour& c) {
  CColour out = c;
  out.r = -c.r;
  out.g = -c.g;
  out.b = -c.b;
  return out;
}
CColour AddHeld(const CColour& a, const CColour& b) {
  CColour out;
  out.r = std::clamp(a.r + b.r, 0.0f, 1.0f);
  out.g = std::clamp(a.g + b.g, 0.0f, 1.0f);
  out.b = std::clamp(a.b + b.b, 0.0f, 1.0f);
  out.a = std::clamp(a.a + b.a, 0.0f, 1.0f);
  return out;
}

}  // namespace

CVector3 LightDirectionFromAngles(const CVector3& angles) {
  CMatrix m;
  m.SetIdentity();
  m.RotateY(angles.y);
  m.RotateX(angles.x);
  m.RotateZ(angles.z);
  // The camera's forward axis for the same angles: column 2 of the rotation.
  CVector3 out{m.m[0][2], m.m[1][2], m.m[2][2]};
  const float len = std::sqrt(out.x * out.x + out.y * out.y + out.z * out.z);
  if (len > 0.0f) {
    out.x /= len;
    out.y /= len;
    out.z /= len;
  }
  return out;
}

CLightTable::CLightTable(int capacity) {
  Capacity = std::clamp(capacity, 0, 255);
  m_Records = new LightRecord[Capacity > 0 ? Capacity : 1];
  s_Current = this;
  Lights = m_Records;
  Count = Capacity;
  ActiveCount = 0;
  Reset();
}

CLightTable::~CLightTable() {
  if (s_Current == this) {
    ClearActive();
    for (int i = 0; i < Capacity; ++i)
      if ((m_Records[i].Flags & kLightEnabledNow) && g_Device != nullptr)
        g_Device->LightEnable(static_cast<DWORD>(i), FALSE);
  }
  for (int i = 0; i < Capacity; ++i) FreeRecord(m_Records[i]);
  delete SunFade;
  if (s_Current == this) {
    s_Current = nullptr;
    Lights = nullptr;
    Count = 0;
    ActiveCount = 0;
  }
  delete[] m_Records;
}

void CLightTable::FreeRecord(LightRecord& r) {
  delete r.Animation;
  delete r.Fade;
  r.Animation = nullptr;
  r.Fade = nullptr;
}

void CLightTable::Reset() {
  if (s_Current == this) ClearActive();
  for (int i = 0; i < Capacity; ++i) {
    FreeRecord(m_Records[i]);
    m_Records[i] = LightRecord{};
    m_Records[i].Index = static_cast<std::uint8_t>(i);
  }
  LightCount = 0;
  HighestUsed = -1;
  std::fill(std::begin(ChainHeads), std::end(ChainHeads), kNoLight);
  NightVisionIndex = FlashingLightIndex = NonDirLightIndex = kNoLight;
  SunIndex = 0;
  LastTime = -1.0f;
}

// ---- Creation ---------------------------------------------------------------------

int CLightTable::Take(int index, D3DLIGHTTYPE type) {
  if (index == kNoLight) {
    index = -1;
    for (int i = 0; i < Capacity && index < 0; ++i)
      if (!(m_Records[i].Flags & kLightOnDevice)) index = i;
  }
  if (index < 0 || index >= Capacity) return -1;
  LightRecord& r = m_Records[index];
  if (r.Flags & kLightOnDevice) {
    // A record read twice is replaced: take it out of its chain first.
    Unchain(index);
    --LightCount;
  }
  FreeRecord(r);
  r = LightRecord{};
  r.Index = static_cast<std::uint8_t>(index);
  r.Flags = kLightOnDevice | kLightSwitchedOn;
  r.GlowSprite = DefaultGlow;
  D3DLIGHT8& l = r.Light;
  l.Type = type;
  l.Specular = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
  l.Falloff = 1.0f;
  l.Attenuation0 = 1.0f;
  l.Range = kDirectionalRange;
  ++LightCount;
  HighestUsed = std::max(HighestUsed, index);
  return index;
}

void CLightTable::Chain(int i, int chain) {
  LightRecord& r = m_Records[i];
  r.Chain = static_cast<std::uint8_t>(std::clamp(chain, 0, kLightChains - 1));
  r.Next = ChainHeads[r.Chain];
  ChainHeads[r.Chain] = static_cast<std::uint8_t>(i);
}

void CLightTable::Unchain(int i) {
  for (std::uint8_t& head : ChainHeads) {
    for (std::uint8_t* link = &head; *link != kNoLight; link = &m_Records[*link].Next) {
      if (*link == i) {
        *link = m_Records[i].Next;
        m_Records[i].Next = kNoLight;
        return;
      }
    }
  }
}

void CLightTable::StoreSpotCone(LightRecord& r) {
  r.CosInner = std::cos(r.Light.Theta * 0.5f);
  r.CosOuter = std::cos(r.Light.Phi * 0.5f);
  const float span = r.CosInner - r.CosOuter;
  r.InvConeSpan = span > 0.0f ? 1.0f / span : 0.0f;
}

int CLightTable::CreateDirectionalLight(const CVector3& position, const CVector3& angles, const CColour& diffuse,
                                        const CColour& ambient, const char*, int index) {
  const int i = Take(index, D3DLIGHT_DIRECTIONAL);
  if (i < 0) return -1;
  LightRecord& r = m_Records[i];
  r.StoredDiffuse = Limited(i, diffuse);
  r.StoredAmbient = Limited(i, ambient);
  Chain(i, 0);
  SetPosition(i, position);
  SetAngles(i, angles);
  ApplyColours(i);
  return i;
}

int CLightTable::CreateSpotLight(const CVector3& position, const CVector3& angles, const CColour& diffuse,
                                 const CColour& ambient, float inner, float outer, float range, const char*,
                                 int index) {
  const int i = Take(index, D3DLIGHT_SPOT);
  if (i < 0) return -1;
  LightRecord& r = m_Records[i];
  r.StoredDiffuse = Limited(i, diffuse);
  r.StoredAmbient = Limited(i, ambient);
  float theta = std::min(inner * kDegToRad, kPi);
  const float phi = std::min(outer * kDegToRad, kPi);
  theta = std::min(theta, phi);
  if (theta == phi && theta > kMinConeGap) theta = phi - kMinConeGap;
  r.Light.Theta = theta;
  r.Light.Phi = phi;
  StoreSpotCone(r);
  r.Light.Range = range;
  r.Light.Attenuation1 = 0.0f;
  r.Light.Attenuation2 = range > 0.0f ? 5.0f / (range * range) : 0.0f;
  Chain(i, 0);
  SetPosition(i, position);
  SetAngles(i, angles);
  ApplyColours(i);
  return i;
}

int CLightTable::CreatePointLight(const CVector3& position, const CColour& diffuse, const CColour& ambient,
                                  float range, const char*, int index) {
  const int i = Take(index, D3DLIGHT_POINT);
  if (i < 0) return -1;
  LightRecord& r = m_Records[i];
  r.StoredDiffuse = Limited(i, diffuse);
  r.StoredAmbient = Limited(i, ambient);
  r.Light.Range = range;
  r.Light.Attenuation1 = 0.0f;
  r.Light.Attenuation2 = range > 0.0f ? 5.0f / (range * range) : 0.0f;
  Chain(i, 0);
  SetPosition(i, position);
  ApplyColours(i);
  return i;
}

int CLightTable::CreateLight(int chain, D3DLIGHTTYPE type) {
  const int i = Take(kNoLight, type);
  if (i < 0) return -1;
  LightRecord& r = m_Records[i];
  r.Flags = kLightOnDevice | kLightEngineMade | kLightRunTime;
  if (type != D3DLIGHT_DIRECTIONAL) r.Light.Range = 1000.0f;
  Chain(i, chain);
  Send(i);
  return i;
}

// ---- Device -----------------------------------------------------------------------

void CLightTable::Send(int i) const {
  if (g_Device != nullptr) g_Device->SetLight(static_cast<DWORD>(i), &m_Records[i].Light);
}

// ---- Placement --------------------------------------------------------------------

void CLightTable::PlaceAttached(LightRecord& r) {
  D3DLIGHT8& l = r.Light;
  if (!(r.Flags & kLightAttached) || r.Instance == nullptr) {
    l.Position = D3DVECTOR{r.Position.x, r.Position.y, r.Position.z};
    const CVector3 d = LightDirectionFromAngles(r.Angles);
    l.Direction = D3DVECTOR{d.x, d.y, d.z};
    return;
  }
  // Instance space to world: p' = p x W (row vectors); directions by W's rotation.
  const CMatrix& w = r.Instance->GetWorldMatrix();
  CVector3 p{};
  w.TransformPoint(r.Position, &p);
  CVector3 d{};
  w.RotateVector(LightDirectionFromAngles(r.Angles), &d);
  const float len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  if (len > 0.0f) d = CVector3{d.x / len, d.y / len, d.z / len};
  l.Position = D3DVECTOR{p.x, p.y, p.z};
  l.Direction = D3DVECTOR{d.x, d.y, d.z};
}

void CLightTable::SetPosition(int i, const CVector3& position) {
  if (!Valid(i)) return;
  m_Records[i].Position = position;
  PlaceAttached(m_Records[i]);
  Send(i);
}

void CLightTable::SetAngles(int i, const CVector3& angles) {
  if (!Valid(i)) return;
  m_Records[i].Angles = angles;
  PlaceAttached(m_Records[i]);
  Send(i);
}

CVector3 CLightTable::GetPosition(int i) const { return Valid(i) ? m_Records[i].Position : CVector3{}; }
CVector3 CLightTable::GetAngles(int i) const { return Valid(i) ? m_Records[i].Angles : CVector3{}; }

CVector3 CLightTable::GetWorldPosition(int i) const {
  if (!Valid(i)) return CVector3{};
  const D3DVECTOR& p = m_Records[i].Light.Position;
  return CVector3{p.x, p.y, p.z};
}

LightRecord* CLightTable::GetLight(int i) { return i >= 0 && i < Capacity ? &m_Records[i] : nullptr; }
const LightRecord* CLightTable::GetLight(int i) const { return i >= 0 && i < Capacity ? &m_Records[i] : nullptr; }

void CLightTable::TransformLight(int i, const float matrix[4][4]) {
  if (!Valid(i)) return;
  D3DLIGHT8& l = m_Records[i].Light;
  const D3DVECTOR p = l.Position, d = l.Direction;
  l.Position.x = p.x * matrix[0][0] + p.y * matrix[1][0] + p.z * matrix[2][0] + matrix[3][0];
  l.Position.y = p.x * matrix[0][1] + p.y * matrix[1][1] + p.z * matrix[2][1] + matrix[3][1];
  l.Position.z = p.x * matrix[0][2] + p.y * matrix[1][2] + p.z * matrix[2][2] + matrix[3][2];
  l.Direction.x = d.x * matrix[0][0] + d.y * matrix[1][0] + d.z * matrix[2][0];
  l.Direction.y = d.x * matrix[0][1] + d.y * matrix[1][1] + d.z * matrix[2][1];
  l.Direction.z = d.x * matrix[0][2] + d.y * matrix[1][2] + d.z * matrix[2][2];
  Send(i);
}

void CLightTable::AttachToInstance(int i, CEnvInstance* instance) {
  if (!Valid(i)) return;
  m_Records[i].Instance = instance;
  if (instance != nullptr)
    m_Records[i].Flags |= kLightAttached;
  else
    m_Records[i].Flags &= ~kLightAttached;
  PlaceAttached(m_Records[i]);
  Send(i);
}

// ---- Colour -----------------------------------------------------------------------

CColour CLightTable::Limited(int i, const CColour& c) const {
  if (i == NightVisionIndex) return c;
  CColour out = c;
  out.ClampBrightness(MinBrightness, MaxBrightness);
  return out;
}

void CLightTable::ApplyColours(int i) {
  LightRecord& r = m_Records[i];
  r.Light.Diffuse = ToDevice(r.Flags & kLightDiffuseNegated ? Negated(r.StoredDiffuse) : r.StoredDiffuse);
  r.Light.Ambient = ToDevice(r.Flags & kLightAmbientNegated ? Negated(r.StoredAmbient) : r.StoredAmbient);
  Send(i);
}

void CLightTable::SetDiffuse(int i, const CColour& colour, float fadeTime) {
  if (!Valid(i)) return;
  LightRecord& r = m_Records[i];
  const CColour c = Limited(i, colour);
  if (fadeTime > 0.0f && r.Fade != nullptr) {
    r.FadeColour = FromDevice(r.Light.Diffuse);
    r.Fade->Start(r.Flags & kLightDiffuseNegated ? Negated(c) : c, &r.FadeColour, fadeTime);
    r.StoredDiffuse = c;
    r.Flags |= kLightFadeRunning;
    return;
  }
  r.StoredDiffuse = c;
  ApplyColours(i);
}

void CLightTable::SetColours(int i, const CColour& ambient, const CColour& diffuse, float fadeTime) {
  if (!Valid(i)) return;
  m_Records[i].StoredAmbient = Limited(i, ambient);
  ApplyColours(i);
  SetDiffuse(i, diffuse, fadeTime);
}

void CLightTable::SetAmbient(int i, const CColour& colour) {
  if (!Valid(i)) return;
  m_Records[i].StoredAmbient = Limited(i, colour);
  ApplyColours(i);
}

void CLightTable::AddToDiffuse(int i, const CColour& colour) {
  if (!Valid(i)) return;
  m_Records[i].Light.Diffuse = ToDevice(Limited(i, AddHeld(FromDevice(m_Records[i].Light.Diffuse), colour)));
  Send(i);
}

void CLightTable::AddToAmbient(int i, const CColour& colour) {
  if (!Valid(i)) return;
  m_Records[i].Light.Ambient = ToDevice(Limited(i, AddHeld(FromDevice(m_Records[i].Light.Ambient), colour)));
  Send(i);
}

void CLightTable::AddToColours(int i, const CColour& ambient, const CColour& diffuse) {
  AddToAmbient(i, ambient);
  AddToDiffuse(i, diffuse);
}

void CLightTable::RestoreColours(int i) {
  if (Valid(i)) ApplyColours(i);
}

void CLightTable::RestoreAmbient(int i) {
  if (!Valid(i)) return;
  const D3DCOLORVALUE diffuse = m_Records[i].Light.Diffuse;
  ApplyColours(i);
  m_Records[i].Light.Diffuse = diffuse;
  Send(i);
}

void CLightTable::RestoreDiffuse(int i) {
  if (!Valid(i)) return;
  const D3DCOLORVALUE ambient = m_Records[i].Light.Ambient;
  ApplyColours(i);
  m_Records[i].Light.Ambient = ambient;
  Send(i);
}

void CLightTable::SetAllColours(const CColour& diffuse, const CColour& ambient) {
  for (int i = 0; i <= HighestUsed; ++i)
    if (Valid(i)) {
      m_Records[i].Light.Diffuse = ToDevice(Limited(i, diffuse));
      m_Records[i].Light.Ambient = ToDevice(Limited(i, ambient));
      Send(i);
    }
}

void CLightTable::AddToAllColours(const CColour& diffuse, const CColour& ambient) {
  for (int i = 0; i <= HighestUsed; ++i)
    if (Valid(i)) AddToColours(i, ambient, diffuse);
}

void CLightTable::RestoreAllColours() {
  for (int i = 0; i <= HighestUsed; ++i)
    if (Valid(i)) ApplyColours(i);
}

void CLightTable::SetAllGreen() {
  for (int i = 0; i <= HighestUsed; ++i) {
    if (!Valid(i)) continue;
    LightRecord& r = m_Records[i];
    const CColour& a = r.StoredAmbient;
    const CColour& d = r.StoredDiffuse;
    r.Light.Ambient = D3DCOLORVALUE{0.0f, (a.r + a.g + a.b) / 3.0f, 0.0f, r.Light.Ambient.a};
    r.Light.Diffuse = D3DCOLORVALUE{0.0f, (d.r + d.g + d.b) / 3.0f, 0.0f, r.Light.Diffuse.a};
    Send(i);
  }
}

void CLightTable::SetDiffuseNegated(int i, bool on) {
  if (!Valid(i)) return;
  if (on)
    m_Records[i].Flags |= kLightDiffuseNegated;
  else
    m_Records[i].Flags &= ~kLightDiffuseNegated;
  ApplyColours(i);
}

void CLightTable::SetAmbientNegated(int i, bool on) {
  if (!Valid(i)) return;
  if (on)
    m_Records[i].Flags |= kLightAmbientNegated;
  else
    m_Records[i].Flags &= ~kLightAmbientNegated;
  ApplyColours(i);
}

void CLightTable::SetFlare(int i, bool on, float size) {
  if (!Valid(i)) return;
  if (on)
    m_Records[i].Flags |= kLightHasFlare;
  else
    m_Records[i].Flags &= ~kLightHasFlare;
  m_Records[i].FlareSize = size;
}

void CLightTable::SetBrightnessLimits(float low, float high) {
  MinBrightness = low;
  MaxBrightness = high;
}

// ---- Animation --------------------------------------------------------------------

void CLightTable::AttachAnimators(int i) {
  if (!Valid(i)) return;
  LightRecord& r = m_Records[i];
  if (r.Fade == nullptr) r.Fade = new CColourFade;
  if (r.Animation == nullptr) r.Animation = new CFlickerColour;
  r.Flags |= kLightOwnsFade | kLightOwnsAnimation;
}

void CLightTable::AnimateColour(int i, float interval, float activeDuration, float restDuration,
                                const CColour* first, const CColour* second, int mode) {
  if (!Valid(i) || m_Records[i].Animation == nullptr) return;
  LightRecord& r = m_Records[i];
  RestoreColours(i);
  const CColour a = first != nullptr ? *first : FromDevice(r.Light.Diffuse);
  const CColour b = second != nullptr ? *second : FromDevice(r.Light.Ambient);
  r.Animation->Init(a, b, interval, activeDuration, restDuration, static_cast<std::uint32_t>(mode));
  r.Flags |= kLightAnimating;
}

void CLightTable::StopColourAnimation(int i) {
  if (!Valid(i)) return;
  RestoreColours(i);
  m_Records[i].Flags &= ~kLightAnimating;
}

// ---- Chains -----------------------------------------------------------------------

void CLightTable::DropUnattachedLights() {
  for (std::uint8_t& head : ChainHeads) {
    std::uint8_t* link = &head;
    while (*link != kNoLight) {
      LightRecord& r = m_Records[*link];
      if (r.Flags & kLightAttached) {
        link = &r.Next;
        continue;
      }
      const int i = *link;
      *link = r.Next;
      if (r.Flags & kLightEnabledNow) {
        // Take it off the device and out of the active list.
        for (int k = 0; k < ActiveCount; ++k)
          if (Active[k] == i) {
            std::copy(Active + k + 1, Active + ActiveCount, Active + k);
            --ActiveCount;
            break;
          }
        if (g_Device != nullptr) g_Device->LightEnable(static_cast<DWORD>(i), FALSE);
      }
      FreeRecord(r);
      r = LightRecord{};
      r.Index = static_cast<std::uint8_t>(i);
      --LightCount;
    }
  }
}

// ---- Range ------------------------------------------------------------------------

float CLightTable::GetRange(int i) const { return Valid(i) ? m_Records[i].Light.Range : 0.0f; }

void CLightTable::SetRange(int i, float range) {
  if (!Valid(i) || m_Records[i].Light.Type == D3DLIGHT_DIRECTIONAL) return;
  D3DLIGHT8& l = m_Records[i].Light;
  // The attenuation keeps its shape over d / range: a1 x range and a2 x range^2 stay.
  if (l.Range > 0.0f && range > 0.0f) {
    const float k = l.Range / range;
    l.Attenuation1 *= k;
    l.Attenuation2 *= k * k;
  }
  l.Range = range;
  Send(i);
}

void CLightTable::SetAttenuation(int i, float att0, float att1Scale, float att2Scale) {
  if (!Valid(i)) return;
  D3DLIGHT8& l = m_Records[i].Light;
  l.Attenuation0 = att0;
  // A zero range has no fall-off to scale.
  l.Attenuation1 = l.Range > 0.0f ? att1Scale / l.Range : 0.0f;
  l.Attenuation2 = l.Range > 0.0f ? att2Scale / (l.Range * l.Range) : 0.0f;
  Send(i);
}

// ---- Switching --------------------------------------------------------------------

void CLightTable::SetSwitchedOn(int i, bool on) {
  if (!Valid(i)) return;
  if (on)
    m_Records[i].Flags |= kLightSwitchedOn;
  else
    m_Records[i].Flags &= ~kLightSwitchedOn;
}

bool CLightTable::IsSwitchedOn(int i) const { return Valid(i) && (m_Records[i].Flags & kLightSwitchedOn); }

int CLightTable::SelectLightsForSphere(const CVector3& centre, float radius) {
  for (std::uint8_t head : ChainHeads) {
    for (int i = head; i != kNoLight; i = m_Records[i].Next) {
      if (ActiveCount >= kMaxActive) return ActiveCount;
      const LightRecord& r = m_Records[i];
      if (!(r.Flags & kLightSwitchedOn)) continue;
      // Reaches the sphere when |p - c|^2 <= (range + radius)^2 + 0.0001 (double: the
      // directional range squared is near the float limit).
      const double dx = r.Light.Position.x - centre.x, dy = r.Light.Position.y - centre.y,
                   dz = r.Light.Position.z - centre.z;
      const double reach = static_cast<double>(r.Light.Range) + radius;
      if (r.Light.Type != D3DLIGHT_DIRECTIONAL && dx * dx + dy * dy + dz * dz > reach * reach + 0.0001) continue;
      AddActive(i);
    }
  }
  return ActiveCount;
}

float CLightTable::LightStrength(int i, const CVector3& point, float radius) const {
  if (i < 0 || i >= Capacity) return 0.0f;
  const LightRecord& r = m_Records[i];
  const D3DLIGHT8& l = r.Light;
  if (l.Type == D3DLIGHT_DIRECTIONAL) return 1.0f;
  if (r.Flags & kLightNoStrength) return 0.0f;
  const float dx = point.x - l.Position.x, dy = point.y - l.Position.y, dz = point.z - l.Position.z;
  const float centre = std::sqrt(dx * dx + dy * dy + dz * dz);
  const float d = std::max(0.0f, centre - radius * SurfaceBlend);
  if (d > l.Range) return 0.0f;
  // Point: 1 / (a0 + a1 d + a2 d^2).
  const float denominator = l.Attenuation0 + l.Attenuation1 * d + l.Attenuation2 * d * d;
  float s = denominator > 0.0f ? 1.0f / denominator : 1.0f;
  if (l.Type == D3DLIGHT_SPOT) {
    // Cosine of the angle between the spot axis and the way to the point.
    const float c = centre > 0.0f ? (dx * l.Direction.x + dy * l.Direction.y + dz * l.Direction.z) / centre : 1.0f;
    if (c <= r.CosOuter) return 0.0f;
    if (c < r.CosInner) s *= (c - r.CosOuter) * r.InvConeSpan;
  }
  return std::clamp(s, 0.0f, 1.0f);
}

float CLightTable::GetStrongestLights(const CVector3& point, float radius, std::uint8_t out[3], float weights[3],
                                      bool* sunActive) const {
  for (int k = 0; k < 3; ++k) {
    out[k] = kNoLight;
    weights[k] = 0.0f;
  }
  if (sunActive != nullptr) *sunActive = false;
  if (ActiveCount == 0)
    return (AverageColour.r + AverageColour.g + AverageColour.b) * (2.0f / 3.0f);
  // Keep the three largest in ascending order: out[2] is the strongest.
  for (int k = 0; k < ActiveCount; ++k) {
    const int i = Active[k];
    if (i == SunIndex && sunActive != nullptr) *sunActive = true;
    const D3DLIGHT8& l = m_Records[i].Light;
    const float colour = (l.Diffuse.r + l.Diffuse.g + l.Diffuse.b + l.Ambient.r + l.Ambient.g + l.Ambient.b) / 6.0f;
    const float w = LightStrength(i, point, radius) * colour;
    if (w <= weights[0] && out[0] != kNoLight) continue;
    int slot = 0;
    while (slot < 2 && (w > weights[slot + 1] || out[slot + 1] == kNoLight)) {
      weights[slot] = weights[slot + 1];
      out[slot] = out[slot + 1];
      ++slot;
    }
    weights[slot] = w;
    out[slot] = static_cast<std::uint8_t>(i);
  }
  return weights[0] + weights[1] + weights[2];
}

// ---- Glows ------------------------------------------------------------------------

void CLightTable::SetGlowSprites(const char* const* names, int count) {
  GlowNames = names;
  GlowCount = names != nullptr ? count : 0;
  DefaultGlow = 0;
  for (int k = 0; k < GlowCount; ++k)
    if (names[k] != nullptr && std::strcmp(names[k], "IMAGE_GLOW") == 0) DefaultGlow = k;
}

bool CLightTable::FindGlowSprite(const char* name, int* id) const {
  *id = DefaultGlow;
  if (GlowCount == 0) return true;  // no sprite table: every light takes the default
  for (int k = 0; k < GlowCount && name != nullptr; ++k)
    if (GlowNames[k] != nullptr && std::strcmp(GlowNames[k], name) == 0) {
      *id = k;
      return true;
    }
  return false;
}

// ---- Special lights ---------------------------------------------------------------

void CLightTable::CreateSpecialLights() {
  if (SunFade == nullptr) SunFade = new CColourFade;
  int i = CreateLight(kLightChains - 1, D3DLIGHT_SPOT);
  if (i >= 0) {
    NightVisionIndex = static_cast<std::uint8_t>(i);
    m_Records[i].StoredDiffuse = CColour{1.0f, 1.0f, 1.0f, 1.0f};
    m_Records[i].Light.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
  }
  i = CreateLight(kLightChains - 1, D3DLIGHT_SPOT);
  if (i >= 0) {
    FlashingLightIndex = static_cast<std::uint8_t>(i);
    m_Records[i].Light.Theta = 20.0f * kDegToRad;
    m_Records[i].Light.Phi = 40.0f * kDegToRad;
    StoreSpotCone(m_Records[i]);
  }
  i = CreateLight(kLightChains - 1, D3DLIGHT_DIRECTIONAL);
  if (i >= 0) NonDirLightIndex = static_cast<std::uint8_t>(i);
}

void CLightTable::SetNightVision(float inner, float outer, const float attenuation[3], float rangeFactor) {
  NightVisionInner = inner;
  NightVisionOuter = outer;
  std::copy(attenuation, attenuation + 3, NightVisionAttenuation);
  NightVisionRangeFactor = rangeFactor;
}

void CLightTable::SetClocks(const CTimer* gameClock, float (*timeOfDay)()) {
  m_GameClock = gameClock;
  m_TimeOfDay = timeOfDay;
}

void CLightTable::Update(const CVector3& cameraPosition, const CVector3& cameraAngles, const CVector3& cameraForward,
                         float cameraFar) {
  // 1. The NightVision spot sits behind the eye, looking where it looks.
  if (NightVisionIndex != kNoLight) {
    LightRecord& r = m_Records[NightVisionIndex];
    r.Position = CVector3{cameraPosition.x - NightVisionBehind * cameraForward.x,
                          cameraPosition.y - NightVisionBehind * cameraForward.y,
                          cameraPosition.z - NightVisionBehind * cameraForward.z};
    r.Angles = cameraAngles;
    D3DLIGHT8& l = r.Light;
    l.Range = cameraFar * NightVisionRangeFactor;
    l.Theta = std::min(NightVisionInner * kDegToRad, kPi);
    l.Phi = std::min(NightVisionOuter * kDegToRad, kPi);
    l.Falloff = NightVisionFalloff;
    l.Attenuation0 = NightVisionAttenuation[0];
    l.Attenuation1 = l.Range > 0.0f ? NightVisionAttenuation[1] / l.Range : 0.0f;
    l.Attenuation2 = l.Range > 0.0f ? NightVisionAttenuation[2] / (l.Range * l.Range) : 0.0f;
    StoreSpotCone(r);
    PlaceAttached(r);
    Send(NightVisionIndex);
  }

  // 2. Time step (0.5 s on the first frame).
  const std::uint32_t ms = m_GameClock != nullptr ? m_GameClock->GetGameTime() : 0;
  const float now = static_cast<float>(ms) * 0.001f;
  const float dt = LastTime < 0.0f ? 0.5f : now - LastTime;
  LastTime = now;
  const float hour = m_TimeOfDay != nullptr ? m_TimeOfDay() : -1.0f;

  // 3. Per light: animation, fade, time window, attachment.
  for (int i = 0; i <= HighestUsed; ++i) {
    LightRecord& r = m_Records[i];
    if (!(r.Flags & kLightOnDevice)) continue;
    bool send = false;
    if ((r.Flags & kLightAnimating) && r.Animation != nullptr) {
      r.Animation->Update(now);
      CColour c;
      r.Animation->GetColour(&c);
      r.Light.Diffuse = ToDevice(c);
      send = true;
    }
    if ((r.Flags & kLightFadeRunning) && r.Fade != nullptr) {
      r.Fade->Update(dt);
      if (r.Fade->Target == nullptr) r.Flags &= ~kLightFadeRunning;
      r.Light.Diffuse = ToDevice(r.FadeColour);
      send = true;
    }
    if ((r.Flags & kLightTimeWindow) && hour >= 0.0f) {
      // A window whose start lies after its end wraps past midnight.
      const bool inside = r.WindowStart <= r.WindowEnd ? hour >= r.WindowStart && hour <= r.WindowEnd
                                                       : hour >= r.WindowStart || hour <= r.WindowEnd;
      if (inside)
        r.Flags |= kLightSwitchedOn;
      else
        r.Flags &= ~kLightSwitchedOn;
    }
    if ((r.Flags & kLightAttached) && (r.Flags & kLightSwitchedOn) && r.Instance != nullptr) {
      const D3DVECTOR keepPosition = r.Light.Position, keepDirection = r.Light.Direction;
      PlaceAttached(r);
      if (r.Light.Type == D3DLIGHT_DIRECTIONAL) r.Light.Position = keepPosition;
      if (r.Light.Type == D3DLIGHT_POINT) r.Light.Direction = keepDirection;
      send = true;
    }
    if (send) Send(i);
  }

  // 4. The average colour: half of the sun's ambient plus diffuse.
  if (SunIndex < Capacity && (m_Records[SunIndex].Flags & kLightOnDevice)) {
    const D3DLIGHT8& sun = m_Records[SunIndex].Light;
    AverageColour.r = (sun.Ambient.r + sun.Diffuse.r) * 0.5f;
    AverageColour.g = (sun.Ambient.g + sun.Diffuse.g) * 0.5f;
    AverageColour.b = (sun.Ambient.b + sun.Diffuse.b) * 0.5f;
    AverageColour.a = 1.0f;
    AverageARGB = AverageColour.ToARGB();
  }

  // 5. The FlashingLight turns once every 750 ms and nods.
  if (FlashingLightIndex != kNoLight) {
    const float phase = static_cast<float>(ms % 750u) / 750.0f;
    LightRecord& r = m_Records[FlashingLightIndex];
    r.Angles = CVector3{40.0f * std::sin((phase - 0.5f) * kPi), 360.0f * phase, 0.0f};
    PlaceAttached(r);
    Send(FlashingLightIndex);
  }

  // 6. The NonDirLight lights everything with the average colour.
  if (NonDirLightIndex != kNoLight) {
    m_Records[NonDirLightIndex].Light.Ambient = ToDevice(AverageColour);
    Send(NonDirLightIndex);
  }
}
