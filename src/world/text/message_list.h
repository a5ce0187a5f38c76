// The message list: centred lines near the foot of the screen.  A message
// waits below the visible band, fades in over 1500 ms as the list scrolls
// up to it, shows, and fades out over 1500 ms once it has risen past the
// band's top or its end time is more than 1500 ms gone.  Long messages are
// cut into lines of at most 68 characters; messages are parted by an empty
// line.  It adds its lines to its own screen-text list each frame, which the
// game then draws.  Main thread only.
#pragma once

#include <cstdint>

#include "world/text/screen_text.h"

class CTimer;

constexpr int kMessageSlots = 10;
// Characters of a message line's buffer, the terminator included.
constexpr int kMessageChars = 70;
// A message of this many characters or more is cut into lines...
constexpr int kMessageCutLength = 70;
// ...of at most this many characters each.
constexpr int kMessageLineLength = 68;
constexpr std::uint32_t kMessageFadeMs = 1500;
// The list's resting height (fraction of the screen), the line steps, the
// band where lines fade in and out, and the scroll speed (per second).
constexpr float kMessageRestY = 0.9f;
constexpr float kMessageTextStep = 0.035f;
constexpr float kMessageGapStep = 0.015f;
constexpr float kMessageFadeInBelow = 0.99f;
constexpr float kMessageFadeOutBelow = 0.96f;
constexpr float kMessageScrollSpeed = 0.027f;

enum MessageState : std::int32_t {
  MESSAGE_WAITING = 0,
  MESSAGE_SHOWN = 1,
  MESSAGE_FADING_IN = 2,
  MESSAGE_FADING_OUT = 3,
};

struct MessageSlot {
  std::int32_t State = MESSAGE_WAITING;
  std::uint32_t StateTime = 0;  // clock ms when the state began
  std::uint32_t EndTime = 0;
  char Text[kMessageChars] = {};  // empty: the line that parts two messages
  std::uint32_t Colour = 0xFFFFFFFF;
  std::uint32_t CurrentColour = 0xFFFFFFFF;
};

class CMessageList : public CScreenText {
 public:
  // A screen-text list of the capacity, the message ring empty, y 0.9.
  explicit CMessageList(int capacity);

  // The clock whose time and frame time the list follows (null: time stands at 0).
  void SetClock(CTimer* clock) { clock_ = clock; }
  // Queues a message shown until now + duration (or the last message's end,
  // if later); a parting line first when messages are showing.  A text of
  // 70 characters or more goes as lines of up to 68 characters, each cut
  // back at its last blank (straight at 68 when it has none), each line's
  // end 1500 ms after the one before.  A null text is ignored.
  void MessageAdd(const char* text, std::uint32_t durationMs);
  // Drops every message (the end of a cut-scene).
  void MessageClear();
  // Once a frame: drops spent messages, moves the fades on, adds the lines
  // to the screen-text list and scrolls the list towards its resting height.
  void MessageDraw();

  int GetMessageCount() const { return count_messages_; }
  // The k-th message from the oldest, or null.
  const MessageSlot* GetMessage(int k) const;
  float GetY() const { return y_; }

 private:
  std::uint32_t Now() const;
  void QueueLine(const char* text, int length, std::uint32_t end);
  void DropOldest();

  MessageSlot slots_[kMessageSlots];
  int count_messages_ = 0;
  int first_ = 0;
  int next_ = 0;
  std::uint32_t lastEnd_ = 0;
  float y_ = kMessageRestY;
  CTimer* clock_ = nullptr;
};

// The game's message list (48 entries, made at game start); null outside the game's life.
extern CMessageList* g_MessageList;
