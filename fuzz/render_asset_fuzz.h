// Shared set-up of the asset reader fuzz targets: message boxes are answered
// without being shown.
#pragma once

#include "platform/win32/message_box.h"

inline void QuietMessageBoxes() {
  static const bool done = [] {
    SetMessageBoxEcho(false);
    SetMessageBoxHook([](HWND, const char*, const char*, UINT, void*) { return IDOK; }, nullptr);
    return true;
  }();
  (void)done;
}
