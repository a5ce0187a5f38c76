// Stencil shadow volumes.  For one light at a time, the edges where a mesh
// turns from facing the light to facing away (its silhouette) are extruded
// 9000 units along the light's direction into quads; the quads go into the
// stencil buffer in two passes (render modes 9 and 10: front faces count
// up, back faces down, where they lie in front of the scene), which leaves
// 1 or more exactly on the pixels inside a volume; once a frame a black
// screen quad darkens those pixels by the time of day's shadow strength.
// Nothing is drawn unless the render device has stencil shadows (its shadow
// level and the mode's stencil bits).  Main thread only.
//
// The light vector is the direction the light travels, in the space of the
// mesh whose volume is built (y up, world units).
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8.h"
#include "render/geometry/matrix.h"
#include "render/geometry/vector3.h"

class CRender;
class CSkin;
class CVertexBuffer;
struct RenderVertex;

constexpr float kShadowExtrusion = 9000.0f;
// A volume stops growing at this many quads (4 vertices, 6 indices each).
constexpr int kShadowMaxQuads = 800;
constexpr DWORD kShadowVertexFormat = 0x002;  // positions only, 12-byte stride
constexpr DWORD kShadowDepthBias = 4;
constexpr int kShadowMaxAlpha = 96;
constexpr float kShadowSunrise = 5.0f;
constexpr float kShadowPaleFactor = 0.75f;
// Below this strength no light direction is given (no shadow).
constexpr float kShadowMinStrength = 0.08f;
// A directional light lower than this (degrees) casts as if at this pitch.
constexpr float kShadowMinPitch = 15.0f;
// The fixed direction the override switch puts in place of every light.
inline constexpr CVector3 kShadowOverrideDirection{0.577f, -0.577f, 0.577f};

// Whether the device draws stencil shadows: a shadow level other than 0 and
// stencil bits in the chosen mode.
bool ShadowsSupported(const CRender* render);

// The light vector for the next volumes (the override direction instead
// while the override switch is on); also what queued shadows carry.
void ShadowsSetLightPosition(const CVector3& lightVector);
CVector3 ShadowsGetLightDirection();
void ShadowsSetOverride(bool on);
// Prints a line for each shadowed face whose second edge's neighbour is in shadow too.
void ShadowsSetDebug(bool on);

// Shadow strength 0..1 from the current sky's hour h and the sunrise 5.0:
// before noon 0 before sunrise, else 1 - (12 - h) / 7; from noon
// 1 - min(h - 12, 6) / 6; times 0.75 with the sky's pale-shadows flag.
// Noon without a sky.
float ShadowsGetStrength();
// The direction of light `light` of the current light table in the space
// whose inverse world matrix is given: a directional light's pitch (at
// least 15 degrees) and yaw turned into a direction and rotated; a point
// or spot light's position carried into that space and negated.
// Normalised unless zero.  0 (nothing written) when the strength is below
// 0.08 or there is no such light; else 1.
int ShadowsLocalLightDirection(int light, CVector3* out, const CMatrix& inverseWorld);

// The quads of a rigid part (faces built by CShadowMesh) for the light
// vector: each face whose normal . light <= 0 faces the light; each of its
// edges whose neighbour exists and faces away gives a quad from the edge's
// second end, its first end and both moved by light x 9000.  Answers the
// quad count (0 without faces).
int ShadowsBuildVolume(CVertexBuffer* part);
// The same for a deformed skin (vertices: the current deformed buffer),
// with each face's unnormalised normal taken from the deformed positions
// and a face facing the light when normal . light < 0 (the mark goes into
// the face's flag byte).
int ShadowsBuildSkinVolume(CSkin* skin, const CVector3& lightVector, const RenderVertex* vertices);
// Draws the quads built last for that skin (the world matrix is the
// caller's): both stencil passes.
void ShadowsDrawSkinVolume(CSkin* skin);
// The transparent queue's draw of a queued shadow: builds the part's volume
// for the light the item carries and draws both passes with depth bias 4,
// then the part's own triangles once more (cull mode 3, render mode 10
// still in force) so that its visible faces count themselves out.
void ShadowsDrawVolumes(CVertexBuffer* part, const CVector3& lightVector);
// Once a frame after the scene: the viewport darkened with black at alpha
// strength x 96 wherever the stencil value is 1 or more.
void ShadowsDarkenScreen();

// The quads built last: their count, their vertices (4 a quad) and indices (6 a quad).
int ShadowsQuadCount();
const CVector3* ShadowsQuadVertices();
const std::uint16_t* ShadowsQuadIndices();
// Quads drawn since the start (statistics).
std::uint32_t ShadowsQuadsDrawn();
