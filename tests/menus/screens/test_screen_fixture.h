// A menu screen for tests: a vertical (or horizontal) standard menu of three
// buttons and a slider (and optionally a text entry) with the standard looks, placed by PlaceMenu under a
// title, drawn with its panel frame; its menu answers the checks the test
// gives it.  Every operation the manager calls is counted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "menus/screens/menu_screen.h"

class CMenuEditItem;
class CMenuSliderItem;

class CTestScreen : public CMenuScreen {
 public:
  explicit CTestScreen(int orientation = 1) : orientation_(orientation) {}

  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override { calls.push_back("enter"); }
  void OnLeave(int next) override { calls.push_back("leave " + std::to_string(next)); }
  bool ZoomsIn(int) override { return zoomsIn; }
  bool ZoomsOut(int) override { return zoomsOut; }
  bool DimsGreenOnLeave(int) override { return dimGreen; }
  bool DimsRedOnLeave(int) override { return dimRed; }

  // The checks the menu is given (accept, previous, next, decrease, increase).
  void SetChecks(MenuInputCheck accept, MenuInputCheck previous, MenuInputCheck next, MenuInputCheck decrease,
                 MenuInputCheck increase);

  std::vector<std::string> calls;
  bool zoomsIn = true, zoomsOut = true, dimGreen = false, dimRed = false;
  int fadeStep = 10;
  int updateResult = 0;   // answered by Update besides the menu's id
  std::uint16_t lastId = 0;  // the menu's last answer
  std::uint32_t title;
  int largeMargin = 0;
  CMenuSliderItem* slider = nullptr;
  // With a fifth item: a text entry (id 105) over `text`.
  bool withEdit = false;
  CMenuEditItem* edit = nullptr;
  char text[16] = "AB";

 private:
  int orientation_;
  MenuInputCheck checks_[5] = {};
};
