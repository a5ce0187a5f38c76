#include "net/bits/bit_stream.h"

#include <cmath>
#include <cstring>

namespace {

std::uint32_t LowBits(std::uint32_t value, std::uint32_t n) {
  return n >= 32 ? value : value & ((1u << n) - 1u);
}

BitCursor CursorAt(std::uint32_t position) { return BitCursor{position / 32, position % 32}; }

// The character a 7-bit code stands for, and back: 32..158 travel, others do not.
constexpr unsigned char kString7Fallback = '?';

}  // namespace

void CBitStream::Reset() {
  mode_ = MODE_IDLE;
  std::memset(words_, 0, sizeof words_);
  writeCursor_ = BitCursor{};
  readCursor_ = BitCursor{};
}

int CBitStream::Clear() {
  Reset();
  return 0;
}

bool CBitStream::Begin(std::uint32_t mode) {
  if (mode_ != MODE_IDLE) return false;
  if (mode == MODE_WRITE) {
    mode_ = MODE_WRITE;
    return true;
  }
  if (mode == MODE_READ) {
    mode_ = MODE_READ;
    readCursor_ = BitCursor{};
    return true;
  }
  return false;
}

bool CBitStream::End() {
  if (mode_ == MODE_IDLE) return false;
  mode_ = MODE_IDLE;
  return true;
}

std::int32_t CBitStream::GetFreeBits() const {
  const std::uint32_t length = GetBitCount();
  return length >= kCapacityBits ? 0 : static_cast<std::int32_t>(kCapacityBits - length);
}

bool CBitStream::WriteBits(std::uint32_t value, std::uint32_t n) {
  if (mode_ != MODE_WRITE || n > 32) return false;
  if (GetBitCount() + n > kCapacityBits) return false;
  if (n == 0) return true;
  value = LowBits(value, n);
  std::uint32_t w = writeCursor_.word;
  const std::uint32_t b = writeCursor_.bit;
  const std::uint32_t free = 32 - b;
  if (n <= free) {
    words_[w] |= value << b;  // b < 32 always
    writeCursor_.bit = b + n;
  } else {
    // Low part ends this word, high part starts the next one.
    words_[w] |= value << b;
    ++w;
    words_[w] |= value >> free;  // the length check keeps w inside the block
    writeCursor_.word = w;
    writeCursor_.bit = n - free;
  }
  if (writeCursor_.bit == 32) {
    ++writeCursor_.word;
    writeCursor_.bit = 0;
  }
  return true;
}

bool CBitStream::ReadBits(std::uint32_t* out, std::uint32_t n) {
  if (mode_ != MODE_READ || n > 32) return false;
  const std::uint32_t end = GetBitCount();
  const std::uint32_t position = ReadPosition();
  if (position >= end) return false;
  // Gather up to 64 bits from the two words the field may touch; words past
  // the block read as zero.
  const std::uint32_t w = readCursor_.word;
  const std::uint32_t b = readCursor_.bit;
  const std::uint64_t pair = static_cast<std::uint64_t>(Word(w)) | (static_cast<std::uint64_t>(Word(w + 1)) << 32);
  *out = LowBits(static_cast<std::uint32_t>(pair >> b), n);
  readCursor_ = CursorAt(position + n);
  return position + n <= end;
}

bool CBitStream::ReadSignedBits(std::int32_t* out, std::uint32_t n) {
  std::uint32_t raw = 0;
  if (mode_ != MODE_READ || n > 32 || IsReadAtEnd()) return false;
  const bool ok = ReadBits(&raw, n);
  if (n == 0) {
    raw = 0;
  } else if (n < 32 && (raw & (1u << (n - 1))) != 0) {
    raw |= ~((1u << n) - 1u);
  }
  *out = static_cast<std::int32_t>(raw);
  return ok;
}

bool CBitStream::WriteScaledFloat(float value, std::uint32_t n, std::uint32_t scale) {
  const double scaled = static_cast<double>(value) * static_cast<double>(scale);
  std::int64_t whole = 0;
  if (std::isnan(scaled)) {
    whole = 0;
  } else if (scaled >= 9.2233720368547748e18) {
    whole = INT64_MAX;
  } else if (scaled <= -9.2233720368547758e18) {
    whole = INT64_MIN;
  } else {
    whole = static_cast<std::int64_t>(scaled);  // truncation toward zero
  }
  return WriteBits(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)), n);
}

bool CBitStream::ReadScaledFloat(float* out, std::uint32_t n, std::int32_t scale) {
  if (scale == 0) return false;
  std::int32_t whole = 0;
  if (mode_ != MODE_READ || n > 32 || IsReadAtEnd()) return false;
  const bool ok = ReadSignedBits(&whole, n);
  *out = static_cast<float>(static_cast<double>(whole) / static_cast<double>(scale));
  return ok;
}

bool CBitStream::ReadUnsignedScaledFloat(float* out, std::uint32_t n, std::uint32_t scale) {
  if (scale == 0) return false;
  std::uint32_t whole = 0;
  if (mode_ != MODE_READ || n > 32 || IsReadAtEnd()) return false;
  const bool ok = ReadBits(&whole, n);
  *out = static_cast<float>(static_cast<double>(whole) / static_cast<double>(scale));
  return ok;
}

bool CBitStream::WriteBlock(const std::uint32_t* source, std::uint32_t nBits) {
  if (mode_ != MODE_WRITE) return false;
  if (nBits > kCapacityBits || GetBitCount() + nBits > kCapacityBits) return false;
  const std::uint32_t whole = nBits / 32;
  for (std::uint32_t i = 0; i < whole; ++i) WriteBits(source[i], 32);
  if (nBits % 32 != 0) WriteBits(source[whole], nBits % 32);
  return true;
}

bool CBitStream::WriteByteBlock(const std::uint8_t* source, std::uint32_t nBits) {
  if (mode_ != MODE_WRITE) return false;
  if (nBits > kCapacityBits || GetBitCount() + nBits > kCapacityBits) return false;
  const std::uint32_t bytes = (nBits + 7) / 8;
  std::uint32_t left = nBits;
  for (std::uint32_t i = 0; i < bytes; i += 4) {
    std::uint32_t word = 0;
    for (std::uint32_t k = 0; k < 4 && i + k < bytes; ++k) word |= static_cast<std::uint32_t>(source[i + k]) << (8 * k);
    const std::uint32_t n = left < 32 ? left : 32;
    WriteBits(word, n);
    left -= n;
  }
  return true;
}

bool CBitStream::ReadBlock(std::uint32_t* destination, std::uint32_t nBits) {
  if (mode_ != MODE_READ) return false;
  const std::uint32_t whole = nBits / 32;
  for (std::uint32_t i = 0; i < whole; ++i)
    if (!ReadBits(&destination[i], 32)) return false;
  if (nBits % 32 != 0 && !ReadBits(&destination[whole], nBits % 32)) return false;
  return true;
}

bool CBitStream::WriteString(const char* text) {
  if (mode_ != MODE_WRITE || text == nullptr) return false;
  const std::size_t length = std::strlen(text) + 1;
  if (length > kCapacityBits / 8 || GetBitCount() + 8 * length > kCapacityBits) return false;
  for (std::size_t i = 0; i < length; ++i) WriteBits(static_cast<unsigned char>(text[i]), 8);
  return true;
}

bool CBitStream::WriteString7(const char* text) {
  if (mode_ != MODE_WRITE || text == nullptr) return false;
  const std::size_t length = std::strlen(text) + 1;
  if (length > kCapacityBits / 7 || GetBitCount() + 7 * length > kCapacityBits) return false;
  for (std::size_t i = 0; i + 1 < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 32 || c > 158) c = kString7Fallback;
    WriteBits(static_cast<std::uint32_t>(c - 31), 7);
  }
  WriteBits(0, 7);
  return true;
}

namespace {

// The shared loop of the two string readers: reads codes of `width` bits,
// stores each as code + offset, ends at the code 0.
bool ReadText(CBitStream& stream, char* destination, std::size_t capacity, std::uint32_t width,
              std::uint32_t offset) {
  if (destination == nullptr || capacity == 0) return false;
  std::size_t stored = 0;
  bool fits = true;
  for (;;) {
    std::uint32_t code = 0;
    if (!stream.ReadBits(&code, width)) {
      destination[stored] = '\0';
      return false;
    }
    if (code == 0) break;
    if (stored + 1 < capacity) {
      destination[stored++] = static_cast<char>(code + offset);
    } else {
      fits = false;
    }
  }
  destination[stored] = '\0';
  return fits;
}

}  // namespace

bool CBitStream::ReadString(char* destination, std::size_t capacity) {
  if (mode_ != MODE_READ) return false;
  return ReadText(*this, destination, capacity, 8, 0);
}

bool CBitStream::ReadString7(char* destination, std::size_t capacity) {
  if (mode_ != MODE_READ) return false;
  return ReadText(*this, destination, capacity, 7, 31);
}

bool CBitStream::ExportBytes(std::uint8_t* destination, std::size_t capacity, std::uint32_t* bitCount,
                             std::uint32_t* byteCount) {
  if (mode_ != MODE_READ) return false;
  const std::uint32_t bytes = GetByteCount();
  if (bytes > capacity) return false;
  for (std::uint32_t i = 0; i < bytes; ++i) destination[i] = static_cast<std::uint8_t>(words_[i / 4] >> (8 * (i % 4)));
  *bitCount = GetBitCount();
  *byteCount = bytes;
  return true;
}

bool CBitStream::ImportBytes(const std::uint8_t* source, std::size_t sourceSize, std::uint32_t nBits) {
  if (mode_ != MODE_WRITE || nBits > kCapacityBits) return false;
  const std::uint32_t bytes = (nBits + 7) / 8;
  if (bytes > sourceSize || (bytes > 0 && source == nullptr)) return false;
  readCursor_ = BitCursor{};
  writeCursor_ = CursorAt(nBits);
  for (std::uint32_t i = 0; i < bytes; ++i) {
    const std::uint32_t shift = 8 * (i % 4);
    words_[i / 4] = (words_[i / 4] & ~(0xFFu << shift)) | (static_cast<std::uint32_t>(source[i]) << shift);
  }
  // Writing ORs into the words, so the bits past the end must be zero.
  if (nBits % 32 != 0) words_[nBits / 32] &= (1u << (nBits % 32)) - 1u;
  return true;
}

bool CBitStream::Append(CBitStream& other) {
  if (mode_ != MODE_WRITE) return false;
  if (GetBitCount() + other.GetBitCount() > kCapacityBits) return false;
  other.End();
  other.Begin(MODE_READ);
  std::uint32_t left = other.GetBitCount();
  while (left > 0) {
    const std::uint32_t n = left < 32 ? left : 32;
    std::uint32_t piece = 0;
    other.ReadBits(&piece, n);
    WriteBits(piece, n);
    left -= n;
  }
  other.End();
  return true;
}
