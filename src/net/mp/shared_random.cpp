#include "net/mp/shared_random.h"

#include "foundation/maths/random15.h"

void CSharedRandom::Seed(std::uint32_t seed) {
  seed_ = seed;
  SRand15(seed);
  for (std::uint16_t& v : values_) v = static_cast<std::uint16_t>(Rand15());
  index_ = 0;
}

int CSharedRandom::Draw() {
  const int v = values_[index_];
  index_ = (index_ + 1) & 0xFF;
  return v;
}

float CSharedRandom::DrawRange(float low, float high) {
  return low + static_cast<float>(Draw()) / static_cast<float>(kRand15Max) * (high - low);
}
