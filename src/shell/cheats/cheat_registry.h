// Typed cheat words: while typing is on, the characters of the keys pressed
// go into a 256-character ring, and a registered word whose last letter was
// just typed (in any mix of capitals, whatever came before it) runs its
// callback.  Also the front end's unlock watchers, which switch CheatMode on.
// Main thread only.
#pragma once

#include <cstdint>

using CheatCallback = void (*)();

class CheatRegistry {
 public:
  static constexpr int kMaxWords = 64;
  static constexpr int kRingSize = 256;
  // Longer words could never be matched within the ring.
  static constexpr int kMaxWordLength = kRingSize - 1;

  CheatRegistry();
  ~CheatRegistry();
  CheatRegistry(const CheatRegistry&) = delete;
  CheatRegistry& operator=(const CheatRegistry&) = delete;

  // 1 when stored (a copy of the word); 0 when 64 words are registered, the
  // word is empty or longer than 255 characters, or the callback is null.
  int Register(const char* word, CheatCallback callback);
  // Switching typing off empties the ring.
  void SetTyping(std::uint32_t on);
  std::uint32_t IsTyping() const { return typing_; }
  // The frame's key step while typing: a press of keypad Enter ends typing;
  // else the lowest character key pressed this frame is typed and the words
  // are matched.
  void KeyStep();
  void ClearRing();

  std::uint32_t Count() const { return count_; }
  std::uint32_t Longest() const { return longest_; }
  std::uint32_t WritePosition() const { return writePosition_; }
  const char* Ring() const { return ring_; }

 private:
  void Type(char c);
  bool Match();

  struct Entry {
    char* word;
    CheatCallback callback;
  };
  Entry* words_;
  std::uint32_t typing_ = 0;
  std::uint32_t count_ = 0;
  char ring_[kRingSize] = {};
  std::uint32_t writePosition_ = 0;
  std::uint32_t longest_ = 0;
  std::uint8_t keyStates_[256] = {};
};

extern CheatRegistry* g_CheatRegistry;

// The key code of keypad Enter, which ends typing.
inline constexpr int kKeypadEnter = 284;

// Registers the start-up words "plum" and "crimson" (callbacks that do nothing).
void RegisterStartupCheatWords(CheatRegistry* registry);

// Switches CheatMode on (once): every menu screen is made again so that the
// screens that offer the cheat menu do, and the front end's set is set up.
void UnlockCheatMode();
// The per-frame unlock watcher: nothing unless ScreenId is 1 and CheatMode
// is 0.  Steps through the controller sequence (presses of the first pad's
// inputs) and the keyboard sequence (keys pressed while left Shift is held).
void WatchUnlockSequences();
// Both sequences back to their start (tests; a new run).
void ResetUnlockSequences();
// The sequences: the controller's, ended by -1, and the keyboard's 11 keys.
const int* ControllerUnlockSequence();
const int* KeyboardUnlockSequence(int* count);
