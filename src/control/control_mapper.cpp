#include "control/control_mapper.h"

#include "foundation/memory/memory_manager.h"
#include "foundation/system/not_built_yet.h"

CControlMapper* g_ControlMapper = nullptr;

bool CControlMapper::Init(int players, int slots, int actions) {
  players_ = players > 0 ? players : 0;
  slots_ = slots > 0 ? slots : 0;
  actions_ = actions > 0 ? actions : 0;
  table_.assign(static_cast<std::size_t>(players_) * slots_ * actions_, kNoBinding);
  return true;
}

int CControlMapper::Index(int player, int slot, int action) const {
  if (player < 0 || player >= players_ || slot < 0 || slot >= slots_ || action < 0 || action >= actions_) return -1;
  return (slots_ * player + slot) * actions_ + action;
}

int CControlMapper::SetBinding(int player, int slot, int action, std::int32_t code) {
  const int i = Index(player, slot, action);
  if (i >= 0) table_[static_cast<std::size_t>(i)] = code;
  return i;
}

std::int32_t CControlMapper::GetBinding(int player, int slot, int action) const {
  const int i = Index(player, slot, action);
  return i >= 0 ? table_[static_cast<std::size_t>(i)] : kNoBinding;
}

int CreateControlMapper() {
  if (g_ControlMapper != nullptr) return 1;
  MEM_OWNER();
  g_ControlMapper = MEM_NEW(MEMCAT_GAME) CControlMapper;
  if (g_ControlMapper == nullptr) return 0;
  g_ControlMapper->Init(1, kBindingSlots, kInputActionCount);
  NotBuiltYet("key binding files (\"default.key\", \"current.key\")");
  return 1;
}

void DestroyControlMapper() {
  if (g_ControlMapper == nullptr) return;
  MEM_OWNER();
  MEM_DELETE g_ControlMapper;
  g_ControlMapper = nullptr;
}
