// Sound cues an animated object's owner can play along with channel 0: a
// list of (sound, time) pairs, ended by a negative time, each played once
// at the object's position when channel 0's time (its frame over its frame
// rate) reaches it; the list starts again once it is done and the time has
// wrapped back below the last call's.  Footsteps on a walk, a clink on a
// reload.  Main thread only.
#pragma once

class CAnimObject;
class CSoundBank;
class CSoundManager;

struct AnimSoundCue {
  int Sound = -1;     // event of the bank; negative: the list's default sound
  float Time = -1.0f; // seconds into the animation; negative ends the list
};

class CAnimSoundCues {
 public:
  // The cues stay the caller's; they must end with a negative time.
  CAnimSoundCues(const AnimSoundCue* cues, const CSoundBank* bank, int defaultSound);

  // Plays the cues that have come due through the sound manager (the game's
  // when null).  Answers how many were played.
  int Update(const CAnimObject& object, CSoundManager* sounds = nullptr);
  // From the first cue again.
  void Restart();

 private:
  const AnimSoundCue* cues_;
  const CSoundBank* bank_;
  int defaultSound_;
  int next_ = 0;
  float lastTime_ = 0.0f;
};
