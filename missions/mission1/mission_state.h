// The mission's saved state: 136 bytes that the game stores in a saved game
// and hands back on load.  Eight one-byte latches, then 32 words; "time"
// words are game-clock milliseconds (0: none pending).  Everything else the
// plug-in keeps is rebuilt on load.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace mission1 {

// Bits of MissionState::triggerBits: one-shot triggers.
enum TriggerBit : uint32_t {
  kTriggerBoardedVehicle112 = 0x01,
  kTriggerRegion10Object69 = 0x02,
  kTriggerRegion31Vehicle265 = 0x04,
  kTriggerRegion16Vehicle271 = 0x08,
  kTriggerRegion32Vehicle292 = 0x10,
  kTriggerRegion10Vehicle302 = 0x20,
  kTriggerRegion22Or27Hunters = 0x40,
  kTriggerRegion22Unit6 = 0x80,
};

struct MissionState {
  uint8_t region0Latch;             // 0: the squad entered region 0 (three vehicles start)
  uint8_t region16ConvoyLatch;      // 1: region 16 (vehicle 141 starts its convoy run)
  uint8_t region12To14Latch;        // 2
  uint8_t region17Latch;            // 3
  uint8_t vehicle141HeldBack;       // 4: held at waypoint 155 until door 65 is open
  uint8_t firstNoticeOfNothing;     // 5: the first "unit noticed object 0" seen
  uint8_t spareByte6;               // 6: cleared by set-up and the spawn control only
  uint8_t building47Destroyed;      // 7: the dump is gone and the escape has started
  uint32_t alarmRaised;             // 8
  uint32_t prisonerFreed;           // 12
  uint32_t boatLaunched;            // 16
  uint32_t boatArrived;             // 20: boat 76 reached waypoint 55
  uint32_t item72Taken;             // 24
  uint32_t item71Taken;             // 28
  uint32_t unit14NoticedLatch;      // 32
  uint32_t failTime;                // 36: when the mission fails
  uint32_t region27Latch;           // 40: the reinforcement wave
  uint32_t finalSpawnLatch;         // 44
  uint32_t region24Or25Latch;       // 48: vehicle 249 starts
  uint32_t vehicle249ToWaypoint214; // 52
  uint32_t hintsEnabled;            // 56: 1 after set-up
  uint32_t delayedAlarmTime;        // 60
  uint32_t alarmSoundTime;          // 64: when the siren is turned down
  uint32_t prisonerCallLatch;       // 68
  uint32_t channel1Time;            // 72: when environment sound 1 comes back on
  uint32_t unit2RetryTime;          // 76
  uint32_t unit2Retries;            // 80: 0..2
  uint32_t routeLinkRequest;        // 84: non-zero asks for link set A
  uint32_t door65Open;              // 88
  uint32_t triggerBits;             // 92: TriggerBit
  uint32_t escapeEndTime;           // 96: end of the escape cinematic
  uint32_t convoyStep2Pending;      // 100
  uint32_t convoyStep3Pending;      // 104
  uint32_t convoyStep2Done;         // 108
  uint32_t convoyStep3Done;         // 112
  uint32_t convoyStep2Time;         // 116: untouched by set-up
  uint32_t convoyStep3Time;         // 120: untouched by set-up
  uint32_t cueTimelineRunning;      // 124
  uint32_t cueTimelineStart;        // 128
  uint32_t cueTimelineLastElapsed;  // 132
};

constexpr uint32_t kMissionStateBytes = 136;
static_assert(offsetof(MissionState, alarmRaised) == 8, "first word after the latches");
static_assert(offsetof(MissionState, failTime) == 36, "fail time");
static_assert(offsetof(MissionState, hintsEnabled) == 56, "hints");
static_assert(offsetof(MissionState, routeLinkRequest) == 84, "route-link request");
static_assert(offsetof(MissionState, triggerBits) == 92, "trigger bits");
static_assert(offsetof(MissionState, convoyStep2Time) == 116, "convoy step 2 time");
static_assert(offsetof(MissionState, cueTimelineLastElapsed) == 132, "last word");
static_assert(sizeof(MissionState) == kMissionStateBytes, "the saved block");

// Set-up's reset: every field 0 except hints (1); the two convoy times keep
// their values.
void ResetMissionState(MissionState* state);
// Writes the block little-endian, field by field; answers out + 136.
uint8_t* WriteMissionState(const MissionState& state, uint8_t* out);
// Reads a block written so (any 136 bytes are a valid block); answers in + 136.
const uint8_t* ReadMissionState(MissionState* state, const uint8_t* in);

}  // namespace mission1
