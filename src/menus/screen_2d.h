// The 2D overlay object of the menus as the world library uses it: a timed
// transition (off, rising, on, falling over 500 ms of its clock) that the
// world pause and movie cameras drive, the "Noise" texture it holds, and a
// pair of quads drawn at one rectangle.  One overlay object and one object
// per view exist (made by the game's start-up).  Main thread only.
#pragma once

#include <cstdint>

class CTexture;
class CTextureManager;

class CScreen2D {
 public:
  enum TransitionState : int { TRANSITION_OFF = 0, TRANSITION_RISING = 1, TRANSITION_ON = 2, TRANSITION_FALLING = 3 };
  static constexpr std::uint32_t kTransitionMs = 500;
  using Clock = std::uint32_t (*)();  // milliseconds

  // Back to the start state: transition off, state words cleared (the
  // texture slot and clock stay).
  void Reset();
  // Reverses the transition: off starts rising, on starts falling, and a
  // rising or falling one turns back from where it stands (the elapsed part
  // of the 500 ms is mirrored).
  void ToggleTransition();
  // 1: towards on (starts from off, turns a falling one back); 0: towards
  // off (starts from on, turns a rising one back).  Other states are left.
  void SetTransition(int on);
  // Finishes a rising or falling transition whose 500 ms have passed.
  void Update();
  int GetTransitionState() const { return state_; }
  // How far the overlay stands towards on: 0 off .. 1 on.
  float GetTransitionLevel() const;

  // Fetches the texture "Noise" from the library (adding a reference) into
  // the texture slot; nothing without a library.
  void ReloadNoiseTexture(CTextureManager* textures);
  CTexture* GetNoiseTexture() const { return noise_; }

  // A filled quad in the first colour, then its one-pixel outline in the
  // second (colour bytes; see DrawQuad2D); nothing when the size is 0.
  static void DrawQuadPair(int x, int y, int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                           std::uint8_t alpha, std::uint8_t outlineRed, std::uint8_t outlineGreen, std::uint8_t outlineBlue,
                           std::uint8_t outlineAlpha, int additive);

  void SetClock(Clock clock) { clock_ = clock; }
  // The set-up word the game gives each overlay when it makes it (33).
  void SetUp(std::uint32_t word) { setUp_ = word; }
  std::uint32_t GetSetUp() const { return setUp_; }

 private:
  std::uint32_t Now() const { return clock_ != nullptr ? clock_() : 0; }
  std::uint32_t Elapsed() const;
  void Start(int state, std::uint32_t alreadyElapsed);

  int state_ = TRANSITION_OFF;
  std::uint32_t start_ = 0;
  CTexture* noise_ = nullptr;
  Clock clock_ = nullptr;
  std::uint32_t setUp_ = 0;
};

// Number of per-view overlay objects.
constexpr int kScreen2DViews = 4;
// The overlay object and the per-view objects; null until the game makes them.
extern CScreen2D* g_Screen2D;
extern CScreen2D* g_ViewScreens2D[kScreen2DViews];
