#include "menus/screens/key_bind_menu.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "control/bindings/control_mapper.h"
#include "control/bindings/input_action.h"
#include "control/input/input.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/key_bind_actions.h"
#include "menus/screens/key_bind_text_ids.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/menu_metrics.h"
#include "menus/screens/panel_drawing.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "menus/screens/standard_items.h"
#include "menus/widgets/menu_choice_item.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "shell/program/command_line.h"
#include "shell/program/game_objects.h"

namespace {

constexpr int kPlayer = 0;
constexpr int kKeyTab = 15;
constexpr int kKeyBackspace = 14;
constexpr int kKeyEnter = 28;
constexpr std::uint32_t kCaptureColour = 0xFFFF8080;
constexpr const char* kDefaultBindingsFile = "default.key";
constexpr const char* kCurrentBindingsFile = "current.key";

bool KeyWentDown(int code) { return g_Input != nullptr && g_Input->WasKeyPressed(code); }

// Whether a binding is listed: joystick ones only in cheat mode.
bool Listed(InputBindingCode b) {
  if (b == kNoBinding) return false;
  const int device = BindingDevice(b);
  return CheatMode != 0 || (device != BINDING_JOY_AXIS && device != BINDING_JOY_BUTTON);
}

// The device order in which a combined row looks for its context action's
// binding, by the device of the row's own binding.
const int* ContextSearchOrder(InputBindingCode own) {
  static constexpr int kPadFirst[] = {2, 1, 0, 4, 3};
  static constexpr int kMouseFirst[] = {4, 3, 0, 2, 1};
  static constexpr int kKeyFirst[] = {0, 4, 3, 2, 1};
  const int device = own == kNoBinding ? -1 : BindingDevice(own);
  if (device == 1 || device == 2) return kPadFirst;
  if (device == 3 || device == 4) return kMouseFirst;
  return kKeyFirst;
}

void DrawDefaultsButton(std::uint16_t id, int, int, int, int, std::uint16_t, void* owner) {
  auto* screen = static_cast<CKeyBindMenu*>(owner);
  if (screen == nullptr || screen->Menu == nullptr) return;
  const KeyBindButtonBox box = KeyBindDefaultsButtonBox(*screen);
  const int highlighted = screen->Menu->SelectedId == id ? 1 : 0;
  DrawItemBackground(box.x, box.y, box.w, highlighted, 0);
  CFont* font = g_MainFont;
  const char* text = CMenu::TextOf(kTextKeyBindDefaults);
  if (font == nullptr || font->Sprites == nullptr || text == nullptr) return;
  const float o = GetFontTextOffset(font);
  const float x = box.x + (box.w - static_cast<float>(font->GetStringWidth(text))) / 2.0f;
  const int y = static_cast<int>(o + (box.h - o) * 0.5f + box.y);
  CSpriteRender* glyphs = font->Sprites;
  const std::uint32_t savedColour = glyphs->Colour, savedDraw = glyphs->DrawColour;
  font->SetColour(highlighted != 0 ? screen->Menu->HighlightColour : screen->Menu->TextColour);
  font->DrawString(text, static_cast<int>(x), y, 0);
  glyphs->Colour = savedColour;
  glyphs->DrawColour = savedDraw;
}

// The button's hit box is always 280 reference pixels wide (the drawn box
// grows for a long text).
int DefaultsButtonHit(CMenu* menu, std::uint16_t) {
  if (menu == nullptr || g_Input == nullptr) return 0;
  auto* screen = static_cast<CKeyBindMenu*>(menu->Owner);
  if (screen == nullptr) return 0;
  const float sx = InterfaceScaleX();
  const int w = static_cast<std::int16_t>(static_cast<int>(280.0f * sx));
  const int x = static_cast<int>(screen->PanelLeft + (screen->PanelRight - screen->PanelLeft - static_cast<float>(w)) * 0.5f);
  const int y = static_cast<int>(KeyBindDefaultsButtonBox(*screen).y);
  const int mx = g_Input->GetCursorX(), my = g_Input->GetCursorY();
  return mx >= x && mx <= x + w && my >= y && my <= y + menu->ItemHeight ? 1 : 0;
}

void DrawBindingRow(std::uint16_t id, int x, int y, int, int, std::uint16_t, void* owner) {
  auto* screen = static_cast<CKeyBindMenu*>(owner);
  if (screen == nullptr || screen->List == nullptr || screen->Menu == nullptr) return;
  CScreenMenu* list = screen->List;
  CFont* font = list->Font;
  const CMenuItem* item = list->FindItem(id);
  if (font == nullptr || item == nullptr) return;
  const int row = CKeyBindMenu::RowOf(item->Value);
  const int slot = CKeyBindMenu::SlotOf(item->Value);
  if (row < 0 || row >= kBindableActionCount) return;
  const BindableAction& action = kBindableActions[row];
  const float sy = InterfaceScaleY();
  const bool selected = id == list->SelectedId && screen->Menu->SelectedId != CKeyBindMenu::kDefaultsItem;
  std::uint32_t colour = list->TextColour;
  if (selected) {
    DrawBarD(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + list->ItemWidth));
    colour = list->HighlightColour;
  }
  const float left = screen->OuterBox.x1, right = screen->OuterBox.x2;
  const int textY = y + static_cast<int>(18.0f * sy + 0.5f);
  font->SetColour(colour);
  if (const char* name = CMenu::TextOf(action.nameId))
    font->DrawString(name, static_cast<int>(left + (right - left) * 0.07f), textY, 0);

  // "context + own": the context action's binding of the device nearest the row's own.
  InputBindingCode own = kNoBinding;
  if (g_ControlMapper != nullptr && slot != static_cast<int>(CKeyBindMenu::kUnboundSlot))
    own = g_ControlMapper->GetBinding(kPlayer, slot, action.action);
  char text[256] = "";
  if (action.context != kNoAction && g_ControlMapper != nullptr) {
    const int* order = ContextSearchOrder(own);
    for (int i = 0; i < 5; ++i) {
      const InputBindingCode c = g_ControlMapper->FindDeviceBinding(kPlayer, order[i], action.context);
      if (c == kNoBinding) continue;
      std::snprintf(text, sizeof text, "%s + ", GetBindingDisplayName(c));
      break;
    }
  }
  const std::size_t used = std::strlen(text);
  std::snprintf(text + used, sizeof text - used, "%s", GetBindingDisplayName(own));
  if (selected && screen->Capturing != 0) colour = kCaptureColour;
  font->SetColour(colour);
  font->DrawString(text, static_cast<int>(left + (right - left) * 0.58f), textY, 0);
}

}  // namespace

KeyBindButtonBox KeyBindDefaultsButtonBox(const CKeyBindMenu& screen) {
  const float sx = InterfaceScaleX(), sy = InterfaceScaleY();
  float w = static_cast<std::int16_t>(static_cast<int>(280.0f * sx));
  const char* text = CMenu::TextOf(kTextKeyBindDefaults);
  if (g_MainFont != nullptr && text != nullptr) {
    const int textWidth = g_MainFont->GetStringWidth(text);
    if (static_cast<float>(textWidth) > w) {
      const int m = std::max(ScreenWidth(), 800);
      w = static_cast<float>(textWidth + 2 * static_cast<std::int16_t>(m * 20 / 800));
    }
  }
  const float itemHeight = static_cast<std::int16_t>(GetMenuItemHeight());
  const float x = screen.PanelLeft + (screen.PanelRight - screen.PanelLeft - w) * 0.5f;
  const float y = static_cast<float>(
      static_cast<int>(static_cast<float>(static_cast<int>(screen.PanelBottom - 30.0f * sy)) - itemHeight));
  return {x, y, w, itemHeight};
}

CKeyBindMenu::~CKeyBindMenu() { FreeList(); }

bool CKeyBindMenu::Create() {
  Menu = new CScreenMenu(g_MainFont, g_InterfaceSprites, 1);
  if (!Menu->AllocateItems(2)) return false;
  CMenuItem* items[2] = {new CMenuChoiceItem, new CMenuItem};
  for (CMenuItem*& item : items) {
    if (!Menu->AddItem(item)) {
      delete item;
      return false;
    }
  }
  List = new CScreenMenu(g_MainFont, nullptr, 1);
  if (!List->AllocateItems(kListCapacity)) return false;
  for (int i = 0; i < kListCapacity; ++i) {
    auto* item = new CMenuItem;
    if (!List->AddItem(item)) {
      delete item;
      return false;
    }
  }
  return true;
}

void CKeyBindMenu::FreeList() {
  if (List == nullptr) return;
  List->FreeItems();
  delete List;
  List = nullptr;
}

void CKeyBindMenu::Destroy() {
  CMenuScreen::Destroy();
  FreeList();
}

void CKeyBindMenu::SetMenuStyle(CFont* font, CSpriteRender* sprites, const CSoundBank* bank) {
  CMenuScreen::SetMenuStyle(font, sprites, bank);
  SetListStyle(g_MainFont, sprites, bank);
}

void CKeyBindMenu::SetListStyle(CFont* font, CSpriteRender* sprites, const CSoundBank* bank) {
  if (List == nullptr) return;
  List->Font = font;
  List->Sprites = sprites;
  List->SoundBank = bank;
}

std::uint32_t CKeyBindMenu::GetRightHintTextId() {
  return Capturing != 0 ? 0 : CMenuScreen::GetRightHintTextId();
}

int CKeyBindMenu::ChosenPage() const {
  const CMenuItem* item = Menu != nullptr ? Menu->FindItem(kPageItem) : nullptr;
  if (item == nullptr || item->Kind != MENU_ITEM_CHOICE) return 0;
  return static_cast<const CMenuChoiceItem*>(item)->Current;
}

void CKeyBindMenu::Populate() {
  if (Menu == nullptr || List == nullptr) return;
  const float sx = InterfaceScaleX(), sy = InterfaceScaleY();
  const int itemHeight = GetMenuItemHeight();

  Menu->Reset();
  Menu->SetLayout(MENU_VERTICAL, 1);
  Menu->SetRect(static_cast<int>(30.0f * sx), static_cast<int>(60.0f * sy), static_cast<int>(740.0f * sx),
                static_cast<int>(510.0f * sy));
  Menu->SetState(MENU_STATE_ACTIVE);
  Menu->SetKeepActive(1);
  Menu->SetInputHandlers(AcceptPressed, nullptr, nullptr, LeftPressed, RightPressed, 0, 0, 0, 0, 0);
  Menu->SetItemWidth(static_cast<int>(sx * 700.0f));
  Menu->SetItemHeight(itemHeight);
  Menu->MoveSound = kMenuMoveSound;
  Menu->Owner = this;

  CMenuItem* page = Menu->Items[0];
  const std::uint8_t current = static_cast<CMenuChoiceItem*>(page)->Current;
  page->Set(kPageItem, kMenuNoText, kRowFlags, 0, 0, ChoiceItemCallback, nullptr);
  auto* choice = static_cast<CMenuChoiceItem*>(page);
  choice->SetChoices(kTextKeyBindPages[0], kTextKeyBindPages[1], kTextKeyBindPages[2], kTextKeyBindPages[3]);
  choice->Current = current < choice->Count ? current : 0;
  Menu->OnItemAdded(page);
  CMenuItem* defaults = Menu->Items[1];
  defaults->Set(kDefaultsItem, kMenuNoText, kRowFlags, 0, 0, DrawDefaultsButton, DefaultsButtonHit);
  Menu->OnItemAdded(defaults);

  const PlaceExtra extra{0.0f, 0.0f, 0.0f, static_cast<float>(static_cast<std::int16_t>(static_cast<int>(310.0f * sy)))};
  PlaceMenu(kTextKeyBindTitle, 0, &extra, 32767);
  SetStandardArrowBoxes(this);

  const float h = static_cast<std::int16_t>(itemHeight);
  OuterBox.x1 = sx + PanelLeft;
  OuterBox.x2 = PanelRight - sx;
  OuterBox.y1 = h + 77.0f * sx + PanelTop;
  OuterBox.y2 = PanelBottom - (h + 7.0f * sx + 30.0f * sy);
  InnerBox.x1 = 16.0f * sy + OuterBox.x1;
  InnerBox.x2 = OuterBox.x2 - 16.0f * sy;
  InnerBox.y1 = 16.0f * sy + 16.0f * sx + OuterBox.y1;
  InnerBox.y2 = OuterBox.y2 - 16.0f * sy;

  List->Reset();
  List->SetLayout(MENU_VERTICAL, 1);
  const int listWidth =
      static_cast<int>(InnerBox.x2 - InnerBox.x1 - 8.0f * sx - static_cast<float>(GetSmallMenuItemHeight()));
  List->SetRect(static_cast<int>(8.0f * sx + InnerBox.x1), static_cast<int>(4.0f * sy + InnerBox.y1), listWidth,
                static_cast<int>(InnerBox.y2 - InnerBox.y1 - 4.0f * sy));
  List->SetState(MENU_STATE_ACTIVE);
  List->SetKeepActive(1);
  List->SetInputHandlers(nullptr, UpPressed, DownPressed, nullptr, nullptr, 0, 0, 0, 0, 0);
  List->ArrowCell = 14;
  List->SideArrows = 1;
  List->AlwaysArrows = 1;
  List->SetItemWidth(static_cast<int>(static_cast<float>(listWidth) - 24.0f * sx));
  List->SetItemHeight(static_cast<int>(20.0f * sy + 0.5f));
  List->MoveSound = kMenuMoveSound;
  List->Owner = this;
  List->Wrap = 0;
}

void CKeyBindMenu::OnEnter() {
  Populate();
  if (Menu == nullptr) return;
  if (CMenuItem* page = Menu->FindItem(kPageItem)) static_cast<CMenuChoiceItem*>(page)->Current = 0;
  Menu->SelectIndex(0);
  Menu->SelectedId = kPageItem;
  Capturing = 0;
  captureRow_ = -1;
  ShownPage = -1;
  BuildList(false);
}

void CKeyBindMenu::BuildList(bool keep) {
  if (List == nullptr || Menu == nullptr) return;
  const int page = ChosenPage();
  if (!keep && page == ShownPage) return;
  const int oldCount = List->Count;
  const int oldSelection = List->Selection;
  int selection = oldSelection;
  int first = List->FirstVisible;
  // Whether the old selection's upper neighbour listed the same action.
  bool aboveSameAction = false;
  if (oldSelection > 0 && oldSelection < oldCount)
    aboveSameAction = RowOf(List->Items[oldSelection - 1]->Value) == RowOf(List->Items[oldSelection]->Value);

  ShownPage = static_cast<std::int8_t>(page);
  List->Clear();
  auto add = [&](std::uint32_t value) {
    if (List->Count >= List->Allocated) return;
    CMenuItem* item = List->Items[List->Count];
    item->Set(static_cast<std::uint16_t>(kFirstListRow + List->Count), kMenuNoText, 0, 0, value, DrawBindingRow,
              nullptr);
    List->OnItemAdded(item);
  };
  for (int r = 0; r < kBindableActionCount; ++r) {
    const BindableAction& action = kBindableActions[r];
    if (action.page != page) continue;
    bool listed = false;
    const int slots = g_ControlMapper != nullptr ? g_ControlMapper->Slots() : 0;
    for (int s = 0; s < slots; ++s) {
      if (!Listed(g_ControlMapper->GetBinding(kPlayer, s, action.action))) continue;
      add(static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(s) << 16));
      listed = true;
    }
    if (!listed) add(static_cast<std::uint32_t>(r) | (kUnboundSlot << 16));
  }

  if (!keep) {
    selection = 0;
    first = 0;
  } else if (List->Count < oldCount) {
    if (aboveSameAction) --selection;
    if (first + List->VisibleRows > List->Count) first = std::max(0, List->Count - List->VisibleRows);
  }
  selection = std::clamp(selection, 0, std::max(0, List->Count - 1));
  List->FirstVisible = static_cast<std::int16_t>(std::max(0, first));
  List->Selection = static_cast<std::int16_t>(selection);
  if (List->Count > 0) List->SelectedId = List->Items[selection]->Id;
}

void CKeyBindMenu::StartCapture() {
  if (g_Input == nullptr || List == nullptr || List->Count <= 0) return;
  const CMenuItem* item = List->SelectedItem();
  if (item == nullptr) return;
  const int row = RowOf(item->Value);
  if (row < 0 || row >= kBindableActionCount) return;
  std::uint32_t mask = kBindableActions[row].devices;
  if (CheatMode == 0) mask &= ~static_cast<std::uint32_t>(WAIT_JOYSTICK);
  g_Input->StartWaitForInput(mask);
  captureRow_ = row;
  Capturing = 1;
}

std::int32_t CKeyBindMenu::PollCapture() {
  if (Capturing == 0 || g_Input == nullptr || g_Input->IsWaitingForInput()) return kNoBinding;
  Capturing = 0;
  if (g_Input->GetCapturedKey() != kNoCapture) return CapturedKeyCode(g_Input->GetCapturedKey());
  if (g_Input->GetCapturedJoystickAxis() != kNoCapture)
    return CapturedJoystickAxisCode(g_Input->GetCapturedJoystickAxis());
  if (g_Input->GetCapturedJoystickButton() != kNoCapture)
    return CapturedJoystickButtonCode(g_Input->GetCapturedJoystickButton());
  if (g_Input->GetCapturedMouseButton() != kNoCapture)
    return CapturedMouseButtonCode(g_Input->GetCapturedMouseButton());
  return kNoBinding;
}

void CKeyBindMenu::RemoveSelectedBinding() {
  const CMenuItem* item = List != nullptr ? List->SelectedItem() : nullptr;
  if (item == nullptr || g_ControlMapper == nullptr) return;
  const int row = RowOf(item->Value), slot = SlotOf(item->Value);
  if (row >= kBindableActionCount || slot >= static_cast<int>(kUnboundSlot)) return;
  g_ControlMapper->SetBinding(kPlayer, slot, kBindableActions[row].action, kNoBinding);
  BuildList(true);
}

// The row goes back to the file's bindings alone; a file that cannot be read
// leaves every binding as it was.
void CKeyBindMenu::LoadDefaults() {
  if (g_ControlMapper != nullptr) {
    CControlMapper defaults;
    if (defaults.Init(1, g_ControlMapper->Slots(), g_ControlMapper->Actions()) &&
        defaults.LoadBindings(kDefaultBindingsFile, 0)) {
      for (int s = 0; s < g_ControlMapper->Slots(); ++s)
        for (int a = 0; a < g_ControlMapper->Actions(); ++a)
          g_ControlMapper->SetBinding(kPlayer, s, a, defaults.GetBinding(0, s, a));
    }
  }
  BuildList(true);
}

void CKeyBindMenu::UpdateMain() {
  if (KeyWentDown(kKeyTab)) {
    const bool toDefaults = Menu->SelectedId != kDefaultsItem;
    Menu->SelectIndex(toDefaults ? 1 : 0);
    Menu->SelectedId = toDefaults ? kDefaultsItem : kPageItem;
  } else if (g_Input != nullptr && List->MouseEnabled != 0 && Menu->SelectedId == kDefaultsItem) {
    // The mouse moved over the list: the focus goes back to the page choice.
    const int mx = g_Input->GetCursorX(), my = g_Input->GetCursorY();
    const bool moved = mx != List->LastMouseX || my != List->LastMouseY;
    if (moved && mx >= List->X && mx <= List->X + List->Width && my >= List->Y && my <= List->Y + List->Height) {
      Menu->SelectIndex(0);
      Menu->SelectedId = kPageItem;
    }
  }
  switch (Menu->Process()) {
    case kPageItem: BuildList(false); break;
    case kDefaultsItem: LoadDefaults(); break;
    default: break;
  }
  if (Menu->SelectedId == kPageItem && KeyWentDown(kKeyEnter)) StartCapture();
  if (Menu->SelectedId == kPageItem && KeyWentDown(kKeyBackspace) && Capturing == 0) RemoveSelectedBinding();
  if (Capturing == 0 && BackPressed(0) != 0) {
    if (g_ControlMapper != nullptr) g_ControlMapper->SaveBindings(kCurrentBindingsFile, kPlayer);
    SetScreen(31);
  }
}

void CKeyBindMenu::UpdateList() {
  if (Capturing == 0) List->Process();
  List->MouseEnabled = Capturing == 0 ? 1 : 0;
  const std::int32_t code = PollCapture();
  if (code == kNoBinding) return;
  if (IsCancelCaptureCode(code)) return;
  if (IsRefusedCaptureCode(code)) {
    StartCapture();
    return;
  }
  if (g_ControlMapper != nullptr) ApplyCapturedCode(*g_ControlMapper, kPlayer, captureRow_, code);
  BuildList(true);
}

int CKeyBindMenu::Update() {
  if (Menu == nullptr || List == nullptr) return 0;
  // A running capture takes every key and button: the menus stand still.
  if (Capturing == 0) UpdateMain();
  UpdateList();
  return 0;
}

void CKeyBindMenu::Draw() {
  if (Menu == nullptr || List == nullptr) return;
  DrawPanelFrame(6, 1);
  DrawFrameB(OuterBox.x1, OuterBox.y1, OuterBox.x2, OuterBox.y2);
  const float sx = InterfaceScaleX();
  DrawFrameF(InnerBox.x1, InnerBox.y1, InnerBox.x2, InnerBox.y2, 1);
  if (CFont* font = List->Font) {
    font->SetColour(Menu->TextColour);
    const float left = OuterBox.x1, right = OuterBox.x2;
    const int y = static_cast<int>(InnerBox.y1 - 2.0f * sx);
    if (const char* t = CMenu::TextOf(kTextKeyBindActionHeading))
      font->DrawString(t, static_cast<int>(left + (right - left) * 0.07f), y, 0);
    if (const char* t = CMenu::TextOf(kTextKeyBindBindingHeading))
      font->DrawString(t, static_cast<int>(left + (right - left) * 0.58f), y, 0);
  }
  Menu->Draw();
  DrawTitle(kTextKeyBindTitle, 1);
  List->Draw();
}
