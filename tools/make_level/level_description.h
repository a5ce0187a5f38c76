// The text description of a level that make_level turns into the level's
// files.  One command a line; words are separated by blanks, a double-quoted
// word may hold blanks, '#' outside quotes starts a comment.  Positions are
// world units (centimetres), y up; rotations are degrees.
//
//   level <NAME>                   the level's name: <NAME>.env, <NAME>.FAS, <NAME>.OCT, <NAME>.dat
//   caption <text>                 the loading caption
//   objects <file>                 an object description (make_objects' format) whose objects the level may place
//   include <file>                 reads another description file here (paths are relative to the file naming them)
//   instance <name> <object> [parent <name>] [at x y z] [rotate x y z] [scale x y z] [kind <load kind>]
//            [flags <n>] [id <n>] [texture <name>] [lights <n> <index>...] [garden <n>] [small <a> <b>]
//            [anim <animation>] [vanim <frames per second>]
//            [damage <strength> <kind> <debris object or -> <value> <value> <byte value> <int> <int>]
//                                  a breakable instance's damage block (for the breakables: health,
//                                  debris count, debris, explosion strength and size, light, sounds off/on)
//   portal <name> <owner> <target> [number <n>] [sphere x y z r] [limited] [noexpand] points <n> x y z ...
//                                  the plane is taken from the first three points (front: counter-clockwise side)
//   gameobject <name> [parent <instance>] [at x y z] [rotate x y z] [side <n>] [id <n>] [stats <name>]
//            [table <n>] [value <n>] [flags <n>] [inactive] [texture <name>] [lights <n> <index>...]
//            [attach <connector> <object>]... [squad <n>] [waypoint <index>] [stance <n>] [alertness <n>]
//                                  a game-object record; its template is the object of that name; it
//                                  takes the lights of the instance it stands on unless it names its own;
//                                  an inactive one waits for the mission to wake it; for a unit: its
//                                  squad number (the record's second byte), its first waypoint, its
//                                  stance value (stance + 1) and its alertness (1 to 4)
//   needs <object>                 an object the level's game objects load by name (a stats record's
//                                  model) though the level does not place it: its file is written and
//                                  catalogued
//   anims <alias table>            the units' animation aliases (slot, file, clip): each alias's files,
//                                  made by make_anims into the data folder, are copied into the level's
//                                  folder and catalogue, and the load list registers them
//   loadlist <name>                writes the level's load list <name> ("BEGIN", "ENVIRONMENT", an "ANIM"
//                                  line per alias, "END")
//   waypoint <name> at x y z [look x y z] [tag <n>] [next <index>]
//   shrub <garden> <object> at x y z [rotate x y z] [size <s>] [still] [lit]
//                                  a shrub of the numbered garden (an instance names its garden with
//                                  "garden n"); it sways unless still, and lit ones take the lights of
//                                  their instance; the shrubbery section is written from these lines
//                                  when no "section shrubbery" is given
//   sky [fog <start> <stop>] [farfog <start> <stop>] [time <hours>]
//                                  the level's sky, starting from the default sky (fog 4000 to 9000, noon,
//                                  the default colour keys, two still layers without texture); written
//                                  through the engine's sky-section writer
//   skylayer <0|1> [texture <name>] [tile <factor>] [fixedy] [speed x y z] [curvature <c>] [height <h>]
//                                  a cloud layer of that sky
//   skycolour <sunambient|sundiffuse|fog|flare|east|sky|west> <0|6|12|18> r g b a
//                                  a colour key of that sky (colours 0..1, the key's hour)
//   pane [thickness <t>] [colour <r> <g> <b> <a>] [material <r> <g> <b> <power>] [splits <a> <b>]
//        [floors <front> <back>] [push <front> <back>] [effects <n> <light>...] [reflect <amount> <texture or ->]
//        points <n> x y z ...      a glass pane (3 to 32 points of a flat convex outline, at most 16 panes),
//                                  written into the glass section by the glass set's writer
//   region <name> box at x y z [rotate x y z] from x y z to x y z
//   region <name> sphere at x y z radius <r>
//                                  a region (the box's corners in its own frame); regions are numbered
//                                  from 0 in the order given
//   switchtype <name> <first model or NONE> <second model or NONE> [move x y z] [turn x y z] time <seconds>
//                                  a line of the switch types' table "Switches.txt" (a level file)
//   switch <name> parent <instance> at x y z [rotate x y z] type <switchtype> region <region>
//          [links <object id> <object id>] [value <n>]
//                                  a switch of the switch section; linked objects by game-object id (0 none)
//   emitter type <particle type> at x y z velocity x y z to x y z [size <percent>] [grow <min> <max>]
//           [rate <percent per s>] [life <min ms> <max ms>] [delay <min s> <max s>] [colour r g b a]
//           [jitter] [for <seconds>] [stopped]
//                                  a particle emitter of the "<EMIT>" section (running unless stopped)
//   tracer at x y z                a tracer battery
//   envsound <name> sample <file> [at x y z] [range <r>] [volume <v>] [pitch <p>] [level <l>]
//            [pause <min ms> <max ms>] [off] [text <word>...]
//                                  an environment sound of the sound section (heard everywhere
//                                  unless placed "at"; looping unless given a pause; "text" takes
//                                  the rest of the line as its description)
//   dynamics <file>                a dynamics description (make_dynamics' format) whose ".dyn" files
//                                  the level's folder gets
//   section <lights|sounds|waypoints|routemarkers|regions|switches|sky|glass|emitters|shrubbery|tracers|cameras>
//     ...lines written as they stand into that section of the level file...
//   endsection
//   file <name>                    a data file of the level (e.g. a ".dyn" file), written as it stands
//     ...lines...
//   endfile
//
// A section that no description gives is written empty (with its end word);
// a section given twice is written in the order read.  A sky given by "sky"
// lines may not also be given as a section.  The region, switch, emitter,
// tracer and sound sections are written from "region", "switch", "emitter",
// "tracer" and "envsound" lines through the sections' writers when any is
// given; such a
// section may not also be given as text.  Waypoints given by
// "waypoint" lines are written when no "section waypoints" is given.
#pragma once

#include <string>
#include <vector>

#include "sound/environment_sound_section.h"
#include "world/effects/particle_emitters.h"
#include "world/environment/env_file_writer.h"
#include "world/shrubbery/shrubbery_section.h"
#include "world/sky/sky_settings.h"

struct LevelFileSource {
  std::string Name;
  std::string Text;
};

// One glass pane of a "pane" line (colours are red, green, blue, alpha).
struct LevelPaneSource {
  float colour[4] = {0.7f, 0.85f, 0.9f, 0.35f};
  float material[3] = {1.0f, 1.0f, 1.0f};
  float power = 20.0f;
  int splits[2] = {0, 8};
  float floors[2] = {0.0f, 0.0f};  // front, back
  float push[2] = {150.0f, 150.0f};
  float thickness = 1.0f;
  std::vector<CVector3> points;
  std::vector<int> effects;
  float reflectAmount = 0.0f;
  std::string reflectTexture;  // empty: none
};

struct LevelRegionSource {
  std::string Name;
  int Type = 0;  // 0 box, 1 sphere
  CVector3 Position{};
  CVector3 Rotation{};
  CVector3 Min{}, Max{};  // box corners in its own frame
  float Radius = 0.0f;
};

struct LevelSwitchTypeSource {
  std::string Name;
  std::string FirstModel = "NONE";
  std::string SecondModel = "NONE";
  CVector3 PositionOffset{};
  CVector3 RotationOffset{};
  float TravelTime = 0.0f;  // seconds
};

struct LevelSwitchSource {
  std::string Name;
  std::string Parent;
  CVector3 Position{};
  CVector3 Rotation{};
  std::string Type;
  std::string Region;
  int Links[2] = {0, 0};
  int LinkValue = -1;
};

struct LevelDescription {
  std::string Name;
  std::vector<std::string> ObjectFiles;  // paths as resolved
  std::vector<std::string> SourceFiles;  // every description file read, the main one first
  std::vector<std::string> DynamicsFiles;  // paths as resolved
  EnvFileSource Env;
  std::vector<LevelFileSource> Files;
  ShrubberySectionData Shrubbery;  // from "shrub" lines
  // The sky of "sky", "skylayer" and "skycolour" lines (SkyGiven), written
  // into Env's sky section by MakeLevel.
  bool SkyGiven = false;
  SkySettings Sky;
  std::vector<LevelPaneSource> Panes;
  std::vector<LevelRegionSource> Regions;
  std::vector<LevelSwitchTypeSource> SwitchTypes;
  std::vector<LevelSwitchSource> Switches;
  std::vector<ParticleEmitter> Emitters;
  std::vector<CVector3> Tracers;
  std::vector<std::string> NeededObjects;   // "needs" lines
  std::vector<std::string> AnimAliasFiles;  // "anims" lines, paths as resolved
  std::string LoadList;                     // "loadlist": the load list's file name, empty for none
  std::vector<EnvironmentSound> Sounds;
};

// The level file's text: Env, with the described sky in its sky section.
std::string LevelEnvironmentText(const LevelDescription& level);

// The section names of "section" lines, by section id.
const char* LevelSectionWord(EnvSectionId id);

// Reads the description at `path` and its includes, then writes the
// sections given by records into Env (and "Switches.txt" into Files).  False
// with "<file>:<line>: ..." in error for an unknown command or option, a
// missing or bad number, an unknown section, an unterminated section or
// file, an include loop or a file that cannot be read; with "<level>: ..."
// for a section given both as text and by records, a switch naming a switch
// type or region that is not described, or a name that does not fit its
// field.
bool ReadLevelDescription(const std::string& path, LevelDescription* out, std::string* error);
// The same over text already in memory (`name` names it in messages;
// includes are resolved against `folder`).
bool ReadLevelDescriptionText(const std::string& text, const std::string& name, const std::string& folder,
                              LevelDescription* out, std::string* error);
