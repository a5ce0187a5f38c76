// The "<GLAZIER>" section: what the writer writes reads back the same, the
// version gates, and damaged or oversized sections failing with the panes
// read whole before kept.
#include "world/glass/glass_pane.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/win32/debug_output.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/vertex_buffer.h"
#include "world/environment/env_text_cursor.h"
#include "world/glass/glass_fixture.h"
#include "world/glass/glazier.h"

namespace {

using glass_fixture::PaneShape;
using glass_fixture::SectionText;

class GlassSection : public ::testing::Test {
 protected:
  void SetUp() override { SetDebugOutputHook([](const char* t, void* c) { *static_cast<std::string*>(c) += t; }, &log_); }
  void TearDown() override { SetDebugOutputHook(nullptr, nullptr); }

  // Reads text at the version into the glazier; the word after the section in *next.
  int Read(CGlazier& glass, const std::string& text, int version, std::string* next = nullptr,
           const GlassModules& modules = GlassModules{}) {
    const std::string all = text + " NEXT";
    EnvTextCursor cursor(all.c_str());
    const int ok = glass.ReadText(cursor, version, modules);
    char word[64];
    if (next != nullptr) *next = cursor.Token(word) ? word : "<end>";
    return ok;
  }

  std::string log_;
};

void ExpectSamePane(const GlassPane& a, const GlassPane& b) {
  EXPECT_EQ(a.State, b.State);
  for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(a.Colour[k], b.Colour[k]);
  for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(a.MaterialColour[k], b.MaterialColour[k]);
  EXPECT_FLOAT_EQ(a.MaterialPower, b.MaterialPower);
  EXPECT_EQ(a.Splits[0], b.Splits[0]);
  EXPECT_EQ(a.Splits[1], b.Splits[1]);
  EXPECT_FLOAT_EQ(a.FloorHeight[0], b.FloorHeight[0]);
  EXPECT_FLOAT_EQ(a.FloorHeight[1], b.FloorHeight[1]);
  EXPECT_FLOAT_EQ(a.PushSpeed[0], b.PushSpeed[0]);
  EXPECT_FLOAT_EQ(a.PushSpeed[1], b.PushSpeed[1]);
  EXPECT_FLOAT_EQ(a.Thickness, b.Thickness);
  ASSERT_EQ(a.Outline.Count, b.Outline.Count);
  for (int i = 0; i < a.Outline.Count; ++i) {
    EXPECT_FLOAT_EQ(a.Outline.Points[i].x, b.Outline.Points[i].x);
    EXPECT_FLOAT_EQ(a.Outline.Points[i].y, b.Outline.Points[i].y);
    EXPECT_FLOAT_EQ(a.Outline.Points[i].z, b.Outline.Points[i].z);
  }
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(a.Outline.Plane[k], b.Outline.Plane[k], 1e-5f);
  ASSERT_EQ(a.EffectCount, b.EffectCount);
  for (int i = 0; i < a.EffectCount; ++i) EXPECT_EQ(a.Effects[i], b.Effects[i]);
  EXPECT_FLOAT_EQ(a.ReflectionAmount, b.ReflectionAmount);
  EXPECT_EQ(a.ReflectionName, b.ReflectionName);
}

TEST_F(GlassSection, WrittenSectionReadsBackTheSame) {
  PaneShape window = glass_fixture::Window();
  window.splits[0] = 3;
  window.splits[1] = 7;
  window.effects = {0, 5, 255};
  window.reflection = "sky cube.dds";
  PaneShape slanted;
  slanted.points = {{10, 0, 5}, {60, 0, 55}, {60, 80, 55}, {35, 120, 30}, {10, 80, 5}};
  slanted.thickness = 0.5f;
  slanted.floor[0] = -12.5f;
  slanted.push[1] = 0.0f;
  CGlazier first(0);
  std::string next;
  ASSERT_EQ(Read(first, SectionText({window, slanted}), kGlassVersionCurrent, &next), 1);
  EXPECT_EQ(next, "NEXT");
  ASSERT_EQ(first.GetPaneCount(), 2);

  std::string written;
  first.WriteText(&written);
  EXPECT_EQ(written.rfind("<GLAZIER>\r\n<PANE> ", 0), 0u);
  EXPECT_EQ(written.substr(written.size() - 13), "</GLAZIER> \r\n");
  CGlazier second(0);
  ASSERT_EQ(Read(second, written, kGlassVersionCurrent, &next), 1);
  EXPECT_EQ(next, "NEXT");
  ASSERT_EQ(second.GetPaneCount(), 2);
  for (int i = 0; i < 2; ++i) ExpectSamePane(*first.GetPane(i), *second.GetPane(i));
  std::string again;
  second.WriteText(&again);
  EXPECT_EQ(again, written);

  // What reading adds: the centre is the outline's average, the plane the
  // one through the first three points, the slab mesh 2n vertices.
  const GlassPane& p = *second.GetPane(1);
  EXPECT_EQ(p.State, GLASS_INTACT);
  EXPECT_NEAR(p.Centre.x, 35.0f, 1e-4f);
  EXPECT_NEAR(p.Centre.y, 56.0f, 1e-4f);
  EXPECT_NEAR(p.Centre.z, 30.0f, 1e-4f);
  const float s = std::sqrt(0.5f);
  EXPECT_NEAR(p.Outline.Plane[0], -s, 1e-5f);
  EXPECT_NEAR(p.Outline.Plane[1], 0.0f, 1e-5f);
  EXPECT_NEAR(p.Outline.Plane[2], s, 1e-5f);
  EXPECT_NEAR(p.Outline.Plane[3], 5.0f * s, 1e-4f);
  ASSERT_NE(p.Mesh, nullptr);
  EXPECT_EQ(p.Mesh->VertexCount, 10u);
  EXPECT_EQ(p.Mesh->PrimitiveCount, 6u);
}

TEST_F(GlassSection, VersionsGateTheSectionAndTheReflectionFields) {
  PaneShape entry = glass_fixture::Window();
  entry.reflection = "Env";
  entry.amount = 0.75f;
  struct Case {
    int writtenAs;
    int readAs;
    int result;
    int panes;
    const char* name;  // expected reflection name
    const char* next;  // the word after the read
  };
  const Case cases[] = {
      {72, 33, 1, 0, "", "<GLAZIER>"},     // no section before version 34
      {56, 34, 1, 1, "", "NEXT"},          // no reflection fields before 57
      {56, 56, 1, 1, "", "NEXT"},
      {57, 57, 1, 1, "Env", "NEXT"},
      {72, 72, 1, 1, "Env", "NEXT"},
      {56, 57, 0, 0, "", "</PANE>"},       // a version-56 pane read as 57 misses its fields
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.writtenAs << " as " << c.readAs);
    CGlazier glass(0);
    std::string next;
    EXPECT_EQ(Read(glass, SectionText({entry}, c.writtenAs), c.readAs, &next), c.result);
    EXPECT_EQ(glass.GetPaneCount(), c.panes);
    EXPECT_EQ(next, c.next);
    if (c.panes == 1) {
      EXPECT_EQ(glass.GetPane(0)->ReflectionName, c.name);
      EXPECT_FLOAT_EQ(glass.GetPane(0)->ReflectionAmount, c.readAs >= 57 ? 0.75f : 0.0f);
    }
  }
}

TEST_F(GlassSection, NoTextureInAnyCaseMeansNone) {
  for (const char* word : {"\"NOTEXTURE\"", "notexture", "\"NoTexture\""}) {
    const std::string pane = glass_fixture::PaneText(glass_fixture::Window());
    std::string text = "<GLAZIER> " + pane + " </GLAZIER>";
    text.replace(text.find("\"NOTEXTURE\""), 11, word);
    CGlazier glass(0);
    ASSERT_EQ(Read(glass, text, 72), 1) << word;
    EXPECT_TRUE(glass.GetPane(0)->ReflectionName.empty()) << word;
  }
}

// A pane of n points on a circle in the plane z = 0 and an effect list of m
// entries, written by hand so that counts beyond the record's reach can be made.
std::string RawPane(int n, int m) {
  std::string s = "<PANE> 1 1 1 1 1 1 1 0 0 0 0 0 0 0 1 0 0 1 0 " + std::to_string(n) + " ";
  for (int i = 0; i < n; ++i) {
    const float a = 6.2831853f * static_cast<float>(i) / static_cast<float>(n);
    s += std::to_string(100.0f * std::cos(a)) + " " + std::to_string(100.0f * std::sin(a)) + " 0 ";
  }
  s += std::to_string(m) + " ";
  for (int i = 0; i < m; ++i) s += "1 ";
  return s + "0.5 \"NOTEXTURE\" </PANE> ";
}

TEST_F(GlassSection, DamagedOrOversizedSectionsFailKeepingWholePanes) {
  const std::string good = glass_fixture::PaneText(glass_fixture::Window());
  std::string sixteen;
  for (int i = 0; i < kGlassMaxPanes; ++i) sixteen += good;
  struct Case {
    std::string text;
    int result;
    int panes;  // read whole and kept
  };
  const Case cases[] = {
      {"<GLAZIER> " + good + RawPane(32, 8) + "</GLAZIER>", 1, 2},
      {"<GLAZIER> " + sixteen + "</GLAZIER>", 1, 16},
      {"<GLAZIER> " + sixteen + good + "</GLAZIER>", 0, 16},   // a 17th pane
      {"<GLAZIER> " + good + RawPane(33, 0) + "</GLAZIER>", 0, 1},  // 33 points
      {"<GLAZIER> " + RawPane(2, 0) + "</GLAZIER>", 0, 0},     // no plane from 2 points
      {"<GLAZIER> " + RawPane(-1, 0) + "</GLAZIER>", 0, 0},
      {"<GLAZIER> " + good + RawPane(4, 9) + "</GLAZIER>", 0, 1},   // effect list of 9
      {"<GLAZIER> " + RawPane(4, -1) + "</GLAZIER>", 0, 0},
      {"<GLAZIER> <PANE> 1 1 1 1 1 1 1 0 0 0 0 0 0 0 1 0 0 1 0 3 0 0 0 1 1 1 2 2 2 0 0.5 NOTEXTURE </PANE> "
       "</GLAZIER>",
       0, 0},  // the first three points on a line
      {"<GLAZIER> " + good.substr(0, good.size() / 2), 0, 0},  // the text ends inside a pane
      {"<GLAZIER> " + good, 0, 1},                             // ... or before "</GLAZIER>"
      {"<GLAZIER> " + good + "</PANE> </GLAZIER>", 0, 1},       // a wrong block word
      {"<GLAZIER> " + good.substr(0, good.rfind("</PANE>")) + " </GLAZIER>", 0, 0},  // no "</PANE>"
      {"<GLAZIERS> </GLAZIER>", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    CGlazier glass(0);
    EXPECT_EQ(Read(glass, c.text, 72), c.result);
    EXPECT_EQ(glass.GetPaneCount(), c.panes);
    int intact = 0;
    for (int i = 0; i < kGlassMaxPanes; ++i) intact += glass.GetPane(i)->State == GLASS_INTACT ? 1 : 0;
    EXPECT_EQ(intact, c.panes);
    // Every kept pane is whole: a mesh, a plane of unit length.
    for (int i = 0; i < c.panes; ++i) {
      const GlassPane& p = *glass.GetPane(i);
      EXPECT_NE(p.Mesh, nullptr);
      EXPECT_NEAR(std::hypot(p.Outline.Plane[0], p.Outline.Plane[1], p.Outline.Plane[2]), 1.0f, 1e-5f);
    }
  }
}

TEST_F(GlassSection, TheMaterialIsSharedAndTheReflectionNeedsEnvironmentMaps) {
  CMaterialList materials;
  CTextureManager textures;
  PaneShape entry = glass_fixture::Window();
  entry.reflection = "glass_env";
  const std::string text = SectionText({entry, entry});
  GlassModules modules;
  modules.Materials = &materials;
  modules.Textures = &textures;

  // Without environment maps the texture is not fetched, but its name stays for the writer.
  CGlazier plain(0);
  ASSERT_EQ(Read(plain, text, 72, nullptr, modules), 1);
  EXPECT_EQ(plain.GetPane(0)->ReflectionTexture, nullptr);
  EXPECT_EQ(textures.FindByName("glass_env"), nullptr);
  std::string written;
  plain.WriteText(&written);
  EXPECT_NE(written.find("\"glass_env\""), std::string::npos);
  // One material for both panes, with the file's colour and power.
  ASSERT_NE(plain.GetPane(0)->Material, nullptr);
  EXPECT_EQ(plain.GetPane(0)->Material, plain.GetPane(1)->Material);
  EXPECT_EQ(materials.Count, 2);
  EXPECT_EQ(plain.GetPane(0)->Mesh->Material, plain.GetPane(0)->Material);

  modules.EnvironmentMaps = true;
  CGlazier reflecting(0);
  ASSERT_EQ(Read(reflecting, text, 72, nullptr, modules), 1);
  CTexture* env = textures.FindByName("glass_env");
  ASSERT_NE(env, nullptr);
  EXPECT_EQ(reflecting.GetPane(0)->ReflectionTexture, env);
  EXPECT_FLOAT_EQ(reflecting.GetPane(0)->ReflectionStrength, 0.5f);
}

}  // namespace
