#include "control/local_player.h"

CLocalPlayerTable g_LocalPlayers;

void CLocalPlayer::Reset() {}

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
