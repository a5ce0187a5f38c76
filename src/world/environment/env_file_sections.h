// The sections of the environment file that other modules read (lights,
// sounds, waypoints, route markers, regions, switches, sky, glass, emitters,
// shrubbery, tracer batteries, movie cameras), and the table through which
// each module plugs its reader into the level loader without the loader
// knowing it.  Until a module installs its reader, a built-in reader reads
// the section past (to its end word, or by its counted layout where it has
// none) and keeps nothing, so that the rest of the file still loads.
//
// The loader calls a section's reader only where the section stands in a
// file of that version (the gates are the loader's), with the cursor at the
// section's first word; the reader leaves the cursor behind the section.
// Main thread only.
#pragma once

#include <cstdint>

class CEnvironment;
class EnvTextCursor;

enum EnvSectionId : int {
  ENVSECTION_LIGHTS = 0,        // records up to "ENDL"
  ENVSECTION_SOUNDS,            // environment sounds up to "ENDENVS"
  ENVSECTION_WAYPOINTS,         // "NEWENVWAYPT"/"ENVWAYPT" records up to "ENDWAYPTS"
  ENVSECTION_ROUTE_MARKERS,     // "NEWENVMARKER" records up to "ENDMARKERS" (version 11 on, level flag 2 clear)
  ENVSECTION_REGIONS,           // version 8 on: a count, the regions, an end word
  ENVSECTION_SWITCHES,          // version 8 on: present only when "NUMSWITCHES" stands next (the reader looks)
  ENVSECTION_SKY,               // fog, two cloud layers, colour keys, time of day (no end word)
  ENVSECTION_GLASS,             // version 34 on: "<GLAZIER>" .. "</GLAZIER>"
  ENVSECTION_EMITTERS,          // version 38 on: "<EMIT>" .. "</EMIT>"
  ENVSECTION_SHRUBBERY,         // version 52 on: up to "ENDGARDEN" and one more word
  ENVSECTION_TRACER_BATTERIES,  // version 61 on: a keyword, a count, the positions
  ENVSECTION_MOVIE_CAMERAS,     // the last section: records up to "ENDC" (version 12 on), read after the loader
  ENVSECTION_COUNT
};

// What a section reader is told besides the cursor.
struct EnvSectionContext {
  CEnvironment* environment = nullptr;  // the environment being filled (may be null in tests)
  int version = 0;                      // the file's version
  std::uint32_t levelFlags = 0;         // the header's level flag word (bit 2: no route markers in the file)
};

// Reads one section; true when the section was read whole.  A false answer
// is reported by the loader (the load then answers failure), which goes on
// with the next section from behind the section's end word where it has one.
using EnvSectionReader = bool (*)(EnvTextCursor& text, const EnvSectionContext& context);

// Installs a section's reader; null puts the built-in reader back.  Answers
// the reader that was installed before.
EnvSectionReader SetEnvSectionReader(EnvSectionId id, EnvSectionReader reader);
// The reader the loader will call (never null for a valid id).
EnvSectionReader GetEnvSectionReader(EnvSectionId id);
// The built-in reader of a section.
EnvSectionReader GetDefaultEnvSectionReader(EnvSectionId id);
// The section's name for messages ("lights", "sky", ...).
const char* EnvSectionName(EnvSectionId id);
// The word that closes the section, or null for sections closed by a count
// or by their layout (regions, switches, sky, tracer batteries).
const char* EnvSectionEndWord(EnvSectionId id);

// Reads words (quoted strings count as one) up to and including `endWord`;
// false when the text ends first.
bool EnvSkipToWord(EnvTextCursor& text, const char* endWord);
