// The device: opening OpenAL Soft's output (or its loopback device for tests),
// the capabilities, and the making of buffers.
#include <AL/alext.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/dsound8/dsound8_impl.h"
#include "platform/dsound8/dsound8_test_hooks.h"
#include "platform/win32/window.h"

const GUID DS3DALG_DEFAULT = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const IID IID_IDirectSound3DListener = {0x279AFA84, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectSound3DBuffer = {0x279AFA86, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

namespace dsound8 {
namespace {

// What a sound card of the game's day offered: the number of 3-D buffers the
// stand-in reports however many sources OpenAL Soft could mix.
constexpr int kHardwareBuffers = 64;

bool g_useLoopback = false;
int g_bufferLimit = -1;
bool g_limitInCaps = true;
bool g_recording = false;
std::vector<DSound8Call> g_calls;

LPALCLOOPBACKOPENDEVICESOFT LoopbackOpen() {
  return reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
}

bool Exists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0;
}

// Whether any audio output is there to be opened: a sound server's socket or
// an ALSA or OSS playback device.
bool AudioOutputPresent() {
  if (std::getenv("PULSE_SERVER") != nullptr) return true;
  if (const char* run = std::getenv("XDG_RUNTIME_DIR")) {
    const std::string dir = run;
    if (Exists(dir + "/pulse/native") || Exists(dir + "/pipewire-0")) return true;
  }
  if (Exists("/dev/dsp")) return true;
  for (int card = 0; card < 8; ++card)
    for (int dev = 0; dev < 8; ++dev)
      if (Exists("/dev/snd/pcmC" + std::to_string(card) + "D" + std::to_string(dev) + "p")) return true;
  return false;
}

// Before OpenAL Soft reads its driver list: a program without a display or
// without an audio device plays on the null driver, unless a driver was asked for.
void ChooseDriver() {
  static bool chosen = false;
  if (chosen) return;
  chosen = true;
  if (std::getenv("ALSOFT_DRIVERS") != nullptr) return;
  const bool headless = Win32WindowsAreOffscreen();
  if (headless || !AudioOutputPresent()) {
    setenv("ALSOFT_DRIVERS", "null", 1);
    std::fprintf(stderr, "dsound8: %s, playing on OpenAL Soft's null driver\n",
                 headless ? "no display" : "no audio device");
  }
}

}  // namespace

void Record(const void* object, const char* method, std::initializer_list<double> args) {
  if (!g_recording) return;
  g_calls.push_back(DSound8Call{object, method, std::vector<double>(args)});
}
bool Recording() { return g_recording; }

Device::Device(ALCdevice* device, ALCcontext* context, bool loopback, int bufferLimit, bool limitInCaps)
    : device_(device), context_(context), loopback_(loopback), bufferLimit_(bufferLimit),
      limitInCaps_(limitInCaps), listener_(this) {
  MakeCurrent();
  // DirectSound's distance law: full level up to the minimum distance, then
  // inversely with distance, held beyond the maximum.
  alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
  listener_.Apply();
}

Device::~Device() {
  alcMakeContextCurrent(nullptr);
  alcDestroyContext(context_);
  alcCloseDevice(device_);
}

void Device::MakeCurrent() {
  if (alcGetCurrentContext() != context_) alcMakeContextCurrent(context_);
}

HRESULT Device::QueryInterface(REFIID, void** out) {
  if (out) *out = nullptr;
  return E_NOINTERFACE;
}

ULONG Device::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

int Device::Capacity() const {
  int capacity = kHardwareBuffers;
  if (bufferLimit_ >= 0 && limitInCaps_ && bufferLimit_ < capacity) capacity = bufferLimit_;
  return capacity;
}

HRESULT Device::GetCaps(DSCAPS* caps) {
  if (caps == nullptr || caps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
  const int free = Capacity() - static_cast<int>(buffers_.size());
  caps->dwFlags = 0;
  caps->dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
  caps->dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
  caps->dwMaxHw3DAllBuffers = static_cast<DWORD>(Capacity());
  caps->dwFreeHw3DAllBuffers = static_cast<DWORD>(free > 0 ? free : 0);
  Record(this, "GetCaps", {static_cast<double>(caps->dwFreeHw3DAllBuffers)});
  return DS_OK;
}

HRESULT Device::SetCooperativeLevel(HWND, DWORD level) {
  Record(this, "SetCooperativeLevel", {static_cast<double>(level)});
  return (level == DSSCL_NORMAL || level == DSSCL_PRIORITY) ? DS_OK : DSERR_INVALIDPARAM;
}

HRESULT Device::CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** out, IUnknown* outer) {
  if (out == nullptr) return DSERR_INVALIDPARAM;
  *out = nullptr;
  if (desc == nullptr || outer != nullptr ||
      (desc->dwSize != DSBUFFERDESC_SIZE && desc->dwSize != sizeof(DSBUFFERDESC)))
    return DSERR_INVALIDPARAM;
  Record(this, "CreateSoundBuffer", {static_cast<double>(desc->dwFlags), static_cast<double>(desc->dwBufferBytes)});
  if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
    if (desc->dwBufferBytes != 0 || desc->lpwfxFormat != nullptr) return DSERR_INVALIDPARAM;
    if (primary_ != nullptr) {
      primary_->AddRef();
      *out = primary_;
      return DS_OK;
    }
    primary_ = new PrimaryBuffer(this, desc->dwFlags);
    *out = primary_;
    return DS_OK;
  }
  const WAVEFORMATEX* f = desc->lpwfxFormat;
  if (f == nullptr || f->wFormatTag != WAVE_FORMAT_PCM || f->wBitsPerSample != 16 ||
      (f->nChannels != 1 && f->nChannels != 2) || f->nBlockAlign != f->nChannels * 2 ||
      f->nSamplesPerSec < DSBFREQUENCY_MIN || f->nSamplesPerSec > DSBFREQUENCY_MAX)
    return DSERR_BADFORMAT;
  if (desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX ||
      desc->dwBufferBytes % f->nBlockAlign != 0)
    return DSERR_INVALIDPARAM;
  // 3-D buffers are mono, and a 3-D buffer has no pan.
  if ((desc->dwFlags & DSBCAPS_CTRL3D) && (f->nChannels != 1 || (desc->dwFlags & DSBCAPS_CTRLPAN)))
    return DSERR_INVALIDPARAM;
  if (bufferLimit_ >= 0 && static_cast<int>(buffers_.size()) >= bufferLimit_) return DSERR_OUTOFMEMORY;
  if (static_cast<int>(buffers_.size()) >= kHardwareBuffers) return DSERR_OUTOFMEMORY;
  MakeCurrent();
  alGetError();
  ALuint source = 0;
  alGenSources(1, &source);
  if (alGetError() != AL_NO_ERROR) {
    static bool said = false;
    if (!said) std::fprintf(stderr, "dsound8: OpenAL Soft can mix no more sources\n");
    said = true;
    return DSERR_OUTOFMEMORY;
  }
  SecondaryBuffer* buffer = new SecondaryBuffer(this, *desc, source);
  buffers_.push_back(buffer);
  AddRef();  // a buffer keeps its device
  *out = buffer;
  return DS_OK;
}

void Device::Forget(SecondaryBuffer* buffer) {
  for (std::size_t i = 0; i < buffers_.size(); ++i) {
    if (buffers_[i] == buffer) {
      buffers_.erase(buffers_.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
}

PrimaryBuffer::PrimaryBuffer(Device* device, DWORD flags) : device_(device), flags_(flags) { device_->AddRef(); }

PrimaryBuffer::~PrimaryBuffer() {
  device_->ForgetPrimary();
  device_->Release();
}

ULONG PrimaryBuffer::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT PrimaryBuffer::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IDirectSound3DListener && (flags_ & DSBCAPS_CTRL3D)) {
    device_->listener().AddRef();
    *out = static_cast<IDirectSound3DListener*>(&device_->listener());
    return DS_OK;
  }
  return E_NOINTERFACE;
}

HRESULT PrimaryBuffer::GetCurrentPosition(DWORD* play, DWORD* write) {
  if (play) *play = 0;
  if (write) *write = 0;
  return DS_OK;
}

HRESULT PrimaryBuffer::SetFormat(const WAVEFORMATEX* f) {
  if (f == nullptr || f->wFormatTag != WAVE_FORMAT_PCM) return DSERR_BADFORMAT;
  Record(this, "SetFormat",
         {static_cast<double>(f->nChannels), static_cast<double>(f->nSamplesPerSec),
          static_cast<double>(f->wBitsPerSample), static_cast<double>(f->nBlockAlign),
          static_cast<double>(f->nAvgBytesPerSec)});
  // The mix is made at the device's own rate and channels: 44,100 Hz stereo,
  // the format the program asks for.
  return DS_OK;
}

HRESULT PrimaryBuffer::SetVolume(LONG volume) {
  if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
  device_->MakeCurrent();
  alListenerf(AL_GAIN, volume <= DSBVOLUME_MIN ? 0.0f : std::pow(10.0f, static_cast<float>(volume) / 2000.0f));
  return DS_OK;
}

}  // namespace dsound8

HRESULT DirectSoundCreate8(const GUID*, IDirectSound8** out, IUnknown* outer) {
  using namespace dsound8;
  if (out == nullptr || outer != nullptr) return DSERR_INVALIDPARAM;
  *out = nullptr;
  ALCdevice* device = nullptr;
  ALCint attributes[] = {ALC_FREQUENCY, kDSound8LoopbackRate, ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
                         ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT, ALC_HRTF_SOFT, ALC_FALSE,
                         ALC_OUTPUT_LIMITER_SOFT, ALC_FALSE, 0};
  if (g_useLoopback) {
    LPALCLOOPBACKOPENDEVICESOFT open = LoopbackOpen();
    device = open != nullptr ? open(nullptr) : nullptr;
    if (device == nullptr) {
      std::fprintf(stderr, "dsound8: OpenAL Soft's loopback device could not be opened\n");
      return DSERR_NODRIVER;
    }
  } else {
    ChooseDriver();
    device = alcOpenDevice(nullptr);
    if (device == nullptr) {
      std::fprintf(stderr, "dsound8: no audio device could be opened\n");
      return DSERR_NODRIVER;
    }
    // A real output keeps its own format; the mix rate is the game's.
    attributes[2] = 0;
  }
  ALCcontext* context = alcCreateContext(device, attributes);
  if (context == nullptr) {
    std::fprintf(stderr, "dsound8: OpenAL Soft made no context (error 0x%x)\n", alcGetError(device));
    alcCloseDevice(device);
    return DSERR_NODRIVER;
  }
  *out = new Device(device, context, g_useLoopback, g_bufferLimit, g_limitInCaps);
  Record(*out, "DirectSoundCreate8", {});
  return DS_OK;
}

void DSound8TestUseLoopback(bool on) { dsound8::g_useLoopback = on; }

bool DSound8TestRender(IDirectSound8* device, float* out, int frames) {
  auto* d = static_cast<dsound8::Device*>(device);
  if (d == nullptr || !d->loopback() || frames < 0) return false;
  auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
  if (render == nullptr) return false;
  d->MakeCurrent();
  render(d->alcDevice(), out, frames);
  return true;
}

void DSound8TestLimitBuffers(int count, bool reportInCaps) {
  dsound8::g_bufferLimit = count;
  dsound8::g_limitInCaps = reportInCaps;
}

void DSound8TestRecordCalls(bool on) {
  dsound8::g_recording = on;
  dsound8::g_calls.clear();
}

const std::vector<DSound8Call>& DSound8TestCalls() { return dsound8::g_calls; }

std::vector<DSound8Call> DSound8TestCallsNamed(const std::string& method) {
  std::vector<DSound8Call> out;
  for (const DSound8Call& c : dsound8::g_calls)
    if (c.method == method) out.push_back(c);
  return out;
}

bool DSound8TestBufferState(IDirectSoundBuffer* buffer, DSound8BufferState* out) {
  auto* b = dynamic_cast<dsound8::SecondaryBuffer*>(buffer);
  if (b == nullptr || out == nullptr) return false;
  b->device()->MakeCurrent();
  b->Pump();
  b->State(out);
  return true;
}
