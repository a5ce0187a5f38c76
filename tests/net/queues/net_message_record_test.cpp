// The 444-byte message record: written and read field by field, and refused
// when its lengths do not agree.
#include "net/queues/net_message_record.h"

#include <gtest/gtest.h>

#include <cstring>

#include "net/bits/bit_stream.h"

TEST(NetMessageRecord, WritesAndReadsItsWordsInOrder) {
  NetMessageRecord r;
  r.Blank();
  r.kind = 2;
  r.type = 3;
  r.timeout = 60;
  r.guaranteed = 1;
  r.loopback = 0;
  r.urgent = 1;
  r.timeStamp = 0x01020304;
  r.bufferHandle = 77;
  r.peer = 0x1001;
  CBitStream s;
  s.Begin(CBitStream::MODE_WRITE);
  s.WriteBits(0xABCDE, 20);
  s.End();
  ASSERT_TRUE(r.SetPayload(s));
  ByteWriter w;
  r.Write(w);
  ASSERT_EQ(w.Size(), NetMessageRecord::kSize);
  // Word 9 is the bit count, word 10 the byte count, the payload from byte 44.
  EXPECT_EQ(w.Data()[36], 20);
  EXPECT_EQ(w.Data()[40], 3);
  EXPECT_EQ(w.Data()[44], 0xDE);
  EXPECT_EQ(w.Data()[32], 0x01);
  NetMessageRecord back;
  ByteReader in(w.Data().data(), w.Size());
  ASSERT_TRUE(back.Read(in));
  EXPECT_EQ(std::memcmp(&back, &r, sizeof r), 0);
  CBitStream t;
  ASSERT_TRUE(back.LoadPayload(t));
  std::uint32_t v = 0;
  ASSERT_TRUE(t.ReadBits(&v, 20));
  EXPECT_EQ(v, 0xABCDEu);
  EXPECT_TRUE(t.IsReadAtEnd());
}

TEST(NetMessageRecord, LengthsThatDisagreeOrAShortRecordAreRefused) {
  struct Case {
    const char* name;
    std::uint32_t bits, bytes;
    std::size_t size;
  };
  const Case cases[] = {
      {"more than 3,200 bits", 3208, 401, NetMessageRecord::kSize},
      {"byte count not the bits' bytes", 9, 1, NetMessageRecord::kSize},
      {"short record", 8, 1, NetMessageRecord::kSize - 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ByteWriter w;
    for (int i = 0; i < 9; ++i) w.U32(1);
    w.U32(c.bits);
    w.U32(c.bytes);
    for (int i = 0; i < 400; ++i) w.U8(0x55);
    NetMessageRecord r;
    ByteReader in(w.Data().data(), c.size);
    EXPECT_FALSE(r.Read(in));
    EXPECT_EQ(r.kind, 0u);
    CBitStream s;
    EXPECT_FALSE(r.LoadPayload(s) && r.bitCount != 0);
  }
}
