// The scene's light table: every light of the level in one table of
// fixed-size records, each holding the device light (D3DLIGHT8) and the
// engine's own state (kind chain, switches, an attached environment
// instance, a time-of-day window, colour fades and animation, negated
// colours, a glow sprite).  The level loader fills it from the light
// section; once per view it animates and re-places its lights; when an
// instance is drawn it chooses the lights (at most eight) enabled on the
// device for it.
//
// There is one table at a time: its constructor publishes its records and
// the active list through the static members below (the device has one set
// of light slots), which the instance drawers use without a table pointer.
// Units: positions in world units, angles in degrees (pitch about x, yaw
// about y, roll about z, as the camera), colours 0..1.  Main thread only.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8.h"
#include "render/device/render.h"
#include "render/colour/colour.h"
#include "render/geometry/vector3.h"

class CColourFade;
class CEnvInstance;
class CFlickerColour;
class CTimer;
class EnvTextCursor;

// Light record flags.
constexpr DWORD kLightEngineMade = 0x0001;      // made by the engine (special or run time)
constexpr DWORD kLightOnDevice = 0x0002;        // record in use (its light was given to the device)
constexpr DWORD kLightSwitchedOn = 0x0004;      // switched on
constexpr DWORD kLightEnabledNow = 0x0008;      // enabled on the device for the current draw
constexpr DWORD kLightHasFlare = 0x0010;        // has a lens flare
constexpr DWORD kLightOwnsFade = 0x0040;        // owns a fade record
constexpr DWORD kLightFadeRunning = 0x0080;     // fade running
constexpr DWORD kLightOwnsAnimation = 0x0100;   // owns a colour-animation record
constexpr DWORD kLightAnimating = 0x0200;       // colour animation running
constexpr DWORD kLightTimeWindow = 0x0400;      // lit only inside its time-of-day window
constexpr DWORD kLightAttached = 0x0800;        // attached to an environment instance
constexpr DWORD kLightRunTime = 0x1000;         // made at run time by CreateLight
constexpr DWORD kLightDiffuseNegated = 0x2000;  // diffuse negated
constexpr DWORD kLightAmbientNegated = 0x4000;  // ambient negated
constexpr DWORD kLightNoStrength = 0x8000;      // left out of the light-strength estimate
constexpr DWORD kLightFlareVisible0 = 0x10000;  // lens flare visible in view 0 (1..3 follow)

constexpr std::uint8_t kNoLight = 255;
constexpr int kLightChains = 5;
constexpr int kEngineLightCapacity = 254;
// Range of directional lights: the largest the device knows.
constexpr float kDirectionalRange = 1.8446743e19f;

struct LightRecord {
  DWORD Flags = 0;
  float FlareFade[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float FlareSize = 100.0f;
  std::uint32_t FrameStamp = 0;  // frame at which it was last enabled on the device
  CVector3 Position{};           // as given (instance space when attached)
  CVector3 Angles{};             // as given (degrees)
  D3DLIGHT8 Light{};
  CColour StoredAmbient;         // colours before fades and negation
  CColour StoredDiffuse;
  float WindowStart = 0.0f, WindowEnd = 0.0f;  // hours of the time of day
  float CosInner = 1.0f, CosOuter = 1.0f, InvConeSpan = 0.0f;  // cos(theta/2), cos(phi/2), 1/difference
  int GlowSprite = 0;
  std::uint8_t Next = kNoLight;  // next light of the same kind chain
  std::uint8_t Chain = 0;
  std::uint8_t Index = 0;
  CEnvInstance* Instance = nullptr;
  CFlickerColour* Animation = nullptr;  // owned with kLightOwnsAnimation
  CColourFade* Fade = nullptr;          // owned with kLightOwnsFade
  CColour FadeColour;                   // the diffuse the fade moves
};

class CLightTable {
 public:
  // A table of `capacity` records (at most 255), reset and made the current one.
  explicit CLightTable(int capacity = kEngineLightCapacity);
  // Disables the device lights that are on, frees owned records, and stops
  // being the current table.
  ~CLightTable();
  CLightTable(const CLightTable&) = delete;
  CLightTable& operator=(const CLightTable&) = delete;

  // The table the static members publish, or null.
  static CLightTable* Current() { return s_Current; }

  // Frees owned records, clears every record (keeping its index), no lights,
  // no active lights, chain heads empty, special indices none.
  void Reset();

  // --- Creation: the given index, or the first free record for 255.  The
  // light is marked used and on and passed to the device.  -1 when the index
  // lies outside the table or no record is free.
  int CreateDirectionalLight(const CVector3& position, const CVector3& angles, const CColour& diffuse,
                             const CColour& ambient, const char* name, int index);
  // inner and outer are full cone angles in degrees.
  int CreateSpotLight(const CVector3& position, const CVector3& angles, const CColour& diffuse,
                      const CColour& ambient, float inner, float outer, float range, const char* name, int index);
  int CreatePointLight(const CVector3& position, const CColour& diffuse, const CColour& ambient, float range,
                       const char* name, int index);
  // A free record for a device light type at the head of the chain, switched
  // off, flags 0x0001 and 0x1000; -1 when the table is full.
  int CreateLight(int chain, D3DLIGHTTYPE type);

  // --- Placement (index checked; nothing for an unused record)
  void SetPosition(int i, const CVector3& position);
  void SetAngles(int i, const CVector3& angles);
  CVector3 GetPosition(int i) const;
  CVector3 GetAngles(int i) const;
  // The device light's position (world space).
  CVector3 GetWorldPosition(int i) const;
  // The record, or null outside the table.
  LightRecord* GetLight(int i);
  const LightRecord* GetLight(int i) const;
  // Moves and turns the light by a matrix (row vectors) and passes it on.
  void TransformLight(int i, const float matrix[4][4]);
  // Attaches the light to an instance (null detaches).
  void AttachToInstance(int i, CEnvInstance* instance);

  // --- Colour (each colour limited in brightness, except the NightVision light)
  void SetDiffuse(int i, const CColour& colour, float fadeTime);
  void SetColours(int i, const CColour& ambient, const CColour& diffuse, float fadeTime);
  void SetAmbient(int i, const CColour& colour);
  // Add to the current colours, results held to 0..1.
  void AddToDiffuse(int i, const CColour& colour);
  void AddToAmbient(int i, const CColour& colour);
  void AddToColours(int i, const CColour& ambient, const CColour& diffuse);
  // Back to the stored colours.
  void RestoreColours(int i);
  void RestoreAmbient(int i);
  void RestoreDiffuse(int i);
  void SetAllColours(const CColour& diffuse, const CColour& ambient);
  void AddToAllColours(const CColour& diffuse, const CColour& ambient);
  void RestoreAllColours();
  void SetDiffuseNegated(int i, bool on);
  void SetAmbientNegated(int i, bool on);
  void SetFlare(int i, bool on, float size);
  void SetBrightnessLimits(float low, float high);
  // Every used light in green of its stored brightness (the night-vision look).
  void SetAllGreen();

  // --- Animation
  // Gives the light a fade and a colour-animation record.
  void AttachAnimators(int i);
  // Restores the colours, then flickers between the first colour (default:
  // the diffuse) and the second (default: the ambient); mode is the flicker
  // flag word (4, 5 or 6).  Nothing without an animation record.
  void AnimateColour(int i, float interval, float activeDuration, float restDuration, const CColour* first,
                     const CColour* second, int mode);
  void StopColourAnimation(int i);

  // Clears every chained light not attached to an instance; each chain then
  // starts at its first attached light.
  void DropUnattachedLights();
  // Passes every used light to the device again (after a device reset).
  void ResendAll() { ResendLights(); }

  // --- Range: attenuation 1 and 2 rescaled to keep the fall-off shape.
  void SetRange(int i, float range);
  // att1Scale / range and att2Scale / range squared.
  void SetAttenuation(int i, float att0, float att1Scale, float att2Scale);
  float GetRange(int i) const;

  // --- Switching
  void SwitchOn(int i) { SetSwitchedOn(i, true); }
  void SetSwitchedOn(int i, bool on);
  bool IsSwitchedOn(int i) const;
  // Enables every switched-on chained light whose range reaches the sphere,
  // until eight are active.  Answers the number active.
  int SelectLightsForSphere(const CVector3& centre, float radius);
  // The three strongest active lights at a sphere (ascending weight; unused
  // entries 255 and 0), whether the sun is active, and the sum of the kept
  // weights; without an active light two thirds of the sum of the average
  // colour's components.
  float GetStrongestLights(const CVector3& point, float radius, std::uint8_t out[3], float weights[3],
                           bool* sunActive) const;
  // Strength of one light at a sphere, 0..1.
  float LightStrength(int i, const CVector3& point, float radius) const;

  // --- Level file: reads the light section until "ENDL" at the file's
  // version.  False at damaged text (the message names the line); the
  // lights read before it stay.
  bool ReadLightSection(EnvTextCursor& cursor, int version);

  // --- Glows: the default glow is the table's entry "IMAGE_GLOW" (0 when absent).
  void SetGlowSprites(const char* const* names, int count);
  // The glow id of a sprite name; the default and false when unknown.
  bool FindGlowSprite(const char* name, int* id) const;

  // --- Special lights
  // The sun fade record (the sun's diffuse is faded by it), then the
  // NightVision spot, the FlashingLight and the NonDirLight, all switched off.
  void CreateSpecialLights();
  void SetNightVision(float inner, float outer, const float attenuation[3], float rangeFactor);

  // Game clock (milliseconds) and time of day (hours) read by Update; either may be null.
  void SetClocks(const CTimer* gameClock, float (*timeOfDay)());
  // Once for each view while the frame is drawn, with that view's camera:
  // places the NightVision light, steps fades and animations, time windows
  // and attached lights, the average colour, the FlashingLight and the NonDirLight.
  void Update(const CVector3& cameraPosition, const CVector3& cameraAngles, const CVector3& cameraForward,
              float cameraFar);

  // --- Device: the records and the active list of the current table.
  // Sends every record marked kLightOnDevice to the device again, at its index.
  static void ResendLights();
  // Switches off every light enabled for the last draw and empties the active list.
  static void ClearActive();
  // Enables light i on the device for the next draw and adds it to the active
  // list.  False, with nothing done, for an index outside the table, a record
  // not in use, or a full list (eight lights).
  static bool AddActive(int i);

  static inline int Count = 0;
  static inline LightRecord* Lights = nullptr;
  static constexpr int kMaxActive = 8;
  static inline int ActiveCount = 0;
  static inline unsigned char Active[kMaxActive] = {};
  // Frame number stamped on lights when enabled (set by the frame's owner).
  static inline std::uint32_t FrameNumber = 0;

  // --- Table state
  int Capacity = 0;
  int Version = 0;  // the file version while a light section is read
  int LightCount = 0;
  int HighestUsed = -1;
  float MinBrightness = -1.0f, MaxBrightness = 1.0f;
  std::uint8_t SunIndex = 0;
  std::uint8_t NightVisionIndex = kNoLight;
  std::uint8_t FlashingLightIndex = kNoLight;
  std::uint8_t NonDirLightIndex = kNoLight;
  float NightVisionInner = 20.0f, NightVisionOuter = 90.0f;
  float NightVisionAttenuation[3] = {1.0f, 0.0f, 4.0f};
  float NightVisionFalloff = 1.0f;
  float NightVisionBehind = 500.0f;
  float NightVisionRangeFactor = 1.0f;
  std::uint8_t ChainHeads[kLightChains] = {kNoLight, kNoLight, kNoLight, kNoLight, kNoLight};
  const char* const* GlowNames = nullptr;
  int GlowCount = 0;
  int DefaultGlow = 0;
  CColour AverageColour;          // half of the sun's ambient plus diffuse, alpha 1
  std::uint32_t AverageARGB = 0xFF000000;
  float LastTime = -1.0f;         // seconds; negative before the first update
  CColourFade* SunFade = nullptr; // owned
  // Blend between the centre (0) and surface (1) distance in the strength estimate.
  float SurfaceBlend = 1.0f;

 private:
  // Takes record `index` (or the first free for 255) for a light of `type`;
  // -1 when none.  Clears it and marks it used and on.
  int Take(int index, D3DLIGHTTYPE type);
  void FreeRecord(LightRecord& r);
  void Send(int i) const;
  bool Valid(int i) const { return i >= 0 && i < Capacity && (m_Records[i].Flags & kLightOnDevice); }
  CColour Limited(int i, const CColour& c) const;
  void ApplyColours(int i);  // device colours from stored ones and the negation flags
  void StoreSpotCone(LightRecord& r);
  void Chain(int i, int chain);
  void Unchain(int i);
  void PlaceAttached(LightRecord& r);

  LightRecord* m_Records = nullptr;
  const CTimer* m_GameClock = nullptr;
  float (*m_TimeOfDay)() = nullptr;
  static inline CLightTable* s_Current = nullptr;
};

// The device functions are inline: the render device's reset and the
// instance drawer use them without the rest of the table.
inline void CLightTable::ResendLights() {
  if (g_Device == nullptr || Lights == nullptr) return;
  for (int i = 0; i < Count; ++i)
    if (Lights[i].Flags & kLightOnDevice) g_Device->SetLight(static_cast<DWORD>(i), &Lights[i].Light);
}

inline void CLightTable::ClearActive() {
  for (int k = 0; k < ActiveCount; ++k) {
    const int i = Active[k];
    if (g_Device != nullptr) g_Device->LightEnable(static_cast<DWORD>(i), FALSE);
    if (Lights != nullptr && i < Count) Lights[i].Flags &= ~kLightEnabledNow;
  }
  ActiveCount = 0;
}

inline bool CLightTable::AddActive(int i) {
  if (Lights == nullptr || i < 0 || i >= Count || !(Lights[i].Flags & kLightOnDevice)) return false;
  if (Lights[i].Flags & kLightEnabledNow) return true;
  if (ActiveCount >= kMaxActive) return false;
  if (g_Device != nullptr) g_Device->LightEnable(static_cast<DWORD>(i), TRUE);
  Lights[i].Flags |= kLightEnabledNow;
  Lights[i].FrameStamp = FrameNumber;
  Active[ActiveCount++] = static_cast<unsigned char>(i);
  return true;
}

// The engine's light table (254 lights; null outside engine start-up .. shut-down).
extern CLightTable* g_Lights;

// Direction (unit) of the camera-style angles (degrees): +z turned by roll,
// pitch and yaw.
CVector3 LightDirectionFromAngles(const CVector3& angles);
