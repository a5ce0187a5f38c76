#include "make_objects/object_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "render/bsp/bsp_query.h"

namespace {

ObjectDescription Describe(const std::string& text) {
  ObjectDescription d;
  std::string error;
  EXPECT_TRUE(ReadObjectDescription(text, &d, &error)) << error;
  return d;
}

TEST(ObjectBuilder, NodesPartsBoundsAndConnectors) {
  ObjectDescription d = Describe(R"(
texture wood 8 8 solid 806040
texture iron 8 8 solid 808080
material m diffuse 1 1 1 1
object chest
  box 80 40 60 texture wood surface 2
  box 10 10 10 at 0 40 0 texture iron material m nocollide
  box 20 20 20 at 0 60 0 texture wood surface 3
  node "#HR_BODYFRONT" hitregion box 80 40 4 at 0 0 32 texture wood end
  node lid parent "#HR_BODYFRONT" box 4 4 4 at 0 100 0 end
  connector LADDER_TOP 1 2 3
  connector SECONDARY 4 5 6
  cutout
end)");
  BuiltObject o = BuildObject(d.Objects[0]);
  EXPECT_EQ(o.Name, "chest");
  EXPECT_EQ(o.Type, kBuiltTypeHierarchical) << "of more than one node";
  ASSERT_EQ(o.Nodes.size(), 3u);

  const BuiltNode& root = o.Nodes[0];
  EXPECT_EQ(root.Name, "chest");
  EXPECT_EQ(root.Parent, "ROOT");
  EXPECT_EQ(root.Flags, kBuiltCutOut);
  // Parts by texture and material in first-use order: the two wood boxes share one.
  ASSERT_EQ(root.Parts.size(), 2u);
  EXPECT_EQ(root.Parts[0].Texture, "wood");
  EXPECT_EQ(root.Parts[0].Material, "");
  EXPECT_EQ(root.Parts[1].Texture, "iron");
  EXPECT_EQ(root.Parts[1].Material, "m");
  // A box's 6 faces have 4 corners each that differ in normal or texture
  // coordinates: 24 vertices, 12 triangles.
  EXPECT_EQ(root.Parts[0].Vertices.size(), 48u);
  EXPECT_EQ(root.Parts[0].Indices.size(), 72u);
  EXPECT_EQ(root.Parts[1].Vertices.size(), 24u);
  for (const BuiltPart& p : root.Parts)
    for (std::uint16_t i : p.Indices) EXPECT_LT(i, p.Vertices.size());
  // Collision: the faces of the colliding boxes, whole, with their surfaces.
  ASSERT_EQ(root.Collision.size(), 12u);
  EXPECT_EQ(root.Collision[0].SurfaceId, 2);
  EXPECT_EQ(root.Collision[0].Vertices.size(), 4u);
  EXPECT_EQ(root.Collision[11].SurfaceId, 3);
  // Box and sphere around every vertex of the node.
  EXPECT_FLOAT_EQ(root.Min.x, -40);
  EXPECT_FLOAT_EQ(root.Min.y, 0);
  EXPECT_FLOAT_EQ(root.Max.y, 80);
  EXPECT_FLOAT_EQ(root.Max.z, 30);
  EXPECT_FLOAT_EQ(root.Centre.y, 40);
  EXPECT_NEAR(root.Radius, std::sqrt(40.0 * 40 + 40 * 40 + 30 * 30), 1e-3);

  EXPECT_EQ(o.Nodes[1].Name, "#HR_BODYFRONT");
  EXPECT_EQ(o.Nodes[1].Parent, "chest");
  EXPECT_EQ(o.Nodes[1].Flags, kBuiltHitRegion);
  EXPECT_EQ(o.Nodes[2].Parent, "#HR_BODYFRONT");
  EXPECT_EQ(o.Nodes[2].Flags, 0u);
  EXPECT_EQ(o.Nodes[2].Parts[0].Texture, "");

  // The object's box holds every node.
  EXPECT_FLOAT_EQ(o.Max.y, 104);
  EXPECT_FLOAT_EQ(o.Max.z, 34);
  EXPECT_FLOAT_EQ(o.Min.z, -30);

  ASSERT_EQ(o.ConnectorPoints.size(), 2u);
  EXPECT_EQ(o.ConnectorSlots[4], 0);
  EXPECT_EQ(o.ConnectorSlots[1], 1);
  EXPECT_EQ(o.ConnectorSlots[0], -1);
  EXPECT_FLOAT_EQ(o.ConnectorPoints[1].y, 5);
}

TEST(ObjectBuilder, LargeGroupsAreSplitIntoPartsOf16BitIndices) {
  // 2800 boxes of 24 vertices each: 67,200 vertices, more than one part holds.
  std::string text = "object many\n";
  for (int i = 0; i < 2800; ++i) text += " box 1 1 1 at " + std::to_string(i * 2) + " 0 0\n";
  text += "end\n";
  BuiltObject o = BuildObject(Describe(text).Objects[0]);
  EXPECT_EQ(o.Type, kBuiltTypeEnv) << "one node: a plain object";
  const std::vector<BuiltPart>& parts = o.Nodes[0].Parts;
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_LE(parts[0].Vertices.size(), kMaxPartVertices);
  EXPECT_EQ(parts[0].Vertices.size() + parts[1].Vertices.size(), 2800u * 24);
  EXPECT_EQ(parts[0].Indices.size() + parts[1].Indices.size(), 2800u * 36);
  for (const BuiltPart& p : parts)
    for (std::uint16_t i : p.Indices) ASSERT_LT(i, p.Vertices.size());
}

// The room's collision tree: the doorway is open, the walls and floor are not.
TEST(ObjectBuilder, RoomTreeLetsThroughTheDoorwayOnly) {
  BuiltObject o = BuildObject(
      Describe("object r room 600 500 300 20 door south 120 220 surface 1 box 50 50 50 at 0 0 100 surface 2 end")
          .Objects[0]);
  BspCompileReport report;
  BspTreePtr tree = CompileBspTree(o.Nodes[0].Collision, &report);
  ASSERT_NE(tree, nullptr) << report.Error;
  struct Case {
    const char* name;
    CVector3 from, to;
    int surface;  // -1: nothing is hit
    float z;      // where it is hit along z (for the horizontal cases)
  };
  const Case cases[] = {
      {"through the doorway", {0, 100, -400}, {0, 100, 0}, -1, 0},
      {"into the wall beside the doorway", {200, 100, -400}, {200, 100, 0}, 1, -250},
      {"into the lintel", {0, 250, -400}, {0, 250, 0}, 1, -250},
      {"out through the back wall", {0, 100, 200}, {0, 100, 400}, 1, 230},
      {"onto the box", {0, 100, -400}, {0, 10, 110}, 2, 75},
  };
  for (const Case& c : cases) {
    const BspPolygon* hit = BspSegmentQuery(tree.get(), c.from, c.to, 0);
    if (c.surface < 0) {
      EXPECT_EQ(hit, nullptr) << c.name;
      continue;
    }
    ASSERT_NE(hit, nullptr) << c.name;
    EXPECT_EQ(hit->SurfaceId, c.surface) << c.name;
    EXPECT_NEAR(GetBspSegmentResult().Point.z, c.z, 1e-3) << c.name;
  }
  // Dropping onto the floor inside hits the floor at y = 0.
  const BspPolygon* floor = BspSegmentQuery(tree.get(), {-200, 150, -100}, {-200, -50, -100}, 0);
  ASSERT_NE(floor, nullptr);
  EXPECT_NEAR(GetBspSegmentResult().Point.y, 0, 1e-4);
}

// A shadow caster node: flagged for the engine, never collided with, and no
// reason to make a one-node object hierarchical; one an object at most.
TEST(ObjectBuilder, AShadowCasterNodeIsFlaggedAndLeavesTheObjectsKind) {
  struct Case {
    const char* text;
    std::int32_t type;
  };
  const Case cases[] = {
      {"object post\n  box 10 100 10 surface 1\n  node post_shadow shadow box 10 100 10 surface 1 end\nend\n",
       kBuiltTypeEnv},
      {"object chest\n  box 80 40 60\n  node \"#HR_LID\" hitregion box 80 4 60 at 0 40 0 end\n"
       "  node chest_shadow shadow box 80 44 60 end\nend\n",
       kBuiltTypeHierarchical},
  };
  for (const Case& c : cases) {
    BuiltObject o = BuildObject(Describe(c.text).Objects[0]);
    EXPECT_EQ(o.Type, c.type) << c.text;
    const BuiltNode& caster = o.Nodes.back();
    EXPECT_EQ(caster.Flags, kBuiltShadowCaster) << c.text;
    EXPECT_TRUE(caster.Collision.empty()) << c.text;
    ASSERT_EQ(caster.Parts.size(), 1u);
    EXPECT_EQ(caster.Parts[0].Indices.size(), 36u) << "a closed box";
  }
  ObjectDescription d;
  std::string error;
  EXPECT_FALSE(ReadObjectDescription(
      "object twice\n  box 1 1 1\n  node a shadow box 1 1 1 end\n  node b shadow box 1 1 1 end\nend\n", &d, &error));
  EXPECT_NE(error.find("shadow caster already"), std::string::npos) << error;
}

}  // namespace
