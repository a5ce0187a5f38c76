// DirectSound 8 as the game calls it: the device, the primary buffer with its
// 3-D listener, and secondary buffers (mono with a 3-D interface, or stereo)
// that the game fills by halves while they play looping.  Built over OpenAL
// Soft: each secondary buffer is an OpenAL source fed from the buffer's own
// memory, a little ahead of its play cursor; the play cursor is what the
// source has consumed.  Positions are DirectSound's left-handed coordinates
// (x right, y up, z forward) and distances its units.  Main thread only.
#pragma once

#include "platform/win32/unknown.h"
#include "platform/win32/win_types.h"

// Results.
#define DS_OK (static_cast<HRESULT>(0))
#define DSERR_INVALIDPARAM E_INVALIDARG
#define DSERR_OUTOFMEMORY E_OUTOFMEMORY
#define DSERR_GENERIC E_FAIL
#define DSERR_UNSUPPORTED E_NOTIMPL
#define DSERR_NOINTERFACE E_NOINTERFACE
#define DSERR_ALLOCATED (static_cast<HRESULT>(0x8878000Au))
#define DSERR_CONTROLUNAVAIL (static_cast<HRESULT>(0x8878001Eu))
#define DSERR_INVALIDCALL (static_cast<HRESULT>(0x88780032u))
#define DSERR_PRIOLEVELNEEDED (static_cast<HRESULT>(0x88780046u))
#define DSERR_BADFORMAT (static_cast<HRESULT>(0x88780064u))
#define DSERR_NODRIVER (static_cast<HRESULT>(0x88780078u))
#define DSERR_UNINITIALIZED (static_cast<HRESULT>(0x887800AAu))

// Cooperative levels.
#define DSSCL_NORMAL 0x00000001u
#define DSSCL_PRIORITY 0x00000002u

// Buffer capabilities (DSBUFFERDESC::dwFlags).
#define DSBCAPS_PRIMARYBUFFER 0x00000001u
#define DSBCAPS_STATIC 0x00000002u
#define DSBCAPS_LOCHARDWARE 0x00000004u
#define DSBCAPS_LOCSOFTWARE 0x00000008u
#define DSBCAPS_CTRL3D 0x00000010u
#define DSBCAPS_CTRLFREQUENCY 0x00000020u
#define DSBCAPS_CTRLPAN 0x00000040u
#define DSBCAPS_CTRLVOLUME 0x00000080u
#define DSBCAPS_GETCURRENTPOSITION2 0x00010000u
#define DSBCAPS_MUTE3DATMAXDISTANCE 0x00020000u

// Play, lock and range values.
#define DSBPLAY_LOOPING 0x00000001u
#define DSBLOCK_FROMWRITECURSOR 0x00000001u
#define DSBLOCK_ENTIREBUFFER 0x00000002u
#define DSBSIZE_MIN 4u
#define DSBSIZE_MAX 0x0FFFFFFFu
#define DSBFREQUENCY_ORIGINAL 0u
#define DSBFREQUENCY_MIN 100u
#define DSBFREQUENCY_MAX 100000u
#define DSBVOLUME_MIN (-10000)
#define DSBVOLUME_MAX 0
#define DSBPAN_LEFT (-10000)
#define DSBPAN_CENTER 0
#define DSBPAN_RIGHT 10000

// 3-D: when a setting applies, and the processing modes of a 3-D buffer.
#define DS3D_IMMEDIATE 0x00000000u
#define DS3D_DEFERRED 0x00000001u
#define DS3DMODE_NORMAL 0x00000000u
#define DS3DMODE_HEADRELATIVE 0x00000001u
#define DS3DMODE_DISABLE 0x00000002u
#define DS3D_DEFAULTMINDISTANCE 1.0f
#define DS3D_DEFAULTMAXDISTANCE 1000000000.0f

#define WAVE_FORMAT_PCM 1

// The size of the buffer description as the program fills it in (its
// 32-bit layout); the stand-in also takes sizeof(DSBUFFERDESC).
#define DSBUFFERDESC_SIZE 36u

struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
};

struct DSBUFFERDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwReserved;
  WAVEFORMATEX* lpwfxFormat;
  GUID guid3DAlgorithm;
};

// The device's capabilities, in the part the program reads.
struct DSCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwMinSecondarySampleRate;
  DWORD dwMaxSecondarySampleRate;
  DWORD dwMaxHw3DAllBuffers;
  DWORD dwFreeHw3DAllBuffers;
};

// The default 3-D algorithm (the null GUID) and the interfaces a buffer
// answers through QueryInterface.
extern const GUID DS3DALG_DEFAULT;
extern const IID IID_IDirectSound3DListener;
extern const IID IID_IDirectSound3DBuffer;

class IDirectSoundBuffer;

class IDirectSound8 : public IUnknown {
 public:
  // Fills caps (dwSize must be set); the free hardware 3-D buffers are the
  // sources the device can still give.
  virtual HRESULT GetCaps(DSCAPS* caps) = 0;
  // Accepts DSSCL_NORMAL and DSSCL_PRIORITY for any window.
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
  // Creates the primary buffer (once) or a secondary buffer of 16-bit PCM,
  // mono or stereo (3-D buffers mono only).  DSERR_OUTOFMEMORY when the
  // device can make no more.
  virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** buffer, IUnknown* outer) = 0;
};

class IDirectSoundBuffer : public IUnknown {
 public:
  // The play cursor (bytes the source has consumed, from where play began,
  // around the buffer) and the write cursor (the end of what is already
  // handed to the mixer).  Either may be null.
  virtual HRESULT GetCurrentPosition(DWORD* play, DWORD* write) = 0;
  // Gives the bytes [offset, offset + bytes) as one or two regions (the
  // second when the range wraps); DSBLOCK_ENTIREBUFFER takes all of it.
  virtual HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* part1, DWORD* bytes1, LPVOID* part2, DWORD* bytes2,
                       DWORD flags) = 0;
  // Ends a lock; bytes already handed to the mixer that the lock rewrote are
  // handed again.
  virtual HRESULT Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) = 0;
  // Plays from the play cursor, around the buffer when DSBPLAY_LOOPING is set.
  virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
  // Stops; the play cursor stays where it is.
  virtual HRESULT Stop() = 0;
  virtual HRESULT SetCurrentPosition(DWORD position) = 0;
  // Primary buffer: the output format (the mix is made at 44,100 Hz stereo).
  virtual HRESULT SetFormat(const WAVEFORMATEX* format) = 0;
  // 100 .. 100,000 Hz, or DSBFREQUENCY_ORIGINAL (needs DSBCAPS_CTRLFREQUENCY).
  virtual HRESULT SetFrequency(DWORD frequency) = 0;
  // Hundredths of a decibel, -10,000 .. 0 (needs DSBCAPS_CTRLVOLUME).
  virtual HRESULT SetVolume(LONG volume) = 0;
  // Hundredths of a decibel taken off the other side, -10,000 .. 10,000
  // (needs DSBCAPS_CTRLPAN; a mono buffer is placed left or right of the
  // listener's head, a stereo buffer keeps its sides).
  virtual HRESULT SetPan(LONG pan) = 0;
};

class IDirectSound3DListener : public IUnknown {
 public:
  virtual HRESULT SetPosition(float x, float y, float z, DWORD apply) = 0;
  virtual HRESULT SetVelocity(float x, float y, float z, DWORD apply) = 0;
  virtual HRESULT SetOrientation(float frontX, float frontY, float frontZ, float topX, float topY, float topZ,
                                 DWORD apply) = 0;
  virtual HRESULT SetDistanceFactor(float factor, DWORD apply) = 0;
  virtual HRESULT SetDopplerFactor(float factor, DWORD apply) = 0;
  virtual HRESULT SetRolloffFactor(float factor, DWORD apply) = 0;
  // Applies every deferred setting of the listener and of the device's buffers.
  virtual HRESULT CommitDeferredSettings() = 0;
};

class IDirectSound3DBuffer : public IUnknown {
 public:
  virtual HRESULT SetPosition(float x, float y, float z, DWORD apply) = 0;
  virtual HRESULT SetVelocity(float x, float y, float z, DWORD apply) = 0;
  // Full volume up to the minimum distance, then inversely with distance up
  // to the maximum; beyond it the level holds, or is silent for a buffer made
  // with DSBCAPS_MUTE3DATMAXDISTANCE.
  virtual HRESULT SetMinDistance(float distance, DWORD apply) = 0;
  virtual HRESULT SetMaxDistance(float distance, DWORD apply) = 0;
  virtual HRESULT SetMode(DWORD mode, DWORD apply) = 0;
};

// Opens the audio output (OpenAL Soft's default device; its null driver when
// the program runs without a display or finds no audio device, which it
// says once) and answers the device.  DSERR_NODRIVER when no device opens.
HRESULT DirectSoundCreate8(const GUID* device, IDirectSound8** out, IUnknown* outer);
