// The sound manager's device, channels, refill and per-frame update.
#include "sound/sound_manager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "foundation/text/hash.h"
#include "foundation/time/timer.h"
#include "platform/dsound8/dsound8.h"
#include "render/geometry/camera.h"
#include "world/engine.h"

CSoundManager* g_SoundManager = nullptr;

namespace {

bool g_failInitialise = false;

constexpr DWORD kChannelFlags =
    DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2;  // 0x100E0
constexpr DWORD kStereoBytes = 352800;  // two seconds of 44,100 Hz 16-bit stereo
constexpr DWORD kMonoBytes = 176400;    // two seconds of mono
// World units (centimetres) to DirectSound distance units (metres).
constexpr float kWorldToSound = 0.01f;
// The farthest a positional sound is heard, in world units.
constexpr float kMaxFarDistance = 20000.0f;

WAVEFORMATEX Pcm(WORD channels) {
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = channels;
  f.nSamplesPerSec = 44100;
  f.wBitsPerSample = 16;
  f.nBlockAlign = static_cast<WORD>(2 * channels);
  f.nAvgBytesPerSec = 44100u * f.nBlockAlign;
  return f;
}

float DistanceSquared(const CVector3& a, const CVector3& b) {
  const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

// A volume factor as hundredths of a decibel, -10000 (silence) .. 0.
LONG VolumeOf(float factor) {
  if (!(factor > 0.0f)) return DSBVOLUME_MIN;
  const float db = 2000.0f * std::log10(factor);
  if (db <= static_cast<float>(DSBVOLUME_MIN)) return DSBVOLUME_MIN;
  if (db >= 0.0f) return 0;
  return static_cast<LONG>(std::lround(db));
}

}  // namespace

CSoundManager::CSoundManager() = default;

CSoundManager::~CSoundManager() { Free(); }

float CSoundManager::TimeScale() const { return g_GameClock != nullptr ? g_GameClock->GetTimeScale() : 1.0f; }

std::uint32_t CSoundManager::GameTime() const { return g_GameClock != nullptr ? g_GameClock->GetGameTime() : 0; }

// --- life -------------------------------------------------------------------------------

void SoundManagerFailInitialise(bool fail) { g_failInitialise = fail; }

bool CSoundManager::Initialise(HWND window, int, bool want3D) {
  Free();
  if (g_failInitialise) return false;
  use3D_ = want3D;
  // The device first, then its capabilities.
  if (FAILED(DirectSoundCreate8(nullptr, &device_, nullptr))) {
    device_ = nullptr;
    return false;
  }
  DSCAPS caps{};
  caps.dwSize = sizeof caps;
  if (FAILED(device_->GetCaps(&caps))) {
    Free();
    return false;
  }
  const int count = caps.dwFreeHw3DAllBuffers >= 15 ? static_cast<int>(caps.dwFreeHw3DAllBuffers) : kSoundChannels;
  minRate_ = caps.dwMinSecondarySampleRate;
  maxRate_ = caps.dwMaxSecondarySampleRate;
  if (FAILED(device_->SetCooperativeLevel(window, DSSCL_PRIORITY))) {
    Free();
    return false;
  }
  DSBUFFERDESC primary{};
  primary.dwSize = DSBUFFERDESC_SIZE;
  primary.dwFlags = DSBCAPS_PRIMARYBUFFER | (use3D_ ? DSBCAPS_CTRL3D : 0);
  WAVEFORMATEX format = Pcm(2);
  if (FAILED(device_->CreateSoundBuffer(&primary, &primary_, nullptr)) || FAILED(primary_->SetFormat(&format))) {
    Free();
    return false;
  }
  if (!CreateChannels(count)) {
    Free();
    return false;
  }
  if (use3D_) {
    if (FAILED(primary_->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener3D_))) ||
        FAILED(listener3D_->SetDistanceFactor(1.0f, DS3D_IMMEDIATE)) ||
        FAILED(listener3D_->SetDopplerFactor(1.0f, DS3D_IMMEDIATE)) ||
        FAILED(listener3D_->SetRolloffFactor(1.0f, DS3D_IMMEDIATE))) {
      Free();
      return false;
    }
  }
  listenerCount_ = 0;
  for (Listener& l : listeners_) l = Listener{};
  for (LoopSlot& l : loops_) l = LoopSlot{};
  for (int& k : loopOn_) k = -1;
  environment_.clear();
  for (int& k : environmentOn_) k = -1;
  cache_.SetMusicIntensity(&intensity_);
  active_ = true;
  return true;
}

bool CSoundManager::CreateChannels(int requested) {
  channels_.clear();
  channels_.resize(static_cast<std::size_t>(requested));
  for (int i = 0; i < requested; ++i) {
    const WORD n = i == kMusicChannel ? 2 : 1;
    WAVEFORMATEX format = Pcm(n);
    DSBUFFERDESC desc{};
    desc.dwSize = DSBUFFERDESC_SIZE;
    desc.dwFlags = kChannelFlags;
    desc.dwBufferBytes = n == 2 ? kStereoBytes : kMonoBytes;
    desc.lpwfxFormat = &format;
    desc.guid3DAlgorithm = DS3DALG_DEFAULT;
    // Mono channels are 3-D buffers muted at their maximum distance; without
    // 3-D they keep their pan control, which positions them then.
    if (i != kMusicChannel && use3D_)
      desc.dwFlags = (kChannelFlags & ~DSBCAPS_CTRLPAN) | DSBCAPS_CTRL3D | DSBCAPS_MUTE3DATMAXDISTANCE;
    SoundChannel& ch = channels_[static_cast<std::size_t>(i)];
    if (FAILED(device_->CreateSoundBuffer(&desc, &ch.buffer, nullptr))) {
      ch.buffer = nullptr;
      if (i <= kFirstOrdinaryChannel) return false;
      // The pool keeps the channels made.
      channels_.resize(static_cast<std::size_t>(i));
      break;
    }
    if (i != kMusicChannel && use3D_ &&
        FAILED(ch.buffer->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&ch.buffer3D)))) {
      ch.buffer3D = nullptr;
      return false;
    }
    ch.flags = static_cast<std::uint32_t>(n) << SCF_CHANNELS_SHIFT;
    ch.bufferBytes = desc.dwBufferBytes;
    // Nothing is allocated when a channel refills: its staging half is made now.
    ch.staging = std::make_unique<std::uint8_t[]>(ch.bufferBytes / 2);
  }
  ordinaryCount_ = static_cast<int>(channels_.size()) - kFirstOrdinaryChannel;
  return true;
}

void CSoundManager::Free() {
  ReleaseLevel();
  for (SoundChannel& ch : channels_) {
    if (ch.buffer3D != nullptr) ch.buffer3D->Release();
    if (ch.buffer != nullptr) {
      ch.buffer->Stop();
      ch.buffer->Release();
    }
  }
  channels_.clear();
  ordinaryCount_ = 0;
  if (listener3D_ != nullptr) listener3D_->Release();
  if (primary_ != nullptr) primary_->Release();
  if (device_ != nullptr) device_->Release();
  listener3D_ = nullptr;
  primary_ = nullptr;
  device_ = nullptr;
  active_ = false;
}

// --- the level's data ----------------------------------------------------------------------

bool CSoundManager::LoadCache(const char* name) {
  cache_.SetMusicIntensity(&intensity_);
  return cache_.Load(name);
}

CSoundBank* CSoundManager::LoadBank(const char* name, int flag) {
  if (name == nullptr || name[0] == 0) return nullptr;
  const std::uint32_t hash = HashStringElf(name);
  for (CSoundBank* b = banks_; b != nullptr; b = b->Next)
    if (b->NameHash == hash) return b;
  // A bank chunk of the loaded cache answers for its name too.
  if (CSoundBank* cached = cache_.FindBank(hash)) return cached;
  CSoundBank* bank = new CSoundBank;
  if (!bank->LoadFromFile(name, &cache_, flag)) {
    delete bank;
    return nullptr;
  }
  bank->NameHash = hash;
  bank->Next = banks_;
  banks_ = bank;
  return bank;
}

void CSoundManager::ReleaseLevel() {
  for (SoundChannel& ch : channels_) {
    if (ch.Has(SCF_PLAYING) && ch.buffer != nullptr) ch.buffer->Stop();
    if (ch.source != nullptr) ch.source->Stop();
    ch.flags &= ~(SCF_PLAYING | SCF_IN_USE);
    ch.source = nullptr;
    ch.player.reset();
    ch.sample = 0;
  }
  for (LoopSlot& l : loops_) l = LoopSlot{};
  for (int& k : loopOn_) k = -1;
  for (StreamSlot& s : streams_) s = StreamSlot{};
  environment_.clear();
  for (int& k : environmentOn_) k = -1;
  musicBank_ = nullptr;
  musicEvent_ = -1;
  cache_.Free();
  while (banks_ != nullptr) {
    CSoundBank* next = banks_->Next;
    delete banks_;
    banks_ = next;
  }
}

// --- channels -----------------------------------------------------------------------------

void CSoundManager::ResetChannel(SoundChannel& ch) {
  ch.readPosition = 0;
  ch.writePosition = 0;
  ch.endPosition = kNoEndPosition;
  ch.range = 1000.0f;
  ch.volume = 1.0f;
  ch.pitch = 1.0f;
  ch.level = 1.0f;
  ch.levelEnabled = false;
  ch.tag = 0;
  ch.velocity = CVector3{};
  ch.flags &= ~(SCF_POSITIONAL | SCF_LOOPING | SCF_HALF_MASK);
}

int CSoundManager::TakeChannel(int first, int count) {
  const int last = std::min(first + count, ChannelCount());
  for (int c = first; c < last; ++c) {
    SoundChannel& ch = channels_[static_cast<std::size_t>(c)];
    if (!ch.IsFree()) continue;
    ResetChannel(ch);
    return c;
  }
  return -1;
}

void CSoundManager::StopChannel(int c) {
  if (c < 0 || c >= ChannelCount()) return;
  SoundChannel& ch = channels_[static_cast<std::size_t>(c)];
  if (ch.Has(SCF_PLAYING)) {
    if (ch.buffer != nullptr) ch.buffer->Stop();
    ch.flags &= ~SCF_PLAYING;
    if (ch.source != nullptr) ch.source->Stop();
  }
  ch.flags &= ~SCF_IN_USE;
}

bool CSoundManager::StartSource(int c, std::uint32_t sample, std::uint32_t rate) {
  SoundChannel& ch = channels_[static_cast<std::size_t>(c)];
  const WaveDataSource* prototype = cache_.GetSource(sample);
  if (prototype == nullptr || ch.buffer == nullptr) return false;
  ch.player = prototype->NewPlayer();
  ch.source = ch.player.get();
  ch.sample = sample;
  ch.pitch = 1.0f;
  ch.sampleRate = rate;
  const float scaled = static_cast<float>(rate) * (followsGameTime_ ? TimeScale() : 1.0f);
  const DWORD hz = static_cast<DWORD>(std::clamp(scaled, 100.0f, 100000.0f));
  bool ok = SUCCEEDED(ch.buffer->SetFrequency(hz)) && SUCCEEDED(ch.buffer->SetCurrentPosition(0));
  if (ok && use3D_ && ch.buffer3D != nullptr)
    ok = SUCCEEDED(ch.buffer3D->SetMode(ch.Has(SCF_POSITIONAL) ? DS3DMODE_NORMAL : DS3DMODE_DISABLE, DS3D_IMMEDIATE));
  ch.endPosition = kNoEndPosition;
  ch.readPosition = 0;
  ch.lastCursor = 0;
  ch.staged = 0;
  ch.stagedEnd = kNoEndPosition;
  ch.flags = (ch.flags & ~SCF_HALF_MASK) | SCF_PLAYING;
  ch.flags &= ~SCF_IN_USE;
  if (!ok || !ch.source->Start()) {
    ch.flags &= ~SCF_PLAYING;
    return false;
  }
  if (!Fill(c, 0, ch.bufferBytes)) return false;
  UpdateVolumeAndPlace(c, true);
  if (!ch.Has(SCF_PLAYING)) return false;
  if (FAILED(ch.buffer->Play(0, 0, DSBPLAY_LOOPING))) {
    StopChannel(c);
    return false;
  }
  return true;
}

bool CSoundManager::DecodeInto(SoundChannel& ch, std::uint8_t* out, std::uint32_t bytes) {
  const int bufferChannels = ch.Channels();
  const int sourceChannels = ch.source->GetChannels();
  if (sourceChannels == bufferChannels) return ch.source->Decode(out, bytes);
  // A mono sample on the stereo channel is heard on both sides; a stereo
  // one on a mono channel is mixed down.
  const std::uint32_t frames = bytes / (2u * static_cast<std::uint32_t>(bufferChannels));
  const std::uint32_t sourceBytes = frames * 2u * static_cast<std::uint32_t>(sourceChannels);
  if (scratch_.size() < sourceBytes) scratch_.resize(sourceBytes);
  if (!ch.source->Decode(scratch_.data(), sourceBytes)) return false;
  const auto* in = reinterpret_cast<const std::int16_t*>(scratch_.data());
  auto* pcm = reinterpret_cast<std::int16_t*>(out);
  for (std::uint32_t i = 0; i < frames; ++i) {
    if (bufferChannels == 2) {
      pcm[2 * i] = in[i];
      pcm[2 * i + 1] = in[i];
    } else {
      pcm[i] = static_cast<std::int16_t>((static_cast<int>(in[2 * i]) + static_cast<int>(in[2 * i + 1])) / 2);
    }
  }
  return true;
}

bool CSoundManager::Produce(SoundChannel& ch, std::uint8_t* out, std::uint32_t bytes, std::uint32_t* end) {
  const std::uint32_t frameBytes = 2u * static_cast<std::uint32_t>(ch.Channels());
  std::uint8_t* const first = out;
  std::uint32_t left = bytes;
  bool restarted = false;
  while (left > 0) {
    // What the source has left, in the buffer's bytes and whole frames.
    const std::uint64_t sourceLeft = ch.source->GetPcmSize();
    std::uint64_t remain = sourceLeft * static_cast<std::uint64_t>(ch.Channels()) /
                           static_cast<std::uint64_t>(ch.source->GetChannels());
    remain -= remain % frameBytes;
    if (remain >= left) {
      if (!DecodeInto(ch, out, left)) return false;
      ch.readPosition += left;
      return true;
    }
    const std::uint32_t part = static_cast<std::uint32_t>(remain);
    if (part > 0) {
      if (!DecodeInto(ch, out, part)) return false;
      ch.readPosition += part;
      out += part;
      left -= part;
      restarted = false;
    }
    if (ch.Has(SCF_LOOPING) && !restarted) {
      // A looping channel starts its source again and goes on filling.
      if (!ch.source->Start()) return false;
      ch.readPosition = 0;
      restarted = true;
      continue;
    }
    // The sound ends here: the rest is silence.
    std::memset(out, 0, left);
    if (*end == kNoEndPosition) *end = static_cast<std::uint32_t>(out - first);
    return true;
  }
  return true;
}

bool CSoundManager::Fill(int c, std::uint32_t offset, std::uint32_t bytes) {
  SoundChannel& ch = channels_[static_cast<std::size_t>(c)];
  void* p1 = nullptr;
  void* p2 = nullptr;
  DWORD n1 = 0, n2 = 0;
  if (FAILED(ch.buffer->Lock(offset, bytes, &p1, &n1, &p2, &n2, 0))) {
    StopChannel(c);
    return false;
  }
  auto* out = static_cast<std::uint8_t*>(p1);
  // What was staged of this half first (a whole-buffer fill at the start has
  // none), then the rest.
  std::uint32_t done = 0;
  std::uint32_t end = kNoEndPosition;
  if (ch.staged > 0 && bytes == ch.bufferBytes / 2) {
    done = std::min(ch.staged, n1);
    std::memcpy(out, ch.staging.get(), done);
    end = ch.stagedEnd;
  }
  bool ok = true;
  if (end != kNoEndPosition) {
    std::memset(out + done, 0, n1 - done);
  } else if (done < n1) {
    std::uint32_t tail = kNoEndPosition;
    ok = Produce(ch, out + done, n1 - done, &tail);
    if (tail != kNoEndPosition) end = done + tail;
  }
  ch.staged = 0;
  ch.stagedEnd = kNoEndPosition;
  // The byte where the sound's data ends is where the channel stops.
  if (ok && end != kNoEndPosition && ch.endPosition == kNoEndPosition) ch.endPosition = offset + end;
  ch.buffer->Unlock(p1, n1, p2, n2);
  if (!ok) StopChannel(c);
  return ok;
}

void CSoundManager::Stage(SoundChannel& ch, std::uint32_t cursor) {
  const std::uint32_t half = ch.bufferBytes / 2;
  if (ch.stagedEnd != kNoEndPosition || ch.staged >= half) return;
  // Steps of whole PSF blocks in the buffer's format (60 bytes of mono, 120
  // of stereo) that also divide the half.
  const std::uint32_t step = ch.Channels() == 2 ? 240u : 120u;
  const std::uint32_t into = cursor % half;
  std::uint32_t target = std::min(half, into + half / 32);
  target -= target % step;
  if (target <= ch.staged) return;
  if (!ch.staging) return;
  std::uint32_t end = kNoEndPosition;
  if (!Produce(ch, ch.staging.get() + ch.staged, target - ch.staged, &end)) {
    // Left for the refill, which stops the channel when the source fails.
    return;
  }
  if (end != kNoEndPosition) ch.stagedEnd = ch.staged + end;
  ch.staged = target;
}

void CSoundManager::RefillAndUpdate(int c) {
  SoundChannel& ch = channels_[static_cast<std::size_t>(c)];
  if (!ch.Has(SCF_PLAYING) || ch.buffer == nullptr || ch.source == nullptr) return;
  const float scaled = static_cast<float>(ch.sampleRate) * ch.pitch * (followsGameTime_ ? TimeScale() : 1.0f);
  ch.buffer->SetFrequency(static_cast<DWORD>(std::clamp(scaled, 100.0f, 100000.0f)));
  DWORD cursor = 0;
  if (FAILED(ch.buffer->GetCurrentPosition(&cursor, nullptr))) {
    StopChannel(c);
    return;
  }
  // The end of a sound that does not loop: stop once the cursor has passed
  // it since the last frame, around the end of the buffer or not.
  if (ch.endPosition != kNoEndPosition) {
    const std::uint32_t last = ch.lastCursor, end = ch.endPosition;
    const bool passed = last <= cursor ? (end > last && end <= cursor) : (end > last || end <= cursor);
    if (passed) {
      StopChannel(c);
      return;
    }
  }
  // Two halves of one second: when the cursor has moved into the other
  // half, the half it left is refilled.
  const std::uint32_t half = ch.bufferBytes / 2;
  const std::uint32_t playing = cursor < half ? 0u : 1u;
  const std::uint32_t before = (ch.flags & SCF_HALF_MASK) >> SCF_HALF_SHIFT;
  ch.lastCursor = cursor;
  if (playing != before) {
    ch.flags = (ch.flags & ~SCF_HALF_MASK) | (playing << SCF_HALF_SHIFT);
    if (!Fill(c, before * half, half)) return;
  }
  Stage(ch, cursor);
  UpdateVolumeAndPlace(c, false);
}

int CSoundManager::NearestListener(const CVector3& at, float* distanceSquared) const {
  const int count = std::max(1, std::min(listenerCount_, kMaxSoundListeners));
  int best = 0;
  float bestD = DistanceSquared(at, listeners_[0].position);
  for (int i = 1; i < count; ++i) {
    const float d = DistanceSquared(at, listeners_[i].position);
    if (d < bestD) {
      bestD = d;
      best = i;
    }
  }
  if (distanceSquared != nullptr) *distanceSquared = bestD;
  return best;
}

void CSoundManager::UpdateVolumeAndPlace(int c, bool immediate) {
  SoundChannel& ch = channels_[static_cast<std::size_t>(c)];
  const DWORD apply = immediate ? DS3D_IMMEDIATE : DS3D_DEFERRED;
  float product = masterVolume_ * ch.volume * (c == kMusicChannel ? musicVolume_ : effectsVolume_);
  if (ch.levelEnabled) product *= ch.level;
  LONG volume = muted_ ? DSBVOLUME_MIN : VolumeOf(product);
  if (ch.Has(SCF_POSITIONAL)) {
    float d2 = 0.0f;
    const int nearest = NearestListener(ch.position, &d2);
    if (use3D_ && ch.buffer3D != nullptr) {
      // With two or more listeners, the sound is placed as far from listener 0
      // as it lies from the listener nearest to it.
      CVector3 p = ch.position;
      if (listenerCount_ >= 2) {
        p.x += listeners_[0].position.x - listeners_[nearest].position.x;
        p.y += listeners_[0].position.y - listeners_[nearest].position.y;
        p.z += listeners_[0].position.z - listeners_[nearest].position.z;
      }
      const float far = std::min(ch.range * 50.0f, kMaxFarDistance);
      ch.buffer3D->SetPosition(p.x * kWorldToSound, p.y * kWorldToSound, p.z * kWorldToSound, apply);
      ch.buffer3D->SetVelocity(ch.velocity.x * kWorldToSound, ch.velocity.y * kWorldToSound,
                               ch.velocity.z * kWorldToSound, apply);
      ch.buffer3D->SetMinDistance(std::max(ch.range, 1.0f) * kWorldToSound, apply);
      ch.buffer3D->SetMaxDistance(std::max(far, 1.0f) * kWorldToSound, apply);
    } else if (!use3D_) {
      // Without 3-D: silence far beyond the range, else the inverse-distance
      // law from the range and a pan from the bearing to the listener's right.
      const float d = std::sqrt(d2);
      if (d > 100.0f * ch.range) {
        StopChannel(c);
        return;
      }
      const Listener& l = listeners_[nearest];
      if (d > ch.range && volume > DSBVOLUME_MIN)
        volume = std::max<LONG>(DSBVOLUME_MIN, volume + VolumeOf(ch.range / d));
      // right = top x front (left-handed: x right, y up, z forward)
      const CVector3 right{l.top.y * l.front.z - l.top.z * l.front.y, l.top.z * l.front.x - l.top.x * l.front.z,
                           l.top.x * l.front.y - l.top.y * l.front.x};
      float sine = 0.0f;
      if (d > 0.0f)
        sine = ((ch.position.x - l.position.x) * right.x + (ch.position.y - l.position.y) * right.y +
                (ch.position.z - l.position.z) * right.z) / d;
      ch.pan = std::clamp(sine, -1.0f, 1.0f);
      ch.buffer->SetPan(static_cast<LONG>(std::lround(ch.pan * 3000.0f)));
    }
  }
  ch.buffer->SetVolume(volume);
}

// --- per frame -------------------------------------------------------------------------------

void CSoundManager::SetListenerCount(int count) { listenerCount_ = std::clamp(count, 0, kMaxSoundListeners); }

void CSoundManager::SetListener(int index, const CVector3& position, const CVector3& front, const CVector3& top) {
  if (index < 0 || index >= kMaxSoundListeners) return;
  listeners_[index] = Listener{position, front, top};
}

void CSoundManager::SetListenerFromCamera(int index, const CCamera& camera) {
  // The camera's forward and up axes are the third and second columns of its
  // rotation.
  SetListener(index, camera.GetPosition(), camera.GetForward(), camera.GetUp());
}

void CSoundManager::UpdateListener() {
  if (!use3D_ || listener3D_ == nullptr) return;
  const Listener& l = listeners_[0];
  listener3D_->SetPosition(l.position.x * kWorldToSound, l.position.y * kWorldToSound, l.position.z * kWorldToSound,
                           DS3D_DEFERRED);
  listener3D_->SetVelocity(0.0f, 0.0f, 0.0f, DS3D_DEFERRED);
  listener3D_->SetOrientation(l.front.x, l.front.y, l.front.z, l.top.x, l.top.y, l.top.z, DS3D_DEFERRED);
}

void CSoundManager::Update() {
  if (!active_) return;
  UpdateListener();
  UpdateEnvironmentSounds();
  UpdateLoops();
  for (int c = 1; c < ChannelCount(); ++c) RefillAndUpdate(c);
  UpdateStreams();
  if (use3D_ && listener3D_ != nullptr) listener3D_->CommitDeferredSettings();
  lastGameTime_ = GameTime();
  lastFrameTime_ = g_GameClock != nullptr ? g_GameClock->GetFrameTime() : 0.0f;
}

void CSoundManager::UpdateMusic() {
  if (active_ && ChannelCount() > kMusicChannel) RefillAndUpdate(kMusicChannel);
  intensity_.Update(g_GameClock != nullptr ? g_GameClock->GetFrameTime() : 0.0f);
}

