// The mission list (ScreenId 8), reached from the cheat screen: the twelve
// campaign missions by name; choosing one starts its plug-in directly.
// Back returns to the cheat screen.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

class CMissionListMenu : public CMenuScreen {
 public:
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override { Populate(); }
};

// The program's level plug-ins by index (0 .. 18).
const char* LevelPluginName(int index);
// The mission list's rows: plug-in index, mission number, name text id.
struct MissionListRow {
  int plugin;
  int mission;
  std::uint32_t nameId;
};
inline constexpr int kMissionListRows = 12;
extern const MissionListRow kMissionList[kMissionListRows];
