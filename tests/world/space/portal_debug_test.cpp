// The developer view of a portal on the device: its polygon, outline and
// zone links in the colours of its flags.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "foundation/text/hash.h"
#include "foundation/time/timer.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/overlay_fixture.h"
#include "world/space/portal.h"

namespace {

using overlay_test::Draw;
using overlay_test::Near;

class PortalDebug : public overlay_test::OverlayDeviceTest {
 protected:
  void SetUp() override {
    OverlayDeviceTest::SetUp();
    env_ = std::make_unique<CEnvironment>(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &clock_, nullptr);
    auto* t = new CEnvObject;
    t->TemplateKind = OTYPE_ENV;
    t->Bounds.Min = {-1, -1, -1};
    t->Bounds.Max = {1, 1, 1};
    t->Sphere.Radius = 1.0f;
    t->ObjectNameHash = HashStringNoCase("room");
    room_ = env_->AddObject(t);
  }
  void TearDown() override {
    env_.reset();
    OverlayDeviceTest::TearDown();
  }

  CTimer clock_;
  std::unique_ptr<CEnvironment> env_;
  CEnvObject* room_ = nullptr;
};

// A portal of n vertices on a circle of radius 50 in the plane z = 500.
PortalPolygon Ring(int n) {
  PortalPolygon p{};
  p.Plane[2] = 1;
  p.Plane[3] = -500;
  p.VertexCount = static_cast<std::uint32_t>(n);
  for (int k = 0; k < n; ++k)
    p.Vertices[k] = {50 * std::cos(k * 6.2831853f / n), 50 * std::sin(k * 6.2831853f / n), 500};
  return p;
}

TEST_F(PortalDebug, PortalIsFilledOutlinedAndLinkedToItsZones) {
  CEnvInstance* owner = env_->CreateInstance("owner", room_, {0, 0, 300}, {}, nullptr, 0, 0);
  CEnvInstance* target = env_->CreateInstance("target", room_, {0, 0, 800}, {}, nullptr, 0, 0);
  owner->UpdateBoundingSphere();
  target->UpdateBoundingSphere();
  Portal portal;
  portal.Init();
  portal.Build(Ring(4), owner, target, "door", 0, false);
  struct Case {
    std::uint32_t closedOneWay, duplicatePoints, fill;
  } cases[] = {{0, 0, 0x33FFFFFF}, {1, 0, 0x33FF0000}, {0, 1, 0x33FF00FF}, {1, 1, 0x33FF0000}};
  for (const Case& c : cases) {
    portal.ClosedOneWay = c.closedOneWay;
    portal.DuplicatePoints = c.duplicatePoints;
    Record();
    portal.DrawDebug();
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 4u);
    EXPECT_EQ(draws[0].type, static_cast<std::uint64_t>(D3DPT_TRIANGLEFAN));
    EXPECT_EQ(draws[0].count, 2u);
    EXPECT_EQ(draws[0].vertices[0].Colour, c.fill);
    // The outline: a closed strip in the fill's colour, opaque.
    EXPECT_EQ(draws[1].type, static_cast<std::uint64_t>(D3DPT_LINESTRIP));
    ASSERT_EQ(draws[1].vertices.size(), 5u);
    EXPECT_TRUE(Near(draws[1].vertices[4], portal.Polygon.Vertices[0]));
    EXPECT_EQ(draws[1].vertices[0].Colour, c.fill | 0xFF000000u);
    // Red to the owner's sphere, green to the target's.
    EXPECT_TRUE(Near(draws[2].vertices[0], portal.Centre));
    EXPECT_TRUE(Near(draws[2].vertices[1], owner->GetWorldSphere().Centre));
    EXPECT_EQ(draws[2].vertices[0].Colour, 0xFFFF0000u);
    EXPECT_TRUE(Near(draws[3].vertices[1], target->GetWorldSphere().Centre));
    EXPECT_EQ(draws[3].vertices[0].Colour, 0xFF00FF00u);
  }
}

TEST_F(PortalDebug, LongPortalOutlinesAreFilledInFansOfSixteen) {
  struct Case {
    int vertices;
    std::vector<std::uint64_t> fans;  // triangles of each fan
  } cases[] = {{3, {1}}, {16, {14}}, {17, {14, 1}}, {20, {14, 4}}, {32, {14, 14, 2}}};
  for (const Case& c : cases) {
    Portal portal;
    portal.Init();
    portal.Build(Ring(c.vertices), nullptr, nullptr, "wide", 0, false);
    Record();
    portal.DrawDebug();
    std::vector<std::uint64_t> fans;
    std::size_t outline = 0;
    for (const Draw& d : Draws()) {
      if (d.type == static_cast<std::uint64_t>(D3DPT_TRIANGLEFAN)) {
        fans.push_back(d.count);
        EXPECT_TRUE(Near(d.vertices[0], portal.Polygon.Vertices[0])) << "every fan starts at vertex 0";
      }
      if (d.type == static_cast<std::uint64_t>(D3DPT_LINESTRIP)) outline = d.vertices.size();
    }
    EXPECT_EQ(fans, c.fans) << c.vertices;
    EXPECT_EQ(outline, static_cast<std::size_t>(c.vertices + 1)) << c.vertices;
  }
  Portal empty;
  empty.Init();
  Record();
  empty.DrawDebug();
  EXPECT_TRUE(Draws().empty());
}

}  // namespace
