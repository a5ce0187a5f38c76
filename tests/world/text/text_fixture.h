// Shared set-up of the text tests: a bitmap font of fixed metrics made in
// memory, a game clock the test moves by hand, and, for the tests that draw,
// the started render object with helpers that read the drawn quads back
// from the device's call log.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "foundation/time/timer.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/render_fixture.h"

namespace text_test {

// Every printable character but the blank is one glyph 8 pixels wide and 10
// high standing 8 above the baseline (line height 10); a blank advances 8.
constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 10;
constexpr int kGlyphRise = 8;

class FixedFont {
 public:
  explicit FixedFont(CRender* render, CCamera* camera = nullptr);
  FixedFont(const FixedFont&) = delete;
  FixedFont& operator=(const FixedFont&) = delete;

  CSpriteRender sprites;
  std::uint16_t map[128];
  CFont font{map, 128};
};

// Sets the clock's game time (ms) and frame time (s).
void SetClock(CTimer& clock, std::uint32_t now, float dt);

// A drawn screen quad: its top-left and bottom-right corners and colour.
struct DrawnQuad {
  float x1, y1, x2, y2;
  std::uint32_t colour;
};

class TextDeviceTest : public RenderDeviceTest {
 protected:
  // The screen-space quads drawn since Record(), in order.
  std::vector<DrawnQuad> Quads() const;
};

}  // namespace text_test
