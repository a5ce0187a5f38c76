#include "shell/program/game_setup_dialog.h"

#include "platform/win32/dialog.h"
#include "platform/win32/message_box.h"

namespace {
GameSetupDialog* gOpen = nullptr;
}  // namespace

GameSetupDialog::GameSetupDialog(int count, int entrySize, const char* first)
    : count_(count > 0 && first != nullptr ? count : 0), entrySize_(entrySize), first_(first) {}

void GameSetupDialog::RegisterResource() {
  using K = DialogControlKind;
  DialogResource r{"Game Setup", 360, 320, {}};
  r.controls = {
      {kLabel, K::Label, "Select Starting Level", 10, 10, 340, 20},
      {kList, K::ListBox, nullptr, 10, 36, 340, 220},
      {IDOK, K::DefaultButton, "OK", 120, 270, 110, 32},
      {IDCANCEL, K::Button, "Cancel", 240, 270, 110, 32},
  };
  RegisterDialogResource(kResource, r);
}

INT_PTR GameSetupDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    gOpen = reinterpret_cast<GameSetupDialog*>(lParam);
    for (int i = 0; i < gOpen->count_; ++i)
      SendDlgItemMessageA(dialog, kList, LB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(gOpen->first_ + static_cast<long>(i) * gOpen->entrySize_));
    if (gOpen->count_ > 0) {
      SendDlgItemMessageA(dialog, kList, LB_SETCURSEL, 0, 0);
      gOpen->choice_ = 0;
    }
    return TRUE;
  }
  if (message != WM_COMMAND || gOpen == nullptr) return FALSE;
  switch (LOWORD(wParam)) {
    case kList:
      if (HIWORD(wParam) == LBN_SELCHANGE || HIWORD(wParam) == LBN_DBLCLK) {
        const LRESULT sel = SendDlgItemMessageA(dialog, kList, LB_GETCURSEL, 0, 0);
        gOpen->choice_ = sel == LB_ERR ? -1 : static_cast<int>(sel);
      }
      return TRUE;
    case IDOK: EndDialog(dialog, 1); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
  }
}

bool GameSetupDialog::Open(HWND parent) {
  RegisterResource();
  choice_ = -1;
  GameSetupDialog* outer = gOpen;
  const INT_PTR result =
      DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kResource), parent, &Procedure, reinterpret_cast<LPARAM>(this));
  gOpen = outer;
  if (result == -1) {
    MessageBoxA(parent, "Failed to open game setup dialog", "Error", MB_OK);
    return false;
  }
  // OK with nothing chosen (an empty list) is no choice at all.
  return result == 1 && choice_ >= 0 && choice_ < count_;
}
