#include "foundation/time/timer.h"

#include <atomic>

#include "platform/win32/clocks.h"

namespace {
constinit std::atomic<long long> gFrequency{0};

long long Frequency() {
  long long f = gFrequency.load();
  if (f == 0) {
    LARGE_INTEGER q{};
    if (!QueryPerformanceFrequency(&q) || q.QuadPart <= 0) q.QuadPart = 1000;
    f = q.QuadPart;
    gFrequency.store(f);
  }
  return f;
}
}  // namespace

std::uint32_t CTimer::ReadMilliseconds() {
  LARGE_INTEGER c{};
  QueryPerformanceCounter(&c);
  return static_cast<std::uint32_t>(static_cast<unsigned long long>(static_cast<double>(c.QuadPart) * 1000.0 /
                                                                    static_cast<double>(Frequency())));
}

CTimer::CTimer() {
  Frequency();
  s_.running = 1;
  Reset();
  s_.rampActive = 0;
  s_.rampTarget = 1.0f;
  s_.rampRate = 1.0f;
}

void CTimer::Reset() {
  s_.startTime = ReadMilliseconds();
  s_.frameTimeMs = 16;
  s_.frameTime = 1.0f / 60.0f;
  s_.gameTime = 0;
  s_.elapsedTime = 0;
  s_.ticksPerSecond = 1000;
  s_.timeScale = 1.0f;
  for (float& sample : s_.samples) sample = 1.0f / 60.0f;
  s_.averageFrameTime = 1.0f / 60.0f;
  s_.sampleIndex = 0;
  s_.minFrameTime = 0xFFFFFFFFu;
  s_.maxFrameTime = 0;
  s_.nextMinMaxReset = 5000;
  s_.minMaxResetInterval = 5000;
  s_.minMaxResetEnabled = 0;
  s_.frameCounter = 0;
  s_.savedFrameTime = s_.frameTime;
  s_.savedFrameTimeMs = s_.frameTimeMs;
  s_.lastReading = 0;
  s_.milliseconds = s_.seconds = s_.minutes = s_.hours = 0;
  s_.rawFrameTime = 0;
}

void CTimer::Update() {
  std::uint32_t now = fixedFrameMs_ != 0 ? s_.startTime + s_.elapsedTime + fixedFrameMs_ : ReadMilliseconds();
  if (now == s_.lastReading) {
    ++s_.frameCounter;
    return;
  }
  s_.lastReading = now;
  std::uint32_t raw = now - s_.startTime - s_.elapsedTime;
  s_.rawFrameTime = raw;
  if (s_.running == 1) {
    if (raw < s_.minFrameTime) s_.minFrameTime = raw;
    if (raw > s_.maxFrameTime) s_.maxFrameTime = raw;
    double scaled = static_cast<double>(raw) * s_.timeScale;
    std::uint32_t frameMs = scaled > 500.0 ? 500u : (scaled > 0.0 ? static_cast<std::uint32_t>(scaled) : 0u);
    s_.frameTimeMs = frameMs;
    s_.gameTime += frameMs;
  } else {
    s_.frameTimeMs = 0;
  }
  s_.elapsedTime = now - s_.startTime;

  // Clock parts of the game time.
  const std::uint32_t t = s_.ticksPerSecond ? s_.ticksPerSecond : 1000;
  std::uint32_t g = s_.gameTime;
  s_.hours = g / (t * 3600);
  g -= s_.hours * t * 3600;
  s_.minutes = g / (t * 60);
  g -= s_.minutes * t * 60;
  s_.seconds = g / t;
  s_.milliseconds = g - s_.seconds * t;

  s_.frameTime = static_cast<float>(s_.frameTimeMs) / static_cast<float>(t);
  s_.sampleIndex = (s_.sampleIndex + 1) % 30;
  s_.samples[s_.sampleIndex] = s_.frameTime;
  float sum = 0.0f;
  for (float sample : s_.samples) sum += sample;
  s_.averageFrameTime = sum * 0.033333335f;

  if (s_.minMaxResetEnabled && s_.gameTime > s_.nextMinMaxReset) {
    s_.maxFrameTime = 0;
    s_.minFrameTime = 0xFFFFFFFFu;
    s_.nextMinMaxReset = s_.gameTime + s_.minMaxResetInterval;
  }
  ++s_.frameCounter;

  if (s_.rampActive) {
    float step = s_.rampRate * s_.frameTime;
    if (s_.timeScale < s_.rampTarget) {
      s_.timeScale += step;
      if (s_.timeScale >= s_.rampTarget) {
        s_.timeScale = s_.rampTarget;
        s_.rampActive = 0;
      }
    } else if (s_.timeScale > s_.rampTarget) {
      s_.timeScale -= step;
      if (s_.timeScale <= s_.rampTarget) {
        s_.timeScale = s_.rampTarget;
        s_.rampActive = 0;
      }
    } else {
      s_.rampActive = 0;
    }
  }
}

float CTimer::GetFramesPerSecond() const {
  return s_.rawFrameTime ? 1000.0f / static_cast<float>(s_.rawFrameTime) : 0.0f;
}

void CTimer::SetTimeScale(float scale) {
  s_.timeScale = scale;
  s_.rampActive = 0;
}

void CTimer::RampTimeScale(float target, float rate) {
  s_.rampActive = 1;
  s_.rampTarget = target;
  s_.rampRate = rate;
}

std::uint32_t CTimer::GetCyclePhase(std::uint32_t period, std::uint32_t range) const {
  if (period == 0) return 0;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(s_.gameTime % period) * range / period);
}

void CTimer::SetRunning(std::uint32_t flag) {
  if (flag == 1) {
    if (s_.running != 1) {
      s_.frameTime = s_.savedFrameTime;
      s_.frameTimeMs = s_.savedFrameTimeMs;
    }
    s_.running = 1;
  } else {
    if (s_.running == 1) {
      s_.savedFrameTime = s_.frameTime;
      s_.savedFrameTimeMs = s_.frameTimeMs;
    }
    s_.running = 0;
  }
}

std::uint32_t CTimer::ToTicks(std::uint32_t hours, std::uint32_t minutes, std::uint32_t seconds,
                              std::uint32_t ms) const {
  return ((hours * 60 + minutes) * 60 + seconds) * s_.ticksPerSecond + ms;
}

void CTimer::SplitMilliseconds(std::uint32_t ms, std::uint32_t* hours, std::uint32_t* minutes,
                               std::uint32_t* seconds, std::uint32_t* milliseconds) {
  std::uint32_t h = ms / 3600000;
  std::uint32_t rest = ms - h * 3600000;
  if (hours) *hours = h;
  if (minutes) *minutes = rest / 60000;
  if (seconds) *seconds = rest % 60000 / 1000;
  if (milliseconds) *milliseconds = rest % 1000;
}
