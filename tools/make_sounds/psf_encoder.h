// Our own PSF encoder: for each block of 30 (4-bit) or 15 (8-bit) samples,
// the filter and shift that decode closest to the samples, found by running
// the decoder's own arithmetic for every one of the 5 x 16 pairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// PSF blocks of mono samples (the last block padded with silence).
// `format` is 0 (4-bit blocks) or 1 (8-bit blocks).
std::vector<std::uint8_t> EncodePsf(const std::int16_t* samples, std::size_t count, int format);
// PSF blocks of interleaved stereo frames: left and right blocks alternating,
// each channel with its own filter history.
std::vector<std::uint8_t> EncodePsfStereo(const std::int16_t* frames, std::size_t count, int format);

// The largest difference between `samples` and what the blocks decode to
// (the check of an encoding).
int PsfLargestError(const std::vector<std::uint8_t>& blocks, const std::int16_t* samples, std::size_t count,
                    int format, bool stereo);
