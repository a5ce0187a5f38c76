// The synthesiser of the demo's samples: nothing recorded, every sample made
// from a recipe.  Each recipe has a pitch of its own, so that the sample can
// be told apart in a mix by that frequency.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SampleRecipe {
  std::string name;      // the sample's name in the cache ("Siren", "OBJ_M1_1A.wav")
  std::string kind;      // tone, chirp, siren, noise, click, speech
  float pitch = 440.0f;  // Hz: the tone, the start of a chirp, the low of a siren, the voice
  float duration = 1.0f; // seconds
  int rate = 22050;      // Hz
  float param = 0.0f;    // chirp: end pitch; siren: high pitch
  bool stereo = false;   // music: both channels (the right a fifth above)
};

// The recipe's 16-bit samples (interleaved when stereo).  Deterministic: the
// noise is seeded from the name.  Empty for an unknown kind.
std::vector<std::int16_t> Synthesise(const SampleRecipe& recipe);
// Whether `kind` is a recipe the synthesiser knows.
bool IsSampleRecipe(const std::string& kind);
