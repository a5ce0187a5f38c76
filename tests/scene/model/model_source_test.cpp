#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/file_test_fixture.h"
#include "scene/model/model_source_fixture.h"
#include "scene/model/scene.h"

namespace {

using model_fixture::SampleScene;
using model_fixture::WriteModelText;

class ModelSourceTest : public FileTest {
 protected:
  // Parses text under the name "sample.mdl".
  int Parse(CScene* scene, const std::string& text, int wanted = CScene::kAnyType) {
    std::strcpy(scene->Name, "sample.mdl");
    return scene->Parse(text.c_str(), wanted);
  }
};

void ExpectSameVectors(const std::vector<std::vector<CVector3>>& want, const std::vector<std::vector<CVector3>>& got,
                       const char* what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t f = 0; f < want.size(); ++f) {
    ASSERT_EQ(got[f].size(), want[f].size()) << what << " frame " << f;
    for (std::size_t i = 0; i < want[f].size(); ++i) {
      EXPECT_FLOAT_EQ(got[f][i].x, want[f][i].x) << what << " " << f << "/" << i;
      EXPECT_FLOAT_EQ(got[f][i].y, want[f][i].y) << what << " " << f << "/" << i;
      EXPECT_FLOAT_EQ(got[f][i].z, want[f][i].z) << what << " " << f << "/" << i;
    }
  }
}

void ExpectSameFace(const TriFace& want, const TriFace& got) {
  EXPECT_EQ(got.Flags, want.Flags);
  EXPECT_EQ(got.Material, want.Material);
  EXPECT_EQ(got.Smoothing, want.Smoothing);
  EXPECT_EQ(got.Vertices, want.Vertices);
  EXPECT_EQ(got.Normals, want.Normals);
  EXPECT_EQ(got.Colours, want.Colours);
  ASSERT_EQ(got.TexCoords.size(), want.TexCoords.size());
  for (std::size_t s = 0; s < want.TexCoords.size(); ++s)
    for (std::size_t i = 0; i < want.TexCoords[s].size(); ++i) {
      EXPECT_FLOAT_EQ(got.TexCoords[s][i].u, want.TexCoords[s][i].u);
      EXPECT_FLOAT_EQ(got.TexCoords[s][i].v, want.TexCoords[s][i].v);
    }
}

// Everything the version carries reads back as written: header, collision
// settings, bounds, connectors, the material library and both objects with
// their keys, frames and faces.
TEST_F(ModelSourceTest, EveryVersionReadsBackWhatItsFormCarries) {
  for (int v : {2, 3, 4, 5, 6, 7, 9, 10, 12, 13, 14, 15}) {
    SCOPED_TRACE("version " + std::to_string(v));
    const CScene want = SampleScene(v);
    CScene got;
    ASSERT_EQ(Parse(&got, WriteModelText(want)), 1) << got.Error;
    EXPECT_EQ(got.Version, v);
    EXPECT_EQ(got.Type, want.Type);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(got.HeaderValues[i], want.HeaderValues[i]);
    EXPECT_EQ(got.ShadowSource, want.ShadowSource);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(got.Collision[i], want.Collision[i]) << i;
    for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ(got.Bounds.Words[i], want.Bounds.Words[i]) << i;
    ASSERT_EQ(got.Connectors.size(), want.Connectors.size());
    for (std::size_t i = 0; i < want.Connectors.size(); ++i) {
      EXPECT_EQ(got.Connectors[i].Name, want.Connectors[i].Name);
      EXPECT_FLOAT_EQ(got.Connectors[i].Position.y, want.Connectors[i].Position.y);
    }
    EXPECT_EQ(got.Maps, want.Maps);
    EXPECT_EQ(got.Palettes, want.Palettes);
    ASSERT_EQ(got.MaterialLib.size(), want.MaterialLib.size());
    for (std::size_t m = 0; m < want.MaterialLib.size(); ++m) {
      const SceneMaterial& a = want.MaterialLib[m];
      const SceneMaterial& b = got.MaterialLib[m];
      for (int c = 0; c < 3; ++c) {
        EXPECT_FLOAT_EQ(b.Diffuse[c], a.Diffuse[c]);
        EXPECT_FLOAT_EQ(b.Second[c], a.Second[c]);
        EXPECT_FLOAT_EQ(b.Third[c], a.Third[c]);
      }
      EXPECT_FLOAT_EQ(b.Power, a.Power);
      EXPECT_FLOAT_EQ(b.Alpha, a.Alpha);
      EXPECT_EQ(b.Map, a.Map);
      EXPECT_EQ(b.Palette, a.Palette);
    }

    ASSERT_EQ(got.ObjectCount(), 2);
    EXPECT_EQ(got.VertexCount, 7);
    EXPECT_EQ(got.FaceCount, 3);
    for (int i = 0; i < 2; ++i) {
      SCOPED_TRACE("object " + std::to_string(i));
      const CTriObject& a = want.Objects[static_cast<std::size_t>(i)];
      const CTriObject& b = *got.GetObject(i);
      EXPECT_EQ(b.Name, a.Name);
      EXPECT_EQ(b.Parent, a.Parent);
      EXPECT_EQ(b.KeyFlag, a.KeyFlag);
      EXPECT_EQ(b.ObjectFlag, a.ObjectFlag);
      EXPECT_FLOAT_EQ(b.Vector.y, a.Vector.y);
      EXPECT_EQ(b.BspSource, a.BspSource);
      for (int w = 0; w < 12; ++w) EXPECT_FLOAT_EQ(b.Bounds.Words[w], a.Bounds.Words[w]) << w;
      ASSERT_EQ(b.KeyCount(), static_cast<int>(a.Keys.size()));
      for (std::size_t k = 0; k < a.Keys.size(); ++k) {
        EXPECT_FLOAT_EQ(b.Keys[k].translation.z, a.Keys[k].translation.z);
        EXPECT_FLOAT_EQ(b.Keys[k].scale.y, a.Keys[k].scale.y);
        EXPECT_FLOAT_EQ(b.Keys[k].rotation.w, a.Keys[k].rotation.w);
      }
      ExpectSameVectors(a.VertexFrames, b.VertexFrames, "vertices");
      ExpectSameVectors(a.NormalFrames, b.NormalFrames, "normals");
      std::vector<std::vector<CVector3>> colours = a.ColourFrames;
      if (v < 9)  // colours read as white
        for (auto& frame : colours)
          for (CVector3& c : frame) c = {1, 1, 1};
      ExpectSameVectors(colours, b.ColourFrames, "colours");
      ASSERT_EQ(b.Faces.size(), a.Faces.size());
      for (std::size_t f = 0; f < a.Faces.size(); ++f) ExpectSameFace(a.Faces[f], b.Faces[f]);
    }
    // The physics vertices of the child name the panel (object 0) and nothing.
    const CTriObject& tab = *got.GetObject(1);
    if (v > 2) {
      ASSERT_EQ(tab.PhysVertexGroups.size(), 1u);
      ASSERT_EQ(tab.PhysVertexGroups[0].size(), 2u);
      EXPECT_EQ(tab.PhysVertexGroups[0][0].Object, 0);
      EXPECT_FLOAT_EQ(tab.PhysVertexGroups[0][0].Values[3], 4.0f);
      EXPECT_EQ(tab.PhysVertexGroups[0][1].Object, -1);
    } else {
      EXPECT_TRUE(tab.PhysVertexGroups.empty());
    }
    // The panel's one key became its matrix at every frame; the child has none.
    for (int frame : {0, 1, 7, -3}) {
      const CMatrix* m = got.GetObjectMatrix(0, frame);
      ASSERT_NE(m, nullptr);
      EXPECT_FLOAT_EQ(m->m[3][1], 1.5f);
      EXPECT_FLOAT_EQ(m->m[3][2], -2.0f);
    }
    EXPECT_EQ(got.GetObjectMatrix(1, 0), nullptr);
    EXPECT_EQ(got.GetObjectMatrix(2, 0), nullptr);
    EXPECT_EQ(got.FindObject("tab"), 1);
    EXPECT_EQ(got.FindObject("LID"), -1);
    EXPECT_TRUE(boxes_.empty());
  }
}

// A file as an exporter writes it: any label words, commas between numbers,
// quoted and bare names.  Names are upper-cased, "(NULL)" gives no shadow
// source, an unknown sweep-hit word gives -1, a material with a map turns
// white and a negative map index is kept as -1.
TEST_F(ModelSourceTest, ReadsTheValuesOfAHandWrittenFile) {
  const std::string text =
      "ver 15\n tool exp2.1\n kind 1\n objs 1 meshes 1 spare 0\n"
      "ShadowSource \"(NULL)\"\n conn 0\n"
      "hit SWEEPHIT_AABBOX a 2 hit2 SWEEPHIT_WOBBLY b 3 c 4\n"
      "BoundsInfo { s 6 box -1,-1,-1, 1,1,1 s 7 centre 0,0,0 r 1.7 }\n"
      "n 1 StaticConnectors { muzzle 0,1.5,20 }\n"
      "MaterialLib { n 1 Maps { steel.tga } n 0 Pals { } n 2 Materials {\n"
      "  d 0.2,0.3,0.4 t 0.01,0.02,0.03 s 0.5,0.6,0.7 0.25 a 0.5 map 0 pal 3\n"
      "  d 0.2,0.3,0.4 t 0,0,0 s 0,0,0 0 a 1 map -7 pal 0\n"
      "} }\n"
      "Mesh Name gun Parent \"turret base\" key 1 pos 1 flag 0 vec 0,0,0 BSPSource this\n"
      "BoundsInfo { s 0 box 0,0,0 1,1,1 s 0 c 0,0,0 r 1 }\n"
      "n 0 PhysVertexList { }\n"
      "n 1 VertexFrames { n 3 VertexList { 0,0,0 10,0,0 0,10,0 } }\n"
      "n 1 NormalFrames { n 1 NormalList { 0,0,1 } }\n"
      "n 0 ColourFrames { }\n"
      "n 1 FaceList { f 1 m 1 s 0 n 3 i 0,1,2 nrm 0 uv 1 set 0,0 1,0 0,1 }\n";
  CScene s;
  ASSERT_EQ(Parse(&s, text), 1) << s.Error;
  EXPECT_EQ(s.Type, 1);
  EXPECT_EQ(s.ShadowSource, "NOSHADOW");
  EXPECT_EQ(s.Collision[0], SWEEPHIT_AABBOX);
  EXPECT_EQ(s.Collision[1], 2);
  EXPECT_EQ(s.Collision[2], -1);
  EXPECT_EQ(s.Collision[4], 4);
  EXPECT_FLOAT_EQ(s.Bounds.Words[6], 6.0f);
  EXPECT_FLOAT_EQ(s.Bounds.Words[7], 7.0f);
  EXPECT_FLOAT_EQ(s.Bounds.Words[11], 1.7f);
  ASSERT_EQ(s.Connectors.size(), 1u);
  EXPECT_EQ(s.Connectors[0].Name, "muzzle");
  EXPECT_FLOAT_EQ(s.Connectors[0].Position.z, 20.0f);
  ASSERT_EQ(s.MaterialLib.size(), 2u);
  const SceneMaterial& a = s.MaterialLib[0];
  EXPECT_FLOAT_EQ(a.Diffuse[1], 1.0f);
  EXPECT_FLOAT_EQ(a.Third[2], 0.03f);
  EXPECT_FLOAT_EQ(a.Second[0], 0.5f);
  EXPECT_FLOAT_EQ(a.Power, 25.0f);
  EXPECT_FLOAT_EQ(a.Alpha, 0.5f);
  EXPECT_EQ(a.Palette, 3);
  EXPECT_FLOAT_EQ(s.MaterialLib[1].Diffuse[1], 0.3f);
  EXPECT_EQ(s.MaterialLib[1].Map, -1);
  ASSERT_EQ(s.ObjectCount(), 1);
  const CTriObject& gun = *s.GetObject(0);
  EXPECT_EQ(gun.Name, "GUN");
  EXPECT_EQ(gun.Parent, "TURRET BASE");
  EXPECT_EQ(gun.BspSource, "THIS");
  ASSERT_EQ(gun.Faces.size(), 1u);
  EXPECT_EQ(gun.Faces[0].Material, 1);
  ASSERT_EQ(gun.Faces[0].TexCoords.size(), 1u);
  EXPECT_FLOAT_EQ(gun.Faces[0].TexCoords[0][1].u, 1.0f);
  EXPECT_FLOAT_EQ(gun.Position(2).y, 10.0f);
}

// Before version 14 the second colour and the power are read and dropped;
// before version 5 they and the third colour are not in the file.
TEST_F(ModelSourceTest, MaterialFormsFollowTheVersion) {
  struct Case {
    int version;
    const char* material;
    float third, second, power;
  } cases[] = {
      {4, "d 1,1,1 a 1 map -1 pal 0", 0.0f, 0.0f, 0.0f},
      {13, "d 1,1,1 t 0.1,0.1,0.1 s 0.5,0.5,0.5 0.12 a 1 map -1 pal 0", 0.1f, 0.0f, 0.0f},
      {14, "d 1,1,1 t 0.1,0.1,0.1 s 0.5,0.5,0.5 0.12 a 1 map -1 pal 0", 0.1f, 0.5f, 12.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    CScene empty = SampleScene(c.version);
    empty.MaterialLib.clear();
    empty.Maps.clear();
    empty.Objects.clear();
    empty.HeaderValues[1] = 0;
    std::string text = WriteModelText(empty);
    const std::string lib = "NumMaterials 0\r\n  Materials {\r\n";
    text.replace(text.find(lib), lib.size(), std::string("NumMaterials 1\r\n  Materials {\r\n") + c.material + "\r\n");
    CScene s;
    ASSERT_EQ(Parse(&s, text), 1) << s.Error;
    ASSERT_EQ(s.MaterialLib.size(), 1u);
    EXPECT_FLOAT_EQ(s.MaterialLib[0].Third[0], c.third);
    EXPECT_FLOAT_EQ(s.MaterialLib[0].Second[1], c.second);
    EXPECT_FLOAT_EQ(s.MaterialLib[0].Power, c.power);
  }
}

TEST_F(ModelSourceTest, ObjectTypeRulesGiveTheirCodes) {
  struct Case {
    int version, type, wanted, result;
  } cases[] = {
      {14, 2, 5, 1},   {14, 0, 0, 1},   {14, 1, 0, -1}, {14, 2, 1, -2}, {14, 0, 2, -3},
      {12, 1, 3, -4},  {11, 1, 3, 1},   {12, 3, 3, 1},  {12, 3, 4, -5}, {11, 3, 4, 1},
      {12, 2, 4, 1},   {3, 0, 0, 1},    {3, 0, 1, -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.version) + " " + std::to_string(c.type) + " " + std::to_string(c.wanted));
    CScene want = SampleScene(c.version);
    want.Type = c.type;
    CScene s;
    EXPECT_EQ(Parse(&s, WriteModelText(want), c.wanted), c.result) << s.Error;
    EXPECT_EQ(s.ObjectCount(), c.result == 1 ? 2 : 0);
  }
}

// With the positions flag set each coordinate is rounded to the nearest 0.1
// away from zero; with it clear the positions are passed over (zero).
TEST_F(ModelSourceTest, PositionsAreRoundedToTenthsOrPassedOver) {
  struct Case {
    float in, out;
  } cases[] = {{1.04f, 1.0f},  {1.06f, 1.1f},         {-1.06f, -1.1f}, {0.25f, 0.3f}, {-0.25f, -0.3f},
               {-0.04f, 0.0f}, {2.349f, 2.3f}, {12345.67f, 12345.7f}, {0.0f, 0.0f}};
  CScene want = SampleScene(15);
  CTriObject& tab = want.Objects[1];
  for (const Case& c : cases) {
    tab.VertexFrames = {{{c.in, 0, 0}, {0.5f, 0, 0}, {0, 0.5f, 0}}};
    CScene s;
    ASSERT_EQ(Parse(&s, WriteModelText(want)), 1) << s.Error;
    EXPECT_NEAR(s.GetObject(1)->Position(0).x, c.out, 1e-5f) << c.in;
    EXPECT_EQ(s.GetObject(1)->Position(0).x, RoundToTenth(c.in));
  }
  tab.PositionsFlag = 0;
  CScene s;
  ASSERT_EQ(Parse(&s, WriteModelText(want)), 1) << s.Error;
  ASSERT_EQ(s.GetObject(1)->VertexFrames.size(), 1u);
  ASSERT_EQ(s.GetObject(1)->VertexFrames[0].size(), 3u);
  EXPECT_FLOAT_EQ(s.GetObject(1)->Position(1).x, 0.0f);
}

// A face that uses one vertex twice is shown in the "Bad Face !" box and
// kept; a flag-0x2 face that repeats the material and corners of an earlier
// flag-0x2 face is dropped, other repeats are kept.
TEST_F(ModelSourceTest, BadFacesAreShownAndKeptRepeatedUniqueFacesDropped) {
  CScene want = SampleScene(15);
  CTriObject& panel = want.Objects[0];
  TriFace base;
  base.Material = 1;
  base.Normals = {0};
  auto face = [&](std::uint32_t flags, std::vector<std::int32_t> vertices, std::int32_t material = 1) {
    TriFace f = base;
    f.Flags = flags;
    f.Vertices = std::move(vertices);
    f.Material = material;
    return f;
  };
  panel.Faces = {
      face(0, {0, 1, 1}),                // bad: shown, kept
      face(TRIFACE_UNIQUE, {0, 1, 2}),   // kept
      face(TRIFACE_UNIQUE, {0, 1, 2}),   // repeat: dropped
      face(0, {0, 1, 2}),                // repeat without the flag: kept
      face(TRIFACE_UNIQUE, {0, 1, 2}, 0),  // other material: kept
      face(TRIFACE_UNIQUE, {2, 1, 0}),   // other corner order: kept
      face(TRIFACE_UNIQUE, {3, 3, 2}),   // bad: shown, kept
      face(TRIFACE_UNIQUE, {3, 3, 2}),   // bad again: shown, kept
  };
  CScene s;
  ASSERT_EQ(Parse(&s, WriteModelText(want)), 1) << s.Error;
  const CTriObject& got = *s.GetObject(0);
  ASSERT_EQ(got.Faces.size(), 7u);
  EXPECT_EQ(got.Faces[1].Flags, TRIFACE_UNIQUE);
  EXPECT_EQ(got.Faces[2].Flags, 0u);
  EXPECT_EQ(got.Faces[3].Material, 0);
  EXPECT_EQ(s.FaceCount, 8);  // 7 and the child's one
  ASSERT_EQ(boxes_.size(), 3u);
  EXPECT_EQ(boxes_[0].caption, "Bad Face !");
  EXPECT_EQ(boxes_[0].text,
            "Scene : sample.mdl\nObject : PANEL\nFace : 0\nVertices :\n"
            "    0 : (-1.00,  0.00,  0.00)\n    1 : (1.00,  0.00,  0.00)\n    1 : (1.00,  0.00,  0.00)\n"
            "\nVertices need welding...");
  EXPECT_NE(boxes_[1].text.find("Face : 6\n"), std::string::npos);
  EXPECT_NE(boxes_[2].text.find("Face : 7\n"), std::string::npos);
}

// Counts and indices are checked against what the file holds: a damaged
// file is refused whole, with the line and the reason, and leaves the
// scene empty.
TEST_F(ModelSourceTest, DamagedFilesAreRefusedWithTheirReason) {
  struct Case {
    const char* from;
    const char* to;
    const char* reason;
  } cases[] = {
      {"Index 0 1 2 Normal 0\r\n", "Index 0 1 3 Normal 0\r\n", "a vertex the object does not hold"},
      {"Index 0 1 2 Normal 0\r\n", "Index 0 -1 2 Normal 0\r\n", "a vertex the object does not hold"},
      {"Index 0 1 2 Normal 0\r\n", "Index 0 1 2 Normal 1\r\n", "a normal the object does not hold"},
      {"Colour 0 1 2", "Colour 0 1 3", "a colour the object does not hold"},
      {"Material 1 Smooth", "Material 2 Smooth", "a material the scene does not hold"},
      {"Material 1 Smooth", "Material -2 Smooth", "a material the scene does not hold"},
      {"Verts 3 Index 0 1 2 Normal 0\r\n", "Verts 2 Index 0 1 Normal 0\r\n", "face 0 has 2 vertices"},
      {"Verts 3 Index 0 1 2 Normal 0\r\n", "Verts 33 Index 0 1 2 Normal 0\r\n", "face 0 has 33 vertices"},
      {"Sets 2 UV 0 1", "Sets 9 UV 0 1", "9 texture coordinate sets"},
      {"Sets 2 UV 0 1", "Sets -1 UV 0 1", "-1 texture coordinate sets"},
      {"NumFaces 1\r\n", "NumFaces 2\r\n", "expected a face"},
      {"NumFaces 1\r\n", "NumFaces 2000000000\r\n", "bad face count"},
      {"NumFaces 2\r\n", "NumFaces -2\r\n", "bad face count"},
      {"Meshes 2", "Meshes 3", "expected Mesh 2"},
      {"Meshes 2", "Meshes 99999999", "bad mesh count"},
      {"NumConnectors 2", "NumConnectors 3", "expected a static connector"},
      {"NumConnectors 2", "NumConnectors -1", "bad static connector count"},
      {"NumMaps 2", "NumMaps 1", "expected the end of the Maps block"},
      {"Map 0 Palette", "Map 2 Palette", "names a map the file does not hold"},
      {"BSPSource \"PANEL\"", "BSPSauce \"PANEL\"", "expected BSPSource"},
      {"Mesh\r\n  Name \"TAB\"", "Mush\r\n  Name \"TAB\"", "expected Mesh 1"},
      {"Verts 3 Index 0 1 2 Normal 0\r\n", "Verts three Index 0 1 2 Normal 0\r\n", "vertex count"},
      {"NumVertexFrames 2", "NumVertexFrames 3", "in VertexFrames"},
      {"PRSInfo {", "PRSInfo (", "PRSInfo"},
      {"Radius 1.5\r\n  }\r\n  PRSInfo", "Radius 1.5\r\n  PRSInfo", "BoundsInfo"},
      {"}\r\nMesh\r\n  Name \"PANEL\"", "Mesh\r\n  Name \"PANEL\"", "MaterialLib"},
  };
  const std::string good = WriteModelText(SampleScene(15));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
    std::string text = good;
    const std::size_t at = text.find(c.from);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(text.find(c.from, at + 1), std::string::npos) << "the case must name one place";
    text.replace(at, std::strlen(c.from), c.to);
    CScene s;
    EXPECT_EQ(Parse(&s, text), 0);
    EXPECT_NE(s.Error.find(c.reason), std::string::npos) << s.Error;
    EXPECT_EQ(s.Error.rfind("line ", 0), 0u) << s.Error;
    EXPECT_EQ(s.ObjectCount(), 0);
    EXPECT_TRUE(s.MaterialLib.empty());
    EXPECT_TRUE(s.Maps.empty());
  }
  // Every cut of the file is refused (the text ends inside a block).
  for (std::size_t n = 0; n + 8 < good.size(); n += 97) {
    CScene s;
    EXPECT_EQ(Parse(&s, good.substr(0, n)), 0) << n;
  }
}

TEST_F(ModelSourceTest, VertexFramesOfDifferentSizesAreRefused) {
  CScene want = SampleScene(15);
  want.Objects[0].VertexFrames[1].pop_back();
  CScene s;
  EXPECT_EQ(Parse(&s, WriteModelText(want)), 0);
  EXPECT_NE(s.Error.find("the frames of VertexFrames differ in size"), std::string::npos) << s.Error;
  want = SampleScene(15);
  want.Objects[0].NormalFrames.push_back({{0, 1, 0}});
  EXPECT_EQ(Parse(&s, WriteModelText(want)), 0);
  EXPECT_NE(s.Error.find("NormalFrames"), std::string::npos) << s.Error;
}

// A connector name longer than 32 characters is shown and cut to 32; a
// connector flag other than 0 reads the connectors and keeps none.
TEST_F(ModelSourceTest, LongConnectorNamesAreCutAfterAMessage) {
  CScene want = SampleScene(15);
  const std::string longName = "A_VERY_LONG_CONNECTOR_NAME_OF_40_CHARS__";
  want.Connectors[1].Name = longName;
  CScene s;
  ASSERT_EQ(Parse(&s, WriteModelText(want)), 1) << s.Error;
  ASSERT_EQ(s.Connectors.size(), 2u);
  EXPECT_EQ(s.Connectors[1].Name, longName.substr(0, 32));
  EXPECT_FLOAT_EQ(s.Connectors[1].Position.y, 1.5f);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "Static connector name length exceeds 32 characters\nObject Name : sample.mdl\n"
                            " Connector Name : " + longName + "\n");

  want.Connectors[1].Name = std::string(32, 'B');  // exactly 32: no message
  want.ConnectorFlag = 1;
  boxes_.clear();
  ASSERT_EQ(Parse(&s, WriteModelText(want)), 1) << s.Error;
  EXPECT_TRUE(s.Connectors.empty());
  EXPECT_EQ(s.ConnectorFlag, 1);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(ModelSourceTest, AnEmptyMapNameBecomesCheckerAfterAnInformationBox) {
  CScene want = SampleScene(15);
  want.Maps[1] = "";
  CScene s;
  ASSERT_EQ(Parse(&s, WriteModelText(want)), 1) << s.Error;
  EXPECT_EQ(s.Maps[1], "Checker");
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "");
  EXPECT_EQ(boxes_[0].type & MB_ICONMASK, MB_ICONINFORMATION);
  EXPECT_EQ(boxes_[0].text, "Empty texture name in file..\n  \"sample.mdl\"\n\nReplacing with \"Checker\"");
}

// The key form that the animation files share: name and parent, key count,
// frame rate, a PRSInfo block of that many keys and the two block ends.
TEST_F(ModelSourceTest, KeyBlocksReadAsTheAnimationFilesUseThem) {
  CTriObject o;
  ModelTextCursor good(
      "Name \"BIP01\" Parent ROOT Keys 2 Rate 30 PRSInfo {\n"
      " P 1 2 3 R 9 9 9 S 1 1 1 Q 0 0 0 1\n P 4 5 6 R 9 9 9 S 2 2 2 Q 0 1 0 0\n } } Next");
  ASSERT_EQ(o.ReadKeys(good), TriKeysRead::Read);
  EXPECT_EQ(o.Name, "BIP01");
  EXPECT_EQ(o.FrameRate, 30);
  ASSERT_EQ(o.KeyCount(), 2);
  EXPECT_FLOAT_EQ(o.Keys[1].translation.z, 6.0f);
  EXPECT_FLOAT_EQ(o.Keys[1].unused[0], 0.0f);
  EXPECT_FLOAT_EQ(o.Keys[1].scale.y, 2.0f);
  EXPECT_FLOAT_EQ(o.Keys[1].rotation.y, 1.0f);
  EXPECT_TRUE(good.Expect("Next"));

  ModelTextCursor missing("Name a Parent b Keys 2 Rate 30 Other { x } } Next");
  EXPECT_EQ(o.ReadKeys(missing), TriKeysRead::Missing);
  EXPECT_EQ(o.KeyCount(), 0);
  EXPECT_TRUE(missing.Expect("Next"));

  for (const char* damaged : {"Name a Parent b Keys 3 Rate 30 PRSInfo { P 1 2 3 R 0 0 0 S 1 1 1 Q 0 0 0 1 } }",
                              "Name a Parent b Keys 2000000 Rate 30 PRSInfo { } }",
                              "Name a Parent b Keys -1 Rate 30 PRSInfo { } }",
                              "Name a Parent b Keys 1 Rate 30 PRSInfo { P 1 2 3 R 0 0 0 S 1 1 1 Q 0 0 0 1 }",
                              "Name a Keys 1 Rate 30", "Name a Parent b Keys x Rate 30"}) {
    ModelTextCursor in(damaged);
    EXPECT_EQ(o.ReadKeys(in), TriKeysRead::Damaged) << damaged;
  }
}

}  // namespace
