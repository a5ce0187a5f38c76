#include "render/colour/colour_fade.h"

void CColourFade::Start(const CColour& value, CColour* colour, float duration) {
  if (duration <= 0.0f) {
    *colour = value;
    Target = nullptr;
    return;
  }
  Target = colour;
  Value = value;
  TimeLeft = duration;
  Rate.r = (value.r - colour->r) / duration;
  Rate.g = (value.g - colour->g) / duration;
  Rate.b = (value.b - colour->b) / duration;
  Rate.a = (value.a - colour->a) / duration;
}

int CColourFade::Update(float elapsed) {
  if (Target == nullptr) return 1;
  TimeLeft -= elapsed;
  if (TimeLeft > 0.0f) {
    Target->r += Rate.r * elapsed;
    Target->g += Rate.g * elapsed;
    Target->b += Rate.b * elapsed;
    Target->a += Rate.a * elapsed;
  } else {
    *Target = Value;
    Target = nullptr;
  }
  return 0;
}
