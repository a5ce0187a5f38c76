#include "world/text/text_box.h"

#include <cstring>

#include "foundation/time/timer.h"
#include "world/text/screen_text.h"
#include "world/text/text_colour.h"

CTextBox::CTextBox(CScreenText* screen, int secondStyle) : screen_(screen) { ResetStyle(secondStyle); }

void CTextBox::ResetStyle(int secondStyle) {
  ringSize_ = kTextBoxLines;
  colour_ = 0xFF2FFF2F;
  boxColour_ = 0;
  x_ = 0.08f;
  y_ = secondStyle ? 0.9f : 0.5f;
  lineScale_ = secondStyle ? 1.0f : 1.25f;
  charInterval_ = 0.0333f;
  holdTime_ = 1.3333f;
  blinkPeriod_ = 0.4f;
  blinkSwitch_ = true;
  boxSwitch_ = false;
  TextBoxClear();
}

void CTextBox::SetColour(float r, float g, float b) { colour_ = PackTextColour(r, g, b); }
void CTextBox::SetBoxColour(float r, float g, float b, float a) { boxColour_ = PackTextColour(r, g, b, a); }

void CTextBox::SetPosition(float x, float y) {
  x_ = x;
  y_ = y;
}

void CTextBox::SetRingSize(int lines) {
  TextBoxClear();
  ringSize_ = lines < 1 ? 1 : lines > kTextBoxLines ? kTextBoxLines : lines;
}

void CTextBox::SetCursorBlink(int on) {
  blinkSwitch_ = on != 0;
  if (!blinkSwitch_ && cursorVisible_) {
    HideCursor();
    cursorVisible_ = false;
  }
}

void CTextBox::TextBoxClear() {
  queued_ = shown_ = 0;
  pending_ = after_ = '\0';
  cursorLine_ = -1;
  cursor_ = 0;
  current_ = 0;
  cursorVisible_ = true;
  blinkTimer_ = blinkPeriod_;
  charTimer_ = 0.0f;
  for (int i = 0; i < kTextBoxLines; ++i) {
    timers_[i] = 0.0f;
    lines_[i][0] = '\0';
  }
}

const char* CTextBox::GetLine(int k) const {
  if (k < 0 || k >= shown_) return nullptr;
  return lines_[Wrap(current_ + k)];
}

float CTextBox::GetLineTimer(int k) const {
  if (k < 0 || k >= shown_) return 0.0f;
  return timers_[Wrap(current_ + k)];
}

// The cursor covers the character at its position ("_") and ends the line
// after it; the two characters it covers are kept in pending_ and after_.
void CTextBox::ShowCursor() {
  if (cursorLine_ < 0) return;
  char* line = lines_[cursorLine_];
  line[cursor_] = '_';
  line[cursor_ + 1] = '\0';
}

void CTextBox::HideCursor() {
  if (cursorLine_ < 0) return;
  lines_[cursorLine_][cursor_] = '\0';
}

void CTextBox::TextBoxSetText(const char* text) {
  if (text == nullptr) return;
  const char* p = text;
  for (;;) {
    const char* end = std::strchr(p, '\n');
    const std::size_t length = end != nullptr ? static_cast<std::size_t>(end - p) : std::strlen(p);
    if (shown_ + queued_ >= ringSize_) {
      // The oldest shown line makes room, unless the cursor is still typing it.
      const int oldest = Wrap(current_ + shown_ - 1);
      if (shown_ > 1 || (shown_ == 1 && pending_ == '\0')) {
        if (oldest == cursorLine_) cursorLine_ = -1;
        --shown_;
      } else {
        break;  // every slot holds a line still to be typed: the rest is dropped
      }
    }
    const int slot = Wrap(current_ - 1 - queued_);
    const std::size_t n = length < static_cast<std::size_t>(kTextBoxLineLength) ? length : kTextBoxLineLength;
    std::memcpy(lines_[slot], p, n);
    lines_[slot][n] = '\0';
    timers_[slot] = 0.0f;
    ++queued_;
    if (end == nullptr) break;
    p = end + 1;
  }
  if (charTimer_ < 0.0f) charTimer_ = 0.0f;
  if (pending_ == '\0' && queued_ > 0) StartNextLine();
}

void CTextBox::StartNextLine() {
  if (queued_ == 0) return;
  // The cursor leaves the line before.
  HideCursor();
  current_ = Wrap(current_ - 1);
  --queued_;
  ++shown_;
  char* line = lines_[current_];
  cursorLine_ = current_;
  cursor_ = 0;
  pending_ = line[0];
  after_ = pending_ != '\0' ? line[1] : '\0';
  if (cursorVisible_)
    ShowCursor();
  else
    line[0] = '\0';
  timers_[current_] = kTextBoxTypingTimer;
  if (pending_ == '\0') {
    // An empty line is complete at once.
    timers_[current_] = holdTime_;
    StartNextLine();
  }
}

void CTextBox::TypeOne() {
  char* line = lines_[cursorLine_];
  line[cursor_] = pending_;
  ++cursor_;
  pending_ = after_;
  after_ = pending_ != '\0' ? line[cursor_ + 1] : '\0';
  if (cursorVisible_)
    ShowCursor();
  else
    line[cursor_] = '\0';
  if (pending_ == '\0') {
    timers_[cursorLine_] = holdTime_;
    StartNextLine();
  }
}

void CTextBox::Step(float dt) {
  // Typing: a character each time the timer runs below 0.
  if (pending_ != '\0' && cursorLine_ >= 0) {
    charTimer_ -= dt;
    while (pending_ != '\0' && charTimer_ < 0.0f) {
      charTimer_ += charInterval_ > 0.0f ? charInterval_ : 0.0f;
      TypeOne();
      if (charInterval_ <= 0.0f && charTimer_ < 0.0f) charTimer_ = 0.0f;
    }
  }
}

void CTextBox::TextBoxDraw() {
  const float dt = clock_ != nullptr ? clock_->GetFrameTime() : 0.0f;
  Step(dt);
  // The shown lines, newest first, each older one a line higher.
  float y = y_;
  for (int k = 0; k < shown_; ++k) {
    const int slot = Wrap(current_ + k);
    if (screen_ != nullptr)
      screen_->ScreenTextAdd(lines_[slot], x_, y, 0, lineScale_ * 100.0f, colour_, 0, boxSwitch_ ? boxColour_ : 0u);
    y -= kTextBoxLineStep * lineScale_;
    timers_[slot] -= dt;
  }
  if (shown_ > 0) {
    const int oldest = Wrap(current_ + shown_ - 1);
    if (timers_[oldest] < 0.0f) {
      --shown_;
      if (oldest == cursorLine_) {
        // The line under the cursor went: whatever it had left to type goes with it.
        cursorLine_ = -1;
        pending_ = after_ = '\0';
        StartNextLine();
      }
    }
  }
  if (blinkSwitch_) {
    blinkTimer_ -= dt;
    if (blinkTimer_ < 0.0f) {
      blinkTimer_ = blinkPeriod_;
      cursorVisible_ = !cursorVisible_;
      if (cursorVisible_)
        ShowCursor();
      else
        HideCursor();
    }
  }
}
