// The program's script function table: the slots left to build, each
// answering its failure value through the table and saying so once; the
// built sound slots with bad names; the script state.
#include "shell/script/script_function_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>
#include <string>

#include "platform/win32/debug_output.h"
#include "shell/script/script_state.h"
#include "shell/stats/stats_fixture.h"

namespace {

struct DebugLines {
  std::string text;
  DebugLines() { SetDebugOutputHook(Append, this); }
  ~DebugLines() { SetDebugOutputHook(nullptr, nullptr); }
  static void Append(const char* t, void* context) { static_cast<DebugLines*>(context)->text += t; }
  int Count(const std::string& line) const {
    int n = 0;
    for (auto at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++n;
    return n;
  }
};

// The slots the list marks as not built.
int UnbuiltInTheList() {
  std::ifstream in(HALBERD_SCRIPT_SLOT_LIST);
  std::string line;
  int slots = 0, unbuilt = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    ++slots;
    unbuilt += line.find("| built") == std::string::npos;
  }
  EXPECT_EQ(slots, SCRIPT_SLOT_COUNT);
  return unbuilt;
}

TEST(ScriptTable, SlotsLeftToBuild) {
  const int left = CountUnbuiltScriptSlots();
  EXPECT_EQ(left, UnbuiltInTheList());
  EXPECT_EQ(left, SCRIPT_SLOT_COUNT - 122)
      << "slots 0-6, 10, 14, 17, 22, the screens' 19-21, 284 and 285, 187-191 and 101 of the mission, timer, "
         "cut-scene, data-file, light and last groups are built";
  for (int slot : {0, 1, 2, 3, 4, 5, 6, 17}) EXPECT_TRUE(IsScriptSlotBuilt(slot)) << slot;
  std::printf("script slots not built yet: %d of %d\n", left, SCRIPT_SLOT_COUNT);
}

TEST(ScriptTable, EveryUnbuiltSlotAnswersItsFailureValueAndSaysSoOnce) {
  ClearUnbuiltScriptSlotReports();
  DebugLines debug;
  int called = 0;
  for (int slot = 0; slot < SCRIPT_SLOT_COUNT; ++slot) {
    if (IsScriptSlotBuilt(slot)) continue;
    EXPECT_TRUE(CallUnbuiltScriptSlotForTest(slot)) << "slot " << slot;
    EXPECT_TRUE(CallUnbuiltScriptSlotForTest(slot)) << "slot " << slot;
    EXPECT_EQ(debug.Count("script slot " + std::to_string(slot) + " is not built yet\n"), 1) << "slot " << slot;
    ++called;
  }
  EXPECT_EQ(called, CountUnbuiltScriptSlots());
  EXPECT_EQ(UnbuiltScriptSlotsReported(), called);
  EXPECT_EQ(UnbuiltScriptSlotCalls(), 2 * called);
  EXPECT_FALSE(CallUnbuiltScriptSlotForTest(0)) << "slot 0 is built";
  ClearUnbuiltScriptSlotReports();
}

TEST(ScriptTable, SoundSlotsWithoutANameAnswerNone) {
  const ScriptFunctionTable& t = g_ScriptFunctionTable;
  for (const char* name : {static_cast<const char*>(nullptr), ""}) {
    EXPECT_EQ(t.SoundLoadBank(name), nullptr);
    EXPECT_EQ(t.SoundLoadBankShared(name), nullptr);
    EXPECT_EQ(t.SoundCacheLoadMission(name), 0u);
    EXPECT_EQ(t.SoundCacheLoad(name), 0u);
  }
}

TEST(ScriptTable, LevelSlotsRefuseMissingNamesAndSlotNumbersOutOfRange) {
  const ScriptFunctionTable& t = g_ScriptFunctionTable;
  struct Case {
    const char* label;
    std::int32_t (*call)();
    std::vector<std::string> boxes;  // the slot boxes show the file name as their text
  } cases[] = {
      {"null slot name", [] { return g_ScriptFunctionTable.AnimSlotRegister(nullptr, "walk.prs"); },
       {"walk.prs"}},
      {"unknown slot name", [] { return g_ScriptFunctionTable.AnimSlotRegister("NO_SUCH_SLOT", "walk.prs"); },
       {"walk.prs"}},
      {"slot 222", [] { return g_ScriptFunctionTable.AnimSlotLoad(222, "walk.prs"); },
       {"walk.prs"}},
      {"slot -1", [] { return g_ScriptFunctionTable.AnimSlotLoad(-1, "walk.prs"); }, {"walk.prs"}},
      {"no environment name", [] { return g_ScriptFunctionTable.LoadEnvironment(nullptr); }, {}},
      {"empty environment name", [] { return g_ScriptFunctionTable.LoadEnvironment(""); }, {}},
  };
  (void)t;
  for (const Case& c : cases) {
    stats_test::BoxRecorder boxes;
    EXPECT_EQ(c.call(), 0) << c.label;
    EXPECT_EQ(boxes.texts, c.boxes) << c.label;
  }
}

TEST(ScriptState, ResetLaysOutTheMessageRectanglesAndFreeClearsThePlayerWords) {
  g_ScriptState.movieVersion = 3;
  g_ScriptState.cutsceneState = 5;
  g_ScriptState.messageWords[2] = 9;
  g_ScriptState.dataRecords[0] = AllocateScriptDataRecord(532);
  ResetScriptState(800, 600);
  EXPECT_EQ(g_ScriptState.messageRects[0].left, 40);
  EXPECT_EQ(g_ScriptState.messageRects[0].top, 534);
  EXPECT_EQ(g_ScriptState.messageRects[0].right, 760);
  EXPECT_EQ(g_ScriptState.messageRects[0].bottom, 600);
  EXPECT_EQ(g_ScriptState.messageRects[1].left, 200);
  EXPECT_EQ(g_ScriptState.messageRects[1].top, 108);
  EXPECT_EQ(g_ScriptState.messageRects[1].right, 600);
  EXPECT_EQ(g_ScriptState.messageRects[1].bottom, 600);
  EXPECT_EQ(g_ScriptState.messageWords[2], 0);
  EXPECT_EQ(g_ScriptState.dataRecords[0], nullptr);
  EXPECT_EQ(g_ScriptState.cutsceneState, SCRIPT_CUTSCENE_IDLE);
  EXPECT_EQ(g_ScriptState.movieVersion, -1);
  ResetScriptState(1023, 767);
  EXPECT_EQ(g_ScriptState.messageRects[0].left, 51);  // 51.15 cut
  EXPECT_EQ(g_ScriptState.messageRects[1].top, 138);  // 138.06 cut
  g_ScriptState.playerControlWords[3] = 4;
  g_ScriptState.squadSelection = 2;
  g_ScriptState.dataRecords[1] = AllocateScriptDataRecord(532);
  FreeScriptState();
  EXPECT_EQ(g_ScriptState.playerControlWords[3], 0);
  EXPECT_EQ(g_ScriptState.squadSelection, 0);
  EXPECT_EQ(g_ScriptState.dataRecords[1], nullptr);
}

}  // namespace
