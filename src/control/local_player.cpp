#include "control/local_player.h"

CLocalPlayerTable g_LocalPlayers;

void CLocalPlayer::Reset() {
  ControlMode = CONTROL_STEER;
  TurnAxis = ForwardAxis = StrafeAxis = AimYawAxis = AimPitchAxis = 0.0f;
  InventoryPopup = GiveTakePopup = VehiclePopup = OrderPopup = 0;
  Soldier = nullptr;
}

CLocalPlayer* CLocalPlayerTable::Add() {
  if (count_ >= kLocalPlayerCount) return nullptr;
  CLocalPlayer* p = &records_[count_];
  p->Reset();
  p->BindingRow = count_;
  p->ControllerSlot = count_;
  ++count_;
  return p;
}

void CLocalPlayerTable::RemoveAll() { count_ = 0; }

CLocalPlayer* CLocalPlayerTable::Get(int i) { return i >= 0 && i < count_ ? &records_[i] : nullptr; }
