// The multiplayer branch of the menus: the texts the screens edit (host
// address, port, chat line, the edit backup), the remembered texts in the
// registry, the step after the connection screen, and the making, styling,
// layout and freeing of every multiplayer screen and of the six menus that
// have no screen object (session list 47, lobby 50, team 52, score table
// 53/54/55, in-game menu 55, round-over menu 58), whose update and draw the
// screen manager calls by id.  Main thread only.
#pragma once

#include <cstdint>

class CMenuEditItem;
class CScreenMenu;
class CTextMenu;
struct MPSettings;

inline constexpr int kMPHostAddressSize = 22;
inline constexpr int kMPHostPortSize = 6;
inline constexpr int kMPChatSize = 76;
inline constexpr int kMPSessionListRows = 45;
inline constexpr const char* kMPDefaultPortText = "22426";

// The texts the entry screens edit in place (always terminated).
extern char MPHostAddress[kMPHostAddressSize];
extern char MPHostPort[kMPHostPortSize];
extern char MPEditBackup[kMPChatSize];
extern char MPChatText[kMPChatSize];
// The round's winning team as the session last said (0, 1; 3 none).
extern int MPWinningTeam;
// Real-clock ms when the last host search started.
extern std::uint32_t MPSearchStartTime;

// The menus without a screen object, made by CreateMultiplayerScreens.
struct MultiplayerMenus {
  CScreenMenu* sessionList = nullptr;
  CTextMenu* lobby = nullptr;
  CScreenMenu* scoreTable = nullptr;
  CScreenMenu* inGame = nullptr;
  CScreenMenu* team = nullptr;
  CTextMenu* roundOver = nullptr;
  // The host count the session list was last built for.
  int sessionListCount = 0;
  int teamReturnId = 50;
  int teamChanged = 0;
  int scoreTableMode = 53;
};
MultiplayerMenus& MPMenus();

// Styles of every multiplayer screen and menu (fonts, interface sprites, bank).
void SetMultiplayerMenuStyles();
// Styles, then the session list, score table and in-game menu laid out for
// the render target; called with the other menu layouts at level set-up.
void LayoutMultiplayerMenus();

// Reads "SessionName" (only with withSession 1; the default session name
// when absent), "HostIPAddr", "HostPort" and "PlayerName" from the
// multiplayer key; an absent value keeps its text, a longer one is clipped.
void LoadMultiplayerRegistry(int withSession);
// Writes one remembered text (with its terminator); failures are ignored.
void WriteMultiplayerText(const char* name, const char* text);
// Copies at most capacity - 1 characters and always terminates.
void CopyClipped(char* dst, int capacity, const char* src);

// Starts a host search at an address ("" searches the local network; an
// address may end in ":port") with room for 45 hosts, stamps the search's
// start and rebuilds the session list.
void StartHostSearch(const char* address);
// The step after the connection screen: host, ask for the address, or
// search the local network.
void StartConnection();

// Whether an id is one of the menus without a screen object (37, 47, 50,
// 52-55, 58), and their update (result 0) and draw.
bool IsMultiplayerMenuId(int id);
int UpdateMultiplayerMenu(int id);
void DrawMultiplayerMenu(int id);
// Entry steps the manager runs for these ids (55 forgets the team-change
// flag unless it comes from 52).
void EnterMultiplayerMenu(int id, int previous);

// The session layer as the browser sees it; the game's layer unless a test
// installs its own (null puts the layer back).
struct MPBrowserSource {
  int (*hostCount)();
  int (*hostLatency)(int index);
  const MPSettings* (*hostRecord)(int index);
  int (*join)(int index);
  // Whether the joined session has welcomed this player.
  bool (*connected)();
  // Called on each pass of the join wait after the session's update.
  void (*waitPass)();
};
void SetMPBrowserSource(const MPBrowserSource* source);
const MPBrowserSource& BrowserSource();
