// The music intensity meter: ten contributions, one per kind of game event,
// whose sum is the level L.  An event sets its kind's contribution to the
// kind's preset (it does not add); every frame the level falls by 0.1 a
// second, the contributions keeping their shares, and never rises above
// 3.9.  The interactive music reads the level as 1.0 .. 4.9.  Main thread only.
#pragma once

class CMusicIntensity {
 public:
  static constexpr int kKinds = 10;

  // Sets the contribution of `kind` (0..9) to its preset, unless locked;
  // other kinds are ignored.
  void AddEvent(int kind);
  // L + 1.0.
  float GetLevel() const { return level_ + 1.0f; }
  // L := value - 1.0.
  void SetLevel(float value) { level_ = value - 1.0f; }
  // The per-frame decay over `frameSeconds` of game time, unless locked.
  void Update(float frameSeconds);
  // While locked, events and the decay leave the meter alone.
  void SetLocked(bool locked) { locked_ = locked; }
  bool IsLocked() const { return locked_; }
  float GetContribution(int kind) const { return kind >= 0 && kind < kKinds ? c_[kind] : 0.0f; }
  // Every contribution and the level back to 0.
  void Reset();

 private:
  bool locked_ = false;
  float level_ = 0.0f;
  float c_[kKinds] = {};
};
