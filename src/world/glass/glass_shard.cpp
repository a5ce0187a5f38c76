#include "world/glass/glass_shard.h"

#include <cmath>

#include "foundation/maths/random_tables.h"
#include "render/geometry/geometry_ops.h"
#include "render/geometry/render_vertex.h"
#include "world/glass/glass_pane.h"

using geom::operator+;
using geom::operator*;

const std::uint16_t kGlassShardIndices[kGlassShardTriangles * 3] = {
    2, 1, 0, 5, 4, 3, 8, 7, 6, 9, 8, 6, 12, 11, 10, 13, 12, 10, 16, 15, 14, 17, 16, 14};

namespace {

float Wrap360(float degrees) {
  degrees = std::fmod(degrees, 360.0f);
  return degrees < 0.0f ? degrees + 360.0f : degrees;
}

}  // namespace

bool GlassShard::MakeMesh() {
  Mesh.Free();
  // Placeholder vertices that differ in u, so that the builder keeps all 18
  // apart; Shatter writes the real ones.
  for (int k = 0; k < kGlassShardVertices; ++k) {
    const RenderVertex v{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0xFFFFFFFFu, static_cast<float>(k), 0.0f};
    if (Mesh.AddVertex(v) != k) return false;
  }
  for (std::uint16_t index : kGlassShardIndices)
    if (!Mesh.PushIndex(index)) return false;
  Mesh.Flags |= MESHPART_ALWAYS_QUEUED;
  return Mesh.Finish(false);
}

void GlassShard::WorldMatrix(CMatrix* out) const {
  CMatrix spin;
  spin.SetIdentity();
  spin.RotateZ(SpinAngle);
  MatrixMultiply(out, spin, Orientation);
  out->m[3][0] = Position.x;
  out->m[3][1] = Position.y;
  out->m[3][2] = Position.z;
  out->m[3][3] = 1.0f;
  out->TypeFlags = MATF_ROTATION | MATF_TRANSLATION;
}

void GlassShard::WorldCorners(CVector3 out[3]) const {
  CMatrix world;
  WorldMatrix(&world);
  for (int k = 0; k < 3; ++k) world.TransformPoint(CVector3{Corners[k][0], Corners[k][1], 0.0f}, &out[k]);
}

void GlassShard::WriteVertices(const GlassPane& pane) {
  RenderVertex* v = Mesh.LockVertices();
  if (v == nullptr) return;
  const std::uint32_t colour = pane.ColourWord();
  const float t = pane.Thickness;
  auto set = [&](int i, float x, float y, float z, float nx, float ny, float nz) {
    v[i] = RenderVertex{x, y, z, nx, ny, nz, colour, 0.0f, 0.0f};
  };
  for (int k = 0; k < 3; ++k) {
    set(k, Corners[k][0], Corners[k][1], 0.0f, 0.0f, 0.0f, 1.0f);
    set(3 + k, Corners[k][0], Corners[k][1], t, 0.0f, 0.0f, -1.0f);
  }
  // Side k joins corner k to corner k + 1.  Its normal is perpendicular to
  // the edge in the plane, turned away from the origin (the corners'
  // average, which lies inside the triangle).
  for (int k = 0; k < 3; ++k) {
    const float* a = Corners[k];
    const float* b = Corners[(k + 1) % 3];
    float nx = b[1] - a[1], ny = -(b[0] - a[0]);
    if (nx * (a[0] + b[0]) + ny * (a[1] + b[1]) < 0.0f) nx = -nx, ny = -ny;
    const float length = std::sqrt(nx * nx + ny * ny);
    if (length > 0.0f) nx /= length, ny /= length;
    const int base = 6 + 4 * k;
    set(base + 0, a[0], a[1], 0.0f, nx, ny, 0.0f);
    set(base + 1, b[0], b[1], 0.0f, nx, ny, 0.0f);
    set(base + 2, b[0], b[1], t, nx, ny, 0.0f);
    set(base + 3, a[0], a[1], t, nx, ny, 0.0f);
  }
  Mesh.UnlockVertices();
}

bool GlassShard::Step(float t, const CVector3& normal, float floor) {
  // The first corner below the floor lifts the shard back onto it and
  // bounces it: the fall speed turns upwards, scaled by 0..0.5; a bounce
  // slower than 50 units per second ends the shard.  The spins turn back,
  // scaled by 0..1.3.
  CVector3 corners[3];
  WorldCorners(corners);
  for (const CVector3& c : corners) {
    if (c.y >= floor) continue;
    Position.y += floor - c.y;
    FallSpeed = -RandomFloat(0.5f) * FallSpeed;
    if (FallSpeed > -kGlassSlowestBounce) {
      Owner = -1;
      return false;
    }
    for (float& s : Spin) s = -RandomFloat(1.3f) * s;
    break;
  }
  // Tumble about the local x and y axes; the spin angle turns about z.
  CMatrix turn, turned;
  turn.SetIdentity();
  turn.RotateX(t * Spin[0]);
  turn.RotateY(t * Spin[1]);
  MatrixMultiply(&turned, turn, Orientation);
  turned.TypeFlags = MATF_ROTATION;
  Orientation = turned;
  SpinAngle = Wrap360(SpinAngle + t * Spin[2]);
  // Fly along the pane normal and fall: x += n t push; y -= t v; v += 980 t.
  Position = Position + normal * (t * PushFactor);
  Position.y -= t * FallSpeed;
  FallSpeed += kGlassGravity * t;
  return true;
}
