#include "world/animation/anim_sound_cues.h"

#include "sound/sound_manager.h"
#include "world/animation/anim_object.h"

CAnimSoundCues::CAnimSoundCues(const AnimSoundCue* cues, const CSoundBank* bank, int defaultSound)
    : cues_(cues), bank_(bank), defaultSound_(defaultSound) {}

void CAnimSoundCues::Restart() {
  next_ = 0;
  lastTime_ = 0.0f;
}

int CAnimSoundCues::Update(const CAnimObject& object, CSoundManager* sounds) {
  if (sounds == nullptr) sounds = g_SoundManager;
  if (cues_ == nullptr) return 0;
  const float rate = object.GetChannelFrameRate(0);
  if (!(rate > 0.0f)) return 0;
  // While channel 0 blends its frame word holds the blend weight; the frame
  // it plays from is its start frame.
  const AnimChannel& channel = object.GetChannel(0);
  const float frame = channel.Blending != 0 ? channel.StartFrame : channel.CurrentFrame;
  const float time = frame / rate;

  if (cues_[next_].Time < 0.0f && time < lastTime_) next_ = 0;
  int played = 0;
  CVector3 at;
  object.GetPosition(&at);
  while (cues_[next_].Time >= 0.0f && cues_[next_].Time <= time) {
    const int sound = cues_[next_].Sound < 0 ? defaultSound_ : cues_[next_].Sound;
    if (sounds != nullptr) sounds->PlayEvent(bank_, sound, &at, 0, 0);
    ++played;
    ++next_;
  }
  lastTime_ = time;
  return played;
}
