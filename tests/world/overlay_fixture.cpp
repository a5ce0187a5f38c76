#include "world/overlay_fixture.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace overlay_test {

void OverlayDeviceTest::SetUpTestSuite() {
  setenv("GALLIUM_DRIVER", "softpipe", 0);
  RenderDeviceTest::SetUpTestSuite();
}

void OverlayDeviceTest::SetUp() {
  RenderDeviceTest::SetUp();
  camera_.SetProjection(90.0f, 1.0f, 20000.0f);
  camera_.SetView({0, 0, 0}, {0, 0, 0});
  camera_.UpdateFrustum();
  CCamera::SetCurrentCamera(&camera_);
}

void OverlayDeviceTest::TearDown() {
  D3D8TestRecordCalls(g_Device, false);
  CCamera::SetCurrentCamera(nullptr);
}

std::vector<Draw> OverlayDeviceTest::Draws() const { return DecodeUserDraws(Calls("DrawPrimitiveUP")); }

std::vector<Draw> OverlayDeviceTest::WorldLines() const {
  std::vector<Draw> lines;
  for (const Draw& d : Draws())
    if (d.type == static_cast<std::uint64_t>(D3DPT_LINELIST) && !d.vertices.empty()) lines.push_back(d);
  return lines;
}

std::vector<std::uint64_t> OverlayDeviceTest::StateSets(D3DRENDERSTATETYPE state) const {
  std::vector<std::uint64_t> values;
  for (const D3D8Call& c : Calls("SetRenderState"))
    if (c.args[0] == static_cast<std::uint64_t>(state)) values.push_back(c.args[1]);
  return values;
}

bool Near(const DebugVertex& v, const CVector3& p, float tolerance) {
  return std::fabs(v.x - p.x) <= tolerance && std::fabs(v.y - p.y) <= tolerance && std::fabs(v.z - p.z) <= tolerance;
}

}  // namespace overlay_test
