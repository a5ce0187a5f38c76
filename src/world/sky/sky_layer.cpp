#include "world/sky/sky_layer.h"

#include <algorithm>
#include <cmath>

#include "render/device/render.h"
#include "render/textures/texture.h"
#include "world/sky/sky_settings.h"

namespace {
constexpr float kHalfPi = 1.5707963f;
constexpr float kStep = 1.0f / kSkyGridSide;
}  // namespace

void CSkyLayer::Set(CTexture* texture, const SkyLayerSettings& settings, float scale, float d) {
  Texture = texture;
  TileFactor = settings.TileFactor;
  FixedY = settings.FixedY;
  for (int k = 0; k < 3; ++k) {
    Speed[k] = settings.Speed[k];
    Offset[k] = 0.0f;
  }
  Curvature = settings.Curvature;
  Height = settings.Height;
  HalfSize = (0.5f * d + 4.0f * d) * scale;

  for (int row = 0; row < kSkyGridSide; ++row) {
    for (int column = 0; column < kSkyGridSide; ++column) {
      const float x = (static_cast<float>(column) - 3.5f) * d;
      const float z = (static_cast<float>(row) - 3.5f) * d;
      // How far out the vertex lies, 0 at the middle to 1 at four fog stops.
      float c = d > 0.0f ? (std::sqrt(x * x + z * z) + 0.5f * d) / (4.0f * d) : 0.0f;
      c = std::clamp(c, 0.0f, 1.0f);
      SkyVertex& v = Vertices[row * kSkyGridSide + column];
      v.x = x * scale;
      v.z = z * scale;
      v.y = std::sin((1.0f - c * Curvature) * kHalfPi) * Height;
      v.Colour = 0xFFFFFFFF;
      v.u = static_cast<float>(column) * TileFactor * kStep;
      v.v = static_cast<float>(row) * TileFactor * kStep;
    }
  }
  VertexCount = kSkyLayerVertices;

  // Row r runs down the columns alternating between rows r and r + 1; the
  // last index of a row and the first of the next are repeated, which gives
  // the degenerate triangles that carry the strip to the next row.
  int n = 0;
  for (int row = 0; row + 1 < kSkyGridSide; ++row) {
    if (row > 0) Indices[n++] = static_cast<std::uint16_t>(row * kSkyGridSide);
    for (int column = 0; column < kSkyGridSide; ++column) {
      Indices[n++] = static_cast<std::uint16_t>(row * kSkyGridSide + column);
      Indices[n++] = static_cast<std::uint16_t>((row + 1) * kSkyGridSide + column);
    }
    if (row + 2 < kSkyGridSide) Indices[n++] = static_cast<std::uint16_t>((row + 1) * kSkyGridSide + kSkyGridSide - 1);
  }
  IndexCount = n;
}

void CSkyLayer::Scroll(float seconds) {
  if (VertexCount == 0) return;
  for (int k = 0; k < 3; ++k) Offset[k] += Speed[k] * seconds;
  // Only the fractional parts matter to a wrapping texture; keeping the
  // offset small keeps its precision over a long mission.
  for (float& o : Offset) o -= std::floor(o);
  const float step = TileFactor * kStep;
  for (int row = 0; row < kSkyGridSide; ++row) {
    for (int column = 0; column < kSkyGridSide; ++column) {
      SkyVertex& v = Vertices[row * kSkyGridSide + column];
      v.u = Offset[0] + static_cast<float>(column) * step;
      v.v = Offset[2] + static_cast<float>(row) * step;
    }
  }
}

int CSkyLayer::BlendMode() const { return Texture != nullptr && Texture->HasAlpha == 1 ? 1 : 3; }

void CSkyLayer::Draw(CRender* render) const {
  if (render == nullptr || VertexCount == 0) return;
  render->SetBlendMode(BlendMode());
  render->SetTexture(0, Texture != nullptr ? Texture->DeviceTexture : nullptr);
  render->SetVertexFormat(kSkyVertexFormat);
  render->DrawIndexedStripUP(static_cast<DWORD>(IndexCount - 2), static_cast<DWORD>(VertexCount), Vertices, Indices,
                             sizeof(SkyVertex));
}
