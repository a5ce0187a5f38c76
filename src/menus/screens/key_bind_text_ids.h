// The string ids of the key-binding screen (the texts are in "GenStrs.txt";
// the action names are in the bindable-action table).
#pragma once

#include <cstdint>

inline constexpr std::uint32_t kTextKeyBindTitle = 0xE443B70B;
// The four pages of the page choice.
inline constexpr std::uint32_t kTextKeyBindPages[4] = {0x5EB9A68D, 0x07BB260C, 0x71115093, 0x08284D6C};
// The list's two column headings.
inline constexpr std::uint32_t kTextKeyBindActionHeading = 0x542AAFAA;
inline constexpr std::uint32_t kTextKeyBindBindingHeading = 0xF1E9690D;
// The button that brings the default bindings back.
inline constexpr std::uint32_t kTextKeyBindDefaults = 0x6CFBF707;
