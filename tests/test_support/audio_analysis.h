// Measures on mixed stereo samples read back from the loopback device:
// the amplitude of one frequency in a channel (Goertzel), and a channel's
// root-mean-square level.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

namespace audio_test {

// Interleaved stereo floats, left then right.
using StereoSamples = std::vector<float>;

// Amplitude (peak, in the samples' scale) of the `hz` component of channel
// `channel` (0 left, 1 right) over frames [first, first + count).
inline double ToneAmplitude(const StereoSamples& s, int channel, double hz, std::size_t first, std::size_t count,
                            double rate = 44100.0) {
  const double w = 2.0 * 3.14159265358979323846 * hz / rate;
  const double c = 2.0 * std::cos(w);
  double s1 = 0.0, s2 = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    const double x = s[2 * (first + i) + static_cast<std::size_t>(channel)];
    const double s0 = x + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
  return 2.0 * std::sqrt(power > 0.0 ? power : 0.0) / static_cast<double>(count);
}

// Root-mean-square level of channel `channel` over frames [first, first + count).
inline double Rms(const StereoSamples& s, int channel, std::size_t first, std::size_t count) {
  double sum = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    const double x = s[2 * (first + i) + static_cast<std::size_t>(channel)];
    sum += x * x;
  }
  return count ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}

// A sine of `hz` at `amplitude` (16-bit scale), `frames` long, mono.
inline std::vector<short> Tone(double hz, double amplitude, std::size_t frames, double rate = 44100.0) {
  std::vector<short> out(frames);
  for (std::size_t i = 0; i < frames; ++i)
    out[i] = static_cast<short>(std::lround(amplitude * std::sin(2.0 * 3.14159265358979323846 * hz * i / rate)));
  return out;
}

}  // namespace audio_test
