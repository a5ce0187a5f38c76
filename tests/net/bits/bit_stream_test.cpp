// The bit stream: exact bit placement, its 3,200-bit end, reads past the
// written data, scaled floats, blocks, both string forms, byte export and
// import, and appending one stream to another.
#include "net/bits/bit_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// A stream holding the given fields, left idle.
struct Field {
  std::uint32_t value;
  std::uint32_t bits;
};
CBitStream Written(const std::vector<Field>& fields) {
  CBitStream s;
  EXPECT_TRUE(s.Begin(CBitStream::MODE_WRITE));
  for (const Field& f : fields) EXPECT_TRUE(s.WriteBits(f.value, f.bits));
  EXPECT_TRUE(s.End());
  return s;
}

}  // namespace

// Word images after a run of writes: split fields land in two words, from
// the low bit up.
TEST(BitStream, FieldsArePackedFromTheLowBitUpAndSplitAcrossWords) {
  struct Case {
    const char* name;
    std::vector<Field> fields;
    std::vector<std::uint32_t> words;
    std::uint32_t length;
  };
  const std::vector<Case> cases = {
      {"5 then 32 bits", {{0x1F, 5}, {0x12345678, 32}}, {0x1F | (0x12345678u << 5), 0x12345678u >> 27}, 37},
      {"a whole word", {{0xDEADBEEF, 32}}, {0xDEADBEEF, 0}, 32},
      {"high bits above n are dropped", {{0xFFFFFFFF, 3}, {0, 1}, {0xFFFFFFFF, 4}}, {0x7u | (0xFu << 4), 0}, 8},
      {"31 then 2 bits", {{0, 31}, {0x3, 2}}, {0x80000000u, 0x1}, 33},
      {"zero-width write", {{0xFF, 0}, {0x1, 1}}, {0x1, 0}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CBitStream s = Written(c.fields);
    EXPECT_EQ(s.GetBitCount(), c.length);
    for (std::size_t i = 0; i < c.words.size(); ++i) EXPECT_EQ(s.Word(static_cast<std::uint32_t>(i)), c.words[i]);
    ASSERT_TRUE(s.Begin(CBitStream::MODE_READ));
    for (const Field& f : c.fields) {
      std::uint32_t v = 0xAAAAAAAA;
      EXPECT_TRUE(s.ReadBits(&v, f.bits));
      const std::uint32_t mask = f.bits == 32 ? 0xFFFFFFFFu : (1u << f.bits) - 1u;
      EXPECT_EQ(v, f.value & mask);
    }
    EXPECT_TRUE(s.IsReadAtEnd());
  }
}

TEST(BitStream, TheEndOfTheBlockAndReadsPastTheWrittenData) {
  // Exactly 3,200 bits: allowed; nothing more, not even one bit.
  CBitStream full;
  ASSERT_TRUE(full.Begin(CBitStream::MODE_WRITE));
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(full.WriteBits(static_cast<std::uint32_t>(i) * 0x01010101u, 32));
  EXPECT_EQ(full.GetBitCount(), 3200u);
  EXPECT_EQ(full.GetFreeBits(), 0);
  EXPECT_FALSE(full.WriteBits(1, 1));
  EXPECT_EQ(full.GetBitCount(), 3200u);
  full.End();

  // A field that would cross 3,200 fails and writes nothing.
  CBitStream near;
  ASSERT_TRUE(near.Begin(CBitStream::MODE_WRITE));
  for (int i = 0; i < 99; ++i) ASSERT_TRUE(near.WriteBits(0, 32));
  ASSERT_TRUE(near.WriteBits(0, 30));
  EXPECT_FALSE(near.WriteBits(0xF, 3));
  EXPECT_EQ(near.GetBitCount(), 3198u);
  EXPECT_EQ(near.Word(99), 0u);
  EXPECT_TRUE(near.WriteBits(0x3, 2));
  EXPECT_EQ(near.Word(99), 0xC0000000u);

  // Reading at the very end fails and leaves the output alone.
  CBitStream s = Written({{0x5, 3}});
  ASSERT_TRUE(s.Begin(CBitStream::MODE_READ));
  std::uint32_t v = 0;
  ASSERT_TRUE(s.ReadBits(&v, 3));
  v = 1234;
  EXPECT_FALSE(s.ReadBits(&v, 1));
  EXPECT_EQ(v, 1234u);
  // 8 bits when 3 remain: false, yet the cursor moves on and the bits are read as they lie.
  ASSERT_TRUE(s.End());
  ASSERT_TRUE(s.Begin(CBitStream::MODE_READ));
  EXPECT_FALSE(s.ReadBits(&v, 8));
  EXPECT_EQ(v, 0x5u);
  EXPECT_EQ(s.ReadPosition(), 8u);
  EXPECT_TRUE(s.IsReadAtEnd());

  // A split read at the very end of the block sees zeros past word 99, not
  // the memory beyond it.
  ASSERT_TRUE(full.Begin(CBitStream::MODE_READ));
  for (int i = 0; i < 99; ++i) ASSERT_TRUE(full.ReadBits(&v, 32));
  ASSERT_TRUE(full.ReadBits(&v, 16));
  EXPECT_FALSE(full.ReadBits(&v, 32));
  EXPECT_EQ(v, 0x6363u);  // the high half of word 99, then zeros
}

TEST(BitStream, ModesMustBeginAndEndInTurn) {
  CBitStream s;
  EXPECT_FALSE(s.WriteBits(1, 1));  // idle
  std::uint32_t v = 0;
  EXPECT_FALSE(s.ReadBits(&v, 1));
  EXPECT_FALSE(s.Begin(3));
  ASSERT_TRUE(s.Begin(CBitStream::MODE_WRITE));
  EXPECT_FALSE(s.Begin(CBitStream::MODE_READ));  // no End in between
  EXPECT_FALSE(s.WriteBits(0, 33));
  ASSERT_TRUE(s.WriteBits(0x2A, 6));
  EXPECT_TRUE(s.End());
  EXPECT_FALSE(s.End());
  // Writing resumes after what is there; reading starts from 0 each time.
  ASSERT_TRUE(s.Begin(CBitStream::MODE_WRITE));
  ASSERT_TRUE(s.WriteBits(0x3, 2));
  s.End();
  ASSERT_TRUE(s.Begin(CBitStream::MODE_READ));
  ASSERT_TRUE(s.ReadBits(&v, 8));
  EXPECT_EQ(v, 0xEAu);
  EXPECT_FALSE(s.ReadBits(&v, 33));
  s.End();
  EXPECT_EQ(s.Clear(), 0);
  EXPECT_EQ(s.GetBitCount(), 0u);
  EXPECT_EQ(s.Word(0), 0u);
  EXPECT_EQ(s.GetMode(), 0u);
}

TEST(BitStream, ScaledFloatsAndSignedFields) {
  struct Case {
    float value;
    std::uint32_t bits;
    std::uint32_t scale;
    std::uint32_t raw;
    float signedBack;
    float unsignedBack;
  };
  const std::vector<Case> cases = {
      {-1.5f, 10, 100, 0x36A, -1.5f, 8.74f},
      {1.5f, 10, 100, 150, 1.5f, 1.5f},
      {-0.019f, 8, 100, 0xFF, -0.01f, 2.55f},  // -1.9 truncates toward zero to -1
      {3.999f, 6, 1, 3, 3.0f, 3.0f},
      {-4096.0f, 17, 1, 0x1F000, -4096.0f, 126976.0f},
      {2.0f, 32, 1u << 30, 0x80000000u, -2.0f, 2.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    CBitStream s;
    s.Begin(CBitStream::MODE_WRITE);
    ASSERT_TRUE(s.WriteScaledFloat(c.value, c.bits, c.scale));
    s.End();
    s.Begin(CBitStream::MODE_READ);
    std::uint32_t raw = 0;
    ASSERT_TRUE(s.ReadBits(&raw, c.bits));
    EXPECT_EQ(raw, c.raw);
    float f = 0;
    s.End();
    s.Begin(CBitStream::MODE_READ);
    ASSERT_TRUE(s.ReadScaledFloat(&f, c.bits, static_cast<std::int32_t>(c.scale)));
    EXPECT_FLOAT_EQ(f, c.signedBack);
    s.End();
    s.Begin(CBitStream::MODE_READ);
    ASSERT_TRUE(s.ReadUnsignedScaledFloat(&f, c.bits, c.scale));
    EXPECT_FLOAT_EQ(f, c.unsignedBack);
  }
  // Values no integer holds are written as their nearest end, not as undefined bits.
  CBitStream s;
  s.Begin(CBitStream::MODE_WRITE);
  EXPECT_TRUE(s.WriteScaledFloat(std::nanf(""), 8, 10));
  EXPECT_TRUE(s.WriteScaledFloat(1e30f, 8, 10));
  EXPECT_TRUE(s.WriteScaledFloat(-1e30f, 8, 10));
  s.End();
  s.Begin(CBitStream::MODE_READ);
  std::uint32_t a = 1, b = 0, c = 1;
  s.ReadBits(&a, 8);
  s.ReadBits(&b, 8);
  s.ReadBits(&c, 8);
  EXPECT_EQ(a, 0u);
  EXPECT_EQ(b, 0xFFu);
  EXPECT_EQ(c, 0u);
  // A scale of 0 reads nothing.
  s.End();
  s.Begin(CBitStream::MODE_READ);
  float f = 7;
  EXPECT_FALSE(s.ReadScaledFloat(&f, 8, 0));
  EXPECT_FALSE(s.ReadUnsignedScaledFloat(&f, 8, 0));
  EXPECT_EQ(f, 7.0f);
  EXPECT_EQ(s.ReadPosition(), 0u);
  // Sign extension at the edges of the width.
  CBitStream t = Written({{0x10, 5}, {0x0F, 5}, {0x80000000u, 32}, {1, 1}});
  t.Begin(CBitStream::MODE_READ);
  std::int32_t v = 0;
  t.ReadSignedBits(&v, 5);
  EXPECT_EQ(v, -16);
  t.ReadSignedBits(&v, 5);
  EXPECT_EQ(v, 15);
  t.ReadSignedBits(&v, 32);
  EXPECT_EQ(v, INT32_MIN);
  t.ReadSignedBits(&v, 1);
  EXPECT_EQ(v, -1);
}

TEST(BitStream, StringsInEightAndSevenBits) {
  CBitStream s;
  s.Begin(CBitStream::MODE_WRITE);
  ASSERT_TRUE(s.WriteString7("Ab"));
  EXPECT_EQ(s.GetBitCount(), 21u);
  ASSERT_TRUE(s.WriteString("Hi!"));
  EXPECT_EQ(s.GetBitCount(), 21u + 32u);
  ASSERT_TRUE(s.WriteString7("\x1f\xff~"));  // characters that cannot travel go as '?'
  s.End();
  s.Begin(CBitStream::MODE_READ);
  std::uint32_t code = 0;
  std::vector<std::uint32_t> codes;
  for (int i = 0; i < 3; ++i) {
    s.ReadBits(&code, 7);
    codes.push_back(code);
  }
  EXPECT_EQ(codes, (std::vector<std::uint32_t>{34, 67, 0}));
  s.End();
  s.Begin(CBitStream::MODE_READ);
  char text[16];
  ASSERT_TRUE(s.ReadString7(text, sizeof text));
  EXPECT_STREQ(text, "Ab");
  ASSERT_TRUE(s.ReadString(text, sizeof text));
  EXPECT_STREQ(text, "Hi!");
  ASSERT_TRUE(s.ReadString7(text, sizeof text));
  EXPECT_STREQ(text, "??~");
  EXPECT_TRUE(s.IsReadAtEnd());
}

// Network text is read into a buffer of known size: a text longer than the
// buffer, or one whose terminator never comes, stops there and is terminated.
TEST(BitStream, StringReadsStopAtTheirCapacityAndAtTheEndOfTheData) {
  CBitStream s;
  s.Begin(CBitStream::MODE_WRITE);
  s.WriteString("abcdefgh");
  s.WriteBits(0x5A, 8);
  s.End();
  s.Begin(CBitStream::MODE_READ);
  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_FALSE(s.ReadString(small, sizeof small));
  EXPECT_STREQ(small, "abc");
  // The rest of the cut text was consumed, so the next field lines up.
  std::uint32_t next = 0;
  ASSERT_TRUE(s.ReadBits(&next, 8));
  EXPECT_EQ(next, 0x5Au);

  // No terminator before the data ends: the loop ends instead of repeating
  // the last character.
  CBitStream open = Written({{'a', 8}, {'b', 8}, {'c', 7}});
  open.Begin(CBitStream::MODE_READ);
  char text[64];
  std::memset(text, 'x', sizeof text);
  EXPECT_FALSE(open.ReadString(text, sizeof text));
  EXPECT_STREQ(text, "ab");
  open.End();
  open.Begin(CBitStream::MODE_READ);
  EXPECT_FALSE(open.ReadString7(text, sizeof text));
  EXPECT_LT(std::strlen(text), 5u);
  EXPECT_FALSE(open.ReadString(text, 0));

  // A whole text that does not fit is not started.
  CBitStream fill;
  fill.Begin(CBitStream::MODE_WRITE);
  for (int i = 0; i < 99; ++i) fill.WriteBits(0, 32);
  EXPECT_FALSE(fill.WriteString("abcd"));
  EXPECT_FALSE(fill.WriteString7("abcde"));
  EXPECT_EQ(fill.GetBitCount(), 3168u);
  EXPECT_TRUE(fill.WriteString("abc"));
}

TEST(BitStream, BlocksOfWholeWordsAndARest) {
  const std::uint32_t source[3] = {0x01234567, 0x89ABCDEF, 0xFFFFFFFF};
  CBitStream s;
  s.Begin(CBitStream::MODE_WRITE);
  s.WriteBits(0x1, 3);
  ASSERT_TRUE(s.WriteBlock(source, 70));
  EXPECT_EQ(s.GetBitCount(), 73u);
  s.End();
  s.Begin(CBitStream::MODE_READ);
  std::uint32_t lead = 0;
  s.ReadBits(&lead, 3);
  std::uint32_t back[3] = {0, 0, 0xAAAAAAAA};
  ASSERT_TRUE(s.ReadBlock(back, 70));
  EXPECT_EQ(back[0], source[0]);
  EXPECT_EQ(back[1], source[1]);
  EXPECT_EQ(back[2], 0x3Fu);
  // A block longer than what is left fails at the first short read.
  s.End();
  s.Begin(CBitStream::MODE_READ);
  EXPECT_FALSE(s.ReadBlock(back, 96));
  // No room: nothing written.
  CBitStream t;
  t.Begin(CBitStream::MODE_WRITE);
  t.WriteBits(0, 32);
  std::uint32_t big[100] = {};
  EXPECT_FALSE(t.WriteBlock(big, 3200));
  EXPECT_EQ(t.GetBitCount(), 32u);
  // The byte form packs the same bits.
  const std::uint8_t bytes[9] = {0x67, 0x45, 0x23, 0x01, 0xEF, 0xCD, 0xAB, 0x89, 0xFF};
  CBitStream u;
  u.Begin(CBitStream::MODE_WRITE);
  u.WriteBits(0x1, 3);
  ASSERT_TRUE(u.WriteByteBlock(bytes, 70));
  u.End();
  for (std::uint32_t i = 0; i < 3; ++i) EXPECT_EQ(u.Word(i), s.Word(i));
}

TEST(BitStream, ExportAndImportOfBytes) {
  CBitStream s = Written({{0x1FF, 9}});
  EXPECT_EQ(s.GetByteCount(), 2u);
  std::uint8_t bytes[400];
  std::uint32_t bits = 0, count = 0;
  EXPECT_FALSE(s.ExportBytes(bytes, sizeof bytes, &bits, &count));  // needs reading mode
  s.Begin(CBitStream::MODE_READ);
  EXPECT_FALSE(s.ExportBytes(bytes, 1, &bits, &count));  // no room
  ASSERT_TRUE(s.ExportBytes(bytes, sizeof bytes, &bits, &count));
  EXPECT_EQ(bits, 9u);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0x01);

  // Import sets the length to exactly n bits and clears the stray bits of the last byte.
  const std::uint8_t dirty[2] = {0xFF, 0xFF};
  CBitStream r;
  EXPECT_FALSE(r.ImportBytes(dirty, 2, 9));  // needs writing mode
  r.Begin(CBitStream::MODE_WRITE);
  ASSERT_TRUE(r.ImportBytes(dirty, 2, 9));
  EXPECT_EQ(r.GetBitCount(), 9u);
  EXPECT_EQ(r.Word(0), 0x1FFu);
  ASSERT_TRUE(r.WriteBits(0, 1));  // appending after an import keeps its bits
  ASSERT_TRUE(r.WriteBits(1, 1));
  EXPECT_EQ(r.Word(0), 0x1FFu | (1u << 10));

  // A bit count beyond the block or beyond the bytes given is refused.
  std::vector<std::uint8_t> big(8192, 0xAB);
  CBitStream q;
  q.Begin(CBitStream::MODE_WRITE);
  EXPECT_FALSE(q.ImportBytes(big.data(), big.size(), 3201));
  EXPECT_FALSE(q.ImportBytes(big.data(), big.size(), 65535));
  EXPECT_FALSE(q.ImportBytes(big.data(), 3, 25));
  EXPECT_EQ(q.GetBitCount(), 0u);
  EXPECT_EQ(q.Word(0), 0u);
  ASSERT_TRUE(q.ImportBytes(big.data(), 400, 3200));
  EXPECT_EQ(q.GetFreeBits(), 0);
}

TEST(BitStream, AppendCopiesTheWholeOtherStream) {
  CBitStream a = Written({{0x5, 3}});
  CBitStream b = Written({{0xDEADBEEF, 32}, {0x12345, 17}});
  a.Begin(CBitStream::MODE_WRITE);
  ASSERT_TRUE(a.Append(b));
  EXPECT_EQ(a.GetBitCount(), 52u);
  EXPECT_EQ(b.GetMode(), 0u);
  a.End();
  a.Begin(CBitStream::MODE_READ);
  std::uint32_t v = 0;
  a.ReadBits(&v, 3);
  EXPECT_EQ(v, 5u);
  a.ReadBits(&v, 32);
  EXPECT_EQ(v, 0xDEADBEEFu);
  a.ReadBits(&v, 17);
  EXPECT_EQ(v, 0x12345u);
  a.End();
  // The sum of both lengths must fit.
  CBitStream big;
  big.Begin(CBitStream::MODE_WRITE);
  for (int i = 0; i < 99; ++i) big.WriteBits(0, 32);
  EXPECT_FALSE(big.Append(b));
  EXPECT_EQ(big.GetBitCount(), 3168u);
}

// Random runs of fields of random widths read back exactly, in any split.
TEST(BitStream, RandomFieldsReadBackBitForBit) {
  std::mt19937 random(48);
  for (int run = 0; run < 200; ++run) {
    std::vector<Field> fields;
    CBitStream s;
    s.Begin(CBitStream::MODE_WRITE);
    for (;;) {
      Field f{static_cast<std::uint32_t>(random()), 1 + static_cast<std::uint32_t>(random() % 32)};
      if (!s.WriteBits(f.value, f.bits)) break;
      fields.push_back(f);
    }
    EXPECT_GT(s.GetBitCount(), 3200u - 32u);
    s.End();
    // Through bytes, as on the wire.
    s.Begin(CBitStream::MODE_READ);
    std::uint8_t bytes[400];
    std::uint32_t bits = 0, count = 0;
    ASSERT_TRUE(s.ExportBytes(bytes, sizeof bytes, &bits, &count));
    CBitStream r;
    r.Begin(CBitStream::MODE_WRITE);
    ASSERT_TRUE(r.ImportBytes(bytes, count, bits));
    r.End();
    r.Begin(CBitStream::MODE_READ);
    for (const Field& f : fields) {
      std::uint32_t v = 0;
      ASSERT_TRUE(r.ReadBits(&v, f.bits));
      ASSERT_EQ(v, f.bits == 32 ? f.value : f.value & ((1u << f.bits) - 1u));
    }
    EXPECT_TRUE(r.IsReadAtEnd());
  }
}
