// Takes an instance out of the world's line checks for a scope (the player's
// own soldier or vehicle while its aim line or camera line is tested): the
// instance is disabled meanwhile, which both the zone walk and the flat test
// honour, and its own disabled state is given back afterwards.
#pragma once

#include "world/environment/env_instance.h"

class LeftOutOfLineChecks {
 public:
  explicit LeftOutOfLineChecks(CEnvInstance* instance) : instance_(instance) {
    if (instance_ == nullptr) return;
    wasDisabled_ = (instance_->Flags & INSTF_DISABLED) != 0;
    instance_->Disable();
  }
  ~LeftOutOfLineChecks() {
    if (instance_ != nullptr && !wasDisabled_) instance_->Enable();
  }
  LeftOutOfLineChecks(const LeftOutOfLineChecks&) = delete;
  LeftOutOfLineChecks& operator=(const LeftOutOfLineChecks&) = delete;

 private:
  CEnvInstance* instance_;
  bool wasDisabled_ = false;
};
