#include "menus/drawing/screen_forwarding.h"

#include "foundation/system/not_built_yet.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/screen_manager.h"

namespace {

// The objective view screens come with their issue; until then the current
// one (13 or 20) has no object and the answer is 0.
int AskObjectiveView() {
  if (ScreenId != 20 && ScreenId != 13) return 0;
  if (ScreenFromId(ScreenId) != nullptr) NotBuiltYet("objective view queries");
  return 0;
}

}  // namespace

int ObjectiveViewQueryA() { return AskObjectiveView(); }
int ObjectiveViewQueryB() { return AskObjectiveView(); }

bool IsMouseOverObjectiveSelection() {
  const CMenuScreen* screen = ScreenFromId(13);
  return screen != nullptr && screen->Menu != nullptr && screen->Menu->IsMouseOverSelection();
}
