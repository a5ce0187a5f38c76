// The mission's event handler: what the mission does when the game tells it
// something happened, and its answers to the game's questions (written into
// the event's block).
#pragma once

#include <stdint.h>

#include "mission_abi.h"

namespace mission1 {

// Codes 18 and 59 are handled in every status; any other code answers 1 and
// changes nothing until play has started; codes above 59 answer 0.  A code
// with a case answers 1, one without answers 0.  A null block is answered
// without being read.
int32_t MissionHandleEvent(uint32_t code, MissionEventWord* words);

}  // namespace mission1
