#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/file_test_fixture.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/routes/quad_tree.h"
#include "world/routes/route_clock.h"
#include "world/routes/route_marker.h"
#include "world/routes/route_world_fixture.h"
#include "world/routes/router.h"

namespace {

CRouteMarkerList* MakeList(std::uint32_t count) {
  auto* list = new CRouteMarkerList;
  list->Init(count);
  SetRouteMarkerList(list);
  for (std::uint32_t i = 0; i < count; ++i) list->SetPosition(i, {100.0f * i, 0, 0});
  return list;
}

std::vector<std::uint8_t> Bytes(const CRouteMarkerList& list) {
  ByteWriter out;
  WriteRouteMarkers(list, out);
  return out.Data();
}

class RouteMarkers : public ::testing::Test {
 protected:
  void TearDown() override {
    SetRouteClocks(nullptr, nullptr);
    FreeRouteData();
  }
};

int g_Calls = 0;
void CountCall() { ++g_Calls; }

}  // namespace

TEST_F(RouteMarkers, NewMarkerDefaults) {
  CRouteMarker m;
  EXPECT_EQ(m.Position.x, 0);
  for (std::uint16_t l : m.Links) EXPECT_EQ(l, kNoLink);
  EXPECT_EQ(m.Component, 0);
  EXPECT_EQ(m.Flags, 0);
  EXPECT_EQ(m.Weight, 1.0f);
}

TEST_F(RouteMarkers, AddLinkRefusalsChangeNothing) {
  CRouteMarkerList* list = MakeList(8);
  CRouteMarker* m = list->GetMarker(2);
  ASSERT_EQ(m->AddLink(5), 1);
  struct Case {
    const char* why;
    std::uint32_t target;
  } refused[] = {{"empty value", 65535}, {"itself", 2}, {"index = count", 8}, {"beyond", 9000}, {"held", 5}};
  for (const Case& c : refused) {
    std::uint16_t before[kMarkerLinks];
    std::memcpy(before, m->Links, sizeof before);
    EXPECT_EQ(m->AddLink(c.target), 0) << c.why;
    EXPECT_EQ(std::memcmp(before, m->Links, sizeof before), 0) << c.why;
  }
  for (std::uint32_t t : {0u, 1u, 3u, 4u}) EXPECT_EQ(m->AddLink(t), 1);
  EXPECT_EQ(m->CountLinks(), 5);
  EXPECT_EQ(m->AddLink(6), 0) << "five slots used";
  // Slots need not be contiguous: a removed link leaves a hole that is reused.
  EXPECT_EQ(m->RemoveLink(1), 1);
  EXPECT_EQ(m->Links[2], kNoLink);
  EXPECT_EQ(m->RemoveLink(1), 0);
  EXPECT_EQ(m->AddLink(6), 1);
  EXPECT_EQ(m->Links[2], 6);
  EXPECT_TRUE(m->HasLink(6));
  m->ClearLinks();
  EXPECT_EQ(m->CountLinks(), 0);
}

TEST_F(RouteMarkers, ValidateRefusesSelfAndOutOfRangeLinks) {
  CRouteMarkerList* list = MakeList(4);
  list->GetMarker(0)->AddLink(1);
  EXPECT_EQ(list->Validate(), 1);
  EXPECT_FALSE(list->GetMarker(0)->IsIsolated());
  EXPECT_TRUE(list->GetMarker(2)->IsIsolated());
  list->GetMarker(3)->Links[4] = 3;
  EXPECT_EQ(list->Validate(), 0);
  list->GetMarker(3)->Links[4] = 4;
  EXPECT_EQ(list->Validate(), 0);
  list->GetMarker(3)->Links[4] = kNoLink;
  EXPECT_EQ(list->Validate(), 1);
}

// Labels follow links one way, in index order.
TEST_F(RouteMarkers, LabellingFollowsLinksOneWay) {
  {
    CRouteMarkerList* list = MakeList(8);
    list->GetMarker(0)->AddLink(7);
    list->LabelComponents();
    EXPECT_EQ(list->GetMarker(0)->Component, 1);
    EXPECT_EQ(list->GetMarker(7)->Component, 1);
    EXPECT_EQ(list->GetMarker(1)->Component, 2);
    EXPECT_FALSE(list->GetMarker(7)->HasLink(0)) << "not leaves: no link back";
    EXPECT_EQ(list->ComponentCount, 7u);
  }
  {
    CRouteMarkerList* list = MakeList(8);
    list->GetMarker(7)->AddLink(0);
    list->LabelComponents();
    EXPECT_EQ(list->GetMarker(0)->Component, 1);
    EXPECT_NE(list->GetMarker(7)->Component, 1);
  }
  {
    // Labels stored with the markers stay; only unlabelled ones get new ones.
    CRouteMarkerList* list = MakeList(4);
    list->GetMarker(1)->Component = 9;
    list->GetMarker(0)->AddLink(1);
    list->GetMarker(1)->AddLink(2);
    list->LabelComponents();
    EXPECT_EQ(list->GetMarker(0)->Component, 1);
    EXPECT_EQ(list->GetMarker(1)->Component, 9);
    EXPECT_EQ(list->GetMarker(2)->Component, 2) << "the flood stops at a labelled marker";
  }
  {
    CRouteMarkerList* list = MakeList(0);
    list->LabelComponents();
    EXPECT_EQ(list->ComponentCount, 1u);
  }
  {
    // A long chain labels without running out of stack.
    CRouteMarkerList* list = MakeList(60000);
    for (std::uint32_t i = 0; i + 1 < 60000; ++i) list->GetMarker(i)->AddLink(i + 1);
    list->LabelComponents();
    EXPECT_EQ(list->GetMarker(59999)->Component, 1);
    EXPECT_EQ(list->ComponentCount, 1u);
  }
}

TEST_F(RouteMarkers, UpdateDecaysFiftyWeightsAFrameAndCallsBackOnce) {
  CTimer clock;
  route_fixture::SetClock(&clock, 0, 0.1f);
  SetRouteClocks(&clock, &clock);
  {
    CRouteMarkerList* list = MakeList(3);
    for (std::uint32_t i = 0; i < 3; ++i) list->GetMarker(i)->Weight = 2.0f;
    list->Update();
    for (std::uint32_t i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(list->GetMarker(i)->Weight, 1.5f);
    EXPECT_EQ(list->DecayCursor, 0u);
  }
  {
    CRouteMarkerList* list = MakeList(200);
    for (std::uint32_t i = 0; i < 200; ++i) list->GetMarker(i)->Weight = 2.0f;
    list->GetMarker(3)->Weight = 0.5f;  // as read from a file: rises to 1.0
    list->Update();
    EXPECT_EQ(list->DecayCursor, 50u);
    EXPECT_FLOAT_EQ(list->GetMarker(49)->Weight, 1.5f);
    EXPECT_FLOAT_EQ(list->GetMarker(50)->Weight, 2.0f);
    EXPECT_EQ(list->GetMarker(3)->Weight, 1.0f);
    for (int k = 0; k < 3; ++k) list->Update();
    EXPECT_EQ(list->DecayCursor, 0u);
    EXPECT_FLOAT_EQ(list->GetMarker(199)->Weight, 1.5f);
    list->Update();
    list->Update();
    list->Update();
    list->Update();
    EXPECT_EQ(list->GetMarker(0)->Weight, 1.0f) << "never below 1.0";

    g_Calls = 0;
    list->SetChangedCallback(CountCall);
    list->LineTestsThisFrame = 3;
    list->DisableMarker(5);
    EXPECT_EQ(list->Changed, 1u);
    list->Update();
    list->Update();
    EXPECT_EQ(g_Calls, 1);
    EXPECT_EQ(list->Changed, 0u);
    EXPECT_EQ(list->LineTestsThisFrame, 0u);
  }
}

TEST_F(RouteMarkers, DisableMarkerCutsEveryLinkAndClosesItsLeaf) {
  auto maze = route_fixture::MakeGridWorld({"....", ".#..", "....", "...."});
  BuildRouteData(*maze->env);
  CRouteMarkerList& list = *g_RouteMarkerList;
  ASSERT_GT(list.Count, 1u);
  const std::uint32_t victim = list.GetMarker(0)->Links[0];
  ASSERT_NE(victim, kNoLink);
  list.DisableMarker(victim);
  for (std::uint32_t i = 0; i < list.Count; ++i) EXPECT_FALSE(list.GetMarker(i)->HasLink(victim));
  EXPECT_EQ(list.GetMarker(victim)->CountLinks(), 0);
  EXPECT_TRUE(list.GetMarker(victim)->IsIsolated());
  EXPECT_FALSE(QuadTreeIsOpen(list.GetMarker(victim)->Position));
}

TEST_F(RouteMarkers, FindNearestTiesAndRange) {
  auto* list = new CRouteMarkerList;
  list->Init(3);
  SetRouteMarkerList(list);
  list->SetPosition(0, {2000000, 0, 0});
  list->SetPosition(1, {10, 0, 0});
  list->SetPosition(2, {-10, 0, 0});
  std::uint32_t index = 0;
  EXPECT_EQ(list->FindNearest({0, 0, 0}, &index), list->GetMarker(1));
  EXPECT_EQ(index, 1u) << "ties go to the lower index";
  EXPECT_EQ(list->FindNearest({5000000, 0, 0}, &index), nullptr);
  EXPECT_EQ(index, 65535u);
  EXPECT_EQ(list->FindNearestIndex({5000000, 0, 0}), 0u);
  CRouteMarkerList empty;
  EXPECT_EQ(empty.FindNearest({0, 0, 0}, &index), nullptr);
  EXPECT_EQ(index, 65535u);
}

// The three layouts: version word and 32-byte records; version word with
// version 0 and 28-byte records; no version word (count first, 28 bytes).
TEST_F(RouteMarkers, FileLayoutsAreRead) {
  for (int layout = 0; layout < 3; ++layout) {
    ByteWriter out;
    if (layout < 2) {
      out.U32(0xFFFFFFFFu);
      out.U32(layout == 0 ? 1 : 0);
    }
    out.U32(2);
    for (int i = 0; i < 2; ++i) {
      out.F32(10.0f * i);
      out.F32(51);
      out.F32(-3);
      for (int k = 0; k < 5; ++k) out.U16(k == 0 ? static_cast<std::uint16_t>(1 - i) : kNoLink);
      out.U16(static_cast<std::uint16_t>(4 + i));  // component
      out.U16(RMF_LEAF);
      out.U8(0xAB);  // reserved: read and dropped
      out.U8(0xCD);
      if (layout == 0) out.F32(0.5f);
    }
    ByteReader in(out.Data().data(), out.Size());
    std::string error;
    std::unique_ptr<CRouteMarkerList> list = ReadRouteMarkers(in, &error);
    ASSERT_NE(list, nullptr) << layout << ": " << error;
    ASSERT_EQ(list->Count, 2u);
    EXPECT_EQ(in.Remaining(), 0u);
    const CRouteMarker* m = list->GetMarker(1);
    EXPECT_EQ(m->Position.x, 10);
    EXPECT_EQ(m->Position.z, -3);
    EXPECT_EQ(m->Links[0], 0);
    EXPECT_EQ(m->Component, 5);
    EXPECT_EQ(m->Flags, RMF_LEAF);
    EXPECT_EQ(m->Reserved[0], 0);
    EXPECT_EQ(m->Weight, layout == 0 ? 0.5f : 1.0f) << layout;
  }
}

TEST_F(RouteMarkers, DamagedFilesAreRefused) {
  CRouteMarkerList* list = MakeList(3);
  list->GetMarker(0)->AddLink(2);
  const std::vector<std::uint8_t> good = Bytes(*list);
  auto with = [&](std::size_t at, std::uint32_t v) {
    std::vector<std::uint8_t> b = good;
    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
    return b;
  };
  auto withF = [&](std::size_t at, float f) {
    std::uint32_t v;
    std::memcpy(&v, &f, 4);
    return with(at, v);
  };
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"short header", {0xFF, 0xFF, 0xFF, 0xFF, 1, 0}},
      {"count past the end", with(8, 4)},
      {"count of 65535", with(8, 65535)},
      {"huge count", with(8, 0x40000000)},
      {"old layout count past the end", with(0, 0x7FFFFFFF)},
      {"short records", std::vector<std::uint8_t>(good.begin(), good.end() - 1)},
      {"position not a number", withF(12, NAN)},
      {"weight not a number", withF(12 + 28, INFINITY)},
      {"negative weight", withF(12 + 28, -1.0f)},
  };
  for (const Case& c : cases) {
    ByteReader in(c.bytes.data(), c.bytes.size());
    std::string error;
    EXPECT_EQ(ReadRouteMarkers(in, &error), nullptr) << c.name;
    EXPECT_FALSE(error.empty()) << c.name;
  }
}

TEST_F(RouteMarkers, SkipMarkerSectionReadsEveryVersionsRecord) {
  struct Case {
    const char* text;
    int version;
    int result;
    const char* rest;  // what follows the section
  } cases[] = {
      {"ENDMARKERS next", 10, 1, "next"},
      {"NEWENVMARKER 0 1.0 2.0 3.0 1 2 65535 65535 65535 name ENDMARKERS next", 10, 1, "next"},
      {"NEWENVMARKER 0 1 2 3 0 1 2 3 4 5 name\nNEWENVMARKER 1 1 2 3 128 1 2 3 4 5 name other ENDMARKERS x", 24, 1,
       "x"},
      {"NEWENVMARKER 0 1 2 3 0 1 0.5 2 2 0.5 2 3 0.5 2 4 0.5 2 5 0.5 2 name ENDMARKERS y", 43, 1, "y"},
      {"SOMETHING", 43, 0, ""},
      {"NEWENVMARKER 0 1 2", 43, 0, ""},
      {"", 43, 0, ""},
  };
  for (const Case& c : cases) {
    EnvTextCursor cursor(c.text);
    EXPECT_EQ(SkipMarkerSection(cursor, c.version), c.result) << c.text;
    if (c.result) {
      char word[32];
      ASSERT_TRUE(cursor.Token(word)) << c.text;
      EXPECT_STREQ(word, c.rest);
    }
  }
}

namespace {

class RouteDataFiles : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    Start();
  }
  void TearDown() override {
    FreeRouteData();
    FileTest::TearDown();
  }
};

std::string FileBytes(const char* name) {
  std::FILE* f = std::fopen(name, "rb");
  std::string s;
  if (!f) return s;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) s.append(buffer, n);
  std::fclose(f);
  return s;
}

}  // namespace

// Both files written, read back and written again are byte-identical, and
// the level start uses them; damaged or missing files make it build instead.
TEST_F(RouteDataFiles, SavedDataLoadsBackAndDamageFallsBackToBuilding) {
  route_fixture::MazeOptions o;
  o.halfCells = 4;
  auto maze = route_fixture::MakeMaze(o);
  CEnvironment& env = *maze->env;
  ASSERT_EQ(BuildAndSaveRouteData(env, "built"), 1);
  const std::string builtTree = FileBytes("built.qtd");
  EXPECT_FALSE(builtTree.empty());
  EXPECT_EQ(BuildAndSaveRouteData(env, "no/such/folder/level"), 0);
  BuildRouteData(env);
  g_RouteMarkerList->GetMarker(1)->Weight = 1.75f;
  ASSERT_EQ(SaveQuadTree("level.qtd"), 1);
  ASSERT_EQ(SaveRouteMarkers(g_RouteMarkerList, "level.rmd"), 1);
  EXPECT_EQ(SaveRouteMarkers(nullptr, "none.rmd"), 0);
  const std::string tree = FileBytes("level.qtd"), markers = FileBytes("level.rmd");
  EXPECT_EQ(tree, builtTree) << "the build is repeatable";
  const std::uint32_t count = g_RouteMarkerList->Count;
  ASSERT_EQ(markers.size(), 12 + 32u * count);

  FreeRouteData();
  ASSERT_EQ(StartRouteData(env, "level", CountCall), 1);
  ASSERT_NE(g_Router, nullptr);
  EXPECT_EQ(g_Router->GetNodeCount(), count);
  EXPECT_EQ(g_QuadTree->ArrayForm, 1u);
  EXPECT_EQ(g_RouteMarkerList->ChangedCallback, CountCall);
  EXPECT_EQ(g_RouteMarkerList->GetMarker(1)->Weight, 1.75f);
  ASSERT_EQ(SaveQuadTree("again.qtd"), 1);
  ASSERT_EQ(SaveRouteMarkers(g_RouteMarkerList, "again.rmd"), 1);
  EXPECT_EQ(FileBytes("again.qtd"), tree);
  EXPECT_EQ(FileBytes("again.rmd"), markers);

  struct Case {
    const char* name;
    std::string qtd, rmd;
  };
  std::string badLink = markers;
  badLink[12 + 12] = static_cast<char>(count & 0xFF);  // marker 0's first link = count
  badLink[12 + 13] = static_cast<char>(count >> 8);
  std::string fewMarkers = markers.substr(0, 12 + 32);
  fewMarkers[8] = 1;
  fewMarkers[9] = fewMarkers[10] = fewMarkers[11] = 0;
  std::string badChild = tree;
  badChild[4 + 4] = 3;  // root's children at byte 3
  const Case cases[] = {
      {"no marker file", tree, ""},
      {"no quadtree file", "", markers},
      {"short quadtree file", tree.substr(0, tree.size() - 2), markers},
      {"link out of range", tree, badLink},
      {"fewer markers than open leaves", tree, fewMarkers},
      {"child offset off a record", badChild, markers},
  };
  for (const Case& c : cases) {
    std::remove("level.qtd");
    std::remove("level.rmd");
    if (!c.qtd.empty()) Write("level.qtd", c.qtd);
    if (!c.rmd.empty()) Write("level.rmd", c.rmd);
    FreeRouteData();
    EXPECT_EQ(LoadRouteData("level"), 0) << c.name;
    EXPECT_EQ(g_QuadTree, nullptr) << c.name;
    EXPECT_EQ(StartRouteData(env, "level", nullptr), 0) << c.name;
    ASSERT_NE(g_QuadTree, nullptr) << c.name;
    EXPECT_EQ(g_QuadTree->ArrayForm, 0u) << "built again: " << c.name;
    EXPECT_EQ(g_RouteMarkerList->Count, count) << c.name;
    ASSERT_NE(g_Router, nullptr);
  }

  // The combined form holds both in one stream.
  BuildRouteData(env);
  ByteWriter combined;
  WriteRouteDataCombined(*g_QuadTree, *g_RouteMarkerList, combined);
  Write("level.rda", std::string(combined.Data().begin(), combined.Data().end()));
  FreeRouteData();
  ASSERT_EQ(LoadRouteDataCombined("level.rda"), 1);
  EXPECT_EQ(g_RouteMarkerList->Count, count);
}

TEST_F(RouteDataFiles, FlatRouteDataWhenTheEnvironmentAsksForIt) {
  auto maze = route_fixture::MakeGridWorld({"#...", "....", "....", "...."});
  CEnvironment& env = *maze->env;
  env.Flags |= 2;
  EXPECT_EQ(StartRouteData(env, "level", nullptr), 0);
  ASSERT_NE(g_QuadTree, nullptr);
  EXPECT_TRUE(g_QuadTree->Root->IsLeaf());
  EXPECT_TRUE(g_QuadTree->Root->IsOpen());
  EXPECT_EQ(g_QuadTree->OpenLeaves, 1u);
  ASSERT_EQ(g_RouteMarkerList->Count, 1u);
  EXPECT_EQ(g_RouteMarkerList->GetMarker(0)->Position.x, g_QuadTree->Root->CentreX);
  EXPECT_EQ(g_Router->GetNodeCount(), 1u);
  EXPECT_TRUE(QuadTreeIsOpen(route_fixture::Maze::Centre(0, 0)));
}
