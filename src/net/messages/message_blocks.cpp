#include "net/messages/message_blocks.h"

#include "net/bits/bit_stream.h"

bool WriteMessageBytes(CBitStream& stream, const std::uint8_t* bytes, std::size_t count) {
  return stream.WriteByteBlock(bytes, static_cast<std::uint32_t>(count * 8));
}

bool ReadMessageBytes(CBitStream& stream, std::uint8_t* bytes, std::size_t count) {
  std::uint32_t words[CBitStream::kWordCount] = {};
  if (count > sizeof words) return false;
  const bool ok = stream.ReadBlock(words, static_cast<std::uint32_t>(count * 8));
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(words[i / 4] >> (8 * (i % 4)));
  return ok;
}
