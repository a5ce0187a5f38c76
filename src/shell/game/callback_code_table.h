// Saved effects, projectiles and strikes name the function they will call
// back by a code (100 to 111), never by its address, so that a saved game
// loads into another run of the program.  255 names no function.
#pragma once

#include <cstdint>

#include "world/effects/effect_pool.h"

inline constexpr std::int32_t kFirstCallbackCode = 100;
inline constexpr std::int32_t kLastCallbackCode = 111;
inline constexpr std::int32_t kNoCallbackCode = 255;

// The code of a callback: 100 to 111, or 255 for null or a function without one.
std::int32_t GetCallbackCode(EffectAnyCallback callback);
// The callback of a code; null outside 100 to 111 and for the codes whose
// functions are not built yet (reported as such).
EffectAnyCallback GetCallbackFromCode(std::int32_t code);

// Typed forms for the effect pool's two callbacks.
template <typename Fn>
std::int32_t GetCallbackCodeOf(Fn* callback) {
  return GetCallbackCode(reinterpret_cast<EffectAnyCallback>(callback));
}
