#include "world/text/message_list.h"

#include <cstring>

#include "foundation/time/timer.h"
#include "world/text/text_colour.h"

namespace {

// Milliseconds from a to b on a wrapping clock (negative when b is earlier).
std::int32_t Since(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(b - a); }

}  // namespace

CMessageList::CMessageList(int capacity) : CScreenText(capacity) {}

std::uint32_t CMessageList::Now() const { return clock_ != nullptr ? clock_->GetGameTime() : 0; }

const MessageSlot* CMessageList::GetMessage(int k) const {
  if (k < 0 || k >= count_messages_) return nullptr;
  return &slots_[(first_ + k) % kMessageSlots];
}

void CMessageList::DropOldest() {
  first_ = (first_ + 1) % kMessageSlots;
  --count_messages_;
}

void CMessageList::QueueLine(const char* text, int length, std::uint32_t end) {
  if (count_messages_ == kMessageSlots) DropOldest();
  MessageSlot& s = slots_[next_];
  s = MessageSlot{};
  s.State = MESSAGE_WAITING;
  s.StateTime = Now();
  s.EndTime = end;
  const int n = length < kMessageChars - 1 ? length : kMessageChars - 1;
  std::memcpy(s.Text, text, static_cast<std::size_t>(n));
  s.Text[n] = '\0';
  s.Colour = s.CurrentColour = 0xFFFFFFFF;
  y_ += n > 0 ? kMessageTextStep : kMessageGapStep;
  next_ = (next_ + 1) % kMessageSlots;
  ++count_messages_;
}

void CMessageList::MessageAdd(const char* text, std::uint32_t durationMs) {
  if (text == nullptr) return;
  const std::uint32_t now = Now();
  std::uint32_t end = now + durationMs;
  if (Since(lastEnd_, end) < 0) end = lastEnd_;
  if (count_messages_ > 0) QueueLine("", 0, end);
  const char* p = text;
  int left = static_cast<int>(std::strlen(text));
  if (left < kMessageCutLength) {
    QueueLine(p, left, end);
    lastEnd_ = end;
    return;
  }
  while (left >= kMessageCutLength) {
    // Up to 68 characters, cut back at the last blank; with no blank to cut
    // at, straight at 68 (so the text always moves on).
    int take = kMessageLineLength;
    for (int i = kMessageLineLength - 1; i > 0; --i)
      if (p[i] == ' ') {
        take = i;
        break;
      }
    QueueLine(p, take, end);
    end += kMessageFadeMs;
    p += take;
    left -= take;
    while (*p == ' ') {
      ++p;
      --left;
    }
  }
  if (left > 0) {
    QueueLine(p, left, end);
    end += kMessageFadeMs;
  }
  lastEnd_ = end - kMessageFadeMs;
}

void CMessageList::MessageClear() {
  count_messages_ = 0;
  first_ = next_ = 0;
  y_ = kMessageRestY;
}

void CMessageList::MessageDraw() {
  const std::uint32_t now = Now();
  const float dt = clock_ != nullptr ? clock_->GetFrameTime() : 0.0f;
  auto elapsed = [now](const MessageSlot& s) { return Since(s.StateTime, now); };
  auto enter = [now](MessageSlot& s, std::int32_t state) {
    s.State = state;
    s.StateTime = now;
  };
  const std::int32_t fade = static_cast<std::int32_t>(kMessageFadeMs);

  // Spent messages leave from the oldest end: parting lines, and lines faded out.
  while (count_messages_ > 0) {
    const MessageSlot& s = slots_[first_];
    if (s.Text[0] != '\0' && !(s.State == MESSAGE_FADING_OUT && elapsed(s) > fade)) break;
    DropOldest();
  }
  for (int k = 0; k < count_messages_; ++k) {
    MessageSlot& s = slots_[(first_ + k) % kMessageSlots];
    if (s.State == MESSAGE_SHOWN && Since(s.EndTime, now) > fade) enter(s, MESSAGE_FADING_OUT);
    if (s.State == MESSAGE_FADING_IN && elapsed(s) > fade) enter(s, MESSAGE_SHOWN);
    const float f = static_cast<float>(elapsed(s)) / static_cast<float>(kMessageFadeMs);
    if (s.State == MESSAGE_FADING_IN)
      s.CurrentColour = ScaleTextColour(s.Colour, f);
    else if (s.State == MESSAGE_FADING_OUT)
      s.CurrentColour = ScaleTextColour(s.Colour, 1.0f - f);
    else
      s.CurrentColour = s.Colour;
  }
  // The newest at the list's height, each older one above it.
  float y = y_;
  for (int k = count_messages_ - 1; k >= 0; --k) {
    MessageSlot& s = slots_[(first_ + k) % kMessageSlots];
    const bool empty = s.Text[0] == '\0';
    if (!empty && s.State != MESSAGE_WAITING)
      ScreenTextAdd(s.Text, 0.5f, y, SCREENTEXT_CENTRED_ACROSS, 100.0f, s.CurrentColour, 0,
                    s.CurrentColour & 0xFF000000u);
    if (s.State == MESSAGE_SHOWN && y < kMessageFadeOutBelow)
      enter(s, MESSAGE_FADING_OUT);
    else if (s.State == MESSAGE_WAITING && y < kMessageFadeInBelow)
      enter(s, MESSAGE_FADING_IN);
    y -= empty ? kMessageGapStep : kMessageTextStep;
  }
  if (y_ > kMessageRestY) {
    y_ -= kMessageScrollSpeed * dt;
    if (y_ < kMessageRestY) y_ = kMessageRestY;
  }
}

CMessageList* g_MessageList = nullptr;
