#include "sound_synth.h"

#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;

// A small deterministic noise generator (xorshift), seeded per sample.
struct Noise {
  std::uint32_t state;
  explicit Noise(const std::string& seed) : state(2166136261u) {
    for (char c : seed) state = (state ^ static_cast<unsigned char>(c)) * 16777619u;
    if (state == 0) state = 1;
  }
  double Next() {  // -1 .. 1
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<double>(state) / 2147483648.0 - 1.0;
  }
};

// Attack and release of 10 ms, so that no sample starts or ends with a click.
double Edges(double t, double duration) {
  const double edge = 0.01;
  double g = 1.0;
  if (t < edge) g = t / edge;
  if (duration - t < edge) g = std::fmin(g, (duration - t) / edge);
  return g < 0.0 ? 0.0 : g;
}

}  // namespace

bool IsSampleRecipe(const std::string& kind) {
  return kind == "tone" || kind == "chirp" || kind == "siren" || kind == "noise" || kind == "click" ||
         kind == "speech";
}

std::vector<std::int16_t> Synthesise(const SampleRecipe& r) {
  if (!IsSampleRecipe(r.kind) || r.rate <= 0 || !(r.duration > 0.0f)) return {};
  const std::size_t frames = static_cast<std::size_t>(std::lround(r.duration * static_cast<double>(r.rate)));
  const int channels = r.stereo ? 2 : 1;
  std::vector<std::int16_t> out(frames * static_cast<std::size_t>(channels));
  Noise noise(r.name);
  double phase[2] = {0.0, 0.0};
  double smooth = 0.0;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / r.rate;
    for (int ch = 0; ch < channels; ++ch) {
      // The right channel of a stereo sample plays a fifth above the left.
      const double base = r.pitch * (ch == 1 ? 1.5 : 1.0);
      double freq = base;
      double value = 0.0;
      if (r.kind == "tone") {
        value = 0.6 * std::sin(phase[ch]) + 0.15 * std::sin(2.0 * phase[ch]);
      } else if (r.kind == "chirp") {
        freq = base + (r.param * (ch == 1 ? 1.5 : 1.0) - base) * t / r.duration;
        value = 0.7 * std::sin(phase[ch]);
      } else if (r.kind == "siren") {
        // Up and down between the two pitches once a second.
        const double high = r.param * (ch == 1 ? 1.5 : 1.0);
        freq = base + (high - base) * 0.5 * (1.0 - std::cos(kTwoPi * t));
        value = 0.7 * std::sin(phase[ch]);
      } else if (r.kind == "noise") {
        // A burst that dies away, over the tone that names it.
        smooth = 0.7 * smooth + 0.3 * noise.Next();
        const double decay = std::exp(-3.0 * t / r.duration);
        value = decay * (0.45 * smooth + 0.4 * std::sin(phase[ch]));
      } else if (r.kind == "click") {
        const double decay = std::exp(-t / 0.015);
        value = 0.8 * decay * std::sin(phase[ch]);
      } else if (r.kind == "speech") {
        // A voice: the pitch with its harmonics shaped by a moving formant,
        // in syllables of a quarter second.
        const double syllable = std::fmod(t, 0.25) / 0.25;
        const double envelope = std::sin(3.14159265 * syllable);
        const double formant = 2.0 + 1.5 * std::sin(kTwoPi * 0.7 * t);
        value = 0.5 * std::sin(phase[ch]);
        for (int h = 2; h <= 5; ++h) value += 0.25 / (1.0 + std::fabs(h - formant)) * std::sin(h * phase[ch]);
        value *= envelope * envelope;
      }
      phase[ch] += kTwoPi * freq / r.rate;
      if (phase[ch] > kTwoPi) phase[ch] -= kTwoPi;
      value *= Edges(t, r.duration);
      const long v = std::lround(value * 26000.0);
      out[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(ch)] =
          static_cast<std::int16_t>(v > 32767 ? 32767 : (v < -32768 ? -32768 : v));
    }
  }
  return out;
}
