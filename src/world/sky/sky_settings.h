// The sky section of the environment file as a record: the fog ranges, the
// two cloud layers, the 28 colour keys and the time of day.  The record
// reads itself from the level text at any file version and writes itself in
// the current version's form, side by side.  Applying it to the sky (fog
// options, textures, the device) is CSky's business.  Main thread only.
//
// Units: fog distances and heights in world units, the time of day in hours
// (0 to 24), colours as 0..1 floats.
#pragma once

#include <cstdint>
#include <string>

#include "render/colour/colour.h"

class EnvTextCursor;

// The colour groups, each with a key at 0, 6, 12 and 18 hours.
enum SkyColourGroup : int {
  SKYCOLOUR_SUN_AMBIENT = 0,
  SKYCOLOUR_SUN_DIFFUSE,
  SKYCOLOUR_FOG,
  SKYCOLOUR_FLARE,
  SKYCOLOUR_EAST,
  SKYCOLOUR_SKY,
  SKYCOLOUR_WEST,
  SKYCOLOUR_GROUPS
};
constexpr int kSkyColourKeys = 4;
constexpr float kSkyHoursPerKey = 6.0f;
constexpr int kSkyLayerCount = 2;

// File versions at which the section changed.
constexpr int kSkyVersionColourKeys = 33;  // colour lines and the time of day are stored
constexpr int kSkyVersionOwnColours = 35;  // sun and fog keys kept; no fog colour line, no layer colour line
constexpr int kSkyVersionFarFog = 72;      // the far fog range is stored

// Fog stops beyond this are brought back to it; a start that then reaches it becomes kSkyClampedFogStart.
constexpr float kSkyMaxFogStop = 10000.0f;
constexpr float kSkyClampedFogStart = 9500.0f;
// The time of day of levels that store none.
constexpr float kSkyOldLevelTimeOfDay = 10.0f;
// The texture name of a layer without a texture.
inline constexpr char kSkyNoTexture[] = "UNDEFINED";

// One cloud layer as the file gives it.
struct SkyLayerSettings {
  std::uint32_t Texture = 0;  // texture id, 0 for none ("UNDEFINED")
  std::string TextureName = kSkyNoTexture;
  float TileFactor = 0.0f;    // texture repeats across the layer
  std::int32_t FixedY = 0;    // 1 keeps the layer at height 0 instead of the camera's
  float Speed[3] = {};        // scroll speed of the texture offset (x, y, z) per second
  float Curvature = 0.0f;     // how far the dome bends down towards its rim (0 flat)
  float Height = 0.0f;        // height of the dome's top
};

struct SkySettings {
  SkyLayerSettings Layers[kSkyLayerCount];
  float FogStart = 0.0f, FogStop = 0.0f;
  float FarFogStart = 0.0f, FarFogStop = 0.0f;
  float TimeOfDay = 0.0f;
  CColour Colours[SKYCOLOUR_GROUPS][kSkyColourKeys];

  // Everything zero, no textures.
  void Blank();
  // Reads the section at the file's version (see the .cpp for the lines of
  // each version) and brings a fog stop above 10000 back to 10000 and then a
  // start of 10000 or more to 9500.  Levels before version 33 take the
  // default colour keys and 10:00; versions 33 and 34 the default sun and
  // fog keys.  Texture ids are not resolved.  False, with *line at the
  // fault, when the text ends, a value is missing or not a finite number,
  // or a texture name does not fit; the record is then half read and must
  // not be applied.
  bool Load(EnvTextCursor& text, int version, int* line);
  // Appends the section in the current version's form (lines ended by "\r\n").
  void Save(std::string* out) const;
};

// The default colour keys, [group][key], used by a new sky and by old levels.
const CColour (&SkyDefaultColourKeys())[SKYCOLOUR_GROUPS][kSkyColourKeys];
// Keywords of the colour groups' lines ("SUNAMBCOL" ...).
const char* SkyColourKeyword(SkyColourGroup group);
