// make_sounds <demo_data folder> <output folder>: writes the demo's sound
// banks and caches from "samples.txt" and "banks.txt", then reads each file
// back with the game's own readers; any fault ends it with a message and
// exit code 1.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "sound/sound_bank.h"
#include "sound/sound_cache.h"
#include "sound_files.h"

namespace {

bool ReadText(const std::filesystem::path& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_sounds <demo_data folder> <output folder>\n");
    return 2;
  }
  const std::filesystem::path source = argv[1], target = argv[2];
  std::string samples, banks, error;
  if (!ReadText(source / "samples.txt", &samples) || !ReadText(source / "banks.txt", &banks)) {
    std::fprintf(stderr, "make_sounds: cannot read samples.txt and banks.txt in %s\n", argv[1]);
    return 1;
  }
  SoundSources sources;
  std::vector<MadeSoundFile> files;
  if (!ReadSoundSources(samples, banks, &sources, &error) || !MakeSoundFiles(sources, &files, &error)) {
    std::fprintf(stderr, "make_sounds: %s\n", error.c_str());
    return 1;
  }
  std::filesystem::create_directories(target);
  for (const MadeSoundFile& f : files) {
    // Each file read back as the game reads it.
    bool ok = false;
    if (f.name.size() > 4 && f.name.substr(f.name.size() - 4) == ".sbk") {
      CSoundBank bank;
      CInformationBank info;
      ok = bank.LoadFromBytes(f.bytes.data(), f.bytes.size(), &info);
    } else {
      CSoundCache cache;
      ok = cache.LoadFromMemory(f.bytes.data(), f.bytes.size(), f.name.c_str()) && cache.SampleCount() > 0;
    }
    if (!ok) {
      std::fprintf(stderr, "make_sounds: %s does not read back\n", f.name.c_str());
      return 1;
    }
    const std::filesystem::path out = target / f.name;
    const std::filesystem::path temporary = out.string() + ".part";
    {
      std::ofstream file(temporary, std::ios::binary);
      file.write(reinterpret_cast<const char*>(f.bytes.data()), static_cast<std::streamsize>(f.bytes.size()));
      if (!file) {
        std::fprintf(stderr, "make_sounds: cannot write %s\n", out.string().c_str());
        return 1;
      }
    }
    std::filesystem::rename(temporary, out);
  }
  std::printf("make_sounds: %zu samples, %zu banks, %zu caches in %s\n", sources.samples.size(),
              sources.banks.size(), sources.caches.size(), argv[2]);
  return 0;
}
