// One full menu frame at 800 x 600 on the software renderer: the menu
// backdrop, a framed panel with its title, a menu of 12 standard buttons and
// the two hint lines, drawn by the screen manager through the render device;
// against Dear ImGui drawing a window with the same 12 buttons through its
// OpenGL2 back end in the device's own context.  Each frame clears, draws and
// waits for the drawing to finish.  Prints milliseconds and draw calls of
// both and the ratio (goal: no slower than Dear ImGui).
#include <benchmark/benchmark.h>

#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "foundation/text/locale_table.h"
#include "menus/drawing/menu_backdrop.h"
#include "menus/screens/menu_metrics.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/menu_text_ids.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "menus/screens/standard_items.h"
#include "platform/d3d8/d3d8_test_hooks.h"
#include "platform/win32/message_box.h"
#include "platform/win32/window.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "render/textures/texture_manager.h"
#include "shell/program/game_objects.h"

namespace {

constexpr int kItems = 12;
constexpr const char* kLabels[kItems] = {"Enter: select", "Esc: back", "Squad names", "Paused", "1st", "2nd",
                                         "3rd",           "4th",       "5th",         "6th",    "7th", "8th"};
constexpr std::uint32_t kTexts[kItems] = {kTextHintSelect,  kTextHintBack,    kTextSquadNames,  kTextPaused,
                                          kTextOrdinals[0], kTextOrdinals[1], kTextOrdinals[2], kTextOrdinals[3],
                                          kTextOrdinals[4], kTextOrdinals[5], kTextOrdinals[6], kTextOrdinals[7]};

// The benchmark's screen: 12 buttons under a title in a framed panel.
class CBenchScreen : public CMenuScreen {
 public:
  bool Create() override {
    Menu = new CScreenMenu(g_MainFont, g_InterfaceSprites, 0);
    if (!Menu->AllocateItems(kItems)) return false;
    for (int i = 0; i < kItems; ++i) Menu->AddItem(new CMenuItem);
    return true;
  }
  void Populate() override {
    Menu->Reset();
    Menu->SetLayout(MENU_VERTICAL, 1);
    Menu->SetState(MENU_STATE_ACTIVE);
    Menu->SetItemWidth(static_cast<int>(InterfaceScaleX() * 620.0f + 0.5f) / 2);
    Menu->SetItemHeight(GetMenuItemHeight() * 3 / 4);
    Menu->Owner = this;
    for (int i = 0; i < kItems; ++i) {
      Menu->Items[i]->Set(static_cast<std::uint16_t>(200 + i), kTexts[i], MENU_ITEM_CENTRED, 0, 0, ButtonItemCallback,
                          nullptr);
      Menu->OnItemAdded(Menu->Items[i]);
    }
    PlaceMenu(kTextSquadNames, 0, nullptr, kItems);
    Menu->SelectFirstEnabled();
  }
  int Update() override { return Menu->Process(); }
  void Draw() override {
    DrawPanelFrame(10, 0);
    DrawTitle(TitleTextId, 1);
    Menu->Draw();
  }
};

struct Bench {
  HWND window = nullptr;
  CRender* render = nullptr;
  CTextureManager* textures = nullptr;
  CBenchScreen* screen = nullptr;
  ImGuiContext* imgui = nullptr;
  bool ok = false;

  static int PickMode(CRender* r, HINSTANCE, HWND, int) {
    for (DWORD a = 0; a < r->m_AdapterCount; ++a)
      for (DWORD d = 0; d < r->m_Adapters[a].DeviceCount; ++d) {
        DeviceInfo& device = r->m_Adapters[a].Devices[d];
        for (DWORD m = 0; m < device.ModeCount; ++m)
          if (device.Modes[m].Width == 800 && device.Modes[m].Height == 600) device.CurrentMode = m;
      }
    return 1;
  }

  CSpriteRender* Load(const char* file) {
    auto* set = new CSpriteRender(render, nullptr, textures);
    if (set->Load(file, TEXF_32BIT | TEXF_ALPHA, 0, 0, 0) == 0) ok = false;
    return set;
  }

  void Open() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    SetMessageBoxHook([](HWND, const char*, const char*, UINT, void*) { return IDOK; }, nullptr);
    WNDCLASSA cls{};
    cls.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); };
    cls.lpszClassName = "MenusBench";
    RegisterClassA(&cls);
    window = CreateWindowExA(0, "MenusBench", "menus", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    render = new CRender;
    if (window == nullptr || !render->Initialise(nullptr, window, PickMode, 1)) return;
    render->MakeCurrent();
    std::filesystem::current_path(HALBERD_DEMO_DATA_DIR);
    SetWorkDirectory();
    SetSearchFolders(nullptr);
    CatalogStartup();
    ok = true;
    textures = new CTextureManager;
    g_FontSprites = Load("startup/VHBFont.img");
    g_MainFont = new CFont(GlyphMapA(), 256);
    g_LargeFont = new CFont(GlyphMapB(), 256);
    g_MainFont->Init(g_FontSprites, 0, 255, 8, 17);
    g_LargeFont->Init(g_FontSprites, 0, 255, 12, 0);
    g_InterfaceSprites = Load("startup/GWInt.img");
    g_PanelSprites = Load("startup/8060.img");
    g_BackdropSprites = Load("startup/Backdrop.img");
    textures->LoadTextures(nullptr);
    ComputeMenuItemHeights(g_PanelSprites);
    g_Locale = new CLocale;
    if (g_Locale->Load("strings/GenStrs.loc") != 1) ok = false;
    g_MenuScreenDefaults = MenuScreenDefaults{184, kTextHintSelect, 0, 0, 182, kTextHintBack};
    screen = new CBenchScreen;
    if (!screen->Create()) ok = false;
    screen->Populate();
    SetScreenObject(2, screen);
    SetScreen(2);
    ResetScreenTransitions();
    ShowMenuBackdrop(1);
    for (int i = 0; i < 4; ++i) MenuFrame();  // the backdrop fully in
    imgui = ImGui::CreateContext();
    ImGui::GetIO().DisplaySize = ImVec2(800, 600);
    ImGui::GetIO().IniFilename = nullptr;
    D3D8BenchRunInContext(g_Device, [](void*) { ImGui_ImplOpenGL2_Init(); }, nullptr);
  }

  // One frame of the game's menus: clear, DrawMenus, finished.
  void MenuFrame() {
    render->SetClearColour(0xFF000000);
    render->Clear(1);
    render->BeginScene();
    render->SetZEnable(0);
    render->SetLighting(0);
    render->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
    DrawMenus();
    render->EndScene();
    D3D8BenchFinish(g_Device);
  }

  // One frame of Dear ImGui: a window with a title and the same 12 buttons.
  static void ImGuiDraw(void*) {
    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(240, 80));
    ImGui::SetNextWindowSize(ImVec2(320, 420));
    ImGui::Begin("Squad names", nullptr, ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove);
    for (const char* label : kLabels) ImGui::Button(label, ImVec2(300, 24));
    ImGui::End();
    ImGui::Render();
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
  }
  void ImGuiFrame() {
    render->SetClearColour(0xFF000000);
    render->Clear(1);
    D3D8BenchRunInContext(g_Device, ImGuiDraw, nullptr);
    D3D8BenchFinish(g_Device);
  }

  // Draw calls of one frame of each.
  int MenuDrawCalls() {
    D3D8TestRecordCalls(g_Device, true);
    MenuFrame();
    const int calls = static_cast<int>(D3D8TestCallsNamed(g_Device, "DrawPrimitiveUP").size());
    D3D8TestRecordCalls(g_Device, false);
    return calls;
  }
  static int ImGuiDrawCalls() {
    const ImDrawData* data = ImGui::GetDrawData();
    int calls = 0;
    for (int i = 0; data != nullptr && i < data->CmdListsCount; ++i) calls += data->CmdLists[i]->CmdBuffer.Size;
    return calls;
  }
};

Bench& TheBench() {
  static Bench bench;
  static bool opened = false;
  if (!opened) {
    opened = true;
    bench.Open();
  }
  return bench;
}

double g_menuMs = 0, g_imguiMs = 0;
int g_menuCalls = 0, g_imguiCalls = 0;

void BM_MenuFrame(benchmark::State& state) {
  Bench& b = TheBench();
  if (!b.ok) {
    state.SkipWithError("the menus could not be set up");
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  std::int64_t frames = 0;
  for (auto _ : state) {
    b.MenuFrame();
    ++frames;
  }
  g_menuMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() /
             static_cast<double>(frames);
  g_menuCalls = b.MenuDrawCalls();
  state.counters["draw_calls"] = g_menuCalls;
}
BENCHMARK(BM_MenuFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ImGuiFrame(benchmark::State& state) {
  Bench& b = TheBench();
  if (!b.ok) {
    state.SkipWithError("the context could not be set up");
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  std::int64_t frames = 0;
  for (auto _ : state) {
    b.ImGuiFrame();
    ++frames;
  }
  g_imguiMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() /
              static_cast<double>(frames);
  g_imguiCalls = Bench::ImGuiDrawCalls();
  state.counters["draw_calls"] = g_imguiCalls;
}
BENCHMARK(BM_ImGuiFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  if (g_menuMs > 0 && g_imguiMs > 0)
    std::printf(
        "menus_frame: menu frame %.3f ms (%d draw calls), Dear ImGui frame %.3f ms (%d draw calls), ratio %.2f "
        "(goal: at most 1.00)\n",
        g_menuMs, g_menuCalls, g_imguiMs, g_imguiCalls, g_menuMs / g_imguiMs);
  benchmark::Shutdown();
  return 0;
}
