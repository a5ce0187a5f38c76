// The sound manager's plays: bank events on the ordinary, interface and music
// channels, streams, the pause and the suppression of new sounds.
#include <algorithm>

#include "foundation/maths/random_tables.h"
#include "platform/dsound8/dsound8.h"
#include "sound/sound_manager.h"

void CSoundManager::Log(SoundPlayKind kind, const CSoundBank* bank, int event, const CVector3* position, float range,
                        std::uint32_t tag, int answer) {
  if (!playLogOn_) return;
  SoundPlayRecord r;
  r.kind = kind;
  r.bank = bank;
  r.event = event;
  r.positional = position != nullptr;
  if (position != nullptr) r.position = *position;
  r.range = range;
  r.tag = tag;
  r.answer = answer;
  playLog_.push_back(r);
}

bool CSoundManager::PlayEntry(int c, const SoundEventEntry& entry) {
  // A script's request to change the suppression takes effect with the
  // first sound played after it.
  if (suppressRequest_) {
    suppressed_ = !suppressed_;
    suppressRequest_ = false;
  }
  const WaveDataSource* source = cache_.GetSource(entry.sampleKey);
  if (source == nullptr) return false;
  SoundChannel& ch = channels_[static_cast<std::size_t>(c)];
  ch.volume = entry.volume;
  float rate = static_cast<float>(source->GetSampleRate());
  const float v = entry.pitchVariation;
  if (v != 0.0f && 1.0f + v > 0.0f) {
    float low = std::max(rate / (1.0f + v), 8000.0f);
    float high = std::min(rate * (1.0f + v), 44100.0f);
    // A sample below 8,000 Hz or above 44,100 Hz would give the bounds the
    // wrong way round: they are taken in order.
    if (low > high) std::swap(low, high);
    rate = RandomFloatRange(low, high);
  }
  return StartSource(c, entry.sampleKey, static_cast<std::uint32_t>(rate));
}

int CSoundManager::PlayEvent(const CSoundBank* bank, int event, const CVector3* position, float range,
                             std::uint32_t tag) {
  int answer = -1;
  const SoundEventEntry* entry = bank != nullptr && playsBanks_ ? bank->FindEntry(event) : nullptr;
  // A request to lift the suppression is carried out by the next play,
  // which the suppression would otherwise refuse before it is reached.
  if (entry != nullptr && suppressed_ && suppressRequest_) {
    suppressed_ = false;
    suppressRequest_ = false;
  }
  if (entry != nullptr && active_ && !suppressed_) {
    const int c = TakeChannel(kFirstOrdinaryChannel, ordinaryCount_);
    if (c >= 0) {
      SoundChannel& ch = channels_[static_cast<std::size_t>(c)];
      if (position != nullptr) {
        ch.flags |= SCF_POSITIONAL;
        ch.position = *position;
        if (range > 0.0f) ch.range = range;
      }
      ch.tag = tag;
      if (PlayEntry(c, *entry)) answer = c;
    }
  }
  Log(SPK_EVENT, bank, event, position, range, tag, answer);
  return answer;
}

int CSoundManager::PlayEventSingle(const CSoundBank* bank, int event) {
  int answer = -1;
  const SoundEventEntry* entry = bank != nullptr && playsBanks_ ? bank->FindEntry(event) : nullptr;
  if (entry != nullptr && suppressed_ && suppressRequest_) {
    suppressed_ = false;
    suppressRequest_ = false;
  }
  if (entry != nullptr && active_ && !suppressed_ && ChannelCount() > kInterfaceChannel) {
    StopChannel(kInterfaceChannel);
    ResetChannel(channels_[kInterfaceChannel]);
    if (PlayEntry(kInterfaceChannel, *entry)) answer = kInterfaceChannel;
  }
  Log(SPK_SINGLE, bank, event, nullptr, 0.0f, 0, answer);
  return answer;
}

bool CSoundManager::MusicPlay(std::uint32_t sample) {
  if (!active_ || ChannelCount() == 0) return false;
  StopChannel(kMusicChannel);
  SoundChannel& ch = channels_[kMusicChannel];
  ResetChannel(ch);
  const WaveDataSource* source = cache_.GetSource(sample);
  return source != nullptr && StartSource(kMusicChannel, sample, source->GetSampleRate());
}

bool CSoundManager::MusicPlayLooping(std::uint32_t sample) {
  if (!active_ || ChannelCount() == 0) return false;
  StopChannel(kMusicChannel);
  SoundChannel& ch = channels_[kMusicChannel];
  ResetChannel(ch);
  ch.flags |= SCF_LOOPING;
  const WaveDataSource* source = cache_.GetSource(sample);
  return source != nullptr && StartSource(kMusicChannel, sample, source->GetSampleRate());
}

bool CSoundManager::PlayMusicEvent(const CSoundBank* bank, int event) {
  musicBank_ = bank;
  musicEvent_ = event;
  bool played = false;
  const SoundEventEntry* entry = bank != nullptr && playsBanks_ ? bank->FindEntry(event) : nullptr;
  if (entry != nullptr && active_ && ChannelCount() > 0) {
    StopChannel(kMusicChannel);
    SoundChannel& ch = channels_[kMusicChannel];
    ResetChannel(ch);
    ch.flags |= SCF_LOOPING;
    played = PlayEntry(kMusicChannel, *entry);
  }
  Log(SPK_MUSIC_EVENT, bank, event, nullptr, 0.0f, 0, played ? kMusicChannel : -1);
  return played;
}

void CSoundManager::StopMusic() { StopChannel(kMusicChannel); }

void CSoundManager::StopAllSounds() {
  for (int c = 0; c < ChannelCount(); ++c) StopChannel(c);
}

void CSoundManager::StopSample(std::uint32_t tag) {
  if (tag == 0) return;
  for (int c = 0; c < ChannelCount(); ++c)
    if (channels_[static_cast<std::size_t>(c)].tag == tag) StopChannel(c);
}

bool CSoundManager::IsSamplePlaying(std::uint32_t tag) const {
  if (tag == 0) return false;
  for (const SoundChannel& ch : channels_)
    if (ch.tag == tag && ch.Has(SCF_PLAYING)) return true;
  for (const StreamSlot& s : streams_) {
    if (!s.active) continue;
    for (int i = 0; i < s.description.count; ++i)
      if (s.description.events[i].tag == tag) return true;
  }
  return false;
}

void CSoundManager::SetPaused(bool on) {
  if (on == paused_) return;
  for (int c = kFirstOrdinaryChannel; c < ChannelCount(); ++c) {
    SoundChannel& ch = channels_[static_cast<std::size_t>(c)];
    if (on && ch.Has(SCF_PLAYING)) {
      // Held, with its source where it stands, until the pause ends.
      ch.buffer->Stop();
      ch.flags = (ch.flags & ~SCF_PLAYING) | SCF_IN_USE;
    } else if (!on && ch.Has(SCF_IN_USE) && ch.source != nullptr) {
      ch.flags = (ch.flags & ~SCF_IN_USE) | SCF_PLAYING;
      ch.buffer->Play(0, 0, DSBPLAY_LOOPING);
    }
  }
  paused_ = on;
}

void CSoundManager::SetSuppressed(int value, bool fromScript) {
  const bool want = value != 0;
  if (fromScript) {
    suppressRequest_ = want != suppressed_;
    return;
  }
  suppressed_ = want;
  suppressRequest_ = false;
}

// --- streams ------------------------------------------------------------------------------------

bool CSoundManager::StartStream(const SoundStreamDescription& description) {
  const SoundStreamEvent* first = description.count > 0 ? &description.events[0] : nullptr;
  bool started = false;
  if (first != nullptr && description.count <= kSoundStreamEvents) {
    for (StreamSlot& s : streams_) {
      if (s.active) continue;
      s = StreamSlot{};
      s.active = true;
      s.description = description;
      s.channel = PlayEvent(first->bank, first->eventId, first->positional ? &first->position : nullptr,
                            first->range, first->tag);
      s.next = 1;
      started = true;
      break;
    }
  }
  Log(SPK_STREAM, first != nullptr ? first->bank : nullptr, first != nullptr ? first->eventId : 0,
      first != nullptr && first->positional ? &first->position : nullptr, first != nullptr ? first->range : 0.0f,
      first != nullptr ? first->tag : 0, started ? 1 : -1);
  return started;
}

void CSoundManager::UpdateStreams() {
  for (StreamSlot& s : streams_) {
    if (!s.active) continue;
    const bool idle = s.channel < 0 || !channels_[static_cast<std::size_t>(s.channel)].Has(SCF_PLAYING);
    if (!idle) continue;
    if (s.next >= s.description.count) {
      s.active = false;
      continue;
    }
    const SoundStreamEvent& e = s.description.events[s.next++];
    s.channel = PlayEvent(e.bank, e.eventId, e.positional ? &e.position : nullptr, 1000.0f, e.tag);
  }
}
