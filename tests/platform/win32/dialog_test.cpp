// Dialogs on SDL's offscreen driver, answered by injected mouse and key
// events at the places the controls were drawn.
#include "platform/win32/dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/message_box.h"

namespace {

constexpr int kDialog = 500;
constexpr int kOkButton = 1, kCancelButton = 2, kBox = 10, kCombo = 11, kList = 12, kOff = 13;

struct Seen {
  std::vector<std::pair<int, int>> commands;  // id, notification
  bool initialised = false;
};
Seen* gSeen = nullptr;

INT_PTR RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    gSeen->initialised = true;
    EXPECT_EQ(lParam, 77);
    for (const char* entry : {"alpha", "beta", "gamma"}) {
      SendDlgItemMessageA(dialog, kCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
      SendDlgItemMessageA(dialog, kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    EnableWindow(GetDlgItem(dialog, kOff), FALSE);
    return TRUE;
  }
  if (message == WM_COMMAND) {
    gSeen->commands.push_back({LOWORD(wParam), HIWORD(wParam)});
    if (LOWORD(wParam) == kOkButton) EndDialog(dialog, 42);
    if (LOWORD(wParam) == kCancelButton) EndDialog(dialog, 7);
  }
  return FALSE;
}

void RegisterTestDialog() {
  using K = DialogControlKind;
  DialogResource r{"Test", 400, 300, {}};
  r.controls = {
      {kBox, K::CheckBox, "Box", 10, 10, 150, 24},
      {kCombo, K::ComboBox, nullptr, 10, 50, 200, 24},
      {kList, K::ListBox, nullptr, 220, 10, 170, 120},
      {kOff, K::Button, "Off", 10, 200, 80, 30},
      {kOkButton, K::DefaultButton, "OK", 100, 250, 80, 30},
      {kCancelButton, K::Button, "Cancel", 200, 250, 80, 30},
  };
  RegisterDialogResource(kDialog, r);
}

class Dialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestDialog();
    ClearDialogActions();
    SetDialogFrameHook(nullptr, nullptr);
    gSeen = &seen_;
  }
  void TearDown() override {
    ClearDialogActions();
    SetDialogFrameHook(nullptr, nullptr);
    gSeen = nullptr;
  }
  INT_PTR Run() { return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kDialog), nullptr, RecordingProc, 77); }
  Seen seen_;
};

TEST_F(Dialogs, ClicksAndChoicesReachTheProcedureAsCommands) {
  QueueDialogActions({{DialogAction::Click, kDialog, kBox, -1, {}},
                      {DialogAction::Choose, kDialog, kCombo, 2, {}},
                      {DialogAction::Choose, kDialog, kList, 1, {}},
                      {DialogAction::Click, kDialog, kOff, -1, {}},
                      {DialogAction::Click, kDialog, kOkButton, -1, {}}});
  struct Read {
    UINT checked = 0;
    LRESULT combo = -2, list = -2, count = -2;
    bool offEnabled = true;
  } read;
  SetDialogFrameHook(
      [](HWND dialog, int, void* context) {
        auto* r = static_cast<Read*>(context);
        r->checked = IsDlgButtonChecked(dialog, kBox);
        r->combo = SendDlgItemMessageA(dialog, kCombo, CB_GETCURSEL, 0, 0);
        r->list = SendDlgItemMessageA(dialog, kList, LB_GETCURSEL, 0, 0);
        r->count = SendDlgItemMessageA(dialog, kCombo, CB_GETCOUNT, 0, 0);
        r->offEnabled = IsWindowEnabled(GetDlgItem(dialog, kOff)) != FALSE;
      },
      &read);
  EXPECT_EQ(Run(), 42);
  EXPECT_TRUE(seen_.initialised);
  const std::vector<std::pair<int, int>> expected = {
      {kBox, BN_CLICKED}, {kCombo, CBN_SELCHANGE}, {kList, LBN_SELCHANGE}, {kOkButton, BN_CLICKED}};
  EXPECT_EQ(seen_.commands, expected);  // the disabled button said nothing
  EXPECT_EQ(read.checked, BST_CHECKED);
  EXPECT_EQ(read.combo, 2);
  EXPECT_EQ(read.list, 1);
  EXPECT_EQ(read.count, 3);
  EXPECT_FALSE(read.offEnabled);
  EXPECT_EQ(PendingDialogActions(), 0u);
}

TEST_F(Dialogs, EnterPressesTheDefaultButtonAndEscapeCancels) {
  QueueDialogActions({{DialogAction::Key, 0, 0, -1, "Return"}});
  EXPECT_EQ(Run(), 42);
  QueueDialogActions({{DialogAction::Key, 0, 0, -1, "Escape"}});
  EXPECT_EQ(Run(), 7);
}

TEST_F(Dialogs, ADialogNoOneCanAnswerIsNotShown) {
  // Offscreen, nothing queued and no hook: refused at once.
  EXPECT_EQ(Run(), -1);
  EXPECT_FALSE(seen_.initialised);
  // An unknown resource.
  QueueDialogActions({{DialogAction::Key, 0, 0, -1, "Return"}});
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(999), nullptr, RecordingProc, 77), -1);
  ClearDialogActions();
  // A script that runs out with the dialog open ends it with -1.
  QueueDialogActions({{DialogAction::Click, kDialog, kBox, -1, {}}});
  EXPECT_EQ(Run(), -1);
}

TEST_F(Dialogs, AHookThatNeverAnswersIsBoundedByTheFrameLimit) {
  int frames = 0;
  SetDialogFrameLimit(20);
  SetDialogFrameHook([](HWND, int, void* c) { ++*static_cast<int*>(c); }, &frames);
  EXPECT_EQ(Run(), -1);
  EXPECT_EQ(frames, 20);
  SetDialogFrameLimit(600);
}

TEST_F(Dialogs, ListMessagesOutsideTheListAnswerErrors) {
  struct Result {
    LRESULT setOutside = 0, textOutside = 0, dataOutside = 0, unknownControl = 0;
    char text[16] = {};
    LRESULT textLength = 0;
  } result;
  SetDialogFrameHook(
      [](HWND dialog, int, void* context) {
        auto* r = static_cast<Result*>(context);
        r->setOutside = SendDlgItemMessageA(dialog, kCombo, CB_SETCURSEL, 3, 0);
        r->textOutside = SendDlgItemMessageA(dialog, kCombo, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(r->text));
        r->dataOutside = SendDlgItemMessageA(dialog, kList, LB_GETITEMDATA, static_cast<WPARAM>(-1), 0);
        r->unknownControl = SendDlgItemMessageA(dialog, 999, CB_GETCOUNT, 0, 0);
        r->textLength = SendDlgItemMessageA(dialog, kList, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(r->text));
        EndDialog(dialog, 3);
      },
      &result);
  EXPECT_EQ(Run(), 3);
  EXPECT_EQ(result.setOutside, CB_ERR);
  EXPECT_EQ(result.textOutside, CB_ERR);
  EXPECT_EQ(result.dataOutside, LB_ERR);
  EXPECT_EQ(result.unknownControl, CB_ERR);
  EXPECT_EQ(result.textLength, 4);
  EXPECT_STREQ(result.text, "beta");
}

TEST(DialogScript, LinesAreReadOrRefusedWhole) {
  struct Case {
    const char* text;
    bool ok;
    std::size_t actions;
  } cases[] = {
      {"106 click 1\n", true, 1},
      {"# comment\n\n108 choose 1018 0\n108 key Escape\n0 click 2\n", true, 3},
      {"106 press 1\n", false, 0},
      {"106 click\n", false, 0},
      {"106 choose 1018 -1\n", false, 0},
      {"106 click 1 2\n", false, 0},
      {"x click 1\n", false, 0},
      {"106 click 1\n106 click one\n", false, 0},
  };
  for (const Case& c : cases) {
    std::vector<DialogAction> actions;
    std::string error;
    EXPECT_EQ(ParseDialogScript(c.text, &actions, &error), c.ok) << c.text;
    EXPECT_EQ(actions.size(), c.actions) << c.text;
    if (!c.ok) {
      EXPECT_NE(error.find("dialog script line"), std::string::npos) << c.text;
    }
  }
}

}  // namespace
