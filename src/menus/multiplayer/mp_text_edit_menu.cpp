#include "menus/multiplayer/mp_text_edit_menu.h"

#include <cstring>

#include "control/input/input.h"
#include "foundation/system/registry_key.h"
#include "menus/multiplayer/mp_screens.h"
#include "menus/multiplayer/mp_text_ids.h"
#include "menus/multiplayer/multi_player_menu.h"
#include "menus/multiplayer/session_browser.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_manager_state.h"
#include "menus/screens/screen_size.h"
#include "menus/screens/standard_items.h"
#include "menus/widgets/menu_edit_item.h"
#include "net/mp_layer.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"

namespace {

constexpr MPTextEntry kEntries[] = {
    {43, kMPHostAddressSize, 0, mptext::kHostAddress, 47, 46, "HostIPAddr"},
    {44, 20, 250, mptext::kSessionName, 46, 46, "SessionName"},
    {45, 20, 200, mptext::kPlayerName, 52, 52, "PlayerName"},
    {51, kMPHostPortSize, 0, mptext::kPort, 46, 46, "HostPort"},
    {56, kMPChatSize, 400, mptext::kChatAll, 14, 14, nullptr},
    {57, kMPChatSize, 400, mptext::kChatTeam, 14, 14, nullptr},
};

// The home buffer of an id's text (null for the chat ids, which edit the backup).
char* HomeText(int id) {
  CMultiplayer* layer = MPCurrent();
  switch (id) {
    case 43: return MPHostAddress;
    case 44: return layer->settings_.sessionName;
    case 45: return layer->players_[layer->localSlot_ & 7].name;
    case 51: return MPHostPort;
    default: return nullptr;
  }
}

void Write(CRegistryKey& key, const char* name, const char* text) {
  if (name != nullptr && text != nullptr) key.SetString(name, text);
}

}  // namespace

const MPTextEntry* FindMPTextEntry(int id) {
  for (const MPTextEntry& e : kEntries)
    if (e.id == id) return &e;
  return nullptr;
}

CMenuEditItem* CMPTextEditMenu::Edit() const {
  return Menu != nullptr && Menu->Count > 0 ? static_cast<CMenuEditItem*>(Menu->Items[0]) : nullptr;
}

bool CMPTextEditMenu::Create() {
  Menu = new CScreenMenu(g_LargeFont, g_InterfaceSprites, 1);
  if (!Menu->AllocateItems(1)) return false;
  auto* item = new CMenuEditItem;
  if (!Menu->AddItem(item)) {
    delete item;
    return false;
  }
  return true;
}

void CMPTextEditMenu::Populate() {
  StandardListSetUp(this, AcceptPressed, false);
  Menu->SetInputHandlers(AcceptPressed, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0);
  const MPTextEntry* entry = FindMPTextEntry(ScreenId);
  int width = static_cast<int>(620.0f * InterfaceScaleX() + 0.5f);
  if ((ScreenId == 44 || ScreenId == 45) && g_PanelSprites != nullptr)
    width = 2 * static_cast<int>(g_PanelSprites->GetScaledWidth(7)) + (ScreenId == 44 ? 250 : 200);
  Menu->SetItemWidth(width);
  CMenuItem* item = Menu->Items[0];
  item->Set(kEditRow, kMenuNoText, MENU_ITEM_NO_BOX, 0, 0, EditItemCallback, nullptr);
  Menu->OnItemAdded(item);
  PlaceMenu(entry != nullptr ? entry->title : 0xFFFFFFFF, 0, nullptr, 32767);
  SetStandardArrowBoxes(this);
}

void CMPTextEditMenu::OnEnter() {
  Populate();
  CMenuEditItem* edit = Edit();
  if (edit == nullptr) return;
  edit->Filter = MENU_EDIT_ANY;
  const MPTextEntry* entry = FindMPTextEntry(ScreenId);
  boundId_ = 0;
  if (entry != nullptr) {
    if (ScreenId == 51 && MPHostPort[0] == '\0') CopyClipped(MPHostPort, kMPHostPortSize, kMPDefaultPortText);
    char* home = HomeText(ScreenId);
    if (home != nullptr) {
      CopyClipped(MPEditBackup, kMPChatSize, home);
      edit->SetBuffer(home, entry->maxLength, entry->maxWidth);
    } else {
      MPEditBackup[0] = '\0';
      edit->SetBuffer(MPEditBackup, entry->maxLength, entry->maxWidth);
    }
    boundId_ = ScreenId;
  }
  if (g_Input != nullptr) g_Input->FlushTextInput();
  Menu->SelectIndex(0);
}

int CMPTextEditMenu::Update() {
  const std::uint16_t id = Menu->Process();
  const MPTextEntry* entry = FindMPTextEntry(ScreenId);
  if (id == kEditRow && entry != nullptr) {
    CRegistryKey key;
    key.Create(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey);
    editState_ = 1;
    CMultiplayer* layer = MPCurrent();
    char* home = HomeText(ScreenId);
    switch (ScreenId) {
      case 43:
        Write(key, "HostIPAddr", home);
        // The accepted address is kept when the screen is left.
        CopyClipped(MPEditBackup, kMPChatSize, home);
        StartHostSearch(MPHostAddress);
        SetScreen(47);
        break;
      case 44:
        SetScreen(46);
        Write(key, "SessionName", home);
        CopyClipped(MPEditBackup, kMPChatSize, home);
        layer->SetSessionName(MPEditBackup);
        break;
      case 45:
        if (MPGetSessionState() != MPS_PLAYING) {
          if (MPIsHost())
            layer->SendPlayerTable();
          else
            layer->SendPlayerRecord();
        }
        Write(key, "PlayerName", home);
        CopyClipped(MPEditBackup, kMPChatSize, home);
        SetScreen(52);
        break;
      case 51:
        Write(key, "HostPort", home);
        CopyClipped(MPEditBackup, kMPChatSize, home);
        SetScreen(46);
        break;
      case 56:
      case 57: {
        const int slot = MPGetLocalPlayerSlot();
        const bool soldier = MPGetObjectByIndex(slot, 1) != nullptr;
        if (MPIsNetworkGame() && MPGetSessionState() == MPS_PLAYING && soldier && MPEditBackup[0] != '\0') {
          const MPPlayerRecord* r = MPGetPlayerRecord(slot);
          layer->SendChatMessage(MPEditBackup, ScreenId == 56 ? 2 : (r != nullptr ? r->team : 0), -1);
        }
        MPEditBackup[0] = '\0';
        SetScreen(14);
        break;
      }
      default: break;
    }
    SetTransitionBackward();
    return 0;
  }
  if (BackPressed(0) != 0) {
    editState_ = 0;
    if (entry != nullptr) SetScreen(entry->backNext);
  }
  return 0;
}

void CMPTextEditMenu::OnLeave(int nextId) {
  (void)nextId;
  const int left = boundId_ != 0 ? boundId_ : PreviousScreenId;
  boundId_ = 0;
  const MPTextEntry* entry = FindMPTextEntry(left);
  if (entry == nullptr) return;
  if (left == 56 || left == 57) {
    MPEditBackup[0] = '\0';
    return;
  }
  char* home = HomeText(left);
  if (home == nullptr) return;
  CopyClipped(home, entry->maxLength, MPEditBackup);
  // The layer takes the kept text (its own copies follow it).
  if (left == 44) MPCurrent()->SetSessionName(MPEditBackup);
  if (left == 45) MPCurrent()->SetPlayerName(MPEditBackup);
  WriteMultiplayerText(entry->registryName, home);
  if (CMenuEditItem* edit = Edit()) edit->Buffer = nullptr;
}

void CMPTextEditMenu::Draw() {
  DrawPanelFrame(6, 0);
  Menu->Draw();
  DrawTitle(TitleTextId, 1);
}

std::uint32_t CMPTextEditMenu::GetLeftHintTextId() { return mptext::kHintAccept; }
