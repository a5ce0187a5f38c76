// The light section of the environment text file: "DLGT", "SLGT" and "PLGT"
// records up to "ENDL", with fields gated by the file's version.  A record
// reads and writes itself side by side; CLightTable::ReadLightSection reads
// the records and applies them to the table.  Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8/d3d8.h"

class EnvTextCursor;

// First file versions of the gated fields.
constexpr int kLightVersionSpotRange = 28;
constexpr int kLightVersionNames = 29;
constexpr int kLightVersionFlags = 30;
constexpr int kLightVersionGlow = 31;
constexpr int kLightVersionAttenuation = 60;
// Spot range of records written before the spot range was stored.
constexpr float kLightDefaultSpotRange = 1000.0f;
// File flags a record may set; the others describe run-time state.
constexpr std::uint32_t kLightFileFlagMask = 0x0004 | 0x0010 | 0x0400 | 0x0800 | 0x2000 | 0x4000 | 0x8000;

struct LightFileRecord {
  D3DLIGHTTYPE Type = D3DLIGHT_POINT;  // DLGT directional, SLGT spot, PLGT point
  int Index = 255;
  std::string Name;
  std::uint32_t Flags = 0;
  float Diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float Ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float Position[3] = {};
  float Angles[3] = {};  // directional and spot lights
  float Inner = 30.0f, Outer = 45.0f;  // spot: full cone angles, degrees
  float Range = kLightDefaultSpotRange;  // point and spot
  float WindowStart = 0.0f, WindowEnd = 24.0f;  // with flag 0x0400
  int Chain = 0;                                // with flag 0x0800
  std::string InstanceName;                     // with flag 0x0800
  int FlareSwitch = 0;  // before the flags were stored
  float FlareSize = 100.0f;
  std::string Glow = "IMAGE_GLOW";
  bool HasAttenuation = false;
  float Attenuation[3] = {1.0f, 0.0f, 5.0f};  // a0, a1 x range, a2 x range squared

  // The keyword of the record's type.
  const char* Keyword() const;
  // Reads the fields after the keyword (Type set by the caller) at the
  // file's version.  False at the first missing or malformed field.
  bool Load(EnvTextCursor& cursor, int version);
  // Appends the record, keyword first, as the version writes it, one line.
  void Save(std::string* out, int version) const;
};

// Reads records until "ENDL" (other words between records are skipped).
// False, with *line set to the line of the fault, at a damaged record or
// when the text ends before "ENDL"; the records read before stay in *out.
bool ReadLightRecords(EnvTextCursor& cursor, int version, std::vector<LightFileRecord>* out, int* line);
// Appends the records and "ENDL".
void WriteLightSection(std::string* out, const std::vector<LightFileRecord>& records, int version);
