// The sky section of the environment file in the level loader: the reader
// that reads it into the environment's sky, installed into the loader's
// section table, and the writer of the section for the level tools.
// Main thread only.
#pragma once

#include <string>

#include "world/environment/env_file_sections.h"
#include "world/sky/sky_settings.h"

// Makes ReadSkySection the loader's reader of the sky section.
void InstallSkySectionReader();
// Reads the section at the file's version and applies it to the
// environment's sky (CSky::LoadSettings).  Without an environment or a sky
// the section is read all the same and dropped.  False, with the sky as it
// was, when the section is damaged.
bool ReadSkySection(EnvTextCursor& text, const EnvSectionContext& context);

// The section of a level file of the current version for the settings
// (lines ended by "\r\n").
std::string WriteSkySection(const SkySettings& settings);
// The sky of a level that describes none: fog from 4000 to 9000 (the far
// range the same), two layers without texture (tile factor 1, curvature
// 0.5, height 2000, still), the default colour keys and noon.
SkySettings DefaultSkySettings();
