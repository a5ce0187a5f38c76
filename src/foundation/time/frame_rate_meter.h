// Measures how often it is stepped, smoothed (a quarter of each new reading,
// three quarters of the old rate).
#pragma once

#include <cstdint>

class CFrameRateMeter {
 public:
  CFrameRateMeter();
  // Sets the nominal rate (steps per second) and starts measuring from now.
  void SetNominalRate(float rate);
  // One step: folds the time since the last step into the rate (at least 1).
  void Update();
  float GetRate() const { return rate_; }
  float GetPeriod() const { return period_; }
  std::int64_t GetTicksPerStep() const { return ticksPerStep_; }

 private:
  std::uint64_t Read() const;

  float nominal_ = 0.0f;
  float rate_ = 1.0f;
  float period_ = 1.0f;
  std::uint64_t last_ = 0;
  std::uint64_t frequency_ = 1000;
  std::int64_t ticksPerStep_ = 0;
  bool counter_ = false;
};
