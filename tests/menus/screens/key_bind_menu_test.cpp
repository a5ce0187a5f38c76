// The key-binding screen driven through the screen manager by injected keys,
// pad buttons and axes and mouse buttons: the list of bindings per page, a
// capture for the selected row (refused keys restart it, Escape ends it and
// the binding stays), a code taken away from the other actions of its
// family only, an axis given to both actions of its pair, Backspace, the
// defaults from "default.key", Tab's focus, and "current.key" written on the
// way out.  The screen works in a folder of its own holding "default.key".
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "control/bindings/control_mapper.h"
#include "control/bindings/input_action.h"
#include "foundation/text/locale_table.h"
#include "menus/screens/key_bind_actions.h"
#include "menus/screens/key_bind_menu.h"
#include "menus/screens/key_bind_text_ids.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_walk_fixture.h"
#include "platform/dinput8/virtual_controller.h"
#include "platform/win32/event_injection.h"
#include "shell/program/command_line.h"

namespace {

namespace fs = std::filesystem;

constexpr InputBindingCode KeyBindingOf(int code) { return MakeBinding(BINDING_KEY, code); }
// Set-1 key codes of the keys the tests press.
constexpr int kW = 17, kQ = 16, kC = 46, kE = 18, kI = 23, kP = 25;

std::string ReadWrittenFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class KeyBindScreen : public ScreenWalkTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ScreenWalkTest::SetUp());
    folder_ = fs::temp_directory_path() / "key_bind_screen";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::copy_file(DEMO_KEY_FILE, folder_ / "default.key");
    previous_ = fs::current_path();
    Make(0);
  }
  void TearDown() override {
    DestroyScreens();
    ScreenId = PreviousScreenId = 0;
    CheatMode = 0;
    DetachAllVirtualControllers();
    fs::current_path(previous_);
    ScreenWalkTest::TearDown();
  }
  // The screens made again with cheat mode on or off, laid out as the front
  // end does, and the key-binding screen opened from the controls screen.
  void Make(unsigned cheatMode) {
    DestroyScreens();
    CheatMode = cheatMode;
    // The screens load their pictures from the game's data folder; the
    // bindings files are the test's.
    fs::current_path(previous_);
    ASSERT_EQ(CreateScreens(), 1);
    PopulateFrontEndScreens();
    fs::current_path(folder_);
    OpenLong(31);
    PressLong("Return");
    ASSERT_EQ(ScreenId, 33);
  }
  CKeyBindMenu* Screen() { return static_cast<CKeyBindMenu*>(ScreenFromId(33)); }
  // The list rows as (action, binding) pairs.
  struct ListRow {
    int action;
    InputBindingCode binding;
  };
  std::vector<ListRow> Rows() {
    std::vector<ListRow> rows;
    CScreenMenu* list = Screen()->List;
    for (int i = 0; i < list->Count; ++i) {
      const std::uint32_t v = list->Items[i]->Value;
      const int slot = CKeyBindMenu::SlotOf(v);
      const int action = kBindableActions[CKeyBindMenu::RowOf(v)].action;
      rows.push_back({action, slot == static_cast<int>(CKeyBindMenu::kUnboundSlot)
                                  ? kNoBinding
                                  : g_ControlMapper->GetBinding(0, slot, action)});
    }
    return rows;
  }
  int SelectedAction() {
    CScreenMenu* list = Screen()->List;
    return kBindableActions[CKeyBindMenu::RowOf(list->Items[list->Selection]->Value)].action;
  }
  // Moves the list's selection down to the first row of an action on the shown page.
  void SelectAction(int action) {
    for (int i = 0; i < 45 && SelectedAction() != action; ++i) PressLong("Down");
    ASSERT_EQ(SelectedAction(), action);
  }
  void ChoosePage(int page) {
    while (Screen()->ChosenPage() < page) PressLong("Right");
    ASSERT_EQ(Screen()->ShownPage, page);
  }
  InputBindingCode Binding(int action, int slot) { return g_ControlMapper->GetBinding(0, slot, action); }
  // Enter starts a capture for the selected row; then the key.
  void Capture(const char* key) {
    PressLong("Return");
    ASSERT_EQ(Screen()->Capturing, 1);
    PressLong(key);
  }

  fs::path folder_, previous_;
};

TEST_F(KeyBindScreen, EachPageListsOneRowPerKeyOrMouseBindingAndPadBindingsOnlyWithCheatMode) {
  // Page 0 without cheat mode: the keys of the eight movement actions.
  const std::vector<ListRow> page0 = Rows();
  ASSERT_EQ(page0.size(), 8u);
  EXPECT_EQ(page0[0].action, FORWARD);
  EXPECT_EQ(page0[0].binding, KeyBindingOf(kW));
  EXPECT_EQ(page0[7].action, STANCE);
  for (const ListRow& r : page0) EXPECT_EQ(BindingDevice(r.binding), BINDING_KEY);
  // Page 2 lists its 15 actions, ORDER_ADVANCE (no binding) on one unbound row.
  ChoosePage(2);
  const std::vector<ListRow> page2 = Rows();
  EXPECT_EQ(page2.size(), 15u);
  int unbound = 0;
  for (const ListRow& r : page2) unbound += r.binding == kNoBinding;
  EXPECT_EQ(unbound, 1);
  // With cheat mode the pad bindings are listed too: FORWARD on two rows.
  ASSERT_NO_FATAL_FAILURE(Make(1));
  const std::vector<ListRow> cheat0 = Rows();
  ASSERT_GE(cheat0.size(), 2u);
  EXPECT_EQ(cheat0[0].action, FORWARD);
  EXPECT_EQ(cheat0[1].action, FORWARD);
  EXPECT_EQ(cheat0[1].binding, MakeBinding(BINDING_JOY_AXIS, 0));
  EXPECT_EQ(cheat0.size(), 15u);  // the eight keys and seven pad inputs
}

TEST_F(KeyBindScreen, RefusedKeysRestartTheCaptureEscapeEndsItAndAKeyIsBound) {
  PressLong("Return");
  ASSERT_EQ(Screen()->Capturing, 1);
  // The cursor keys, Tab and F1 restart the capture; the row stays selected.
  for (const char* refused : {"Up", "Down", "Tab", "F1"}) {
    PressLong(refused);
    EXPECT_EQ(Screen()->Capturing, 1) << refused;
    EXPECT_EQ(SelectedAction(), FORWARD) << refused;
    EXPECT_EQ(Binding(FORWARD, 0), KeyBindingOf(kW)) << refused;
  }
  // Escape ends the capture: W stays, and the screen stays (no back).
  PressLong("Escape");
  EXPECT_EQ(Screen()->Capturing, 0);
  EXPECT_EQ(ScreenId, 33);
  EXPECT_EQ(Binding(FORWARD, 0), KeyBindingOf(kW));
  // A new capture takes Q in W's slot.
  Capture("Q");
  EXPECT_EQ(Screen()->Capturing, 0);
  EXPECT_EQ(Binding(FORWARD, 0), KeyBindingOf(kQ));
  EXPECT_EQ(Rows()[0].binding, KeyBindingOf(kQ));
  // Nothing else moved: the page and the row are the same.
  EXPECT_EQ(Screen()->ShownPage, 0);
  EXPECT_EQ(SelectedAction(), FORWARD);
}

// A key already bound elsewhere: who keeps it after the capture.
struct FamilyCase {
  const char* name;
  int page;
  int row;          // the action the capture is for
  const char* key;  // the key pressed
  int keyCode;
  int owner;        // the action that held the key before
  bool ownerKeeps;
};

TEST_F(KeyBindScreen, AKeyIsTakenFromTheOtherActionsOfItsFamilyOnly) {
  const FamilyCase cases[] = {
      // A top-level action takes the key from another top-level action.
      {"forward takes stance's C", 0, FORWARD, "C", kC, STANCE, false},
      // INVENTORY_UP takes I from its context action INVENTORY ...
      {"inventory up takes inventory's I", 1, INVENTORY_UP, "I", kI, INVENTORY, false},
      // ... but not E from ACTION, outside its family.
      {"inventory up leaves action's E", 1, INVENTORY_UP, "E", kE, ACTION, true},
      // A top-level action does not take a key from a combined action.
      {"fire leaves inventory up's key", 1, FIRE, "E", kE, INVENTORY_UP, true},
  };
  for (const FamilyCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(Make(0));
    ASSERT_NO_FATAL_FAILURE(ChoosePage(c.page));
    if (c.owner == INVENTORY_UP) {
      // Give INVENTORY_UP the key first (it is in its family's reach).
      g_ControlMapper->SetBinding(0, 1, INVENTORY_UP, KeyBindingOf(c.keyCode));
      Screen()->BuildList(true);
    }
    ASSERT_NO_FATAL_FAILURE(SelectAction(c.row));
    int slot = -1;
    for (int s = 0; s < 3; ++s)
      if (Binding(c.owner, s) == KeyBindingOf(c.keyCode)) slot = s;
    ASSERT_NE(slot, -1);
    ASSERT_NO_FATAL_FAILURE(Capture(c.key));
    EXPECT_EQ(g_ControlMapper->FindDeviceBinding(0, BINDING_KEY, c.row), KeyBindingOf(c.keyCode));
    EXPECT_EQ(Binding(c.owner, slot) == KeyBindingOf(c.keyCode), c.ownerKeeps);
  }
  // The owner that lost its only key is listed as one unbound row.
  ASSERT_NO_FATAL_FAILURE(Make(0));
  ASSERT_NO_FATAL_FAILURE(Capture("C"));
  const std::vector<ListRow> rows = Rows();
  EXPECT_EQ(rows.back().action, STANCE);
  EXPECT_EQ(rows.back().binding, kNoBinding);
}

TEST_F(KeyBindScreen, APadAxisGoesToBothActionsOfItsPairAndAPadButtonToItsRow) {
  ASSERT_NO_FATAL_FAILURE(Make(1));
  const int pad = AttachVirtualController();
  ASSERT_NE(pad, 0);
  SettleLong();
  // FORWARD on axis 1 (X): FORWARD its negative half, BACKWARD the positive.
  PressLong("Return");
  ASSERT_TRUE(SetVirtualControllerAxis(pad, VirtualAxis::X, 1.0f));
  Frame();
  Frame();
  ASSERT_TRUE(SetVirtualControllerAxis(pad, VirtualAxis::X, 0.0f));
  SettleLong();
  EXPECT_EQ(Screen()->Capturing, 0);
  EXPECT_EQ(Binding(FORWARD, 1), 0x10003);
  EXPECT_EQ(Binding(BACKWARD, 1), 0x10004);
  EXPECT_EQ(Binding(FORWARD, 0), KeyBindingOf(kW));  // the key stays
  // FIRE on pad button 3: replaces FIRE's pad button and takes 3 from INVENTORY.
  ASSERT_NO_FATAL_FAILURE(ChoosePage(1));
  ASSERT_EQ(SelectedAction(), FIRE);
  ASSERT_EQ(Binding(INVENTORY, 1), MakeBinding(BINDING_JOY_BUTTON, 3));
  PressLong("Return");
  ASSERT_TRUE(SetVirtualControllerButton(pad, 3, true));
  Frame();
  Frame();
  ASSERT_TRUE(SetVirtualControllerButton(pad, 3, false));
  SettleLong();
  EXPECT_EQ(Binding(FIRE, 1), MakeBinding(BINDING_JOY_BUTTON, 3));
  EXPECT_EQ(Binding(FIRE, 0), MakeBinding(BINDING_MOUSE_BUTTON, 0));
  EXPECT_EQ(Binding(INVENTORY, 1), kNoBinding);
}

TEST_F(KeyBindScreen, WithoutCheatModeAPadIsNotCapturedAndAMouseButtonIs) {
  const int pad = AttachVirtualController();
  ASSERT_NE(pad, 0);
  SettleLong();
  ASSERT_NO_FATAL_FAILURE(SelectAction(STANCE));
  PressLong("Return");
  // The pad's button is not listened to: the capture still waits.
  ASSERT_TRUE(SetVirtualControllerButton(pad, 2, true));
  Frame();
  ASSERT_TRUE(SetVirtualControllerButton(pad, 2, false));
  SettleLong();
  EXPECT_EQ(Screen()->Capturing, 1);
  // The middle mouse button: STANCE's free third slot takes it.
  ASSERT_TRUE(Win32InjectMouseButton(s_Window, 2, true));
  Frame();
  ASSERT_TRUE(Win32InjectMouseButton(s_Window, 2, false));
  SettleLong();
  EXPECT_EQ(Screen()->Capturing, 0);
  EXPECT_EQ(Binding(STANCE, 0), KeyBindingOf(kC));
  EXPECT_EQ(Binding(STANCE, 1), MakeBinding(BINDING_JOY_BUTTON, 1));
  EXPECT_EQ(Binding(STANCE, 2), MakeBinding(BINDING_MOUSE_BUTTON, 2));
  // Listed as a second STANCE row.
  const std::vector<ListRow> rows = Rows();
  ASSERT_EQ(rows.size(), 9u);
  EXPECT_EQ(rows[8].action, STANCE);
  EXPECT_EQ(rows[8].binding, MakeBinding(BINDING_MOUSE_BUTTON, 2));
}

TEST_F(KeyBindScreen, BackspaceRemovesTheSelectedBindingAndNothingOnAnUnboundRow) {
  PressLong("Backspace");
  EXPECT_EQ(Binding(FORWARD, 0), kNoBinding);
  EXPECT_EQ(Binding(FORWARD, 1), MakeBinding(BINDING_JOY_AXIS, 0));  // the unlisted pad binding stays
  std::vector<ListRow> rows = Rows();
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(rows[0].action, FORWARD);
  EXPECT_EQ(rows[0].binding, kNoBinding);
  PressLong("Backspace");
  EXPECT_EQ(Rows().size(), 8u);
  EXPECT_EQ(Binding(BACKWARD, 0), MakeBinding(BINDING_KEY, 31));
  // On the second of two rows of an action the selection moves up to the first.
  ASSERT_NO_FATAL_FAILURE(SelectAction(STANCE));
  g_ControlMapper->SetBinding(0, 2, STANCE, KeyBindingOf(kP));
  Screen()->BuildList(true);
  PressLong("Down");
  ASSERT_EQ(Screen()->List->Selection, 8);
  PressLong("Backspace");
  EXPECT_EQ(Binding(STANCE, 2), kNoBinding);
  EXPECT_EQ(Screen()->List->Selection, 7);
  EXPECT_EQ(SelectedAction(), STANCE);
}

TEST_F(KeyBindScreen, TabMovesTheFocusAndTheDefaultsButtonBringsTheFileBack) {
  Capture("Q");
  ASSERT_EQ(Binding(FORWARD, 0), KeyBindingOf(kQ));
  g_ControlMapper->SetBinding(0, 2, FORWARD, KeyBindingOf(kP));  // a slot the file leaves free
  PressLong("Tab");
  EXPECT_EQ(Screen()->Menu->SelectedId, CKeyBindMenu::kDefaultsItem);
  // Enter on the button loads the defaults; it does not capture.
  PressLong("Return");
  EXPECT_EQ(Screen()->Capturing, 0);
  EXPECT_EQ(Binding(FORWARD, 0), KeyBindingOf(kW));
  EXPECT_EQ(Binding(FORWARD, 2), kNoBinding);
  EXPECT_EQ(Rows()[0].binding, KeyBindingOf(kW));
  // Backspace while the button has the focus removes nothing.
  PressLong("Backspace");
  EXPECT_EQ(Binding(FORWARD, 0), KeyBindingOf(kW));
  PressLong("Tab");
  EXPECT_EQ(Screen()->Menu->SelectedId, CKeyBindMenu::kPageItem);
}

TEST_F(KeyBindScreen, MissingDefaultsFileLeavesTheBindingsAsTheyAre) {
  Capture("Q");
  fs::remove(folder_ / "default.key");
  PressLong("Tab");
  PressLong("Return");
  EXPECT_EQ(Binding(FORWARD, 0), KeyBindingOf(kQ));
  EXPECT_EQ(Binding(BACKWARD, 0), MakeBinding(BINDING_KEY, 31));
}

TEST_F(KeyBindScreen, BackWritesCurrentKeyThatAMapperReadsBack) {
  Capture("Q");
  ASSERT_FALSE(fs::exists(folder_ / "current.key"));
  PressLong("Escape");
  EXPECT_EQ(ScreenId, 31);
  const std::string written = ReadWrittenFile(folder_ / "current.key");
  EXPECT_NE(written.find("FORWARD,0=KEY_Q\r\n"), std::string::npos);
  CControlMapper reread;
  ASSERT_TRUE(reread.Init(1, 3, 80));
  ASSERT_TRUE(reread.LoadBindings("default.key", 0));
  ASSERT_TRUE(reread.LoadBindings("current.key", 0));
  for (int s = 0; s < 3; ++s)
    for (int a = 0; a < kInputActionCount; ++a) EXPECT_EQ(reread.GetBinding(0, s, a), Binding(a, s)) << a;
}

TEST_F(KeyBindScreen, TheCapturedRowIsDrawnInTheCaptureColourUntilTheKeyArrives) {
  auto captureInk = [&] {
    const CKeyBindMenu* screen = Screen();
    const PixelBox right{static_cast<int>((screen->OuterBox.x1 + screen->OuterBox.x2) / 2),
                         static_cast<int>(screen->InnerBox.y1), static_cast<int>(screen->InnerBox.x2),
                         static_cast<int>(screen->InnerBox.y2)};
    return Count([](std::uint32_t c) { return Near(c, 0xFFFF8080, 24); }, right);
  };
  Frame();
  EXPECT_EQ(captureInk(), 0);
  PressLong("Return");
  EXPECT_GT(captureInk(), 20);
  PressLong("Q");
  EXPECT_EQ(captureInk(), 0);
}

TEST_F(KeyBindScreen, EveryRowShowsTheActionNameAndItsBindingInTheTwoColumns) {
  Frame();
  const CKeyBindMenu* screen = Screen();
  CScreenMenu* list = screen->List;
  const int mid = static_cast<int>(screen->OuterBox.x1 + (screen->OuterBox.x2 - screen->OuterBox.x1) * 0.5f);
  for (int r = 0; r < list->RowsShown(); ++r) {
    int index = 0, x = 0, y = 0;
    ASSERT_TRUE(list->RowPosition(r, &index, &x, &y));
    const PixelBox left{x, y, mid - 1, y + list->ItemHeight - 1};
    const PixelBox right{mid, y, static_cast<int>(screen->InnerBox.x2), y + list->ItemHeight - 1};
    EXPECT_GT(Count(Yellowish, left) + Count(Whitish, left), 10) << "row " << r;
    EXPECT_GT(Count(Yellowish, right) + Count(Whitish, right), 10) << "row " << r;
  }
  // The page's eighth row waits below: the list scrolls.
  EXPECT_LT(list->RowsShown(), list->Count);
}

TEST_F(KeyBindScreen, EveryTextIdOfTheScreenIsInTheStringFiles) {
  for (int r = 0; r < kBindableActionCount; ++r)
    EXPECT_NE(g_Locale->GetString(kBindableActions[r].nameId), nullptr) << std::hex << kBindableActions[r].nameId;
  for (std::uint32_t id : kTextKeyBindPages) EXPECT_NE(g_Locale->GetString(id), nullptr) << std::hex << id;
  for (std::uint32_t id : {kTextKeyBindTitle, kTextKeyBindActionHeading, kTextKeyBindBindingHeading,
                           kTextKeyBindDefaults})
    EXPECT_NE(g_Locale->GetString(id), nullptr) << std::hex << id;
  EXPECT_EQ(kBindableActions[kBindableActionCount].action, kNoAction);
}

}  // namespace
