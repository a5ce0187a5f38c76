// The exit splash: three pictures shown in turn straight to the render
// device when the program is left, each drawn on both buffers.  The first is
// shown at full strength for 4 s, the second fades in and stays 4 s, the
// third fades in and stays until Space, Enter or Escape; then the program
// closes.  Escape closes it at any time.  Main thread only.
#pragma once

// Once per frame while the frame mode is the splash.
void UpdateSplash();
// A new picture object made current and loaded.
void LoadSplashPicture(const char* name);
// The current picture at the splash's alpha, on both buffers.
void DrawSplashFrame();
// Two black presented frames.
void ClearSplashScreen();

// The splash back to its start (tests, and a program that runs it again).
void ResetSplash();
// Which picture shows (0..2) and its strength (0..1), for tests.
int SplashPictureIndex();
float SplashAlpha();
bool SplashHasPicture();
