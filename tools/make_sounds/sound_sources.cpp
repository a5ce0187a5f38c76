#include "sound_sources.h"

#include <sstream>

namespace {

bool Fail(std::string* error, const char* file, int line, const std::string& what) {
  *error = std::string(file) + " line " + std::to_string(line) + ": " + what;
  return false;
}

// The words of a line, without its comment.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line.substr(0, line.find('#')));
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

bool Number(const std::string& text, float* out) {
  try {
    std::size_t used = 0;
    *out = std::stof(text, &used);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

}  // namespace

const SampleRecipe* SoundSources::FindSample(const std::string& name) const {
  for (const SampleRecipe& s : samples)
    if (s.name == name) return &s;
  return nullptr;
}

const SoundBankSource* SoundSources::FindBank(const std::string& file) const {
  for (const SoundBankSource& b : banks)
    if (b.name == file) return &b;
  return nullptr;
}

std::vector<std::string> SoundSources::CacheSamples(const SoundCacheSource& cache) const {
  std::vector<std::string> out;
  auto add = [&](const std::string& name) {
    for (const std::string& n : out)
      if (n == name) return;
    out.push_back(name);
  };
  for (const std::string& file : cache.banks)
    if (const SoundBankSource* b = FindBank(file))
      for (const auto& e : b->events)
        for (const auto& x : e.entries) add(x.sample);
  for (const std::string& s : cache.samples) add(s);
  return out;
}

bool ReadSoundSources(const std::string& samplesText, const std::string& banksText, SoundSources* out,
                      std::string* error) {
  *out = SoundSources{};
  std::istringstream samples(samplesText);
  std::string line;
  for (int n = 1; std::getline(samples, line); ++n) {
    const std::vector<std::string> w = Words(line);
    if (w.empty()) continue;
    SampleRecipe r;
    float rate = 0.0f;
    if (w[0] != "sample" || w.size() < 6) return Fail(error, "samples.txt", n, "expected: sample name kind pitch duration rate");
    r.name = w[1];
    r.kind = w[2];
    if (!IsSampleRecipe(r.kind)) return Fail(error, "samples.txt", n, "unknown kind \"" + r.kind + "\"");
    if (r.name.size() > 255) return Fail(error, "samples.txt", n, "name longer than 255 characters");
    if (!Number(w[3], &r.pitch) || !Number(w[4], &r.duration) || !Number(w[5], &rate) || !(r.duration > 0.0f) ||
        rate < 8000.0f || rate > 48000.0f)
      return Fail(error, "samples.txt", n, "pitch, duration or rate is not a usable number");
    r.rate = static_cast<int>(rate);
    for (std::size_t i = 6; i < w.size(); ++i) {
      if (w[i] == "stereo")
        r.stereo = true;
      else if (!Number(w[i], &r.param))
        return Fail(error, "samples.txt", n, "\"" + w[i] + "\" is not a number");
    }
    if (out->FindSample(r.name) != nullptr) return Fail(error, "samples.txt", n, "sample \"" + r.name + "\" made twice");
    out->samples.push_back(r);
  }

  std::istringstream banks(banksText);
  SoundBankSource* bank = nullptr;
  SoundCacheSource* cache = nullptr;
  for (int n = 1; std::getline(banks, line); ++n) {
    const std::vector<std::string> w = Words(line);
    if (w.empty()) continue;
    if (w[0] == "bank" && w.size() == 2) {
      out->banks.push_back(SoundBankSource{w[1], {}});
      bank = &out->banks.back();
      cache = nullptr;
    } else if (w[0] == "event" && w.size() == 2 && bank != nullptr) {
      float id = 0.0f;
      if (!Number(w[1], &id) || id < 0.0f || id > 65535.0f) return Fail(error, "banks.txt", n, "event id out of range");
      bank->events.push_back(SoundBankSource::Event{static_cast<std::uint16_t>(id), {}});
    } else if (w[0] == "entry" && w.size() == 5 && bank != nullptr && !bank->events.empty()) {
      SoundBankSource::Entry e;
      e.sample = w[1];
      if (!Number(w[2], &e.volume) || !Number(w[3], &e.pitchVariation) || !Number(w[4], &e.weight))
        return Fail(error, "banks.txt", n, "volume, pitch variation or weight is not a number");
      if (out->FindSample(e.sample) == nullptr)
        return Fail(error, "banks.txt", n, "no line of samples.txt makes \"" + e.sample + "\"");
      bank->events.back().entries.push_back(e);
    } else if (w[0] == "cache" && w.size() == 2) {
      out->caches.push_back(SoundCacheSource{w[1], {}, {}});
      cache = &out->caches.back();
      bank = nullptr;
    } else if (w[0] == "holds" && w.size() == 2 && cache != nullptr) {
      if (out->FindBank(w[1]) == nullptr) return Fail(error, "banks.txt", n, "no bank \"" + w[1] + "\" above");
      cache->banks.push_back(w[1]);
    } else if (w[0] == "sample" && w.size() == 2 && cache != nullptr) {
      if (out->FindSample(w[1]) == nullptr)
        return Fail(error, "banks.txt", n, "no line of samples.txt makes \"" + w[1] + "\"");
      cache->samples.push_back(w[1]);
    } else {
      return Fail(error, "banks.txt", n, "cannot read \"" + line + "\"");
    }
  }
  return true;
}
