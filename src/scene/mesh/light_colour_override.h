// The mesh renderer's light colour override: while set, every lit mesh part
// takes the override (r, g, b, a) as the colour its lights light in place of
// its vertex colours, which tints the whole lit scene in one colour (the
// night-vision look).  The game sets it before drawing the world and resets
// it after.  Main thread only.
#pragma once

struct D3DMATERIAL8;
class CRender;

void SetMeshLightColourOverride(float r, float g, float b, float a);
void ResetMeshLightColourOverride();
// True while set; the colour into out[4] when out is given.
bool GetMeshLightColourOverride(float* out);

// The mesh draw's material step: with the override set, a material of the
// override's diffuse and ambient (the part's specular and emissive) becomes
// the lit colour's source; without it the vertices are the source again and
// the part's own material (or, after an overridden draw, the render
// object's default for a part without one) is set.
void ApplyMeshMaterial(CRender* render, const D3DMATERIAL8* material);
