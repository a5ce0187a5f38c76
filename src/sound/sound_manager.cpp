#include "sound/sound_manager.h"

#include <cstring>

#include "foundation/maths/random_tables.h"
#include "foundation/system/debug_output.h"
#include "world/environment/env_text_cursor.h"

CSoundManager* g_SoundManager = nullptr;

bool CSoundManager::ReadEnvironmentSounds(EnvTextCursor& text) {
  sounds_.clear();
  char word[128];
  while (!text.AtEnd()) {
    const char* start = *text.Cursor();
    if (!text.Word(word)) {
      // A word too long for the buffer is read past.
      *text.Cursor() = start;
      text.Token(word);
      continue;
    }
    if (std::strcmp(word, "ENDENVS") == 0) return true;
    if (std::strcmp(word, "ENVSOUND") != 0) continue;
    EnvironmentSound sound;
    if (!text.Word(sound.name) || !text.Real(&sound.startTime)) break;
    sound.timer = sound.startTime;
    sounds_.push_back(sound);
  }
  DebugTrace("Environment sounds: section stops at line %d\n", text.Line());
  return false;
}

const EnvironmentSound* CSoundManager::GetEnvironmentSound(int index) const {
  if (index < 0 || index >= EnvironmentSoundCount()) return nullptr;
  return &sounds_[static_cast<std::size_t>(index)];
}

void CSoundManager::SetEnvironmentSoundEnabled(int index, int flag) {
  if (index < 0 || index >= EnvironmentSoundCount()) return;
  EnvironmentSound& sound = sounds_[static_cast<std::size_t>(index)];
  if (flag == 1 && sound.enabled == 0) sound.timer = sound.startTime;
  sound.enabled = flag != 0 ? 1 : 0;
}

int CSoundManager::PlayEvent(const CSoundBank* bank, int event, const CVector3* position, int argument, int) {
  if (bank == nullptr || !soundOn_ || !bank->HoldsEvent(event)) return -1;
  const std::vector<int>& entries = bank->Events[static_cast<std::size_t>(event)];
  for (int c = kReservedSoundChannels; c < kSoundChannels; ++c) {
    SoundChannel& ch = channels_[c];
    if (ch.InUse) continue;
    ch = SoundChannel{};
    ch.InUse = true;
    // A paused world keeps new sounds silent until it resumes.
    ch.Playing = !paused_;
    ch.Bank = bank;
    ch.Event = event;
    ch.Sample = entries[static_cast<std::size_t>(RandomIntBelow(static_cast<int>(entries.size())))];
    ch.Placed = position != nullptr;
    if (position != nullptr) ch.Position = *position;
    ch.Argument = argument;
    return c;
  }
  return -1;
}

void CSoundManager::StopChannel(int channel) {
  if (channel >= 0 && channel < kSoundChannels) channels_[channel] = SoundChannel{};
}

const SoundChannel* CSoundManager::GetChannel(int channel) const {
  return channel >= 0 && channel < kSoundChannels ? &channels_[channel] : nullptr;
}

void CSoundManager::SetPaused(bool on) {
  if (on == paused_) return;
  for (int c = kReservedSoundChannels; c < kSoundChannels; ++c) {
    SoundChannel& ch = channels_[c];
    if (!ch.InUse) continue;
    if (on) {
      ch.Playing = false;
    } else {
      ch.Playing = true;
      ch.Looping = true;
    }
  }
  paused_ = on;
}

namespace {
bool g_failInitialise = false;
}  // namespace

void SoundManagerFailInitialise(bool fail) { g_failInitialise = fail; }

bool CSoundManager::Initialise(HWND, int, bool) {
  initialised_ = !g_failInitialise;
  return initialised_;
}

void CSoundManager::Free() {
  for (int i = 0; i < kSoundChannels; ++i) StopChannel(i);
  sounds_.clear();
  initialised_ = false;
}

int CSoundManager::PlayEvent(const CSoundBank* bank, int event, const CVector3* position, float range,
                             std::uint32_t tag) {
  const int channel = PlayEvent(bank, event, position, 0, 0);
  if (channel >= 0) channels_[channel].Tag = tag;
  if (logging_) {
    SoundPlayRecord r;
    r.Kind = SOUND_PLAY_EVENT;
    r.Bank = bank;
    r.Event = event;
    r.Positional = position != nullptr;
    if (position != nullptr) r.Position = *position;
    r.Range = range;
    r.Tag = tag;
    r.Channel = channel;
    log_.push_back(r);
  }
  return channel;
}

void CSoundManager::StopSample(std::uint32_t tag) {
  if (tag != 0)
    for (int c = 0; c < kSoundChannels; ++c)
      if (channels_[c].InUse && channels_[c].Tag == tag) StopChannel(c);
  if (logging_) {
    SoundPlayRecord r;
    r.Kind = SOUND_STOP_SAMPLE;
    r.Tag = tag;
    log_.push_back(r);
  }
}

bool CSoundManager::IsSamplePlaying(std::uint32_t tag) const {
  if (tag == 0) return false;
  for (const SoundChannel& ch : channels_)
    if (ch.InUse && ch.Playing && ch.Tag == tag) return true;
  return false;
}

void CSoundManager::StartStream(const SoundStreamDescription& description) {
  if (logging_) {
    SoundPlayRecord r;
    r.Kind = SOUND_STREAM;
    r.Stream = description;
    log_.push_back(r);
  }
}
