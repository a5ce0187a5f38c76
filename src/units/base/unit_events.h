// The mission events the units raise (a unit damaged, healed, killed ...):
// each goes to the bound mission plug-in's event handler with a block of
// 32-bit words, the first as a rule the id of the object concerned.  With no
// plug-in bound nothing is raised.  Main thread only.
#pragma once

#include <cstdint>

// Mission event codes the units raise.
enum UnitMissionEvent : std::uint32_t {
  MEV_UNIT_KILLED = 0,
  MEV_UNIT_HEALED = 11,
  MEV_UNIT_DAMAGED = 12,
};

// Where the units' events go until the game shell's plug-in binder raises
// them: a handler that stands for the bound plug-in (null: none bound).
using UnitEventHandler = void (*)(std::uint32_t code, std::uint32_t* block, int words);
void SetUnitEventHandler(UnitEventHandler handler);
// Whether a handler (a plug-in) is bound.
bool UnitEventsBound();

// Raises the event with the block (at most 16 words); answers the block's
// first word as the handler left it (the preset word without a handler).
std::uint32_t RaiseUnitEvent(std::uint32_t code, std::uint32_t* block, int words);
// The common case: a block of one word, the object's id.
void RaiseUnitEvent(std::uint32_t code, std::int32_t objectId);
