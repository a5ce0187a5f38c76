// The glass set's reader of the level file's "<GLAZIER>" section, plugged
// into the level loader's section table.  Main thread only.
#pragma once

class CEnvironment;
struct GlassModules;

// Installs the reader: for the environment being loaded it makes the glass
// set when there is none (400 shards), makes the shard pool and reads the
// section into it.  Without an environment the section is read into a
// scratch set and kept nowhere.
void InstallGlassSectionReader();
// What the glass set needs of an environment: its material list and texture
// library, and whether its render device (or else the running engine's)
// draws environment maps.
GlassModules GlassModulesOf(const CEnvironment* environment);
