// PSF blocks decode to values worked out by hand from the block format: the
// nibble or byte as a 16-bit value, shifted down, plus the filter's share of
// the last two outputs, rounded and clamped, with the unclamped value kept
// as history.
#include "sound/psf_decoder.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

std::array<std::uint8_t, 16> Block(std::uint8_t header, std::initializer_list<std::uint8_t> data, std::uint8_t fill = 0) {
  std::array<std::uint8_t, 16> b;
  b.fill(fill);
  b[0] = header;
  int i = 1;
  for (std::uint8_t d : data) b[static_cast<std::size_t>(i++)] = d;
  return b;
}

TEST(PsfDecoder, BlocksDecodeToTheHandComputedValues) {
  struct Case {
    const char* what;
    std::uint32_t format;
    std::array<std::uint8_t, 16> block;
    float history;  // the newest output before the block
    std::vector<int> expected;  // the first outputs
  };
  const Case cases[] = {
      // Filter 0, shift 0: nibbles 0 and 1 alternate, 1 << 12 = 4096.
      {"filter 0", 0, Block(0x00, {}, 0x10), 0.0f, {0, 4096, 0, 4096, 0, 4096}},
      // Shift 4: 7 << 12 = 28672 / 16 = 1792; nibble 15 is -1: -4096 / 16 = -256.
      {"shift 4", 0, Block(0x04, {0xF7}), 0.0f, {1792, -256, 0}},
      // Filter 1, shift 12: 1, then 0.9375 of the last output each step; the
      // 11th power of 0.9375 (0.49) rounds to 0.
      {"filter 1 decay", 0, Block(0x1C, {0x01}), 0.0f, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}},
      // From a history of 8000: 28672 + 7500 = 36172 clamps to 32767; the next
      // sample follows the unclamped 36172: -32768 + 33911.25 = 1143.25, and
      // then 0.9375 x 1143.25 = 1071.8 (from a clamped history it would be -2049).
      {"clamp keeps the history", 0, Block(0x10, {0x87}), 8000.0f, {32767, 1143, 1072}},
      // 8-bit blocks: each byte << 8.
      {"format 1", 1, Block(0x00, {0x01, 0xFF, 0x80, 0x7F}), 0.0f, {256, -256, -32768, 32512}},
      {"format 1 shift 8", 1, Block(0x08, {0x7F, 0x81}), 0.0f, {127, -127}},
      // Shift 13: 0.5, 1.5 and 2.5 round to the even neighbour: 0, 2, 2.
      {"ties to even", 0, Block(0x0D, {0x31, 0x05}), 0.0f, {0, 2, 2, 0}},
      // Filter indices outside the table decode as filter 0.
      {"filter 9", 0, Block(0x90, {}, 0x10), 1000.0f, {0, 4096, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PsfStream s;
    s.size = 16;
    s.read = c.block.data();
    s.format = c.format;
    s.history[0] = c.history;
    std::int16_t out[30] = {};
    EXPECT_EQ(PsfDecoder::Decode(&s, 30, out, false), 16u);
    for (std::size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(out[i], c.expected[i]) << "sample " << i;
    EXPECT_EQ(s.read, c.block.data() + 16);
  }
}

// A stereo pair: the left block fills the left slots and the right block the
// right ones, and each channel goes on from its own history in the next pair.
TEST(PsfDecoder, StereoPairsKeepEachChannelsHistory) {
  std::vector<std::uint8_t> data;
  const auto left = Block(0x00, {}, 0x10);   // 0, 4096, ... ending on 4096
  const auto right = Block(0x1C, {0x01});    // 1, 1, ... decaying towards 0
  const auto carry = Block(0x1C, {});        // all zeros: only the history speaks
  for (const auto* b : {&left, &right, &carry, &carry}) data.insert(data.end(), b->begin(), b->end());
  PsfStream s;
  s.size = static_cast<std::uint32_t>(data.size());
  s.read = data.data();
  std::int16_t out[120] = {};
  EXPECT_EQ(PsfDecoder::Decode(&s, 120, out, true), 64u);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 1);
  EXPECT_EQ(out[2], 4096);
  EXPECT_EQ(out[3], 1);
  EXPECT_EQ(out[58], 4096);
  // The second pair: the left goes on from 4096 (0.9375 x 4096 = 3840), the
  // right from its own nearly silent history.
  EXPECT_EQ(out[60], 3840);
  EXPECT_EQ(out[61], 0);
}

// A count that is not a whole number of blocks decodes the whole blocks and
// leaves the rest for the next call, which goes on seamlessly.
TEST(PsfDecoder, PartialCountsDecodeWholeBlocksAndContinue) {
  std::vector<std::uint8_t> data;
  const auto first = Block(0x1C, {0x01});
  const auto second = Block(0x1C, {});
  data.insert(data.end(), first.begin(), first.end());
  data.insert(data.end(), second.begin(), second.end());
  PsfStream s;
  s.size = 32;
  s.read = data.data();
  std::int16_t out[60] = {};
  EXPECT_EQ(PsfDecoder::Decode(&s, 45, out, false), 16u);
  EXPECT_EQ(out[30], 0) << "nothing of the second block yet";
  const float newest = s.history[0];
  EXPECT_NEAR(newest, 0.154f, 0.001f);  // 0.9375^29
  s.size -= 16;
  EXPECT_EQ(PsfDecoder::Decode(&s, 45, out + 30, false), 16u);
  // Nothing more than the stream holds.
  s.size -= 16;
  EXPECT_EQ(PsfDecoder::Decode(&s, 30, out, false), 0u);
  PsfStream bad;
  bad.size = 32;
  bad.read = data.data();
  bad.format = 2;
  EXPECT_EQ(PsfDecoder::Decode(&bad, 30, out, false), 0u);
}

TEST(PsfDecoder, SizesConvertBetweenCompressedAndPcmBytes) {
  struct Case {
    std::uint32_t format, size, pcm, compressedOfPcm, pcmAsked;
  };
  const Case cases[] = {
      {0, 32, 120, 32, 120}, {0, 32, 120, 31, 119}, {1, 32, 60, 32, 60}, {1, 16, 30, 15, 29}, {2, 32, 0, 0, 120},
  };
  for (const Case& c : cases) {
    PsfStream s;
    s.format = c.format;
    s.size = c.size;
    EXPECT_EQ(PsfDecoder::PcmSize(s), c.pcm) << c.format;
    EXPECT_EQ(PsfDecoder::CompressedSize(s, c.pcmAsked), c.compressedOfPcm) << c.format << " " << c.pcmAsked;
  }
  PsfStream huge;
  huge.size = 0xFFFFFFF0u;
  EXPECT_EQ(PsfDecoder::PcmSize(huge), 0xFFFFFFFFu) << "saturates";
}

}  // namespace
