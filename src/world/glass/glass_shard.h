// One triangular piece of a shattered pane: a record of the glass set's
// shard pool with its own fixed mesh of 18 vertices and 8 triangles, made
// once when the pool is made so that shattering allocates nothing.  The
// shard flies off along the pane normal, falls, spins, bounces on its
// pane's floor height and is freed when a bounce is too slow.  Main thread
// only.
//
// Frame: the shard's local space has the pane's plane coordinates (u, v)
// in x and y around the shard's origin and the pane normal in z (the back
// face at z = thickness).  Row vectors: world = local x spin about z x
// orientation + position.  Angles in degrees, speeds in units per second.
#pragma once

#include <cstdint>

#include "render/geometry/matrix.h"
#include "render/geometry/vector3.h"
#include "scene/mesh/vertex_buffer.h"

class GlassPane;

// Vertices and triangles of a shard's mesh: 0-2 the front triangle, 3-5 the
// back one, 6-17 the three side quads.
constexpr int kGlassShardVertices = 18;
constexpr int kGlassShardTriangles = 8;
extern const std::uint16_t kGlassShardIndices[kGlassShardTriangles * 3];

// Downward acceleration (units per second squared) and the slowest bounce
// (units per second upwards) a shard survives.
constexpr float kGlassGravity = 980.0f;
constexpr float kGlassSlowestBounce = 50.0f;

struct GlassShard {
  float Corners[3][2] = {};  // plane coordinates (u, v); around the origin once finished
  CVector3 Position{};       // world position of the origin
  CMatrix Orientation{};     // local axes in world space, rotation only
  float PushFactor = 0.0f;   // speed along the pane normal
  float FallSpeed = 0.0f;    // downwards; negative while rising
  float Spin[3] = {};        // about local x, about local y, and the spin angle's speed
  float SpinAngle = 0.0f;    // about local z, wrapped into [0, 360)
  std::int32_t Owner = -1;   // pane index, -1 when free
  CVertexBuffer Mesh;

  // Builds the 18-vertex, 8-triangle mesh with the fixed index list; false
  // when the mesh part cannot be made.
  bool MakeMesh();
  // The world matrix (spin, orientation, position).
  void WorldMatrix(CMatrix* out) const;
  // The three corners in world space.
  void WorldCorners(CVector3 out[3]) const;
  // Writes the 18 vertices for the pane's colour and thickness: front and
  // back faces, and each side quad with its outward normal.
  void WriteVertices(const GlassPane& pane);
  // One step of t seconds; false when the step freed the shard (a bounce
  // slower than 50 units per second).  `normal` is the pane normal, `floor`
  // the height the shard bounces on.
  bool Step(float t, const CVector3& normal, float floor);
};
