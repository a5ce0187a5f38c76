/* A mission plug-in of the tests, built against the plug-in interface header
   only (in C, so that it needs nothing beyond the C library).  Its set-up
   keeps the table, calls slots 0 and 17 and notes what it saw; its handler
   counts events, answers question 40, answers word 0 of the one question a
   test chose (TestPluginSetAnswer) and notes the block; its timed
   callback notes its parameters.  The tests read the notes through the
   extra exports TestPluginValue and TestPluginPointer.  Variants:
   TEST_PLUGIN_BUILD  the build number passed to slot 0 (default 2260);
   TEST_PLUGIN_NULL   LevelSetup answers null;
   TEST_PLUGIN_NO_SETUP  no LevelSetup at all. */
#include "mission_abi.h"

#ifndef TEST_PLUGIN_BUILD
#define TEST_PLUGIN_BUILD SCRIPT_VERSION_BUILD
#endif

#define EXPORT __attribute__((visibility("default")))

static const ScriptFunctionTable* g_table;
static int32_t g_versionAnswer = -1;
static int32_t g_environmentAnswer = -1;
static int32_t g_events;
static int32_t g_updates;
static uint32_t g_lastCode = 0xFFFFFFFFu;
static MissionEventWord g_lastWords[MISSION_EVENT_BLOCK_WORDS];
static int32_t g_lastBlockNull;
static int32_t g_timedCalls;
static intptr_t g_timedParam1;
static intptr_t g_timedParam2;
static uint32_t g_answerCode = 0xFFFFFFFFu;
static int32_t g_answerWord;
static const void* g_slotSeen[3];     /* members 0, 17, 564 read by name */
static const void* g_slotIndexed[3];  /* the same read as elements of the table */

static void Setup(void) {}

static void Update(void) { ++g_updates; }

/* A code whose return value the tests chose (TestPluginSetEventAnswer). */
static uint32_t g_returnCode = 0xFFFFFFFFu;
static int32_t g_returnValue;
/* Asks for the briefing when a cut-scene ends, as a mission's intro does
   (TestPluginBriefingAfterCutscene). */
static int32_t g_briefingAfterCutscene;

static int32_t HandleEvent(uint32_t code, MissionEventWord* words) {
  int i;
  ++g_events;
  g_lastCode = code;
  g_lastBlockNull = words == 0;
  if (words != 0)
    for (i = 0; i < MISSION_EVENT_BLOCK_WORDS; ++i) g_lastWords[i] = words[i];
  if (code == MEV_DROP_QUERY && words != 0) words[2] = 1;
  if (code == MEV_CUTSCENE_ENDED && g_briefingAfterCutscene) g_table->ScreenShowBriefing();
  if (code == g_answerCode && words != 0) words[0] = g_answerWord;
  if (code == g_returnCode) return g_returnValue;
  return (int32_t)(code + 1000);
}

/* The handler answers `value` to `code` from now on. */
EXPORT void TestPluginSetEventAnswer(uint32_t code, int32_t value) {
  g_returnCode = code;
  g_returnValue = value;
}

EXPORT void TestPluginBriefingAfterCutscene(int32_t on) { g_briefingAfterCutscene = on; }

static uint8_t* Save(uint8_t* out) { return out; }
static const uint8_t* Load(const uint8_t* in) { return in; }
static uint32_t GetStateSize(void) { return 0; }

static const MissionCallbackTable kCallbacks = {Setup, Update, HandleEvent, Save, Load, GetStateSize};

#ifndef TEST_PLUGIN_NO_SETUP
EXPORT const MissionCallbackTable* LevelSetup(const ScriptFunctionTable* table) {
  const void* const* elements = (const void* const*)table;
  g_table = table;
  g_slotSeen[0] = (const void*)table->ScriptCheckVersion;
  g_slotSeen[1] = (const void*)table->LoadEnvironment;
  g_slotSeen[2] = (const void*)table->UnitGetPlayerIndex;
  g_slotIndexed[0] = elements[0];
  g_slotIndexed[1] = elements[17];
  g_slotIndexed[2] = elements[564];
  g_versionAnswer = table->ScriptCheckVersion(SCRIPT_VERSION_MAJOR, SCRIPT_VERSION_MINOR, TEST_PLUGIN_BUILD);
  g_environmentAnswer = table->LoadEnvironment("TestMission.env");
#ifdef TEST_PLUGIN_NULL
  return 0;
#else
  return &kCallbacks;
#endif
}
#endif

EXPORT void TestPluginTimedCallback(const ScriptTimedEvent* event) {
  ++g_timedCalls;
  g_timedParam1 = event->param1;
  g_timedParam2 = event->param2;
}

/* The order of the logging callback's calls: its first parameters. */
#define TEST_PLUGIN_LOG 256
static int32_t g_log[TEST_PLUGIN_LOG];
static int32_t g_logCount;

EXPORT void TestPluginLogCallback(const ScriptTimedEvent* event) {
  if (g_logCount < TEST_PLUGIN_LOG) g_log[g_logCount] = (int32_t)event->param1;
  ++g_logCount;
}

/* Posts `count` logging callbacks through slot 326 at once, as a cut-scene
   stage does, with first parameters first .. first + count - 1 and the delay;
   answers how many posts the game took. */
EXPORT int32_t TestPluginPostChain(int32_t first, int32_t count, float delayMs) {
  int32_t i, taken = 0;
  for (i = 0; i < count; ++i)
    taken += g_table->TimerPostCallback(TestPluginLogCallback, first + i, 0, delayMs) != 0;
  return taken;
}

EXPORT void TestPluginClearLog(void) { g_logCount = 0; }

/* The question (event code) whose word 0 the handler sets, and the word. */
EXPORT void TestPluginSetAnswer(uint32_t code, int32_t word) {
  g_answerCode = code;
  g_answerWord = word;
}

/* 0 version answer, 1 environment answer, 2 events, 3 updates, 4 last code,
   5 whether the last block was null, 6 timed calls, 7 logging calls,
   10..25 the last block, 100.. the log. */
EXPORT int32_t TestPluginValue(int32_t which) {
  switch (which) {
    case 0: return g_versionAnswer;
    case 1: return g_environmentAnswer;
    case 2: return g_events;
    case 3: return g_updates;
    case 4: return (int32_t)g_lastCode;
    case 5: return g_lastBlockNull;
    case 6: return g_timedCalls;
    case 7: return g_logCount;
    default:
      if (which >= 100 && which < 100 + TEST_PLUGIN_LOG) return g_log[which - 100];
      if (which >= 10 && which < 10 + MISSION_EVENT_BLOCK_WORDS) return g_lastWords[which - 10];
      return -1;
  }
}

/* 0 the table, 1-3 members 0, 17, 564 by name, 4-6 by index, 7-8 the last
   timed parameters, 9 the callback table. */
EXPORT intptr_t TestPluginPointer(int32_t which) {
  switch (which) {
    case 0: return (intptr_t)g_table;
    case 1: case 2: case 3: return (intptr_t)g_slotSeen[which - 1];
    case 4: case 5: case 6: return (intptr_t)g_slotIndexed[which - 4];
    case 7: return g_timedParam1;
    case 8: return g_timedParam2;
    case 9: return (intptr_t)&kCallbacks;
    default: return 0;
  }
}
