#include "shell/endlevel/end_of_level.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "control/input/input.h"
#include "foundation/files/catalog.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/text/locale_table.h"
#include "foundation/time/timer.h"
#include "menus/screens/menu_input_checks.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "render/textures/texture_manager.h"
#include "shell/level/level_cycle.h"
#include "shell/level/mission_plugin.h"
#include "shell/program/game_objects.h"
#include "sound/sound_manager.h"
#include "world/effects/effect_pool.h"
#include "world/effects/trails.h"
#include "world/engine.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"
#include "world/timing/timed_callback_list.h"

EndOfLevelState* g_EndOfLevel = nullptr;

namespace {

constexpr int kEscapeKey = 1;
constexpr float kSlowFadePerSecond = 1.0f / 5.0f;
constexpr float kFastFadePerSecond = 1.0f / 2.0f;
constexpr float kPromotionRange = 1000.0f;
constexpr float kPictureStartX = -128.0f;
// The medal picture slides in from the left edge to a fifth of the screen.
constexpr float kPictureSlidePerSecond = 600.0f;
constexpr std::uint32_t kBlinkCycleMs = 3000;
constexpr const char* kCaptionBank = "Interface.sbk";
constexpr const char* kEndOfLevelEvent = "end of level";

EndOfLevelSoldierOps g_ops;

// The caption line: shown whole at once, so it has finished showing as soon
// as it is set; the step then waits 1500 ms before the next one.
char g_caption[256] = {};
bool g_captionPending = false;

CTimer* Clock() { return g_GameClock; }
std::uint32_t Now() { return Clock() != nullptr ? Clock()->GetGameTime() : 0; }
float FrameSeconds() { return Clock() != nullptr ? Clock()->GetFrameTime() : 0.0f; }

CHLO* SquadSoldier(int slot) {
  if (g_ops.SquadSoldier == nullptr) {
    NotBuiltYet("end of level: the squad's soldiers");
    return nullptr;
  }
  return g_ops.SquadSoldier(slot);
}

bool CanBeShown(CHLO* soldier) {
  if (soldier == nullptr) return false;
  if (g_ops.CanBeShown == nullptr) {
    NotBuiltYet("end of level: soldier out-of-action and health check");
    return false;
  }
  return g_ops.CanBeShown(soldier);
}

EndOfLevelSoldierRecord Describe(CHLO* soldier) {
  EndOfLevelSoldierRecord r;
  if (g_ops.Describe == nullptr) NotBuiltYet("end of level: soldier results");
  else g_ops.Describe(soldier, &r);
  return r;
}

void AttachCameras(CHLO* soldier) {
  if (g_ops.AttachCameras == nullptr) NotBuiltYet("end of level: player cameras on a soldier");
  else g_ops.AttachCameras(soldier);
}

int SlotOf(CHLO* soldier) {
  for (int slot = 0; slot < kEndOfLevelSquadSlots; ++slot)
    if (soldier != nullptr && SquadSoldier(slot) == soldier) return slot;
  return -1;
}

// Walks the ring of squad slots from the soldier's own (exclusive) in steps
// of +1 or -1; with no soldier it starts before slot 0.
CHLO* Walk(CHLO* soldier, int direction) {
  const int from = soldier != nullptr ? SlotOf(soldier) : (direction > 0 ? kEndOfLevelSquadSlots - 1 : 0);
  const int start = from < 0 ? (direction > 0 ? kEndOfLevelSquadSlots - 1 : 0) : from;
  for (int i = 1; i <= kEndOfLevelSquadSlots; ++i) {
    const int slot = ((start + direction * i) % kEndOfLevelSquadSlots + kEndOfLevelSquadSlots) % kEndOfLevelSquadSlots;
    CHLO* s = SquadSoldier(slot);
    if (s != nullptr && CanBeShown(s)) return s;
  }
  return nullptr;
}

const CSoundBank* CaptionBank() {
  return g_SoundManager != nullptr ? g_SoundManager->LoadBank(kCaptionBank, 0) : nullptr;
}

void PlayCaptionSound(int event, float range) {
  if (g_SoundManager != nullptr) g_SoundManager->PlayEvent(CaptionBank(), event, nullptr, range, 0);
}

const char* Text(std::uint32_t id) {
  const char* s = g_Locale != nullptr ? g_Locale->GetString(id) : nullptr;
  return s != nullptr ? s : "";
}

void ShowCaption(const std::string& text) {
  std::snprintf(g_caption, sizeof g_caption, "%s", text.c_str());
  g_captionPending = true;
}

// printf with one or two %s taken from the arguments, and nothing else read.
std::string Format(const char* pattern, const char* a, const char* b = "") {
  std::string out;
  int used = 0;
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      out += used == 0 ? a : (used == 1 ? b : "");
      ++used;
      ++p;
    } else if (p[0] == '%' && p[1] == '%') {
      out += '%';
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

int MedalBitNumber(std::uint32_t medal) {
  for (int i = 0; i < 7; ++i)
    if (medal == (1u << i)) return i;
  return -1;
}

float ScreenWidth() { return g_Render != nullptr ? static_cast<float>(g_Render->GetModeWidth()) : 800.0f; }
float ScreenHeight() { return g_Render != nullptr ? static_cast<float>(g_Render->GetModeHeight()) : 600.0f; }

void PrepareSoldier(EndOfLevelState& s, CHLO* soldier) {
  s.CurrentSoldier = soldier;
  AttachCameras(soldier);
  s.Fade = 1.0f;
  s.Fast = 1;
  s.Step = EOL_SOLDIER;
  s.NextTime = 0;
  g_caption[0] = '\0';
  g_captionPending = false;
  const EndOfLevelSoldierRecord r = Describe(soldier);
  for (bool improved : r.Improved)
    if (improved) s.Fast = 0;
  s.MedalShown = 0;
  s.Medal = r.Medal;
  if (r.Medal != 0) {
    s.PictureX = kPictureStartX;
    s.PictureY = 0.625f * ScreenHeight();
    s.MedalShown = 1;
    s.Fast = 0;
  }
  if (r.Promoted || r.NewSkill >= 0) s.Fast = 0;
}

void Finish(EndOfLevelState& s) {
  s.Step = EOL_FINISHED;
  s.CurrentSoldier = nullptr;
  s.MedalShown = 0;
  s.Fade = 0.0f;
  g_caption[0] = '\0';
  g_captionPending = false;
  AttachCameras(nullptr);
}

// The current soldier is done (or skipped): the next one, or the end.
void NextSoldier(EndOfLevelState& s) {
  CHLO* next = Walk(s.CurrentSoldier, 1);
  if (next == nullptr || next == s.FirstSoldier) {
    Finish(s);
    return;
  }
  PrepareSoldier(s, next);
}

// Tells step `step` of the soldier: its sound and caption, when he has that to tell.
void Tell(EndOfLevelState& s, int step) {
  const EndOfLevelSoldierRecord r = Describe(s.CurrentSoldier);
  switch (step) {
    case EOL_PROMOTION:
      if (r.Promoted) {
        PlayCaptionSound(kPromotionSound, kPromotionRange);
        ShowCaption(Format(Text(kPromotionCaption), Text(kRankNameBase + static_cast<std::uint32_t>(r.Rank))));
      }
      break;
    case EOL_SKILL:
      if (r.NewSkill >= 0 && r.NewSkill < kSoldierSkills) {
        PlayCaptionSound(kSkillSound, 0.0f);
        std::string name = r.Name != nullptr ? r.Name : "";
        if (!name.empty()) name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
        ShowCaption(Format(Text(kSkillCaption), name.c_str(),
                           Text(kSkillNameBase + static_cast<std::uint32_t>(r.NewSkill))));
      }
      break;
    case EOL_MEDAL:
      if (MedalBitNumber(r.Medal) >= 0) {
        PlayCaptionSound(kMedalSound, 0.0f);
        ShowCaption(Format(Text(kMedalCaption), Text(kMedalNameBase + MedalBitNumber(r.Medal))));
      }
      break;
    case EOL_IMPROVEMENT:
      if (std::any_of(std::begin(r.Improved), std::end(r.Improved), [](bool b) { return b; })) {
        PlayCaptionSound(kImprovementSound, 0.0f);
        ShowCaption(Text(kImprovementCaption));
      }
      break;
    default:
      break;
  }
}

// A caption that has finished showing starts the 1500 ms gap.
void StartGapAfterCaption(EndOfLevelState& s) {
  if (g_captionPending) {
    g_captionPending = false;
    s.NextTime = Now() + kEndOfLevelGapMs;
  }
}

// The squad's soldiers that can be shown, for the world's freeze.
CHLO* g_shown[kEndOfLevelSquadSlots] = {};

void SwitchOffUnlessShown(CHLO* object) {
  for (CHLO* s : g_shown)
    if (s == object) return;
  if (g_HLOManager != nullptr) g_HLOManager->DeactivateObject(object);
}

}  // namespace

void SetEndOfLevelSoldierOps(const EndOfLevelSoldierOps& ops) { g_ops = ops; }

CHLO* EndOfLevelNextSoldier(CHLO* soldier) { return Walk(soldier, 1); }
CHLO* EndOfLevelPreviousSoldier(CHLO* soldier) { return Walk(soldier, -1); }

int EndOfLevelStart() {
  if (g_EndOfLevel == nullptr) return 0;
  EndOfLevelState& s = *g_EndOfLevel;
  // 1-2. No split drawing; the caption line is cleared.
  SplitDrawing = 0;
  s.Step = EOL_SOLDIER;
  g_caption[0] = '\0';
  g_captionPending = false;
  // 3. Everything but the soldiers that can be shown is switched off.
  for (int slot = 0; slot < kEndOfLevelSquadSlots; ++slot) {
    CHLO* soldier = SquadSoldier(slot);
    g_shown[slot] = CanBeShown(soldier) ? soldier : nullptr;
  }
  if (g_HLOManager != nullptr) g_HLOManager->ForEachActiveObject(SwitchOffUnlessShown);
  // 4. The world's short-lived things go; the clock runs at its own pace.
  if (g_Trails != nullptr) g_Trails->Clear();
  if (g_EffectPool != nullptr) g_EffectPool->Clear();
  if (g_TimedCallbacks != nullptr) g_TimedCallbacks->Reset();
  NotBuiltYet("end of level: corpse list and HUD");
  if (g_SoundManager != nullptr) g_SoundManager->StopAllSounds();
  if (Clock() != nullptr) Clock()->SetTimeScale(1.0f);
  // 5. The shown soldiers take their places, from slot 0 on.
  CHLO* first = nullptr;
  for (CHLO* soldier : g_shown) {
    if (soldier == nullptr) continue;
    bool placed = false;
    if (g_ops.PlaceForShow == nullptr) NotBuiltYet("end of level: placing a soldier");
    else placed = g_ops.PlaceForShow(soldier);
    if (placed && first == nullptr) first = soldier;
  }
  // 6. The mission hears of it.
  if (MissionPluginBound()) RaiseMissionEvent(80, nullptr, 0);
  // 7. The first soldier; the AI sleeps.
  EndOfLevelLoadMedals();
  s.StartTime = Now();
  s.FirstSoldier = first;
  if (g_ops.SwitchAIOff == nullptr) NotBuiltYet("end of level: soldiers' AI off");
  else g_ops.SwitchAIOff();
  if (first == nullptr) {
    Finish(s);
    return 0;
  }
  PrepareSoldier(s, first);
  return 1;
}

int EndOfLevelStep() {
  if (g_EndOfLevel == nullptr) return 1;
  EndOfLevelState& s = *g_EndOfLevel;
  if (s.Step == EOL_FINISHED || s.Step == EOL_IDLE) return 1;
  if (s.CurrentSoldier == nullptr) {
    Finish(s);
    return 1;
  }
  const float dt = FrameSeconds();
  // 1. The fade, and the medal picture sliding in.
  s.Fade = std::max(0.0f, s.Fade - dt * (s.Fast ? kFastFadePerSecond : kSlowFadePerSecond));
  if (s.MedalShown) s.PictureX = std::min(0.2f * ScreenWidth(), s.PictureX + dt * kPictureSlidePerSecond);
  // Escape or a menu confirmation skips the soldier.
  if (WasKeyPressed(kEscapeKey) || AcceptPressed(0) != 0) {
    NextSoldier(s);
    return s.Step == EOL_FINISHED ? 1 : 0;
  }
  // 2. The gap after a caption.
  StartGapAfterCaption(s);
  if (Now() < s.NextTime) return 0;
  // 3. The next step.
  const int step = s.Step;
  bool done = false;
  if (step >= EOL_SOLDIER && step < EOL_FADE) {
    s.Step = step + 1;
    Tell(s, s.Step);
    StartGapAfterCaption(s);
  } else if (step == EOL_FADE) {
    done = s.Fade <= 0.0f;
  } else {
    done = true;
  }
  // 4. Done: the next soldier, or the end.
  if (done) NextSoldier(s);
  return s.Step == EOL_FINISHED ? 1 : 0;
}

int EndOfLevelLoadMedals() {
  if (g_EndOfLevel == nullptr) return 0;
  EndOfLevelState& s = *g_EndOfLevel;
  if (s.MedalSprites != nullptr) return 1;
  if (g_Render == nullptr) return 0;
  const char* own = PlayerNation == 1 ? "USMedals.img" : "UKMedals.img";
  const char* other = PlayerNation == 1 ? "UKMedals.img" : "USMedals.img";
  const float w = ScreenWidth(), h = ScreenHeight();
  if (GetCatalogMode() & CATALOG_MODE_BUILD) {
    // Both files enter the catalog being built.
    CSpriteRender copy(g_Render, g_MainCamera, g_LevelTextures);
    copy.Load(other, 16, 0, 0, 0);
    copy.Free();
  }
  auto* sprites = new CSpriteRender(g_Render, g_MainCamera, g_LevelTextures);
  if (!sprites->Load(own, 16, 0, 0, 0) || sprites->GetSpriteCount() == 0) {
    sprites->Free();
    delete sprites;
    return 0;
  }
  sprites->SetScalePercent(100.0f * w / std::max(800.0f, w), 100.0f * h / std::max(600.0f, h), 0);
  s.MedalSprites = sprites;
  return 1;
}

void EndOfLevelReset() {
  if (g_EndOfLevel == nullptr) return;
  EndOfLevelState& s = *g_EndOfLevel;
  if (s.MedalSprites != nullptr) {
    s.MedalSprites->Free();
    delete s.MedalSprites;
  }
  s = EndOfLevelState{};
  g_caption[0] = '\0';
  g_captionPending = false;
  for (CHLO*& shown : g_shown) shown = nullptr;
}

int MedalPicture(std::uint32_t medal, bool large) {
  // Per medal bit: small UK, small US, large UK, large US.
  static const int kTable[7][4] = {{4, 0, 20, 18},  {5, 3, 21, 21},  {0, 1, 16, 19}, {3, 2, 19, 20},
                                   {1, 17, 17, 24}, {2, 4, 18, 22}, {23, 5, 22, 23}};
  const int bit = MedalBitNumber(medal);
  if (bit < 0) return -1;
  return kTable[bit][(large ? 2 : 0) + (PlayerNation == 1 ? 1 : 0)];
}

int RankPicture(int rank, bool /*large*/) {
  const bool us = PlayerNation == 1;
  if (rank == 1) return us ? 9 : -1;
  if (rank == 2) return 7;
  if (rank >= 3 && rank <= 9) return us ? rank + 7 : rank + 5;
  if (rank == 10) return 6;
  if (rank == 11) return us ? 8 : 15;
  return -1;
}

namespace {

void DrawPicture(int sprite, int x, int y, int alpha) {
  CSpriteRender* sprites = g_EndOfLevel != nullptr ? g_EndOfLevel->MedalSprites : nullptr;
  if (sprites == nullptr || sprite < 0 || g_Render == nullptr) return;
  const DWORD bilinear = g_Render->SetBilinearFilter(1);
  sprites->SetColour(0xFFFFFFFFu, 1);
  if (alpha < 255) sprites->SetAlpha(alpha);
  sprites->Draw(sprite, x, y);
  sprites->PopColour();
  g_Render->SetBilinearFilter(bilinear);
}

}  // namespace

void DrawMedal(std::uint32_t medal, int x, int y, bool large) { DrawPicture(MedalPicture(medal, large), x, y, 255); }

void DrawRank(int rank, int x, int y, bool large, bool blink) {
  int alpha = 255;
  if (blink && g_RealClock != nullptr) {
    // A triangle over the 3000 ms cycle: full, fading out, back again.
    const std::uint32_t phase = g_RealClock->GetGameTime() % kBlinkCycleMs;
    const float t = static_cast<float>(phase) / kBlinkCycleMs;
    alpha = static_cast<int>(255.0f * (t < 0.5f ? 1.0f - 2.0f * t : 2.0f * t - 1.0f));
  }
  DrawPicture(RankPicture(rank, large), x, y, alpha);
}

const char* EndOfLevelCaption() { return g_caption; }

void DrawEndOfLevelCaption() {
  if (g_caption[0] == '\0' || g_MainFont == nullptr || g_EndOfLevel == nullptr) return;
  const int x = static_cast<int>(0.125f * ScreenWidth());
  const int y = static_cast<int>(0.875f * ScreenHeight());
  const int alpha = static_cast<int>(160.0f * std::clamp(g_EndOfLevel->Fade, 0.0f, 1.0f));
  g_MainFont->SetColour((static_cast<std::uint32_t>(alpha) << 24) | 0x002FFF2Fu);
  g_MainFont->DrawString(g_caption, x, y, 0);
}
