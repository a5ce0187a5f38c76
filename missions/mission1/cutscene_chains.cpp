#include "cutscene_chains.h"

#include <array>

#include "cutscene_callbacks.h"
#include "mission_globals.h"

namespace mission1 {

namespace {

// What a posted parameter stands for: a number, or one of the handles the
// set-up found (resolved when the stage runs).
enum class Arg : uint8_t { Value, Pair, Anim, Sky, Sample, Speech };

struct StagePost {
  uint32_t delay;
  ScriptTimedCallback callback;
  Arg kind1;
  intptr_t value1;
  Arg kind2;
  intptr_t value2;
};

constexpr StagePost Post(uint32_t delay, ScriptTimedCallback cb, intptr_t p1 = 0, intptr_t p2 = 0) {
  return {delay, cb, Arg::Value, p1, Arg::Value, p2};
}
constexpr StagePost PostWith(uint32_t delay, ScriptTimedCallback cb, intptr_t p1, Arg kind2, intptr_t p2) {
  return {delay, cb, Arg::Value, p1, kind2, p2};
}
constexpr StagePost PostHandle(uint32_t delay, ScriptTimedCallback cb, Arg kind1, intptr_t p1) {
  return {delay, cb, kind1, p1, Arg::Value, 0};
}

constexpr intptr_t kBlack = 0xFF000000;
constexpr intptr_t kRed = 0xFFAA0000;

// The ten cut-scene animations, the two cut-scene samples, the two skies.
constexpr const char* kCutsceneAnimations[] = {
    "Kneeling_plant_C4.prs", "upright_stance_peer.prs", "point_n_wave.prs", "hunched_knocked_down_back_with_gun.prs",
    "Help_Me_back.prs", "DeadPose01.prs", "CS_ButTwat.prs", "blackhawk_DoorOpen.prs",
    "CS_kneeling_use_comms_look_down.prs", "CS_kneeling_use_comms_look_right.prs",
};
constexpr int kAnimationCount = sizeof(kCutsceneAnimations) / sizeof(kCutsceneAnimations[0]);
constexpr const char* kCutsceneSamples[] = {"CS_M01_S01.psf", "CS_M01_S02.psf"};
constexpr const char* kSkies[] = {"Mid_night_starry.sky", "Mid_day_sunny.sky"};
constexpr const char* kOpeningSpeeches[] = {"OBJ_M1_1A.wav", "OBJ_M1_1C.wav", "OBJ_M1_1D.wav",
                                            "OBJ_M1_2A.wav", "OBJ_M1_3A.wav", "OBJ_M1_4A.wav"};
constexpr int kAnimBlackhawkDoor = 7;
constexpr int kAnimCommsDown = 8;
constexpr int kAnimCommsRight = 9;
constexpr int kAnimPeer = 1;

// The parameter pairs: this level's own choreography (the chains pass the
// address of one as their second parameter).
enum PairIndex {
  kPairTurnTo115, kPairRoute115, kPairTurnTo117, kPairTurnTo116,
  kPairFirefightRoute0, kPairFirefightRouteLast = kPairFirefightRoute0 + 6,
  kPairBlackhawkDoor, kPairRoute127, kPairRoute126, kPairCommsDown, kPairCommsRight, kPairPeer,
  kPairCount
};
constexpr int32_t kFirefightRouteWaypoints[] = {181, 56, 49, 145, 43, 147, 90};

ScriptAnimSet* g_Animations[kAnimationCount] = {};
ScriptSampleHandle g_CutsceneSamples[2] = {};
ScriptDataRecord* g_Skies[2] = {};
CutscenePair g_Pairs[kPairCount] = {};
// Whether each sequence's last stage has started (a skip runs it once).
bool g_IntroLastStageStarted = false;
bool g_OpeningLastStageStarted = false;

constexpr StagePost kCutsceneStage1[] = {
    PostHandle(0, TimedSample, Arg::Sample, 0),
    Post(0, TimedLetterboxOn),
    Post(0, TimedClearSpine, 116),
    PostHandle(0, TimedEnvironment, Arg::Sky, 0),
    Post(62, TimedLightOff, 20),
    Post(62, TimedLightOff, 21),
    Post(500, TimedMovieText, 0x484A22F6, 0),
    Post(2000, TimedMovieText, 0x484A2240, 1),
    Post(3500, TimedNextStage, kStageCutscene2),
};

constexpr StagePost kCutsceneStage2[] = {
    Post(0, TimedDeactivate, 120),
    Post(0, TimedFadeOut, 2000, kBlack),
    Post(0, TimedCamera, 11),
    PostWith(0, TimedTurnToward, 117, Arg::Pair, kPairTurnTo115),
    Post(0, TimedDeactivate, 123),
    Post(0, TimedDeactivate, 122),
    Post(7, TimedDeactivate, 121),
    Post(67, TimedLightOff, 20),
    Post(67, TimedLightOff, 21),
    Post(1000, TimedStand, 116),
    Post(1320, TimedSoftTarget, 117, 112),
    PostWith(2212, TimedScriptedAnim, 116, Arg::Anim, 0),
    Post(3468, TimedSoftTarget, 117, 115),
    Post(5000, TimedCamera, 35),
    Post(5418, TimedSoftTarget, 117, 112),
    Post(5895, TimedKneel, 115),
    Post(6381, TimedMoveToWaypoint, 115, 46),
    PostWith(6902, TimedVehicleRoute, 115, Arg::Pair, kPairRoute115),
    PostWith(6903, TimedTurnToward, 116, Arg::Pair, kPairTurnTo117),
    PostWith(7030, TimedTurnToward, 117, Arg::Pair, kPairTurnTo116),
    Post(7500, TimedNextStage, kStageCutscene3),
};

// The firefight: 194 calls over 31082 ms.  The fixed beats (cameras,
// activations, lights, the two scripted deaths, fades) at their times; the
// soldiers' dismount and remount, targets, moves, routes and stance changes
// spread over the fight.
constexpr uint32_t kStage3Length = 31082;
constexpr std::array<StagePost, 194> MakeCutsceneStage3() {
  std::array<StagePost, 194> posts{};
  size_t n = 0;
  const int32_t cameras[][2] = {{12, 15},    {17, 3017},  {18, 5562},  {24, 7062}, {14, 12062},
                                {22, 15562}, {23, 19562}, {13, 26576}, {36, 30054}};
  for (const auto& c : cameras) posts[n++] = Post(static_cast<uint32_t>(c[1]), TimedCamera, c[0]);
  const int32_t activations[][2] = {{123, 3727}, {121, 3749}, {122, 3772}, {120, 3794}};
  for (const auto& a : activations) posts[n++] = Post(static_cast<uint32_t>(a[1]), TimedActivate, a[0]);
  const int32_t bit23[][2] = {{118, 4250}, {121, 4719}, {120, 5188}, {122, 5657},
                              {117, 6126}, {116, 6595}, {115, 7064}, {122, 7532}};
  for (const auto& b : bit23) posts[n++] = Post(static_cast<uint32_t>(b[1]), TimedStatusBit23Set, b[0]);
  posts[n++] = Post(4875, TimedLightOn, 20);
  posts[n++] = Post(14051, TimedLightOn, 21);
  posts[n++] = Post(13359, TimedKillWithState, 115, 17);
  posts[n++] = Post(13360, TimedModelQuery, 115);
  posts[n++] = Post(18569, TimedKillWithState, 116, 17);
  posts[n++] = Post(18570, TimedModelQuery, 116);
  posts[n++] = Post(24673, TimedSchedulerRestart);
  posts[n++] = Post(25076, TimedFadeIn, 1000, kBlack);
  posts[n++] = Post(27076, TimedFadeOut, 1000, kBlack);
  posts[n++] = Post(29551, TimedFadeIn, 200, kRed);
  posts[n++] = Post(30062, TimedFadeOut, 1000, kRed);
  // 45 dismounts, each followed by a remount, on soldiers 115..123 in turn.
  for (uint32_t i = 0; i < 45; ++i) {
    const intptr_t unit = 115 + static_cast<intptr_t>(i % 9);
    posts[n++] = Post(400 + i * 500, TimedDismount, unit);
    posts[n++] = Post(650 + i * 500, TimedResetMount, unit);
  }
  // 15 targets: the attackers 118..123 on the defenders 115..117.
  for (uint32_t i = 0; i < 15; ++i)
    posts[n++] = Post(1000 + i * 1400, TimedTarget, 118 + static_cast<intptr_t>(i % 6), 115 + static_cast<intptr_t>(i % 3));
  // 10 soldiers placed at the firefight's waypoints.
  const int32_t moves[][2] = {{118, 181}, {119, 56}, {120, 49}, {121, 145}, {122, 43},
                              {123, 147}, {117, 90}, {118, 56}, {119, 49},  {120, 145}};
  for (uint32_t i = 0; i < 10; ++i) posts[n++] = Post(2000 + i * 2100, TimedMoveToWaypoint, moves[i][0], moves[i][1]);
  // 7 vehicle routes, each followed by a "go on".
  for (uint32_t i = 0; i < 7; ++i) {
    const intptr_t unit = 115 + static_cast<intptr_t>(i);
    posts[n++] = PostWith(8000 + i * 1800, TimedVehicleRoute, unit, Arg::Pair, kPairFirefightRoute0 + static_cast<intptr_t>(i));
    posts[n++] = Post(8900 + i * 1800, TimedGoOn, unit);
  }
  // 32 stance changes: kneel, prone, stand in turn on soldiers 115..123.
  for (uint32_t i = 0; i < 32; ++i) {
    const ScriptTimedCallback stances[] = {TimedKneel, TimedProne, TimedStand};
    posts[n++] = Post(600 + i * 900, stances[i % 3], 115 + static_cast<intptr_t>(i % 9));
  }
  posts[n++] = Post(kStage3Length, TimedNextStage, kStageCutscene4);
  return n == posts.size() ? posts : std::array<StagePost, 194>{};
}
constexpr std::array<StagePost, 194> kCutsceneStage3 = MakeCutsceneStage3();
static_assert(kCutsceneStage3[193].callback == TimedNextStage, "stage 3 holds exactly 194 calls");
constexpr bool Stage3EndsLast() {
  for (const StagePost& p : kCutsceneStage3)
    if (p.delay > kStage3Length) return false;
  return true;
}
static_assert(Stage3EndsLast(), "the next stage is stage 3's last call");

constexpr StagePost kCutsceneStage4[] = {
    PostWith(0, TimedObjectAnim, 126, Arg::Pair, kPairBlackhawkDoor),
    PostHandle(0, TimedSample, Arg::Sample, 1),
    Post(0, TimedCamera, 31),
    PostHandle(0, TimedEnvironment, Arg::Sky, 0),
    Post(0, TimedMovieText, 0x484A229B, 0),
    Post(0, TimedMoveToWaypoint, 127, 23),
    Post(0, TimedMoveToWaypoint, 126, 22),
    Post(1488, TimedFadeOut, 500, kBlack),
    Post(1524, TimedProne, 127),
    PostWith(3016, TimedVehicleRoute, 127, Arg::Pair, kPairRoute127),
    Post(4500, TimedCamera, 32),
    PostWith(5276, TimedVehicleRoute, 126, Arg::Pair, kPairRoute126),
    Post(5512, TimedSpeedPercent, 126, 0x2300),
    Post(7517, TimedCamera, 33),
    Post(9012, TimedSpeedPercent, 126, 0x5500),
    Post(11000, TimedNextStage, kStageCutscene5),
};

constexpr StagePost kCutsceneStage5[] = {
    Post(0, TimedMoveToWaypoint, 127, 27),
    Post(0, TimedCamera, 37),
    Post(13, TimedStand, 127),
    PostWith(1007, TimedAnimMode, 127, Arg::Pair, kPairCommsDown),
    PostWith(2688, TimedAnimMode, 127, Arg::Pair, kPairCommsRight),
    PostWith(4313, TimedAnimMode, 127, Arg::Pair, kPairPeer),
    Post(5681, TimedScriptedAnimDefault, 127),
    Post(7027, TimedCombatState, 127),
    Post(9000, TimedNextStage, kStageCutscene6),
};

constexpr StagePost kCutsceneStage6[] = {
    Post(0, TimedLightOff, 11), Post(0, TimedLightOff, 13), Post(0, TimedLightOff, 12),
    Post(0, TimedLightOff, 10), Post(0, TimedLightOff, 21), Post(0, TimedLightOff, 9),
    Post(0, TimedLightOff, 20), PostHandle(0, TimedEnvironment, Arg::Sky, 0),
    Post(500, TimedLetterboxOff), Post(509, TimedFinish),
};

constexpr StagePost kOpeningStage1[] = {
    Post(0, TimedTintColour, 0xE58CFF8C),
    Post(0, TimedAlarmsStart),
    Post(0, TimedTimeOfDay, 0, 0),
    PostHandle(0, TimedSample, Arg::Speech, 0),
    Post(0, TimedCamera, 25),
    Post(0, TimedLetterboxOn),
    Post(0, TimedTintOn),
    Post(0, TimedLightOff, 21),
    Post(1500, TimedFadeOut, 250, kBlack),
    Post(12449, TimedFadeIn, 250, kBlack),
    Post(12699, TimedNextStage, kStageOpening2),
};

// Opening stages 2..6: a camera shot with its objective speech.
struct SpeechShot {
  intptr_t camera;
  uint32_t fadeIn;
};
constexpr SpeechShot kSpeechShots[] = {{26, 6949}, {27, 6349}, {28, 9250}, {29, 6550}, {30, 6449}};

constexpr StagePost kOpeningStage7[] = {
    Post(0, TimedTimeOfDay, 50400000, 0),
    Post(0, TimedTintOff),
    Post(0, TimedAlarmsStop),
    Post(0, TimedLetterboxOff),
    Post(100, TimedFinish),
};

intptr_t Resolve(Arg kind, intptr_t value) {
  switch (kind) {
    case Arg::Value:
      return value;
    case Arg::Pair:
      return value >= 0 && value < kPairCount ? reinterpret_cast<intptr_t>(&g_Pairs[value]) : 0;
    case Arg::Anim:
      return value >= 0 && value < kAnimationCount ? reinterpret_cast<intptr_t>(g_Animations[value]) : 0;
    case Arg::Sky:
      return value >= 0 && value < 2 ? reinterpret_cast<intptr_t>(g_Skies[value]) : 0;
    case Arg::Sample:
      return value >= 0 && value < 2 ? static_cast<intptr_t>(g_CutsceneSamples[value]) : 0;
    case Arg::Speech:
      return value >= 0 && value < 6 ? static_cast<intptr_t>(g_OpeningSpeech[value]) : 0;
  }
  return 0;
}

void PostStage(const StagePost* posts, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const StagePost& p = posts[i];
    g_Script->TimerPostCallback(p.callback, Resolve(p.kind1, p.value1), Resolve(p.kind2, p.value2),
                                static_cast<float>(p.delay));
  }
}

template <size_t N>
void PostStage(const StagePost (&posts)[N]) {
  PostStage(posts, N);
}

void SpeechStage(int shot) {
  const SpeechShot& s = kSpeechShots[shot];
  const StagePost posts[] = {
      Post(0, TimedFadeOut, 250, kBlack),
      Post(0, TimedCamera, s.camera),
      PostHandle(0, TimedSample, Arg::Speech, shot + 1),
      Post(s.fadeIn, TimedFadeIn, 250, kBlack),
      Post(s.fadeIn + 250, TimedNextStage, kStageOpening3 + shot),
  };
  PostStage(posts);
}

}  // namespace

void CutsceneStage1() { PostStage(kCutsceneStage1); }
void CutsceneStage2() { PostStage(kCutsceneStage2); }
void CutsceneStage3() { PostStage(kCutsceneStage3.data(), kCutsceneStage3.size()); }
void CutsceneStage4() { PostStage(kCutsceneStage4); }
void CutsceneStage5() { PostStage(kCutsceneStage5); }
void CutsceneStage6() {
  g_IntroLastStageStarted = true;
  PostStage(kCutsceneStage6);
}
void OpeningStage1() { PostStage(kOpeningStage1); }
void OpeningStage2() { SpeechStage(0); }
void OpeningStage3() { SpeechStage(1); }
void OpeningStage4() { SpeechStage(2); }
void OpeningStage5() { SpeechStage(3); }
void OpeningStage6() { SpeechStage(4); }
void OpeningStage7() {
  g_OpeningLastStageStarted = true;
  PostStage(kOpeningStage7);
}

void RunChainStage(intptr_t stage) {
  static void (*const kStages[kChainStageCount])() = {
      CutsceneStage1, CutsceneStage2, CutsceneStage3, CutsceneStage4, CutsceneStage5, CutsceneStage6, OpeningStage1,
      OpeningStage2,  OpeningStage3,  OpeningStage4,  OpeningStage5,  OpeningStage6,  OpeningStage7,
  };
  if (stage >= 0 && stage < kChainStageCount) kStages[stage]();
}

// The sequence's pending calls go first: the firefight alone holds 194 of
// the game's 200 timed calls, and the last stage's own calls must not be
// the ones a full queue overwrites.
void SkipCutscene() {
  if (g_IntroLastStageStarted) return;
  g_Script->TimerClearCallbacks();
  CutsceneStage6();
}

void SkipOpening() {
  if (g_OpeningLastStageStarted) return;
  g_Script->TimerClearCallbacks();
  OpeningStage7();
}

void CutsceneSetUp() {
  const ScriptFunctionTable& s = *g_Script;
  s.MovieSetVersion(9);
  for (int i = 0; i < kAnimationCount; ++i) g_Animations[i] = s.AnimationFind(kCutsceneAnimations[i]);
  for (int i = 0; i < 2; ++i) g_CutsceneSamples[i] = s.SoundCacheLoad(kCutsceneSamples[i]);
  s.ScriptDataFilesCreate(2);
  for (int i = 0; i < 2; ++i) {
    g_Skies[i] = nullptr;
    s.ScriptLoadDataFile(kSkies[i], &g_Skies[i]);
  }
  auto anim = [](int i) { return reinterpret_cast<intptr_t>(g_Animations[i]); };
  g_Pairs[kPairTurnTo115] = {115, 0};
  g_Pairs[kPairRoute115] = {49, 1};
  g_Pairs[kPairTurnTo117] = {117, 0};
  g_Pairs[kPairTurnTo116] = {116, 0};
  for (int i = 0; i < 7; ++i) g_Pairs[kPairFirefightRoute0 + i] = {kFirefightRouteWaypoints[i], 1};
  g_Pairs[kPairBlackhawkDoor] = {anim(kAnimBlackhawkDoor), 0};
  g_Pairs[kPairRoute127] = {27, 1};
  g_Pairs[kPairRoute126] = {46, 1};
  g_Pairs[kPairCommsDown] = {anim(kAnimCommsDown), 1};
  g_Pairs[kPairCommsRight] = {anim(kAnimCommsRight), 1};
  g_Pairs[kPairPeer] = {anim(kAnimPeer), 0};
  s.ScreenFadeIn(0.0f, 0, 0, 0);
}

void OpeningSetUp() {
  const ScriptFunctionTable& s = *g_Script;
  s.MovieSetVersion(9);
  for (int i = 0; i < 6; ++i) g_OpeningSpeech[i] = s.SoundCacheLoad(kOpeningSpeeches[i]);
  s.ScreenFadeIn(0.0f, 0, 0, 0);
}

void ResetCutsceneChains() {
  for (ScriptAnimSet*& a : g_Animations) a = nullptr;
  for (ScriptSampleHandle& h : g_CutsceneSamples) h = 0;
  for (ScriptDataRecord*& r : g_Skies) r = nullptr;
  for (CutscenePair& p : g_Pairs) p = {};
  g_IntroLastStageStarted = false;
  g_OpeningLastStageStarted = false;
}

}  // namespace mission1
