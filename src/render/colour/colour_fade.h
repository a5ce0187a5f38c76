// A timed linear fade of a colour towards a target value, stepped once per
// frame (light colours of the scene's light table).
#pragma once

#include "render/colour/colour.h"

class CColourFade {
 public:
  CColour* Target = nullptr;  // the colour being faded; null when idle
  CColour Value;              // where it is going
  CColour Rate;               // change per second of each component
  float TimeLeft = 0.0f;

  // Fades colour to value over duration seconds; a duration of 0 or less
  // sets the value at once and leaves the fade idle.
  void Start(const CColour& value, CColour* colour, float duration);
  // Makes the fade idle (the colour stays where it is).
  void Clear() { Target = nullptr; }
  // Moves the colour by elapsed seconds; on reaching the end it takes the
  // target value and the fade becomes idle.  Answers 1 when idle, else 0.
  int Update(float elapsed);
};
