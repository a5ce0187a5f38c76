// A fixed-rate timer on the performance counter: how many whole steps of
// 1 / rate seconds have come due since it last answered.
#pragma once

#include <cstdint>

class CStepTimer {
 public:
  // Rate 30 steps a second, starting from now.
  CStepTimer();
  // Stores the rate (steps a second; not above 0 keeps the old one) and its inverse.
  void SetRate(float stepsPerSecond);
  float GetRate() const { return rate_; }
  float GetStepTime() const { return inverse_; }
  // Starts counting again from now.
  void Reset();
  // Whole steps due since the last call (the rest carries over), at most maxSteps.
  int StepsDue(int maxSteps);

 private:
  float rate_ = 30.0f;
  float inverse_ = 1.0f / 30.0f;
  std::uint32_t last_ = 0;
  float carried_ = 0.0f;
};
