#include "menus/screens/screen_manager.h"

#include <cstring>
#include <string>

#include "control/input/input.h"
#include "control/keymap/key_map.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/time/timer.h"
#include "menus/drawing/menu_backdrop.h"
#include "menus/multiplayer/mp_screens.h"
#include "menus/screens/briefing_menu.h"
#include "menus/screens/menu_driver.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/cheat_menu.h"
#include "menus/screens/controller_menu.h"
#include "menus/screens/key_bind_menu.h"
#include "menus/screens/mouse_menu.h"
#include "menus/screens/options_menu.h"
#include "menus/screens/menu_text_ids.h"
#include "menus/screens/difficulty_menu.h"
#include "menus/screens/failed_menu.h"
#include "menus/screens/front_end_menu.h"
#include "menus/screens/load_failed_menu.h"
#include "menus/screens/load_game_menu.h"
#include "menus/screens/mission_list_menu.h"
#include "menus/screens/mission_menu.h"
#include "menus/screens/save_game_menu.h"
#include "menus/screens/mission_record_link.h"
#include "menus/screens/objective_menu.h"
#include "menus/screens/pause_menu.h"
#include "menus/screens/single_player_menu.h"
#include "menus/screens/success_menu.h"
#include "menus/screens/training_menu.h"
#include "menus/screens/uniform_menu.h"
#include "menus/screens/yes_no_menu.h"
#include "menus/screens/screen_manager_state.h"
#include "menus/widgets/screen_menu.h"
#include "net/mp_layer.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "shell/frame/mission_queries.h"
#include "shell/level/mission_plugin.h"
#include "shell/program/cursor_control.h"
#include "shell/program/shell_state.h"
#include "shell/program/sound_mode.h"
#include "world/engine.h"

int ScreenId = 0;
int PreviousScreenId = 0;

namespace {

ScreenManagerState g_state;

// Mission events the manager raises.
constexpr std::uint32_t kEventBriefingEnded = 59;
// The session state a quit asks for.
constexpr int kSessionQuit = 11;

template <class T>
CMenuScreen* Make() {
  return new T;
}

// The screen classes in the order CreateScreens makes them, with the ids
// each serves.  A class whose issue has not added it yet has no maker.
struct ScreenClass {
  const char* name;
  int ids[7];
  int idCount;
  CMenuScreen* (*make)();
};
const ScreenClass kScreenClasses[] = {
    {"CFrontEndMenu", {1}, 1, Make<CFrontEndMenu>},      {"CSinglePlayerMenu", {2}, 1, Make<CSinglePlayerMenu>},
    {"COptionsMenu", {4}, 1, Make<COptionsMenu>},        {"CDifficultyMenu", {5}, 1, Make<CDifficultyMenu>},
    {"CUniformMenu", {6}, 1, Make<CUniformMenu>},        {"CCheatMenu", {7}, 1, Make<CCheatMenu>},
    {"CControllerMenu", {31}, 1, Make<CControllerMenu>}, {"CKeyBindMenu", {33}, 1, Make<CKeyBindMenu>},
    {"CMouseMenu", {32}, 1, Make<CMouseMenu>},           {"CMissionListMenu", {8}, 1, Make<CMissionListMenu>},
    {"CLoadGameMenu", {9}, 1, Make<CLoadGameMenu>},      {"CSaveGameMenu", {10}, 1, Make<CSaveGameMenu>},
    {"CYesNoMenu", {21, 22, 23, 24, 25, 26, 27}, 7, Make<CYesNoMenu>},
    {"CSoldierMenu", {14}, 1, nullptr},      {"CPauseMenu", {15}, 1, Make<CPauseMenu>},
    {"CMissionMenu", {16}, 1, Make<CMissionMenu>},      {"CFailedMenu", {17}, 1, Make<CFailedMenu>},
    {"CSuccessMenu", {18, 19}, 2, Make<CSuccessMenu>},  {"CTrainingMenu", {62}, 1, Make<CTrainingMenu>},
    {"CObjectiveMenu", {13}, 1, MakeObjectiveMenu}, {"CBriefingMenu", {20}, 1, MakeBriefingMenu},
};
const ScreenClass kLoadFailedClass = {"CLoadFailedMenu", {60}, 1, Make<CLoadFailedMenu>};

// Whether an id will have a screen object once its class is built (so that
// the stand-in driver answers for it meanwhile).
bool IsScreenClassId(int id) {
  for (const ScreenClass& c : kScreenClasses)
    for (int i = 0; i < c.idCount; ++i)
      if (c.ids[i] == id) return true;
  return id == 60 || id == 3 || (id >= 34 && id <= 36) || (id >= 38 && id <= 46) || id == 48 || id == 49 ||
         id == 51 || id == 56 || id == 57;
}

bool MakeClass(const ScreenClass& c) {
  if (c.make == nullptr) {
    NotBuiltYet((std::string("menu screen ") + c.name).c_str());
    return true;
  }
  CMenuScreen* screen = c.make();
  if (screen == nullptr) return false;
  if (!screen->Create()) {
    // A screen without its menu is treated as a pseudo id.
    delete screen;
    return true;
  }
  for (int i = 0; i < c.idCount; ++i) {
    g_state.objects[c.ids[i]] = screen;
    g_state.owned[c.ids[i]] = true;
  }
  return true;
}

bool InRange(int id) { return id >= 0 && id < kScreenIdCount; }

// Zoom answers of pseudo ids.
bool PseudoZoomsOut(int leaving, int next) {
  switch (leaving) {
    case 0: case 14: case 28: case 29: case 59: case 61: return false;
    case 11: return next != 12;
    case 12: return next != 11;
    default: return true;
  }
}

bool PseudoZoomsIn(int entered, int previous) {
  switch (entered) {
    case 0: case 28: case 29: case 59: case 61: return false;
    case 11: return previous != 12;
    case 12: return previous != 11;
    default: return true;
  }
}

void ResetMissionRecord() { MissionRecordReset(); }

// Pseudo 28: the level the game record names starts.
int StartRecordedLevel() {
  const char* name = MissionRecordNextLevel();
  if (name != nullptr) {
    std::strncpy(LevelName, name, kLevelNameSize - 1);
    LevelName[kLevelNameSize - 1] = '\0';
  }
  ResetMissionRecord();
  return SCREEN_RESULT_LEVEL_CHANGE;
}

// The frame's answer for a screen whose class is not built yet: the key
// stand-in of the menu driver (Escape and Enter).
void DrawScreenOrPseudo(int id);

// The backdrop set ("Backdrop.img") and the empty script set that slot 19
// fills; both live with the screens.
void MakeMenuSpriteSets() {
  if (CSpriteRender::s_Render == nullptr) return;
  if (g_BackdropSprites == nullptr) {
    g_BackdropSprites = new CSpriteRender(CSpriteRender::s_Render, CSpriteRender::s_Camera, CSpriteRender::s_Textures);
    if (g_BackdropSprites->Load("Backdrop.img", TEXF_32BIT | TEXF_ALPHA, 0, 0, 0) != 0 &&
        CSpriteRender::s_Textures != nullptr) {
      CSpriteRender::s_Textures->LoadTextures(nullptr);
      g_BackdropSprites->RecomputeUVs();
    }
  }
  if (g_ScriptSprites == nullptr)
    g_ScriptSprites = new CSpriteRender(CSpriteRender::s_Render, CSpriteRender::s_Camera, CSpriteRender::s_Textures);
}

void FreeMenuSpriteSets() {
  delete g_BackdropSprites;
  delete g_ScriptSprites;
  g_BackdropSprites = g_ScriptSprites = nullptr;
  ResetMenuBackdrop();
}

int StandInScreen() {
  const MenuLevelRequest request{LevelName, kLevelNameSize, &ReturnToFrontEnd};
  return RunMenuDriver(request);
}

}  // namespace

ScreenManagerState& Screens() { return g_state; }

std::uint32_t RealNowMs() { return g_RealClock != nullptr ? g_RealClock->GetGameTime() : 0; }
std::uint32_t GameNowMs() { return g_GameClock != nullptr ? g_GameClock->GetGameTime() : 0; }

int CreateScreens() {
  g_MenuScreenDefaults = MenuScreenDefaults{184, kTextHintSelect, 0, 0, 182, kTextHintBack};
  MakeMenuSpriteSets();
  for (const ScreenClass& c : kScreenClasses)
    if (!MakeClass(c)) return 0;
  if (!MakeSquadNameMenus()) return 0;
  if (!MakeClass(kLoadFailedClass)) return 0;
  g_state.made = true;
  return 1;
}

void DestroyScreens() {
  // Objects put aside by SetScreenObject are freed with the others.
  for (int id = 0; id < kScreenIdCount; ++id) {
    if (g_state.displaced[id] == nullptr) continue;
    g_state.objects[id] = g_state.displaced[id];
    g_state.owned[id] = true;
    g_state.displaced[id] = nullptr;
  }
  for (int id = 0; id < kScreenIdCount; ++id) {
    if (!g_state.owned[id] || g_state.objects[id] == nullptr) continue;
    CMenuScreen* screen = g_state.objects[id];
    // Ids sharing the object let go of it together.
    for (int other = id; other < kScreenIdCount; ++other)
      if (g_state.objects[other] == screen) {
        g_state.objects[other] = nullptr;
        g_state.owned[other] = false;
      }
    screen->Destroy();
    delete screen;
  }
  FreeSquadNameMenus();
  FreeMenuSpriteSets();
  g_state.made = false;
}

bool ScreensMade() { return g_state.made; }

CMenuScreen* ScreenFromId(int id) { return InRange(id) ? g_state.objects[id] : nullptr; }

void SetScreenObject(int id, CMenuScreen* screen) {
  if (!InRange(id)) return;
  // The object CreateScreens made for the id is kept aside, not lost, and
  // comes back when the installed one is removed.
  if (g_state.owned[id] && g_state.objects[id] != nullptr && g_state.displaced[id] == nullptr)
    g_state.displaced[id] = g_state.objects[id];
  if (screen == nullptr && g_state.displaced[id] != nullptr) {
    g_state.objects[id] = g_state.displaced[id];
    g_state.owned[id] = true;
    g_state.displaced[id] = nullptr;
    return;
  }
  g_state.objects[id] = screen;
  g_state.owned[id] = false;
}

const CSoundBank* InterfaceSoundBank() { return g_state.interfaceBank; }

void ScreenLeaveStep(int leaving, int next) {
  if (CMenuScreen* screen = ScreenFromId(leaving)) {
    screen->OnLeave(next);
    return;
  }
  if (leaving == 11 || leaving == 12) EnableKeyMap(1);
}

void ScreenEnterStep(int entered) {
  SetMenuMode(1);
  if (CMenuScreen* screen = ScreenFromId(entered)) {
    screen->OnEnter();
    return;
  }
  switch (entered) {
    case 14:
      // What the in-game screen's own entry does (its class comes later).
      SetMenuMode(0);
      break;
    case 11:
    case 12:
      if (g_Input != nullptr) g_Input->FlushTextInput();
      EnableKeyMap(0);
      break;
    case 28:
    case 29:
    case 61: SetMenuMode(0); break;
    case 55: EnterMultiplayerMenu(entered, PreviousScreenId); break;
    case 59: NotBuiltYet("award sequence"); break;
    default: break;
  }
}

void SetScreen(int id) {
  if (id == SCREEN_IN_GAME) g_state.inGameRequested = GameNowMs();
  if (g_state.lock != 0) return;
  PreviousScreenId = ScreenId;
  const int leaving = ScreenId;
  if (CMenuScreen* screen = ScreenFromId(leaving)) {
    g_state.zoomingOut = screen->ZoomsOut(id);
    g_state.dimGreen = screen->DimsGreenOnLeave(id);
    g_state.dimRed = screen->DimsRedOnLeave(id);
  } else {
    g_state.zoomingOut = PseudoZoomsOut(leaving, id);
    g_state.dimGreen = g_state.dimRed = false;
  }
  const bool deferred = g_state.zoomingOut;
  if (!deferred) ScreenLeaveStep(leaving, id);
  ScreenId = id;
  if (!deferred) ScreenEnterStep(id);
  if (PreviousScreenId == SCREEN_IN_GAME) g_state.forward = true;
  CMenuScreen* entered = ScreenFromId(id);
  g_state.zoomingIn = entered != nullptr ? entered->ZoomsIn(id) : PseudoZoomsIn(id, PreviousScreenId);
  g_state.transitionStart = RealNowMs();
  // Switch u: no transitions.  The steps that waited for the zoom-out run
  // now; those already run are not run again.
  if (IsCommandSwitchSet('u') != 0) {
    g_state.zoomingOut = g_state.zoomingIn = false;
    if (deferred) {
      ScreenLeaveStep(leaving, id);
      ScreenEnterStep(id);
    }
  }
}

int UpdateCurrentScreen() {
  if (g_state.lock != 0 || g_state.zoomingOut || g_state.zoomingIn) return SCREEN_RESULT_STAY;
  if (CMenuScreen* screen = ScreenFromId(ScreenId)) return screen->Update();
  switch (ScreenId) {
    case 11:
    case 12: return UpdateSquadNameEditor(ScreenId);
    case 28: return StartRecordedLevel();
    case 37: case 47: case 50: case 52: case 53: case 54: case 55: case 58:
      return UpdateMultiplayerMenu(ScreenId);
    case 59: return UpdateAwardCeremony();
    case 61: {
      if (MissionPluginBound()) RaiseMissionEvent(kEventBriefingEnded, nullptr, 0);
      SetScreen(SCREEN_IN_GAME);
      return SCREEN_RESULT_STAY;
    }
    default: break;
  }
  if (IsScreenClassId(ScreenId)) return StandInScreen();
  return SCREEN_RESULT_STAY;
}

void DrawMenus() {
  if (g_state.lock != 0 || g_Render == nullptr) return;
  g_Render->SetBlendMode(3);
  DrawMenuBackdrop();
  g_Render->SetLighting(0);
  g_Render->SetBilinearFilter(1);
  const int id = UpdateScreenTransition();
  DrawScreenOrPseudo(id);
  // The transition's scales apply to the menus only.
  g_Render->Set2DScale(1.0f);
  g_Render->Set2DRedScale(1.0f);
  g_Render->Set2DGreenScale(1.0f);
  g_Render->Set2DBlueScale(1.0f);
  g_Render->Set2DAlphaScale(1.0f);
}

namespace {

void DrawScreenOrPseudo(int id) {
  const bool zooming = g_state.zoomingOut || g_state.zoomingIn;
  if (CMenuScreen* screen = ScreenFromId(id)) {
    screen->Draw();
    if (!zooming) DrawHintLines(screen->GetLeftHintTextId(), screen->GetRightHintTextId());
    return;
  }
  // Pseudo ids: the shared hints where a menu is up, then the pseudo screen.
  const bool noHints = id == 0 || id == 14 || id == 28 || id == 29 || id == 59 || id == 61;
  if (!zooming && !noHints) DrawHintLines(g_MenuScreenDefaults.leftHint, g_MenuScreenDefaults.rightHint);
  switch (id) {
    case 11:
    case 12: DrawSquadNameEditor(); break;
    case 37: case 47: case 50: case 52: case 53: case 54: case 55: case 58: DrawMultiplayerMenu(id); break;
    case 59: NotBuiltYet("award sequence display"); break;
    default: break;
  }
}

}  // namespace

void SetScreenLock(int state) {
  if ((state != 0 ? 1 : 0) != g_state.lock) ToggleScreenLock();
}

int IsScreenLocked() { return g_state.lock == 1 ? 1 : 0; }

void ToggleScreenLock() {
  if (g_state.lock == 0) {
    g_state.lock = 1;
    SetMenuMode(0);
  } else {
    g_state.lock = 0;
  }
}

int QuitToFrontEnd() {
  if (MPIsNetworkGame()) {
    if (MPIsHost()) {
      MPSendSessionState(kSessionQuit);
      return SCREEN_RESULT_STAY;
    }
    if (MPIsClient()) {
      MPSetSessionState(kSessionQuit);
      return SCREEN_RESULT_STAY;
    }
    SetScreen(SCREEN_IN_GAME);
  }
  SetSoundMode(0);
  std::strncpy(LevelName, "FrontEnd.dll", kLevelNameSize - 1);
  LevelName[kLevelNameSize - 1] = '\0';
  ReturnToFrontEnd = 1;
  ResetMissionRecord();
  EnableKeyMap(1);
  return SCREEN_RESULT_LEVEL_CHANGE;
}

void RefreshSoldierMenu() {
  if (CMenuScreen* screen = ScreenFromId(SCREEN_IN_GAME)) screen->Populate();
}

void RefreshInventoryMenus() {
  NotBuiltYet("local players' pop-up menus");
  RefreshSoldierMenu();
}

CScreenMenu* SquadNameMenu(int column) { return column == 0 || column == 1 ? g_state.nameMenus[column] : nullptr; }
