// The session's shared random table: 256 numbers of the engine's 15-bit
// generator after seeding it with the session's seed.  The host seeds it
// when it starts the session and clients when its settings arrive, and every
// machine draws in the same order, so host and clients draw the same numbers.
#pragma once

#include <cstdint>

class CSharedRandom {
 public:
  static constexpr int kSize = 256;

  CSharedRandom() { Seed(0); }
  // Fills the table from the seed and starts drawing at index 0.
  void Seed(std::uint32_t seed);
  // The next number (0..32767); the draw index wraps at 256.
  int Draw();
  // low + number / 32767 x (high - low).
  float DrawRange(float low, float high);
  // The number `ahead` draws from now, without drawing.
  int Peek(int ahead) const { return values_[(index_ + ahead) & 0xFF]; }
  // Entry i of the table (0..255).
  int Value(int i) const { return values_[i & 0xFF]; }
  int GetIndex() const { return index_; }
  std::uint32_t GetSeed() const { return seed_; }

 private:
  std::uint16_t values_[kSize] = {};
  int index_ = 0;
  std::uint32_t seed_ = 0;
};
