// The benchmarks' reference mix: OpenAL Soft alone, from static buffers.
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include "platform/dsound8/dsound8_test_hooks.h"

struct DSound8StaticMix {
  ALCdevice* device = nullptr;
  ALCcontext* context = nullptr;
  std::vector<ALuint> buffers, sources;
  LPALCRENDERSAMPLESSOFT render = nullptr;
};

DSound8StaticMix* DSound8BenchStaticMixOpen(const std::vector<std::vector<short>>& voices, int rate,
                                            const std::vector<std::array<float, 3>>& positions, float minDistance) {
  auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
  auto* mix = new DSound8StaticMix;
  mix->render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
  mix->device = open != nullptr ? open(nullptr) : nullptr;
  const ALCint attributes[] = {ALC_FREQUENCY, kDSound8LoopbackRate, ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
                               ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT, ALC_HRTF_SOFT, ALC_FALSE,
                               ALC_OUTPUT_LIMITER_SOFT, ALC_FALSE, 0};
  mix->context = mix->device != nullptr ? alcCreateContext(mix->device, attributes) : nullptr;
  if (mix->context == nullptr || mix->render == nullptr) {
    DSound8BenchStaticMixClose(mix);
    return nullptr;
  }
  alcMakeContextCurrent(mix->context);
  alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
  for (std::size_t i = 0; i < voices.size(); ++i) {
    ALuint b = 0, s = 0;
    alGenBuffers(1, &b);
    alBufferData(b, AL_FORMAT_MONO16, voices[i].data(), static_cast<ALsizei>(voices[i].size() * 2), rate);
    alGenSources(1, &s);
    alSourcei(s, AL_BUFFER, static_cast<ALint>(b));
    alSourcei(s, AL_LOOPING, AL_TRUE);
    const std::array<float, 3>& p = positions[i % positions.size()];
    alSource3f(s, AL_POSITION, p[0], p[1], -p[2]);
    alSourcef(s, AL_REFERENCE_DISTANCE, minDistance);
    alSourcePlay(s);
    mix->buffers.push_back(b);
    mix->sources.push_back(s);
  }
  return mix;
}

void DSound8BenchStaticMixRender(DSound8StaticMix* mix, float* out, int frames) {
  if (mix == nullptr) return;
  alcMakeContextCurrent(mix->context);
  mix->render(mix->device, out, frames);
}

void DSound8BenchStaticMixClose(DSound8StaticMix* mix) {
  if (mix == nullptr) return;
  if (mix->context != nullptr) {
    alcMakeContextCurrent(mix->context);
    if (!mix->sources.empty()) alDeleteSources(static_cast<ALsizei>(mix->sources.size()), mix->sources.data());
    if (!mix->buffers.empty()) alDeleteBuffers(static_cast<ALsizei>(mix->buffers.size()), mix->buffers.data());
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(mix->context);
  }
  if (mix->device != nullptr) alcCloseDevice(mix->device);
  delete mix;
}
