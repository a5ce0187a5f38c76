// Binding and unbinding mission plug-ins (test plug-ins built against the
// plug-in interface header only), the event raiser, the per-frame update and
// the timed-callback trampoline.
#include "shell/level/mission_plugin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/memory/linear_buffer.h"
#include "foundation/system/program_exit.h"
#include "foundation/time/timer.h"
#include "platform/win32/library.h"
#include "platform/win32/message_box.h"
#include "shell/frame/mission_queries.h"
#include "shell/mission/mission.h"
#include "shell/script/script_function_table.h"
#include "shell/script/script_timed_callback.h"
#include "shell/stats/stats_fixture.h"
#include "world/timing/timed_callback_list.h"

namespace {

using stats_test::BoxRecorder;

using ValueFn = std::int32_t (*)(std::int32_t);
using PointerFn = std::intptr_t (*)(std::int32_t);

// Unbinds whatever a test bound.
class MissionPluginTest : public ::testing::Test {
 protected:
  void TearDown() override { FreeMissionPlugin(); }
  static std::int32_t Value(int which) {
    auto f = reinterpret_cast<ValueFn>(GetProcAddress(MissionLibrary, "TestPluginValue"));
    return f != nullptr ? f(which) : -12345;
  }
  static std::intptr_t Pointer(int which) {
    auto f = reinterpret_cast<PointerFn>(GetProcAddress(MissionLibrary, "TestPluginPointer"));
    return f != nullptr ? f(which) : 0;
  }
};

std::intptr_t Address(const void* p) { return reinterpret_cast<std::intptr_t>(p); }
template <typename F>
std::intptr_t FunctionAddress(F f) {
  return reinterpret_cast<std::intptr_t>(reinterpret_cast<void*>(f));
}

TEST_F(MissionPluginTest, LevelSetupSeesTheTableAndItsAnswerIsBound) {
  BoxRecorder boxes;
  ASSERT_EQ(LoadMissionPlugin("TestMission.dll"), 1) << boxes.Joined();
  EXPECT_TRUE(MissionPluginBound());
  EXPECT_EQ(Address(MissionCallbacks), Pointer(9));
  EXPECT_EQ(Pointer(0), Address(&g_ScriptFunctionTable));
  EXPECT_EQ(Value(0), 1) << "slot 0 accepts 1, 7, 2260";
  // Slots 0, 17 and 564 as the plug-in read them, by member name and as
  // elements 0, 17 and 564 of the table, are the program's.
  const std::intptr_t expected[3] = {FunctionAddress(g_ScriptFunctionTable.ScriptCheckVersion),
                                     FunctionAddress(g_ScriptFunctionTable.LoadEnvironment),
                                     FunctionAddress(g_ScriptFunctionTable.UnitGetPlayerIndex)};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Pointer(1 + i), expected[i]) << "by name, member " << i;
    EXPECT_EQ(Pointer(4 + i), expected[i]) << "by index, member " << i;
  }
  EXPECT_TRUE(boxes.texts.empty()) << boxes.Joined();
}

TEST_F(MissionPluginTest, NamesAreFoundWithoutLetterCase) {
  for (const char* name : {"testmission.dll", "TESTMISSION.DLL", "TestMission"}) {
    EXPECT_EQ(LoadMissionPlugin(name), 1) << name;
    FreeMissionPlugin();
  }
}

TEST_F(MissionPluginTest, APluginThatCannotBindFailsTheLevelAndLeaksNothing) {
  // A library that is not a plug-in: any bytes named like one.
  const auto folder = std::filesystem::temp_directory_path() / "halberd_plugin_garbage";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "Garbage.so") << "not a shared library";
  Win32AddLibraryFolder(folder.string().c_str());
  struct Case {
    const char* name;
    bool libraryStays;  // loaded until FreeMissionPlugin
  } cases[] = {{"NoSuchMission.dll", false}, {"Garbage.dll", false}, {"TestMissionNoSetup.dll", true},
               {"TestMissionNull.dll", true}};
  for (const Case& c : cases) {
    const int before = Win32LoadedLibraryCount();
    EXPECT_EQ(LoadMissionPlugin(c.name), 0) << c.name;
    EXPECT_FALSE(MissionPluginBound()) << c.name;
    EXPECT_EQ(MissionLibrary != nullptr, c.libraryStays) << c.name;
    EXPECT_EQ(Win32LoadedLibraryCount(), before + (c.libraryStays ? 1 : 0)) << c.name;
    FreeMissionPlugin();
    EXPECT_EQ(Win32LoadedLibraryCount(), before) << c.name;
    EXPECT_EQ(MissionLibrary, nullptr);
  }
  Win32AddLibraryFolder(nullptr);
  std::filesystem::remove_all(folder);
}

// Raises an event from inside the version box, which the old plug-in's
// LevelSetup causes: it must reach no handler.
struct BoxDuringSetup {
  std::vector<std::string> texts;
  std::vector<std::int32_t> raised;
  int answer = IDIGNORE;
};

int AnswerAndRaise(HWND, const char* text, const char*, UINT, void* context) {
  auto* c = static_cast<BoxDuringSetup*>(context);
  c->texts.push_back(text);
  std::int32_t block[3] = {1, 2, 0};
  c->raised.push_back(RaiseMissionEvent(MEV_DROP_QUERY, block, 3));
  c->raised.push_back(MissionPluginBound() ? 1 : 0);
  return c->answer;
}

TEST_F(MissionPluginTest, AWrongVersionShowsTheBoxAndIgnoreLetsTheLevelLoad) {
  SetMessageBoxEcho(false);
  BoxDuringSetup box;
  SetMessageBoxHook(AnswerAndRaise, &box);
  EXPECT_EQ(LoadMissionPlugin("TestMissionOld.dll"), 1);
  SetMessageBoxHook(nullptr, nullptr);
  SetMessageBoxEcho(true);
  ASSERT_EQ(box.texts.size(), 1u);
  EXPECT_EQ(box.texts[0],
            "Level script is out of date and needs re-building : game version 1.7:2260, script version 1.7:2261\n\n"
            "\"Retry\" to debug, \"Ignore\" to attempt to continue or \"Abort\" to exit");
  EXPECT_EQ(Value(0), 0) << "Ignore answers 0";
  EXPECT_EQ(box.raised, (std::vector<std::int32_t>{0, 0})) << "no handler while LevelSetup runs";
  EXPECT_EQ(Value(2), 0) << "the plug-in's handler saw no event";
}

void NoteExit(int code, void* context) { static_cast<std::vector<int>*>(context)->push_back(code); }

TEST_F(MissionPluginTest, TheVersionCheckAnswersByButton) {
  struct Case {
    int button;
    std::vector<int> exits;
  } cases[] = {{IDIGNORE, {}}, {IDRETRY, {}}, {IDABORT, {0}}};
  for (const Case& c : cases) {
    BoxDuringSetup box;
    box.answer = c.button;
    std::vector<int> exits;
    SetMessageBoxEcho(false);
    SetMessageBoxHook(AnswerAndRaise, &box);
    SetProgramExitHook(NoteExit, &exits);
    EXPECT_EQ(g_ScriptFunctionTable.ScriptCheckVersion(1, 6, 2260), 0) << c.button;
    EXPECT_EQ(g_ScriptFunctionTable.ScriptCheckVersion(1, 7, 2260), 1) << c.button;
    SetProgramExitHook(nullptr, nullptr);
    SetMessageBoxHook(nullptr, nullptr);
    SetMessageBoxEcho(true);
    EXPECT_EQ(box.texts.size(), 1u) << c.button;
    EXPECT_EQ(exits, c.exits) << c.button;
  }
}

TEST_F(MissionPluginTest, EventsReachTheBoundHandlerWithPresetAnswersAndAZeroFilledBlock) {
  ASSERT_EQ(LoadMissionPlugin("TestMission.dll"), 1);
  // A question the plug-in answers: word 2 preset to 0, set to 1 by it.
  std::int32_t drop[3] = {31, 70, 77};
  EXPECT_EQ(RaiseMissionEvent(MEV_DROP_QUERY, drop, 3), 1040);
  EXPECT_EQ(drop[2], 1);
  EXPECT_EQ(Value(4), MEV_DROP_QUERY);
  EXPECT_EQ(Value(10), 31);
  EXPECT_EQ(Value(11), 70);
  EXPECT_EQ(Value(12), 0) << "the plug-in saw the preset, not the caller's 77";
  for (int w = 3; w < MISSION_EVENT_BLOCK_WORDS; ++w) EXPECT_EQ(Value(10 + w), 0) << "word " << w;
  // A question it leaves alone keeps its default.
  std::int32_t menu[2] = {31, 0};
  RaiseMissionEvent(MEV_MENU_ENTRIES_QUERY, menu, 2);
  EXPECT_EQ(menu[1], 255);
  // An event without data gets no block.
  EXPECT_EQ(RaiseMissionEvent(MEV_CUTSCENE_ENDED, nullptr, 0), 1018);
  EXPECT_EQ(Value(5), 1);
  // A block longer than the game ever raises is refused, nothing called.
  const int events = Value(2);
  std::int32_t tooLong[17] = {};
  EXPECT_EQ(RaiseMissionEvent(MEV_UNIT_DIED, tooLong, 17), 0);
  EXPECT_EQ(RaiseMissionEvent(MEV_UNIT_DIED, nullptr, 2), 0);
  EXPECT_EQ(Value(2), events);
}

TEST_F(MissionPluginTest, WithNoPluginQuestionsKeepTheirDefaults) {
  ASSERT_FALSE(MissionPluginBound());
  struct Case {
    std::uint32_t code;
    int word;
    std::int32_t preset;
  } cases[] = {{MEV_BOARDING_REQUEST, 2, 1}, {MEV_DROP_QUERY, 2, 0}, {MEV_MENU_ENTRIES_QUERY, 1, 255},
               {MEV_MODE_QUERY, 0, 0},       {MEV_SKIP_PROMPT_QUERY, 0, 0}, {MEV_TRIGGER_QUERY, 2, 1}};
  for (const Case& c : cases) {
    std::int32_t block[4] = {-7, -7, -7, -7};
    EXPECT_EQ(RaiseMissionEvent(c.code, block, 4), 0) << c.code;
    EXPECT_EQ(block[c.word], c.preset) << c.code;
  }
}

// The frame's two questions: each raises its own event with a one-word
// block and answers the word the plug-in left there (0 with none bound).
TEST_F(MissionPluginTest, TheModeAndSkipPromptQuestionsAnswerTheWordThePluginSets) {
  using SetAnswerFn = void (*)(std::uint32_t, std::int32_t);
  struct Case {
    std::uint32_t (*ask)();
    std::uint32_t code;
  } cases[] = {{MissionQueryMode, MEV_MODE_QUERY}, {MissionQuerySkipPrompt, MEV_SKIP_PROMPT_QUERY}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(c.ask(), 0u) << "nothing bound";
    ASSERT_EQ(LoadMissionPlugin("TestMission.dll"), 1);
    auto setAnswer = reinterpret_cast<SetAnswerFn>(GetProcAddress(MissionLibrary, "TestPluginSetAnswer"));
    ASSERT_NE(setAnswer, nullptr);
    EXPECT_EQ(c.ask(), 0u) << "a plug-in that leaves the word alone";
    EXPECT_EQ(Value(4), static_cast<std::int32_t>(c.code));
    setAnswer(c.code, 3);
    const int events = Value(2);
    EXPECT_EQ(c.ask(), 3u);
    EXPECT_EQ(Value(2), events + 1);
    EXPECT_EQ(Value(4), static_cast<std::int32_t>(c.code));
    // The other question is not answered by this one's word.
    const Case& other = c.code == MEV_MODE_QUERY ? cases[1] : cases[0];
    EXPECT_EQ(other.ask(), 0u);
    FreeMissionPlugin();
  }
}

TEST_F(MissionPluginTest, UnbindingNullsTheCallbacksAndDropsLaterEvents) {
  ASSERT_EQ(LoadMissionPlugin("TestMission.dll"), 1);
  MissionPerFrameUpdate();
  MissionPerFrameUpdate();
  EXPECT_EQ(Value(3), 2);
  const int libraries = Win32LoadedLibraryCount();
  FreeMissionPlugin();
  EXPECT_EQ(MissionCallbacks, nullptr);
  EXPECT_EQ(MissionLibrary, nullptr);
  EXPECT_EQ(Win32LoadedLibraryCount(), libraries - 1);
  std::int32_t block[3] = {1, 2, 3};
  EXPECT_EQ(RaiseMissionEvent(MEV_DROP_QUERY, block, 3), 0);
  EXPECT_EQ(block[2], 0);
  MissionPerFrameUpdate();  // nothing bound: nothing called
  FreeMissionPlugin();      // twice is harmless
}

// Sets a clock's time and running flag directly.
void SetClock(CTimer& clock, std::uint32_t ms, bool running) {
  CTimer::State s;
  clock.SaveState(&s);
  s.gameTime = ms;
  s.running = running ? 1 : 0;
  clock.RestoreState(s);
}

TEST_F(MissionPluginTest, ATimedCallbackGetsItsPointerSizedParametersOnItsClock) {
  ASSERT_EQ(LoadMissionPlugin("TestMission.dll"), 1);
  auto callback = reinterpret_cast<ScriptTimedCallback>(GetProcAddress(MissionLibrary, "TestPluginTimedCallback"));
  ASSERT_NE(callback, nullptr);
  CLinearBuffer buffer(64 * 1024, "timed");
  CTimedCallbackList list;
  ASSERT_TRUE(list.CreateEntries(&buffer));
  CTimer game, real;
  list.SetClocks(&game, &real);
  SetClock(game, 1000, false);  // the game clock is paused
  SetClock(real, 1000, true);
  const std::intptr_t above4GiB = static_cast<std::intptr_t>(0x00007F1234567890LL);
  const std::intptr_t negative = -5;
  ASSERT_NE(PostScriptTimedCallback(&list, callback, above4GiB, negative, 100, TCF_ONE_SHOT), nullptr);
  ASSERT_NE(PostScriptTimedCallback(&list, callback, 77, above4GiB, 100, TCF_ONE_SHOT | TCF_REAL_CLOCK), nullptr);
  SetClock(real, 1200, true);
  list.Update();
  EXPECT_EQ(Value(6), 1) << "only the real-clock post runs while the game clock is paused";
  EXPECT_EQ(Pointer(7), 77);
  EXPECT_EQ(Pointer(8), above4GiB);
  SetClock(game, 1200, true);
  list.Update();
  EXPECT_EQ(Value(6), 2);
  EXPECT_EQ(Pointer(7), above4GiB);
  EXPECT_EQ(Pointer(8), negative);
  // An entry left over after its plug-in went calls nothing.
  ASSERT_NE(PostScriptTimedCallback(&list, callback, 1, 2, 0, TCF_ONE_SHOT | TCF_REAL_CLOCK), nullptr);
  const int calls = Value(6);
  MissionCallbacks = nullptr;  // as level shut-down does first
  SetClock(real, 2000, true);
  list.Update();
  EXPECT_EQ(Value(6), calls);
  list.ForgetEntries();
}

// Lines of a command's output.
std::vector<std::string> CommandLines(const std::string& command) {
  const std::string out = (std::filesystem::temp_directory_path() / "halberd_plugin_command.txt").string();
  EXPECT_EQ(std::system((command + " > " + out).c_str()), 0) << command;
  std::ifstream in(out);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::filesystem::remove(out);
  return lines;
}

TEST(MissionPluginFile, ThePluginNeedsNothingButTheCLibrary) {
  // It links only the C library ...
  int needed = 0;
  for (const std::string& line : CommandLines(std::string("readelf -d ") + HALBERD_TEST_PLUGIN)) {
    if (line.find("(NEEDED)") == std::string::npos) continue;
    ++needed;
    EXPECT_NE(line.find("[libc.so"), std::string::npos) << line;
  }
  EXPECT_EQ(needed, 1);
  // ... and every symbol it needs comes from there (weak start-up references aside).
  for (const std::string& line : CommandLines(std::string("nm -D --undefined-only ") + HALBERD_TEST_PLUGIN)) {
    if (line.find(" w ") != std::string::npos) continue;
    EXPECT_NE(line.find("@GLIBC_"), std::string::npos) << line;
  }
}

}  // namespace

namespace {

TEST(FrontEndPlugin, BindsAndAnswersTheTwoQuestionsOnly) {
  Win32AddLibraryFolder(HALBERD_PROGRAM_DIR);
  stats_test::BoxRecorder boxes;
  CMission record;
  struct UseRecord {
    CMission* previous;
    explicit UseRecord(CMission* r) : previous(g_Mission) { g_Mission = r; }
    ~UseRecord() { g_Mission = previous; }
  } use(&record);
  ASSERT_EQ(LoadMissionPlugin("FrontEnd.dll"), 1) << boxes.Joined();
  // Its set-up names the campaign's first mission as the next level (the
  // single-player screen's campaign row starts it).
  EXPECT_STREQ(record.GetNextLevel(), "Mission1.dll");
  for (std::uint32_t code : {static_cast<std::uint32_t>(MEV_MODE_QUERY), static_cast<std::uint32_t>(MEV_SKIP_PROMPT_QUERY)}) {
    std::int32_t answer[1] = {0};
    RaiseMissionEvent(code, answer, 1);
    EXPECT_EQ(answer[0], 1) << code;
  }
  std::int32_t boarding[3] = {1, 2, 0};
  RaiseMissionEvent(MEV_BOARDING_REQUEST, boarding, 3);
  EXPECT_EQ(boarding[2], 1) << "left at its preset";
  std::int32_t drop[3] = {1, 2, 0};
  RaiseMissionEvent(MEV_DROP_QUERY, drop, 3);
  EXPECT_EQ(drop[2], 0);
  FreeMissionPlugin();
  Win32AddLibraryFolder(nullptr);
}

}  // namespace
