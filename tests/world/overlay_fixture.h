// Shared set-up of the developer overlay tests: the started render object,
// a camera at the origin looking along +z, and the draws read back from the
// device's call log.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/debug/debug_draw.h"
#include "render/device/render.h"
#include "render/geometry/camera.h"
#include "render/render_fixture.h"

namespace overlay_test {

// One user-memory draw: primitive type, primitive count and its vertices.
using Draw = RecordedDraw;

class OverlayDeviceTest : public RenderDeviceTest {
 protected:
  // Starts the suite's device on the software GL without its code generator:
  // once the generator has compiled line drawing, the leak checker cannot
  // walk the thread-local storage it leaves at exit and fails the run.
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  std::vector<Draw> Draws() const;
  // The world line draws (line lists of world vertices).
  std::vector<Draw> WorldLines() const;
  // The values a render state was set to, in order.
  std::vector<std::uint64_t> StateSets(D3DRENDERSTATETYPE state) const;

  CCamera camera_;
};

// Whether a and b are within tolerance in every coordinate.
bool Near(const DebugVertex& v, const CVector3& p, float tolerance = 0.01f);

}  // namespace overlay_test
