// The one bounds-checked little-endian reader (and its writer twin) through
// which every binary format of the system is parsed and produced.  Reads never
// run past the end: a read that does not fit sets the failed flag, answers
// zero and leaves the position where it was, so a parser can read a whole
// record and test `Ok()` once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class ByteReader {
 public:
  ByteReader() = default;
  ByteReader(const void* data, std::size_t size)
      : data_(static_cast<const std::uint8_t*>(data)), size_(data ? size : 0) {}

  std::size_t Position() const { return pos_; }
  std::size_t Size() const { return size_; }
  std::size_t Remaining() const { return size_ - pos_; }
  // True while no read has failed.
  bool Ok() const { return !failed_; }
  // True when n more bytes can be read from the current position.
  bool HasRoom(std::size_t n) const { return n <= size_ - pos_; }
  const std::uint8_t* Data() const { return data_; }
  const std::uint8_t* Current() const { return data_ + pos_; }

  // Moves to an absolute offset; fails (and stays) when it lies past the end.
  bool Seek(std::size_t offset) {
    if (offset > size_) return Fail();
    pos_ = offset;
    return true;
  }
  bool Skip(std::size_t n) {
    if (!HasRoom(n)) return Fail();
    pos_ += n;
    return true;
  }

  std::uint8_t U8() { return static_cast<std::uint8_t>(Unsigned(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Unsigned(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Unsigned(4)); }
  std::uint64_t U64() { return Unsigned(8); }
  std::int8_t I8() { return static_cast<std::int8_t>(U8()); }
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  float F32() {
    std::uint32_t bits = U32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }

  // Copies n bytes out; on failure the destination is zero-filled.
  bool Bytes(void* out, std::size_t n) {
    if (!HasRoom(n)) {
      if (n) std::memset(out, 0, n);
      return Fail();
    }
    if (n) std::memcpy(out, data_ + pos_, n);
    pos_ += n;
    return true;
  }
  // A view of the next n bytes (advancing past them), or null when they are not all there.
  const std::uint8_t* View(std::size_t n) {
    if (!HasRoom(n)) {
      Fail();
      return nullptr;
    }
    const std::uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }
  // A string of exactly n bytes, cut at the first NUL.
  std::string FixedString(std::size_t n) {
    const std::uint8_t* p = View(n);
    if (!p) return {};
    std::size_t len = 0;
    while (len < n && p[len] != 0) ++len;
    return std::string(reinterpret_cast<const char*>(p), len);
  }
  // True when the next four bytes are the given tag ("TEXL"); consumes them if so.
  bool Tag(const char (&tag)[5]) {
    if (!HasRoom(4) || std::memcmp(data_ + pos_, tag, 4) != 0) return false;
    pos_ += 4;
    return true;
  }

  // Whether count records of record_size bytes each fit in what is left,
  // without overflowing the multiplication.
  bool HasRoomFor(std::size_t count, std::size_t record_size) const {
    if (record_size != 0 && count > Remaining() / record_size) return false;
    return true;
  }

 private:
  bool Fail() {
    failed_ = true;
    return false;
  }
  std::uint64_t Unsigned(std::size_t n) {
    if (!HasRoom(n)) {
      Fail();
      return 0;
    }
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(data_[pos_ + i]) << (8 * i);
    pos_ += n;
    return v;
  }

  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

// Little-endian writer into a growable byte vector.
class ByteWriter {
 public:
  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void U16(std::uint16_t v) { Unsigned(v, 2); }
  void U32(std::uint32_t v) { Unsigned(v, 4); }
  void U64(std::uint64_t v) { Unsigned(v, 8); }
  void I16(std::int16_t v) { U16(static_cast<std::uint16_t>(v)); }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void F32(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    U32(bits);
  }
  void Bytes(const void* p, std::size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  // Writes s into exactly n bytes, NUL-padded (and cut if longer).
  void FixedString(const std::string& s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) U8(i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0);
  }
  void Tag(const char (&tag)[5]) { Bytes(tag, 4); }
  // Overwrites a u32 already written at offset (for sizes known only later).
  void PatchU32(std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.at(offset + i) = static_cast<std::uint8_t>(v >> (8 * i));
  }

  std::size_t Size() const { return bytes_.size(); }
  const std::vector<std::uint8_t>& Data() const { return bytes_; }
  std::vector<std::uint8_t>& Data() { return bytes_; }

 private:
  void Unsigned(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  std::vector<std::uint8_t> bytes_;
};
