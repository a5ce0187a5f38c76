#include "foundation/time/step_timer.h"

#include "foundation/time/timer.h"

CStepTimer::CStepTimer() { Reset(); }

void CStepTimer::SetRate(float stepsPerSecond) {
  if (!(stepsPerSecond > 0.0f)) return;
  rate_ = stepsPerSecond;
  inverse_ = 1.0f / stepsPerSecond;
}

void CStepTimer::Reset() {
  last_ = CTimer::ReadMilliseconds();
  carried_ = 0.0f;
}

int CStepTimer::StepsDue(int maxSteps) {
  const std::uint32_t now = CTimer::ReadMilliseconds();
  carried_ += static_cast<float>(now - last_) * 0.001f;
  last_ = now;
  int steps = 0;
  while (carried_ >= inverse_ && steps < maxSteps) {
    carried_ -= inverse_;
    ++steps;
  }
  if (steps == maxSteps) carried_ = 0.0f;
  return steps;
}
