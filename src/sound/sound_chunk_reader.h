// The chunk reader of the sound cache file: after the file's 8-byte header,
// chunks of a four-character tag, a 32-bit size and that many bytes of body,
// as many as the header's length holds.  It reads from the engine's open
// file or from bytes in memory.  Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>

struct BufferedFile;

// Tags, first character in the lowest byte.
constexpr std::uint32_t SoundTag(const char (&t)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(t[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(t[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(t[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(t[3])) << 24;
}
inline constexpr std::uint32_t kSoundCacheMagic = 0x00484353;  // "SCH" and a zero byte
inline constexpr std::uint32_t kSoundTagBank = SoundTag("BANK");
inline constexpr std::uint32_t kSoundTagIMus = SoundTag("IMUS");
inline constexpr std::uint32_t kSoundTagPsfMemory = SoundTag("PFSM");
inline constexpr std::uint32_t kSoundTagPsfStream = SoundTag("PFST");
// The end of the chunks: the length is used up, or no chunk header could be read.
inline constexpr std::uint32_t kSoundTagEnd = 0x00464F45;  // "EOF"
// A chunk that claims more bytes than the file's length has left.
inline constexpr std::uint32_t kSoundTagOversized = SoundTag("BIG!");

class SoundChunkReader {
 public:
  // Over the engine's open file, positioned after the header; `length` is
  // the header's length word.
  SoundChunkReader(BufferedFile* file, std::uint32_t length);
  // Over `size` bytes in memory positioned after the header.
  SoundChunkReader(const std::uint8_t* data, std::size_t size, std::uint32_t length);

  // Skips what is left of the current chunk and reads the next chunk's
  // header: its tag, kSoundTagEnd, or kSoundTagOversized for a chunk larger
  // than the length has left (read no further then).
  std::uint32_t NextChunk();
  // Reads min(n, what the chunk has left) bytes into out (null: skips them);
  // true only when all n were read.
  bool Read(void* out, std::uint32_t n);
  // Little-endian helpers over Read; false on a short read (the value is 0).
  bool ReadU8(std::uint8_t* v);
  bool ReadU16(std::uint16_t* v);
  bool ReadU32(std::uint32_t* v);
  bool ReadF32(float* v);

  std::uint32_t ChunkLeft() const { return chunkLeft_; }
  std::uint32_t LengthLeft() const { return lengthLeft_; }
  // Offset of the next byte from the start of the file, for messages.
  std::size_t Offset() const { return offset_; }

 private:
  std::size_t ReadRaw(void* out, std::size_t n);

  BufferedFile* file_ = nullptr;
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t pos_ = 0;
  std::size_t offset_ = 8;
  std::uint32_t lengthLeft_;
  std::uint32_t chunkLeft_ = 0;
};
