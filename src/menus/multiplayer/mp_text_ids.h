// The string ids the multiplayer screens show (the texts are in "MPStrs.txt",
// a few shared ones in "GenStrs.txt" and "TitleStrs.txt").
#pragma once

#include <cstdint>

namespace mptext {

// Entry and connection.
inline constexpr std::uint32_t kTitle = 0x08284D6C;
inline constexpr std::uint32_t kHostGame = 0xA89E60D1;
inline constexpr std::uint32_t kJoinGame = 0xDAB809C7;
inline constexpr std::uint32_t kSessionName = 0x7E6155F9;
inline constexpr std::uint32_t kPort = 0xBE45D673;
inline constexpr std::uint32_t kConnectAddress = 0x114C1FBA;
inline constexpr std::uint32_t kSearchLocal = 0x019E05F6;
inline constexpr std::uint32_t kDefaultSessionName = 0x90C3B0A5;

// Browser.
inline constexpr std::uint32_t kSearching = 0x9BF511D3;
inline constexpr std::uint32_t kHeadSession = 0x395B14BD;
inline constexpr std::uint32_t kHeadState = 0xD86022A7;
inline constexpr std::uint32_t kHeadPing = 0xBE1E9B7F;
inline constexpr std::uint32_t kPlayers = 0x86733281;
inline constexpr std::uint32_t kStateOpen = 0x78F0F895;
inline constexpr std::uint32_t kStatePlaying = 0x49CC1889;
inline constexpr std::uint32_t kStateClosing = 0x81D5C5ED;

// Lobby.
inline constexpr std::uint32_t kScores = 0xE386ACFE;
inline constexpr std::uint32_t kTeamAndCharacter = 0xABD29E93;
inline constexpr std::uint32_t kChat = 0xF82C32A8;
inline constexpr std::uint32_t kStartGame = 0xAECB17B5;
inline constexpr std::uint32_t kReady = 0x856C5716;

// Team screen.
inline constexpr std::uint32_t kChoice = 0xF7D72E4B;
inline constexpr std::uint32_t kSides[4] = {0xDB8DB7A0, 0xDB8DB7B6, 0x976DE2A5, 0x8D37ED81};
inline constexpr std::uint32_t kAttackers = 0xC7348222;
inline constexpr std::uint32_t kDefenders = 0x61F92F4B;
inline constexpr std::uint32_t kCharacters[4] = {0xC69D6FF9, 0x0D1028D8, 0x7588F911, 0xA6A16148};
inline constexpr std::uint32_t kCharacter = 0x7294FA04;
inline constexpr std::uint32_t kName = 0x3B70EA21;
inline constexpr std::uint32_t kTeams[2] = {0xE8DBAB84, 0xE8DBAB32};
inline constexpr std::uint32_t kTeam = 0xCEF90E3B;

// Score table and the in-game menus.
inline constexpr std::uint32_t kScoreTitle = 0x7D09278D;
inline constexpr std::uint32_t kGameModes[6] = {0xD7B049A5, 0x9D66F17B, 0x9B6D9CB3, 0xB77026FB, 0xF83E3336, 0xF52352E2};
inline constexpr std::uint32_t kHeadName = 0xF3B39A8C;
inline constexpr std::uint32_t kHeadTeam = 0x88E8DBAB;
inline constexpr std::uint32_t kHeadCharacter = 0xBF7C55C8;
inline constexpr std::uint32_t kHeadScore = 0x1EF5D239;
inline constexpr std::uint32_t kHeadDeaths = 0x0023E21B;
inline constexpr std::uint32_t kWaitForPlayers = 0xC73B232B;
inline constexpr std::uint32_t kYes = 0x017E33D4;
inline constexpr std::uint32_t kNo = 0x0001F3F3;
inline constexpr std::uint32_t kReturnToGame = 0x0C81F777;
inline constexpr std::uint32_t kChangeNextSpawn = 0xFEEA5804;
inline constexpr std::uint32_t kPlayAgain = 0x0D968692;
inline constexpr std::uint32_t kChangeSetup = 0x8FC25B80;
inline constexpr std::uint32_t kOptions = 0x29257EAE;
inline constexpr std::uint32_t kArmies[4] = {0xDE8A49AB, 0xDE8A491D, 0xDE8A4946, 0xDE8A49C6};
inline constexpr std::uint32_t kTeamWins = 0xFA256F28;
inline constexpr std::uint32_t kNoWinner = 0x75D2E78C;

// Set-up and options.
inline constexpr std::uint32_t kMissionTypes[5] = {0xE185FDC6, 0xD7B049A5, 0x9D66F17B, 0x88A3235D, 0xA124EE56};
inline constexpr std::uint32_t kLevels[6] = {0x45680FA0, 0x45680F16, 0x45680FCD, 0x45680F4D, 0x45680F96, 0x45680F20};
inline constexpr std::uint32_t kToLobby = 0x2730058D;
inline constexpr std::uint32_t kSetupTitle = 0x827F115A;
inline constexpr std::uint32_t kTimeLimit = 0x5A64B855;
inline constexpr std::uint32_t kWeaponCache = 0x3E054CB4;
inline constexpr std::uint32_t kOTSupport = 0x1D751F53;
inline constexpr std::uint32_t kRespawn = 0x6C6C78B9;
inline constexpr std::uint32_t kFriendlyFire = 0xA64FA548;
inline constexpr std::uint32_t kMinutes = 0x955F3946;
inline constexpr std::uint32_t kNoTimeLimit = 0x80E39F17;
inline constexpr std::uint32_t kHintChange = 0x9659879E;

// Text entry.
inline constexpr std::uint32_t kHostAddress = 0x548A075B;
inline constexpr std::uint32_t kPlayerName = 0xFD92E495;
inline constexpr std::uint32_t kChatAll = 0x220A2812;
inline constexpr std::uint32_t kChatTeam = 0x0F0CD7AF;
inline constexpr std::uint32_t kHintAccept = 0xE3421B75;

// Notices.
inline constexpr std::uint32_t kWaitHost = 0xA029B663;
inline constexpr std::uint32_t kJoinFailed = 0xB5AB1613;
inline constexpr std::uint32_t kJoinRefused = 0x918CBD6D;
inline constexpr std::uint32_t kWaitLoading = 0x7120F6A6;
inline constexpr std::uint32_t kHostFailed = 0xFBA3309C;
inline constexpr std::uint32_t kSessionEnded = 0x2BE68F52;
inline constexpr std::uint32_t kWatching = 0x4BCDBA9F;

}  // namespace mptext
