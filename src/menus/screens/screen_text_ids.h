// The string ids of the front-end, end-of-mission, confirmation and save
// screens (the texts are in the string sources under tools/demo_data).
#pragma once

#include <cstdint>

// Front screen, single player, training, difficulty, uniform.
inline constexpr std::uint32_t kTextSinglePlayer = 0xA08F3D1B;  // also the single-player title
inline constexpr std::uint32_t kTextMultiplayer = 0x08284D6C;
inline constexpr std::uint32_t kTextOptions = 0x29257EAE;
inline constexpr std::uint32_t kTextQuit = 0x6553AF95;
inline constexpr std::uint32_t kTextTraining = 0xE2B366E1;  // also the training title
inline constexpr std::uint32_t kTextNewCampaign = 0xD2D6D4F4;
inline constexpr std::uint32_t kTextLoadGame = 0x9E456DC8;  // also the load screen's title
inline constexpr std::uint32_t kTextEasy = 0x5E050FE9;
inline constexpr std::uint32_t kTextMedium = 0xEFB576A8;
inline constexpr std::uint32_t kTextHard = 0xA8DEBBB0;
inline constexpr std::uint32_t kTextDifficultyTitle = 0x4EFFD929;
inline constexpr std::uint32_t kTextTraining1 = 0x3D6343C3;
inline constexpr std::uint32_t kTextTraining2 = 0x44771B16;
inline constexpr std::uint32_t kTextTraining3 = 0x15908B8F;
inline constexpr std::uint32_t kTextUniformTitle = 0xE2DE8A49;
inline constexpr std::uint32_t kTextUniform0 = 0xDE8A49AB;
inline constexpr std::uint32_t kTextUniform1 = 0xDE8A491D;

// Pause, failed, success.
inline constexpr std::uint32_t kTextPauseTitle = 0x0556F2D1;
inline constexpr std::uint32_t kTextPauseHint = 0xF287B40B;
inline constexpr std::uint32_t kTextQuitMission = 0x6768B71D;
inline constexpr std::uint32_t kTextFailedTitle = 0x1D93FBD5;
inline constexpr std::uint32_t kTextRetry = 0xF67FF733;
inline constexpr std::uint32_t kTextQuitGame = 0x861B7E27;
inline constexpr std::uint32_t kTextSuccessTitle = 0xEB4EEB36;
inline constexpr std::uint32_t kTextContinue = 0x43191BEA;

// Confirmations and the load failure.
inline constexpr std::uint32_t kTextYes = 0x017E33D4;
inline constexpr std::uint32_t kTextNo = 0x0001F3F3;
inline constexpr std::uint32_t kTextOverwriteTitle = 0x56CA8EE9;
inline constexpr std::uint32_t kTextQuitTitle = 0x17547FB1;
inline constexpr std::uint32_t kTextAbandonTitle = 0x11DE0868;
inline constexpr std::uint32_t kTextLoadFailed = 0x45B4C354;

// Save and load.
inline constexpr std::uint32_t kTextSaveTitle = 0xB6C0DE9B;
inline constexpr std::uint32_t kTextSavesLeft = 0x9ACF61C3;
inline constexpr std::uint32_t kTextSaveFailed = 0x5A7EFA11;
