// The level's sky: two scrolling cloud layers on a dome, the dome's east to
// west colour gradient, the sun or moon sprite, the sun light (light 0 of
// the light table), the clear colour, the distance fog and the time of day
// that drives them.  The environment owns one; the level loader reads the
// sky section into it (sky_section.h); scripts change the fog, the time and
// the time's rate during a mission.  Main thread only.
//
// Frame: world units, y up; east is +z and west -z (the sun rises in the
// east).  Times of day in hours (0 to 24); colours 0..1 floats, packed as
// A8R8G8B8 for the device.  The colour keys stand at 0, 6, 12 and 18 hours;
// every coloured quantity between two keys is their linear blend.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8.h"
#include "render/colour/colour.h"
#include "render/geometry/vector3.h"
#include "world/sky/sky_layer.h"
#include "world/sky/sky_settings.h"

class CLinearBuffer;
class CMaterialList;
class CRender;
class CSpriteRender;
class CTextureManager;
class CTimer;
class DepthSortQueue;
class EnvTextCursor;

// Fog options the level start gives the sky reader (its far-fog switch, an
// explicit range, negative when not set, and a factor).
struct SkyFogOptions {
  bool FarFog = false;
  float Start = -1.0f;
  float Stop = -1.0f;
  float Factor = 1.0f;
};
void SetSkyFogOptions(const SkyFogOptions& options);
const SkyFogOptions& GetSkyFogOptions();

// Scale of the dome layers and the fog stop they are built for.
constexpr float kSkyLayerScale = 2.0f;
// Near distance of the sky's projection and of the one it restores.
constexpr float kSkyNearDistance = 8.0f;
// The sun or moon sprite's distance from the eye.
constexpr float kSkySpriteDistance = 10000.0f;
// The sky's own fog while the layers are drawn: 1600 to 4 d - 800 at density 0.5.
constexpr float kSkyLayerFogStart = 1600.0f;
constexpr float kSkyLayerFogEndMargin = 800.0f;
constexpr float kSkyLayerFogDensity = 0.5f;
// The level start's night sprite.
constexpr int kSkyDefaultNightSprite = 81;
// Flag of the sky's flag word: shadows at three quarters of their strength.
constexpr std::uint32_t kSkyFlagPaleShadows = 0x8;
// The render device's day flag word by day (0 by night).
constexpr DWORD kSkyDayFlag = 2;

// What UpdateLighting worked out for the current time.
struct SkyLighting {
  float Hours = 0.0f;                        // the time used, 0 <= hours < 24
  int Key = 0;                               // the key before it (0 to 3)
  float Fraction = 0.0f;                     // how far towards the next key
  CColour Colours[SKYCOLOUR_GROUPS];         // every group at that time (east, sky, west grey when the view says so)
  DWORD FogColour = 0;                       // the packed fog colour
  bool Day = true;                           // 6.0 to 18.0: the sun, else the moon
  float Angle = 0.0f;                        // degrees across the sky since rising, 0 to 180
  float Strength = 0.0f;                     // sin(sin(x 90) 90)
  float ChangeScale = 1.0f;                  // colour scale near 6.0 and 18.0 (0 at the change)
  CVector3 LightDirection{0.0f, -1.0f, 0.0f};  // where the sun's (or moon's) light travels
  CVector3 LightAngles{};                    // the same as the light table's pitch and yaw (degrees)
  CColour LightAmbient, LightDiffuse;        // what light 0 was given
  float FlareBrightness = 0.0f;              // the sun's facing term + 0.4, held to 0..1
};

class CSky {
 public:
  // A cleared sky with the default colour keys, 12:00, rate 0, no fades, no
  // sprites; it becomes the current sky (the time-of-day source of the
  // engine's routines).  Any module may be null.
  CSky(CRender* render, CTextureManager* textures, CMaterialList* materials, CLinearBuffer* frameBlock,
       DepthSortQueue* queue, CTimer* gameClock);
  ~CSky();
  CSky(const CSky&) = delete;
  CSky& operator=(const CSky&) = delete;

  // The sky made last and not yet destroyed, or null.
  static CSky* Current();

  // --- Settings -------------------------------------------------------------------
  // Reads the section (ReadSettings) and applies it (ApplySettings).  0, with
  // the sky as it was, when the section cannot be read.
  int LoadSettings(EnvTextCursor& text, int version);
  // Reads the section into settings (SkySettings::Load), then applies the
  // level start's fog options, fetches the layer textures by name (none for
  // a name beginning "UNDEFINED") and sets the device fog from fog key 0,
  // the range and density 1.0, and the camera's far distance to the stop.
  // False, with nothing applied and the line named on the debug output,
  // when the section is damaged.
  bool ReadSettings(EnvTextCursor& text, int version, SkySettings* settings);
  // Copies the fog ranges (current and default), the time and every colour
  // key; the rate becomes 0; both layers are built with scale 2 for the fog stop.
  void ApplySettings(const SkySettings& settings);
  // The live sky as a settings record (current fog, time, keys, layers).
  void GetSettings(SkySettings* settings) const;

  // --- Fog ------------------------------------------------------------------------
  // Current fog start and stop, the device fog start and end and the camera's far distance.
  void SetFogRange(float start, float stop);
  // The same with the level's range.
  void ResetFogRange();
  // Linear fades to the target over the seconds of the game clock; 0 or
  // less sets the value at once.
  void FadeFogStart(float target, float seconds);
  void FadeFogStop(float target, float seconds);
  bool IsFogAtDefault() const { return FogStart == DefaultFogStart && FogStop == DefaultFogStop; }
  float GetFogStart() const { return FogStart; }
  float GetFogStop() const { return FogStop; }
  float GetFarFogStart() const { return FarFogStart; }
  float GetFarFogStop() const { return FarFogStop; }

  // --- Time of day ------------------------------------------------------------------
  // The time (brought into 0 <= hours < 24; not a number counts as 0).
  void SetTimeOfDay(float hours);
  float GetTimeOfDay() const { return TimeOfDay; }
  // Hours of the time of day per hour of the game clock (negative runs it back).
  void SetTimeOfDayRate(float rate) { Rate = rate; }
  float GetTimeOfDayRate() const { return Rate; }
  // Stops the time (rate 0) once it passes the hour.
  void StopTimeAt(float hours);
  // Before 6.0 or after 18.0.
  bool IsNight() const { return TimeOfDay < 6.0f || TimeOfDay > 18.0f; }

  // --- Sun and moon sprites ---------------------------------------------------------
  // The switch and the sprite ids (-1 none) of the day and the night.
  void SetSunSprites(bool enabled, int daySprite, int nightSprite);
  // The sprite sheet the sprites come from (null: none drawn).
  void SetSpriteSheet(CSpriteRender* sheet) { SpriteSheet = sheet; }

  // --- Per frame ----------------------------------------------------------------------
  // The late update: advances the time by the game clock's frame time x
  // rate / 3600, bringing a time past 24 to 0 and one below 0 round by 24;
  // stops at the stop-at time once passed; steps the fog fades (a moved
  // range goes to the device and the camera); scrolls the layers; sets the
  // render device's day flag (2 from 6.0 to 18.0, else 0).
  void Step();
  // The draw hook: the colours of the time, the dome gradient, the sun
  // light (light 0 of the current light table, when it is used) and the
  // clear colour.  The results stay in Lighting().
  void UpdateLighting();
  // Draws layer 0, the sprite and layer 1 around the current camera in the
  // sky's fog colour, then restores the camera's projection and far
  // distance, the usual states and the fog: its range as it was, in
  // fogColour (the view's own colour when the view's mode word is set).
  // Nothing without a render object or a camera.
  void Draw(DWORD fogColour);

  const SkyLighting& Lighting() const { return m_Lighting; }
  const CSkyLayer& Layer(int i) const { return Layers[i == 0 ? 0 : 1]; }
  // The packed fog (and clear) colour of the frame.
  DWORD GetPackedColour() const { return PackedColour; }

  // --- Fields ---------------------------------------------------------------------------
  CRender* Render = nullptr;
  CTextureManager* Textures = nullptr;
  CMaterialList* Materials = nullptr;
  CLinearBuffer* FrameBlock = nullptr;
  DepthSortQueue* Queue = nullptr;
  CTimer* GameClock = nullptr;
  CSpriteRender* SpriteSheet = nullptr;

  DWORD PackedColour = 0;
  float FogStart = 0.0f, DefaultFogStart = 0.0f;
  float FogStop = 0.0f, DefaultFogStop = 0.0f;
  float FarFogStart = 0.0f, DefaultFarFogStart = 0.0f;
  float FarFogStop = 0.0f, DefaultFarFogStop = 0.0f;
  // Fades: target, rate per second and remaining seconds (below 0: none).
  float FogStartTarget = 0.0f, FogStartRate = 0.0f, FogStartRemaining = -1.0f;
  float FogStopTarget = 0.0f, FogStopRate = 0.0f, FogStopRemaining = -1.0f;
  float TimeOfDay = 12.0f;
  float Rate = 0.0f;
  std::int32_t StopAtOn = 0;
  float StopAtTime = 0.0f;
  CSkyLayer Layers[kSkyLayerCount];
  CColour Colours[SKYCOLOUR_GROUPS][kSkyColourKeys];
  std::int32_t SpritesOn = 0;
  std::int32_t DaySprite = -1;
  std::int32_t NightSprite = -1;
  // kSkyFlagPaleShadows and the like.
  std::uint32_t Flags = 0;

 private:
  void ApplyFogOptions(SkySettings* settings) const;
  void ApplyFogToDevice() const;
  void UpdateSunLight();
  void WriteDomeGradient();
  void DrawSprite(const CVector3& eye);

  SkyLighting m_Lighting;
};

// The current sky's time of day, 12.0 without a sky (a time-of-day source
// for the light table and the engine's routines).
float SkyCurrentHours();

// Brings hours into 0 <= h < 24 (negative times come round from 24; not a number gives 0).
float SkyWrapHours(float hours);
