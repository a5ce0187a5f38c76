#include "menus/menu_frame_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "control/input/input.h"
#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "foundation/text/locale_table.h"
#include "make_sprites/sheet_recipes.h"
#include "menus/screens/menu_metrics.h"
#include "platform/d3d8/d3d8_test_hooks.h"
#include "platform/win32/clocks.h"
#include "platform/win32/event_injection.h"
#include "platform/win32/message_box.h"
#include "platform/win32/window.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "render/textures/texture_manager.h"
#include "shell/program/game_objects.h"
#include "world/engine.h"

int MenuFrameTest::s_Width = 800;
int MenuFrameTest::s_Height = 600;
HWND MenuFrameTest::s_Window = nullptr;
std::unique_ptr<CTextureManager> MenuFrameTest::s_Textures;
std::string MenuFrameTest::s_Recipes;

namespace {

LONGLONG g_nowNs = 1000000000LL;
CRender* g_render = nullptr;
std::filesystem::path g_previousFolder;

LRESULT GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message >= 0x0100 && message <= 0x0108) || (message >= 0x0200 && message <= 0x0209)) {
    if (wParam != 255) HandleInputMessage(message, wParam, lParam);
    return 0;
  }
  if (message == WM_ACTIVATE) {
    SetInputActive(wParam != 0);
    return 1;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The device callback: the display mode of the suite's size.
int PickSuiteMode(CRender* render, HINSTANCE, HWND, int) {
  for (DWORD a = 0; a < render->m_AdapterCount; ++a) {
    AdapterInfo& adapter = render->m_Adapters[a];
    for (DWORD d = 0; d < adapter.DeviceCount; ++d) {
      DeviceInfo& device = adapter.Devices[d];
      for (DWORD m = 0; m < device.ModeCount; ++m)
        if (static_cast<int>(device.Modes[m].Width) == MenuFrameTest::s_Width &&
            static_cast<int>(device.Modes[m].Height) == MenuFrameTest::s_Height)
          device.CurrentMode = m;
    }
  }
  return 1;
}

int QuietBox(HWND, const char* text, const char*, UINT, void* context) {
  if (context != nullptr) static_cast<std::vector<std::string>*>(context)->push_back(text != nullptr ? text : "");
  return IDOK;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

CSpriteRender* LoadSet(const char* file, CTextureManager* textures) {
  auto* set = new CSpriteRender(g_Render, nullptr, textures);
  EXPECT_EQ(set->Load(file, TEXF_32BIT | TEXF_ALPHA, 0, 0, 0), 1) << file;
  return set;
}

}  // namespace

unsigned MenuFakeNowMs() { return static_cast<unsigned>(g_nowNs / 1000000LL); }

std::ostream& operator<<(std::ostream& out, const PixelBox& b) {
  return out << "(" << b.x1 << ", " << b.y1 << ")-(" << b.x2 << ", " << b.y2 << ")";
}

void MenuFrameTest::StartSuite(int width, int height) {
  s_Width = width;
  s_Height = height;
  static bool registered = false;
  if (!registered) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = &GameWindowProc;
    cls.lpszClassName = "MenuFixtureWindow";
    ASSERT_NE(RegisterClassA(&cls), 0);
    registered = true;
  }
  SetFakeClock([](void*) { return g_nowNs; }, nullptr);
  SetSleepHook([](DWORD ms, void*) { g_nowNs += static_cast<LONGLONG>(ms) * 1000000LL; }, nullptr);
  SetMessageBoxHook(QuietBox, nullptr);
  s_Window = CreateWindowExA(0, "MenuFixtureWindow", "menus", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                             nullptr, nullptr, nullptr);
  ASSERT_NE(s_Window, nullptr);
  g_render = new CRender;
  ASSERT_TRUE(g_render->Initialise(nullptr, s_Window, PickSuiteMode, 1));
  g_render->MakeCurrent();

  // The game's data as the build made it.
  g_previousFolder = std::filesystem::current_path();
  std::filesystem::current_path(HALBERD_DEMO_DATA_DIR);
  SetWorkDirectory();
  SetSearchFolders(nullptr);
  ASSERT_EQ(CatalogStartup(), 1);
  s_Recipes = ReadText(SHEET_RECIPES);
  ASSERT_FALSE(s_Recipes.empty());

  s_Textures = std::make_unique<CTextureManager>();
  g_FontSprites = LoadSet("startup/VHBFont.img", s_Textures.get());
  g_MainFont = new CFont(GlyphMapA(), 256);
  g_LargeFont = new CFont(GlyphMapB(), 256);
  g_MainFont->Init(g_FontSprites, 0, 255, 8, 17);
  g_LargeFont->Init(g_FontSprites, 0, 255, 12, 0);
  g_InterfaceSprites = LoadSet("startup/GWInt.img", s_Textures.get());
  g_PanelSprites = LoadSet(width == 640 ? "startup/6448.img" : "startup/8060.img", s_Textures.get());
  g_EffectsSprites = LoadSet("startup/Effects.img", s_Textures.get());
  s_Textures->LoadTextures(nullptr);
  ComputeMenuItemHeights(g_PanelSprites);

  g_Locale = new CLocale;
  ASSERT_EQ(g_Locale->Load("strings/GenStrs.loc"), 1);
  // The front end's titles and labels, layered over it as the program does.
  ASSERT_EQ(g_Locale->LoadLayer("strings/TitleStrs.loc"), 1);

  ASSERT_TRUE(InitInput(nullptr, s_Window));
  SetInputActive(true);
  Pump();
}

void MenuFrameTest::TearDownTestSuite() {
  ShutdownInput();
  for (CSpriteRender** set : {&g_FontSprites, &g_InterfaceSprites, &g_PanelSprites, &g_EffectsSprites}) {
    delete *set;
    *set = nullptr;
  }
  delete g_MainFont;
  delete g_LargeFont;
  g_MainFont = g_LargeFont = nullptr;
  delete g_Locale;
  g_Locale = nullptr;
  s_Textures.reset();
  CatalogShutdown();
  std::filesystem::current_path(g_previousFolder);
  delete g_render;
  g_render = nullptr;
  DestroyWindow(s_Window);
  s_Window = nullptr;
  Pump();
  SetMessageBoxHook(nullptr, nullptr);
  SetSleepHook(nullptr, nullptr);
  SetFakeClock(nullptr, nullptr);
}

void MenuFrameTest::SetUp() {
  ASSERT_NE(g_render, nullptr);
  g_render->MakeCurrent();
  SetMessageBoxHook(QuietBox, &boxes_);
  gameClock_ = std::make_unique<CTimer>();
  realClock_ = std::make_unique<CTimer>();
  g_GameClock = gameClock_.get();
  g_RealClock = realClock_.get();
  if (g_Input != nullptr) {
    g_Input->SetClocks(gameClock_.get(), realClock_.get());
    g_Input->FlushInput();
  }
  Win32ResetInjectedModifiers();
}

void MenuFrameTest::TearDown() {
  if (g_Input != nullptr) {
    g_Input->FlushInput();
    g_Input->SetClocks(nullptr, nullptr);
  }
  g_GameClock = g_RealClock = nullptr;
  SetMessageBoxHook(QuietBox, nullptr);
}

void MenuFrameTest::Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

void MenuFrameTest::MouseTo(int x, int y) {
  ASSERT_TRUE(Win32InjectMouseMotion(s_Window, x, y, 0, 0));
  Pump();
}

void MenuFrameTest::MouseButton(bool down) {
  ASSERT_TRUE(Win32InjectMouseButton(s_Window, 0, down));
  Pump();
}

void MenuFrameTest::BeginFrame(unsigned ms) {
  Pump();
  g_nowNs += static_cast<LONGLONG>(ms) * 1000000LL;
  gameClock_->Update();
  realClock_->Update();
  UpdateInput();
  g_Render->SetClearColour(kBackground);
  g_Render->Clear(1);
  g_Render->BeginScene();
  g_Render->SetZEnable(0);
  g_Render->SetLighting(0);
  g_Render->SetCullMode(D3DCULL_NONE);
  // As the game's render pass sets it for the 2D layers.
  g_Render->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
}

void MenuFrameTest::EndFrame() {
  g_Render->EndScene();
  g_Render->SetZEnable(1);
  pixels_ = D3D8TestReadPixels(g_Device, 0, 0, s_Width, s_Height);
  ASSERT_EQ(pixels_.size(), static_cast<std::size_t>(s_Width) * s_Height);
  AdvanceKeyStates();
}

void MenuFrameTest::ReadBack() {
  pixels_ = D3D8TestReadPixels(g_Device, 0, 0, s_Width, s_Height);
  ASSERT_EQ(pixels_.size(), static_cast<std::size_t>(s_Width) * s_Height);
}

std::uint32_t MenuFrameTest::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= s_Width || y >= s_Height || pixels_.empty()) return 0;
  return pixels_[static_cast<std::size_t>(y) * s_Width + x];
}

bool MenuFrameTest::Near(std::uint32_t a, std::uint32_t b, int tolerance) {
  for (int shift : {16, 8, 0}) {
    const int ca = static_cast<int>((a >> shift) & 0xFF), cb = static_cast<int>((b >> shift) & 0xFF);
    if (ca - cb > tolerance || cb - ca > tolerance) return false;
  }
  return true;
}

PixelBox MenuFrameTest::Bounds(const std::function<bool(std::uint32_t)>& test, PixelBox region) const {
  if (region.Empty()) region = {0, 0, s_Width - 1, s_Height - 1};
  PixelBox box;
  bool any = false;
  for (int y = std::max(0, region.y1); y <= std::min(s_Height - 1, region.y2); ++y)
    for (int x = std::max(0, region.x1); x <= std::min(s_Width - 1, region.x2); ++x) {
      if (!test(At(x, y))) continue;
      if (!any) box = {x, y, x, y};
      any = true;
      box.x1 = std::min(box.x1, x);
      box.y1 = std::min(box.y1, y);
      box.x2 = std::max(box.x2, x);
      box.y2 = std::max(box.y2, y);
    }
  return box;
}

PixelBox MenuFrameTest::BoundsOf(std::uint32_t colour, int tolerance, PixelBox region) const {
  return Bounds([&](std::uint32_t c) { return Near(c, colour, tolerance); }, region);
}

int MenuFrameTest::Count(const std::function<bool(std::uint32_t)>& test, PixelBox region) const {
  if (region.Empty()) region = {0, 0, s_Width - 1, s_Height - 1};
  int n = 0;
  for (int y = std::max(0, region.y1); y <= std::min(s_Height - 1, region.y2); ++y)
    for (int x = std::max(0, region.x1); x <= std::min(s_Width - 1, region.x2); ++x) n += test(At(x, y)) ? 1 : 0;
  return n;
}

int MenuFrameTest::CountOf(std::uint32_t colour, int tolerance, PixelBox region) const {
  return Count([&](std::uint32_t c) { return Near(c, colour, tolerance); }, region);
}

PixelBox MenuFrameTest::InkBounds(PixelBox region) const {
  return Bounds([](std::uint32_t c) { return !Near(c, kBackground, 2); }, region);
}

std::uint32_t MenuFrameTest::Blend(std::uint32_t over, int alpha, std::uint32_t under) {
  std::uint32_t out = 0xFF000000;
  for (int shift : {16, 8, 0}) {
    const int o = static_cast<int>((over >> shift) & 0xFF), u = static_cast<int>((under >> shift) & 0xFF);
    out |= static_cast<std::uint32_t>((o * alpha + u * (255 - alpha)) / 255) << shift;
  }
  return out;
}

std::uint32_t MenuFrameTest::CellColour(const std::string& sheet, int cell) {
  std::uint32_t colour = 0;
  EXPECT_TRUE(RecipeCellColour(s_Recipes, sheet, cell, &colour)) << sheet << " " << cell;
  return colour;
}
