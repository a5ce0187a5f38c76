#include "world/sky/sky_settings.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "world/environment/env_text_cursor.h"

namespace {

// Words of the section are never longer than the level format has held.
constexpr std::size_t kWordSize = 128;

constexpr CColour kDefaultKeys[SKYCOLOUR_GROUPS][kSkyColourKeys] = {
    // sun ambient
    {{0.15f, 0.15f, 0.2f, 1.0f}, {0.15f, 0.15f, 0.15f, 1.0f}, {0.5f, 0.5f, 0.5f, 1.0f}, {0.15f, 0.15f, 0.15f, 1.0f}},
    // sun diffuse
    {{0.15f, 0.15f, 0.7f, 1.0f}, {1.0f, 1.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 0.0f, 0.0f, 1.0f}},
    // fog
    {{0.0f, 0.0f, 0.0f, 1.0f}, {0.5f, 0.5f, 0.0f, 1.0f}, {0.7f, 0.7f, 0.7f, 1.0f}, {0.5f, 0.0f, 0.0f, 1.0f}},
    // flare
    {{0.1f, 0.1f, 0.5f, 1.0f}, {1.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 0.0f, 0.0f, 1.0f}},
    // east
    {{0.2f, 0.2f, 0.7f, 1.0f}, {1.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, {0.2f, 0.2f, 0.7f, 1.0f}},
    // sky
    {{0.2f, 0.2f, 0.7f, 1.0f}, {0.2f, 0.2f, 0.2f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, {0.2f, 0.2f, 0.2f, 1.0f}},
    // west
    {{0.2f, 0.2f, 0.7f, 1.0f}, {0.2f, 0.2f, 0.7f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 0.0f, 0.0f, 1.0f}},
};

constexpr const char* kColourKeywords[SKYCOLOUR_GROUPS] = {"SUNAMBCOL", "SUNDIFCOL", "FOGCOL",  "FLARECOL",
                                                           "EASTCOL",   "SKYCOL",    "WESTCOL"};

void Put(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Put(std::string* out, const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return;
  if (static_cast<std::size_t>(n) < sizeof buffer) {
    *out += buffer;
    return;
  }
  // A value too large for the buffer (a huge "%f"): format again at its length.
  std::string large(static_cast<std::size_t>(n) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(large.data(), large.size(), format, args);
  va_end(args);
  large.pop_back();
  *out += large;
}

// The reads of one section: each answers whether the value stood there and
// is a finite number (the scanner takes "nan" and "inf" as numbers).
class SectionText {
 public:
  explicit SectionText(EnvTextCursor& text) : text_(text) {}
  bool Reals(float* values, int n) {
    if (!text_.Reals(values, n)) return false;
    for (int i = 0; i < n; ++i)
      if (!std::isfinite(values[i])) return false;
    return true;
  }
  // A keyword (read as a word, not compared: the order is what counts) and its values.
  bool Line(float* values, int n) { return text_.Token(word_) && Reals(values, n); }
  bool LineInt(std::int32_t* value) {
    int v = 0;
    if (!text_.Token(word_) || !text_.Int(&v)) return false;
    *value = v;
    return true;
  }
  bool Colour(CColour* c) {
    float v[4];
    if (!Line(v, 4)) return false;
    *c = CColour{v[0], v[1], v[2], v[3]};
    return true;
  }
  bool Texture(std::string* name) {
    char text[kWordSize];
    if (!text_.Token(word_) || !text_.Word(text)) return false;
    *name = text;
    return true;
  }

 private:
  EnvTextCursor& text_;
  char word_[kWordSize] = {};
};

}  // namespace

const CColour (&SkyDefaultColourKeys())[SKYCOLOUR_GROUPS][kSkyColourKeys] { return kDefaultKeys; }

const char* SkyColourKeyword(SkyColourGroup group) {
  return group >= 0 && group < SKYCOLOUR_GROUPS ? kColourKeywords[group] : "";
}

void SkySettings::Blank() { *this = SkySettings{}; }

// The lines by version, each a keyword and its values unless said otherwise:
//   [< 35] the fog colour (four reals, no keyword)
//   FOGSTART, FOGSTOP; [>= 72] XFOGSTART, XFOGSTOP (else the far range is the same)
//   per layer: SKYTEXTURE "name", SKYTILEFACTOR, SKYFIXEDY (int),
//              [< 35] four reals (no keyword, dropped), SKYSPEED x y z, SKYCURVATURE, SKYHEIGHT
//   [33, 34] four colour lines, replaced by the default sun and fog keys
//   [>= 35] four SUNAMBCOL, four SUNDIFCOL, four FOGCOL
//   [>= 33] four FLARECOL, four EASTCOL, four SKYCOL, four WESTCOL, TIMEOFDAY
// A level before version 33 stores no colours: it takes the default keys and 10:00.
// The stored fog colour of versions before 35 goes to the fog keys, which
// the default keys replace at those versions: it never shows.
bool SkySettings::Load(EnvTextCursor& text, int version, int* line) {
  Blank();
  SectionText in(text);
  auto fail = [&] {
    if (line != nullptr) *line = text.Line();
    return false;
  };
  float dropped[4];
  if (version < kSkyVersionOwnColours && !in.Reals(dropped, 4)) return fail();
  if (!in.Line(&FogStart, 1) || !in.Line(&FogStop, 1)) return fail();
  if (version >= kSkyVersionFarFog) {
    if (!in.Line(&FarFogStart, 1) || !in.Line(&FarFogStop, 1)) return fail();
  } else {
    FarFogStart = FogStart;
    FarFogStop = FogStop;
  }
  if (FogStop > kSkyMaxFogStop) FogStop = kSkyMaxFogStop;
  if (FogStart >= kSkyMaxFogStop) FogStart = kSkyClampedFogStart;

  for (SkyLayerSettings& layer : Layers) {
    if (!in.Texture(&layer.TextureName) || !in.Line(&layer.TileFactor, 1) || !in.LineInt(&layer.FixedY))
      return fail();
    if (version < kSkyVersionOwnColours && !in.Reals(dropped, 4)) return fail();
    if (!in.Line(layer.Speed, 3) || !in.Line(&layer.Curvature, 1) || !in.Line(&layer.Height, 1)) return fail();
  }

  for (int g = 0; g < SKYCOLOUR_GROUPS; ++g)
    for (int k = 0; k < kSkyColourKeys; ++k) Colours[g][k] = kDefaultKeys[g][k];
  if (version < kSkyVersionColourKeys) {
    TimeOfDay = kSkyOldLevelTimeOfDay;
    return true;
  }
  if (version < kSkyVersionOwnColours) {
    CColour ignored;
    for (int k = 0; k < kSkyColourKeys; ++k)
      if (!in.Colour(&ignored)) return fail();
  } else {
    for (int g = SKYCOLOUR_SUN_AMBIENT; g <= SKYCOLOUR_FOG; ++g)
      for (CColour& c : Colours[g])
        if (!in.Colour(&c)) return fail();
  }
  for (int g = SKYCOLOUR_FLARE; g <= SKYCOLOUR_WEST; ++g)
    for (CColour& c : Colours[g])
      if (!in.Colour(&c)) return fail();
  if (!in.Line(&TimeOfDay, 1)) return fail();
  return true;
}

void SkySettings::Save(std::string* out) const {
  Put(out, "FOGSTART %f\r\nFOGSTOP %f\r\nXFOGSTART %f\r\nXFOGSTOP %f\r\n", FogStart, FogStop, FarFogStart,
      FarFogStop);
  for (const SkyLayerSettings& layer : Layers) {
    const std::string& name = layer.TextureName.empty() ? std::string(kSkyNoTexture) : layer.TextureName;
    *out += "SKYTEXTURE \"" + name + "\"\r\n";
    Put(out, "SKYTILEFACTOR %f\r\nSKYFIXEDY %d\r\nSKYSPEED %f %f %f\r\nSKYCURVATURE %f\r\nSKYHEIGHT %f\r\n",
        layer.TileFactor, static_cast<int>(layer.FixedY), layer.Speed[0], layer.Speed[1], layer.Speed[2],
        layer.Curvature, layer.Height);
  }
  for (int g = 0; g < SKYCOLOUR_GROUPS; ++g)
    for (const CColour& c : Colours[g]) Put(out, "%s %f %f %f %f\r\n", kColourKeywords[g], c.r, c.g, c.b, c.a);
  Put(out, "TIMEOFDAY %f\r\n", TimeOfDay);
}
