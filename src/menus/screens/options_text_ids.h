// The string ids of the settings screens: options, controls, mouse and
// cheats (the texts are in "GenStrs.txt").
#pragma once

#include <cstdint>

// Titles (the mouse screen's title is its row's text on the controls screen).
inline constexpr std::uint32_t kTextOptionsTitle = 0x29257EAE;
inline constexpr std::uint32_t kTextControlsTitle = 0xEB9A212D;
inline constexpr std::uint32_t kTextCheatsTitle = 0xEE1A0D13;
// The options screen's rows.
inline constexpr std::uint32_t kTextCheatsRow = 0xEE1A0D13;
inline constexpr std::uint32_t kTextEffectsVolume = 0xFCBF1A72;
inline constexpr std::uint32_t kTextMusicVolume = 0x6A1A1879;
inline constexpr std::uint32_t kTextControlsRow = 0xB89EBF3E;
// The controls screen's rows.
inline constexpr std::uint32_t kTextKeyBindingsRow = 0xE443B70B;
inline constexpr std::uint32_t kTextMouseRow = 0xAC4ABB64;
// The mouse screen's labels.
inline constexpr std::uint32_t kTextMouseSpeedX = 0x7ACAC9CC;
inline constexpr std::uint32_t kTextMouseSpeedY = 0x305A9108;
inline constexpr std::uint32_t kTextInvertMouse = 0x5E20DCAB;
inline constexpr std::uint32_t kTextSquaredMouse = 0xEA791AAD;
// The two texts of every off/on choice (the same strings as no and yes).
inline constexpr std::uint32_t kTextOff = 0x0001F3F3;
inline constexpr std::uint32_t kTextOn = 0x017E33D4;
// The cheat screen's rows.
inline constexpr std::uint32_t kTextSkillBonus = 0x549B67A4;
inline constexpr std::uint32_t kTextEnemySkillZero = 0x9E81D0D2;
inline constexpr std::uint32_t kTextMissionListRow = 0x90F21D08;

// Every id above, for the check that the string file holds them.
inline constexpr std::uint32_t kSettingsScreenTextIds[] = {
    kTextOptionsTitle,  kTextControlsTitle, kTextCheatsRow,    kTextEffectsVolume,  kTextMusicVolume,
    kTextControlsRow,   kTextKeyBindingsRow, kTextMouseRow,    kTextMouseSpeedX,    kTextMouseSpeedY,
    kTextInvertMouse,   kTextSquaredMouse,  kTextOff,          kTextOn,             kTextSkillBonus,
    kTextEnemySkillZero, kTextMissionListRow};
