// Built with floating-point contraction off: the filter is single-precision
// arithmetic whose every rounding the stored data was made against.
#include "sound/psf_decoder.h"


namespace {

// The predictor coefficients (a, b) of each filter, with the sign of the
// sum y = r / 2^s - a x p1 - b x p2 (p1 the newest output, p2 the one before).
constexpr float kFilterA[5] = {0.0f, -60.0f / 64.0f, -115.0f / 64.0f, -98.0f / 64.0f, -122.0f / 64.0f};
constexpr float kRoundingBias = 12582912.0f;
constexpr float kFilterB[5] = {0.0f, 0.0f, 52.0f / 64.0f, 55.0f / 64.0f, 60.0f / 64.0f};

// One block: samples written `step` values apart.  Filter indices outside
// the table decode as filter 0.
void DecodeBlock(const std::uint8_t* block, std::uint32_t format, float* history, std::int16_t* out, int step) {
  const std::uint32_t filter = block[0] >> 4;
  const int shift = block[0] & 15;
  const float a = filter < 5 ? kFilterA[filter] : 0.0f;
  const float b = filter < 5 ? kFilterB[filter] : 0.0f;
  const float scale = 1.0f / static_cast<float>(1 << shift);
  float p1 = history[0];
  float p2 = history[1];
  const int count = format == 0 ? 30 : 15;
  for (int i = 0; i < count; ++i) {
    int raw;
    if (format == 0) {
      const std::uint8_t byte = block[1 + i / 2];
      const int nibble = (i & 1) ? (byte >> 4) : (byte & 15);
      raw = static_cast<std::int16_t>(static_cast<std::uint16_t>(nibble << 12));
    } else {
      raw = static_cast<std::int16_t>(static_cast<std::uint16_t>(block[1 + i] << 8));
    }
    const float scaled = static_cast<float>(raw) * scale;
    const float ap = a * p1;
    const float bp = b * p2;
    const float y = scaled - ap - bp;
    // Clamp, then round to nearest with ties to even: adding and taking away
    // 1.5 x 2^23 leaves no fraction bits for a value of this size, so the
    // addition rounds as the float unit rounds (to nearest, ties to even).
    const float bounded = y > 32767.0f ? 32767.0f : (y < -32768.0f ? -32768.0f : y);
    const float rounded = (bounded + kRoundingBias) - kRoundingBias;
    out[i * step] = static_cast<std::int16_t>(rounded);
    p2 = p1;
    p1 = y;
  }
  history[0] = p1;
  history[1] = p2;
}

}  // namespace

std::uint32_t PsfDecoder::SamplesPerBlock(std::uint32_t format) { return format == 0 ? 30 : (format == 1 ? 15 : 0); }

std::uint32_t PsfDecoder::Decode(PsfStream* stream, std::uint32_t samples, std::int16_t* output, bool stereo) {
  const std::uint32_t perBlock = SamplesPerBlock(stream->format);
  if (perBlock == 0 || stream->read == nullptr) return 0;
  std::uint32_t blocks = samples / perBlock;
  const std::uint32_t available = stream->size / kPsfBlockBytes;
  if (blocks > available) blocks = available;
  if (stereo) blocks &= ~1u;
  const std::uint8_t* in = stream->read;
  std::int16_t* out = output;
  for (std::uint32_t i = 0; i < blocks; ++i) {
    if (!stereo) {
      DecodeBlock(in, stream->format, stream->history, out, 1);
      out += perBlock;
    } else {
      DecodeBlock(in, stream->format, stream->history, out, 2);
      // Each channel keeps its own filter memory: swap A's pair with B's.
      float t0 = stream->history[0], t1 = stream->history[1];
      stream->history[0] = stream->history[2];
      stream->history[1] = stream->history[3];
      stream->history[2] = t0;
      stream->history[3] = t1;
      // After a left block, on to the first right sample of the same frames;
      // after a right block, past the frames the pair filled.
      out += (i & 1) == 0 ? 1 : 2 * perBlock - 1;
    }
    in += kPsfBlockBytes;
  }
  stream->read = in;
  return blocks * kPsfBlockBytes;
}

std::uint32_t PsfDecoder::PcmSize(const PsfStream& stream) {
  const std::uint64_t size = stream.size;
  std::uint64_t pcm = 0;
  if (stream.format == 0) pcm = size * 60 / 16;
  if (stream.format == 1) pcm = size * 30 / 16;
  // A size no real stream has saturates rather than wrapping.
  return pcm > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(pcm);
}

std::uint32_t PsfDecoder::CompressedSize(const PsfStream& stream, std::uint32_t pcmBytes) {
  const std::uint64_t pcm = pcmBytes;
  if (stream.format == 0) return static_cast<std::uint32_t>(pcm * 16 / 60);
  if (stream.format == 1) return static_cast<std::uint32_t>(pcm * 16 / 30);
  return 0;
}
