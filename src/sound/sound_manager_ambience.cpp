// The sound manager's environment sounds and loops: each frame the four best
// of each play on their four channels.
#include <algorithm>

#include "foundation/maths/random15.h"
#include "foundation/system/message_box.h"
#include "platform/dsound8/dsound8.h"
#include "sound/sound_manager.h"

namespace {

// The best four of a ranked list: those heard everywhere first, in order,
// then the nearest.
struct Ranked {
  int index;
  float distanceSquared;  // negative: heard everywhere
};

void Keep(std::vector<Ranked>* list, Ranked r) {
  auto at = std::find_if(list->begin(), list->end(),
                         [&](const Ranked& x) { return r.distanceSquared < x.distanceSquared; });
  list->insert(at, r);
  if (list->size() > 4) list->pop_back();
}

bool Chosen(const std::vector<Ranked>& list, int index) {
  return std::any_of(list.begin(), list.end(), [&](const Ranked& r) { return r.index == index; });
}

}  // namespace

// --- environment sounds ---------------------------------------------------------------------------

bool CSoundManager::ReadEnvironmentSounds(EnvTextCursor& text) {
  for (int k = 0; k < kEnvironmentChannels; ++k) {
    if (environmentOn_[k] >= 0) StopChannel(kFirstEnvironmentChannel + k);
    environmentOn_[k] = -1;
  }
  const bool ok = ReadEnvironmentSoundSection(text, &environment_);
  if (active_) {
    for (EnvironmentSound& s : environment_) {
      const std::string name = EnvironmentSampleName(s.sampleFile);
      const std::uint32_t handle = name.empty() ? 0 : SampleHandleOf(name.c_str());
      if (handle != 0 && cache_.HasSample(handle)) {
        s.sample = handle;
      } else {
        s.sample = 0;
        WarningBox("Failed to load environment sound %s", s.sampleFile);
      }
    }
  }
  return ok;
}

const EnvironmentSound* CSoundManager::GetEnvironmentSound(int index) const {
  if (index < 0 || index >= EnvironmentSoundCount()) return nullptr;
  return &environment_[static_cast<std::size_t>(index)];
}

void CSoundManager::SetEnvironmentSoundEnabled(int index, int flag) {
  if (index < 0 || index >= EnvironmentSoundCount()) return;
  EnvironmentSound& s = environment_[static_cast<std::size_t>(index)];
  // Switched on, the sound's timer starts again: it plays at once.
  if (flag != 0) s.armed = false;
  s.enabled = flag != 0 ? 1 : 0;
}

void CSoundManager::SetEnvironmentSoundLevel(int index, float value) {
  if (index < 0 || index >= EnvironmentSoundCount()) return;
  EnvironmentSound& s = environment_[static_cast<std::size_t>(index)];
  if (!s.enabled) return;
  s.level = value;
  for (int k = 0; k < kEnvironmentChannels; ++k)
    if (environmentOn_[k] == index)
      channels_[static_cast<std::size_t>(kFirstEnvironmentChannel + k)].volume = s.volume * s.level;
}

void CSoundManager::UpdateEnvironmentSounds() {
  if (ChannelCount() < kFirstEnvironmentChannel + kEnvironmentChannels) return;
  const std::uint32_t now = GameTime();
  // 1. The four best of the enabled sounds whose time has come.
  std::vector<Ranked> chosen;
  if (!suppressed_ && !paused_) {
    for (int i = 0; i < EnvironmentSoundCount(); ++i) {
      const EnvironmentSound& s = environment_[static_cast<std::size_t>(i)];
      if (!s.enabled || s.sample == 0) continue;
      if (s.armed && static_cast<std::int32_t>(now - s.nextStart) < 0) continue;
      if ((s.flags & 1) == 0) {
        Keep(&chosen, Ranked{i, -1.0f});
        continue;
      }
      float d2 = 0.0f;
      NearestListener(s.position, &d2);
      if (d2 < s.range * s.range) Keep(&chosen, Ranked{i, d2});
    }
  }
  // 2. The channels: a sound no longer chosen stops; one still playing is
  //    moved; one that has finished waits for its next start.
  for (int k = 0; k < kEnvironmentChannels; ++k) {
    const int index = environmentOn_[k];
    if (index < 0) continue;
    const int c = kFirstEnvironmentChannel + k;
    SoundChannel& ch = channels_[static_cast<std::size_t>(c)];
    EnvironmentSound& s = environment_[static_cast<std::size_t>(index)];
    if (!Chosen(chosen, index)) {
      StopChannel(c);
      environmentOn_[k] = -1;
    } else if (ch.Has(SCF_PLAYING)) {
      if (s.flags & 1) ch.position = s.position;
    } else {
      if (!s.armed) {
        // The pause before it plays again: min + rand mod (max - min) ms,
        // just min when max is not above it.
        const int span = s.maxInterval - s.minInterval;
        const int wait = s.minInterval + (span > 0 ? Rand15() % span : 0);
        s.nextStart = now + static_cast<std::uint32_t>(std::max(wait, 0));
        s.armed = true;
      }
      if (static_cast<std::int32_t>(now - s.nextStart) < 0)
        chosen.erase(std::remove_if(chosen.begin(), chosen.end(), [&](const Ranked& r) { return r.index == index; }),
                     chosen.end());
    }
  }
  // 3. A chosen sound without a channel takes the first one free (or the one
  //    that held it) and starts.
  for (const Ranked& r : chosen) {
    int k = 0;
    while (k < kEnvironmentChannels && environmentOn_[k] != r.index) ++k;
    if (k < kEnvironmentChannels && channels_[static_cast<std::size_t>(kFirstEnvironmentChannel + k)].Has(SCF_PLAYING))
      continue;
    if (k == kEnvironmentChannels) {
      k = 0;
      while (k < kEnvironmentChannels && (environmentOn_[k] >= 0 ||
                                          !channels_[static_cast<std::size_t>(kFirstEnvironmentChannel + k)].IsFree()))
        ++k;
      if (k == kEnvironmentChannels) continue;
    }
    const int c = kFirstEnvironmentChannel + k;
    EnvironmentSound& s = environment_[static_cast<std::size_t>(r.index)];
    SoundChannel& ch = channels_[static_cast<std::size_t>(c)];
    StopChannel(c);
    ResetChannel(ch);
    if (s.flags & 1) {
      ch.flags |= SCF_POSITIONAL;
      ch.position = s.position;
    }
    if (s.maxInterval == 0) ch.flags |= SCF_LOOPING;
    ch.range = s.range > 0.0f ? s.range : 1000.0f;
    environmentOn_[k] = r.index;
    s.armed = false;
    const WaveDataSource* source = cache_.GetSource(s.sample);
    if (source == nullptr || !StartSource(c, s.sample, source->GetSampleRate())) continue;
    ch.volume = s.volume * s.level;
    ch.pitch = s.pitch;
  }
}

// --- loops ------------------------------------------------------------------------------------------

std::uint32_t CSoundManager::PlayLoopEvent(const CSoundBank* bank, int event, const CVector3* position, float range) {
  std::uint32_t handle = 0;
  const SoundEventEntry* entry = bank != nullptr ? bank->FindEntry(event) : nullptr;
  if (entry != nullptr && entry->sampleKey != 0 && cache_.HasSample(entry->sampleKey)) {
    for (int i = 0; i < kSoundLoopSlots; ++i) {
      LoopSlot& l = loops_[i];
      if (l.inUse) continue;
      l = LoopSlot{};
      l.inUse = true;
      l.positional = position != nullptr;
      if (position != nullptr) l.position = *position;
      l.volume = 1.0f;
      l.range = range > 0.0f ? range : 1000.0f;
      l.farDistance = std::min(l.range * 50.0f, 20000.0f);
      // The entry's second word gives the loop's pitch.
      l.pitch = entry->volume;
      l.sample = entry->sampleKey;
      handle = static_cast<std::uint32_t>(i + 1);
      break;
    }
  }
  Log(SPK_LOOP, bank, event, position, range, 0, handle != 0 ? static_cast<int>(handle) : -1);
  return handle;
}

void CSoundManager::StopLoop(std::uint32_t* handle) {
  if (handle == nullptr) return;
  if (*handle >= 1 && *handle <= kSoundLoopSlots) loops_[*handle - 1].stopping = true;
  *handle = 0;
}

void CSoundManager::SetLoopPosition(std::uint32_t handle, const CVector3* position) {
  if (handle < 1 || handle > kSoundLoopSlots) return;
  LoopSlot& l = loops_[handle - 1];
  l.positional = position != nullptr;
  if (position != nullptr) l.position = *position;
}

void CSoundManager::SetLoopVelocity(std::uint32_t handle, const CVector3& velocity) {
  if (handle < 1 || handle > kSoundLoopSlots) return;
  loops_[handle - 1].velocity = velocity;
}

void CSoundManager::SetLoopPitch(std::uint32_t handle, float pitch) {
  if (handle < 1 || handle > kSoundLoopSlots || !(pitch < 8.0f)) return;
  loops_[handle - 1].pitch = pitch;
}

void CSoundManager::UpdateLoops() {
  if (ChannelCount() < kFirstLoopChannel + kLoopChannels) return;
  // Slots marked to stop are freed.
  for (int i = 0; i < kSoundLoopSlots; ++i) {
    LoopSlot& l = loops_[i];
    if (!l.stopping) continue;
    for (int k = 0; k < kLoopChannels; ++k) {
      if (loopOn_[k] != i) continue;
      StopChannel(kFirstLoopChannel + k);
      loopOn_[k] = -1;
    }
    l = LoopSlot{};
  }
  std::vector<Ranked> chosen;
  for (int i = 0; i < kSoundLoopSlots; ++i) {
    const LoopSlot& l = loops_[i];
    if (!l.inUse) continue;
    if (!l.positional) {
      Keep(&chosen, Ranked{i, -1.0f});
      continue;
    }
    float d2 = 0.0f;
    NearestListener(l.position, &d2);
    if (d2 < l.farDistance * l.farDistance) Keep(&chosen, Ranked{i, d2});
  }
  for (int k = 0; k < kLoopChannels; ++k) {
    const int i = loopOn_[k];
    if (i < 0) continue;
    const int c = kFirstLoopChannel + k;
    if (!Chosen(chosen, i) || !channels_[static_cast<std::size_t>(c)].Has(SCF_PLAYING)) {
      StopChannel(c);
      loopOn_[k] = -1;
      continue;
    }
    SoundChannel& ch = channels_[static_cast<std::size_t>(c)];
    const LoopSlot& l = loops_[i];
    if (l.positional) {
      ch.flags |= SCF_POSITIONAL;
      ch.position = l.position;
    } else {
      ch.flags &= ~SCF_POSITIONAL;
    }
    ch.velocity = l.velocity;
    ch.pitch = l.pitch;
  }
  for (const Ranked& r : chosen) {
    if (std::find(std::begin(loopOn_), std::end(loopOn_), r.index) != std::end(loopOn_)) continue;
    int k = 0;
    while (k < kLoopChannels &&
           (loopOn_[k] >= 0 || !channels_[static_cast<std::size_t>(kFirstLoopChannel + k)].IsFree()))
      ++k;
    if (k == kLoopChannels) break;
    const int c = kFirstLoopChannel + k;
    LoopSlot& l = loops_[r.index];
    SoundChannel& ch = channels_[static_cast<std::size_t>(c)];
    ResetChannel(ch);
    ch.flags |= SCF_LOOPING;
    if (l.positional) {
      ch.flags |= SCF_POSITIONAL;
      ch.position = l.position;
    }
    ch.velocity = l.velocity;
    ch.range = l.range;
    loopOn_[k] = r.index;
    const WaveDataSource* source = cache_.GetSource(l.sample);
    if (source == nullptr || !StartSource(c, l.sample, source->GetSampleRate())) {
      loopOn_[k] = -1;
      continue;
    }
    ch.volume = l.volume;
    ch.pitch = l.pitch;
  }
}
