// The session message (game message type 27): one kind of session news a
// message, with the fields each kind carries.  Kind in 8 bits, the
// from-client flag in 1, then by kind:
//   1 relayed text: slot (8), text (77 bytes)      2 settings (92 bytes)
//   3 session state: state (4), target (4)         4 ready, 5 not ready,
//   6 left, 12 world state request: slot (8)       7, 8: nothing
//   9 player record: slot (8), record (52 bytes)   10 world block (284 bytes)
//   11 player table: 8 summaries (352 bytes)
// Blocks travel as whole 32-bit words and a last partial word, so their
// bytes keep their little-endian order.
#pragma once

#include <cstdint>

#include "net/messages/net_message.h"
#include "net/mp/mp_records.h"
#include "net/mp/world_block.h"

enum GameSessionKind : std::uint32_t {
  GSK_TEXT = 1,
  GSK_SETTINGS = 2,
  GSK_STATE = 3,
  GSK_READY = 4,
  GSK_NOT_READY = 5,
  GSK_PLAYER_LEFT = 6,
  GSK_SEVEN = 7,
  GSK_EIGHT = 8,
  GSK_PLAYER_RECORD = 9,
  GSK_WORLD_STATE = 10,
  GSK_PLAYER_TABLE = 11,
  GSK_WORLD_REQUEST = 12,
};

class CGameMessage : public CNetMessage {
 public:
  static constexpr std::uint32_t kTextBytes = 77;

  CGameMessage();
  explicit CGameMessage(std::uint32_t kind) : CGameMessage() { this->kind = kind; }

  bool Write(CBitStream& stream) override;
  bool Read(CBitStream& stream) override;

  // Copies text into the message (cut at 76 characters).
  void SetText(const char* text);

  std::uint32_t kind = 0;
  std::uint32_t fromClient = 0;
  std::uint32_t slot = 0;
  std::uint32_t state = 0;
  std::uint32_t target = 3;
  MPSettings settings{};
  MPPlayerRecord record{};
  MPWorldBlock world{};
  PlayerSummary table[8] = {};
  char text[kTextBytes + 1] = {};
};
