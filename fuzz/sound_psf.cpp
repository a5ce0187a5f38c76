// Feeds PSF blocks to the decoder.  Input: one byte (bits 0..1 the format,
// bit 2 stereo, bits 3..7 a count of samples asked per call, in blocks),
// then the compressed bytes.  The decoder must write no more than it was
// asked for and read no more than it was given.
#include <cstdint>
#include <vector>

#include "sound/psf_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  PsfStream s;
  s.format = data[0] & 3;
  const bool stereo = (data[0] & 4) != 0;
  const std::uint32_t perCall = 1 + (data[0] >> 3) * 7u;
  s.read = data + 1;
  s.size = static_cast<std::uint32_t>(size - 1);
  // Guard samples after what the decoder is asked to fill.
  std::vector<std::int16_t> out(perCall + 64, 0x5A5A);
  std::size_t consumed = 0;
  for (;;) {
    const std::uint32_t used = PsfDecoder::Decode(&s, perCall, out.data(), stereo);
    for (std::size_t i = perCall; i < out.size(); ++i)
      if (out[i] != 0x5A5A) __builtin_trap();
    if (used == 0) break;
    consumed += used;
    if (consumed > size - 1 || s.read != data + 1 + consumed) __builtin_trap();
    s.size -= used;
  }
  PsfDecoder::PcmSize(s);
  PsfDecoder::CompressedSize(s, static_cast<std::uint32_t>(size));
  return 0;
}
