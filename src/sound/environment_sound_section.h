// The level's environment sounds: looping or timed sounds placed in the
// world, at most 40, listed in the sound section of the level's environment
// text file and read up to the word "ENDENVS".
//
// Each entry, in the text:
//   Name                         the entry's name (one token)
//   <a line>                     the sample's file, e.g. "sounds\Siren.wav":
//                                the sample is the part after the last
//                                backslash, without its extension ("Siren")
//   <a line>                     a description, free text
//   x y z                        position (world units)
//   flags range volume pitch level min max enabled
//       flags: bit 0 placed at the position (else heard everywhere);
//       range: heard within it; volume and pitch factors; level: the
//       script's parameter; min and max: the pause in milliseconds before it
//       plays again once it has played (max 0: it loops); enabled: 1 or 0.
// then the next entry's name or "ENDENVS".  The rest of the name's line is
// not read.  Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/geometry/vector3.h"

class EnvTextCursor;

inline constexpr int kMaxEnvironmentSounds = 40;

struct EnvironmentSound {
  char name[64] = {};
  char sampleFile[128] = {};
  char description[128] = {};
  CVector3 position{};
  int flags = 0;
  float range = 1000.0f;
  float volume = 1.0f;
  float pitch = 1.0f;
  float level = 1.0f;
  int minInterval = 0;   // ms
  int maxInterval = 0;   // ms; 0: the sound loops
  int enabled = 1;
  // Kept by the sound manager.
  std::uint32_t sample = 0;      // handle in the sound cache, 0 when missing
  std::uint32_t nextStart = 0;   // game time (ms) of the next play, when armed
  bool armed = false;            // a next start time is set
};

// The sample name of a sample file: the part after the last backslash (or
// slash), without its extension.
std::string EnvironmentSampleName(const char* sampleFile);

// Reads entries up to and including "ENDENVS" into `out` (cleared first).
// A 41st entry shows "Too many sounds!" (title "Error") and the entries
// beyond 40 are dropped.  A name, file or description longer than its field
// is cut (the debug output names the line).  False, with the entries read so
// far kept, when the text ends first or an entry's numbers are missing.
bool ReadEnvironmentSoundSection(EnvTextCursor& text, std::vector<EnvironmentSound>* out);
// The section's text for `sounds`, "ENDENVS" included.
std::string WriteEnvironmentSoundSection(const std::vector<EnvironmentSound>& sounds);
