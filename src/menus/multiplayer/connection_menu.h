// The connection screen (ScreenId 46): a host names its session and port; a
// joining player connects to an address or searches the local network.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

class CConnectionMenu : public CMenuScreen {
 public:
  enum : std::uint16_t { kSessionRow = 3101, kPortRow = 3102, kAddressRow = 3103, kSearchRow = 3104 };
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override { Populate(); }
};
