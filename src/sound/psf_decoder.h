// PSF, the game's compressed sample format: 16-byte blocks of ADPCM, each a
// header byte (filter index in the high nibble, shift in the low) and 15
// bytes of samples, either 30 four-bit samples (format 0) or 15 eight-bit
// ones (format 1).  The decoder keeps no state of its own: the caller's
// stream descriptor carries the read pointer, what is left and the filter
// history, and every call moves it on, so that the next call continues
// seamlessly.  Any thread, one descriptor per thread.
#pragma once

#include <cstdint>

// A compressed stream as the decoder reads it.
struct PsfStream {
  std::uint32_t size = 0;               // compressed bytes (the owner counts them down)
  const std::uint8_t* read = nullptr;   // the next compressed byte
  float history[4] = {};                // channel A newest, A older, channel B newest, B older
  std::uint32_t format = 0;             // 0: 4-bit blocks, 1: 8-bit blocks; others are not decodable
};

inline constexpr std::uint32_t kPsfBlockBytes = 16;

class PsfDecoder {
 public:
  // Samples a block yields: 30 (format 0), 15 (format 1), 0 otherwise.
  static std::uint32_t SamplesPerBlock(std::uint32_t format);
  // Decodes whole blocks: samples / SamplesPerBlock of them (mono), or that
  // many rounded down to whole left-right pairs (stereo, written to every
  // other slot of the interleaved output), never more than the stream's
  // size holds.  Advances the read pointer and keeps the history; answers
  // the compressed bytes consumed (blocks x 16).  The output must hold
  // `samples` 16-bit values.
  static std::uint32_t Decode(PsfStream* stream, std::uint32_t samples, std::int16_t* output, bool stereo);
  // PCM bytes of the whole stream: size x 60 / 16 (format 0), size x 30 / 16
  // (format 1), 0 for another format.
  static std::uint32_t PcmSize(const PsfStream& stream);
  // Compressed bytes of `pcmBytes` PCM bytes, in whole samples per block:
  // pcm x 16 / 60 (format 0), pcm x 16 / 30 (format 1), 0 otherwise.
  static std::uint32_t CompressedSize(const PsfStream& stream, std::uint32_t pcmBytes);
};
