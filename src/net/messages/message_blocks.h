// Byte blocks inside bit-stream messages: written as whole 32-bit words and
// a last partial word, read back into bytes in the same little-endian order.
#pragma once

#include <cstddef>
#include <cstdint>

class CBitStream;

bool WriteMessageBytes(CBitStream& stream, const std::uint8_t* bytes, std::size_t count);
// False when the stream ends first (the bytes then hold what was there).
bool ReadMessageBytes(CBitStream& stream, std::uint8_t* bytes, std::size_t count);
