#include "menus/screens/screen_walk_fixture.h"

#include <cstdlib>

#include "control/bindings/control_mapper.h"
#include "control/players/local_player_table.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/screen_manager.h"
#include "menus/widgets/screen_menu.h"
#include "platform/win32/event_injection.h"

void AddKeyPlayer() {
  g_ControlMapper = new CControlMapper;
  ASSERT_TRUE(g_ControlMapper->Init(4, 3, 80));
  ASSERT_TRUE(g_ControlMapper->LoadBindings(DEMO_KEY_FILE, 0));
  g_LocalPlayers.RemoveAll();
  ASSERT_NE(g_LocalPlayers.Add(), nullptr);
}

void RemoveKeyPlayer() {
  g_LocalPlayers.RemoveAll();
  delete g_ControlMapper;
  g_ControlMapper = nullptr;
}

void ScreenWalkTest::SetUp() {
  MenuFrameTest::SetUp();
  ASSERT_NO_FATAL_FAILURE(AddKeyPlayer());
}

void ScreenWalkTest::TearDown() {
  RemoveKeyPlayer();
  MenuFrameTest::TearDown();
}

int ScreenWalkTest::Frame(unsigned ms) {
  BeginFrame(ms);
  g_LocalPlayers.UpdateAll();
  const int result = UpdateCurrentScreen();
  DrawMenus();
  EndFrame();
  return result;
}

void ScreenWalkTest::Settle(int frames) {
  for (int i = 0; i < frames; ++i) Frame();
}

void ScreenWalkTest::Go(int id) {
  SetScreen(id);
  Settle();
}

int ScreenWalkTest::Press(const char* key, int framesAfter) {
  EXPECT_TRUE(Win32InjectKey(s_Window, key, true));
  const int result = Frame();
  EXPECT_TRUE(Win32InjectKey(s_Window, key, false));
  for (int i = 0; i < framesAfter; ++i) Frame();
  return result;
}

void ScreenWalkTest::SettleLong() {
  for (int i = 0; i < 20; ++i) Frame(40);
}

void ScreenWalkTest::OpenLong(int id) {
  SetScreen(id);
  SettleLong();
  ASSERT_EQ(ScreenId, id);
}

void ScreenWalkTest::PressLong(const char* key) {
  ASSERT_TRUE(Win32InjectKey(s_Window, key, true));
  Frame();
  ASSERT_TRUE(Win32InjectKey(s_Window, key, false));
  SettleLong();
}

PixelBox ScreenWalkTest::Row(int r) const {
  CScreenMenu* menu = ScreenFromId(ScreenId)->Menu;
  int index = 0, x = 0, y = 0;
  if (!menu->RowPosition(r, &index, &x, &y)) return {};
  return {x, y, x + menu->ItemWidth - 1, y + menu->ItemHeight - 1};
}

bool ScreenWalkTest::Whitish(std::uint32_t c) {
  const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
  return r > 170 && g > 170 && b > 170 && std::abs(r - b) < 40;
}

bool ScreenWalkTest::Yellowish(std::uint32_t c) {
  const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
  return r > 120 && g > 120 && r - b > 60;
}
