#include "make_objects/animated_object_writer.h"
#include "make_objects/object_description.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ObjectDescription, ReadsTexturesMaterialsObjectsNodesAndConnectors) {
  const char* text = R"(# a comment line
texture stone 32 16 bricks a05040 D0C8B8   # trailing comment
material shiny diffuse 1 0.5 0.25 1 power 8 specular 0.5 0.5 0.5 1
object hut landscape
  box 100 200 300 at 1 2 3 texture stone material shiny surface 7 tile 50 colour 102030 nocollide
  connector LADDER_TOP 0 300 -1.5
  node "#HR_WEAPONLEFT" hitregion
    cylinder 10 20 6
  end
  node lamp parent "#HR_WEAPONLEFT" crossed 40 60 2 end
  cutout
  connector PRIMARY 4 5 6
end
object grid terrain 2 1 100 heights 0 1 2
  3 4 5 texture stone end
object shed room 400 300 250 10 door east 90 200 ramp 10 20 30 end
)";
  ObjectDescription d;
  std::string error;
  ASSERT_TRUE(ReadObjectDescription(text, &d, &error)) << error;

  ASSERT_EQ(d.Textures.size(), 1u);
  EXPECT_EQ(d.Textures[0].Name, "stone");
  EXPECT_EQ(d.Textures[0].Width, 32);
  EXPECT_EQ(d.Textures[0].Height, 16);
  EXPECT_EQ(d.Textures[0].Pattern, "bricks");
  EXPECT_EQ(d.Textures[0].Colours, (std::vector<std::uint32_t>{0xA05040, 0xD0C8B8}));
  const MaterialSource* m = d.FindMaterial("shiny");
  ASSERT_NE(m, nullptr);
  EXPECT_FLOAT_EQ(m->Diffuse[1], 0.5f);
  EXPECT_FLOAT_EQ(m->Power, 8);
  EXPECT_FLOAT_EQ(m->Specular[3], 1);
  EXPECT_FLOAT_EQ(m->Emissive[0], 0);  // not given: black

  ASSERT_EQ(d.Objects.size(), 3u);
  const ObjectSource& hut = d.Objects[0];
  EXPECT_EQ(hut.Name, "hut");
  EXPECT_TRUE(hut.Landscape);
  ASSERT_EQ(hut.Nodes.size(), 3u);
  EXPECT_EQ(hut.Nodes[0].Name, "hut");
  EXPECT_TRUE(hut.Nodes[0].CutOut);
  ASSERT_EQ(hut.Nodes[0].Shapes.size(), 1u);
  const ShapeSource& box = hut.Nodes[0].Shapes[0];
  EXPECT_EQ(box.Kind, ShapeKind::Box);
  EXPECT_EQ(box.Line, 5);
  EXPECT_FLOAT_EQ(box.Size[2], 300);
  EXPECT_FLOAT_EQ(box.At.z, 3);
  EXPECT_EQ(box.Texture, "stone");
  EXPECT_EQ(box.Material, "shiny");
  EXPECT_EQ(box.Surface, 7);
  EXPECT_FLOAT_EQ(box.Tile, 50);
  EXPECT_EQ(box.Colour, 0xFF102030u);
  EXPECT_FALSE(box.Collide);
  EXPECT_EQ(hut.Nodes[1].Name, "#HR_WEAPONLEFT");
  EXPECT_EQ(hut.Nodes[1].Parent, "hut");
  EXPECT_TRUE(hut.Nodes[1].HitRegion);
  EXPECT_EQ(hut.Nodes[1].Shapes[0].Kind, ShapeKind::Cylinder);
  EXPECT_EQ(hut.Nodes[1].Shapes[0].Count[0], 6);
  EXPECT_TRUE(hut.Nodes[1].Shapes[0].Collide);
  EXPECT_EQ(hut.Nodes[2].Parent, "#HR_WEAPONLEFT");
  EXPECT_FALSE(hut.Nodes[2].HitRegion);
  ASSERT_EQ(hut.Connectors.size(), 2u);
  EXPECT_EQ(hut.Connectors[0].Slot, 4);
  EXPECT_FLOAT_EQ(hut.Connectors[0].Position.z, -1.5f);
  EXPECT_EQ(hut.Connectors[1].Slot, 0);

  const ShapeSource& grid = d.Objects[1].Nodes[0].Shapes[0];
  EXPECT_EQ(grid.Kind, ShapeKind::Terrain);
  EXPECT_EQ(grid.Count[0], 2);
  EXPECT_EQ(grid.Count[1], 1);
  EXPECT_EQ(grid.Heights, (std::vector<float>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(grid.Texture, "stone");

  const std::vector<ShapeSource>& shed = d.Objects[2].Nodes[0].Shapes;
  ASSERT_EQ(shed.size(), 2u);
  EXPECT_EQ(shed[0].Door, RoomWall::East);
  EXPECT_FLOAT_EQ(shed[0].Thickness, 10);
  EXPECT_FLOAT_EQ(shed[0].DoorHeight, 200);
  EXPECT_EQ(shed[1].Kind, ShapeKind::Ramp);
}

TEST(ObjectDescription, MalformedTextsAreRefusedWithTheirLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"textur a 1 1 solid 000000", "line 1: expected texture, material or object, not 'textur'"},
      {"texture a 0 8 solid 000000", "line 1: the texture width must be a whole number from 1 to 1024"},
      {"texture a 8 8 stripes 000000", "line 1: unknown texture pattern 'stripes'"},
      {"texture a 8 8 checker 000000\n", "line 1: expected a colour RRGGBB at the end of the text"},
      {"texture a 8 8 solid 00000G", "line 1: expected a colour RRGGBB, not '00000G'"},
      {"texture a 8 8 solid 000000\ntexture a 8 8 solid 000000", "line 2: texture a is described twice"},
      {"material m power x", "line 1: expected the power, not 'x'"},
      {"object o\n box 1 1 1\n", "line 2: object o has no end"},
      {"object o\n box 1 -1 1 end", "line 2: the height must be greater than 0"},
      {"object o\n box 1 nan 1 end", "line 2: expected height, not 'nan'"},
      {"object o\n sphere 1 end", "line 2: expected a shape, node, connector, cutout or end, not 'sphere'"},
      {"object o end", "line 1: node o of o has no shapes"},
      {"object o box 1 1 1 node n end end", "line 1: node n of o has no shapes"},
      {"object o box 1 1 1 node o box 1 1 1 end end", "line 1: node o is given twice in o"},
      {"object o box 1 1 1 node n parent x box 1 1 1 end end", "line 1: parent x is not an earlier node of o"},
      {"object o box 1 1 1 end\nobject o box 1 1 1 end", "line 2: object o is described twice"},
      {"object o box 1 1 1\n texture t end", "line 2: texture t is not described"},
      {"object o box 1 1 1 material m end", "line 1: material m is not described"},
      {"object o box 1 1 1 connector TOP 0 0 0 end", "line 1: unknown connector 'TOP'"},
      {"object o box 1 1 1 connector PRIMARY 0 0 0 connector PRIMARY 1 1 1 end",
       "line 1: connector PRIMARY is given twice"},
      {"object o box 1 1 1 connector EJECTOR 0 0 end", "line 1: expected a connector position, not 'end'"},
      {"object o\n terrain 2 2 10 heights 1 2 3 end", "line 2: the terrain needs 9 heights, 3 given"},
      {"object o terrain 2 2 10 1 2 3 end", "line 1: expected heights after the terrain's cells"},
      {"object o terrain 0 2 10 heights 1 end", "line 1: the number of cells along x must be a whole number from 1 to 128"},
      {"object o cylinder 1 1 2 end", "line 1: the number of sides must be a whole number from 3 to 256"},
      {"object o room 100 100 100 50 end", "line 1: the walls leave no room inside"},
      {"object o room 100 100 100 10 door up 10 10 end", "line 1: expected north, south, east or west, not 'up'"},
      {"object o room 100 100 100 10 door north 100 10 end", "line 1: the doorway does not fit in its wall"},
      {"object o room 100 100 100 10 door west 10 100 end", "line 1: the doorway does not fit in its wall"},
      {"object o box 1 1 1 surface 1024 end", "line 1: the surface id must be a whole number from 0 to 1023"},
      {"object o box 1 1 1 tile -2 end", "line 1: the tile size must not be negative"},
      {"object 0123456789012345678901234567890123456789012345678901234567890123 box 1 1 1 end",
       "line 1: the object name must have 1 to 63 characters"},
  };
  for (const Case& c : cases) {
    ObjectDescription d;
    d.Objects.resize(1);  // cleared on failure as well
    std::string error;
    EXPECT_FALSE(ReadObjectDescription(c.text, &d, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_TRUE(d.Objects.empty()) << c.text;
  }
}

}  // namespace

TEST(ObjectDescription, SkinnedAndVertexAnimatedObjects) {
  const char* text =
      "object man skinned\n"
      "  bone hips at 0 90 0\n"
      "  bone leg parent hips at 0 -45 0\n"
      "  skinbox 10 20 30 bone leg blend hips at 1 2 3\n"
      "end\n"
      "object banner vertexanim 8\n"
      "  box 2 100 2\n"
      "  flag 50 30 5 3 6 at 1 70 0 colour 112233\n"
      "end\n";
  ObjectDescription d;
  std::string error;
  ASSERT_TRUE(ReadObjectDescription(text, &d, &error)) << error;
  ASSERT_EQ(d.Objects.size(), 2u);
  const ObjectSource& man = d.Objects[0];
  EXPECT_EQ(man.Kind, ObjectKind::Skinned);
  ASSERT_EQ(man.Bones.size(), 2u);
  EXPECT_EQ(man.Bones[1].Parent, "hips");
  EXPECT_FLOAT_EQ(man.Bones[1].At.y, -45.0f);
  ASSERT_EQ(man.SkinBoxes.size(), 1u);
  EXPECT_EQ(man.SkinBoxes[0].Bone, "leg");
  EXPECT_EQ(man.SkinBoxes[0].Blend, "hips");
  EXPECT_FLOAT_EQ(man.SkinBoxes[0].Box.Size[2], 30.0f);
  EXPECT_FLOAT_EQ(man.SkinBoxes[0].Box.At.z, 3.0f);
  const ObjectSource& banner = d.Objects[1];
  EXPECT_EQ(banner.Kind, ObjectKind::VertexAnim);
  EXPECT_EQ(banner.Frames, 8);
  EXPECT_EQ(banner.Nodes[0].Shapes.size(), 1u);
  ASSERT_EQ(banner.Flags.size(), 1u);
  EXPECT_EQ(banner.Flags[0].Columns, 5);
  EXPECT_FLOAT_EQ(banner.Flags[0].Amplitude, 6.0f);
  EXPECT_EQ(banner.Flags[0].Cloth.Colour, 0xFF112233u);

  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"object m skinned end", "line 1: skinned object m needs bones and boxes bound to them"},
      {"object m skinned bone a at 0 0 0 bone b at 0 0 0 end", "line 1: bone b needs a parent: only the first bone is the root"},
      {"object m skinned bone a at 0 0 0 bone b parent c at 0 0 0 end", "line 1: parent c is not an earlier bone of m"},
      {"object m skinned bone a 0 0 0 end", "line 1: expected at x y z after bone a"},
      {"object m skinned bone a at 0 0 0 skinbox 1 1 1 bone z end", "line 1: bone z is not a bone of m"},
      {"object m skinned bone a at 0 0 0 skinbox 1 1 1 bone a box 1 1 1 end", "line 1: skinned object m has shapes of its own"},
      {"object f vertexanim 0 end", "line 1: the number of frames must be a whole number from 1 to 256"},
      {"object f vertexanim 4 flag 1 1 0 1 1 end", "line 1: the number of columns must be a whole number from 1 to 64"},
      {"object f vertexanim 4 end", "line 1: object f has no shapes"},
      {"object p box 1 1 1 bone a at 0 0 0 end", "line 1: expected a shape, node, connector, cutout or end, not 'bone'"},
  };
  for (const Case& c : cases) {
    ObjectDescription bad;
    EXPECT_FALSE(ReadObjectDescription(c.text, &bad, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(ObjectDescription, TexturesOfEveryKindOfObject) {
  const char* text =
      "texture a 1 1 solid 000000 texture b 1 1 solid 000000 texture c 1 1 solid 000000\n"
      "object man skinned bone hips at 0 0 0 skinbox 1 1 1 bone hips texture b skinbox 1 1 1 bone hips texture a end\n"
      "object banner vertexanim 2 box 1 1 1 texture c flag 1 1 1 1 1 texture b end\n"
      "object crate box 1 1 1 texture a node side box 1 1 1 texture c end end\n";
  ObjectDescription d;
  std::string error;
  ASSERT_TRUE(ReadObjectDescription(text, &d, &error)) << error;
  EXPECT_EQ(DescribedObjectTextures(d.Objects[0]), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(DescribedObjectTextures(d.Objects[1]), (std::vector<std::string>{"c", "b"}));
  EXPECT_EQ(DescribedObjectTextures(d.Objects[2]), (std::vector<std::string>{"a", "c"}));
}
