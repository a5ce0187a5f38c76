// The game set-up dialog: a developer picks one entry of a list (the level
// chooser of the level cycle).  Dialog resource 103 with a list (control
// 1000), OK and Cancel.  Main thread only.
#pragma once

#include "platform/win32/win_types.h"

class GameSetupDialog {
 public:
  static constexpr int kResource = 103;
  static constexpr int kList = 1000;
  static constexpr int kLabel = 1001;

  // `count` entries of `entrySize` bytes each from `first` (entry i is its
  // text); the texts are not copied and must outlive the dialog.
  GameSetupDialog(int count, int entrySize, const char* first);

  // Shows the dialog with the first entry selected.  True for OK or Enter
  // with an entry chosen; false for Cancel, for OK with no entry (an empty
  // list), and when the dialog cannot be shown (after the box "Failed to
  // open game setup dialog", caption "Error").
  bool Open(HWND parent);
  // The chosen entry; -1 when none was chosen.
  int GetChoice() const { return choice_; }

  // Registers dialog resource 103 (again is harmless).
  static void RegisterResource();

 private:
  static INT_PTR Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  int count_;
  int entrySize_;
  const char* first_;
  int choice_ = -1;
};
