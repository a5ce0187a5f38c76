// The game's mission record for a screen test: a fresh CMission in g_Mission
// with the level names the test gives, freed (and g_Mission emptied) when
// the test ends, and the shell's return-to-front-end word cleared both ways.
#pragma once

#include <memory>

#include "shell/mission/mission.h"
#include "shell/program/shell_state.h"

class TestMissionRecord {
 public:
  TestMissionRecord(const char* level, const char* next) : record_(std::make_unique<CMission>()) {
    if (level != nullptr) record_->SetLevelName(level);
    if (next != nullptr) record_->SetNextLevel(next);
    previous_ = g_Mission;
    g_Mission = record_.get();
    ReturnToFrontEnd = 0;
  }
  ~TestMissionRecord() {
    g_Mission = previous_;
    ReturnToFrontEnd = 0;
  }
  TestMissionRecord(const TestMissionRecord&) = delete;
  TestMissionRecord& operator=(const TestMissionRecord&) = delete;
  CMission& operator*() const { return *record_; }
  CMission* operator->() const { return record_.get(); }

 private:
  std::unique_ptr<CMission> record_;
  CMission* previous_ = nullptr;
};
