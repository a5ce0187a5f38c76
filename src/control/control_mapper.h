// The control mapper: for each player row, each of 80 actions and each of
// three slots, the physical input bound to the action (a key, a joystick
// input or a mouse button; -1 none).  One mapper for the program, made at
// start-up.  Main thread only.
//
// The binding files ("default.key", "current.key") and the evaluation of
// actions come with the input module's own work.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr int kInputActionCount = 80;
inline constexpr int kBindingSlots = 3;
inline constexpr std::int32_t kNoBinding = -1;

class CControlMapper {
 public:
  // Sizes the table and fills it with -1.  True.
  bool Init(int players, int slots, int actions);
  // Stores a binding and answers its flat index, -1 outside the table.
  int SetBinding(int player, int slot, int action, std::int32_t code);
  // The binding, -1 outside the table.
  std::int32_t GetBinding(int player, int slot, int action) const;

  int Players() const { return players_; }
  int Slots() const { return slots_; }
  int Actions() const { return actions_; }

 private:
  int Index(int player, int slot, int action) const;

  int players_ = 0;
  int slots_ = 0;
  int actions_ = 0;
  std::vector<std::int32_t> table_;
};

// The program's mapper; null outside CreateControlMapper .. DestroyControlMapper.
extern CControlMapper* g_ControlMapper;

// Makes the mapper, 1 player x 3 slots x 80 actions.  1, or 0 when it
// cannot be allocated.
int CreateControlMapper();
// Frees the mapper (nothing when there is none).
void DestroyControlMapper();
