// The screen the menus lay themselves out on: the render target's width and
// height in pixels, and the reference conversions of the 800-pixel-wide
// layouts.  Main thread only.
#pragma once

// The render target's size (0 without a render object).
int ScreenWidth();
int ScreenHeight();
// The interface sprite set's x and y scale factors (1 at 800 x 600, and
// without the set).
float InterfaceScaleX();
float InterfaceScaleY();
// A position of the 800-wide reference screen: int(v x max(width, 800) / 800
// x the interface x or y scale).
int RefX(float v);
int RefY(float v);
