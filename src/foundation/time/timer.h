// The engine's clocks.  A `CTimer` turns performance-counter readings into
// whole milliseconds and keeps, per frame, a frame time scaled by a time
// scale (slow motion and its ramps, capped at 500 ms), a game time that
// stops while paused, the game time split into clock parts, and a 30-frame
// average.  The engine keeps a game clock and a real-time clock and steps
// both once a frame.
#pragma once

#include <cstdint>

class CTimer {
 public:
  // Every field, in order; a saved game keeps a copy.
  struct State {
    std::uint32_t running;
    std::uint32_t ticksPerSecond;
    std::uint32_t startTime;
    std::uint32_t elapsedTime;
    std::uint32_t gameTime;
    std::uint32_t frameTimeMs;
    std::uint32_t milliseconds;
    std::uint32_t seconds;
    std::uint32_t minutes;
    std::uint32_t hours;
    float timeScale;
    float samples[30];
    std::uint32_t sampleIndex;
    float frameTime;
    float averageFrameTime;
    std::uint32_t maxFrameTime;
    std::uint32_t minFrameTime;
    std::uint32_t nextMinMaxReset;
    std::uint32_t minMaxResetEnabled;
    std::uint32_t minMaxResetInterval;
    std::uint32_t rawFrameTime;
    std::uint32_t frameCounter;
    float savedFrameTime;
    std::uint32_t savedFrameTimeMs;
    std::uint32_t lastReading;
    std::uint32_t rampActive;
    float rampTarget;
    float rampRate;
  };

  CTimer();

  // Starts again from now with the default frame time (16 ms, 1/60 s).
  void Reset();
  // The per-frame step.
  void Update();

  // Frame time in seconds, already scaled.
  float GetFrameTime() const { return s_.frameTime; }
  // Frame time in whole milliseconds, scaled and capped.
  std::uint32_t GetFrameTimeMs() const { return s_.frameTimeMs; }
  // 1000 / the unscaled frame time in ms; 0 before any time has passed.
  float GetFramesPerSecond() const;
  // Average of the last 30 frame times, in seconds.
  float GetAverageFrameTime() const { return s_.averageFrameTime; }
  std::uint32_t GetGameTime() const { return s_.gameTime; }
  std::uint32_t GetElapsedTime() const { return s_.elapsedTime; }
  std::uint32_t GetFrameCounter() const { return s_.frameCounter; }
  std::uint32_t GetHours() const { return s_.hours; }
  std::uint32_t GetMinutes() const { return s_.minutes; }
  std::uint32_t GetSeconds() const { return s_.seconds; }
  std::uint32_t GetMilliseconds() const { return s_.milliseconds; }
  std::uint32_t GetMinFrameTime() const { return s_.minFrameTime; }
  std::uint32_t GetMaxFrameTime() const { return s_.maxFrameTime; }
  bool IsRunning() const { return s_.running == 1; }
  bool IsRamping() const { return s_.rampActive != 0; }

  // Sets the time scale and stops any ramp.
  void SetTimeScale(float scale);
  // Time scale back to 1 (a ramp keeps going).
  void ResetTimeScale() { s_.timeScale = 1.0f; }
  // Moves the time scale toward target by rate per second of frame time.
  void RampTimeScale(float target, float rate);
  float GetTimeScale() const { return s_.timeScale; }
  // Position inside a repeating cycle: (game time mod period) x range /
  // period; 0 for a period of 0.
  std::uint32_t GetCyclePhase(std::uint32_t period, std::uint32_t range) const;
  // 1 resumes (frame times restored), anything else pauses.
  void SetRunning(std::uint32_t flag);
  // Switches the periodic reset of the minimum and maximum frame times.
  void EnableMinMaxReset(bool enable) { s_.minMaxResetEnabled = enable ? 1 : 0; }

  // ((hours x 60 + minutes) x 60 + seconds) x ticks per second + ms.
  std::uint32_t ToTicks(std::uint32_t hours, std::uint32_t minutes, std::uint32_t seconds, std::uint32_t ms) const;
  // Splits milliseconds into clock parts; each output may be null.
  static void SplitMilliseconds(std::uint32_t ms, std::uint32_t* hours, std::uint32_t* minutes,
                                std::uint32_t* seconds, std::uint32_t* milliseconds);
  void SubtractFromGameTime(std::uint32_t ms) { s_.gameTime -= ms; }
  // Moves the start on: the elapsed real time then reads less.
  void AddToStartTime(std::uint32_t ms) { s_.startTime += ms; }
  // Moves the elapsed time by a signed offset at once (a clock taken from
  // another machine's): the start moves the other way.
  void Shift(std::int32_t ms) {
    s_.startTime -= static_cast<std::uint32_t>(ms);
    s_.elapsedTime += static_cast<std::uint32_t>(ms);
  }

  void SaveState(State* out) const { *out = s_; }
  void RestoreState(const State& in) { s_ = in; }

  // The millisecond reading of the performance counter.
  static std::uint32_t ReadMilliseconds();

  // With ms above 0, every Update moves the clock on by exactly ms, whatever
  // the counter reads (runs of a fixed number of frames that must show the
  // same moments on any machine); 0 goes back to the counter.
  void SetFixedFrameTime(std::uint32_t ms) { fixedFrameMs_ = ms; }
  std::uint32_t GetFixedFrameTime() const { return fixedFrameMs_; }

 private:
  State s_{};
  std::uint32_t fixedFrameMs_ = 0;  // not part of the saved state
};
