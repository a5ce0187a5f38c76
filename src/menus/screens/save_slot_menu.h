// What the load and save screens share: the slot table of saved games found
// in the working directory ("*.sav"), newest first from slot 1 (slot 0 is
// the save screen's new-save row), at most 44 files; the menu set-up, the
// panels and the rows with each file's date.  Main thread only.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

inline constexpr int kSaveSlots = 45;
inline constexpr int kSaveSlotBytes = 255;

// The shared slot table, rebuilt at each populate.
struct SaveSlotTable {
  char Names[kSaveSlots][kSaveSlotBytes] = {};
  // Each file's last-write time, read once when the file is found (false
  // when it could not be read: such a file is never later than another).
  std::uint64_t Times[kSaveSlots] = {};
  bool HasTime[kSaveSlots] = {};
  int Count = 1;
};
extern SaveSlotTable g_SaveSlots;

class CSaveSlotMenu : public CMenuScreen {
 public:
  // Inserts a found file by its last-write time (newer first, equal times in
  // scan order, the oldest dropped past 44); a name that does not fit a slot
  // is skipped.  Always 0: the scan goes on.
  static int OnFileFound(const char* path, void* context);
  // The same for a file whose time the scan already read (file-time ticks).
  static int OnFileFoundWithTime(const char* path, std::uint64_t lastWrite, void* context);
  // Empties the table and scans the working directory.
  static void ScanSaves();

  void OnEnter() override;

 protected:
  static void InsertSave(const char* path, std::uint64_t time, bool hasTime);

  // The standard menu of the list: rows of 548 x 20 inside the list panel,
  // scroll arrows always shown.
  void SetUpList();
  // The outer panel (700 x height), the list panel, its header and the title.
  void DrawPanels(float outerHeight, std::uint32_t titleId);
  // A row: the name without extension cut to the name column, the file's
  // date in the date column; `shown` replaces the name when not null.
  void DrawRow(std::uint16_t id, int x, int y, const char* fileName, const char* shown);
  float OuterLeft() const;
  float OuterTop(float outerHeight) const;
};

// The file name without its folder.
const char* SaveFileBaseName(const char* path);
// The date column's text of a file ("%02d-%02d-%4d  %02d:%02d", day first);
// false when the file's time cannot be read.
bool FormatSaveDate(const char* fileName, char* out, int size);
