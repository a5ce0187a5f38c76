// Feeds text to the environment-sound section reader: it must read within
// the text, keep every word within its field and never keep more than 40
// sounds.
//
// Seeds (HALBERD_WRITE_SEEDS=<folder>): sections made by the section's writer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_seed_file.h"
#include "sound/environment_sound_section.h"
#include "sound_fuzz.h"
#include "world/environment/env_text_cursor.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) {
    std::vector<EnvironmentSound> sounds(3);
    const char* names[] = {"Siren", "River", "Hum"};
    for (int i = 0; i < 3; ++i) {
      std::strcpy(sounds[static_cast<std::size_t>(i)].name, names[i]);
      std::strcpy(sounds[static_cast<std::size_t>(i)].sampleFile, (std::string("sounds\\") + names[i] + ".wav").c_str());
      std::strcpy(sounds[static_cast<std::size_t>(i)].description, "a sound of the level");
      sounds[static_cast<std::size_t>(i)].flags = i & 1;
      sounds[static_cast<std::size_t>(i)].minInterval = 1000 * i;
      sounds[static_cast<std::size_t>(i)].maxInterval = 2000 * i;
    }
    WriteSeedIn(folder, "three.txt", WriteEnvironmentSoundSection(sounds));
    WriteSeedIn(folder, "empty.txt", WriteEnvironmentSoundSection({}));
    std::exit(0);
  }
  sound_fuzz::Quiet();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();  // the reader reads NUL-terminated text
  EnvTextCursor cursor(text.c_str());
  std::vector<EnvironmentSound> sounds;
  ReadEnvironmentSoundSection(cursor, &sounds);
  if (cursor.Offset() > text.size() || sounds.size() > kMaxEnvironmentSounds) __builtin_trap();
  for (const EnvironmentSound& s : sounds)
    if (std::strlen(s.name) >= sizeof s.name || std::strlen(s.sampleFile) >= sizeof s.sampleFile ||
        std::strlen(s.description) >= sizeof s.description)
      __builtin_trap();
  EnvironmentSampleName(text.c_str());
  return 0;
}
