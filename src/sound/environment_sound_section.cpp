#include "sound/environment_sound_section.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "foundation/system/debug_output.h"
#include "platform/win32/message_box.h"
#include "world/environment/env_text_cursor.h"

namespace {

bool ReadLine(EnvTextCursor& text, char* out, std::size_t size, const char* what) {
  bool cut = false;
  const int line = text.Line();
  if (!text.RestOfLine(out, size, &cut)) return false;
  if (cut) DebugTrace("Environment sounds: %s at line %d is too long, cut\n", what, line);
  return true;
}

}  // namespace

std::string EnvironmentSampleName(const char* sampleFile) {
  const char* start = sampleFile;
  for (const char* p = sampleFile; *p; ++p)
    if (*p == '\\' || *p == '/') start = p + 1;
  const char* dot = std::strrchr(start, '.');
  return std::string(start, dot != nullptr ? static_cast<std::size_t>(dot - start) : std::strlen(start));
}

bool ReadEnvironmentSoundSection(EnvTextCursor& text, std::vector<EnvironmentSound>* out) {
  out->clear();
  bool warned = false;
  char name[256];
  for (;;) {
    const int line = text.Line();
    if (!text.Token(name)) {
      DebugTrace("Environment sounds: the text ends before \"ENDENVS\" (line %d)\n", line);
      return false;
    }
    if (std::strcmp(name, "ENDENVS") == 0) return true;
    EnvironmentSound s;
    if (std::strlen(name) >= sizeof s.name)
      DebugTrace("Environment sounds: the name at line %d is too long, cut\n", line);
    const std::size_t n = std::min(std::strlen(name), sizeof s.name - 1);
    std::memcpy(s.name, name, n);
    s.name[n] = 0;
    char skipped[8];
    bool ok = text.RestOfLine(skipped, sizeof skipped) && ReadLine(text, s.sampleFile, sizeof s.sampleFile, "the sample file") &&
              ReadLine(text, s.description, sizeof s.description, "the description");
    float position[3] = {};
    ok = ok && text.Reals(position, 3) && text.Int(&s.flags) && text.Real(&s.range) && text.Real(&s.volume) &&
         text.Real(&s.pitch) && text.Real(&s.level) && text.Int(&s.minInterval) && text.Int(&s.maxInterval) &&
         text.Int(&s.enabled);
    if (!ok) {
      DebugTrace("Environment sounds: entry \"%s\" stops at line %d\n", s.name, text.Line());
      return false;
    }
    s.position = CVector3{position[0], position[1], position[2]};
    if (static_cast<int>(out->size()) >= kMaxEnvironmentSounds) {
      if (!warned) MessageBoxA(GetActiveWindow(), "Too many sounds!", "Error", MB_OK);
      warned = true;
      continue;
    }
    out->push_back(s);
  }
}

std::string WriteEnvironmentSoundSection(const std::vector<EnvironmentSound>& sounds) {
  std::string out;
  char line[512];
  for (const EnvironmentSound& s : sounds) {
    std::snprintf(line, sizeof line, "%s\r\n%s\r\n%s\r\n%f %f %f \r\n%d %f %f %f %f %d %d %d\r\n", s.name,
                  s.sampleFile, s.description, s.position.x, s.position.y, s.position.z, s.flags, s.range, s.volume,
                  s.pitch, s.level, s.minInterval, s.maxInterval, s.enabled);
    out += line;
  }
  out += "ENDENVS\r\n";
  return out;
}
