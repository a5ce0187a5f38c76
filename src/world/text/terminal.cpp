#include "world/text/terminal.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "foundation/time/timer.h"
#include "menus/screen_2d.h"
#include "render/2d/font.h"
#include "world/text/text_screen.h"

namespace {

// Byte `shift / 8` of an ARGB word.
std::uint8_t Byte(std::uint32_t argb, int shift) { return static_cast<std::uint8_t>(argb >> shift); }

// The terminal leaves 100 pixels free on each side.
constexpr int kSideMargin = 200;

// The font style word of the terminal's two styles.  Its horizontal
// justification (bits 0 and 1: 1 left, 0 centred) is kept; each line is
// centred down its own row.
int StyleWord(int style) { return (style == 1 ? 20 : 17) & ~0x30; }

}  // namespace

CTerminal::CTerminal(CRender* render, CTimer* gameClock, CTimer* realClock, CFont* font, CScreen2D* screen,
                     int lineCount)
    : render_(nullptr), gameClock_(nullptr), realClock_(nullptr), font_(nullptr), screen_(nullptr) {
  lineCount_ = lineCount > 0 ? lineCount : 1;
  lines_ = new TerminalLine[static_cast<std::size_t>(lineCount_)];
  TerminalSetup(render, gameClock, realClock, font, screen);
}

CTerminal::~CTerminal() { delete[] lines_; }

void CTerminal::TerminalSetup(CRender* render, CTimer* gameClock, CTimer* realClock, CFont* font, CScreen2D* screen) {
  render_ = render;
  gameClock_ = gameClock;
  realClock_ = realClock;
  font_ = font;
  screen_ = screen;
  const int width = GetTextScreenSize(render).Width - kSideMargin;
  Width = width > 0 ? width : 1;
}

std::int64_t CTerminal::Now() const { return gameClock_ != nullptr ? gameClock_->GetGameTime() : 0; }

void CTerminal::TerminalPrint(const char* text) {
  if (text == nullptr) return;
  TerminalLine& line = lines_[WriteIndex];
  // Network messages reach the terminal too: never past the line's buffer.
  std::snprintf(line.Text, sizeof line.Text, "%s", text);
  line.Active = 1;
  line.Stamp = Now();
  LastWritten = WriteIndex;
  WriteIndex = WriteIndex + 1 < lineCount_ ? WriteIndex + 1 : 0;
  const int pixels = font_ != nullptr ? font_->GetStringWidth(line.Text) : 0;
  line.Height = pixels <= Width ? 1 : (pixels + Width - 1) / Width;
}

void CTerminal::TerminalPrintf(const char* format, ...) {
  if (format == nullptr) return;
  char text[kTerminalLineChars];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  TerminalPrint(text);
}

void CTerminal::TerminalUpdate() {
  const std::int64_t now = Now();
  for (int i = 0; i < lineCount_; ++i)
    if (lines_[i].Active && now - lines_[i].Stamp > static_cast<std::int64_t>(kTerminalLineLifeMs))
      lines_[i].Active = 0;
}

void CTerminal::TerminalDraw() {
  ShownCount = 0;
  if (!Visible) return;
  int rows = 0;
  for (int i = 0; i < lineCount_; ++i)
    if (Counted(lines_[i])) rows += lines_[i].Height;
  if (rows == 0 || font_ == nullptr) return;
  const float rowHeight = TextRowHeight(font_);
  if (Background && screen_ != nullptr)
    screen_->DrawQuadPair(X - 2, Y - 1, Width + 2, static_cast<int>(static_cast<float>(rows) * rowHeight) + 2,
                          Byte(kTerminalBoxBack, 16), Byte(kTerminalBoxBack, 8), Byte(kTerminalBoxBack, 0),
                          Byte(kTerminalBoxBack, 24), Byte(kTerminalBoxFront, 16), Byte(kTerminalBoxFront, 8),
                          Byte(kTerminalBoxFront, 0), Byte(kTerminalBoxFront, 24), 0);
  if (!KeepColour) font_->SetColour(0xFFFFFFFF);
  float y = static_cast<float>(Y);
  for (int k = 0; k < lineCount_; ++k) {
    const TerminalLine& line = lines_[(WriteIndex + k) % lineCount_];
    if (!Counted(line)) continue;
    const float height = static_cast<float>(line.Height) * rowHeight;
    const FontRect row = {X, static_cast<std::int32_t>(y), X + Width, static_cast<std::int32_t>(y + height)};
    font_->DrawTextBlock(line.Text, &row, 0, StyleWord(Style), 1, nullptr, 0);
    y += height;
    ++ShownCount;
  }
}

void CTerminal::TerminalClear() {
  for (int i = 0; i < lineCount_; ++i) {
    lines_[i].Active = 0;
    lines_[i].Stamp = -1;
  }
}

int CTerminal::TerminalToggleKeep() {
  const int before = KeepExpired;
  KeepExpired = before ? 0 : 1;
  if (KeepExpired) Visible = 1;
  return before;
}

int CTerminal::TerminalToggleVisible() {
  Visible = Visible ? 0 : 1;
  return Visible;
}

CTerminal* g_MainTerminal = nullptr;
CTerminal* g_SecondTerminal = nullptr;
