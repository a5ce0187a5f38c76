// The 80 control actions.  Game code asks for actions, never for keys; the
// binding files and the key-binding screen name them by these names.
#pragma once

#include <cstdint>

enum InputAction : std::int32_t {
  FIRE = 0,
  NEXT_GRUNT = 1,
  ACTION = 2,
  PREV_GRUNT = 3,
  GO = 4,
  STANCE = 5,
  PAUSE = 6,
  OBJECTIVES = 7,
  STRAFE_LEFT = 8,
  STRAFE_RIGHT = 9,
  TURN_RIGHT = 10,
  TURN_LEFT = 11,
  FORWARD = 12,
  BACKWARD = 13,
  AIM_YAW_AXIS = 14,
  AIM_PITCH_AXIS = 15,
  TARGET_LEFT = 16,
  TARGET_RIGHT = 17,
  TARGET_NEXT = 18,
  WALK = 19,
  HEAD_TOGGLE = 20,
  HEAD_YAW_AXIS = 21,
  HEAD_PITCH_AXIS = 22,
  HEAD_ZOOM_IN = 23,
  HEAD_ZOOM_OUT = 24,
  HEAD_ZOON_NEXT = 25,  // spelt as the binding files spell it
  ORDER = 26,
  ORDER_UP = 27,
  ORDER_DOWN = 28,
  ORDER_FOLLOW = 29,
  ORDER_HOLD = 30,
  ORDER_ADVANCE = 31,
  ORDER_ALL_FOLLOW_TOGGLE = 32,
  ORDER_ALL_FOLLOW = 33,
  ORDER_ALL_HOLD = 34,
  ORDER_ALL_PRONE = 35,
  ORDER_FIRE_AT_WILL_TOGGLE = 36,
  ORDER_ADVANCE_PITCH_AXIS = 37,
  ORDER_ADVANCE_YAW_AXIS = 38,
  ORDER_ADVANCE_DIRVEC_X_AXIS = 39,
  ORDER_ADVANCE_DIRVEC_Y_AXIS = 40,
  ORDER_ADVANCE_ROTATE_LEFT = 41,
  ORDER_ADVANCE_ROTATE_RIGHT = 42,
  INVENTORY = 43,
  INVENTORY_UP = 44,
  INVENTORY_DOWN = 45,
  INVENTORY_USE = 46,
  INVENTORY_MODE_LEFT = 47,
  INVENTORY_MODE_RIGHT = 48,
  INVENTORY_DROP = 49,
  GIVE_TAKE_WEAPON_AMMO = 50,
  GIVE_TAKE_AMMO = 51,
  PEEK_LEFT = 52,
  PEEK_RIGHT = 53,
  MOVIE_CANCEL = 54,
  OBJECTIVE_NEXT = 55,
  OBJECTIVE_PREV = 56,
  OBJECTIVE_SCROLL_UP = 57,
  OBJECTIVE_SCROLL_DOWN = 58,
  OBJECTIVE_SCROLL_LEFT = 59,
  OBJECTIVE_SCROLL_RIGHT = 60,
  MENU_UP = 61,
  MENU_DOWN = 62,
  MENU_LEFT = 63,
  MENU_RIGHT = 64,
  MENU_BACK = 65,
  MENU_FORWARD = 66,
  GRUNT_1 = 67,
  GRUNT_2 = 68,
  GRUNT_3 = 69,
  GRUNT_4 = 70,
  GRUNT_FOLLOW_HALT_1 = 71,
  GRUNT_FOLLOW_HALT_2 = 72,
  GRUNT_FOLLOW_HALT_3 = 73,
  GRUNT_FOLLOW_HALT_4 = 74,
  QUICK_SAVE = 75,
  TOGGLE_CHASE_TARGET = 76,
  SHOW_SCORES = 77,
  SEND_GLOBAL_MSG = 78,
  SEND_TEAM_MSG = 79,
};

inline constexpr int kInputActionCount = 80;
// The "no second action" of an analogue pair.
inline constexpr int kNoAction = kInputActionCount;

struct InputActionName {
  const char* name;
  InputAction code;
};
// The name table, in the order the files and screens list it (code order,
// except that ACTION comes before NEXT_GRUNT and ORDER_ADVANCE_YAW_AXIS
// before ORDER_ADVANCE_PITCH_AXIS).  Look actions up by name or code, never
// by row.
extern const InputActionName InputActionTable[kInputActionCount];

// The code of an action name (any letter case), or -1.
int ActionCodeFromName(const char* name);
// The same for a name that is not terminated (length characters).
int ActionCodeFromName(const char* name, std::size_t length);
// The name of an action code, or null.
const char* ActionNameFromCode(int code);
