// Built with floating-point contraction off, as the decoder is: the encoder
// predicts exactly what the decoder will compute.
#include "psf_encoder.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "sound/psf_decoder.h"

namespace {

constexpr float kFilterA[5] = {0.0f, -60.0f / 64.0f, -115.0f / 64.0f, -98.0f / 64.0f, -122.0f / 64.0f};
constexpr float kFilterB[5] = {0.0f, 0.0f, 52.0f / 64.0f, 55.0f / 64.0f, 60.0f / 64.0f};

struct Trial {
  std::uint8_t block[16] = {};
  double error = 0.0;
  float p1 = 0.0f, p2 = 0.0f;
};

// Encodes one block with filter f and shift s from history (p1, p2),
// choosing each raw value so that the decoded sample comes nearest.
Trial Try(const std::int16_t* x, int n, int format, int f, int s, float p1, float p2) {
  Trial t;
  t.block[0] = static_cast<std::uint8_t>(f << 4 | s);
  const float a = kFilterA[f], b = kFilterB[f];
  const float scale = 1.0f / static_cast<float>(1 << s);
  const int lowest = format == 0 ? -8 : -128, highest = format == 0 ? 7 : 127;
  const int unit = format == 0 ? 4096 : 256;
  for (int i = 0; i < n; ++i) {
    const float ap = a * p1;
    const float bp = b * p2;
    // The raw value whose scaled value best makes up the difference.
    const float want = (static_cast<float>(x[i]) + ap + bp) / scale / static_cast<float>(unit);
    int q = static_cast<int>(std::lround(want));
    if (q < lowest) q = lowest;
    if (q > highest) q = highest;
    // The neighbours may round better once the decoder's rounding is applied.
    float bestY = 0.0f;
    double bestE = std::numeric_limits<double>::max();
    int best = q;
    for (int c = q - 1; c <= q + 1; ++c) {
      if (c < lowest || c > highest) continue;
      const float scaled = static_cast<float>(c * unit) * scale;
      const float y = scaled - ap - bp;
      float r = std::nearbyint(y);
      if (r > 32767.0f) r = 32767.0f;
      if (r < -32768.0f) r = -32768.0f;
      const double e = (r - x[i]) * static_cast<double>(r - x[i]);
      if (e < bestE) {
        bestE = e;
        bestY = y;
        best = c;
      }
    }
    t.error += bestE;
    if (format == 0) {
      const std::uint8_t nibble = static_cast<std::uint8_t>(best & 15);
      t.block[1 + i / 2] |= (i & 1) ? static_cast<std::uint8_t>(nibble << 4) : nibble;
    } else {
      t.block[1 + i] = static_cast<std::uint8_t>(best & 255);
    }
    p2 = p1;
    p1 = bestY;
  }
  t.p1 = p1;
  t.p2 = p2;
  return t;
}

void EncodeChannel(const std::int16_t* samples, std::size_t count, std::size_t stride, int format,
                   std::vector<std::vector<std::uint8_t>>* blocks) {
  const int per = format == 0 ? 30 : 15;
  float p1 = 0.0f, p2 = 0.0f;
  for (std::size_t start = 0; start < count; start += static_cast<std::size_t>(per)) {
    std::int16_t x[30] = {};
    for (int i = 0; i < per && start + static_cast<std::size_t>(i) < count; ++i)
      x[i] = samples[(start + static_cast<std::size_t>(i)) * stride];
    Trial best;
    best.error = std::numeric_limits<double>::max();
    for (int f = 0; f < 5; ++f)
      for (int s = 0; s < 16; ++s) {
        Trial t = Try(x, per, format, f, s, p1, p2);
        if (t.error < best.error) best = t;
      }
    p1 = best.p1;
    p2 = best.p2;
    blocks->emplace_back(best.block, best.block + 16);
  }
}

}  // namespace

std::vector<std::uint8_t> EncodePsf(const std::int16_t* samples, std::size_t count, int format) {
  std::vector<std::vector<std::uint8_t>> blocks;
  EncodeChannel(samples, count, 1, format, &blocks);
  std::vector<std::uint8_t> out;
  for (const auto& b : blocks) out.insert(out.end(), b.begin(), b.end());
  return out;
}

std::vector<std::uint8_t> EncodePsfStereo(const std::int16_t* frames, std::size_t count, int format) {
  std::vector<std::vector<std::uint8_t>> left, right;
  EncodeChannel(frames, count, 2, format, &left);
  EncodeChannel(frames + 1, count, 2, format, &right);
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < left.size(); ++i) {
    out.insert(out.end(), left[i].begin(), left[i].end());
    out.insert(out.end(), right[i].begin(), right[i].end());
  }
  return out;
}

int PsfLargestError(const std::vector<std::uint8_t>& blocks, const std::int16_t* samples, std::size_t count,
                    int format, bool stereo) {
  PsfStream stream;
  stream.size = static_cast<std::uint32_t>(blocks.size());
  stream.read = blocks.data();
  stream.format = static_cast<std::uint32_t>(format);
  const std::uint32_t per = PsfDecoder::SamplesPerBlock(stream.format);
  std::vector<std::int16_t> decoded(blocks.size() / 16 * per);
  PsfDecoder::Decode(&stream, static_cast<std::uint32_t>(decoded.size()), decoded.data(), stereo);
  const std::size_t values = count * (stereo ? 2 : 1);
  int worst = 0;
  for (std::size_t i = 0; i < values && i < decoded.size(); ++i) {
    const int e = std::abs(decoded[i] - samples[i]);
    if (e > worst) worst = e;
  }
  return worst;
}
