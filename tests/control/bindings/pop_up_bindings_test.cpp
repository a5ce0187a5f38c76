// The pop-ups' keys named by their use: each is an action the demo key file
// binds, so a player can press it.
#include "control/bindings/pop_up_bindings.h"

#include <gtest/gtest.h>

#include "control/bindings/control_mapper.h"
#include "control/bindings/key_names.h"

namespace {

TEST(PopUpBindings, EachIsAnActionTheDemoKeysBind) {
  CControlMapper keys;
  keys.Init(1, kBindingSlots, kInputActionCount);
  ASSERT_TRUE(keys.LoadBindings(DEMO_KEY_FILE, 0));
  for (int b = 0; b < POPUP_BINDING_COUNT; ++b) {
    const int action = PopUpBindingAction(b);
    ASSERT_LT(action, kInputActionCount) << b;
    EXPECT_NE(keys.GetBinding(0, 0, action), kNoBinding) << ActionNameFromCode(action);
  }
  // The accept of the inventory and of the order pop-up differ from the
  // give/take keys, which open and work the other pop-up.
  EXPECT_NE(PopUpBindingAction(POPUP_INVENTORY_ACCEPT), PopUpBindingAction(POPUP_GIVE_TAKE_ACCEPT));
  EXPECT_NE(PopUpBindingAction(POPUP_INFORMATION), PopUpBindingAction(POPUP_GIVE));
  EXPECT_EQ(PopUpBindingAction(-1), kNoAction);
  EXPECT_EQ(PopUpBindingAction(POPUP_BINDING_COUNT), kNoAction);
}

}  // namespace
