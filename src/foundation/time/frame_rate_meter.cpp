#include "foundation/time/frame_rate_meter.h"

#include "platform/win32/clocks.h"

CFrameRateMeter::CFrameRateMeter() {
  LARGE_INTEGER f{};
  counter_ = QueryPerformanceFrequency(&f) && f.QuadPart > 0;
  frequency_ = counter_ ? static_cast<std::uint64_t>(f.QuadPart) : 1000;
  last_ = Read();
}

std::uint64_t CFrameRateMeter::Read() const {
  if (!counter_) return timeGetTime();
  LARGE_INTEGER c{};
  // A reading of 0 is a failed one: ask again (a few times at most).
  for (int tries = 0; tries < 1000; ++tries) {
    if (QueryPerformanceCounter(&c) && c.QuadPart != 0) break;
  }
  return static_cast<std::uint64_t>(c.QuadPart);
}

void CFrameRateMeter::SetNominalRate(float rate) {
  if (!(rate > 0.0f)) rate = 1.0f;
  nominal_ = rate;
  rate_ = rate;
  period_ = 1.0f / rate;
  ticksPerStep_ = static_cast<std::int64_t>(static_cast<double>(frequency_) / rate);
  last_ = Read();
}

void CFrameRateMeter::Update() {
  std::uint64_t now = Read();
  if (now == last_) return;
  std::uint64_t delta = now - last_;
  last_ = now;
  rate_ = static_cast<float>(static_cast<double>(frequency_) / static_cast<double>(delta)) * 0.25f + rate_ * 0.75f;
  if (rate_ < 1.0f) rate_ = 1.0f;
  period_ = 1.0f / rate_;
}
