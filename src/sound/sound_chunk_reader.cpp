#include "sound/sound_chunk_reader.h"

#include <cstring>

#include "foundation/files/buffered_file.h"

SoundChunkReader::SoundChunkReader(BufferedFile* file, std::uint32_t length) : file_(file), lengthLeft_(length) {}

SoundChunkReader::SoundChunkReader(const std::uint8_t* data, std::size_t size, std::uint32_t length)
    : data_(data), size_(data ? size : 0), lengthLeft_(length) {}

std::size_t SoundChunkReader::ReadRaw(void* out, std::size_t n) {
  std::size_t got = 0;
  if (file_ != nullptr) {
    got = FileRead(out, 1, n, file_);
  } else {
    got = n < size_ - pos_ ? n : size_ - pos_;
    if (out != nullptr && got != 0) std::memcpy(out, data_ + pos_, got);
    pos_ += got;
  }
  offset_ += got;
  return got;
}

std::uint32_t SoundChunkReader::NextChunk() {
  // What is left of the current chunk was counted into the length when its
  // header was read, and is skipped now.
  if (chunkLeft_ != 0) {
    ReadRaw(nullptr, chunkLeft_);
    chunkLeft_ = 0;
  }
  if (lengthLeft_ < 8) return kSoundTagEnd;
  std::uint8_t header[8];
  if (ReadRaw(header, 8) != 8) return kSoundTagEnd;
  lengthLeft_ -= 8;
  const std::uint32_t tag = header[0] | header[1] << 8 | header[2] << 16 | static_cast<std::uint32_t>(header[3]) << 24;
  const std::uint32_t size = header[4] | header[5] << 8 | header[6] << 16 | static_cast<std::uint32_t>(header[7]) << 24;
  if (size > lengthLeft_) return kSoundTagOversized;
  lengthLeft_ -= size;
  chunkLeft_ = size;
  return tag;
}

bool SoundChunkReader::Read(void* out, std::uint32_t n) {
  const std::uint32_t take = n < chunkLeft_ ? n : chunkLeft_;
  const std::size_t got = ReadRaw(out, take);
  chunkLeft_ -= static_cast<std::uint32_t>(got);
  if (got < take) chunkLeft_ = 0;  // the file ended inside the chunk
  return got == n;
}

bool SoundChunkReader::ReadU8(std::uint8_t* v) {
  *v = 0;
  return Read(v, 1);
}

bool SoundChunkReader::ReadU16(std::uint16_t* v) {
  std::uint8_t b[2] = {};
  const bool ok = Read(b, 2);
  *v = ok ? static_cast<std::uint16_t>(b[0] | b[1] << 8) : 0;
  return ok;
}

bool SoundChunkReader::ReadU32(std::uint32_t* v) {
  std::uint8_t b[4] = {};
  const bool ok = Read(b, 4);
  *v = ok ? (b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24) : 0;
  return ok;
}

bool SoundChunkReader::ReadF32(float* v) {
  std::uint32_t bits = 0;
  const bool ok = ReadU32(&bits);
  std::memcpy(v, &bits, sizeof *v);
  return ok;
}
