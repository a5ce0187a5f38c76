// Saving the picture of the frame: the render device's back buffer written
// as a PNG (for a file name ending in ".png", any letter case) or as a
// 24-bit BMP (any other name).  Main thread only, after the frame is drawn
// and before it is presented.
#pragma once

#include <string>

// Writes the back buffer; false when there is no device, the buffer cannot
// be read, or the file cannot be written (then no file is left behind).
bool SaveBackBuffer(const char* fileName);
// Whether the name asks for a PNG file.
bool IsPngFileName(const char* fileName);
// The name with a tag before its extension ("shot.png", "day" gives
// "shot-day.png"; a name without an extension gets it at the end).
std::string TaggedScreenshotName(const char* fileName, const char* tag);
