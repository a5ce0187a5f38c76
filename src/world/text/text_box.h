// A text box: lines typed out character by character with a blinking "_"
// cursor, the newest line at the box's position and the older ones above
// it, each held for a while after it is complete.  Script functions set its
// text, colours and position; it adds its lines to a screen-text list each
// frame.  Main thread only.
#pragma once

#include <cstdint>

class CScreenText;
class CTimer;

// Lines the ring holds, and characters of a line's buffer (the terminator included).
constexpr int kTextBoxLines = 4;
constexpr int kTextBoxLineChars = 70;
// A queued line keeps this many characters, leaving room for the cursor.
constexpr int kTextBoxLineLength = kTextBoxLineChars - 2;
// Height between lines (fraction of the screen) at scale 1.
constexpr float kTextBoxLineStep = 0.035f;
// The timer of the line being typed.
constexpr float kTextBoxTypingTimer = 100000.0f;

class CTextBox {
 public:
  // Draws into the screen-text list (not owned); the style and an empty box.
  CTextBox(CScreenText* screen, int secondStyle);

  // The style: ring 4, colour 0xFF2FFF2F, no box colour, x 0.08, y 0.5
  // (0.9 for the second style), line scale 1.25 (1.0), a character every
  // 0.0333 s, lines held 1.3333 s, the cursor blinking every 0.4 s; then empties the box.
  void ResetStyle(int secondStyle);
  // The clock whose frame time the typing, holding and blinking follow (null: none passes).
  void SetClock(CTimer* clock) { clock_ = clock; }

  // Setters of the script functions.
  void SetColour(float r, float g, float b);  // opaque
  void SetBoxColour(float r, float g, float b, float a);
  void SetPosition(float x, float y);
  void SetLineHoldTime(float seconds) { holdTime_ = seconds; }
  void SetBoxSwitch(int on) { boxSwitch_ = on != 0; }
  // Further settings: the ring size (1 to 4 lines), the line scale, the
  // character interval, the blink period, and the cursor blink (switched
  // off while shown, the cursor leaves the line and stays hidden).
  void SetRingSize(int lines);
  void SetLineScale(float scale) { lineScale_ = scale; }
  void SetCharacterInterval(float seconds) { charInterval_ = seconds; }
  void SetBlinkPeriod(float seconds) { blinkPeriod_ = seconds; }
  void SetCursorBlink(int on);

  // Queues each part of the text between newlines as a line (cut to 68
  // characters); typing starts at once when no line is being typed.  When
  // the ring is full the oldest shown line makes room, unless it is still
  // being typed: then the line is dropped.  A negative character timer
  // becomes 0.  A null text does nothing.
  void TextBoxSetText(const char* text);
  // True while lines are queued and a character is still pending.
  bool TextBoxIsBusy() const { return queued_ > 0 && pending_ != '\0'; }
  // No queued and no shown lines.
  void TextBoxClear();
  // Once a frame: types, adds the shown lines to the screen text (newest at
  // the box's y), runs the line timers down (the oldest line leaves when
  // its timer is spent) and blinks the cursor.
  void TextBoxDraw();

  int GetShownLines() const { return shown_; }
  int GetQueuedLines() const { return queued_; }
  // The k-th shown line from the newest, as drawn (with the cursor), or null.
  const char* GetLine(int k) const;
  float GetLineTimer(int k) const;
  std::uint32_t GetColour() const { return colour_; }
  std::uint32_t GetBoxColour() const { return boxColour_; }
  float GetX() const { return x_; }
  float GetY() const { return y_; }
  float GetLineScale() const { return lineScale_; }

 private:
  int Wrap(int i) const { return ((i % ringSize_) + ringSize_) % ringSize_; }
  void StartNextLine();
  void TypeOne();
  void ShowCursor();
  void HideCursor();
  void Step(float dt);

  CScreenText* screen_;
  CTimer* clock_ = nullptr;
  int ringSize_ = kTextBoxLines;
  std::uint32_t colour_ = 0xFF2FFF2F;
  std::uint32_t boxColour_ = 0;
  float x_ = 0.08f, y_ = 0.5f;
  float lineScale_ = 1.25f;
  float charInterval_ = 0.0333f;
  float holdTime_ = 1.3333f;
  float blinkPeriod_ = 0.4f;
  bool blinkSwitch_ = true;
  bool boxSwitch_ = false;
  int current_ = 0;        // slot of the newest shown line
  int cursor_ = 0;         // position of the cursor in the cursor's line
  int cursorLine_ = -1;    // slot the cursor stands in, -1 for none
  char pending_ = '\0';    // the next character to type, kept while the cursor covers it
  char after_ = '\0';      // and the one after it
  int queued_ = 0;         // lines waiting in the slots before the newest
  int shown_ = 0;
  bool cursorVisible_ = true;
  float blinkTimer_ = 0.0f;
  float charTimer_ = 0.0f;
  float timers_[kTextBoxLines] = {};
  char lines_[kTextBoxLines][kTextBoxLineChars] = {};
};
