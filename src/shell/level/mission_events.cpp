#include <cstring>

#include "foundation/system/debug_output.h"
#include "shell/level/mission_plugin.h"

namespace {

struct Answer {
  std::uint32_t code;
  int word;
  std::int32_t preset;
};

// The questions: the word the game reads back and its default.
const Answer kAnswers[] = {
    {MEV_DESIGNATOR_FIRED, 0, 0},      {MEV_BOARDING_REQUEST, 2, 1},      {MEV_CONTEXT_QUERY, 1, 0},
    {MEV_CHARGE_USE_QUERY, 1, 0},      {MEV_DROP_QUERY, 2, 0},            {MEV_PICK_UP_QUERY, 2, 0},
    {MEV_VEHICLE_MENU_QUERY, 2, 0},    {MEV_CONTROL_SWITCH_QUERY, 0, 0},  {MEV_ITEM_COUNT_QUERY, 1, 0},
    {MEV_GIVE_TAKE_QUERY, 3, 1},       {MEV_SKIP_PROMPT_QUERY, 0, 0},     {MEV_MP_ROUND_RESET, 0, 0},
    {MEV_MODE_QUERY, 0, 0},            {MEV_DESIGNATOR_LOCK_QUERY, 1, 0}, {MEV_TRIGGER_QUERY, 2, 1},
    {MEV_VEHICLE_COMMAND_QUERY, 2, 1}, {MEV_COMMAND_QUERY, 1, 1},         {MEV_MENU_ENTRIES_QUERY, 1, 255},
    {MEV_MP_CONTINUE_QUERY, 0, 0},     {MEV_SPAWN_POINT_QUERY, 1, 0},     {MEV_INVENTORY_MENU_QUERY, 2, 1},
    {MEV_AIMED_ITEM_QUERY, 1, 1},      {MEV_DESIGNATOR_RANGE_QUERY, 1, 1}, {MEV_MP_GAME_MESSAGE, 3, 0},
};

}  // namespace

bool MissionEventAnswer(std::uint32_t code, int* word, std::int32_t* preset) {
  for (const Answer& a : kAnswers) {
    if (a.code != code) continue;
    if (word != nullptr) *word = a.word;
    if (preset != nullptr) *preset = a.preset;
    return true;
  }
  return false;
}

std::int32_t RaiseMissionEvent(std::uint32_t code, std::int32_t* block, int words) {
  if (words < 0 || words > MISSION_EVENT_BLOCK_WORDS || (words > 0 && block == nullptr)) {
    DebugTrace("RaiseMissionEvent: event %u with a block of %d words is not raised\n", code, words);
    return 0;
  }
  int answerWord = -1;
  std::int32_t preset = 0;
  if (MissionEventAnswer(code, &answerWord, &preset) && answerWord < words) block[answerWord] = preset;
  // Tested right before the call: a handler is never cached.
  const MissionCallbackTable* table = MissionCallbacks;
  if (table == nullptr || table->HandleEvent == nullptr) return 0;
  if (block == nullptr) return table->HandleEvent(code, nullptr);
  std::int32_t padded[MISSION_EVENT_BLOCK_WORDS] = {};
  std::memcpy(padded, block, static_cast<std::size_t>(words) * sizeof(std::int32_t));
  const std::int32_t result = table->HandleEvent(code, padded);
  std::memcpy(block, padded, static_cast<std::size_t>(words) * sizeof(std::int32_t));
  return result;
}
