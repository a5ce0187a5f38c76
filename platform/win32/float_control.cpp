#include "platform/win32/float_control.h"

#include <atomic>
#include <cfenv>

namespace {
constinit std::atomic<unsigned int> gWord{_CW_DEFAULT};

unsigned int RoundingBits() {
  switch (std::fegetround()) {
    case FE_DOWNWARD:
      return _RC_DOWN;
    case FE_UPWARD:
      return _RC_UP;
    case FE_TOWARDZERO:
      return _RC_CHOP;
    default:
      return _RC_NEAR;
  }
}
}  // namespace

unsigned int _controlfp(unsigned int value, unsigned int mask) {
  mask &= _MCW_EM | _MCW_RC | _MCW_PC;
  unsigned int word = (gWord.load() & ~_MCW_RC) | RoundingBits();
  word = (word & ~mask) | (value & mask);
  if (mask & _MCW_RC) {
    switch (word & _MCW_RC) {
      case _RC_DOWN:
        std::fesetround(FE_DOWNWARD);
        break;
      case _RC_UP:
        std::fesetround(FE_UPWARD);
        break;
      case _RC_CHOP:
        std::fesetround(FE_TOWARDZERO);
        break;
      default:
        std::fesetround(FE_TONEAREST);
        break;
    }
  }
  gWord.store(word);
  return word;
}
