#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "make_objects/animated_object_writer.h"
#include "make_objects/object_builder.h"
#include "make_objects/object_description.h"
#include "scene/model/model_source_fixture.h"
#include "world/environment/evo_writer.h"

namespace {

namespace fs = std::filesystem;

// A scratch folder holding model files, removed afterwards.
class ModelShapeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("halberd_model_shape_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "models");
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(folder_ / name, std::ios::binary) << text;
  }
  bool Read(const std::string& text, ObjectDescription* d, std::string* error) const {
    return ReadObjectDescription(text, d, error, folder_.string());
  }
  fs::path folder_;
};

const char* const kDescription = R"(
texture panel 8 8 solid 806040
texture tab 8 8 solid 808080
material plain diffuse 1 1 1 1
object sign
  model models/panel.mdl at 0 10 0 surface 2
  node stand box 4 10 4 texture tab end
end
)";

// The model's faces become the shape's, moved by "at", each with the texture
// of its material's map and the model's material; the builder groups them
// into parts and collision polygons as it does any shape's faces.
TEST_F(ModelShapeTest, AModelShapeBringsTheModelsFacesTexturesAndMaterials) {
  Write("models/panel.mdl", model_fixture::WriteModelText(model_fixture::SampleScene(15)));
  ObjectDescription d;
  std::string error;
  ASSERT_TRUE(Read(kDescription, &d, &error)) << error;
  const ShapeSource& shape = d.Objects[0].Nodes[0].Shapes[0];
  EXPECT_EQ(shape.Kind, ShapeKind::Model);
  EXPECT_EQ(shape.File, "models/panel.mdl");
  ASSERT_EQ(shape.ModelFaces.size(), 3u);  // two of the panel, one of the tab
  EXPECT_EQ(shape.ModelFaces[0].Texture, "panel");
  EXPECT_EQ(shape.ModelFaces[0].Material, "models/panel.mdl#0");
  EXPECT_EQ(shape.ModelFaces[2].Texture, "");  // material 1 has no map
  EXPECT_EQ(shape.ModelFaces[2].Material, "models/panel.mdl#1");
  const RenderVertex& corner = shape.ModelFaces[0].Corners[1];
  EXPECT_FLOAT_EQ(corner.x, 1.0f);
  EXPECT_FLOAT_EQ(corner.nz, 1.0f);
  EXPECT_EQ(corner.Colour, 0xFF00FF00u);
  EXPECT_FLOAT_EQ(corner.u, 1.0f);

  const MaterialSource* m = d.FindMaterial("models/panel.mdl#0");
  ASSERT_NE(m, nullptr);
  EXPECT_FLOAT_EQ(m->Diffuse[3], 0.75f);
  EXPECT_FLOAT_EQ(m->Specular[0], 0.5f);
  EXPECT_FLOAT_EQ(m->Power, 1200.0f);
  EXPECT_FLOAT_EQ(m->Emissive[1], 0.2f);
  EXPECT_NE(d.FindMaterial("models/panel.mdl#1"), nullptr);

  const BuiltObject o = BuildObject(d.Objects[0]);
  const BuiltNode& root = o.Nodes[0];
  ASSERT_EQ(root.Parts.size(), 2u);
  EXPECT_EQ(root.Parts[0].Texture, "panel");
  EXPECT_EQ(root.Parts[0].Vertices.size(), 4u);  // the quad's shared corners are welded
  EXPECT_EQ(root.Parts[0].Indices.size(), 6u);
  EXPECT_EQ(root.Parts[1].Texture, "");
  ASSERT_EQ(root.Collision.size(), 3u);
  EXPECT_EQ(root.Collision[0].SurfaceId, 2);
  EXPECT_FLOAT_EQ(root.Min.y, 10.0f);
  EXPECT_FLOAT_EQ(root.Max.y, 12.0f);
  EXPECT_EQ(DescribedObjectTextures(d.Objects[0]), (std::vector<std::string>{"panel", "tab"}));

  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(WriteDescribedObjectFile(d.Objects[0], d, &bytes, &error)) << error;
  EXPECT_FALSE(bytes.empty());
}

// The shape's texture and material options win over the faces' own.
TEST_F(ModelShapeTest, ShapeOptionsReplaceTheFacesLook) {
  Write("models/panel.mdl", model_fixture::WriteModelText(model_fixture::SampleScene(15)));
  ObjectDescription d;
  std::string error;
  ASSERT_TRUE(Read("texture tab 8 8 solid 808080 material plain diffuse 1 1 1 1\n"
                   "object sign model models/panel.mdl texture tab material plain end",
                   &d, &error))
      << error;
  const BuiltObject o = BuildObject(d.Objects[0]);
  ASSERT_EQ(o.Nodes[0].Parts.size(), 1u);
  EXPECT_EQ(o.Nodes[0].Parts[0].Texture, "tab");
  EXPECT_EQ(o.Nodes[0].Parts[0].Material, "plain");
  EXPECT_EQ(DescribedObjectTextures(d.Objects[0]), (std::vector<std::string>{"tab"}));
}

TEST_F(ModelShapeTest, ModelsThatDoNotReadFailTheDescriptionWithTheirReason) {
  CScene damaged = model_fixture::SampleScene(15);
  damaged.Objects[1].Faces[0].Vertices = {0, 1, 7};
  Write("models/damaged.mdl", model_fixture::WriteModelText(damaged));
  CScene empty = model_fixture::SampleScene(15);
  empty.Objects.clear();
  empty.HeaderValues[1] = 0;
  Write("models/empty.mdl", model_fixture::WriteModelText(empty));
  Write("models/panel.mdl", model_fixture::WriteModelText(model_fixture::SampleScene(15)));
  struct Case {
    const char* text;
    const char* reason;
  } cases[] = {
      {"object o\n model models/none.mdl end", "line 2: cannot read the model"},
      {"object o\n model models/damaged.mdl end", "a vertex the object does not hold"},
      {"object o\n model models/empty.mdl end", "holds no face"},
      {"texture tab 8 8 solid 808080\nobject o\n model models/panel.mdl end", "texture panel is not described"},
      {"texture tab 8 8 solid 808080 texture panel 8 8 solid 808080\n"
       "object o vertexanim 4 model models/panel.mdl end",
       "a vertex-animated object cannot hold a model"},
  };
  for (const Case& c : cases) {
    ObjectDescription d;
    std::string error;
    EXPECT_FALSE(Read(c.text, &d, &error)) << c.text;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_TRUE(d.Objects.empty());
  }
}

// The demo data's model file reads whole: a post and a lantern of quads.
TEST_F(ModelShapeTest, TheDemoLampReads) {
  ObjectDescription d;
  std::string error;
  const fs::path models = fs::path(MAKE_OBJECTS_DESCRIPTION).parent_path() / "models";
  std::ifstream in(models / "objects.txt", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_TRUE(ReadObjectDescription(text, &d, &error, models.string())) << error;
  ASSERT_EQ(d.Objects.size(), 1u);
  const ShapeSource& lamp = d.Objects[0].Nodes[0].Shapes[0];
  ASSERT_EQ(lamp.ModelFaces.size(), 10u);
  for (const ModelFaceSource& f : lamp.ModelFaces) EXPECT_EQ(f.Corners.size(), 4u);
  EXPECT_EQ(lamp.ModelFaces[0].Texture, "lamppost");
  EXPECT_EQ(lamp.ModelFaces[9].Texture, "lampglow");
  const BuiltObject o = BuildObject(d.Objects[0]);
  EXPECT_FLOAT_EQ(o.Max.y, 340.0f);
  EXPECT_FLOAT_EQ(o.Min.y, 0.0f);
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(WriteDescribedObjectFile(d.Objects[0], d, &bytes, &error)) << error;
}

}  // namespace
