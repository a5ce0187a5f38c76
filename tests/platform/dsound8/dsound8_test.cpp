// The DirectSound 8 stand-in on OpenAL Soft's loopback device: what a buffer
// holds comes out of the mix, the play cursor is what was mixed, 3-D
// buffers are placed and muted as DirectSound places them, and a device
// makes no more buffers than it may.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/dsound8/dsound8.h"
#include "platform/dsound8/dsound8_test_hooks.h"
#include "test_support/audio_analysis.h"

namespace {

using audio_test::Rms;
using audio_test::StereoSamples;
using audio_test::Tone;
using audio_test::ToneAmplitude;

constexpr DWORD kCtrl = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2;

class DSound8Test : public ::testing::Test {
 protected:
  void SetUp() override {
    DSound8TestUseLoopback(true);
    ASSERT_EQ(DirectSoundCreate8(nullptr, &ds_, nullptr), DS_OK);
    ASSERT_EQ(ds_->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
    DSBUFFERDESC primary{};
    primary.dwSize = DSBUFFERDESC_SIZE;
    primary.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
    ASSERT_EQ(ds_->CreateSoundBuffer(&primary, &primary_, nullptr), DS_OK);
    ASSERT_EQ(primary_->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener_)), DS_OK);
  }
  void TearDown() override {
    for (IDirectSoundBuffer* b : buffers_) b->Release();
    if (listener_) listener_->Release();
    if (primary_) primary_->Release();
    if (ds_) {
      EXPECT_EQ(ds_->Release(), 0u);
    }
    DSound8TestUseLoopback(false);
    DSound8TestLimitBuffers(-1, true);
    DSound8TestRecordCalls(false);
  }

  IDirectSoundBuffer* Make(WORD channels, DWORD bytes, DWORD flags) {
    WAVEFORMATEX f{WAVE_FORMAT_PCM, channels, 44100, 44100u * 2 * channels, static_cast<WORD>(2 * channels), 16, 0};
    DSBUFFERDESC d{};
    d.dwSize = DSBUFFERDESC_SIZE;
    d.dwFlags = flags;
    d.dwBufferBytes = bytes;
    d.lpwfxFormat = &f;
    d.guid3DAlgorithm = DS3DALG_DEFAULT;
    IDirectSoundBuffer* b = nullptr;
    if (ds_->CreateSoundBuffer(&d, &b, nullptr) != DS_OK) return nullptr;
    buffers_.push_back(b);
    return b;
  }

  static void Write(IDirectSoundBuffer* b, DWORD offset, const void* data, DWORD bytes) {
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(offset, bytes, &p1, &n1, &p2, &n2, 0), DS_OK);
    std::memcpy(p1, data, n1);
    if (n2) std::memcpy(p2, static_cast<const char*>(data) + n1, n2);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
  }

  // OpenAL Soft moves a changed gain or place to its new value over the
  // first 2048 frames it mixes after the change: measures start after them.
  static constexpr int kSettle = 2048;

  // Mixes `frames` frames in game frames of at most 1470, reading every
  // buffer's cursor between them as the game's update does (which keeps
  // each source fed).
  StereoSamples Render(int frames) {
    StereoSamples out(2 * static_cast<std::size_t>(frames));
    for (int done = 0; done < frames;) {
      const int n = std::min(1470, frames - done);
      EXPECT_TRUE(DSound8TestRender(ds_, out.data() + 2 * done, n));
      done += n;
      for (IDirectSoundBuffer* b : buffers_) b->GetCurrentPosition(nullptr, nullptr);
    }
    return out;
  }

  static DWORD PlayCursor(IDirectSoundBuffer* b) {
    DWORD play = 0;
    EXPECT_EQ(b->GetCurrentPosition(&play, nullptr), DS_OK);
    return play;
  }

  IDirectSound8* ds_ = nullptr;
  IDirectSoundBuffer* primary_ = nullptr;
  IDirectSound3DListener* listener_ = nullptr;
  std::vector<IDirectSoundBuffer*> buffers_;
};

// A looping stereo buffer comes out unchanged, frame for frame, around its
// end, while the game rewrites the part the cursor has left; the cursor
// counts exactly the frames mixed.
TEST_F(DSound8Test, StereoBufferPlaysItsBytesAroundTheRingAndTheCursorCountsTheMix) {
  const DWORD frames = 8000;  // a short ring, so that a few renders wrap it
  IDirectSoundBuffer* b = Make(2, frames * 4, kCtrl | DSBCAPS_CTRLPAN);
  ASSERT_NE(b, nullptr);
  auto value = [](DWORD frame, int side) { return static_cast<short>((frame * 37 + side * 11000) % 30000 - 15000); };
  std::vector<short> ring(2 * frames);
  DWORD written = 0;  // frames of the sequence written so far
  for (DWORD i = 0; i < frames; ++i, ++written)
    for (int side = 0; side < 2; ++side) ring[2 * i + side] = value(written, side);
  Write(b, 0, ring.data(), frames * 4);
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);

  DWORD mixed = 0;
  for (int step = 0; step < 12; ++step) {
    const int n = 1470;
    StereoSamples out = Render(n);
    for (int i = 0; i < n; ++i)
      for (int side = 0; side < 2; ++side)
        ASSERT_FLOAT_EQ(out[2 * i + side] * 32768.0f, value(mixed + i, side)) << "frame " << mixed + i;
    mixed += n;
    ASSERT_EQ(PlayCursor(b), (mixed % frames) * 4);
    // Refill what has been played with the continuation of the sequence,
    // as the game refills the half it has left.
    const DWORD cursorFrame = mixed % frames;
    while (written < mixed + frames - 2000 && written < mixed + frames) {
      const DWORD at = written % frames;
      if (at == cursorFrame) break;
      short pair[2] = {value(written, 0), value(written, 1)};
      Write(b, at * 4, pair, 4);
      ++written;
    }
  }
}

// Bytes already handed to the mixer that a lock rewrites are mixed as
// rewritten.
TEST_F(DSound8Test, RewritingQueuedBytesIsHeard) {
  const DWORD frames = 44100;
  IDirectSoundBuffer* b = Make(2, frames * 4, kCtrl);
  std::vector<short> ones(2 * frames, 1000);
  Write(b, 0, ones.data(), frames * 4);
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  Render(100);
  std::vector<short> twos(2 * 200, 2000);
  Write(b, 100 * 4, twos.data(), 200 * 4);  // just ahead of the cursor
  StereoSamples out = Render(300);
  EXPECT_FLOAT_EQ(out[0] * 32768.0f, 2000.0f);
  EXPECT_FLOAT_EQ(out[2 * 199] * 32768.0f, 2000.0f);
  EXPECT_FLOAT_EQ(out[2 * 200] * 32768.0f, 1000.0f);
}

// Played once, a buffer stops at its end and its cursor goes back to 0;
// stopped, it keeps its cursor and plays on from it.
TEST_F(DSound8Test, OneShotStopsAtTheEndAndStopKeepsTheCursor) {
  IDirectSoundBuffer* b = Make(1, 3000 * 2, kCtrl);
  std::vector<short> data(3000, 3000);
  Write(b, 0, data.data(), 3000 * 2);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  Render(1000);
  EXPECT_EQ(PlayCursor(b), 2000u);
  ASSERT_EQ(b->Stop(), DS_OK);
  Render(1000);
  EXPECT_EQ(PlayCursor(b), 2000u);
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  StereoSamples out = Render(4000);
  EXPECT_GT(Rms(out, 0, 0, 2000), 0.01);
  EXPECT_EQ(Rms(out, 0, 2100, 1800), 0.0) << "nothing after the end";
  DSound8BufferState state;
  ASSERT_TRUE(DSound8TestBufferState(b, &state));
  EXPECT_FALSE(state.playing);
  EXPECT_EQ(PlayCursor(b), 0u);
}

// Frequency sets the speed at which the cursor moves.
TEST_F(DSound8Test, FrequencySetsTheRateTheCursorMoves) {
  IDirectSoundBuffer* b = Make(1, 44100 * 2, kCtrl);
  std::vector<short> tone = Tone(441.0, 8000.0, 44100);
  Write(b, 0, tone.data(), 44100 * 2);
  ASSERT_EQ(b->SetFrequency(22050), DS_OK);
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  StereoSamples out = Render(4410);
  EXPECT_EQ(PlayCursor(b), 2205u * 2);
  // Half the rate: the tone comes out an octave down.
  EXPECT_GT(ToneAmplitude(out, 0, 220.5, 400, 4000), 5 * ToneAmplitude(out, 0, 441.0, 400, 4000));
  EXPECT_EQ(b->SetFrequency(99), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetFrequency(100001), DSERR_INVALIDPARAM);
}

// A 3-D buffer to the listener's right is heard on the right; at twice its
// distance at half the level (beyond the minimum distance); beyond its
// maximum distance it is silent; turning the listener round moves it left.
TEST_F(DSound8Test, ThreeDBufferIsPlacedAttenuatedAndMutedBeyondItsMaximum) {
  IDirectSoundBuffer* b = Make(1, 44100 * 2, kCtrl | DSBCAPS_CTRL3D | DSBCAPS_MUTE3DATMAXDISTANCE);
  ASSERT_NE(b, nullptr);
  IDirectSound3DBuffer* b3 = nullptr;
  ASSERT_EQ(b->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&b3)), DS_OK);
  std::vector<short> tone = Tone(1000.0, 10000.0, 44100);
  Write(b, 0, tone.data(), 44100 * 2);
  ASSERT_EQ(b3->SetMinDistance(2.0f, DS3D_IMMEDIATE), DS_OK);
  ASSERT_EQ(b3->SetMaxDistance(20.0f, DS3D_IMMEDIATE), DS_OK);
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);

  // Listener at the origin facing +z (front), or turned to face -z.
  auto measure = [&](float x, float frontZ, double* left, double* right) {
    EXPECT_EQ(b3->SetPosition(x, 0.0f, 0.0f, DS3D_DEFERRED), DS_OK);
    EXPECT_EQ(listener_->SetOrientation(0.0f, 0.0f, frontZ, 0.0f, 1.0f, 0.0f, DS3D_DEFERRED), DS_OK);
    EXPECT_EQ(listener_->CommitDeferredSettings(), DS_OK);
    StereoSamples out = Render(kSettle + 1764);
    *left = ToneAmplitude(out, 0, 1000.0, kSettle, 1764);
    *right = ToneAmplitude(out, 1, 1000.0, kSettle, 1764);
  };
  double l4, r4, l8, r8, lfar, rfar, lturn, rturn;
  measure(4.0f, 1.0f, &l4, &r4);
  measure(8.0f, 1.0f, &l8, &r8);
  measure(21.0f, 1.0f, &lfar, &rfar);
  measure(4.0f, -1.0f, &lturn, &rturn);
  EXPECT_GT(r4, 10 * l4 + 1e-4) << "to the right";
  // Inverse distance from the minimum distance: 2/4 then 2/8 of the level.
  EXPECT_NEAR(r4 / (10000.0 / 32768.0), 0.5, 0.02);
  EXPECT_NEAR(r8 / r4, 0.5, 0.02);
  EXPECT_EQ(lfar + rfar, 0.0) << "muted beyond the maximum distance";
  EXPECT_GT(lturn, 10 * rturn + 1e-4) << "turned round, the sound is on the left";
  b3->Release();
}

// Deferred settings wait for the commit; immediate ones apply at once.
TEST_F(DSound8Test, DeferredSettingsWaitForTheCommit) {
  IDirectSoundBuffer* b = Make(1, 4410 * 2, kCtrl | DSBCAPS_CTRL3D);
  IDirectSound3DBuffer* b3 = nullptr;
  ASSERT_EQ(b->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&b3)), DS_OK);
  ASSERT_EQ(b3->SetPosition(1.0f, 2.0f, 3.0f, DS3D_DEFERRED), DS_OK);
  DSound8BufferState state;
  ASSERT_TRUE(DSound8TestBufferState(b, &state));
  EXPECT_EQ(state.position[0], 0.0f);
  ASSERT_EQ(listener_->CommitDeferredSettings(), DS_OK);
  ASSERT_TRUE(DSound8TestBufferState(b, &state));
  EXPECT_EQ(state.position[2], 3.0f);
  ASSERT_EQ(b3->SetMode(DS3DMODE_DISABLE, DS3D_IMMEDIATE), DS_OK);
  ASSERT_TRUE(DSound8TestBufferState(b, &state));
  EXPECT_EQ(state.mode3D, DS3DMODE_DISABLE);
  b3->Release();
}

// A mono buffer without 3-D is panned; with 3-D it has no pan control.
TEST_F(DSound8Test, PanMovesAMonoBufferWithout3D) {
  IDirectSoundBuffer* b = Make(1, 44100 * 2, kCtrl | DSBCAPS_CTRLPAN);
  std::vector<short> tone = Tone(1000.0, 10000.0, 44100);
  Write(b, 0, tone.data(), 44100 * 2);
  ASSERT_EQ(b->SetPan(DSBPAN_LEFT), DS_OK);
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  StereoSamples out = Render(2205);
  EXPECT_GT(ToneAmplitude(out, 0, 1000.0, 441, 1764), 10 * ToneAmplitude(out, 1, 1000.0, 441, 1764) + 1e-4);
  ASSERT_EQ(b->SetPan(DSBPAN_RIGHT), DS_OK);
  out = Render(kSettle + 1764);
  EXPECT_GT(ToneAmplitude(out, 1, 1000.0, kSettle, 1764), 10 * ToneAmplitude(out, 0, 1000.0, kSettle, 1764) + 1e-4);
  IDirectSoundBuffer* b3 = Make(1, 4410 * 2, kCtrl | DSBCAPS_CTRL3D);
  EXPECT_EQ(b3->SetPan(0), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(Make(1, 4410 * 2, kCtrl | DSBCAPS_CTRL3D | DSBCAPS_CTRLPAN), nullptr) << "3-D buffers have no pan";
  EXPECT_EQ(Make(2, 4410 * 4, kCtrl | DSBCAPS_CTRL3D), nullptr) << "3-D buffers are mono";
}

// Volume is hundredths of a decibel: -600 is half the amplitude, -10000 silence.
TEST_F(DSound8Test, VolumeIsHundredthsOfADecibel) {
  IDirectSoundBuffer* b = Make(2, 44100 * 4, kCtrl);
  std::vector<short> data(2 * 44100, 16000);
  Write(b, 0, data.data(), 44100 * 4);
  ASSERT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
  ASSERT_EQ(b->SetVolume(-602), DS_OK);
  StereoSamples out = Render(kSettle + 100);
  EXPECT_NEAR(out[2 * kSettle] * 32768.0f, 8000.0f, 20.0f);
  ASSERT_EQ(b->SetVolume(DSBVOLUME_MIN), DS_OK);
  out = Render(kSettle + 1000);
  EXPECT_EQ(Rms(out, 0, kSettle, 1000), 0.0);
  EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);
}

// The buffer limit of a test: the capabilities count it, and the buffer
// after the last one allowed is refused.
TEST(DSound8Limits, ADeviceMakesNoMoreBuffersThanItMay) {
  struct Case {
    int limit;
    bool inCaps;
    DWORD reportedFree;
  };
  for (const Case& c : {Case{10, true, 10u}, Case{15, true, 15u}, Case{10, false, 64u}}) {
    DSound8TestUseLoopback(true);
    DSound8TestLimitBuffers(c.limit, c.inCaps);
    IDirectSound8* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DS_OK);
    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    ASSERT_EQ(ds->GetCaps(&caps), DS_OK);
    EXPECT_EQ(caps.dwFreeHw3DAllBuffers, c.reportedFree);
    WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
    DSBUFFERDESC d{};
    d.dwSize = DSBUFFERDESC_SIZE;
    d.dwFlags = kCtrl | DSBCAPS_CTRL3D;
    d.dwBufferBytes = 882;
    d.lpwfxFormat = &f;
    std::vector<IDirectSoundBuffer*> made;
    IDirectSoundBuffer* b = nullptr;
    while (made.size() < 100 && ds->CreateSoundBuffer(&d, &b, nullptr) == DS_OK) made.push_back(b);
    EXPECT_EQ(made.size(), static_cast<std::size_t>(c.limit));
    ASSERT_EQ(ds->GetCaps(&caps), DS_OK);
    if (c.inCaps) {
      EXPECT_EQ(caps.dwFreeHw3DAllBuffers, 0u);
    }
    for (IDirectSoundBuffer* m : made) m->Release();
    EXPECT_EQ(ds->Release(), 0u);
  }
  DSound8TestLimitBuffers(-1, true);
  DSound8TestUseLoopback(false);
}

// Descriptions the device refuses.
TEST_F(DSound8Test, BadDescriptionsAreRefused) {
  WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
  struct Case {
    DWORD size, flags, bytes;
    WAVEFORMATEX* format;
    HRESULT expected;
  };
  WAVEFORMATEX eight = f;
  eight.wBitsPerSample = 8;
  WAVEFORMATEX badAlign = f;
  badAlign.nBlockAlign = 3;
  const Case cases[] = {
      {20, kCtrl, 882, &f, DSERR_INVALIDPARAM},      {DSBUFFERDESC_SIZE, kCtrl, 0, &f, DSERR_INVALIDPARAM},
      {DSBUFFERDESC_SIZE, kCtrl, 881, &f, DSERR_INVALIDPARAM}, {DSBUFFERDESC_SIZE, kCtrl, 882, nullptr, DSERR_BADFORMAT},
      {DSBUFFERDESC_SIZE, kCtrl, 882, &eight, DSERR_BADFORMAT}, {DSBUFFERDESC_SIZE, kCtrl, 882, &badAlign, DSERR_BADFORMAT},
      {DSBUFFERDESC_SIZE, DSBCAPS_PRIMARYBUFFER, 882, nullptr, DSERR_INVALIDPARAM},
  };
  for (const Case& c : cases) {
    DSBUFFERDESC d{};
    d.dwSize = c.size;
    d.dwFlags = c.flags;
    d.dwBufferBytes = c.bytes;
    d.lpwfxFormat = c.format;
    IDirectSoundBuffer* b = reinterpret_cast<IDirectSoundBuffer*>(1);
    EXPECT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), c.expected) << c.size << " " << c.bytes;
    EXPECT_EQ(b, nullptr);
  }
  IDirectSoundBuffer* b = Make(1, 882, kCtrl);
  void *p1, *p2;
  DWORD n1, n2;
  EXPECT_EQ(b->Lock(882, 2, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Lock(0, 883, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
  ASSERT_EQ(b->Lock(800, 100, &p1, &n1, &p2, &n2, 0), DS_OK);
  EXPECT_EQ(n1, 82u);
  EXPECT_EQ(n2, 18u);
  char outside[4];
  EXPECT_EQ(b->Unlock(outside, 4, nullptr, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
}

}  // namespace
