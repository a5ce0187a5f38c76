// The saved game's fixed format: the header's bytes at their offsets, the
// sound masks' wrap, the record sizes by kind, the buffer's size, and the
// layout check that refuses what does not fit the buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "shell/game/game.h"
#include "shell/game/object_records.h"
#include "shell/game/save_header.h"
#include "shell/mission/mission.h"
#include "shell/mission/mission_block.h"

namespace {

SaveHeader DistinctHeader() {
  SaveHeader h;
  h.missionId = 0x11121314;
  h.version = 16;
  h.counts.soldiers = 0x0102;
  h.counts.vehicles = 0x0304;
  h.counts.features = 0x0506;
  h.counts.buildings = 0x0708;
  h.counts.items = 0x090A;
  h.counts.weapons = 0x0B0C;
  h.counts.doors = 0x0D0E;
  h.counts.corpses = 0x0F10;
  h.savedInstances = 0x1718;
  h.timedCallbacks = 0x19;
  h.gameTime = 0x21222324;
  h.realTime = 0x25262728;
  h.environmentWords[0] = 0x29;
  h.environmentWords[1] = 0x2A;
  h.playerSoldiers[0] = 7;
  h.playerSoldiers[1] = -1;
  h.playerSoldiers[2] = 0x33;
  h.playerSoldiers[3] = 0x34;
  h.playerMask = 0x5;
  h.playerNation = 1;
  h.difficulty = 2;
  h.cheatFlags = 0xB;
  h.playerSkillBonus = 0x4142;
  h.soundFloats[0] = 0.5f;
  h.soundFloats[1] = 0.75f;
  h.mouseWords[0] = 0x51;
  h.mouseWords[1] = 0x52;
  h.mouseWords[2] = 0x53;
  h.mouseWords[3] = 0x54;
  h.soundMasks[0] = 0x61626364;
  h.soundMasks[1] = 0x65666768;
  h.pluginStateSize = 136;
  return h;
}

std::uint32_t At(const std::vector<std::uint8_t>& b, std::size_t offset, int width) {
  std::uint32_t v = 0;
  for (int i = 0; i < width; ++i) v |= static_cast<std::uint32_t>(b[offset + i]) << (8 * i);
  return v;
}

TEST(SaveHeaderFormat, EveryFieldSitsAtItsOffsetAndReadsBack) {
  const SaveHeader h = DistinctHeader();
  ByteWriter out;
  WriteSaveHeader(h, out);
  const std::vector<std::uint8_t>& b = out.Data();
  ASSERT_EQ(b.size(), kSaveHeaderSize);
  struct Field {
    std::size_t offset;
    int width;
    std::uint32_t value;
  };
  const Field golden[] = {
      {0, 4, 0x11121314},  {4, 4, 16},          {8, 2, 0x0102},       {10, 2, 0x0304},      {12, 2, 0x0506},
      {14, 2, 0x0708},     {16, 2, 0x090A},     {18, 2, 0x0B0C},      {20, 2, 0x0D0E},      {22, 2, 0},
      {24, 2, 0x0F10},     {26, 2, 0x1718},     {28, 1, 0x19},        {29, 3, 0},           {32, 4, 0x21222324},
      {36, 4, 0x25262728}, {40, 4, 0x29},       {44, 4, 0x2A},        {48, 4, 7},           {52, 4, 0xFFFFFFFF},
      {56, 4, 0x33},       {60, 4, 0x34},       {64, 4, 5},           {68, 4, 0},           {72, 4, 1},
      {76, 4, 2},          {80, 4, 0xB},        {84, 2, 0x4142},      {86, 2, 0},           {88, 4, 0x3F000000},
      {92, 4, 0x3F400000}, {96, 4, 0x51},       {100, 4, 0x52},       {104, 4, 0x53},       {108, 4, 0x54},
      {112, 4, 0},         {116, 4, 0x61626364}, {120, 4, 0x65666768}, {124, 4, 136},        {128, 4, 0},
      {132, 4, 0},         {136, 4, 0},         {140, 4, 0},          {144, 4, 0},
  };
  for (const Field& f : golden) EXPECT_EQ(At(b, f.offset, f.width), f.value) << "offset " << f.offset;
  ByteReader in(b.data(), b.size());
  SaveHeader back;
  back.version = 0;
  ASSERT_TRUE(ReadSaveHeader(in, &back));
  EXPECT_EQ(back, h);
  ByteReader cut(b.data(), b.size() - 1);
  SaveHeader untouched = back;
  EXPECT_FALSE(ReadSaveHeader(cut, &untouched));
  EXPECT_EQ(untouched, back);
}

TEST(SaveHeaderFormat, TheSecondSoundMaskWrapsEntries32To39OntoBits0To7) {
  struct Case {
    int entry;
    int mask;
    std::uint32_t bit;
  };
  const Case cases[] = {{0, 0, 1u}, {19, 0, 1u << 19}, {20, 1, 1u << 20}, {31, 1, 1u << 31},
                        {32, 1, 1u},  {39, 1, 1u << 7}};
  for (const Case& c : cases) {
    std::uint32_t masks[2] = {};
    SetSoundMaskEntry(masks, c.entry);
    EXPECT_EQ(masks[c.mask], c.bit) << "entry " << c.entry;
    EXPECT_EQ(masks[1 - c.mask], 0u) << "entry " << c.entry;
    EXPECT_TRUE(SoundMaskEntry(masks, c.entry));
  }
  std::uint32_t masks[2] = {};
  SetSoundMaskEntry(masks, 40);
  SetSoundMaskEntry(masks, -1);
  EXPECT_EQ(masks[0] | masks[1], 0u);
}

TEST(SaveRecords, EachKindHasItsFixedRecordSize) {
  const std::pair<int, std::uint32_t> sizes[] = {{9, 120}, {0, 484}, {1, 544}, {2, 100}, {3, 100},
                                                 {5, 116}, {6, 140}, {7, 116}, {4, 0},   {8, 0}};
  for (const auto& [kind, size] : sizes) EXPECT_EQ(SaveRecordSize(kind), size) << "kind " << kind;
  EXPECT_EQ(kSaveBufferSize, 176715u);
  EXPECT_EQ(kSaveHeaderSize + MissionBlock::kSize, kSaveObjectSectionOffset);
}

// A buffer the game record builds with no level running: the header, the
// mission record, the script block and empty world sections.
std::vector<std::uint8_t> EmptyLevelSave(std::int32_t result) {
  CMission mission;
  CMission* previous = g_Mission;
  g_Mission = &mission;
  mission.MissionId = 3;
  mission.MissionResult = result;
  CGame game;
  const bool built = game.Build();
  g_Mission = previous;
  EXPECT_TRUE(built);
  return game.Buffer();
}

void PutU32(std::vector<std::uint8_t>& b, std::size_t offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(SaveLayoutCheck, AValidSaveIsPlacedSectionBySection) {
  const std::vector<std::uint8_t> b = EmptyLevelSave(MISSION_RUNNING);
  SaveHeader h;
  SaveLayout layout;
  std::string why;
  ASSERT_TRUE(CheckSaveBuffer(b.data(), b.size(), &h, &layout, &why)) << why;
  // No plug-in: the script block follows the mission record at once.
  EXPECT_EQ(layout.pluginSize, 0u);
  EXPECT_EQ(layout.script, kSaveObjectSectionOffset);
  EXPECT_EQ(layout.objects, kSaveObjectSectionOffset + kSaveScriptBlockSize);
  EXPECT_EQ(h.missionId, 3u);
  EXPECT_FALSE(layout.missionOver);
}

TEST(SaveLayoutCheck, AfterTheMissionEndedOnlyTheHeaderAndTheMissionRecordAreWritten) {
  const std::vector<std::uint8_t> b = EmptyLevelSave(MISSION_SUCCEEDED);
  for (std::size_t i = kSaveObjectSectionOffset; i < b.size(); ++i) ASSERT_EQ(b[i], 0) << "byte " << i;
  SaveHeader h;
  SaveLayout layout;
  std::string why;
  ASSERT_TRUE(CheckSaveBuffer(b.data(), b.size(), &h, &layout, &why)) << why;
  EXPECT_TRUE(layout.missionOver);
}

TEST(SaveLayoutCheck, BuffersThatDoNotFitAreRefusedWithTheirReason) {
  const std::vector<std::uint8_t> valid = EmptyLevelSave(MISSION_RUNNING);
  SaveHeader h;
  SaveLayout layout;
  std::string why;
  ASSERT_TRUE(CheckSaveBuffer(valid.data(), valid.size(), &h, &layout, &why));
  const std::size_t world = layout.world;
  struct Case {
    const char* name;
    void (*damage)(std::vector<std::uint8_t>&, std::size_t world);
    const char* reason;
  };
  const Case cases[] = {
      {"cut at 4096", [](std::vector<std::uint8_t>& b, std::size_t) { b.resize(4096); }, "bytes, not"},
      {"cut at the object section", [](std::vector<std::uint8_t>& b, std::size_t) { b.resize(5128); }, "bytes, not"},
      {"one byte short", [](std::vector<std::uint8_t>& b, std::size_t) { b.pop_back(); }, "bytes, not"},
      {"one byte long", [](std::vector<std::uint8_t>& b, std::size_t) { b.push_back(0); }, "bytes, not"},
      {"version 15", [](std::vector<std::uint8_t>& b, std::size_t) { PutU32(b, 4, 15); }, "format version 15"},
      {"version 17", [](std::vector<std::uint8_t>& b, std::size_t) { PutU32(b, 4, 17); }, "format version 17"},
      {"soldier count past the buffer",
       [](std::vector<std::uint8_t>& b, std::size_t) { b[8] = 0xFF, b[9] = 0xFF; }, "object counts"},
      {"instance count past the buffer",
       [](std::vector<std::uint8_t>& b, std::size_t) { b[26] = 0xFF, b[27] = 0xFF; }, "instance states"},
      {"plug-in state past the buffer",
       [](std::vector<std::uint8_t>& b, std::size_t) { PutU32(b, 124, 0x7FFFFFFF); }, "plug-in"},
      {"timed callback count not its section's",
       [](std::vector<std::uint8_t>& b, std::size_t) { b[28] = 3; }, "timed callback count"},
      {"a world section longer than the buffer",
       [](std::vector<std::uint8_t>& b, std::size_t w) { PutU32(b, w + 4, 0xFFFFFF00u); }, "trails section"},
      {"a damaged mission record",
       [](std::vector<std::uint8_t>& b, std::size_t) { std::memset(b.data() + 148, 0x41, 200); }, "mission record"},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> b = valid;
    c.damage(b, world);
    std::string reason;
    EXPECT_FALSE(CheckSaveBuffer(b.data(), b.size(), &h, &layout, &reason)) << c.name;
    EXPECT_NE(reason.find(c.reason), std::string::npos) << c.name << ": " << reason;
  }
}

}  // namespace
