// The confirmation screen: one object under ScreenIds 21 to 27, yes and no
// side by side with "no" preselected; the current id chooses the title and
// what each answer does (overwrite a save, quit the program, leave the
// mission).  Entering pauses the world unless a network game runs or the
// front end's plug-in is up.
#pragma once

#include "menus/screens/menu_screen.h"

class CYesNoMenu : public CMenuScreen {
 public:
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override;

 private:
  int Yes();
  int No();
};

// The quit sequence of the program: music and sounds stop and the promotion
// picture is shown.
void RunQuitSequence();
