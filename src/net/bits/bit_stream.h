// The buffer every network message is built in and read from: a fixed block
// of 100 32-bit words (3,200 bits) with a write cursor and a read cursor.
// Fields of 1 to 32 bits are packed one after another with no alignment,
// from the least significant bit of word 0 upward; a field that does not fit
// in the rest of a word is split, its low part ending the word and its high
// part starting the next.  As bytes (words stored little-endian) bit p is bit
// p mod 8 of byte p / 8.  The write position is also the stream's length.
//
// Calling order for a message: Reset (or Clear), Begin(1), writes, End; to
// export, Begin(2), ExportBytes, End.  On receipt: Reset, Begin(1),
// ImportBytes, End, Begin(2), reads in the writer's order, End.
//
// No allocation and no lock: a stream belongs to one thread at a time.  A
// failing operation answers false and changes nothing unless its line says
// otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

// A position in the stream: word index and bit index (0..31) within it.
struct BitCursor {
  std::uint32_t word = 0;
  std::uint32_t bit = 0;
};

class CBitStream {
 public:
  static constexpr std::uint32_t kWordCount = 100;
  static constexpr std::uint32_t kCapacityBits = kWordCount * 32;  // 3,200
  static constexpr std::uint32_t kCapacityBytes = kWordCount * 4;  // 400

  enum Mode : std::uint32_t { MODE_IDLE = 0, MODE_WRITE = 1, MODE_READ = 2 };

  CBitStream() { Reset(); }

  // Both cursors to the start, every word zero, no mode.
  void Reset();
  // Reset; always answers 0.
  int Clear();
  // Starts writing (1: after what is already there) or reading (2: from
  // position 0); fails when a mode is already set or the mode is unknown.
  bool Begin(std::uint32_t mode);
  // Ends the current mode (cursors and words are kept); fails when none is set.
  bool End();

  // Appends the low n bits of value (n <= 32); fails when not writing or
  // when the length would pass 3,200 bits.
  bool WriteBits(std::uint32_t value, std::uint32_t n);
  // Reads the next n bits (n <= 32), zero-extended, and advances.  Fails
  // without touching *out when not reading or already at or past the end of
  // the written data.  A read that runs past the written data still stores
  // the bits as they lie (bits past 3,200 read as zero) and advances, but
  // answers false.
  bool ReadBits(std::uint32_t* out, std::uint32_t n);
  // ReadBits, then sign extension from bit n - 1 (n < 32).
  bool ReadSignedBits(std::int32_t* out, std::uint32_t n);

  // Writes the low n bits of value x scale (computed in double precision,
  // truncated toward zero; a negative result in two's complement).  A value
  // that is not a number is written as 0; values beyond the 64-bit range are
  // held at its ends before the low bits are taken.
  bool WriteScaledFloat(float value, std::uint32_t n, std::uint32_t scale);
  // ReadSignedBits of n bits divided by scale; a scale of 0 fails, reading nothing.
  bool ReadScaledFloat(float* out, std::uint32_t n, std::int32_t scale);
  // ReadBits of n bits (unsigned) divided by scale; a scale of 0 fails, reading nothing.
  bool ReadUnsignedScaledFloat(float* out, std::uint32_t n, std::uint32_t scale);

  // Writes n / 32 whole source words, then the low n mod 32 bits of the
  // next one; fails, writing nothing, when the length would pass 3,200.
  bool WriteBlock(const std::uint32_t* source, std::uint32_t nBits);
  // Reads n / 32 whole words, then n mod 32 bits into the next destination
  // word; stops and fails at the first read that fails.
  bool ReadBlock(std::uint32_t* destination, std::uint32_t nBits);
  // The same, with the words given as little-endian bytes ((n + 7) / 8 of them).
  bool WriteByteBlock(const std::uint8_t* source, std::uint32_t nBits);

  // Writes each character in 8 bits, the terminating zero included; fails,
  // writing nothing, when the whole text does not fit.
  bool WriteString(const char* text);
  // Reads 8-bit characters up to and including the terminating zero into
  // destination (capacity bytes, at least 1).  The destination always ends
  // terminated; answers false when the data ends first or the text does not
  // fit (the rest of the text is then read and dropped).
  bool ReadString(char* destination, std::size_t capacity);
  // Writes each character c as the 7-bit code c - 31, then the code 0; so
  // characters 32 to 158 travel in 7 bits.  Any other character travels as
  // '?'.  Fails, writing nothing, when the whole text does not fit.
  bool WriteString7(const char* text);
  // Reads 7-bit codes (k stored as k + 31) until the code 0, with the same
  // capacity rule as ReadString.
  bool ReadString7(char* destination, std::size_t capacity);

  // Copies the stream's bytes (GetByteCount of them) to destination and
  // reports the length in bits and bytes; needs reading mode and room for
  // the bytes.
  bool ExportBytes(std::uint8_t* destination, std::size_t capacity, std::uint32_t* bitCount,
                   std::uint32_t* byteCount);
  // Loads n bits from (n + 7) / 8 source bytes: both cursors to 0, then the
  // write cursor to n.  Needs writing mode; refuses n above 3,200 and a
  // source shorter than the bytes n needs.  The bits of the last word past
  // n are cleared; the words beyond are left as they were.
  bool ImportBytes(const std::uint8_t* source, std::size_t sourceSize, std::uint32_t nBits);
  // Appends the whole of other (whose mode is ended, and which is read from
  // its start and left idle); needs writing mode and room for both lengths.
  bool Append(CBitStream& other);

  std::uint32_t GetBitCount() const { return writeCursor_.word * 32 + writeCursor_.bit; }
  // Length in bytes, a partial byte counting whole.
  std::uint32_t GetByteCount() const { return (GetBitCount() + 7) / 8; }
  // 3,200 minus the length, never below 0.
  std::int32_t GetFreeBits() const;
  bool IsReadAtEnd() const { return ReadPosition() >= GetBitCount(); }

  std::uint32_t GetMode() const { return mode_; }
  std::uint32_t ReadPosition() const { return readCursor_.word * 32 + readCursor_.bit; }
  BitCursor GetWriteCursor() const { return writeCursor_; }
  BitCursor GetReadCursor() const { return readCursor_; }
  // Word i of the packed bits (0 outside the block).
  std::uint32_t Word(std::uint32_t i) const { return i < kWordCount ? words_[i] : 0; }

 private:
  std::uint32_t mode_ = MODE_IDLE;
  std::uint32_t words_[kWordCount];
  BitCursor writeCursor_;
  BitCursor readCursor_;
};
