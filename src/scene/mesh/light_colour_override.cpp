#include "scene/mesh/light_colour_override.h"

#include "render/device/render.h"

namespace {

bool g_overrideOn = false;
float g_override[4] = {1.0f, 1.0f, 1.0f, 1.0f};
// The lit colour's sources were switched to the material by an overridden draw.
bool g_sourcesTaken = false;

}  // namespace

void SetMeshLightColourOverride(float r, float g, float b, float a) {
  g_override[0] = r;
  g_override[1] = g;
  g_override[2] = b;
  g_override[3] = a;
  g_overrideOn = true;
}

void ResetMeshLightColourOverride() { g_overrideOn = false; }

bool GetMeshLightColourOverride(float* out) {
  if (out != nullptr)
    for (int i = 0; i < 4; ++i) out[i] = g_override[i];
  return g_overrideOn;
}

void ApplyMeshMaterial(CRender* render, const D3DMATERIAL8* material) {
  if (render == nullptr) return;
  if (!g_overrideOn) {
    if (g_sourcesTaken) {
      // The lit colour comes from the vertices again.
      render->SetRenderStateCached(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
      render->SetRenderStateCached(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
      g_sourcesTaken = false;
      if (material == nullptr) render->ApplyDefaultMaterial();
    }
    if (material != nullptr) render->SetMaterial(material);
    return;
  }
  // The override is the colour the lights light: it stands for the
  // vertices' colours as the diffuse and ambient source; the part's own
  // specular and emissive stay.
  D3DMATERIAL8 tinted{};
  if (material != nullptr) tinted = *material;
  const D3DCOLORVALUE colour{g_override[0], g_override[1], g_override[2], g_override[3]};
  tinted.Diffuse = colour;
  tinted.Ambient = colour;
  render->SetMaterial(&tinted);
  render->SetRenderStateCached(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  render->SetRenderStateCached(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
  g_sourcesTaken = true;
}
