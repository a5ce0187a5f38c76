#include "shell/game/callback_code_table.h"

#include <string>

#include "foundation/system/not_built_yet.h"
#include "shell/effects/game_effects.h"
#include "world/effects/impact_debris.h"

namespace {

template <typename Fn>
EffectAnyCallback Any(Fn* fn) {
  return reinterpret_cast<EffectAnyCallback>(fn);
}

// Codes 100 to 111 in order; null where the owning code does not exist yet
// (101 input and player control, 102/107 a dropped item's flight, 103/104
// and 108/109 the weapons, 111 the strike list).
EffectAnyCallback CallbackAt(int index) {
  switch (index) {
    case 0: return Any(&GoreImpactCallback);
    case 5: return Any(&ImpactPieces::OnPieceLanded);
    case 6: return Any(&GoreFollowCallback);
    case 10: return Any(&ImpactPieces::OnPieceMoved);
    default: return nullptr;
  }
}

constexpr int kCodes = kLastCallbackCode - kFirstCallbackCode + 1;

}  // namespace

std::int32_t GetCallbackCode(EffectAnyCallback callback) {
  if (callback == nullptr) return kNoCallbackCode;
  for (int i = 0; i < kCodes; ++i)
    if (CallbackAt(i) == callback) return kFirstCallbackCode + i;
  return kNoCallbackCode;
}

EffectAnyCallback GetCallbackFromCode(std::int32_t code) {
  if (code < kFirstCallbackCode || code > kLastCallbackCode) return nullptr;
  EffectAnyCallback fn = CallbackAt(code - kFirstCallbackCode);
  if (fn == nullptr) NotBuiltYet(("callback code " + std::to_string(code)).c_str());
  return fn;
}
