// The string ids the menu core shows itself (the texts are in "GenStrs.txt").
#pragma once

#include <cstdint>

// The shared hint lines at the foot of every screen.
inline constexpr std::uint32_t kTextHintSelect = 0x5E1EC7A1;
inline constexpr std::uint32_t kTextHintBack = 0x5E1EC7A2;
// The squad-name editor's title.
inline constexpr std::uint32_t kTextSquadNames = 0x3A9D5E01;
// The paused banner: the game's own pause, and the host's in a network game.
inline constexpr std::uint32_t kTextPaused = 0x7C3B2E10;
inline constexpr std::uint32_t kTextPausedNetwork = 0x7C3B2E11;
// The ten indexed texts (ordinals 1st .. 10th).
inline constexpr std::uint32_t kTextOrdinals[10] = {0x61D0A301, 0x61D0A302, 0x61D0A303, 0x61D0A304, 0x61D0A305,
                                                    0x61D0A306, 0x61D0A307, 0x61D0A308, 0x61D0A309, 0x61D0A30A};
