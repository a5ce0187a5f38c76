// Secondary buffers: the buffer's memory fed to an OpenAL source a little
// ahead of the play cursor, and the controls of volume, pan, frequency and
// the 3-D settings.
#include <AL/alext.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/dsound8/dsound8_impl.h"
#include "platform/dsound8/dsound8_test_hooks.h"

namespace dsound8 {
namespace {

// The source is kept fed this many frames ahead of its play cursor, in
// chunks of at most kChunkFrames: enough for a slow frame of the game, and
// far less than the half second that separates the play cursor from the
// half the game refills.
constexpr std::uint32_t kLeadFrames = 6144;
constexpr std::uint32_t kChunkFrames = 1024;

float GainOf(LONG volume) {
  return volume <= DSBVOLUME_MIN ? 0.0f : std::pow(10.0f, static_cast<float>(volume) / 2000.0f);
}

bool Same(const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

float Distance(const Vec3& a, const Vec3& b) {
  const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

}  // namespace

bool SameSettings(const Buffer3DSettings& a, const Buffer3DSettings& b) {
  return Same(a.position, b.position) && Same(a.velocity, b.velocity) && a.minDistance == b.minDistance &&
         a.maxDistance == b.maxDistance && a.mode == b.mode;
}

bool SameListener(const ListenerSettings& a, const ListenerSettings& b) {
  return Same(a.position, b.position) && Same(a.velocity, b.velocity) && Same(a.front, b.front) &&
         Same(a.top, b.top) && a.distanceFactor == b.distanceFactor && a.dopplerFactor == b.dopplerFactor &&
         a.rolloffFactor == b.rolloffFactor;
}

SecondaryBuffer::SecondaryBuffer(Device* device, const DSBUFFERDESC& desc, ALuint source)
    : device_(device), flags_(desc.dwFlags), channels_(desc.lpwfxFormat->nChannels),
      blockAlign_(desc.lpwfxFormat->nBlockAlign), rate_(desc.lpwfxFormat->nSamplesPerSec),
      memory_(desc.dwBufferBytes, 0), source_(source), format_(channels_ == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16),
      buffer3D_(this) {
  device_->MakeCurrent();
  if (channels_ == 2) {
    // Stereo goes out as it is: left to left, right to right.
    alSourcei(source_, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
  } else {
    alSourcef(source_, AL_ROLLOFF_FACTOR, device_->listener().Applied().rolloffFactor);
  }
  Apply3D();
}

SecondaryBuffer::~SecondaryBuffer() {
  device_->MakeCurrent();
  Unqueue();
  alDeleteSources(1, &source_);
  if (!freeBuffers_.empty()) alDeleteBuffers(static_cast<ALsizei>(freeBuffers_.size()), freeBuffers_.data());
  device_->Forget(this);
  device_->Release();
}

HRESULT SecondaryBuffer::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IDirectSound3DBuffer && has3D()) {
    AddRef();
    *out = static_cast<IDirectSound3DBuffer*>(&buffer3D_);
    return DS_OK;
  }
  return E_NOINTERFACE;
}

ULONG SecondaryBuffer::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

std::uint32_t SecondaryBuffer::QueuedBytes() const {
  std::uint32_t total = 0;
  for (const Chunk& c : queue_) total += c.bytes;
  return total;
}

void SecondaryBuffer::UnqueueProcessed() {
  ALint processed = 0;
  alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
  while (processed-- > 0 && !queue_.empty()) {
    Chunk c = queue_.front();
    queue_.pop_front();
    alSourceUnqueueBuffers(source_, 1, &c.buffer);
    freeBuffers_.push_back(c.buffer);
    headPosition_ = (c.start + c.bytes) % static_cast<std::uint32_t>(memory_.size());
  }
}

void SecondaryBuffer::Pump() {
  if (!playing_) return;
  device_->MakeCurrent();
  UnqueueProcessed();
  const std::uint32_t size = static_cast<std::uint32_t>(memory_.size());
  if (!looping_ && queueAtEnd_ && queue_.empty()) {
    // A one-shot play has run off the end of the buffer.
    playing_ = false;
    queueAtEnd_ = false;
    headPosition_ = 0;
    queueEnd_ = 0;
    return;
  }
  const std::uint32_t lead = kLeadFrames * blockAlign_;
  std::uint32_t queued = QueuedBytes();
  while (queued < lead && !(queueAtEnd_ && !looping_)) {
    const std::uint32_t n = std::min<std::uint32_t>(kChunkFrames * blockAlign_, size - queueEnd_);
    if (n == 0) break;
    ALuint b;
    if (!freeBuffers_.empty()) {
      b = freeBuffers_.back();
      freeBuffers_.pop_back();
    } else {
      alGenBuffers(1, &b);
    }
    alBufferData(b, format_, memory_.data() + queueEnd_, static_cast<ALsizei>(n), static_cast<ALsizei>(rate_));
    alSourceQueueBuffers(source_, 1, &b);
    queue_.push_back(Chunk{b, queueEnd_, n});
    queued += n;
    queueEnd_ += n;
    if (queueEnd_ >= size) {
      queueEnd_ = 0;
      if (!looping_) queueAtEnd_ = true;
    }
  }
  ALint state = AL_STOPPED;
  alGetSourcei(source_, AL_SOURCE_STATE, &state);
  if (state != AL_PLAYING && !queue_.empty()) alSourcePlay(source_);
}

std::uint32_t SecondaryBuffer::Cursor() {
  if (!playing_) return headPosition_;
  Pump();
  if (!playing_) return headPosition_;
  ALint offset = 0;
  alGetSourcei(source_, AL_SAMPLE_OFFSET, &offset);
  const std::uint64_t at = headPosition_ + static_cast<std::uint64_t>(offset) * blockAlign_;
  return static_cast<std::uint32_t>(at % memory_.size());
}

void SecondaryBuffer::Unqueue() {
  alSourceStop(source_);
  alSourcei(source_, AL_BUFFER, 0);
  for (const Chunk& c : queue_) freeBuffers_.push_back(c.buffer);
  queue_.clear();
  queueAtEnd_ = false;
  queueEnd_ = headPosition_;
}

HRESULT SecondaryBuffer::GetCurrentPosition(DWORD* play, DWORD* write) {
  device_->MakeCurrent();
  const std::uint32_t cursor = Cursor();
  if (play) *play = cursor;
  if (write) *write = playing_ ? queueEnd_ : cursor;
  return DS_OK;
}

HRESULT SecondaryBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* part1, DWORD* bytes1, LPVOID* part2,
                              DWORD* bytes2, DWORD flags) {
  if (part1 == nullptr || bytes1 == nullptr) return DSERR_INVALIDPARAM;
  const DWORD size = static_cast<DWORD>(memory_.size());
  if (flags & DSBLOCK_FROMWRITECURSOR) {
    DWORD write = 0;
    GetCurrentPosition(nullptr, &write);
    offset = write;
  }
  if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
  if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
  const DWORD first = std::min(bytes, size - offset);
  *part1 = memory_.data() + offset;
  *bytes1 = first;
  if (part2 != nullptr) *part2 = first < bytes ? memory_.data() : nullptr;
  if (bytes2 != nullptr) *bytes2 = bytes - first;
  if (first < bytes && (part2 == nullptr || bytes2 == nullptr)) return DSERR_INVALIDPARAM;
  return DS_OK;
}

HRESULT SecondaryBuffer::Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) {
  const std::uint8_t* base = memory_.data();
  const std::uint32_t size = static_cast<std::uint32_t>(memory_.size());
  auto inside = [&](LPVOID p, DWORD n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    return p == nullptr || (b >= base && b + n <= base + size);
  };
  if (!inside(part1, bytes1) || !inside(part2, bytes2)) return DSERR_INVALIDPARAM;
  if (!playing_ || queue_.empty()) return DS_OK;
  // Bytes already handed to the source but not yet played are handed again
  // when the lock rewrote any of them.
  auto overlaps = [&](LPVOID p, DWORD n) {
    if (p == nullptr || n == 0) return false;
    const std::uint32_t from = static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(p) - base);
    for (const Chunk& c : queue_)
      if (from < c.start + c.bytes && c.start < from + n) return true;
    return false;
  };
  if (overlaps(part1, bytes1) || overlaps(part2, bytes2)) {
    device_->MakeCurrent();
    headPosition_ = Cursor();
    Unqueue();
    Pump();
  }
  return DS_OK;
}

HRESULT SecondaryBuffer::Play(DWORD, DWORD, DWORD flags) {
  Record(this, "Play", {static_cast<double>(flags)});
  device_->MakeCurrent();
  const bool loop = (flags & DSBPLAY_LOOPING) != 0;
  if (playing_ && loop != looping_) {
    // From one-shot to looping or back: queue again from the play cursor.
    headPosition_ = Cursor();
    Unqueue();
  }
  looping_ = loop;
  if (!playing_) {
    playing_ = true;
    queueEnd_ = headPosition_;
    queueAtEnd_ = false;
  }
  Pump();
  return DS_OK;
}

HRESULT SecondaryBuffer::Stop() {
  Record(this, "Stop", {});
  device_->MakeCurrent();
  headPosition_ = Cursor();
  Unqueue();
  playing_ = false;
  return DS_OK;
}

HRESULT SecondaryBuffer::SetCurrentPosition(DWORD position) {
  if (position >= memory_.size()) return DSERR_INVALIDPARAM;
  Record(this, "SetCurrentPosition", {static_cast<double>(position)});
  device_->MakeCurrent();
  position -= position % blockAlign_;
  Unqueue();
  headPosition_ = position;
  queueEnd_ = position;
  Pump();
  return DS_OK;
}

HRESULT SecondaryBuffer::SetFrequency(DWORD frequency) {
  if (!(flags_ & DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
  if (frequency != DSBFREQUENCY_ORIGINAL && (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
    return DSERR_INVALIDPARAM;
  Record(this, "SetFrequency", {static_cast<double>(frequency)});
  // A setting equal to the current one sends nothing to OpenAL.
  if (frequency == frequency_ && frequencySet_) return DS_OK;
  frequency_ = frequency;
  frequencySet_ = true;
  device_->MakeCurrent();
  const DWORD hz = frequency == DSBFREQUENCY_ORIGINAL ? rate_ : frequency;
  alSourcef(source_, AL_PITCH, static_cast<float>(hz) / static_cast<float>(rate_));
  return DS_OK;
}

HRESULT SecondaryBuffer::SetVolume(LONG volume) {
  if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
  if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
  Record(this, "SetVolume", {static_cast<double>(volume)});
  if (volume == volume_ && volumeSet_) return DS_OK;
  volume_ = volume;
  volumeSet_ = true;
  device_->MakeCurrent();
  ApplyGain();
  return DS_OK;
}

HRESULT SecondaryBuffer::SetPan(LONG pan) {
  if (!(flags_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
  if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
  Record(this, "SetPan", {static_cast<double>(pan)});
  if (pan == pan_ && panSet_) return DS_OK;
  pan_ = pan;
  panSet_ = true;
  device_->MakeCurrent();
  ApplyPan();
  return DS_OK;
}

bool SecondaryBuffer::MutedByDistance() const {
  if (!has3D() || !(flags_ & DSBCAPS_MUTE3DATMAXDISTANCE) || applied3D_.mode == DS3DMODE_DISABLE) return false;
  const Vec3 origin;
  const Vec3& listener = applied3D_.mode == DS3DMODE_HEADRELATIVE ? origin : device_->listener().Applied().position;
  return Distance(applied3D_.position, listener) > applied3D_.maxDistance;
}

void SecondaryBuffer::ApplyGain() { alSourcef(source_, AL_GAIN, MutedByDistance() ? 0.0f : GainOf(volume_)); }

void SecondaryBuffer::ApplyPan() {
  if (channels_ != 1 || has3D()) return;
  // A mono buffer without 3-D sits on a circle around the listener's head:
  // straight ahead at the centre, at the side at full pan.
  const float angle = static_cast<float>(pan_) / static_cast<float>(DSBPAN_RIGHT) * 1.5707963f;
  alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
  alSource3f(source_, AL_POSITION, std::sin(angle), 0.0f, -std::cos(angle));
  alSourcef(source_, AL_REFERENCE_DISTANCE, 1.0f);
}

void SecondaryBuffer::Apply3D() {
  if (channels_ != 1) return;
  if (!has3D()) {
    ApplyPan();
    ApplyGain();
    return;
  }
  const Buffer3DSettings& s = applied3D_;
  float p[3], v[3];
  if (s.mode == DS3DMODE_DISABLE) {
    // No 3-D processing: the sound plays at the listener's head.
    alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source_, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSource3f(source_, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
  } else {
    ToAl(s.position, p);
    ToAl(s.velocity, v);
    alSourcei(source_, AL_SOURCE_RELATIVE, s.mode == DS3DMODE_HEADRELATIVE ? AL_TRUE : AL_FALSE);
    alSourcefv(source_, AL_POSITION, p);
    alSourcefv(source_, AL_VELOCITY, v);
  }
  alSourcef(source_, AL_REFERENCE_DISTANCE, s.minDistance);
  alSourcef(source_, AL_MAX_DISTANCE, s.maxDistance);
  alSourcef(source_, AL_ROLLOFF_FACTOR, device_->listener().Applied().rolloffFactor);
  ApplyGain();
}

void SecondaryBuffer::Commit(bool listenerMoved) {
  if (dirty3D_) {
    applied3D_ = pending3D_;
    dirty3D_ = false;
    Apply3D();
  } else if (listenerMoved && has3D() && (flags_ & DSBCAPS_MUTE3DATMAXDISTANCE)) {
    ApplyGain();
  }
}

void SecondaryBuffer::State(DSound8BufferState* out) const {
  out->flags = flags_;
  out->bytes = static_cast<DWORD>(memory_.size());
  out->channels = channels_;
  out->frequency = frequency_;
  out->volume = volume_;
  out->pan = pan_;
  out->playing = playing_;
  out->looping = looping_;
  out->has3D = has3D();
  out->mode3D = applied3D_.mode;
  out->position[0] = applied3D_.position.x;
  out->position[1] = applied3D_.position.y;
  out->position[2] = applied3D_.position.z;
  out->minDistance = applied3D_.minDistance;
  out->maxDistance = applied3D_.maxDistance;
  out->mutedByDistance = MutedByDistance();
  out->memory = memory_.data();
}

// --- the 3-D interface of a buffer ------------------------------------------------

HRESULT Buffer3D::QueryInterface(REFIID iid, void** out) { return owner_->QueryInterface(iid, out); }
ULONG Buffer3D::AddRef() { return owner_->AddRef(); }
ULONG Buffer3D::Release() { return owner_->Release(); }

HRESULT Buffer3D::Change(DWORD apply) {
  if (apply == DS3D_DEFERRED) {
    // Only a change waits for the commit.
    if (!SameSettings(owner_->pending3D(), owner_->applied3D())) owner_->dirty3D() = true;
    return DS_OK;
  }
  if (apply != DS3D_IMMEDIATE) return DSERR_INVALIDPARAM;
  // An immediate setting also applies what was deferred on this buffer.
  owner_->applied3D() = owner_->pending3D();
  owner_->dirty3D() = false;
  owner_->device()->MakeCurrent();
  owner_->Apply3D();
  return DS_OK;
}

HRESULT Buffer3D::SetPosition(float x, float y, float z, DWORD apply) {
  Record(this, "SetPosition3DBuffer", {x, y, z, static_cast<double>(apply)});
  owner_->pending3D().position = Vec3{x, y, z};
  return Change(apply);
}

HRESULT Buffer3D::SetVelocity(float x, float y, float z, DWORD apply) {
  Record(this, "SetVelocity3DBuffer", {x, y, z, static_cast<double>(apply)});
  owner_->pending3D().velocity = Vec3{x, y, z};
  return Change(apply);
}

HRESULT Buffer3D::SetMinDistance(float distance, DWORD apply) {
  if (!(distance > 0.0f)) return DSERR_INVALIDPARAM;
  Record(this, "SetMinDistance", {distance, static_cast<double>(apply)});
  owner_->pending3D().minDistance = distance;
  return Change(apply);
}

HRESULT Buffer3D::SetMaxDistance(float distance, DWORD apply) {
  if (!(distance > 0.0f)) return DSERR_INVALIDPARAM;
  Record(this, "SetMaxDistance", {distance, static_cast<double>(apply)});
  owner_->pending3D().maxDistance = distance;
  return Change(apply);
}

HRESULT Buffer3D::SetMode(DWORD mode, DWORD apply) {
  if (mode > DS3DMODE_DISABLE) return DSERR_INVALIDPARAM;
  Record(this, "SetMode", {static_cast<double>(mode), static_cast<double>(apply)});
  owner_->pending3D().mode = mode;
  return Change(apply);
}

// --- the listener ------------------------------------------------------------------

HRESULT Listener::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IDirectSound3DListener) {
    AddRef();
    *out = static_cast<IDirectSound3DListener*>(this);
    return DS_OK;
  }
  return E_NOINTERFACE;
}

// The listener lives as long as its device; its references are the device's.
ULONG Listener::AddRef() { return device_->AddRef(); }
ULONG Listener::Release() { return device_->Release(); }

HRESULT Listener::Change(DWORD apply) {
  if (apply == DS3D_DEFERRED) {
    if (!SameListener(pending_, applied_)) dirty_ = true;
    return DS_OK;
  }
  if (apply != DS3D_IMMEDIATE) return DSERR_INVALIDPARAM;
  applied_ = pending_;
  dirty_ = false;
  device_->MakeCurrent();
  Apply();
  // The listener's place decides which buffers are muted by distance.
  for (SecondaryBuffer* b : device_->buffers()) b->Commit(true);
  return DS_OK;
}

HRESULT Listener::SetPosition(float x, float y, float z, DWORD apply) {
  Record(this, "SetPositionListener", {x, y, z, static_cast<double>(apply)});
  pending_.position = Vec3{x, y, z};
  return Change(apply);
}

HRESULT Listener::SetVelocity(float x, float y, float z, DWORD apply) {
  Record(this, "SetVelocityListener", {x, y, z, static_cast<double>(apply)});
  pending_.velocity = Vec3{x, y, z};
  return Change(apply);
}

HRESULT Listener::SetOrientation(float fx, float fy, float fz, float tx, float ty, float tz, DWORD apply) {
  Record(this, "SetOrientation", {fx, fy, fz, tx, ty, tz, static_cast<double>(apply)});
  pending_.front = Vec3{fx, fy, fz};
  pending_.top = Vec3{tx, ty, tz};
  return Change(apply);
}

HRESULT Listener::SetDistanceFactor(float factor, DWORD apply) {
  if (!(factor > 0.0f)) return DSERR_INVALIDPARAM;
  Record(this, "SetDistanceFactor", {factor, static_cast<double>(apply)});
  pending_.distanceFactor = factor;
  return Change(apply);
}

HRESULT Listener::SetDopplerFactor(float factor, DWORD apply) {
  if (!(factor >= 0.0f)) return DSERR_INVALIDPARAM;
  Record(this, "SetDopplerFactor", {factor, static_cast<double>(apply)});
  pending_.dopplerFactor = factor;
  return Change(apply);
}

HRESULT Listener::SetRolloffFactor(float factor, DWORD apply) {
  if (!(factor >= 0.0f)) return DSERR_INVALIDPARAM;
  Record(this, "SetRolloffFactor", {factor, static_cast<double>(apply)});
  pending_.rolloffFactor = factor;
  return Change(apply);
}

HRESULT Listener::CommitDeferredSettings() {
  Record(this, "CommitDeferredSettings", {});
  device_->MakeCurrent();
  const bool moved = dirty_;
  if (dirty_) {
    applied_ = pending_;
    dirty_ = false;
    Apply();
  }
  for (SecondaryBuffer* b : device_->buffers()) b->Commit(moved);
  return DS_OK;
}

void Listener::Apply() {
  // Positions of the listener and the buffers share one unit, so the
  // distance factor (metres a unit, which only the Doppler shift would see)
  // is kept and not applied.
  float ap[3], av[3], front[3], top[3];
  ToAl(applied_.position, ap);
  ToAl(applied_.velocity, av);
  ToAl(applied_.front, front);
  ToAl(applied_.top, top);
  const float orientation[6] = {front[0], front[1], front[2], top[0], top[1], top[2]};
  alListenerfv(AL_POSITION, ap);
  alListenerfv(AL_VELOCITY, av);
  alListenerfv(AL_ORIENTATION, orientation);
  alDopplerFactor(applied_.dopplerFactor);
}

}  // namespace dsound8
