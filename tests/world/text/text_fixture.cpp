#include "world/text/text_fixture.h"

#include <algorithm>
#include <cstring>

#include "foundation/memory/memory_manager.h"

namespace text_test {

FixedFont::FixedFont(CRender* render, CCamera* camera) : sprites(render, camera, nullptr) {
  // One sprite, owned by the set (freed with it).
  sprites.Header = MEM_NEW(MEMCAT_GAME) SpriteFileHeader{};
  sprites.Header->SpriteCount = 1;
  sprites.Sprites = MEM_NEW(MEMCAT_GAME) SpriteRecord[1];
  sprites.Sprites[0] = SpriteRecord{0, nullptr, 0, 0, 0, kGlyphWidth, kGlyphHeight, 0, -kGlyphRise};
  sprites.SpriteUVs = MEM_NEW(MEMCAT_GAME) SpriteUV[1];
  sprites.SpriteUVs[0] = SpriteUV{0.0f, 0.0f, 1.0f, 1.0f};
  std::fill(std::begin(map), std::end(map), kNoGlyph);
  for (int c = 33; c < 127; ++c) map[c] = 0;
  font.Init(&sprites, 32, 127, kGlyphWidth, 0);
}

void SetClock(CTimer& clock, std::uint32_t now, float dt) {
  CTimer::State s{};
  clock.SaveState(&s);
  s.running = 1;
  s.gameTime = now;
  s.frameTime = dt;
  s.frameTimeMs = static_cast<std::uint32_t>(dt * 1000.0f + 0.5f);
  clock.RestoreState(s);
}

std::vector<DrawnQuad> TextDeviceTest::Quads() const {
  std::vector<DrawnQuad> out;
  for (const D3D8Call& c : Calls("DrawPrimitiveUP")) {
    if (c.args.size() < 3 || c.args[2] != sizeof(ScreenVertex) || c.data.size() < 4 * sizeof(ScreenVertex)) continue;
    ScreenVertex v[4];
    std::memcpy(v, c.data.data(), sizeof v);
    out.push_back({v[0].x, v[0].y, v[2].x, v[2].y, v[0].Diffuse});
  }
  return out;
}

}  // namespace text_test
