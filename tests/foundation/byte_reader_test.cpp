#include "foundation/byte_reader.h"

#include <gtest/gtest.h>

TEST(ByteReader, ReadsLittleEndianFieldsWrittenByTheWriter) {
  ByteWriter w;
  w.Tag("BSPT");
  w.U8(0xAB);
  w.U16(0x1234);
  w.U32(0xDEADBEEF);
  w.I32(-5);
  w.F32(1.5f);
  w.FixedString("abc", 8);
  ByteReader r(w.Data().data(), w.Size());
  EXPECT_TRUE(r.Tag("BSPT"));
  EXPECT_EQ(r.U8(), 0xAB);
  EXPECT_EQ(r.U16(), 0x1234);
  EXPECT_EQ(r.U32(), 0xDEADBEEFu);
  EXPECT_EQ(r.I32(), -5);
  EXPECT_EQ(r.F32(), 1.5f);
  EXPECT_EQ(r.FixedString(8), "abc");
  EXPECT_TRUE(r.Ok());
  EXPECT_EQ(r.Remaining(), 0u);
}

TEST(ByteReader, AShortReadFailsAnswersZeroAndDoesNotMove) {
  const std::uint8_t bytes[3] = {1, 2, 3};
  ByteReader r(bytes, sizeof bytes);
  EXPECT_EQ(r.U32(), 0u);
  EXPECT_FALSE(r.Ok());
  EXPECT_EQ(r.Position(), 0u);
  EXPECT_EQ(r.View(4), nullptr);
  EXPECT_FALSE(r.Seek(4));
  EXPECT_TRUE(r.Seek(3));
}

TEST(ByteReader, RecordCountsThatWouldOverflowAreRefused) {
  const std::uint8_t bytes[16] = {};
  ByteReader r(bytes, sizeof bytes);
  EXPECT_TRUE(r.HasRoomFor(4, 4));
  EXPECT_FALSE(r.HasRoomFor(5, 4));
  EXPECT_FALSE(r.HasRoomFor(SIZE_MAX / 2, 4));
}
