// The controls screen (ScreenId 31): the key bindings row and the mouse
// row; back to the options.  Laid out when the front end's screens are
// populated; entering keeps that layout.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

class CControllerMenu : public CMenuScreen {
 public:
  enum : std::uint16_t { kKeyBindingsRow = 2071, kMouseRow = 2072 };

  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
};
