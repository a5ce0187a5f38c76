// Test-only controls of the DirectSound 8 stand-in: the loopback device whose
// mix a test renders and reads back, a limit on the buffers a device can
// make, the call log and a look at a buffer's state.  Not for the program.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/dsound8/dsound8.h"

// Rate and channels of the loopback mix (float samples, left then right).
inline constexpr int kDSound8LoopbackRate = 44100;

// Devices created from now on open OpenAL Soft's loopback device (when on):
// nothing is mixed until DSound8TestRender asks for it.
void DSound8TestUseLoopback(bool on);
// Mixes the next `frames` stereo frames of a loopback device into `out`
// (2 x frames floats).  False for a device that is not a loopback one.
bool DSound8TestRender(IDirectSound8* device, float* out, int frames);

// Devices created from now on can make at most `count` secondary buffers
// (negative: no limit of the test's); with `reportInCaps` GetCaps counts
// the limit among its free hardware 3-D buffers, otherwise only the making
// fails.
void DSound8TestLimitBuffers(int count, bool reportInCaps);

// One recorded call: the object's address, the method and its arguments
// (integers and floats as doubles).
struct DSound8Call {
  const void* object;
  std::string method;
  std::vector<double> args;
};
// Starts (clearing it) or stops recording the calls of every device.
void DSound8TestRecordCalls(bool on);
const std::vector<DSound8Call>& DSound8TestCalls();
// The recorded calls named `method`.
std::vector<DSound8Call> DSound8TestCallsNamed(const std::string& method);

// What a buffer holds and how it plays.
struct DSound8BufferState {
  DWORD flags = 0;
  DWORD bytes = 0;
  WORD channels = 0;
  DWORD frequency = 0;  // as set; 0 until SetFrequency
  LONG volume = 0;
  LONG pan = 0;
  bool playing = false;
  bool looping = false;
  bool has3D = false;
  DWORD mode3D = DS3DMODE_NORMAL;
  float position[3] = {};  // the applied 3-D settings
  float minDistance = DS3D_DEFAULTMINDISTANCE;
  float maxDistance = DS3D_DEFAULTMAXDISTANCE;
  bool mutedByDistance = false;  // beyond its maximum distance and made to mute there
  const unsigned char* memory = nullptr;  // the buffer's bytes
};
// False for the primary buffer or a null one.
bool DSound8TestBufferState(IDirectSoundBuffer* buffer, DSound8BufferState* out);

// Benchmark reference: OpenAL Soft mixing voices from static buffers, with
// nothing of the stand-in in between.  A loopback device of its own (44,100 Hz
// stereo float) with one looping source per voice: mono 16-bit samples at
// `rate`, placed at the position given (DirectSound's coordinates, minimum
// distance `minDistance`, the same distance law as the stand-in's 3-D
// buffers).  Null when the device cannot be opened.
struct DSound8StaticMix;
DSound8StaticMix* DSound8BenchStaticMixOpen(const std::vector<std::vector<short>>& voices, int rate,
                                            const std::vector<std::array<float, 3>>& positions, float minDistance);
// Mixes the next `frames` frames into `out` (2 x frames floats).
void DSound8BenchStaticMixRender(DSound8StaticMix* mix, float* out, int frames);
void DSound8BenchStaticMixClose(DSound8StaticMix* mix);
