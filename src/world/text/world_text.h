// World text: short-lived texts standing at points of the world (damage
// numbers, debug labels), drawn as camera-facing glyphs through the bitmap
// font, fading from yellow to black over their life; some rise, some also
// grow.  A fixed ring of entries.  Main thread only.
//
// Frame: world units, y up; times in game-clock milliseconds.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CFont;
class CTimer;

// Characters of an entry's text, the terminator included: longer texts are cut.
constexpr int kWorldTextChars = 64;
// Font scale of a new entry (percent).
constexpr float kWorldTextSize = 200.0f;

enum WorldTextMode : std::int32_t {
  WORLDTEXT_STILL = 0,
  WORLDTEXT_RISING = 1,   // up by 50 units a second
  WORLDTEXT_GROWING = 2,  // up by 50 units and 10 percent a second
};

struct WorldTextEntry {
  char Text[kWorldTextChars] = {};
  std::uint32_t Start = 0;
  std::uint32_t Life = 0;
  std::int32_t Mode = WORLDTEXT_STILL;
  const void* Owner = nullptr;
  CVector3 Position{};
  std::int32_t Active = 0;
  float Size = kWorldTextSize;
};

class CWorldText {
 public:
  // The entries (at least one), all inactive.
  explicit CWorldText(int capacity);
  ~CWorldText();
  CWorldText(const CWorldText&) = delete;
  CWorldText& operator=(const CWorldText&) = delete;

  void WorldTextSetFont(CFont* font) { font_ = font; }
  // The game clock the entries age by (null: time stands at 0).
  void SetClock(CTimer* clock) { clock_ = clock; }
  // Every entry inactive.
  void WorldTextClear();
  // Writes the next slot of the ring (cut to 63 characters), stamped now,
  // size 200, active.  A null text does nothing.
  void WorldTextAdd(const char* text, const CVector3& position, std::uint32_t lifeMs, int mode, const void* owner);
  // Entries older than their life become inactive; the others move by their mode.
  void WorldTextUpdate();
  // With lighting off and blend mode 4, each active entry at its position,
  // its size as the font scale, red and green both (1 - age / life) x 255;
  // the font, lighting and blend mode are put back.
  void WorldTextDraw();

  int GetCapacity() const { return capacity_; }
  const WorldTextEntry& GetEntry(int i) const { return entries_[i]; }
  bool AnyActive() const { return anyActive_; }

 private:
  std::uint32_t Now() const;

  CFont* font_ = nullptr;
  CTimer* clock_ = nullptr;
  WorldTextEntry* entries_;
  int next_ = 0;
  int capacity_;
  bool anyActive_ = false;
};

// The draw colour of an entry of that age: red and green (1 - age / life) x 255, blue and alpha 0.
std::uint32_t WorldTextColour(std::uint32_t ageMs, std::uint32_t lifeMs);

// The game's world text (16 entries, made at game start); null outside the game's life.
extern CWorldText* g_WorldText;
