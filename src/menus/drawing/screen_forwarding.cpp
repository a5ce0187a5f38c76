#include "menus/drawing/screen_forwarding.h"

#include "menus/screens/menu_screen.h"
#include "menus/screens/objective_view_screen.h"
#include "menus/screens/screen_manager.h"

namespace {

// The objective view of the current screen (the briefing or the objectives
// screen), or null.
CObjectiveViewScreen* CurrentObjectiveView() {
  if (ScreenId != 20 && ScreenId != 13) return nullptr;
  return dynamic_cast<CObjectiveViewScreen*>(ScreenFromId(ScreenId));
}

}  // namespace

int ObjectiveViewQueryA() {
  CObjectiveViewScreen* view = CurrentObjectiveView();
  return view != nullptr && view->PreviousTextPage() ? 1 : 0;
}

int ObjectiveViewQueryB() {
  CObjectiveViewScreen* view = CurrentObjectiveView();
  return view != nullptr && view->NextTextPage() ? 1 : 0;
}

bool IsMouseOverObjectiveSelection() {
  const CMenuScreen* screen = ScreenFromId(13);
  return screen != nullptr && screen->Menu != nullptr && screen->Menu->IsMouseOverSelection();
}
