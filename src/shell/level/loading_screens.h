// The screens the game draws itself while a level loads (the main loop does
// not run then): the loading picture, full-screen pictures for a time, the
// progress bar, the mission's section header, message screens, the logo of
// menu levels and the exit picture.  Each is drawn on both buffers (begin
// scene, draw, end scene, present, twice) so that it stays while loading
// goes on.  Waits go through Sleep (tests install a hook).  Main thread only.
#pragma once

#include <cstdint>

class CSpriteRender;

// The default loading picture, and the second one that only enters the
// catalog when building it.
inline constexpr const char* kDefaultLoadingPicture = "DefLoad.bmp";
inline constexpr const char* kSecondLoadingPicture = "DefLoad_US.bmp";
// Draws a full-screen picture of a steps' opacity this many times without a fade.
inline constexpr int kFullScreenDraws = 400;
inline constexpr int kFullScreenKeepDraws = 20;
inline constexpr float kFadeStep = 0.0025f;

// Shows a picture (null: "DefLoad.bmp", read with catalog 0 open and the
// catalog before reopened afterwards) at full opacity on both buffers, then
// frees it.  The picture's memory is taken from the "Global Heap" between
// its marks.
void ShowLoadingScreen(const char* picture);
// Draws a picture once at full opacity on both buffers (a slide of the
// splash show), then frees it.
void ShowPictureOnce(const char* picture);
// Shows a picture for `ms` milliseconds: with `fadeIn` drawn at alpha
// a x a x 255 for a = 0, 0.0025, ... 1.0, else drawn at full opacity 400
// times; then, unless `keep`, 20 more full draws.  The heap mark is restored.
void ShowFullScreenImage(const char* picture, std::uint32_t ms, bool fadeIn, bool keep);
// The level loader's progress callback (text, step, total): the first call
// of a load shows the loading screen; each call draws the bar with the
// fraction done, or the pulse when no total is known.
void LoadingProgress(const char* text, int step, int total);
// Starts a new load for the progress callback (its next call is the first).
void ResetLoadingProgress();
// The pulse of the bar at real time t (ms): 2.0 - (t mod 300) x 0.006666667.
float LoadingPulse(std::uint32_t ms);
// The mission's section header ("SECTIONHDR" of the string table): when
// present, sets PressKeyPending and draws it with "SECTIONTEXT",
// "SECTIONTEXT2" and "SECTIONDATE" on both buffers.  Answers whether it was shown.
bool ShowSectionHeader();
// A text over a clear colour, with the press-a-key prompt below it.
void ShowMessageScreen(const char* text, std::uint32_t clearColour);
// Makes ("NewLogo.img", scaled to the display) or frees the logo sprite set.
void MakeLoadingLogo(bool menuLevel);
CSpriteRender* LoadingLogo();
// The exit picture "PCPromo.bmp" from catalog 2, shown 1000 ms with a fade, kept.
void ShowPromoPicture();
// In a menu level, hides the instance "CS_INTRO_LOGO_HB_US1935".
void HideIntroLogo();

// Set when a section header was shown: level start then waits for a key.
extern std::uint32_t PressKeyPending;
// Presents since start (both buffers count), for tests.
int LoadingScreenPresents();
