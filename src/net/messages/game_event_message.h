// The event message (game message type 26): chat, kills, respawns and the
// round's events.  Kind in 8 bits, the from-client flag in 1, then by kind:
//   1 chat: channel A (8), sender slot B (8), text (26 bytes)
//   2 kill: victim A (8), killer B (8, 255 none), value C (32)
//   3 loadout: soldier slot A (8), 26 u16 (the 25 inventory entries and the
//     current item, each a replication index + 1, 0 none)
//   4 item respawned: item A (12), respawn point B (8), queue id C (6)
//   5 strike: strike object A (12), calling slot B (4, 15 none), target X,
//     Y, Z (17 each, signed whole units)
//   6 mission notice: A (8)     7 round reset: A (32)     8: nothing
//   9: A (8)                    10 soldier leaves object: slot A (8), object B (8)
#pragma once

#include <cstdint>

#include "net/messages/net_message.h"

enum GameEventKind : std::uint32_t {
  GEK_CHAT = 1,
  GEK_KILL = 2,
  GEK_LOADOUT = 3,
  GEK_ITEM_RESPAWNED = 4,
  GEK_STRIKE = 5,
  GEK_MISSION_NOTICE = 6,
  GEK_ROUND_RESET = 7,
  GEK_EIGHT = 8,
  GEK_NINE = 9,
  GEK_LEAVE_OBJECT = 10,
};

class CGameEventMessage : public CNetMessage {
 public:
  static constexpr std::uint32_t kTextBytes = 26;
  static constexpr int kListSize = 26;

  CGameEventMessage() = default;
  explicit CGameEventMessage(std::uint32_t kind) : kind(kind) {}

  bool Write(CBitStream& stream) override;
  bool Read(CBitStream& stream) override;

  // Copies text into the message (cut at 26 characters).
  void SetText(const char* text);

  std::uint32_t kind = 0;
  std::uint32_t fromClient = 0;
  std::uint32_t a = 0, b = 0, c = 0;
  float x = 0, y = 0, z = 0;
  char text[kTextBytes + 1] = {};  // 26 on the wire, always terminated here
  std::uint16_t list[kListSize] = {};
};
