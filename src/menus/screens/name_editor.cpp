#include "menus/screens/name_editor.h"

#include "control/input/input.h"
#include "foundation/system/not_built_yet.h"
#include "menus/drawing/name_editor_rows.h"
#include "menus/drawing/text_boxes.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/menu_metrics.h"
#include "menus/screens/menu_text_ids.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_manager_state.h"
#include "menus/screens/screen_size.h"
#include "menus/widgets/menu_edit_item.h"
#include "menus/widgets/screen_menu.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"

namespace {

constexpr int kTabKey = 15;

CScreenMenu* Column(int i) { return Screens().nameMenus[i]; }

}  // namespace

bool MakeSquadNameMenus() {
  for (int column = 0; column < 2; ++column) {
    auto* menu = new CScreenMenu(g_MainFont, g_InterfaceSprites, 1);
    Screens().nameMenus[column] = menu;
    if (!menu->AllocateItems(kSquadNameRows)) return false;
    for (int i = 0; i < kSquadNameRows; ++i) menu->AddItem(new CMenuEditItem);
  }
  return true;
}

void FreeSquadNameMenus() {
  for (CScreenMenu*& menu : Screens().nameMenus) {
    if (menu == nullptr) continue;
    menu->FreeItems();
    delete menu;
    menu = nullptr;
  }
}

void SetUpSquadNameMenus() {
  const float sx = InterfaceScaleX(), sy = InterfaceScaleY();
  for (int column = 0; column < 2; ++column) {
    CScreenMenu* menu = Column(column);
    if (menu == nullptr) continue;
    menu->Reset();
    menu->SetLayout(MENU_VERTICAL, 1);
    menu->SetState(MENU_STATE_ACTIVE);
    menu->SetKeepActive(1);
    menu->SetInputHandlers(AcceptPressed, UpPressed, DownPressed, nullptr, nullptr, 0, 0, 0, 0, 0);
    menu->SetItemWidth(static_cast<int>(sx * 620.0f + 0.5f) / 2);
    menu->SetItemHeight(GetMenuItemHeight());
    menu->SoundBank = InterfaceSoundBank();
    menu->MoveSound = kMenuMoveSound;
    // The names at (p(100) + p(50), p(70) + p(150)); the second column p(180) further right.
    const int x = RefX(100) + RefX(50) + (column == 1 ? RefX(180) : 0);
    menu->SetRect(x, RefY(70) + RefY(150), static_cast<int>(600.0f * sx) - RefX(100), static_cast<int>(300.0f * sy));
  }
}

bool AddSquadNameRow(char* name, char* secondName, std::uint32_t soldier) {
  CScreenMenu* names = Column(0);
  CScreenMenu* seconds = Column(1);
  if (names == nullptr || seconds == nullptr || name == nullptr || secondName == nullptr) return false;
  const int row = names->Count;
  if (row >= kSquadNameRows || row >= names->Capacity) return false;
  auto* nameItem = static_cast<CMenuEditItem*>(names->Items[row]);
  nameItem->Set(static_cast<std::uint16_t>(kSquadNameFirstId + row), kMenuNoText, 0, 0, soldier, DrawNameEditorRow,
                nullptr);
  nameItem->Filter = MENU_EDIT_ANY;
  nameItem->SetBuffer(name, kSquadNameLength + 1, 0);
  names->OnItemAdded(nameItem);
  auto* secondItem = static_cast<CMenuEditItem*>(seconds->Items[row]);
  secondItem->Set(static_cast<std::uint16_t>(kSquadSecondNameFirstId + row), kMenuNoText, 0, 0, soldier,
                  DrawSecondNameRow, nullptr);
  secondItem->Filter = MENU_EDIT_ANY;
  secondItem->SetBuffer(secondName, kSquadSecondNameLength + 1, 0);
  seconds->OnItemAdded(secondItem);
  return true;
}

void BuildSquadNameMenus() {
  for (int column = 0; column < 2; ++column)
    if (CScreenMenu* menu = Column(column)) menu->Clear();
  // The soldiers of the local side that count come with the units.
  NotBuiltYet("squad name editor's soldier list");
}

int UpdateSquadNameEditor(int id) {
  const int column = id == 11 ? 0 : 1;
  CScreenMenu* menu = Column(column);
  if (menu == nullptr) return 0;
  const std::uint16_t code = menu->Process();
  // Tab: the other column, on the same row.
  if (g_Input != nullptr && g_Input->WasKeyPressed(kTabKey)) {
    CScreenMenu* other = Column(1 - column);
    if (other != nullptr && other->Count > 0) {
      other->SelectIndex(menu->Selection < other->Count ? menu->Selection : other->Count - 1);
      SetScreen(id == 11 ? 12 : 11);
      return 0;
    }
  }
  const std::uint16_t first = column == 0 ? kSquadNameFirstId : kSquadSecondNameFirstId;
  const bool accepted = code >= first && code < first + kSquadNameRows;
  if (accepted || BackPressed(0)) SetScreen(4);
  return 0;
}

void DrawSquadNameEditor() {
  const float sx = InterfaceScaleX(), sy = InterfaceScaleY();
  const int x = RefX(25), y = RefY(75), w = static_cast<int>(600.0f * sx), h = static_cast<int>(300.0f * sy);
  DrawFramedBox(x, y, w, h, 1, 6);
  for (int column = 0; column < 2; ++column)
    if (CScreenMenu* menu = Column(column)) menu->Draw();
  DrawLocaleText(kTextSquadNames, x, y, w, 1);
}
