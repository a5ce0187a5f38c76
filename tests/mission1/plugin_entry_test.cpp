// The plug-in's entry: loading the library by its Windows name, LevelSetup's
// order of script calls, the callback table, and the saved state block.
#include <fstream>
#include <map>
#include <sstream>

#include "mission1/mission1_fixture.h"

namespace mission1_test {
namespace {

// Consecutive calls of one name folded into "Name xN".
std::vector<std::string> Folded(const std::vector<std::string>& names) {
  std::vector<std::string> out;
  std::size_t n = 0;
  while (n < names.size()) {
    std::size_t run = 1;
    while (n + run < names.size() && names[n + run] == names[n]) ++run;
    out.push_back(run == 1 ? names[n] : names[n] + " x" + std::to_string(run));
    n += run;
  }
  return out;
}

TEST_F(Mission1Test, LoadsForItsWindowsNameAndAnswersItsTable) {
  const MissionCallbackTable* callbacks = SetUpMission();
  ASSERT_NE(callbacks, nullptr);
  EXPECT_EQ(callbacks->GetStateSize(), 136u);
  EXPECT_NE(callbacks->Update, nullptr);
  EXPECT_NE(callbacks->HandleEvent, nullptr);
  ASSERT_GE(table.Calls().size(), 2u);
  EXPECT_EQ(table.Calls()[0].ToString(), "ScriptCheckVersion(1, 7, 2260)");
  EXPECT_EQ(table.Calls()[1].ToString(), "PlayerGetSide()");
  // A null table is refused (the level then fails to start).
  EXPECT_EQ(library.LevelSetup(nullptr), nullptr);
}

TEST_F(Mission1Test, SetUpCallsInOrder) {
  ASSERT_NE(SetUpMission(), nullptr);
  const std::vector<std::string> expected = {
      "ScriptCheckVersion", "PlayerGetSide",
      "AnimSlotRegister x202",  // armed 180, goat 4, relaxed 15, wave 1, stretch and disembark 2 ...
      "AnimationFind", "LocaleLoadLayer", "MissionSetId", "MissionSetInfo", "MissionSetEndValue",
      "MissionSetSlot x4", "LoadEnvironment", "EnvironmentGetValue",
      "AnimSlotRegister x7",  // ... and the ladder after the environment query
      "SpriteSheetLoad", "ObjectiveMenuSetObjective", "ObjectiveMenuSetView", "SoundLoadBank",
      "ObjectSetSkinTexture", "GruntDropAllItems", "ObjectSetStatusBit9", "GameGetResumeFlag", "BoidsCreate x3",
      "ObjectShow x3", "MissionIsResumed", "SoundSuppressEntry", "MovieSetVersion", "AnimationFind x10",
      "SoundCacheLoad x2", "ScriptDataFilesCreate", "ScriptLoadDataFile x2", "ScreenFadeIn", "MovieSetVersion",
      "SoundCacheLoad x6", "ScreenFadeIn x2"};
  EXPECT_EQ(Folded(NamesFrom(0)), expected);
  const std::vector<std::string> args = table.Log({"AnimationFind", "LocaleLoadLayer", "MissionSetId",
                                                   "MissionSetInfo", "MissionSetEndValue", "MissionSetSlot",
                                                   "LoadEnvironment", "SpriteSheetLoad", "ObjectiveMenuSetObjective",
                                                   "ObjectiveMenuSetView", "SoundLoadBank", "ObjectSetSkinTexture",
                                                   "SoundCacheLoad", "ScriptLoadDataFile"});
  const std::vector<std::string> expectedArgs = {
      "AnimationFind(\"Ural375_closed_DoorLeft.prs\")",
      "LocaleLoadLayer(\"M01Strs.loc\")",
      "MissionSetId(0)",
      "MissionSetInfo(" + Text(0xA90BE3A7u) + ", " + Text(0xD01FBB72u) + ")",
      "MissionSetEndValue(98)",
      "MissionSetSlot(" + Text(0xF14BF290u) + ", 0)",
      "MissionSetSlot(" + Text(0xF14BDF2Bu) + ", 1)",
      "MissionSetSlot(" + Text(0x0E86A524u) + ", 2)",
      "MissionSetSlot(" + Text(0x4BD2B09Bu) + ", 3)",
      "LoadEnvironment(\"Mission1.env\")",
      "SpriteSheetLoad(\"GWMission1.img\")",
      "ObjectiveMenuSetObjective(0)",
      "ObjectiveMenuSetView((8482.3, 0, 70181.8), (-45802.4, 0, 15471.6))",
      "SoundLoadBank(\"Mission1.sbk\")",
      "ObjectSetSkinTexture(31, \"AlliedPOW.bmp\", 1)",
      "AnimationFind(\"Kneeling_plant_C4.prs\")",
      "AnimationFind(\"upright_stance_peer.prs\")",
      "AnimationFind(\"point_n_wave.prs\")",
      "AnimationFind(\"hunched_knocked_down_back_with_gun.prs\")",
      "AnimationFind(\"Help_Me_back.prs\")",
      "AnimationFind(\"DeadPose01.prs\")",
      "AnimationFind(\"CS_ButTwat.prs\")",
      "AnimationFind(\"blackhawk_DoorOpen.prs\")",
      "AnimationFind(\"CS_kneeling_use_comms_look_down.prs\")",
      "AnimationFind(\"CS_kneeling_use_comms_look_right.prs\")",
      "SoundCacheLoad(\"CS_M01_S01.psf\")",
      "SoundCacheLoad(\"CS_M01_S02.psf\")",
      "ScriptLoadDataFile(\"Mid_night_starry.sky\", ptr)",
      "ScriptLoadDataFile(\"Mid_day_sunny.sky\", ptr)",
      "SoundCacheLoad(\"OBJ_M1_1A.wav\")",
      "SoundCacheLoad(\"OBJ_M1_1C.wav\")",
      "SoundCacheLoad(\"OBJ_M1_1D.wav\")",
      "SoundCacheLoad(\"OBJ_M1_2A.wav\")",
      "SoundCacheLoad(\"OBJ_M1_3A.wav\")",
      "SoundCacheLoad(\"OBJ_M1_4A.wav\")",
  };
  EXPECT_EQ(args, expectedArgs);
  // The groups in their order: the armed stances first, the goat, the
  // relaxed stances, then WAVE_ON, STRETCH, DISEMBARK_VEHICLE_LEFT; the
  // ladder after the environment query.
  const auto aliases = table.CallsOf("AnimSlotRegister");
  ASSERT_EQ(aliases.size(), 209u);
  EXPECT_EQ(aliases[0]->Text(0), "STANDING_PATROL_STANCE_WITH_PISTOL");
  EXPECT_EQ(aliases[180]->Text(0), "GOAT_STANDING");
  EXPECT_EQ(aliases[184]->Text(0), "STANDING_STANCE_WITH_PISTOL");
  EXPECT_EQ(aliases[199]->Text(0), "WAVE_ON");
  EXPECT_EQ(aliases[200]->Text(0), "STRETCH");
  EXPECT_EQ(aliases[201]->Text(0), "DISEMBARK_VEHICLE_LEFT");
  EXPECT_EQ(aliases[202]->Text(0), "MOUNT_LADDER_BOTTOM");
  EXPECT_EQ(aliases[208]->Text(0), "DISMOUNT_LADDER_TOP");
}

// The plug-in's alias files are the ones the animation tool writes: each
// slot it registers takes the file the shared list gives that slot (the
// goat's, which that list leaves out, come from the mission's own list).
TEST_F(Mission1Test, AliasFilesAreTheSharedListsFiles) {
  std::map<std::string, std::string> shared, own;
  {
    std::ifstream in(HALBERD_SOLDIER_ALIASES);
    ASSERT_TRUE(in) << HALBERD_SOLDIER_ALIASES;
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream words(line);
      std::string slot, file;
      if (line.empty() || line[0] == '#' || !(words >> slot >> file)) continue;
      shared[slot] = file;
    }
  }
  int listed = 0;
  {
    std::ifstream in(HALBERD_MISSION1_ALIASES);
    ASSERT_TRUE(in) << HALBERD_MISSION1_ALIASES;
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream words(line);
      std::string slot, file;
      if (line.empty() || line[0] == '#' || !(words >> slot) || slot == "group") continue;
      ++listed;
      if (words >> file) own[slot] = file;
    }
  }
  ASSERT_NE(SetUpMission(), nullptr);
  const auto aliases = table.CallsOf("AnimSlotRegister");
  EXPECT_EQ(static_cast<int>(aliases.size()), listed);
  std::set<std::string> slots;
  for (const ScriptCall* c : aliases) {
    const std::string slot = c->Text(0);
    EXPECT_TRUE(slots.insert(slot).second) << slot << " registered twice";
    if (own.count(slot)) {
      EXPECT_EQ(shared.count(slot), 0u) << slot << " is in the shared list: take its file from there";
      EXPECT_EQ(c->Text(1), own[slot]);
    } else {
      ASSERT_EQ(shared.count(slot), 1u) << slot;
      EXPECT_EQ(c->Text(1), shared[slot]) << slot;
    }
  }
}

TEST_F(Mission1Test, ResumedGameLoadsNoSequenceAndStartsInPlay) {
  world.resumeFlag = 1;
  world.missionResumed = 1;
  ASSERT_NE(SetUpMission(), nullptr);
  EXPECT_EQ(table.Count("SoundCacheLoad"), 0u);
  EXPECT_EQ(table.Count("MovieSetVersion"), 0u);
  EXPECT_EQ(table.Count("ScriptLoadDataFile"), 0u);
  EXPECT_EQ(table.Count("AnimationFind"), 1u) << "the truck door only";
  // Status 2: codes above 59 are not answered (before play they answer 1).
  EXPECT_EQ(world.Raise(60), 0);
  // No first-frame step: a resumed game is started by the load.
  const std::size_t before = table.Calls().size();
  world.Frames(1);
  EXPECT_EQ(table.Count("CutsceneStart"), 0u);
  EXPECT_EQ(table.Count("ObjectiveAdd"), 0u);
  EXPECT_GT(table.Calls().size(), before);
}

TEST_F(Mission1Test, FirstFrameOfTheIntroCreatesObjectivesShownWithTheFourthHidden) {
  ASSERT_NE(SetUpMission(), nullptr);
  EXPECT_EQ(world.Raise(60), 1) << "status 0";
  world.Frames(1);
  EXPECT_EQ(table.Count("CutsceneStart"), 1u);
  ASSERT_EQ(world.objectives.size(), 4u);
  const std::uint32_t texts[] = {0x969DA598u, 0x969DA52Eu, 0x969DA5F5u, 0x969DA575u};
  const std::uint32_t targets[] = {0x969DE020u, 0x969D56FBu, 0x969D8D96u, 0x9DA575E8u};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(world.objectives[i].text, texts[i]);
    ASSERT_EQ(world.objectives[i].targets.size(), 1u);
    EXPECT_EQ(world.objectives[i].targets[0], targets[i]);
    EXPECT_EQ(world.objectives[i].bits, i < 3 ? 1 | 8 : 1) << "listed, not completed; the fourth hidden";
  }
  EXPECT_NEAR(world.objectives[1].markers.at(0).y, 13103.6f, 0.01f);
  EXPECT_EQ(table.Count("ObjectiveComplete"), 0u);
  EXPECT_EQ(table.Count("ObjectiveFail"), 0u);
  EXPECT_EQ(table.Log({"KeyMapBind", "ScriptNop286"}),
            (std::vector<std::string>{"ScriptNop286()", "KeyMapBind(70, 37)"}));
  EXPECT_EQ(table.Log({"DoorAddRouteLink"}),
            (std::vector<std::string>{"DoorAddRouteLink(65, 876, 878, 1)", "DoorAddRouteLink(44, 83, 82, 1)",
                                      "DoorAddRouteLink(46, 34, 33, 1)", "DoorAddRouteLink(36, 123, 124, 1)"}));
}

// An objective the game refuses keeps its negative number, and nothing is
// attached to it.
TEST_F(Mission1Test, RefusedObjectiveGetsNoMarkerOrTarget) {
  table.SetHandler("ObjectiveAdd", [](const ScriptCall&) { return ScriptAnswer::Int(-1); });
  ASSERT_NE(SetUpMission(), nullptr);
  world.Frames(1);
  EXPECT_EQ(table.Count("ObjectiveAdd"), 4u);
  EXPECT_EQ(table.Count("ObjectiveAddMarkerPosition"), 0u);
  EXPECT_EQ(table.Count("ObjectiveAddTarget"), 0u);
  EXPECT_EQ(table.Log({"ObjectiveSetShown"}), (std::vector<std::string>{"ObjectiveSetShown(-1, 0)"}));
}

TEST_F(Mission1Test, LoadStartsPlayWithSpawnPointsThenTheBlock) {
  world.objectPositions[109] = {1, 2, 3};
  StartPlay(Block({{12, 1}}));
  ASSERT_EQ(world.spawnPoints.size(), 9u);
  EXPECT_EQ(world.spawnPoints[7].size, 9999);
  EXPECT_EQ(world.spawnPoints[7].usesLeft, 0u);
  EXPECT_EQ(world.spawnPoints[7].x, 1.0f);
  EXPECT_EQ(world.spawnPoints[2].usesLeft, 3u);
  EXPECT_EQ(world.spawnPoints[0].state, 0u) << "all disabled after creation";
  EXPECT_EQ(world.objectives.size(), 4u);
  // The freed prisoner is on the squad's side again, after the objectives.
  const int objectives = table.Find("ObjectiveAdd");
  const int side = table.Find("ObjectSetSide", static_cast<std::size_t>(table.Find("ObjectiveSetShown")));
  ASSERT_GE(objectives, 0);
  ASSERT_GT(side, objectives);
  EXPECT_EQ(table.Calls()[side].ToString(), "ObjectSetSide(31, 0)");
  EXPECT_EQ(table.Calls()[side + 1].ToString(), "UnitSetOrder(31, 1)");
  EXPECT_EQ(table.Calls()[side + 2].ToString(), "GameSetScriptFlag(1)");
  EXPECT_EQ(world.Raise(60), 0) << "status 2";
}

TEST_F(Mission1Test, SaveAfterLoadGivesTheSameBytes) {
  StateBlock block{};
  for (int i = 0; i < 136; ++i) block[i] = static_cast<std::uint8_t>(i * 7 + 3);
  StartPlay(block);
  StateBlock saved{};
  std::uint8_t* end = world.callbacks->Save(saved.data());
  EXPECT_EQ(end, saved.data() + 136);
  EXPECT_EQ(saved, block);
  const std::uint8_t* read = world.callbacks->Load(block.data());
  EXPECT_EQ(read, block.data() + 136);
  // Set-up's reset: all zero but the hints, the convoy times kept.
  ASSERT_NE(SetUpMission(), nullptr);
  const StateBlock reset = Saved();
  for (int i = 0; i < 136; ++i) {
    if (i >= 116 && i < 124) EXPECT_EQ(reset[i], block[i]) << i;
    else EXPECT_EQ(reset[i], i == 56 ? 1 : 0) << i;
  }
  EXPECT_EQ(world.callbacks->Save(nullptr), nullptr);
  EXPECT_EQ(world.callbacks->Load(nullptr), nullptr);
}

// Every slot answering its failure value: no ids, null objects, banks,
// records and spawn points, zero handles.  The mission sets up, runs 600
// frames of the intro, is pushed into play by the events the game would
// raise, runs 600 frames more, and answers every event with and without a
// block.
TEST(Mission1FailingGame, CarriesOnAsFarAsItCan) {
  Mission1Library library;
  ASSERT_TRUE(library.Loaded());
  RecordingScriptTable failing;
  failing.SetRecording(false);
  const MissionCallbackTable* callbacks = library.LevelSetup(failing.Table());
  ASSERT_NE(callbacks, nullptr);
  for (int i = 0; i < 600; ++i) callbacks->Update();
  EXPECT_EQ(callbacks->HandleEvent(MEV_CUTSCENE_ENDED, nullptr), 1);
  EXPECT_EQ(callbacks->HandleEvent(MEV_BRIEFING_DONE, nullptr), 1);
  EXPECT_EQ(callbacks->HandleEvent(MEV_CUTSCENE_ENDED, nullptr), 1);
  EXPECT_EQ(callbacks->HandleEvent(60, nullptr), 0) << "in play now";
  for (int i = 0; i < 600; ++i) callbacks->Update();
  std::int32_t block[MISSION_EVENT_BLOCK_WORDS];
  for (std::uint32_t code = 0; code < 90; ++code) {
    callbacks->HandleEvent(code, nullptr);
    for (std::int32_t fill : {-1, 0, 47, 71, 0x7FFFFFFF}) {
      for (std::int32_t& w : block) w = fill;
      callbacks->HandleEvent(code, block);
    }
    callbacks->Update();
  }
  failing.SetRecording(true);
  callbacks->Update();
  EXPECT_GT(failing.Count("RegionContainsPlayerSide"), 0u) << "the checks still run";
  StateBlock saved{};
  EXPECT_EQ(callbacks->Save(saved.data()), saved.data() + 136);
  EXPECT_EQ(callbacks->Load(saved.data()), saved.data() + 136);
}

// Any 136 bytes load, and play goes on from them.
TEST_F(Mission1Test, AnyBlockLoadsAndPlays) {
  const std::uint8_t fills[] = {0x00, 0xFF, 0x80, 0x7F, 0x01, 0xAA};
  for (std::uint8_t fill : fills) {
    StateBlock block;
    block.fill(fill);
    StartPlay(block);
    world.alive = {0, 31, 47};
    world.sideInRegion = {0, 2, 3, 4, 6, 10, 12, 16, 17, 22, 24, 25, 27, 31, 32};
    for (int i = 0; i < 50; ++i) {
      world.Frames(1, 250);
      world.Raise(static_cast<std::uint32_t>(i % 60), {fill, fill, fill});
    }
    EXPECT_EQ(Saved().size(), 136u);
  }
}

}  // namespace
}  // namespace mission1_test
