// The in-game objectives screen: up to six rows of the mission's shown
// objectives (completed ones greyed and ticked) beside the map, the selected
// objective's marker on the map, and a detail mode in which the map is
// magnified about the objective and its description is read in pages.  The
// player's objectives command opens and closes it; the screen never leaves
// by itself.  Main thread only.
#pragma once

#include <cstdint>

#include "menus/screens/objective_view_screen.h"

class MissionObjective;

// The rows' item ids: 1081 + row.
inline constexpr std::uint16_t kObjectiveRowFirstId = 1081;
inline constexpr int kObjectiveRows = 6;
inline constexpr std::uint32_t kTextObjectivesTitle = 0x76E4969D;
inline constexpr std::uint32_t kTextObjectivesLeftHint = 0x24FC86A2;
inline constexpr std::uint32_t kTextObjectivesRightHint = 0x387D61DA;

class CObjectiveMenu : public CObjectiveViewScreen {
 public:
  bool Create() override;
  void Populate() override;
  void OnEnter() override;
  void OnLeave(int nextId) override;
  int Update() override;
  void Draw() override;
  std::uint32_t GetLeftHintTextId() override;
  std::uint32_t GetRightHintTextId() override;

  bool PreviousTextPage() override;
  bool NextTextPage() override;
  const char* GetParagraphText(int n) override;
  bool StepSelectedObjectiveMarker(bool next, CVector3* marker) override;

  // The objective of a row's item (its value word: the objective's number + 1).
  static MissionObjective* ObjectiveOfValue(std::uint32_t value);
  MissionObjective* SelectedObjective() const;
  // The map centred on the selected objective's marker (on the player's
  // soldier when it has none).
  void CentreOnSelectedObjective() const;

  // The row callbacks (the owner word is the screen).
  static void DrawObjectiveRow(std::uint16_t id, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                               void* owner);
  static int ObjectiveRowHitCheck(CMenu* menu, std::uint16_t id);

  // Set by each list-mode row drawing; the first detail-mode drawing clears
  // it and centres the map.
  bool RecentrePending = false;

 private:
  void DrawRow(std::uint16_t id, int x, int y);
  void DrawObjectiveMarker() const;
};

CMenuScreen* MakeObjectiveMenu();

// Where the map centres on an objective without a marker: the position of
// the soldier local player 0 controls, installed by the units (false: none).
using PlayerSoldierPositionReader = bool (*)(CVector3* out);
void SetPlayerSoldierPositionReader(PlayerSoldierPositionReader reader);
