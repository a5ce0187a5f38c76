#include "platform/win32/dialog.h"

#include <SDL2/SDL.h>
#include <GL/gl.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "platform/win32/message_box.h"
#include "platform/win32/window.h"

namespace {

struct Bitmap {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
};

struct Control {
  DialogControlDesc desc{};
  std::string text;
  bool enabled = true;
  bool checked = false;
  std::vector<std::string> items;
  std::vector<LPARAM> itemData;
  int selection = -1;
  HBITMAP image = nullptr;
  // Where the control and its list entries were drawn last frame.
  bool drawn = false;
  RECT rect{};
  std::vector<std::pair<bool, RECT>> itemRects;
  // Frames a combo box's list has been open in a row (its first frame only
  // measures the list).
  int openFrames = 0;
};

struct Dialog {
  int resourceId = 0;
  std::string title;
  std::vector<std::unique_ptr<Control>> controls;
  DLGPROC procedure = nullptr;
  bool ended = false;
  INT_PTR result = 0;
  SDL_Window* window = nullptr;
  SDL_GLContext gl = nullptr;
  ImGuiContext* imgui = nullptr;
  int frame = 0;
  std::vector<std::pair<int, WORD>> commands;  // control id, notification
  std::map<const Bitmap*, GLuint> textures;
};

std::map<int, DialogResource>& Resources() {
  static std::map<int, DialogResource> resources;
  return resources;
}
std::map<int, Bitmap>& Bitmaps() {
  static std::map<int, Bitmap> bitmaps;
  return bitmaps;
}
// Open dialogs, the top one last.
std::vector<Dialog*>& Open() {
  static std::vector<Dialog*> open;
  return open;
}

std::deque<DialogAction> gActions;
int gActionPhase = 0;
int gActionWait = 0;
// Frames to let pass before the next action (a closing list settles first).
int gSettleFrames = 0;
DialogFrameHook gHook = nullptr;
void* gHookContext = nullptr;
int gFrameLimit = 600;

Dialog* FindDialog(HWND handle) {
  for (Dialog* d : Open())
    if (reinterpret_cast<HWND>(d) == handle) return d;
  return nullptr;
}

Control* FindControl(HWND dialog, int id) {
  Dialog* d = FindDialog(dialog);
  if (!d) return nullptr;
  for (auto& c : d->controls)
    if (c->desc.id == id) return c.get();
  return nullptr;
}

Control* ControlFromHandle(HWND handle) {
  for (Dialog* d : Open())
    for (auto& c : d->controls)
      if (reinterpret_cast<HWND>(c.get()) == handle) return c.get();
  return nullptr;
}

int ResourceNumber(LPCSTR name) {
  const auto value = reinterpret_cast<std::uintptr_t>(name);
  return value <= 0xFFFF ? static_cast<int>(value) : -1;
}

bool HasDisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

bool EnsureVideo() {
  static bool up = false;
  if (up) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "dialog: no video system (%s)\n", SDL_GetError());
    return false;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // Kept loaded for the life of the process, as the window stand-in does.
  if (SDL_GL_LoadLibrary(nullptr) != 0) std::fprintf(stderr, "dialog: no OpenGL library (%s)\n", SDL_GetError());
  up = true;
  return true;
}

bool ActionIsFor(const Dialog& d, const DialogAction& a) { return a.dialog == 0 || a.dialog == d.resourceId; }

bool PushMouse(Dialog& d, Uint32 type, int x, int y) {
  SDL_Event e{};
  e.type = type;
  const Uint32 id = SDL_GetWindowID(d.window);
  if (type == SDL_MOUSEMOTION) {
    e.motion.windowID = id;
    e.motion.x = x;
    e.motion.y = y;
  } else {
    e.button.windowID = id;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
  }
  return SDL_PushEvent(&e) == 1;
}

bool PushKey(Dialog& d, const std::string& name, bool down) {
  const SDL_Scancode code = SDL_GetScancodeFromName(name.c_str());
  if (code == SDL_SCANCODE_UNKNOWN) return false;
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.windowID = SDL_GetWindowID(d.window);
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.scancode = code;
  e.key.keysym.sym = SDL_GetKeyFromScancode(code);
  return SDL_PushEvent(&e) == 1;
}

bool Centre(const RECT& r, int* x, int* y) {
  *x = (r.left + r.right) / 2;
  *y = (r.top + r.bottom) / 2;
  return true;
}

void DropAction(const char* why) {
  if (why) std::fprintf(stderr, "dialog: scripted action dropped: %s\n", why);
  gActions.pop_front();
  gActionPhase = 0;
  gActionWait = 0;
  gSettleFrames = 1;
}

// Runs one step of the front action for the dialog on top: pushes the SDL
// events that the step's mouse or key makes.
void StepAction(Dialog& d) {
  if (gActions.empty() || !ActionIsFor(d, gActions.front())) return;
  if (gSettleFrames > 0) {
    --gSettleFrames;
    return;
  }
  const DialogAction& a = gActions.front();
  if (a.kind == DialogAction::Key) {
    // Down and up in one frame: the key may end the dialog at once.
    PushKey(d, a.key, true);
    PushKey(d, a.key, false);
    DropAction(nullptr);
    return;
  }
  Control* c = FindControl(reinterpret_cast<HWND>(&d), a.control);
  if (!c) return DropAction("no such control");
  if (!c->drawn) {
    if (++gActionWait > 10) DropAction("control not drawn");
    return;
  }
  int x = 0, y = 0;
  const bool combo = c->desc.kind == DialogControlKind::ComboBox;
  if (a.kind == DialogAction::Click || (combo && gActionPhase < 2)) {
    Centre(c->rect, &x, &y);
    if (gActionPhase % 2 == 0) {
      PushMouse(d, SDL_MOUSEMOTION, x, y);
      PushMouse(d, SDL_MOUSEBUTTONDOWN, x, y);
    } else {
      PushMouse(d, SDL_MOUSEBUTTONUP, x, y);
    }
    ++gActionPhase;
    if (a.kind == DialogAction::Click && gActionPhase == 2) DropAction(nullptr);
    return;
  }
  // Choosing an entry: the list's own entry (a combo box's once it is open).
  const int base = combo ? 2 : 0;
  if (a.item < 0 || a.item >= static_cast<int>(c->items.size())) return DropAction("no such list entry");
  if (a.item >= static_cast<int>(c->itemRects.size()) || !c->itemRects[a.item].first ||
      (combo && c->openFrames < 2)) {
    if (++gActionWait > 10) DropAction("list entry not drawn");
    return;
  }
  Centre(c->itemRects[a.item].second, &x, &y);
  if (gActionPhase == base) {
    PushMouse(d, SDL_MOUSEMOTION, x, y);
    PushMouse(d, SDL_MOUSEBUTTONDOWN, x, y);
    ++gActionPhase;
  } else {
    PushMouse(d, SDL_MOUSEBUTTONUP, x, y);
    DropAction(nullptr);
  }
}

Control* DefaultButton(Dialog& d) {
  for (auto& c : d.controls)
    if (c->desc.kind == DialogControlKind::DefaultButton) return c.get();
  return nullptr;
}

// Takes the window system's events: those of the dialog's window go to
// ImGui (Enter and Escape act as a dialog's keys); the others are dropped,
// since the dialog is modal.
void TakeEvents(Dialog& d) {
  ImGuiIO& io = ImGui::GetIO();
  const Uint32 id = SDL_GetWindowID(d.window);
  SDL_PumpEvents();
  SDL_Event events[32];
  int n = 0;
  while ((n = SDL_PeepEvents(events, 32, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0) {
    for (int i = 0; i < n; ++i) {
      const SDL_Event& e = events[i];
      switch (e.type) {
        case SDL_QUIT: d.commands.push_back({IDCANCEL, BN_CLICKED}); break;
        case SDL_MOUSEMOTION:
          if (e.motion.windowID == id) io.MousePos = ImVec2(static_cast<float>(e.motion.x), static_cast<float>(e.motion.y));
          break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
          if (e.button.windowID == id && e.button.button >= 1 && e.button.button <= 3) {
            io.MousePos = ImVec2(static_cast<float>(e.button.x), static_cast<float>(e.button.y));
            static constexpr int kImGuiButton[4] = {0, 0, 2, 1};
            io.MouseDown[kImGuiButton[e.button.button]] = e.type == SDL_MOUSEBUTTONDOWN;
          }
          break;
        case SDL_KEYDOWN:
          if (e.key.windowID != id || e.key.repeat) break;
          if (e.key.keysym.scancode == SDL_SCANCODE_ESCAPE) {
            d.commands.push_back({IDCANCEL, BN_CLICKED});
          } else if (e.key.keysym.scancode == SDL_SCANCODE_RETURN ||
                     e.key.keysym.scancode == SDL_SCANCODE_KP_ENTER) {
            Control* def = DefaultButton(d);
            if (def && def->enabled) d.commands.push_back({def->desc.id, BN_CLICKED});
          }
          break;
        case SDL_WINDOWEVENT:
          if (e.window.windowID == id && e.window.event == SDL_WINDOWEVENT_CLOSE)
            d.commands.push_back({IDCANCEL, BN_CLICKED});
          break;
        default: break;
      }
    }
  }
}

RECT LastItemRect() {
  const ImVec2 a = ImGui::GetItemRectMin(), b = ImGui::GetItemRectMax();
  return RECT{static_cast<LONG>(a.x), static_cast<LONG>(a.y), static_cast<LONG>(b.x), static_cast<LONG>(b.y)};
}

GLuint TextureOf(Dialog& d, const Bitmap* b) {
  auto it = d.textures.find(b);
  if (it != d.textures.end()) return it->second;
  GLuint t = 0;
  glGenTextures(1, &t);
  glBindTexture(GL_TEXTURE_2D, t);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  std::vector<std::uint8_t> rgba(b->pixels.size() * 4);
  for (std::size_t i = 0; i < b->pixels.size(); ++i) {
    const std::uint32_t p = b->pixels[i];
    rgba[i * 4 + 0] = static_cast<std::uint8_t>(p >> 16);
    rgba[i * 4 + 1] = static_cast<std::uint8_t>(p >> 8);
    rgba[i * 4 + 2] = static_cast<std::uint8_t>(p);
    rgba[i * 4 + 3] = static_cast<std::uint8_t>(p >> 24);
  }
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, b->width, b->height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  d.textures[b] = t;
  return t;
}

void DrawControl(Dialog& d, Control& c) {
  const DialogControlDesc& k = c.desc;
  ImGui::SetCursorPos(ImVec2(static_cast<float>(k.x), static_cast<float>(k.y)));
  ImGui::PushID(k.id);
  ImGui::BeginDisabled(!c.enabled);
  const ImVec2 size(static_cast<float>(k.width), static_cast<float>(k.height));
  std::fill(c.itemRects.begin(), c.itemRects.end(), std::make_pair(false, RECT{}));
  c.itemRects.resize(c.items.size(), {false, RECT{}});
  switch (k.kind) {
    case DialogControlKind::Button:
    case DialogControlKind::DefaultButton:
      if (ImGui::Button(c.text.c_str(), size)) d.commands.push_back({k.id, BN_CLICKED});
      c.rect = LastItemRect();
      break;
    case DialogControlKind::CheckBox: {
      bool value = c.checked;
      if (ImGui::Checkbox(c.text.c_str(), &value)) {
        c.checked = value;
        d.commands.push_back({k.id, BN_CLICKED});
      }
      c.rect = LastItemRect();
      break;
    }
    case DialogControlKind::ComboBox: {
      ImGui::SetNextItemWidth(size.x);
      const char* preview =
          c.selection >= 0 && c.selection < static_cast<int>(c.items.size()) ? c.items[c.selection].c_str() : "";
      const bool open = ImGui::BeginCombo("##combo", preview);
      c.rect = LastItemRect();
      c.openFrames = open ? c.openFrames + 1 : 0;
      if (open) {
        for (int i = 0; i < static_cast<int>(c.items.size()); ++i) {
          ImGui::PushID(i);
          if (ImGui::Selectable(c.items[i].c_str(), i == c.selection)) {
            c.selection = i;
            d.commands.push_back({k.id, CBN_SELCHANGE});
          }
          c.itemRects[i] = {true, LastItemRect()};
          ImGui::PopID();
        }
        ImGui::EndCombo();
      }
      break;
    }
    case DialogControlKind::ListBox:
      if (ImGui::BeginListBox("##list", size)) {
        for (int i = 0; i < static_cast<int>(c.items.size()); ++i) {
          ImGui::PushID(i);
          if (ImGui::Selectable(c.items[i].c_str(), i == c.selection, ImGuiSelectableFlags_AllowDoubleClick)) {
            c.selection = i;
            d.commands.push_back({k.id, ImGui::IsMouseDoubleClicked(0) ? LBN_DBLCLK : LBN_SELCHANGE});
          }
          if (ImGui::IsItemVisible()) c.itemRects[i] = {true, LastItemRect()};
          ImGui::PopID();
        }
        ImGui::EndListBox();
      }
      c.rect = RECT{k.x, k.y, k.x + k.width, k.y + k.height};
      break;
    case DialogControlKind::Label:
      ImGui::PushTextWrapPos(static_cast<float>(k.x + k.width));
      ImGui::TextUnformatted(c.text.c_str());
      ImGui::PopTextWrapPos();
      c.rect = LastItemRect();
      break;
    case DialogControlKind::Picture: {
      const Bitmap* b = reinterpret_cast<const Bitmap*>(c.image);
      if (b != nullptr && b->width > 0 && b->height > 0) {
        const GLuint t = TextureOf(d, b);
        ImGui::Image(reinterpret_cast<ImTextureID>(static_cast<std::uintptr_t>(t)), size);
      } else {
        ImGui::Dummy(size);
      }
      c.rect = LastItemRect();
      break;
    }
  }
  ImGui::EndDisabled();
  ImGui::PopID();
  c.drawn = true;
}

void DrawFrame(Dialog& d) {
  int w = 0, h = 0;
  SDL_GetWindowSize(d.window, &w, &h);
  ImGuiIO& io = ImGui::GetIO();
  io.DisplaySize = ImVec2(static_cast<float>(w), static_cast<float>(h));
  io.DeltaTime = 1.0f / 60.0f;
  ImGui_ImplOpenGL2_NewFrame();
  ImGui::NewFrame();
  ImGui::SetNextWindowPos(ImVec2(0, 0));
  ImGui::SetNextWindowSize(io.DisplaySize);
  ImGui::Begin("##dialog", nullptr,
               ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                   ImGuiWindowFlags_NoBringToFrontOnFocus);
  for (auto& c : d.controls) DrawControl(d, *c);
  ImGui::End();
  ImGui::Render();
  glViewport(0, 0, w, h);
  glClearColor(0.12f, 0.12f, 0.14f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
  SDL_GL_SwapWindow(d.window);
}

void Dispatch(Dialog& d) {
  std::vector<std::pair<int, WORD>> commands;
  commands.swap(d.commands);
  for (const auto& [id, note] : commands) {
    if (d.ended) break;
    Control* c = FindControl(reinterpret_cast<HWND>(&d), id);
    if (c && !c->enabled) continue;
    d.procedure(reinterpret_cast<HWND>(&d), WM_COMMAND, static_cast<WPARAM>(MAKELONG(id, note)),
                reinterpret_cast<LPARAM>(c));
  }
}

bool MakeWindow(Dialog& d, const DialogResource& r) {
  if (!EnsureVideo()) return false;
  d.window = SDL_CreateWindow(d.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, r.width, r.height,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
  if (!d.window) {
    std::fprintf(stderr, "dialog: no window (%s)\n", SDL_GetError());
    return false;
  }
  d.gl = SDL_GL_CreateContext(d.window);
  if (!d.gl) {
    std::fprintf(stderr, "dialog: no OpenGL context (%s)\n", SDL_GetError());
    SDL_DestroyWindow(d.window);
    d.window = nullptr;
    return false;
  }
  SDL_GL_MakeCurrent(d.window, d.gl);
  d.imgui = ImGui::CreateContext();
  ImGui::SetCurrentContext(d.imgui);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
  ImGui::StyleColorsDark();
  ImGui_ImplOpenGL2_Init();
  return true;
}

void FreeWindow(Dialog& d) {
  if (!d.window) return;
  SDL_GL_MakeCurrent(d.window, d.gl);
  ImGui::SetCurrentContext(d.imgui);
  for (auto& [b, t] : d.textures) glDeleteTextures(1, &t);
  ImGui_ImplOpenGL2_Shutdown();
  ImGui::DestroyContext(d.imgui);
  SDL_GL_MakeCurrent(d.window, nullptr);
  SDL_GL_DeleteContext(d.gl);
  SDL_DestroyWindow(d.window);
}

}  // namespace

void RegisterDialogResource(int id, const DialogResource& resource) { Resources()[id] = resource; }

void RegisterBitmapResource(int id, int width, int height, const std::uint32_t* pixels) {
  Bitmap& b = Bitmaps()[id];
  b.width = width > 0 && height > 0 && pixels ? width : 0;
  b.height = b.width ? height : 0;
  b.pixels.assign(pixels, pixels + static_cast<std::size_t>(b.width) * b.height);
}

HBITMAP LoadBitmapA(HINSTANCE, LPCSTR name) {
  auto it = Bitmaps().find(ResourceNumber(name));
  if (it == Bitmaps().end() || it->second.width == 0) return nullptr;
  return reinterpret_cast<HBITMAP>(&it->second);
}

bool DialogsCanBeAnswered() { return gHook != nullptr || !gActions.empty() || (EnsureVideo() && HasDisplay()); }

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND, DLGPROC procedure, LPARAM param) {
  auto it = Resources().find(ResourceNumber(templateName));
  if (it == Resources().end() || procedure == nullptr) return -1;
  if (!DialogsCanBeAnswered()) return -1;
  const DialogResource& r = it->second;
  Dialog d;
  d.resourceId = it->first;
  d.title = r.title ? r.title : "";
  d.procedure = procedure;
  for (const DialogControlDesc& desc : r.controls) {
    auto c = std::make_unique<Control>();
    c->desc = desc;
    c->text = desc.text ? desc.text : "";
    d.controls.push_back(std::move(c));
  }
  SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
  SDL_GLContext previousGl = SDL_GL_GetCurrentContext();
  ImGuiContext* previousImGui = ImGui::GetCurrentContext();
  if (!MakeWindow(d, r)) return -1;
  Open().push_back(&d);
  const HWND self = reinterpret_cast<HWND>(&d);
  procedure(self, WM_INITDIALOG, 0, param);
  const bool display = HasDisplay();
  while (!d.ended) {
    SDL_GL_MakeCurrent(d.window, d.gl);
    ImGui::SetCurrentContext(d.imgui);
    StepAction(d);
    TakeEvents(d);
    DrawFrame(d);
    Dispatch(d);
    if (d.ended) break;
    if (gHook) gHook(self, d.frame, gHookContext);
    ++d.frame;
    const bool scripted = !gActions.empty() && ActionIsFor(d, gActions.front());
    if (!display && !d.ended && d.frame >= gFrameLimit) {
      std::fprintf(stderr, "dialog %d: no answer after %d frames without a display\n", d.resourceId, d.frame);
      d.ended = true;
      d.result = -1;
    } else if (!display && !scripted && !gHook && !d.ended) {
      std::fprintf(stderr, "dialog %d: the script ended with the dialog open\n", d.resourceId);
      d.ended = true;
      d.result = -1;
    } else if (display && !scripted) {
      SDL_WaitEventTimeout(nullptr, 16);
    }
  }
  Open().pop_back();
  FreeWindow(d);
  ImGui::SetCurrentContext(previousImGui);
  if (previousWindow) SDL_GL_MakeCurrent(previousWindow, previousGl);
  return d.result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  Dialog* d = FindDialog(dialog);
  if (!d) return FALSE;
  d->ended = true;
  d->result = result;
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) { return reinterpret_cast<HWND>(FindControl(dialog, id)); }

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  Control* c = FindControl(dialog, id);
  if (!c) return FALSE;
  c->text = text ? text : "";
  return TRUE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
  Control* c = FindControl(dialog, id);
  if (!c || !buffer || size <= 0) return 0;
  const std::size_t n = std::min(c->text.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, c->text.data(), n);
  buffer[n] = '\0';
  return static_cast<UINT>(n);
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  Control* c = FindControl(dialog, id);
  const bool list = message >= CB_ADDSTRING && message <= LB_SETITEMDATA;
  if (!c) return list ? CB_ERR : 0;
  const int count = static_cast<int>(c->items.size());
  const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
  const bool inRange = index >= 0 && index < count;
  switch (message) {
    case CB_ADDSTRING:
    case LB_ADDSTRING:
      c->items.emplace_back(lParam ? reinterpret_cast<const char*>(lParam) : "");
      c->itemData.push_back(0);
      return count;
    case CB_RESETCONTENT:
    case LB_RESETCONTENT:
      c->items.clear();
      c->itemData.clear();
      c->itemRects.clear();
      c->selection = -1;
      return 0;
    case CB_GETCOUNT:
    case LB_GETCOUNT: return count;
    case CB_GETCURSEL:
    case LB_GETCURSEL: return c->selection >= 0 ? c->selection : CB_ERR;
    case CB_SETCURSEL:
    case LB_SETCURSEL:
      c->selection = inRange ? index : -1;
      return inRange ? index : CB_ERR;
    case CB_GETLBTEXTLEN:
    case LB_GETTEXTLEN: return inRange ? static_cast<LRESULT>(c->items[index].size()) : CB_ERR;
    case CB_GETLBTEXT:
    case LB_GETTEXT:
      if (!inRange || lParam == 0) return CB_ERR;
      std::memcpy(reinterpret_cast<char*>(lParam), c->items[index].c_str(), c->items[index].size() + 1);
      return static_cast<LRESULT>(c->items[index].size());
    case CB_GETITEMDATA:
    case LB_GETITEMDATA: return inRange ? c->itemData[index] : CB_ERR;
    case CB_SETITEMDATA:
    case LB_SETITEMDATA:
      if (!inRange) return CB_ERR;
      c->itemData[index] = lParam;
      return 0;
    case BM_GETCHECK: return c->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK: c->checked = wParam == BST_CHECKED; return 0;
    case STM_SETIMAGE: {
      if (wParam != IMAGE_BITMAP) return 0;
      HBITMAP old = c->image;
      c->image = reinterpret_cast<HBITMAP>(lParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE: return reinterpret_cast<LRESULT>(c->image);
    default: return list ? CB_ERR : 0;
  }
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  Control* c = FindControl(dialog, id);
  if (!c) return FALSE;
  c->checked = check == BST_CHECKED;
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  Control* c = FindControl(dialog, id);
  return c && c->checked ? BST_CHECKED : BST_UNCHECKED;
}

BOOL EnableWindow(HWND control, BOOL enable) {
  Control* c = ControlFromHandle(control);
  if (!c) return FALSE;
  const BOOL wasDisabled = c->enabled ? FALSE : TRUE;
  c->enabled = enable != FALSE;
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND control) {
  Control* c = ControlFromHandle(control);
  return c && c->enabled ? TRUE : FALSE;
}

bool Win32SetDialogTitle(HWND dialog, LPCSTR text) {
  Dialog* d = FindDialog(dialog);
  if (!d) return false;
  d->title = text ? text : "";
  if (d->window) SDL_SetWindowTitle(d->window, d->title.c_str());
  return true;
}

std::string Win32DialogTitle(HWND dialog) {
  Dialog* d = FindDialog(dialog);
  return d ? d->title : std::string();
}

int Win32DialogResourceId(HWND dialog) {
  Dialog* d = FindDialog(dialog);
  return d ? d->resourceId : 0;
}

void QueueDialogActions(const std::vector<DialogAction>& actions) {
  gActions.insert(gActions.end(), actions.begin(), actions.end());
}

void ClearDialogActions() {
  gActions.clear();
  gActionPhase = 0;
  gActionWait = 0;
  gSettleFrames = 0;
}

std::size_t PendingDialogActions() { return gActions.size(); }

bool ParseDialogScript(const std::string& text, std::vector<DialogAction>* actions, std::string* error) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  std::vector<DialogAction> out;
  while (std::getline(in, line)) {
    ++number;
    std::istringstream words(line);
    std::string first;
    if (!(words >> first) || first[0] == '#') continue;
    DialogAction a{DialogAction::Click, 0, 0, -1, {}};
    std::string verb, extra;
    bool ok = false;
    char* end = nullptr;
    const long dialog = std::strtol(first.c_str(), &end, 10);
    if (*end == '\0' && dialog >= 0 && dialog <= 0xFFFF && (words >> verb)) {
      a.dialog = static_cast<int>(dialog);
      if (verb == "click") {
        ok = static_cast<bool>(words >> a.control);
      } else if (verb == "choose") {
        a.kind = DialogAction::Choose;
        ok = (words >> a.control >> a.item) && a.item >= 0;
      } else if (verb == "key") {
        a.kind = DialogAction::Key;
        ok = static_cast<bool>(words >> a.key);
      }
      if (ok && (words >> extra)) ok = false;
    }
    if (!ok) {
      if (error) *error = "dialog script line " + std::to_string(number) + " not understood: " + line;
      return false;
    }
    out.push_back(a);
  }
  actions->insert(actions->end(), out.begin(), out.end());
  return true;
}

bool LoadDialogScript(const char* path, std::string* error) {
  std::ifstream file(path ? path : "", std::ios::binary);
  if (!file) {
    if (error) *error = std::string("cannot read the dialog script ") + (path ? path : "");
    return false;
  }
  std::stringstream text;
  text << file.rdbuf();
  std::vector<DialogAction> actions;
  if (!ParseDialogScript(text.str(), &actions, error)) return false;
  QueueDialogActions(actions);
  return true;
}

void SetDialogFrameHook(DialogFrameHook hook, void* context) {
  gHook = hook;
  gHookContext = context;
}

bool DialogControlRect(HWND dialog, int id, int item, RECT* rect) {
  Control* c = FindControl(dialog, id);
  if (!c || !c->drawn || !rect) return false;
  if (item < 0) {
    *rect = c->rect;
    return true;
  }
  if (item >= static_cast<int>(c->itemRects.size()) || !c->itemRects[item].first) return false;
  *rect = c->itemRects[item].second;
  return true;
}

void SetDialogFrameLimit(int frames) { gFrameLimit = frames > 0 ? frames : 600; }
