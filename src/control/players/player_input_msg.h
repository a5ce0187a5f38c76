// The player input message (game message type 25): how a client's player
// steers its soldier, sent to the host in each input step in which something
// changed.  Fields and widths on the wire:
//   unit id (8), control bits (12), stance (5), movement state (8),
//   yaw (13 bits, tenths of a degree), three rotation angles (10 bits each,
//   tenths of a degree), aiming flag (1).
// Angles are held inside their field's range before packing (yaw
// -409.6..409.5, rotations -51.2..51.1 degrees), so a large angle arrives as
// the nearest one the field can carry instead of wrapping round.
#pragma once

#include <cstdint>

#include "net/messages/net_message.h"

class CBitStream;
class CHLOGrunt;

// Control bits.
enum PlayerInputBits : std::uint32_t {
  INPUT_STRAFE_LEFT = 1u << 0,
  INPUT_STRAFE_RIGHT = 1u << 1,
  INPUT_FORWARD = 1u << 2,
  INPUT_BACKWARD = 1u << 3,
  INPUT_TURN_LEFT = 1u << 4,
  INPUT_TURN_RIGHT = 1u << 5,
  INPUT_WALK = 1u << 6,
  INPUT_FIRST_PERSON = 1u << 8,
};

class PlayerInputMsg : public CNetMessage {
 public:
  static constexpr std::uint32_t kBits = 6 + 8 + 12 + 5 + 8 + 13 + 3 * 10 + 1;

  // Writes the framing (flag 0, type 25) and the fields; false when the
  // stream is busy or full.
  bool Write(CBitStream& stream) override;
  // Reads the fields after the type; false when the data is cut short.
  bool Read(CBitStream& stream) override;
  // Every field equal (integers exactly, angles by equality).
  bool SameAs(const PlayerInputMsg& other) const;

  std::uint32_t unitId = 0;
  std::uint32_t controlBits = 0;
  std::uint32_t stance = 0;
  std::uint32_t movementState = 0;
  float yaw = 0;
  float rotation[3] = {0, 0, 0};
  std::uint32_t flag = 0;
};

// What the input message reads of the controlled soldier.
struct SoldierInputView {
  std::uint32_t unitId = 0;
  std::uint32_t stance = 0;
  std::uint32_t movementState = 0;
  float yaw = 0;
  float rotation[3] = {0, 0, 0};
  bool aiming = false;           // the aiming-state query answers 1
  bool holdsAimableWeapon = false;
};
// Fills the view of a soldier (the units install it; until then each call
// says "not built yet" and leaves the view zero).
using SoldierInputViewFn = void (*)(const CHLOGrunt* soldier, SoldierInputView* view);
void SetSoldierInputView(SoldierInputViewFn fn);
void ReadSoldierInputView(const CHLOGrunt* soldier, SoldierInputView* view);

// The host's side: a received input message steers the soldier of `slot`
// (the units install it; until then "not built yet").
using ApplyPlayerInputFn = void (*)(int slot, const PlayerInputMsg& message);
void SetApplyPlayerInput(ApplyPlayerInputFn fn);
// Reads one input message after its type and hands it to the soldier of
// `slot` (-1: read and dropped); false when it cannot be read.  This is the
// multiplayer layer's player-input hook.
bool ReceivePlayerInput(int slot, CBitStream* stream);
// The last message applied for each slot (tests, the report).
const PlayerInputMsg& LastPlayerInput(int slot);
