// Small utilities of the renderer: the gloss-map state that mesh lighting
// reads, and the float and character comparisons of the texture manager.
#pragma once

struct IDirect3DBaseTexture8;

// The gloss normalisation texture and the two values instance drawing sets
// before each instance.  Zero at program start; level start-up stores the
// texture named "GlossMapNorm".
struct GlossMapState {
  IDirect3DBaseTexture8* Texture;
  float A;
  float B;

  void Clear();
  void SetTexture(IDirect3DBaseTexture8* texture) { Texture = texture; }
  void SetParameters(float a, float b);
};

extern GlossMapState g_GlossMapState;

// |a - b| at most 7.6e-6.
bool FloatsNearlyEqual(float a, float b);
// The four components pairwise nearly equal.
bool Vector4NearlyEqual(const float* p, const float* q);
// a == b exactly.
bool FloatsExactlyEqual(float a, float b);
// a to z or A to Z.
bool IsLetter(int c);
// 0 to 9.
bool IsDigit(int c);
