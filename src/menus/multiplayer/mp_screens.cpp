#include "menus/multiplayer/mp_screens.h"

#include <algorithm>
#include <cstring>

#include "foundation/system/registry_key.h"
#include "menus/multiplayer/connection_menu.h"
#include "menus/multiplayer/lobby_menu.h"
#include "menus/multiplayer/mp_info_menu.h"
#include "menus/multiplayer/mp_options_menu.h"
#include "menus/multiplayer/mp_setup_menu.h"
#include "menus/multiplayer/mp_text_edit_menu.h"
#include "menus/multiplayer/mp_text_ids.h"
#include "menus/multiplayer/multi_player_menu.h"
#include "menus/multiplayer/round_over_menu.h"
#include "menus/multiplayer/score_table.h"
#include "menus/multiplayer/session_browser.h"
#include "menus/multiplayer/team_menu.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/menu_metrics.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_manager_state.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/menu_choice_item.h"
#include "menus/widgets/menu_edit_item.h"
#include "menus/widgets/screen_menu.h"
#include "menus/widgets/text_menu.h"
#include "net/mp_layer.h"
#include "shell/program/game_objects.h"

char MPHostAddress[kMPHostAddressSize] = "";
char MPHostPort[kMPHostPortSize] = "";
char MPEditBackup[kMPChatSize] = "";
char MPChatText[kMPChatSize] = "";
std::uint32_t MPSearchStartTime = 0;
int MPWinningTeam = 3;

namespace {

MultiplayerMenus g_menus;

// The screen objects, in the order they are made.
CMultiPlayerMenu* g_multiPlayer = nullptr;
CConnectionMenu* g_connection = nullptr;
CMPSetupMenu* g_setup = nullptr;
CMPOptionsMenu* g_options = nullptr;
CMPInfoMenu* g_info = nullptr;
CMPTextEditMenu* g_textEdit = nullptr;

constexpr int kInfoIds[] = {34, 35, 36, 38, 39, 40, 41, 42};
constexpr int kTextEditIds[] = {43, 44, 45, 51, 56, 57};

// --- the game's layer as the browser's source ---
int LayerHostCount() { return MPGetHostCount(); }
int LayerHostLatency(int index) { return MPGetHostLatency(index); }
const MPSettings* LayerHostRecord(int index) { return index >= 0 ? MPGetPlayerSettings(index) : nullptr; }
int LayerJoin(int index) { return MPStartSession(index); }
bool LayerConnected() { return MPCurrent()->welcomed_; }
void NoPass() {}
const MPBrowserSource kLayerSource = {LayerHostCount, LayerHostLatency, LayerHostRecord, LayerJoin, LayerConnected,
                                      NoPass};
const MPBrowserSource* g_source = &kLayerSource;

template <class Menu>
Menu* MakeMenu(int items, CFont* font) {
  auto* menu = new Menu(font, g_InterfaceSprites, 1);
  if (!menu->AllocateItems(items)) {
    delete menu;
    return nullptr;
  }
  return menu;
}

template <class Item>
bool Add(CMenu* menu) {
  auto* item = new Item;
  if (menu->AddItem(item)) return true;
  delete item;
  return false;
}

bool AddPlain(CMenu* menu, int n) {
  for (int i = 0; i < n; ++i)
    if (!Add<CMenuItem>(menu)) return false;
  return true;
}

void FreeMenu(CMenu*& menu) {
  if (menu == nullptr) return;
  menu->FreeItems();
  delete menu;
  menu = nullptr;
}

template <class Screen>
bool MakeScreen(Screen*& screen, std::initializer_list<int> ids) {
  screen = new Screen;
  if (!screen->Create()) {
    delete screen;
    screen = nullptr;
    return false;
  }
  for (int id : ids) SetScreenObject(id, screen);
  return true;
}

template <class Screen>
void FreeScreen(Screen*& screen) {
  if (screen == nullptr) return;
  for (int id = 0; id < kScreenIdCount; ++id)
    if (ScreenFromId(id) == screen) SetScreenObject(id, nullptr);
  screen->Destroy();
  delete screen;
  screen = nullptr;
}

void StyleMenu(CMenu* menu) {
  if (menu == nullptr) return;
  menu->Font = g_MainFont;
  menu->Sprites = g_InterfaceSprites;
  menu->SoundBank = InterfaceSoundBank();
}

}  // namespace

MultiplayerMenus& MPMenus() { return g_menus; }

void SetMPBrowserSource(const MPBrowserSource* source) { g_source = source != nullptr ? source : &kLayerSource; }
const MPBrowserSource& BrowserSource() { return *g_source; }

void CopyClipped(char* dst, int capacity, const char* src) {
  if (dst == nullptr || capacity <= 0) return;
  if (src == nullptr) src = "";
  const std::size_t n = strnlen(src, static_cast<std::size_t>(capacity - 1));
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}

int CreateMultiplayerScreens() {
  if (MultiplayerScreensMade()) return 1;
  Screens().multiplayerMade = true;
  if (!MakeScreen(g_multiPlayer, {3}) || !MakeScreen(g_connection, {46}) || !MakeScreen(g_setup, {48}) ||
      !MakeScreen(g_options, {49}) || !MakeScreen(g_info, {34, 35, 36, 38, 39, 40, 41, 42}))
    return 1;
  // From the lobby on, each menu only when the one before it was made.
  g_menus.lobby = MakeMenu<CTextMenu>(4, g_MainFont);
  if (g_menus.lobby == nullptr || !CreateLobbyMenuItems(g_menus.lobby)) return 1;
  g_menus.sessionList = MakeMenu<CScreenMenu>(kMPSessionListRows, g_MainFont);
  if (g_menus.sessionList == nullptr || !AddPlain(g_menus.sessionList, kMPSessionListRows)) return 1;
  g_menus.scoreTable = MakeMenu<CScreenMenu>(8, g_MainFont);
  if (g_menus.scoreTable == nullptr || !AddPlain(g_menus.scoreTable, 8)) return 1;
  g_menus.inGame = MakeMenu<CScreenMenu>(2, g_MainFont);
  if (g_menus.inGame == nullptr || !AddPlain(g_menus.inGame, 2)) return 1;
  if (!MakeScreen(g_textEdit, {43, 44, 45, 51, 56, 57})) return 1;
  g_menus.team = MakeMenu<CScreenMenu>(5, g_MainFont);
  if (g_menus.team == nullptr || !CreateTeamMenuItems(g_menus.team)) return 1;
  g_menus.roundOver = MakeMenu<CTextMenu>(4, g_MainFont);
  if (g_menus.roundOver == nullptr || !AddPlain(g_menus.roundOver, 3) || !Add<CMenuEditItem>(g_menus.roundOver))
    return 1;
  return 1;
}

void DestroyMultiplayerScreens() {
  FreeScreen(g_multiPlayer);
  FreeScreen(g_connection);
  FreeScreen(g_setup);
  FreeScreen(g_options);
  FreeScreen(g_info);
  FreeScreen(g_textEdit);
  CMenu* menus[] = {g_menus.lobby, g_menus.sessionList, g_menus.scoreTable, g_menus.inGame, g_menus.team,
                    g_menus.roundOver};
  for (CMenu*& m : menus) FreeMenu(m);
  g_menus = MultiplayerMenus{};
  MPHostAddress[0] = MPHostPort[0] = MPEditBackup[0] = MPChatText[0] = '\0';
  MPSearchStartTime = 0;
  Screens().multiplayerMade = false;
}

bool MultiplayerScreensMade() { return Screens().multiplayerMade; }

void SetMultiplayerMenuStyles() {
  const CSoundBank* bank = InterfaceSoundBank();
  for (CMenuScreen* s : std::initializer_list<CMenuScreen*>{g_multiPlayer, g_connection, g_textEdit, g_info})
    if (s != nullptr) s->SetMenuStyle(g_LargeFont, g_InterfaceSprites, bank);
  for (CMenuScreen* s : std::initializer_list<CMenuScreen*>{g_setup, g_options})
    if (s != nullptr) s->SetMenuStyle(g_MainFont, g_InterfaceSprites, bank);
  for (CMenu* m : std::initializer_list<CMenu*>{g_menus.sessionList, g_menus.lobby, g_menus.team, g_menus.scoreTable,
                                                g_menus.inGame, g_menus.roundOver})
    StyleMenu(m);
}

void LayoutMultiplayerMenus() {
  if (!MultiplayerScreensMade()) return;
  SetMultiplayerMenuStyles();
  LayoutSessionList();
  LayoutScoreTable(55);
  LayoutInGameMPMenu();
  for (CMenuScreen* s : std::initializer_list<CMenuScreen*>{g_multiPlayer, g_connection, g_setup, g_options})
    if (s != nullptr) s->Populate();
}

void WriteMultiplayerText(const char* name, const char* text) {
  CRegistryKey key;
  if (key.Create(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey) == 0) return;
  key.SetString(name, text != nullptr ? text : "");
}

void LoadMultiplayerRegistry(int withSession) {
  CRegistryKey key;
  const bool open = key.Create(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey) != 0;
  // A value is read whole into the scratch buffer (a longer one reads as
  // absent) and clipped to its text's room, always terminated.
  char scratch[256];
  auto read = [&](const char* name) {
    std::memset(scratch, 0, sizeof scratch);
    return open && key.QueryValue(name, scratch, sizeof scratch - 1) != 0;
  };
  CMultiplayer* layer = MPCurrent();
  if (withSession == 1) {
    if (read("SessionName"))
      layer->SetSessionName(scratch);
    else
      layer->SetSessionName(CMenu::TextOf(mptext::kDefaultSessionName));
  }
  if (read("HostIPAddr")) CopyClipped(MPHostAddress, kMPHostAddressSize, scratch);
  if (read("HostPort")) CopyClipped(MPHostPort, kMPHostPortSize, scratch);
  if (read("PlayerName")) layer->SetPlayerName(scratch);
}

void StartHostSearch(const char* address) {
  MPSearchStartTime = RealNowMs();
  MPEnumHosts(address, kMPSessionListRows);
  RefreshSessionList();
}

void StartConnection() {
  if (MPGetRole() == 1) {
    SetScreen(MPStartSession(0) >= 0 ? 48 : 40);
    return;
  }
  switch (MPGetConnectionKind()) {
    case 2: SetScreen(43); break;
    case 1:
      StartHostSearch("");
      SetScreen(47);
      break;
    default: break;
  }
}

bool IsMultiplayerMenuId(int id) {
  switch (id) {
    case 37: case 47: case 50: case 52: case 53: case 54: case 55: case 58: return true;
    default: return false;
  }
}

int UpdateMultiplayerMenu(int id) {
  auto process = [](CMenu* menu) -> std::uint16_t { return menu != nullptr ? menu->Process() : 0; };
  switch (id) {
    case 37: UpdateWaitScreen(); break;
    case 47: UpdateSessionBrowser(process(g_menus.sessionList)); break;
    case 50: UpdateLobby(process(g_menus.lobby)); break;
    case 52: UpdateTeamScreen(process(g_menus.team)); break;
    case 53:
    case 54: UpdateScoreScreen(process(g_menus.scoreTable)); break;
    case 55: UpdateInGameMPMenu(process(g_menus.inGame)); break;
    case 58: UpdateRoundOverMenu(process(g_menus.roundOver)); break;
    default: break;
  }
  return 0;
}

void DrawMultiplayerMenu(int id) {
  auto draw = [](CMenu* menu) {
    if (menu != nullptr) menu->Draw();
  };
  switch (id) {
    case 37: DrawWaitScreen(); break;
    case 47:
      DrawSessionBrowser();
      draw(g_menus.sessionList);
      break;
    case 50:
      DrawLobby();
      draw(g_menus.lobby);
      break;
    case 52:
      DrawTeamScreen();
      draw(g_menus.team);
      break;
    case 53:
    case 54:
      DrawScoreScreen();
      draw(g_menus.scoreTable);
      break;
    case 55:
      DrawScoreScreen();
      draw(g_menus.scoreTable);
      draw(g_menus.inGame);
      break;
    case 58:
      DrawRoundOverMenu();
      draw(g_menus.roundOver);
      break;
    default: break;
  }
}

void EnterMultiplayerMenu(int id, int previous) {
  if (id == 55) {
    if (previous != 52) g_menus.teamChanged = 0;
    BuildScoreMenu();
  }
}
