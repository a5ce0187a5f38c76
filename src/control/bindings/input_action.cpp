#include "control/bindings/input_action.h"

#include <cctype>
#include <cstring>

const InputActionName InputActionTable[kInputActionCount] = {
    {"FIRE", FIRE},
    {"ACTION", ACTION},
    {"NEXT_GRUNT", NEXT_GRUNT},
    {"PREV_GRUNT", PREV_GRUNT},
    {"GO", GO},
    {"STANCE", STANCE},
    {"PAUSE", PAUSE},
    {"OBJECTIVES", OBJECTIVES},
    {"STRAFE_LEFT", STRAFE_LEFT},
    {"STRAFE_RIGHT", STRAFE_RIGHT},
    {"TURN_RIGHT", TURN_RIGHT},
    {"TURN_LEFT", TURN_LEFT},
    {"FORWARD", FORWARD},
    {"BACKWARD", BACKWARD},
    {"AIM_YAW_AXIS", AIM_YAW_AXIS},
    {"AIM_PITCH_AXIS", AIM_PITCH_AXIS},
    {"TARGET_LEFT", TARGET_LEFT},
    {"TARGET_RIGHT", TARGET_RIGHT},
    {"TARGET_NEXT", TARGET_NEXT},
    {"WALK", WALK},
    {"HEAD_TOGGLE", HEAD_TOGGLE},
    {"HEAD_YAW_AXIS", HEAD_YAW_AXIS},
    {"HEAD_PITCH_AXIS", HEAD_PITCH_AXIS},
    {"HEAD_ZOOM_IN", HEAD_ZOOM_IN},
    {"HEAD_ZOOM_OUT", HEAD_ZOOM_OUT},
    {"HEAD_ZOON_NEXT", HEAD_ZOON_NEXT},
    {"ORDER", ORDER},
    {"ORDER_UP", ORDER_UP},
    {"ORDER_DOWN", ORDER_DOWN},
    {"ORDER_FOLLOW", ORDER_FOLLOW},
    {"ORDER_HOLD", ORDER_HOLD},
    {"ORDER_ADVANCE", ORDER_ADVANCE},
    {"ORDER_ALL_FOLLOW_TOGGLE", ORDER_ALL_FOLLOW_TOGGLE},
    {"ORDER_ALL_FOLLOW", ORDER_ALL_FOLLOW},
    {"ORDER_ALL_HOLD", ORDER_ALL_HOLD},
    {"ORDER_ALL_PRONE", ORDER_ALL_PRONE},
    {"ORDER_FIRE_AT_WILL_TOGGLE", ORDER_FIRE_AT_WILL_TOGGLE},
    {"ORDER_ADVANCE_YAW_AXIS", ORDER_ADVANCE_YAW_AXIS},
    {"ORDER_ADVANCE_PITCH_AXIS", ORDER_ADVANCE_PITCH_AXIS},
    {"ORDER_ADVANCE_DIRVEC_X_AXIS", ORDER_ADVANCE_DIRVEC_X_AXIS},
    {"ORDER_ADVANCE_DIRVEC_Y_AXIS", ORDER_ADVANCE_DIRVEC_Y_AXIS},
    {"ORDER_ADVANCE_ROTATE_LEFT", ORDER_ADVANCE_ROTATE_LEFT},
    {"ORDER_ADVANCE_ROTATE_RIGHT", ORDER_ADVANCE_ROTATE_RIGHT},
    {"INVENTORY", INVENTORY},
    {"INVENTORY_UP", INVENTORY_UP},
    {"INVENTORY_DOWN", INVENTORY_DOWN},
    {"INVENTORY_USE", INVENTORY_USE},
    {"INVENTORY_MODE_LEFT", INVENTORY_MODE_LEFT},
    {"INVENTORY_MODE_RIGHT", INVENTORY_MODE_RIGHT},
    {"INVENTORY_DROP", INVENTORY_DROP},
    {"GIVE_TAKE_WEAPON_AMMO", GIVE_TAKE_WEAPON_AMMO},
    {"GIVE_TAKE_AMMO", GIVE_TAKE_AMMO},
    {"PEEK_LEFT", PEEK_LEFT},
    {"PEEK_RIGHT", PEEK_RIGHT},
    {"MOVIE_CANCEL", MOVIE_CANCEL},
    {"OBJECTIVE_NEXT", OBJECTIVE_NEXT},
    {"OBJECTIVE_PREV", OBJECTIVE_PREV},
    {"OBJECTIVE_SCROLL_UP", OBJECTIVE_SCROLL_UP},
    {"OBJECTIVE_SCROLL_DOWN", OBJECTIVE_SCROLL_DOWN},
    {"OBJECTIVE_SCROLL_LEFT", OBJECTIVE_SCROLL_LEFT},
    {"OBJECTIVE_SCROLL_RIGHT", OBJECTIVE_SCROLL_RIGHT},
    {"MENU_UP", MENU_UP},
    {"MENU_DOWN", MENU_DOWN},
    {"MENU_LEFT", MENU_LEFT},
    {"MENU_RIGHT", MENU_RIGHT},
    {"MENU_BACK", MENU_BACK},
    {"MENU_FORWARD", MENU_FORWARD},
    {"GRUNT_1", GRUNT_1},
    {"GRUNT_2", GRUNT_2},
    {"GRUNT_3", GRUNT_3},
    {"GRUNT_4", GRUNT_4},
    {"GRUNT_FOLLOW_HALT_1", GRUNT_FOLLOW_HALT_1},
    {"GRUNT_FOLLOW_HALT_2", GRUNT_FOLLOW_HALT_2},
    {"GRUNT_FOLLOW_HALT_3", GRUNT_FOLLOW_HALT_3},
    {"GRUNT_FOLLOW_HALT_4", GRUNT_FOLLOW_HALT_4},
    {"QUICK_SAVE", QUICK_SAVE},
    {"TOGGLE_CHASE_TARGET", TOGGLE_CHASE_TARGET},
    {"SHOW_SCORES", SHOW_SCORES},
    {"SEND_GLOBAL_MSG", SEND_GLOBAL_MSG},
    {"SEND_TEAM_MSG", SEND_TEAM_MSG},
};

namespace {
// Equal without regard to letter case (ASCII letters).
bool SameLetters(const char* a, const char* b, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}
}  // namespace

int ActionCodeFromName(const char* name, std::size_t length) {
  if (!name) return -1;
  for (const InputActionName& row : InputActionTable)
    if (std::strlen(row.name) == length && SameLetters(row.name, name, length)) return row.code;
  return -1;
}

int ActionCodeFromName(const char* name) { return name ? ActionCodeFromName(name, std::strlen(name)) : -1; }

const char* ActionNameFromCode(int code) {
  for (const InputActionName& row : InputActionTable)
    if (row.code == code) return row.name;
  return nullptr;
}
