#include "mission_state.h"

namespace mission1 {

namespace {

// The words in block order: offset 8 + 4 * index.
constexpr uint32_t MissionState::*kWords[] = {
    &MissionState::alarmRaised,        &MissionState::prisonerFreed,
    &MissionState::boatLaunched,       &MissionState::boatArrived,
    &MissionState::item72Taken,        &MissionState::item71Taken,
    &MissionState::unit14NoticedLatch, &MissionState::failTime,
    &MissionState::region27Latch,      &MissionState::finalSpawnLatch,
    &MissionState::region24Or25Latch,  &MissionState::vehicle249ToWaypoint214,
    &MissionState::hintsEnabled,       &MissionState::delayedAlarmTime,
    &MissionState::alarmSoundTime,     &MissionState::prisonerCallLatch,
    &MissionState::channel1Time,       &MissionState::unit2RetryTime,
    &MissionState::unit2Retries,       &MissionState::routeLinkRequest,
    &MissionState::door65Open,         &MissionState::triggerBits,
    &MissionState::escapeEndTime,      &MissionState::convoyStep2Pending,
    &MissionState::convoyStep3Pending, &MissionState::convoyStep2Done,
    &MissionState::convoyStep3Done,    &MissionState::convoyStep2Time,
    &MissionState::convoyStep3Time,    &MissionState::cueTimelineRunning,
    &MissionState::cueTimelineStart,   &MissionState::cueTimelineLastElapsed,
};
static_assert(8 + 4 * (sizeof(kWords) / sizeof(kWords[0])) == kMissionStateBytes, "32 words after 8 latches");

constexpr uint8_t MissionState::*kLatches[] = {
    &MissionState::region0Latch,      &MissionState::region16ConvoyLatch, &MissionState::region12To14Latch,
    &MissionState::region17Latch,     &MissionState::vehicle141HeldBack,  &MissionState::firstNoticeOfNothing,
    &MissionState::spareByte6,        &MissionState::building47Destroyed,
};
static_assert(sizeof(kLatches) / sizeof(kLatches[0]) == 8, "eight latches");

}  // namespace

void ResetMissionState(MissionState* state) {
  const uint32_t step2Time = state->convoyStep2Time;
  const uint32_t step3Time = state->convoyStep3Time;
  *state = MissionState{};
  state->hintsEnabled = 1;
  state->convoyStep2Time = step2Time;
  state->convoyStep3Time = step3Time;
}

uint8_t* WriteMissionState(const MissionState& state, uint8_t* out) {
  for (auto latch : kLatches) *out++ = state.*latch;
  for (auto word : kWords) {
    const uint32_t v = state.*word;
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
    out[2] = static_cast<uint8_t>(v >> 16);
    out[3] = static_cast<uint8_t>(v >> 24);
    out += 4;
  }
  return out;
}

const uint8_t* ReadMissionState(MissionState* state, const uint8_t* in) {
  for (auto latch : kLatches) state->*latch = *in++;
  for (auto word : kWords) {
    state->*word = static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
                   static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
    in += 4;
  }
  return in;
}

}  // namespace mission1
