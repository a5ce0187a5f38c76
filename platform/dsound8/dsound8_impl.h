// Inside the DirectSound 8 stand-in: the device, its listener, the primary
// buffer and the secondary buffers over OpenAL Soft.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdint>
#include <deque>
#include <vector>

#include "platform/dsound8/dsound8.h"

struct DSound8BufferState;

namespace dsound8 {

class Device;
class SecondaryBuffer;

// A 3-D vector as DirectSound gives it.
struct Vec3 {
  float x = 0.0f, y = 0.0f, z = 0.0f;
};

// The call log shared by every device.
void Record(const void* object, const char* method, std::initializer_list<double> args);
bool Recording();

// The listener's settings, applied and pending (deferred).
struct ListenerSettings {
  Vec3 position;
  Vec3 velocity;
  Vec3 front{0.0f, 0.0f, 1.0f};
  Vec3 top{0.0f, 1.0f, 0.0f};
  float distanceFactor = 1.0f;
  float dopplerFactor = 1.0f;
  float rolloffFactor = 1.0f;
};

class Listener final : public IDirectSound3DListener {
 public:
  explicit Listener(Device* device) : device_(device) {}
  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT SetPosition(float x, float y, float z, DWORD apply) override;
  HRESULT SetVelocity(float x, float y, float z, DWORD apply) override;
  HRESULT SetOrientation(float fx, float fy, float fz, float tx, float ty, float tz, DWORD apply) override;
  HRESULT SetDistanceFactor(float factor, DWORD apply) override;
  HRESULT SetDopplerFactor(float factor, DWORD apply) override;
  HRESULT SetRolloffFactor(float factor, DWORD apply) override;
  HRESULT CommitDeferredSettings() override;

  const ListenerSettings& Applied() const { return applied_; }
  // Sends the applied settings to OpenAL.
  void Apply();

 private:
  HRESULT Change(DWORD apply);
  Device* device_;
  ListenerSettings applied_;
  ListenerSettings pending_;
  bool dirty_ = false;
};

class PrimaryBuffer final : public IDirectSoundBuffer {
 public:
  PrimaryBuffer(Device* device, DWORD flags);
  ~PrimaryBuffer() override;
  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override;
  HRESULT Lock(DWORD, DWORD, LPVOID*, DWORD*, LPVOID*, DWORD*, DWORD) override { return DSERR_PRIOLEVELNEEDED; }
  HRESULT Unlock(LPVOID, DWORD, LPVOID, DWORD) override { return DSERR_INVALIDCALL; }
  HRESULT Play(DWORD, DWORD, DWORD) override { return DS_OK; }
  HRESULT Stop() override { return DS_OK; }
  HRESULT SetCurrentPosition(DWORD) override { return DSERR_INVALIDCALL; }
  HRESULT SetFormat(const WAVEFORMATEX* format) override;
  HRESULT SetFrequency(DWORD) override { return DSERR_CONTROLUNAVAIL; }
  HRESULT SetVolume(LONG volume) override;
  HRESULT SetPan(LONG) override { return DSERR_CONTROLUNAVAIL; }

 private:
  Device* device_;
  DWORD flags_;
  ULONG refs_ = 1;
};

// The settings of a 3-D buffer.
struct Buffer3DSettings {
  Vec3 position;
  Vec3 velocity;
  float minDistance = DS3D_DEFAULTMINDISTANCE;
  float maxDistance = DS3D_DEFAULTMAXDISTANCE;
  DWORD mode = DS3DMODE_NORMAL;
};

bool SameSettings(const Buffer3DSettings& a, const Buffer3DSettings& b);
bool SameListener(const ListenerSettings& a, const ListenerSettings& b);

// The 3-D interface of a secondary buffer; it shares the buffer's count.
class Buffer3D final : public IDirectSound3DBuffer {
 public:
  explicit Buffer3D(SecondaryBuffer* owner) : owner_(owner) {}
  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT SetPosition(float x, float y, float z, DWORD apply) override;
  HRESULT SetVelocity(float x, float y, float z, DWORD apply) override;
  HRESULT SetMinDistance(float distance, DWORD apply) override;
  HRESULT SetMaxDistance(float distance, DWORD apply) override;
  HRESULT SetMode(DWORD mode, DWORD apply) override;

 private:
  HRESULT Change(DWORD apply);
  SecondaryBuffer* owner_;
};

class SecondaryBuffer final : public IDirectSoundBuffer {
 public:
  SecondaryBuffer(Device* device, const DSBUFFERDESC& desc, ALuint source);
  ~SecondaryBuffer() override;
  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override;
  HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* part1, DWORD* bytes1, LPVOID* part2, DWORD* bytes2,
               DWORD flags) override;
  HRESULT Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) override;
  HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
  HRESULT Stop() override;
  HRESULT SetCurrentPosition(DWORD position) override;
  HRESULT SetFormat(const WAVEFORMATEX*) override { return DSERR_INVALIDCALL; }
  HRESULT SetFrequency(DWORD frequency) override;
  HRESULT SetVolume(LONG volume) override;
  HRESULT SetPan(LONG pan) override;

  // Queues what lies ahead of the play cursor, up to the lead, and keeps the
  // source playing.
  void Pump();
  // Sends the applied 3-D settings (and the gain they imply) to OpenAL.
  void Apply3D();
  // Applies the pending 3-D settings; with the listener moved, a buffer
  // muted at its maximum distance checks its distance again.
  void Commit(bool listenerMoved);
  void State(DSound8BufferState* out) const;

  Device* device() const { return device_; }
  bool has3D() const { return (flags_ & DSBCAPS_CTRL3D) != 0; }
  Buffer3DSettings& pending3D() { return pending3D_; }
  Buffer3DSettings& applied3D() { return applied3D_; }
  bool& dirty3D() { return dirty3D_; }

 private:
  struct Chunk {
    ALuint buffer;
    std::uint32_t start;
    std::uint32_t bytes;
  };
  // The play cursor from the queue head and the source's offset into it.
  std::uint32_t Cursor();
  // Stops the source and takes every chunk back; the play cursor stays.
  void Unqueue();
  void UnqueueProcessed();
  std::uint32_t QueuedBytes() const;
  void ApplyGain();
  void ApplyPan();
  bool MutedByDistance() const;

  Device* device_;
  DWORD flags_;
  WORD channels_;
  WORD blockAlign_;
  DWORD rate_;
  std::vector<std::uint8_t> memory_;
  ALuint source_;
  ALenum format_;
  std::vector<ALuint> freeBuffers_;
  std::deque<Chunk> queue_;
  std::uint32_t headPosition_ = 0;  // where the first queued chunk starts (the play cursor when stopped)
  std::uint32_t queueEnd_ = 0;      // where the next chunk starts
  bool queueAtEnd_ = false;         // a one-shot play has queued up to the buffer's end
  bool playing_ = false;
  bool looping_ = false;
  DWORD frequency_ = 0;
  LONG volume_ = 0;
  LONG pan_ = 0;
  bool frequencySet_ = false;
  bool volumeSet_ = false;
  bool panSet_ = false;
  ULONG refs_ = 1;
  Buffer3D buffer3D_;
  Buffer3DSettings applied3D_;
  Buffer3DSettings pending3D_;
  bool dirty3D_ = false;
};

class Device final : public IDirectSound8 {
 public:
  Device(ALCdevice* device, ALCcontext* context, bool loopback, int bufferLimit, bool limitInCaps);
  ~Device() override;
  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  HRESULT GetCaps(DSCAPS* caps) override;
  HRESULT SetCooperativeLevel(HWND window, DWORD level) override;
  HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer, IUnknown* outer) override;

  // Makes this device's context the current one.
  void MakeCurrent();
  bool loopback() const { return loopback_; }
  ALCdevice* alcDevice() const { return device_; }
  Listener& listener() { return listener_; }
  void Forget(SecondaryBuffer* buffer);
  void ForgetPrimary() { primary_ = nullptr; }
  const std::vector<SecondaryBuffer*>& buffers() const { return buffers_; }

 private:
  int Capacity() const;

  ALCdevice* device_;
  ALCcontext* context_;
  bool loopback_;
  int bufferLimit_;
  bool limitInCaps_;
  ULONG refs_ = 1;
  Listener listener_;
  PrimaryBuffer* primary_ = nullptr;
  std::vector<SecondaryBuffer*> buffers_;
};

// The DirectSound distance vector in OpenAL's right-handed frame.
inline void ToAl(const Vec3& v, float out[3]) {
  out[0] = v.x;
  out[1] = v.y;
  out[2] = -v.z;
}

}  // namespace dsound8
