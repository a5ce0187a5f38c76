// The keys the pop-up menus and player commands name by their use rather
// than by an action: each is one of the 80 actions, chosen here once.
//   inventory accept     -> INVENTORY_USE          (the inventory pop-up's accept)
//   give/take accept     -> GIVE_TAKE_WEAPON_AMMO  (the give/take pop-up's accept)
//   give                 -> GIVE_TAKE_WEAPON_AMMO  (the accept of that pop-up is the give)
//   information          -> GIVE_TAKE_AMMO         (the item's information and ammunition line)
//   order accept         -> ACTION                 (the order pop-up takes the highlighted order)
#pragma once

#include "control/bindings/input_action.h"

enum PopUpBinding {
  POPUP_INVENTORY_ACCEPT = 0,
  POPUP_GIVE_TAKE_ACCEPT,
  POPUP_GIVE,
  POPUP_INFORMATION,
  POPUP_ORDER_ACCEPT,
  POPUP_BINDING_COUNT,
};

inline constexpr InputAction kPopUpBindingAction[POPUP_BINDING_COUNT] = {
    INVENTORY_USE, GIVE_TAKE_WEAPON_AMMO, GIVE_TAKE_WEAPON_AMMO, GIVE_TAKE_AMMO, ACTION,
};

// The action of a pop-up binding; kNoAction for a number out of range.
inline int PopUpBindingAction(int binding) {
  return binding >= 0 && binding < POPUP_BINDING_COUNT ? static_cast<int>(kPopUpBindingAction[binding]) : kNoAction;
}
