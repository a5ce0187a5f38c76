#include "menus/screens/save_game_menu.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "control/input/input.h"
#include "control/keymap/key_map.h"
#include "foundation/files/disk_helpers.h"
#include "foundation/system/not_built_yet.h"
#include "menus/drawing/text_boxes.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/mission_record_link.h"
#include "menus/screens/saved_games_link.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_size.h"
#include "menus/screens/screen_text_ids.h"
#include "menus/widgets/menu_edit_item.h"
#include "menus/widgets/screen_menu.h"
#include "render/2d/font.h"
#include "shell/program/game_objects.h"

namespace {

constexpr std::uint16_t kFirstRow = 5201;
constexpr int kEditLength = 30;

void DrawSaveRow(std::uint16_t id, int x, int y, int, int, std::uint16_t, void* owner) {
  auto* screen = static_cast<CSaveGameMenu*>(owner);
  if (screen == nullptr) return;
  const std::uint32_t slot = screen->Menu->GetItemValue(id);
  if (slot >= static_cast<std::uint32_t>(kSaveSlots)) return;
  screen->DrawSaveRowAt(id, x, y, static_cast<int>(slot));
}

// The name with ".sav" in place of any extension.
void WithSaveExtension(const char* name, char* out, int size) {
  std::snprintf(out, static_cast<std::size_t>(size), "%s", name);
  if (char* dot = std::strrchr(out, '.')) *dot = '\0';
  const std::size_t n = std::strlen(out);
  if (n + 4 < static_cast<std::size_t>(size)) std::memcpy(out + n, ".sav", 5);
}

}  // namespace

namespace {
DefaultSaveNameFn g_defaultSaveName = nullptr;
}  // namespace

void SetDefaultSaveNameFunction(DefaultSaveNameFn fn) { g_defaultSaveName = fn; }

void MakeDefaultSaveName(char* out, int size) {
  if (size <= 0) return;
  if (g_defaultSaveName != nullptr) {
    out[0] = '\0';
    if (g_defaultSaveName(out, size)) {
      // The row shows the name without its extension.
      if (char* dot = std::strrchr(out, '.')) *dot = '\0';
      return;
    }
    out[0] = '\0';
  }
  // Without the mission record's maker: "Save <n>".
  NotBuiltYet("mission record's default save name (mission title)");
  for (int n = 1; n < 1000; ++n) {
    char file[64];
    std::snprintf(out, static_cast<std::size_t>(size), "Save %d", n);
    std::snprintf(file, sizeof file, "%s.sav", out);
    if (FileExistsOnDisk(file) == 0) return;
  }
}

bool CSaveGameMenu::Create() {
  Menu = new CScreenMenu(g_MainFont, g_InterfaceSprites, 1);
  if (!Menu->AllocateItems(kSaveSlots)) return false;
  for (CMenuEditItem*& edit : edits_) {
    edit = new CMenuEditItem;
    if (!Menu->AddItem(edit)) return false;
  }
  return true;
}

void CSaveGameMenu::Populate() {
  SetUpList();
  ScanSaves();
  SaveFailed = false;
  for (CMenuEditItem* edit : edits_) edit->Clear();
  const int count = g_SaveSlots.Count < kSaveSlots ? g_SaveSlots.Count : kSaveSlots;
  MakeDefaultSaveName(Buffers[0], kSaveSlotBytes);
  for (int k = 0; k < count; ++k) {
    if (k > 0) {
      std::snprintf(Buffers[k], kSaveSlotBytes, "%s", g_SaveSlots.Names[k]);
      if (char* dot = std::strrchr(Buffers[k], '.')) *dot = '\0';
    }
    CMenuEditItem* edit = edits_[k];
    edit->Set(static_cast<std::uint16_t>(kFirstRow + k), kMenuNoText, 0, 0, static_cast<std::uint32_t>(k), DrawSaveRow,
              nullptr);
    // The buffer is cut to the edit length: a longer name keeps its start.
    edit->SetBuffer(Buffers[k], kEditLength, 0);
    edit->Filter = MENU_EDIT_LETTERS_DIGITS;
    Menu->OnItemAdded(edit);
  }
  Menu->SelectFirstEnabled();
  Menu->ScrollToSelection();
}

void CSaveGameMenu::OnEnter() {
  CSaveSlotMenu::OnEnter();
  EnableKeyMap(0);
  if (g_Input != nullptr) g_Input->FlushTextInput();
}

int CSaveGameMenu::Update() {
  const std::uint16_t id = Menu->Process();
  if (id >= kFirstRow && id < kFirstRow + kSaveSlots) {
    const int slot = static_cast<int>(Menu->GetItemValue(id));
    if (slot >= 0 && slot < kSaveSlots && Buffers[slot][0] != '\0') {
      char name[kSaveSlotBytes];
      WithSaveExtension(Buffers[slot], name, sizeof name);
      const char* old = g_SaveSlots.Names[slot];
      const bool renamed = old[0] != '\0' && strcasecmp(old, name) != 0;
      if (FileExistsOnDisk(name) == 0 && !renamed) {
        if (!SaveGameToFile(name, 0)) {
          // The failure is shown and the screen stays: nothing was saved.
          SaveFailed = true;
          return 0;
        }
        if (MissionRecordResult() == 0) MissionRecordCountSave();
        SetScreen(MissionRecordResult() == 0 ? 15 : 19);
      } else {
        SetSelectedSaveName(name);
        SetScreen(23);
      }
      return 0;
    }
  }
  if (BackPressed(0) != 0) SetScreen(MissionRecordResult() == 0 ? 15 : 19);
  return 0;
}

void CSaveGameMenu::Draw() {
  DrawPanels(418.0f, kTextSaveTitle);
  const float sx = InterfaceScaleX(), sy = InterfaceScaleY();
  const int x = static_cast<int>(OuterLeft()), w = static_cast<int>(700.0f * sx);
  const int foot = static_cast<int>(OuterTop(418.0f) + 418.0f * sy - 60.0f * sy);
  if (SaveFailed) {
    DrawLocaleText(kTextSaveFailed, x, foot - static_cast<int>(30.0f * sy), w, 0);
  } else if (MissionRecordResult() == 0) {
    const char* format = CMenu::TextOf(kTextSavesLeft);
    if (format != nullptr) {
      char line[128];
      std::snprintf(line, sizeof line, format, MissionRecordSavesLeft());
      DrawTextBox(line, x, foot - static_cast<int>(30.0f * sy), w, 0);
    }
  }
}

void CSaveGameMenu::DrawSaveRowAt(std::uint16_t id, int x, int y, int slot) {
  // The selected row shows its edit buffer with the cursor; the date is that
  // of the file the buffer names.
  char file[kSaveSlotBytes];
  WithSaveExtension(Buffers[slot], file, sizeof file);
  if (id == Menu->SelectedId && Menu->Font != nullptr) {
    DrawRow(id, x, y, file, "");
    Menu->Font->SetColour(Menu->HighlightColour);
    Menu->Font->DrawStringWithCursor(Buffers[slot], edits_[slot]->Cursor, x + static_cast<int>(10.0f * InterfaceScaleX()),
                                     y + static_cast<int>(InterfaceScaleY() * 2.0f));
    return;
  }
  DrawRow(id, x, y, file, Buffers[slot]);
}
