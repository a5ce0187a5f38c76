// Screen text: a list of positioned texts that the game fills during a
// frame and draws over the 3D picture at its end through the bitmap font;
// drawing empties the list.  The message list and the text boxes draw
// through one.  Main thread only.
#pragma once

#include <cstdint>

class CFont;

// Characters of an entry's text, the terminator included: longer texts are cut.
constexpr int kScreenTextChars = 120;

enum ScreenTextAlignment : std::int32_t {
  SCREENTEXT_AT = 0,             // at (width x, height y)
  SCREENTEXT_CENTRED_ACROSS = 1,  // centred across the screen at height y
  SCREENTEXT_CENTRED_DOWN = 2,    // centred down the screen at width x
};

struct ScreenTextEntry {
  char Text[kScreenTextChars] = {};
  float X = 0.0f, Y = 0.0f;  // fractions of the screen
  std::int32_t Alignment = SCREENTEXT_AT;
  float Scale = 100.0f;      // font scale, percent
  std::uint32_t Colour = 0xFFFFFFFF;
  std::int32_t Style = 0;    // font style, handed to the font with the text
  std::uint8_t BoxRed = 0, BoxGreen = 0, BoxBlue = 0, BoxAlpha = 0;  // no box while the alpha is 0
};

class CScreenText {
 public:
  explicit CScreenText(int capacity);
  virtual ~CScreenText();
  CScreenText(const CScreenText&) = delete;
  CScreenText& operator=(const CScreenText&) = delete;

  void ScreenTextSetFont(CFont* font) { font_ = font; }
  // Empties the list (level reset).
  void ScreenTextReset() { count_ = 0; }
  // Appends an entry (text cut to 119 characters; the box colour packed
  // A8R8G8B8).  False, with nothing added, for a null text or a full list.
  bool ScreenTextAdd(const char* text, float x, float y, int alignment, float scale, std::uint32_t colour, int style,
                     std::uint32_t boxColour);
  // Draws every entry in order with its colour and scale, over its box when
  // the box's alpha is not 0, then restores the font's colour and scale and
  // empties the list.
  void ScreenTextDraw();

  int GetCount() const { return count_; }
  int GetCapacity() const { return capacity_; }
  const ScreenTextEntry* GetEntry(int i) const { return i >= 0 && i < count_ ? &entries_[i] : nullptr; }
  CFont* GetFont() const { return font_; }

 protected:
  CFont* font_ = nullptr;
  int count_ = 0;
  ScreenTextEntry* entries_;
  int capacity_;
};

// The game's screen text (24 entries, made at game start); null outside the game's life.
extern CScreenText* g_ScreenText;
