// The key-binding screen (ScreenId 33), reached from the controls screen:
// local player 0's bindings of the bindable actions over four pages, one list
// row per binding an action has (one "unbound" row for an action without
// any).  Enter on a row captures a new binding from the keyboard, a joystick
// (cheat mode only) or the mouse, as the action allows; Backspace removes the
// row's binding; the defaults button reads "default.key" again; Tab moves
// the focus between the page choice and the defaults button.  Back writes
// "current.key" and returns to the controls screen.
//
// While a capture runs the keys belong to it: neither menu moves, and back
// does not leave.  The screen's own keys (cursor keys, Tab, F1) restart the
// capture; Escape ends it and the row keeps its binding.
// Main thread only.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

class CKeyBindMenu : public CMenuScreen {
 public:
  enum : std::uint16_t { kPageItem = 4081, kDefaultsItem = 4082, kFirstListRow = 4291 };
  // The row value of an action listed without a binding (slot 0xFFFF).
  static constexpr std::uint32_t kUnboundSlot = 0xFFFF;
  // Rows the list can hold: three slots for each of the 15 actions of the longest page.
  static constexpr int kListCapacity = 45;

  ~CKeyBindMenu() override;
  bool Create() override;
  void Destroy() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override;
  std::uint32_t GetRightHintTextId() override;
  // The main menu's style, and the list's (the interface font).
  void SetMenuStyle(CFont* font, CSpriteRender* sprites, const CSoundBank* bank) override;
  // For the list menu what SetMenuStyle does for the main menu.
  virtual void SetListStyle(CFont* font, CSpriteRender* sprites, const CSoundBank* bank);

  // The page the choice shows now.
  int ChosenPage() const;
  // Rebuilds the list for the chosen page; without keep nothing happens when
  // that page is already shown; with keep the scroll and selection stay.
  void BuildList(bool keep);
  // A list row's table row and binding slot (kUnboundSlot: none).
  static int RowOf(std::uint32_t value) { return static_cast<int>(value & 0xFFFF); }
  static int SlotOf(std::uint32_t value) { return static_cast<int>(value >> 16); }

  CScreenMenu* List = nullptr;
  // The page the list shows (-1: none built since entry).
  std::int8_t ShownPage = -1;
  // 1 while a new binding is waited for.
  std::uint8_t Capturing = 0;
  // The list box and the box inside it, in screen pixels.
  ScreenRect OuterBox{}, InnerBox{};

 private:
  void UpdateMain();
  void UpdateList();
  void StartCapture();
  // The code the finished capture gave, or kNoBinding (also while it waits).
  std::int32_t PollCapture();
  void RemoveSelectedBinding();
  void LoadDefaults();
  void FreeList();

  // The table row the running capture is for.
  int captureRow_ = -1;
};

// The defaults button's box (x, y, width, height) as drawn and as its hit
// check uses it.
struct KeyBindButtonBox {
  float x, y, w, h;
};
KeyBindButtonBox KeyBindDefaultsButtonBox(const CKeyBindMenu& screen);
