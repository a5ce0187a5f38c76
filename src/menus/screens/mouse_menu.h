// The mouse screen (ScreenId 32): local player 0's sideways and up-down
// mouse speeds (sliders over the mouse divisors: a higher position is a
// smaller divisor, the quicker response), the inverted pitch and the squared
// response.  Back to the controls screen.  Laid out when the front end's
// screens are populated; entering keeps that layout.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

class CMouseMenu : public CMenuScreen {
 public:
  enum : std::uint16_t { kSpeedXRow = 4071, kSpeedYRow = 4072, kInvertRow = 4073, kSquaredRow = 4074 };

  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
};

// A mouse divisor (100 quickest .. 300 slowest) as a slider position
// (100 .. 0), and back.
int MouseDivisorToSlider(float divisor);
float SliderToMouseDivisor(int value);
