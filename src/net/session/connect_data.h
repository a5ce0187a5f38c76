// The 140-byte block a client joins with: the application name
// "BrindleClient" in the first 32 bytes (zero-filled), then the text last
// typed on a multiplayer text screen in the remaining 108 (zero-filled,
// always terminated).  The host reads it back field by field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct ConnectData {
  static constexpr std::size_t kSize = 140;
  static constexpr std::size_t kNameBytes = 32;
  static constexpr std::size_t kTextBytes = 108;

  std::string applicationName;
  std::string text;

  // Writes the 140 bytes (names and texts cut to fit, each left terminated).
  void Write(std::uint8_t out[kSize]) const;
  // Reads a block; false unless it is exactly 140 bytes with both fields terminated.
  bool Read(const std::uint8_t* data, std::size_t size);
};

// The game's application name in the block.
inline constexpr const char* kConnectApplicationName = "BrindleClient";

// Where the connect data's text comes from: the game shell's text-entry
// buffer, registered by the shell (null: an empty text).
using ConnectTextSource = const char* (*)();
void SetConnectTextSource(ConnectTextSource source);
const char* GetConnectText();
