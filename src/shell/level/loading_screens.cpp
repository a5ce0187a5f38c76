#include "shell/level/loading_screens.h"

#include <cstring>

#include "foundation/files/catalog.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/fpu_control.h"
#include "foundation/text/hash.h"
#include "foundation/text/locale_table.h"
#include "menus/draw_quad_2d.h"
#include "menus/screens/slide_show.h"
#include "net/mp_layer.h"
#include "platform/win32/clocks.h"
#include "render/2d/font.h"
#include "render/2d/full_screen_image.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "render/textures/texture.h"
#include "shell/global_heap.h"
#include "shell/program/game_objects.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"

std::uint32_t PressKeyPending = 0;

namespace {

constexpr std::uint32_t kPromptText = 0x2A5CC3A8u;
constexpr std::uint32_t kHeaderColour = 0xFFE5E5E5u;
constexpr int kHeapMark = 1;

int g_presents = 0;
bool g_progressStarted = false;
CSpriteRender* g_logo = nullptr;

void Present() {
  g_Render->EndScene();
  g_Render->Present();
  ++g_presents;
}

// Draws a picture at an alpha on both buffers.
void DrawTwice(CFullScreenImage& image, int alpha) {
  for (int buffer = 0; buffer < 2; ++buffer) {
    g_Render->SetClearColour(0xFF000000u);
    g_Render->Clear(1);
    g_Render->BeginScene();
    image.Draw(alpha);
    Present();
  }
}

// The picture in the Global Heap between its marks; `draw` runs while it is loaded.
template <class Draw>
void WithPicture(const char* picture, Draw draw) {
  if (g_Render == nullptr || g_PersistentTextures == nullptr) return;
  CLinearBuffer* heap = g_GlobalHeap;
  if (heap != nullptr) heap->SetMark(kHeapMark);
  {
    CFullScreenImage image(g_Render, g_MainCamera, g_PersistentTextures);
    image.Load(picture, heap);
    draw(image);
    image.Release();
  }
  if (heap != nullptr) heap->RestoreMark(kHeapMark);
}

// A text drawn in a font at a size (percent) in a colour, centred on x.
void DrawCentred(CFont* font, const char* text, int x, int y, int sizePercent, std::uint32_t colour) {
  if (font == nullptr || text == nullptr) return;
  const float scale = static_cast<float>(sizePercent) / 100.0f;
  if (g_FontSprites != nullptr) g_FontSprites->SetScaleFactors(scale, scale, 0);
  font->SetColour(colour);
  font->DrawString(text, x - static_cast<int>(font->GetStringWidth(text) * scale) / 2, y, 0);
  if (g_FontSprites != nullptr) g_FontSprites->SetScaleFactors(1.0f, 1.0f, 0);
}

// The text of a key name in the string table, or null.
const char* Section(const char* key) {
  if (g_Locale == nullptr) return nullptr;
  const std::int64_t id = g_Locale->FindIdByName(key);
  return id < 0 ? nullptr : g_Locale->GetString(static_cast<std::uint32_t>(id));
}

}  // namespace

int LoadingScreenPresents() { return g_presents; }

void ShowLoadingScreen(const char* picture) {
  int previous = -1;
  if (picture == nullptr) {
    picture = kDefaultLoadingPicture;
    previous = CloseCatalog();
    OpenCatalog(0, nullptr, 0, 0);
  }
  WithPicture(picture, [](CFullScreenImage& image) { DrawTwice(image, 255); });
  if (previous >= 0) {
    CloseCatalog();
    ReopenCatalog(previous);
  }
}

void ShowPictureOnce(const char* picture) {
  WithPicture(picture, [](CFullScreenImage& image) { DrawTwice(image, 255); });
}

void ShowFullScreenImage(const char* picture, std::uint32_t ms, bool fadeIn, bool keep) {
  WithPicture(picture, [&](CFullScreenImage& image) {
    if (fadeIn) {
      // The opacity's square: the picture brightens slowly at first.
      for (int k = 0; k * kFadeStep <= 1.0f + kFadeStep * 0.5f; ++k) {
        const float a = static_cast<float>(k) * kFadeStep;
        DrawTwice(image, static_cast<int>(a * a * 255.0f));
      }
    } else {
      for (int i = 0; i < kFullScreenDraws; ++i) DrawTwice(image, 255);
    }
    Sleep(ms);
    if (!keep)
      for (int i = 0; i < kFullScreenKeepDraws; ++i) DrawTwice(image, 255);
  });
}

float LoadingPulse(std::uint32_t ms) { return 2.0f - static_cast<float>(ms % 300) * 0.006666667f; }

void ResetLoadingProgress() { g_progressStarted = false; }

void LoadingProgress(const char*, int step, int total) {
  if (g_Render == nullptr) return;
  // While the start-up slide show plays it has the screen.
  if (g_SlideShow.Running()) {
    g_SlideShow.Step();
    return;
  }
  if (!g_progressStarted) {
    g_progressStarted = true;
    ShowLoadingScreen(nullptr);
  }
  // The draw runs with the control word the loader saved, and leaves it as it found it.
  const std::uint32_t word = GetFpuControl();
  RestoreFpuControl();
  const int width = static_cast<int>(g_Render->GetModeWidth()), height = static_cast<int>(g_Render->GetModeHeight());
  const float fraction = total > 0 ? static_cast<float>(step) / static_cast<float>(total) : LoadingPulse(GetTickCount()) - 1.0f;
  const int barWidth = width * 40 / 100;
  const int x = (width - barWidth) / 2, y = height * 85 / 100;
  for (int buffer = 0; buffer < 2; ++buffer) {
    g_Render->BeginScene();
    DrawQuad2D(x, y, barWidth, 12, 0x20, 0x20, 0x20, 0xFF, 0, 0);
    DrawQuad2D(x, y, static_cast<int>(barWidth * (fraction < 0 ? 0 : fraction > 1 ? 1 : fraction)), 12, 0xC0, 0xC0,
               0xA0, 0xFF, 0, 0);
    Present();
  }
  SetFpuControl(word);
  MPUpdate();
}

bool ShowSectionHeader() {
  const char* header = Section("SECTIONHDR");
  if (header == nullptr || g_Render == nullptr) return false;
  PressKeyPending = 1;
  const int width = static_cast<int>(g_Render->GetModeWidth()), height = static_cast<int>(g_Render->GetModeHeight());
  for (int buffer = 0; buffer < 2; ++buffer) {
    g_Render->SetClearColour(0xFF000000u);
    g_Render->Clear(1);
    g_Render->BeginScene();
    DrawCentred(g_LargeFont, header, width / 2, height / 4, 75, kHeaderColour);
    DrawCentred(g_LargeFont, Section("SECTIONTEXT"), width / 2, height * 2 / 5, 75, kHeaderColour);
    DrawCentred(g_LargeFont, Section("SECTIONTEXT2"), width / 2, height / 2, 75, kHeaderColour);
    DrawCentred(g_MainFont, Section("SECTIONDATE"), width / 2, height * 3 / 4, 125, kHeaderColour);
    Present();
  }
  return true;
}

void ShowMessageScreen(const char* text, std::uint32_t clearColour) {
  if (g_Render == nullptr) return;
  const int width = static_cast<int>(g_Render->GetModeWidth()), height = static_cast<int>(g_Render->GetModeHeight());
  const char* prompt = g_Locale != nullptr ? g_Locale->GetString(kPromptText) : nullptr;
  for (int buffer = 0; buffer < 2; ++buffer) {
    g_Render->SetClearColour(clearColour);
    g_Render->Clear(1);
    g_Render->BeginScene();
    DrawCentred(g_LargeFont, text, width / 2, height * 15 / 100, 75, kHeaderColour);
    DrawCentred(g_MainFont, prompt, width / 2, height - 76, 100, kHeaderColour);
    Present();
  }
}

void MakeLoadingLogo(bool menuLevel) {
  if (!menuLevel) {
    if (g_logo != nullptr) {
      g_logo->Free();
      MEM_DELETE g_logo;
      g_logo = nullptr;
    }
    return;
  }
  if (g_logo != nullptr || g_Render == nullptr) return;
  g_logo = MEM_NEW(MEMCAT_GAME) CSpriteRender(g_Render, g_MainCamera, g_LevelTextures);
  if (g_logo == nullptr) return;
  g_logo->Load("NewLogo.img", TEXF_32BIT | TEXF_ALPHA, 0, 0, 0);
  g_logo->SetScaleFactors(static_cast<float>(g_Render->GetModeWidth()) / 800.0f,
                          static_cast<float>(g_Render->GetModeHeight()) / 600.0f, 0);
}

CSpriteRender* LoadingLogo() { return g_logo; }

void ShowPromoPicture() {
  CloseCatalog();
  OpenCatalog(2, nullptr, 0, 0);
  ShowFullScreenImage("PCPromo.bmp", 1000, true, true);
}

void HideIntroLogo() {
  if (g_Environment == nullptr) return;
  const std::uint32_t hash = HashString("CS_INTRO_LOGO_HB_US1935");
  for (CEnvInstance* i = g_Environment->InstanceList; i != nullptr; i = i->EnvLink)
    if (i->NameHash == hash) i->SetVisible(false, true);
}
