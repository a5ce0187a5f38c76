#include "control/players/local_player_table.h"

#include "control/input/input.h"
#include "foundation/system/not_built_yet.h"

CLocalPlayerTable g_LocalPlayers;

CLocalPlayer* CLocalPlayerTable::Add() {
  // A fifth player has no record.
  if (count_ >= kLocalPlayerCount) return nullptr;
  CLocalPlayer* p = &records_[count_];
  p->Reset();
  p->bindingRow = count_;
  p->controllerSlot = count_;
  ++count_;
  AssignControllers();
  return p;
}

void CLocalPlayerTable::AssignControllers() {
  const int pads = g_Input ? g_Input->GetJoystickCount() : 0;
  assignedPads_ = pads;
  if (count_ == 1) {
    CLocalPlayer& only = records_[0];
    only.controllerSlot = 0;
    only.controllerFlags |= CONTROLLER_KEYBOARD_MOUSE;
    if (pads > 0) only.controllerFlags |= CONTROLLER_JOYSTICK;
    return;
  }
  for (int i = 0; i < count_; ++i) {
    CLocalPlayer& p = records_[i];
    if (i == 0) {
      p.controllerSlot = 0;
      p.controllerFlags = CONTROLLER_KEYBOARD_MOUSE;
    } else {
      p.controllerSlot = pads >= count_ ? i : i - 1;
      p.controllerFlags = CONTROLLER_JOYSTICK;
    }
  }
}

void CLocalPlayerTable::RemoveAll() {
  for (int i = 0; i < count_; ++i) {
    CLocalPlayer& p = records_[i];
    if (p.InventoryPopup || p.GiveTakePopup || p.VehiclePopup || p.OrderPopup) {
      static const bool said = (NotBuiltYet("local player pop-up menus"), true);
      (void)said;
      p.InventoryPopup = p.GiveTakePopup = p.VehiclePopup = p.OrderPopup = 0;
    }
  }
  // The soldiers and cameras go with the level: no record keeps them.
  for (CLocalPlayer& p : records_) {
    p.Soldier = nullptr;
    p.camera = nullptr;
  }
  ResetActionStates();
  count_ = 0;
  assignedPads_ = -1;
}

void CLocalPlayerTable::UpdateAll() {
  if (count_ > 0 && g_Input && g_Input->GetJoystickCount() != assignedPads_) AssignControllers();
  for (int i = 0; i < count_; ++i) records_[i].SampleInput();
}

void CLocalPlayerTable::SuppressStanceUntilRelease() {
  for (int i = 0; i < count_; ++i) records_[i].waitForStanceRelease = 1;
}

void CLocalPlayerTable::ResetActionStates() {
  for (int i = 0; i < count_; ++i) records_[i].ResetActionStates();
}

void CLocalPlayerTable::DrawAll() {
  if (count_ == 0) return;
  static const bool said = (NotBuiltYet("aiming view overlay text"), true);
  (void)said;
}

CLocalPlayer* CLocalPlayerTable::Get(int i) { return i >= 0 && i < count_ ? &records_[i] : nullptr; }

CLocalPlayer* CLocalPlayerTable::Record(int i) { return i >= 0 && i < kLocalPlayerCount ? &records_[i] : nullptr; }
