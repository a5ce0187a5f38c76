#include "world/environment/hlo_record_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hlo_record_fixture.h"
#include "platform/win32/debug_output.h"
#include "world/environment/attachment_parts.h"
#include "world/environment/character_variants.h"
#include "world/environment/env_text_cursor.h"

namespace {

// Reads one record from `text` (the keyword included) and checks that the
// reader stopped right before the sentinel word after it.
bool ReadOne(const std::string& text, int version, HLOSpawnRecord& record, HLORecordExtras& extras) {
  std::string withSentinel = text + " SENTINEL";
  EnvTextCursor cursor(withSentinel.c_str());
  char keyword[16];
  cursor.Token(keyword);
  if (!EnvFileReadHLORecord(cursor, version, record, extras)) return false;
  char after[16];
  cursor.Token(after);
  EXPECT_STREQ(after, "SENTINEL") << "record of version " << version << " not read to its end";
  return true;
}

struct Collected {
  std::vector<HLOSpawnRecord> records;
  std::vector<std::string> parents;
  int progress = 0;
};

void Collect(HLOSpawnRecord& record, const HLORecordExtras& extras, void* context) {
  auto* c = static_cast<Collected*>(context);
  c->records.push_back(record);
  c->parents.push_back(extras.parentName);
}

void CountProgress(void* context) { ++static_cast<Collected*>(context)->progress; }

// Keeps the damaged-text debug lines out of the test log.
class QuietDebugOutput {
 public:
  QuietDebugOutput() { SetDebugOutputHook([](const char*, void*) {}, nullptr); }
  ~QuietDebugOutput() { SetDebugOutputHook(nullptr, nullptr); }
};

}  // namespace

TEST(HLORecordReader, EveryVersionGateKeepsTheRecordInStep) {
  // One record per gate version and its neighbour below: each must be read
  // to its end, and each gated field must hold the file's value or its
  // default.
  const int versions[] = {0, 8, 9, 10, 18, 19, 20, 21, 22, 23, 25, 26, 27, 29, 30, 35, 36, 39,
                          40, 41, 42, 44, 45, 48, 49, 50, 51, 62, 63, 68, 69, 72};
  for (int v : versions) {
    SCOPED_TRACE(v);
    HLORecordFixture f;
    f.version = v;
    f.mask = 0x17F;
    f.flags = 0x1000005;
    HLOSpawnRecord r;
    HLORecordExtras extras;
    ASSERT_TRUE(ReadOne(WriteHLORecord(f), v, r, extras));
    EXPECT_STREQ(r.objectName, "Soldier");
    EXPECT_STREQ(r.templateName, "Soldier");
    EXPECT_STREQ(extras.parentName, "Root");
    EXPECT_FLOAT_EQ(r.position.z, 300.0f);
    EXPECT_FLOAT_EQ(r.rotation.y, 90.0f);
    EXPECT_EQ(r.id, 7);
    EXPECT_EQ(r.statsTable, 1);
    EXPECT_STREQ(r.statsName, "stats_entry");
    EXPECT_EQ(r.instanceFlags, (v >= 10 ? 0x1000005u : 0u) | (v < 51 ? 0x200000u : 0u));
    EXPECT_EQ(r.secondValue, v >= 9 ? 12 : 0);
    EXPECT_EQ(r.objectFlags, 0x1u | 0x20u | 0x200u | (v >= 9 ? 0x8u : 0u));
    EXPECT_FLOAT_EQ(r.bounds[0], v >= 19 ? 1.0f : -1000.0f);
    EXPECT_FLOAT_EQ(r.bounds[5], v >= 25 ? 6.5f : -1000.0f);
    EXPECT_EQ(r.secondMode, v >= 25 ? 7 : 3);
    EXPECT_EQ(r.thirdMode, v >= 36 ? 8 : v >= 21 && v >= 19 ? 9 : 3);
    EXPECT_EQ(r.linkedIds[0], v >= 42 ? 22 : -1);
    EXPECT_EQ(r.linkedIds[1], v >= 42 ? 21 : -1);
    EXPECT_STREQ(r.behaviourName, v >= 40 ? "PATROL" : v >= 19 ? "NONE" : "");
    EXPECT_FLOAT_EQ(r.maskReal, v >= 26 ? 64.5f : 0.0f);
    EXPECT_FLOAT_EQ(r.twoReals[1], v >= 20 ? 0.75f : 0.0f);
    EXPECT_EQ(r.furtherId, v >= 45 ? 33 : -1);
    EXPECT_FLOAT_EQ(r.scaleFactors[0], v >= 50 ? 2.5f : 1.0f);
    EXPECT_FLOAT_EQ(r.scaleFactors[1], v >= 50 ? 1.5f : 1.0f);
    EXPECT_FLOAT_EQ(r.points[0].z, v >= 23 ? 3.0f : -400.0f);
    EXPECT_EQ(r.pointNumber, v >= 23 ? 7 : 1);
    EXPECT_EQ(r.takesGroundLights, v >= 30 ? 0 : 1);
    EXPECT_EQ(r.lightCount, v >= 30 ? 2 : 0);
    EXPECT_EQ(r.marks.count(), v >= 19 ? 2u : 0u);
    ASSERT_EQ(r.attachments.size(), 1u);
    EXPECT_STREQ(r.attachments[0].connector, "HEAD0");
    EXPECT_STREQ(r.attachments[0].objectName, "US_HELMET_CAMO");
    EXPECT_EQ(r.renderInfo.count, v >= 10 ? 1 : 0);
  }
}

TEST(HLORecordReader, BehaviourBlockAndShapeLayoutsByVersion) {
  // Version 18 has no behaviour block; 19 has the block but not the two
  // reals that follow it from 20 on.
  const char* v18 = "HLO 0 a Root 0 0 0 0 0 0 0 0 0 s 1 1 x 0 0 1 0 0 0 0 0 0";
  const char* v19 = "HLO 0 a Root 0 0 0 0 0 0 0 0 0 s 1 1 x 0 0 1 0 0 0 0 1 2 3 4 5 6 0 0 0 0";
  HLOSpawnRecord r;
  HLORecordExtras e;
  ASSERT_TRUE(ReadOne(v18, 18, r, e));
  EXPECT_FLOAT_EQ(r.bounds[0], -1000.0f);
  EXPECT_EQ(r.behaviourMode, 2);
  ASSERT_TRUE(ReadOne(v19, 19, r, e));
  EXPECT_FLOAT_EQ(r.bounds[4], 5.0f);
  EXPECT_EQ(r.behaviourMode, 6);

  // Shape kind 2 reads eight reals from version 22, four reals and an
  // ignored int before.
  for (int v : {21, 22}) {
    HLORecordFixture f;
    f.version = v;
    f.mask = 0x100;
    ASSERT_TRUE(ReadOne(WriteHLORecord(f), v, r, e));
    EXPECT_EQ(r.shapeKind, 2);
    EXPECT_FLOAT_EQ(r.shapeValues[3], 33.0f);
    EXPECT_FLOAT_EQ(r.shapeValues[7], v >= 22 ? 37.0f : 0.0f);
  }
}

TEST(HLORecordReader, FlagAndByteRules) {
  HLOSpawnRecord r;
  HLORecordExtras e;
  HLORecordFixture f;
  struct Case {
    int version;
    int row18;
    bool flag200;
  };
  for (const Case& c : {Case{26, 0, true}, Case{27, 0, false}, Case{27, 1, true}}) {
    f.version = c.version;
    f.row18 = c.row18;
    ASSERT_TRUE(ReadOne(WriteHLORecord(f), c.version, r, e));
    EXPECT_EQ((r.objectFlags & 0x200) != 0, c.flag200) << c.version;
  }
  f = HLORecordFixture{};
  f.thirdByte = -4;
  f.orderKey = -1;
  f.flags = 0x400000 | 0x8;  // the breakable bit is not the file's to set on objects
  f.texture = "notexture";
  ASSERT_TRUE(ReadOne(WriteHLORecord(f), 72, r, e));
  EXPECT_EQ(r.thirdByte, 0);
  EXPECT_EQ(r.orderKey, -1);
  EXPECT_EQ(r.instanceFlags, 0x8u);
  EXPECT_STREQ(r.textureName, "");
  f.texture = "Camo.bmp";
  ASSERT_TRUE(ReadOne(WriteHLORecord(f), 72, r, e));
  EXPECT_STREQ(r.textureName, "Camo.bmp");
}

// Each switch word gives its own flag: row 16 0x1, row 17 0x8 and 0x10
// (version 9 on; before it the words are not there), row 21 0x20.  Any
// value other than 0 counts.
TEST(HLORecordReader, EachSwitchWordGivesItsOwnFlag) {
  struct Case {
    int version, active, a, b, c;
    std::uint32_t flags;  // besides 0x200 (row 18)
  } cases[] = {
      {72, 0, 0, 0, 0, 0x0},  {72, 1, 0, 0, 0, 0x1},  {72, 0, 1, 0, 0, 0x8},  {72, 0, 0, 1, 0, 0x10},
      {72, 0, 0, 0, 1, 0x20}, {72, 0, 0, 7, 0, 0x10}, {72, 0, -1, 0, 0, 0x8}, {72, 1, 1, 1, 1, 0x39},
      {9, 0, 0, 1, 0, 0x10},  {8, 0, 1, 1, 0, 0x0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "v" << c.version << " " << c.active << c.a << c.b << c.c);
    HLORecordFixture f;
    f.version = c.version;
    f.startsActive = c.active;
    f.switchA = c.a;
    f.switchB = c.b;
    f.switchC = c.c;
    HLOSpawnRecord r;
    HLORecordExtras e;
    ASSERT_TRUE(ReadOne(WriteHLORecord(f), c.version, r, e));
    EXPECT_EQ(r.objectFlags & ~0x200u, c.flags);
  }
}

TEST(HLORecordReader, ListsAreBoundedByTheRecord) {
  QuietDebugOutput quiet;
  HLORecordFixture f;
  f.markCount = 5;  // 5, 599, then 11, 12, 13
  f.statsLinks = 30;
  f.lightCount = 9;
  f.attachments = 260;
  HLOSpawnRecord r;
  HLORecordExtras e;
  ASSERT_TRUE(ReadOne(WriteHLORecord(f), 72, r, e));
  EXPECT_TRUE(r.marks.test(5));
  EXPECT_TRUE(r.marks.test(599));
  EXPECT_EQ(r.marks.count(), 5u);
  EXPECT_EQ(r.statsLinks.size(), 25u);
  EXPECT_EQ(r.lightCount, 6);
  EXPECT_EQ(r.lights[5], 8);
  EXPECT_EQ(r.attachments.size(), 256u);

  // Mark indices outside the 600 marks are skipped, not written.
  std::string text = WriteHLORecord(HLORecordFixture{});
  std::size_t marks = text.find(" 2 5 599");
  ASSERT_NE(marks, std::string::npos);
  text.replace(marks, 8, " 3 600 -1 4");
  ASSERT_TRUE(ReadOne(text, 72, r, e));
  EXPECT_EQ(r.marks.count(), 1u);
  EXPECT_TRUE(r.marks.test(4));

  // A negative count is damage: the record is refused.
  text = WriteHLORecord(HLORecordFixture{});
  text.replace(text.find(" 2 5 599"), 8, " -2");
  EXPECT_FALSE(ReadOne(text, 72, r, e));
}

TEST(HLORecordReader, ListPassesEachRecordAndStopsAtHLOX) {
  HLORecordFixture f;
  f.parent = "\"Tower Top\"";
  std::string text = WriteHLOList(f, 3) + "PORTALS";
  EnvTextCursor cursor(text.c_str());
  char first[32];
  cursor.Token(first);
  Collected c;
  ASSERT_TRUE(EnvFileReadHLOList(cursor, 72, first, Collect, CountProgress, &c));
  EXPECT_EQ(c.records.size(), 3u);
  EXPECT_EQ(c.progress, 3);
  EXPECT_EQ(c.parents[2], "Tower Top");
  char next[16];
  cursor.Token(next);
  EXPECT_STREQ(next, "PORTALS");

  EnvTextCursor empty("HLOX");
  Collected none;
  empty.Token(first);
  EXPECT_TRUE(EnvFileReadHLOList(empty, 72, first, Collect, nullptr, &none));
  EXPECT_TRUE(none.records.empty());
}

TEST(HLORecordReader, ListCutAtEveryTokenStopsCleanly) {
  QuietDebugOutput quiet;
  HLORecordFixture f;
  f.flags = 0x1000005;
  f.mask = 0x17F;
  std::string full = WriteHLOList(f, 2);
  // Where each record's last value ends: a cut at or after it leaves that
  // record whole, and only whole records may be passed on.
  std::size_t second = full.find("HLO ", 1);
  std::size_t end = full.find("HLOX");
  std::size_t firstEnd = full.find_last_not_of(" \n", second - 1) + 1;
  std::size_t secondEnd = full.find_last_not_of(" \n", end - 1) + 1;
  for (std::size_t cut = 0; cut < end + 4; ++cut) {
    if (cut > 0 && full[cut - 1] != ' ' && full[cut - 1] != '\n' && full[cut] != ' ' && full[cut] != '\n') continue;
    std::string part = full.substr(0, cut);
    EnvTextCursor cursor(part.c_str());
    char first[32];
    cursor.Token(first);
    Collected c;
    bool ok = EnvFileReadHLOList(cursor, 72, first, Collect, nullptr, &c);
    EXPECT_FALSE(ok) << "cut at " << cut;
    std::size_t whole = cut >= secondEnd ? 2 : cut >= firstEnd ? 1 : 0;
    EXPECT_EQ(c.records.size(), whole) << "cut at " << cut;
    EXPECT_LE(cursor.Offset(), part.size());
  }
}

TEST(HLORecordReader, AttachmentPartsAndCharacterVariants) {
  EXPECT_TRUE(EnvFileIsAttachmentName("US_HELMET_CAMO"));
  EXPECT_TRUE(EnvFileIsAttachmentName("SUNGLASSES"));
  EXPECT_FALSE(EnvFileIsAttachmentName("us_helmet_camo"));
  EXPECT_FALSE(EnvFileIsAttachmentName("US_HELMET"));

  EnvFileResetCharacterVariants();
  EXPECT_EQ(EnvFileFindCharacterVariant("GOATHERDER"), nullptr);  // disabled
  EnvFileEnableCharacterVariants(true);
  const CharacterVariant* v = EnvFileFindCharacterVariant("IRAQTORTURER");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->baseSlot, 1);
  EXPECT_STREQ(v->textureName, "IRAQTORTURER.bmp");
  EXPECT_EQ(EnvFileFindCharacterVariant("goatherder"), nullptr);  // names compare exactly
  int dummy = 0;
  EnvFileSetCharacterBaseTemplate(0, reinterpret_cast<CEnvObject*>(&dummy));
  EnvFileResetCharacterVariants();
  EXPECT_EQ(EnvFileCharacterBaseTemplate(0), nullptr);
  EXPECT_EQ(EnvFileFindCharacterVariant("GOATHERDER"), nullptr);
}
