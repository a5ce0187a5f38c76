#include "world/environment/env_waypoints.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/debug_output.h"
#include "world/environment/env_text_cursor.h"

namespace {

// One chain 0 -> 1 -> 2 written for each layout: old records, new records
// before the second integer, before look points, and with look points.
struct VersionCase {
  int version;
  const char* text;
  bool hasLook;
};

const VersionCase kVersions[] = {
    {0, "ENVWAYPT 0 a 1 2 3 1\nENVWAYPT 1 b 4 5 6 2\nENVWAYPT 2 c 7 8 9 -1\nENDWAYPTS\nNEXT", false},
    {9, "NEWENVWAYPT 0 a 1 2 3 5 1\nNEWENVWAYPT 1 b 4 5 6 0 2\nNEWENVWAYPT 2 c 7 8 9 0 -1\nENDWAYPTS\nNEXT", false},
    {10, "NEWENVWAYPT 0 9 a 1 2 3 5 1\nNEWENVWAYPT 1 9 b 4 5 6 0 2\nNEWENVWAYPT 2 9 c 7 8 9 0 -1\nENDWAYPTS\nNEXT",
     false},
    {14,
     "NEWENVWAYPT 0 9 \"a a\" 1 2 3 10 20 30 5 1\nNEWENVWAYPT 1 9 b 4 5 6 0 0 0 0 2\n"
     "NEWENVWAYPT 2 9 c 7 8 9 1 1 1 0 -1\nENDWAYPTS\nNEXT",
     true},
};

}  // namespace

TEST(EnvWaypointList, ReadsEachVersionLayout) {
  for (const VersionCase& c : kVersions) {
    SCOPED_TRACE(c.version);
    EnvWaypointList list;
    EnvTextCursor text(c.text);
    ASSERT_TRUE(list.Read(text, c.version));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetNext(0), 1);
    EXPECT_EQ(list.GetNext(1), 2);
    EXPECT_EQ(list.GetNext(2), -1);
    EXPECT_FLOAT_EQ(list.GetWaypointPosition(1).y, 5.0f);
    const EnvWaypoint* first = list.GetWaypoint(0);
    ASSERT_NE(first, nullptr);
    EXPECT_FLOAT_EQ(first->lookPoint.x, c.hasLook ? 10.0f : 1.0f);
    EXPECT_FLOAT_EQ(first->lookPoint.z, c.hasLook ? 30.0f : 3.0f);
    // Only the newer record form carries a tag.
    EXPECT_EQ(list.GetTag(0), c.version >= 9 ? 5 : 0);
    // The cursor stands right behind the section.
    char after[8];
    ASSERT_TRUE(text.Token(after));
    EXPECT_STREQ(after, "NEXT");
  }
}

TEST(EnvWaypointList, TerminatorFirstLeavesTheListEmpty) {
  EnvWaypointList list;
  EnvTextCursor text("ENDWAYPTS");
  EXPECT_TRUE(list.Read(text, 14));
  EXPECT_EQ(list.Count(), 0);
}

TEST(EnvWaypointList, CutTextStopsCleanlyWithWhatWasRead) {
  // Cut the version-14 section at every byte: reading never loops, never
  // reads past the text, and keeps only whole waypoints.
  SetDebugOutputHook([](const char*, void*) {}, nullptr);
  std::string full = kVersions[3].text;
  std::size_t end = full.find("ENDWAYPTS");
  for (std::size_t cut = 0; cut < end; ++cut) {
    std::string part = full.substr(0, cut);
    EnvWaypointList list;
    EnvTextCursor text(part.c_str());
    EXPECT_FALSE(list.Read(text, 14)) << "cut at " << cut;
    EXPECT_LE(list.Count(), 3);
    EXPECT_LE(text.Offset(), part.size());
    for (int i = 0; i < list.Count(); ++i) EXPECT_LT(list.GetNext(i), list.Count());
  }
  SetDebugOutputHook(nullptr, nullptr);
}

TEST(EnvWaypointList, NextIndicesOutsideTheListEndTheChain) {
  EnvWaypointList list;
  EnvTextCursor text("ENVWAYPT 0 a 0 0 0 1\nENVWAYPT 1 b 0 0 0 7\nENVWAYPT 2 c 0 0 0 -5\nENDWAYPTS");
  ASSERT_TRUE(list.Read(text, 0));
  EXPECT_EQ(list.GetNext(0), 1);
  EXPECT_EQ(list.GetNext(1), -1);
  EXPECT_EQ(list.GetNext(2), -1);
  EnvWaypointPath path;
  ASSERT_TRUE(list.StartPath(0, path));
  EXPECT_EQ(path.window[1], 1);
  EXPECT_EQ(path.window[2], -1);
}

TEST(EnvWaypointList, AFullListDropsFurtherWaypointsButReadsOn) {
  EnvWaypointList list;
  std::string section;
  for (int i = 0; i < EnvWaypointList::kCapacity + 2; ++i) section += "ENVWAYPT 0 w 1 2 3 -1\n";
  section += "ENDWAYPTS after";
  EnvTextCursor text(section.c_str());
  EXPECT_TRUE(list.Read(text, 0));
  EXPECT_EQ(list.Count(), EnvWaypointList::kCapacity);
  EXPECT_EQ(list.Add({0, 0, 0}, nullptr), -1);
  char after[8];
  ASSERT_TRUE(text.Token(after));
  EXPECT_STREQ(after, "after");
}

TEST(EnvWaypointList, PathWindowFollowsTheChain) {
  EnvWaypointList list;
  for (int i = 0; i < 6; ++i) list.Add({float(i), 0, 0}, nullptr);
  // Chains: 0 -> 1 (a chain of two), 2 -> 3 -> 4 -> 5, and 5 alone.
  list.SetNext(0, 1);
  list.SetNext(2, 3);
  list.SetNext(3, 4);
  list.SetNext(4, 5);

  EnvWaypointPath path;
  path.stepWords[0] = path.stepWords[1] = 9;
  ASSERT_TRUE(list.StartPath(0, path));
  EXPECT_EQ(path.window[0], 0);
  EXPECT_EQ(path.window[1], 1);
  EXPECT_EQ(path.window[2], -1);
  EXPECT_EQ(path.window[3], -1);
  EXPECT_EQ(path.started, 1);
  EXPECT_EQ(path.stepWords[0], 0);

  ASSERT_TRUE(list.StartPath(2, path));
  EXPECT_EQ(path.window[3], 5);
  path.stepWords[1] = 4;
  list.AdvancePath(path);
  EXPECT_EQ(path.window[0], 3);
  EXPECT_EQ(path.window[2], 5);
  EXPECT_EQ(path.window[3], -1);
  EXPECT_EQ(path.stepWords[1], 0);

  EnvWaypointPath untouched;
  EXPECT_FALSE(list.StartPath(5, untouched));  // its next is -1
  EXPECT_FALSE(list.StartPath(99, untouched));
  EXPECT_EQ(untouched.started, 0);
  EXPECT_EQ(untouched.window[0], -1);
}
