// The level file's sections that make_level writes from records of the
// description: regions, switches (and their types' table "Switches.txt"),
// particle emitters and tracer batteries, in the layout of a version-72
// file.  Emitters and tracer batteries go through their modules' own
// section writers; regions and switches, whose modules only read, are
// written here in the layout their readers take.
#pragma once

#include <string>
#include <vector>

#include "make_level/level_description.h"

// The region section: the count, one record per region (keyword, quoted
// name, type, and box pose and corners or sphere centre and radius), the
// end word.
std::string WriteRegionSection(const std::vector<LevelRegionSource>& regions);
// The switch section: "NUMSWITCHES" and the count, one record per switch
// (keyword, quoted name and parent, rest pose, quoted type and region, the
// two linked ids and the link value).
std::string WriteSwitchSection(const std::vector<LevelSwitchSource>& switches);
// "Switches.txt": one line per type, fields separated by commas, the travel
// time in seconds; every line ends with a line feed.
std::string WriteSwitchStatsText(const std::vector<LevelSwitchTypeSource>& types);
// The emitter section through the emitter list's writer.
std::string WriteEmitterSection(const std::vector<ParticleEmitter>& emitters);

// Fills the description's region, switch, emitter and tracer sections and
// its "Switches.txt" file from its records (nothing for kinds without
// records).  False with "<level>: ..." in error when such a section is also
// given as text, a switch names a type or region not described, a name does
// not fit its field or holds a quote or comma, or there are more records
// than the level may hold.
bool ComposeLevelSections(LevelDescription* level, std::string* error);
