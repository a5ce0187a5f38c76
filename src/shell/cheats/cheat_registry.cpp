#include "shell/cheats/cheat_registry.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <new>

#include "control/input/input.h"
#include "menus/screens/screen_manager.h"
#include "platform/win32/keyboard_layout.h"
#include "shell/program/command_line.h"

CheatRegistry* g_CheatRegistry = nullptr;

CheatRegistry::CheatRegistry() : words_(new Entry[kMaxWords]()) {}

CheatRegistry::~CheatRegistry() {
  for (std::uint32_t i = 0; i < count_; ++i) delete[] words_[i].word;
  delete[] words_;
}

int CheatRegistry::Register(const char* word, CheatCallback callback) {
  if (count_ >= static_cast<std::uint32_t>(kMaxWords) || word == nullptr || callback == nullptr) return 0;
  const std::size_t length = std::strlen(word);
  if (length == 0 || length > static_cast<std::size_t>(kMaxWordLength)) return 0;
  char* copy = new (std::nothrow) char[length + 1];
  if (copy == nullptr) return 0;
  std::memcpy(copy, word, length + 1);
  words_[count_++] = Entry{copy, callback};
  if (length > longest_) longest_ = static_cast<std::uint32_t>(length);
  return 1;
}

void CheatRegistry::SetTyping(std::uint32_t on) {
  typing_ = on;
  if (!on) ClearRing();
}

void CheatRegistry::ClearRing() {
  writePosition_ = 0;
  std::memset(ring_, 0, sizeof ring_);
}

void CheatRegistry::KeyStep() {
  // A later press of keypad Enter ends typing (the press that began it was
  // taken by the key map in an earlier frame; its release is not an end).
  if (WasKeyPressed(kKeypadEnter)) {
    SetTyping(0);
    return;
  }
  if (count_ == 0 || !typing_) return;
  int code = -1;
  for (int c = 0; c < kKeySlots && code < 0; ++c)
    if (WasKeyPressed(c) && IsCharacterKey(c)) code = c;
  if (code < 0) return;
  GetKeyboardState(keyStates_);
  const UINT vk = MapVirtualKeyA(static_cast<UINT>(code), MAPVK_VSC_TO_VK);
  WORD typed = 0;
  if (vk == 0 || ToAscii(vk, static_cast<UINT>(code), keyStates_, &typed, 0) != 1) return;
  Type(static_cast<char>(typed));
  Match();
}

void CheatRegistry::Type(char c) {
  ring_[writePosition_] = c;
  writePosition_ = (writePosition_ + 1) % kRingSize;
}

bool CheatRegistry::Match() {
  // The newest `longest_` characters, oldest first.
  const std::uint32_t n = longest_ < static_cast<std::uint32_t>(kRingSize) ? longest_ : kRingSize - 1;
  char recent[kRingSize + 1];
  for (std::uint32_t i = 0; i < n; ++i)
    recent[i] = ring_[(writePosition_ + kRingSize - n + i) % kRingSize];
  recent[n] = '\0';
  for (std::uint32_t start = 0; start < n; ++start) {
    const char* tail = recent + start;
    const std::size_t tailLength = n - start;
    for (std::uint32_t w = 0; w < count_; ++w) {
      const char* word = words_[w].word;
      if (std::strlen(word) != tailLength) continue;
      bool same = true;
      for (std::size_t k = 0; k < tailLength && same; ++k)
        same = std::tolower(static_cast<unsigned char>(tail[k])) == std::tolower(static_cast<unsigned char>(word[k]));
      if (!same) continue;
      const CheatCallback callback = words_[w].callback;
      ClearRing();
      callback();
      return true;
    }
  }
  return false;
}

namespace {

void NoCheat() {}

// The controller sequence: input indices of the first pad, ended by -1.
constexpr int kControllerSequence[] = {44, 21, 50, 19, 35, 16, 47, 24, 33, 45, 22, 37, -1};
// The keyboard sequence, typed with left Shift held: H A L B E R D K E Y S.
constexpr int kKeyboardSequence[] = {35, 30, 38, 48, 18, 19, 32, 37, 18, 21, 31};
constexpr int kKeyboardSequenceLength = 11;
constexpr int kLeftShift = 42;

int gControllerPosition = 0;
int gKeyboardPosition = 0;

}  // namespace

void RegisterStartupCheatWords(CheatRegistry* registry) {
  if (registry == nullptr) return;
  registry->Register("plum", NoCheat);
  registry->Register("crimson", NoCheat);
}

void UnlockCheatMode() {
  if (CheatMode == 1) return;
  const bool screens = ScreensMade();
  if (screens) DestroyScreens();
  CheatMode = 1;
  if (screens) {
    CreateScreens();
    ApplyFrontEndMenuStyles();
    PopulateFrontEndScreens();
  }
}

void WatchUnlockSequences() {
  if (ScreenId != 1 || CheatMode != 0) return;
  // Controller: the first input pressed this frame (press edges only).
  if (g_Input != nullptr) {
    for (int i = 0; i < kJoystickInputs; ++i) {
      if (!(g_Input->GetJoystickInput(0, i).flags & JOY_INPUT_PRESSED)) continue;
      if (i == kControllerSequence[gControllerPosition]) {
        ++gControllerPosition;
        if (kControllerSequence[gControllerPosition] == -1) {
          gControllerPosition = 0;
          UnlockCheatMode();
          return;
        }
      } else {
        gControllerPosition = 0;
      }
      break;
    }
  }
  // Keyboard: keys pressed while left Shift is held (not in the frame it
  // is let go).
  if (!IsKeyDown(kLeftShift) || WasKeyReleased(kLeftShift)) {
    gKeyboardPosition = 0;
    return;
  }
  if (WasKeyPressed(kKeyboardSequence[gKeyboardPosition]) && ++gKeyboardPosition == kKeyboardSequenceLength) {
    gKeyboardPosition = 0;
    UnlockCheatMode();
  }
}

void ResetUnlockSequences() {
  gControllerPosition = 0;
  gKeyboardPosition = 0;
}

const int* ControllerUnlockSequence() { return kControllerSequence; }

const int* KeyboardUnlockSequence(int* count) {
  if (count) *count = kKeyboardSequenceLength;
  return kKeyboardSequence;
}
