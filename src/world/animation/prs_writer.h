// Writes the ".prs" text of an animation set, in the form its loader reads,
// for the data tools that make animations from key poses.  Numbers are
// written with enough digits to read back to the same floats.
#pragma once

#include <string>
#include <vector>

#include "world/animation/anim_set.h"

// Name and parent name of each track (node), in track order; a missing
// entry is written as "ROOT".
struct PrsTrackNames {
  std::vector<std::string> Names;
  std::vector<std::string> Parents;
};

std::string WritePrsText(const AnimSet& set, const PrsTrackNames& names);
// The same into a file; false when it cannot be written.
bool WritePrsFile(const char* path, const AnimSet& set, const PrsTrackNames& names);
