#include "control/players/player_input_msg.h"

#include <algorithm>
#include <cmath>

#include "foundation/system/not_built_yet.h"
#include "net/bits/bit_stream.h"

namespace {

SoldierInputViewFn g_view = nullptr;
ApplyPlayerInputFn g_apply = nullptr;
PlayerInputMsg g_last[8];

// An angle in tenths of a degree (truncated toward zero), held inside what
// a signed field of `bits` carries, in the field's two's complement.
std::uint32_t Tenths(float degrees, std::uint32_t bits) {
  const double high = static_cast<double>((1 << (bits - 1)) - 1);
  const double low = -static_cast<double>(1 << (bits - 1));
  double tenths = std::trunc(static_cast<double>(degrees) * 10.0);
  if (!(tenths == tenths)) tenths = 0.0;  // not a number
  const auto value = static_cast<std::int32_t>(std::clamp(tenths, low, high));
  return static_cast<std::uint32_t>(value) & ((1u << bits) - 1u);
}

}  // namespace

bool PlayerInputMsg::Write(CBitStream& s) {
  if (!s.Begin(CBitStream::MODE_WRITE)) return false;
  bool ok = s.WriteBits(0, 1) && s.WriteBits(GMT_PLAYER_INPUT, 5) && s.WriteBits(unitId, 8) &&
            s.WriteBits(controlBits, 12) && s.WriteBits(stance, 5) && s.WriteBits(movementState, 8) &&
            s.WriteBits(Tenths(yaw, 13), 13);
  for (float r : rotation) ok = ok && s.WriteBits(Tenths(r, 10), 10);
  ok = ok && s.WriteBits(flag == 1 ? 1 : 0, 1);
  return s.End() && ok;
}

bool PlayerInputMsg::Read(CBitStream& s) {
  bool ok = s.ReadBits(&unitId, 8) && s.ReadBits(&controlBits, 12) && s.ReadBits(&stance, 5) &&
            s.ReadBits(&movementState, 8) && s.ReadScaledFloat(&yaw, 13, 10);
  for (float& r : rotation) ok = ok && s.ReadScaledFloat(&r, 10, 10);
  return ok && s.ReadBits(&flag, 1);
}

bool PlayerInputMsg::SameAs(const PlayerInputMsg& o) const {
  return unitId == o.unitId && controlBits == o.controlBits && stance == o.stance &&
         movementState == o.movementState && yaw == o.yaw && rotation[0] == o.rotation[0] &&
         rotation[1] == o.rotation[1] && rotation[2] == o.rotation[2] && flag == o.flag;
}

void SetSoldierInputView(SoldierInputViewFn fn) { g_view = fn; }

void ReadSoldierInputView(const CHLOGrunt* soldier, SoldierInputView* view) {
  *view = SoldierInputView{};
  if (g_view == nullptr) {
    NotBuiltYet("player input: the soldier's stance, movement and angles (units)");
    return;
  }
  g_view(soldier, view);
}

void SetApplyPlayerInput(ApplyPlayerInputFn fn) { g_apply = fn; }

bool ReceivePlayerInput(int slot, CBitStream* stream) {
  PlayerInputMsg m;
  if (!m.Read(*stream)) return false;
  if (slot < 0 || slot >= 8) return true;
  g_last[slot] = m;
  if (g_apply == nullptr)
    NotBuiltYet("player input: steering a remote soldier (units)");
  else
    g_apply(slot, m);
  return true;
}

const PlayerInputMsg& LastPlayerInput(int slot) { return g_last[slot & 7]; }
