#include "world/environment/env_file_sections.h"

#include <cstring>
#include <vector>

#include "foundation/system/debug_output.h"
#include "sound/environment_sound_section.h"
#include "sound/sound_manager.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/env_waypoints.h"

namespace {

constexpr int kNameSize = 128;
// Counted sections larger than this are taken as damaged text.
constexpr int kMaxSectionCount = 100000;

bool Is(const char* word, const char* expected) { return std::strcmp(word, expected) == 0; }

bool Stopped(EnvTextCursor& text, const char* section) {
  DebugTrace("Environment file: %s section stops at line %d\n", section, text.Line());
  return false;
}

// --- sections read past by their end word ---------------------------------------

bool SkipLights(EnvTextCursor& text, const EnvSectionContext&) { return EnvSkipToWord(text, "ENDL"); }

bool ReadSounds(EnvTextCursor& text, const EnvSectionContext&) {
  if (g_SoundManager != nullptr) return g_SoundManager->ReadEnvironmentSounds(text);
  // Without the game's manager the section is still read whole, into a scratch list.
  static std::vector<EnvironmentSound> scratch;
  return ReadEnvironmentSoundSection(text, &scratch);
}

bool ReadWaypoints(EnvTextCursor& text, const EnvSectionContext& context) {
  if (g_EnvWaypoints != nullptr) {
    g_EnvWaypoints->Init();
    return g_EnvWaypoints->Read(text, context.version);
  }
  // Without the game's list the section is still read whole, into a scratch list.
  static EnvWaypointList scratch;
  scratch.Init();
  return scratch.Read(text, context.version);
}

bool SkipRouteMarkers(EnvTextCursor& text, const EnvSectionContext&) { return EnvSkipToWord(text, "ENDMARKERS"); }

bool SkipGlass(EnvTextCursor& text, const EnvSectionContext&) {
  char word[kNameSize];
  if (!text.Token(word) || !Is(word, "<GLAZIER>")) return Stopped(text, "glass");
  return EnvSkipToWord(text, "</GLAZIER>");
}

bool SkipEmitters(EnvTextCursor& text, const EnvSectionContext&) {
  char word[kNameSize];
  if (!text.Token(word) || !Is(word, "<EMIT>")) return Stopped(text, "emitter");
  return EnvSkipToWord(text, "</EMIT>");
}

bool SkipShrubbery(EnvTextCursor& text, const EnvSectionContext&) {
  char word[kNameSize];
  return EnvSkipToWord(text, "ENDGARDEN") && text.Token(word);
}

// Before version 12 the section is one player-view record: two words and
// the position and angles.
bool SkipMovieCameras(EnvTextCursor& text, const EnvSectionContext& context) {
  if (context.version >= 12) return EnvSkipToWord(text, "ENDC");
  char word[kNameSize];
  float values[6];
  return text.Word(word) && text.Word(word) && text.Reals(values, 6);
}

// --- sections read past by their layout --------------------------------------------

bool Count(EnvTextCursor& text, int* n) { return text.Int(n) && *n >= 0 && *n <= kMaxSectionCount; }

// A count, then per region: keyword, name, type, the type's reals, four ints
// in versions 32 to 52; then the end word.
bool SkipRegions(EnvTextCursor& text, const EnvSectionContext& context) {
  int n = 0;
  if (!Count(text, &n)) return Stopped(text, "region");
  char word[kNameSize];
  float values[12];
  for (int i = 0; i < n; ++i) {
    int type = 0;
    if (!text.Token(word) || !text.Word(word) || !text.Int(&type)) return Stopped(text, "region");
    const int reals = type == 0 ? 12 : type == 1 ? 4 : 0;
    if (!text.Reals(values, reals)) return Stopped(text, "region");
    if (context.version >= 32 && context.version <= 52) {
      for (int k = 0; k < 4; ++k)
        if (!text.Int(nullptr)) return Stopped(text, "region");
    }
  }
  return text.Token(word) || Stopped(text, "region");
}

// Present only when "NUMSWITCHES" stands next; then a count and per switch:
// keyword, name, parent, rest position and rotation, type, region, two
// linked ids, and from version 62 the link value.
bool SkipSwitches(EnvTextCursor& text, const EnvSectionContext& context) {
  char word[kNameSize];
  const char* start = *text.Cursor();
  if (!text.Token(word) || !Is(word, "NUMSWITCHES")) {
    *text.Cursor() = start;
    return true;
  }
  int n = 0;
  if (!Count(text, &n)) return Stopped(text, "switch");
  float values[6];
  for (int i = 0; i < n; ++i) {
    bool ok = text.Token(word) && text.Word(word) && text.Word(word) && text.Reals(values, 6) && text.Word(word) &&
              text.Word(word) && text.Int(nullptr) && text.Int(nullptr) &&
              (context.version < 62 || text.Int(nullptr));
    if (!ok) return Stopped(text, "switch");
  }
  return true;
}

// A keyword and its values; the keyword is not compared.
bool Line(EnvTextCursor& text, int reals) {
  char word[kNameSize];
  float values[4];
  return text.Token(word) && text.Reals(values, reals);
}

bool SkipSky(EnvTextCursor& text, const EnvSectionContext& context) {
  const int v = context.version;
  float values[4];
  bool ok = (v >= 35 || text.Reals(values, 4)) && Line(text, 1) && Line(text, 1) &&
            (v < 72 || (Line(text, 1) && Line(text, 1)));
  char word[kNameSize];
  for (int layer = 0; ok && layer < 2; ++layer) {
    ok = text.Token(word) && text.Word(word) && Line(text, 1) && text.Token(word) && text.Int(nullptr) &&
         (v >= 35 || text.Reals(values, 4)) && Line(text, 3) && Line(text, 1) && Line(text, 1);
  }
  if (ok && v >= 33) {
    // 33 and 34: four colour lines; from 35: sun ambient, sun diffuse and fog.
    const int groups = (v >= 35 ? 3 : 1) + 4;
    for (int i = 0; ok && i < groups * 4; ++i) ok = Line(text, 4);
    ok = ok && Line(text, 1);
  }
  return ok || Stopped(text, "sky");
}

bool SkipTracerBatteries(EnvTextCursor& text, const EnvSectionContext&) {
  char word[kNameSize];
  int n = 0;
  if (!text.Word(word) || !Count(text, &n)) return Stopped(text, "tracer-battery");
  float position[3];
  for (int i = 0; i < n; ++i)
    if (!text.Reals(position, 3)) return Stopped(text, "tracer-battery");
  return true;
}

struct SectionInfo {
  const char* name;
  const char* endWord;
  EnvSectionReader builtIn;
};

const SectionInfo kSections[ENVSECTION_COUNT] = {
    {"lights", "ENDL", SkipLights},
    {"sound", "ENDENVS", ReadSounds},
    {"waypoint", "ENDWAYPTS", ReadWaypoints},
    {"route-marker", "ENDMARKERS", SkipRouteMarkers},
    {"region", nullptr, SkipRegions},
    {"switch", nullptr, SkipSwitches},
    {"sky", nullptr, SkipSky},
    {"glass", "</GLAZIER>", SkipGlass},
    {"emitter", "</EMIT>", SkipEmitters},
    {"shrubbery", "ENDGARDEN", SkipShrubbery},
    {"tracer-battery", nullptr, SkipTracerBatteries},
    {"movie-camera", "ENDC", SkipMovieCameras},
};

EnvSectionReader g_Readers[ENVSECTION_COUNT] = {};

bool Valid(EnvSectionId id) { return id >= 0 && id < ENVSECTION_COUNT; }

}  // namespace

bool EnvSkipToWord(EnvTextCursor& text, const char* endWord) {
  char word[kNameSize];
  while (!text.AtEnd()) {
    // A word that does not fit is read past as a token.
    const char* start = *text.Cursor();
    if (!text.Word(word)) {
      *text.Cursor() = start;
      if (!text.Token(word)) break;
      continue;
    }
    if (Is(word, endWord)) return true;
  }
  DebugTrace("Environment file: \"%s\" not found before the end of the text\n", endWord);
  return false;
}

EnvSectionReader SetEnvSectionReader(EnvSectionId id, EnvSectionReader reader) {
  if (!Valid(id)) return nullptr;
  EnvSectionReader before = GetEnvSectionReader(id);
  g_Readers[id] = reader;
  return before;
}

EnvSectionReader GetEnvSectionReader(EnvSectionId id) {
  if (!Valid(id)) return nullptr;
  return g_Readers[id] != nullptr ? g_Readers[id] : kSections[id].builtIn;
}

EnvSectionReader GetDefaultEnvSectionReader(EnvSectionId id) { return Valid(id) ? kSections[id].builtIn : nullptr; }

const char* EnvSectionName(EnvSectionId id) { return Valid(id) ? kSections[id].name : "unknown"; }

const char* EnvSectionEndWord(EnvSectionId id) { return Valid(id) ? kSections[id].endWord : nullptr; }
