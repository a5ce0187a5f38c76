// The terminal: a ring of recent message lines in a corner of the screen,
// for developer and network messages ("Toggle Player Damage ON").  A line
// shows for 2000 ms of the game clock after it was printed (or for good
// while keep-expired is on); the lines are drawn oldest first, each wrapped
// to the terminal's width, over a framed box.  The game makes its terminals
// at start-up and hands them the shared objects at each level start.  Main
// thread only.
#pragma once

#include <cstdint>

class CFont;
class CRender;
class CScreen2D;
class CTimer;

// Characters of a line's buffer, the terminator included: longer texts are cut.
constexpr int kTerminalLineChars = 255;
// How long a line shows, in game-clock milliseconds.
constexpr std::uint32_t kTerminalLineLifeMs = 2000;
// Colours of the framed box: the back, then the front.
constexpr std::uint32_t kTerminalBoxBack = 0xFF34571B;   // (52, 87, 27, 255)
constexpr std::uint32_t kTerminalBoxFront = 0xFF587145;  // (88, 113, 69, 255)

struct TerminalLine {
  char Text[kTerminalLineChars] = {};
  std::int32_t Active = 0;
  std::int64_t Stamp = -1;  // game-clock ms when printed; -1 when cleared
  std::int32_t Height = 1;  // rows the wrapped text takes
};

class CTerminal {
 public:
  // The lines (at least one), each inactive with stamp -1; x 100, y 24,
  // width the screen's width - 200, visible, with the box, style 1.
  CTerminal(CRender* render, CTimer* gameClock, CTimer* realClock, CFont* font, CScreen2D* screen, int lineCount);
  ~CTerminal();
  CTerminal(const CTerminal&) = delete;
  CTerminal& operator=(const CTerminal&) = delete;

  // Hands the shared objects in (each level start); the width follows the screen.
  void TerminalSetup(CRender* render, CTimer* gameClock, CTimer* realClock, CFont* font, CScreen2D* screen);
  // Writes the text into the next slot of the ring (overwriting the oldest
  // line), cut to 254 characters, active and stamped with the game clock;
  // its height is the rows its pixel width needs at the terminal's width
  // (1 when it fits).  A null text does nothing.
  void TerminalPrint(const char* text);
  // The same with a printf-style format.
  void TerminalPrintf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Lines older than 2000 ms become inactive.
  void TerminalUpdate();
  // The box and the lines (active ones, or every line ever written while
  // keep-expired is on), oldest first; nothing when not visible or empty.
  void TerminalDraw();
  // Every line inactive with stamp -1.
  void TerminalClear();
  // Keep-expired on (the terminal also becomes visible) or off; answers the state before.
  int TerminalToggleKeep();
  // Visible on or off; answers the new state.
  int TerminalToggleVisible();

  int GetLineCount() const { return lineCount_; }
  CRender* GetRender() const { return render_; }
  CTimer* GetRealClock() const { return realClock_; }
  const TerminalLine& GetLine(int i) const { return lines_[i]; }

  std::int32_t KeepExpired = 0;
  std::int32_t WriteIndex = 0;   // the next slot; the ring is drawn from here, oldest first
  std::int32_t LastWritten = -1;
  std::int32_t Width = 600;      // pixels
  std::int32_t X = 100, Y = 24;  // pixels
  std::int32_t ShownCount = 0;   // lines drawn in the last frame
  std::int32_t Visible = 1;
  std::int32_t Background = 1;   // draw the framed box
  std::int32_t Style = 1;        // 1: font style 20, otherwise 17
  std::int32_t KeepColour = 0;   // 0: the font colour becomes white before drawing

 private:
  bool Counted(const TerminalLine& line) const { return line.Active != 0 || (KeepExpired != 0 && line.Stamp != -1); }
  std::int64_t Now() const;

  CRender* render_;
  CTimer* gameClock_;
  CTimer* realClock_;
  CFont* font_;
  CScreen2D* screen_;
  TerminalLine* lines_;
  int lineCount_;
};

// The game's two terminals: the main one (10 lines) and the second one (12
// lines, 9 on a screen less than 600 pixels high), made at game start; null
// outside the game's life.
extern CTerminal* g_MainTerminal;
extern CTerminal* g_SecondTerminal;
