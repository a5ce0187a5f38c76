// The actions the key-binding screen lets the player rebind, and the rules by
// which a newly captured binding code is given to one of them: a code taken
// by an action is taken away from the other actions of its family, and a
// joystick axis given to one action of an axis pair goes to both actions of
// the pair as its two halves.  The rules edit one player row of a control
// mapper.  Main thread only.
#pragma once

#include <cstdint>

#include "control/bindings/control_mapper.h"

// One bindable action: the action, the page it is listed on (0..3), its name
// text id, the action it combines with (kNoAction: it works on its own), its
// axis-pair group (0: none; the actions of one group share one joystick
// axis) and the devices a capture for it listens to (WaitInputMask bits).
struct BindableAction {
  std::int32_t action;
  std::int32_t page;
  std::uint32_t nameId;
  std::int32_t context;
  std::int32_t pairGroup;
  std::uint32_t devices;
};

inline constexpr int kBindableActionCount = 34;
inline constexpr int kBindPages = 4;
// Followed by a row whose action is kNoAction.
extern const BindableAction kBindableActions[kBindableActionCount + 1];

// The binding code of a capture: a key's code, joystick axis n as a whole
// axis, joystick button n, mouse button n.
InputBindingCode CapturedKeyCode(int key);
InputBindingCode CapturedJoystickAxisCode(int axis);
InputBindingCode CapturedJoystickButtonCode(int button);
InputBindingCode CapturedMouseButtonCode(int button);

// The codes a capture does not take (the cursor keys, Tab, F1 and Escape):
// they drive the screen itself.
bool IsRefusedCaptureCode(InputBindingCode code);
// Escape: it ends a capture and leaves the binding as it was.
bool IsCancelCaptureCode(InputBindingCode code);

// Takes code c away from every slot of the actions of table row r's family:
// the rows with the same context action and that context action itself (for
// an action on its own: every other action on its own).
void RemoveFromContext(CControlMapper& mapper, int player, int row, InputBindingCode code);
// Gives code c to an action: the first slot holding a binding of c's device
// is replaced, else the first free slot takes it, else nothing changes.
void AssignBinding(CControlMapper& mapper, int player, int action, InputBindingCode code);
// A captured code given to table row r: a joystick axis for a row of an
// axis pair gives the pair's first row the axis's negative half and its
// second row the positive half (nothing is taken away from others); any
// other code is taken from the row's family and given to the row's action.
void ApplyCapturedCode(CControlMapper& mapper, int player, int row, InputBindingCode code);
