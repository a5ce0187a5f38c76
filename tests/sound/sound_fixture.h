// Shared set-up of the sound tests: a scratch working folder with the
// catalogs started, captured message boxes and program exits, a game clock
// stepped 30 ms a frame, and the sound manager on the loopback device, whose
// mix the test renders one frame at a time and reads back.  Samples are made
// by the sound tool's synthesiser and PSF encoder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/time/timer.h"
#include "sound/sound_bank.h"
#include "sound/sound_manager.h"
#include "sound/wave_source_psf.h"
#include "test_support/audio_analysis.h"

namespace sound_test {

// 30 ms of the mix a frame.
inline constexpr int kFrameSamples = 1323;
inline constexpr std::uint32_t kFrameMs = 30;

struct CapturedBox {
  std::string text, caption;
};

// A mono sine sample of the cache: `hz` for `seconds` at `rate`, its
// amplitude a share of 26000.
PsfMemorySample ToneSample(const std::string& name, float hz, float seconds, int rate = 22050, float amplitude = 0.6f);
// The PCM a sample's blocks decode to.
std::vector<std::int16_t> DecodeAll(const std::vector<std::uint8_t>& blocks, bool stereo, std::uint32_t format = 0);

// A cache file of the samples and banks (each bank's chunk), all sets.
std::vector<std::uint8_t> CacheBytes(const std::vector<PsfMemorySample>& samples,
                                     const std::vector<SoundBankSource>& banks = {});
// A bank of one event per (id, sample) pair, each entry at volume 1, no
// pitch variation, weight 1.
SoundBankSource OneEntryBank(const std::string& name, const std::vector<std::pair<int, std::string>>& events);

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Initialises the manager on the loopback device (3-D or not) and loads
  // the cache bytes into it; false when the manager does not start.
  bool Start(const std::vector<std::uint8_t>& cache, bool want3D = true);
  // One game frame: the clock, the manager's update and music update, then
  // the frame's samples mixed and kept in out_.
  void Frame();
  void Frames(int n) {
    for (int i = 0; i < n; ++i) Frame();
  }
  // Frames rendered so far.
  std::size_t Mixed() const { return out_.size() / 2; }
  // The amplitude of `hz` in a channel over the last `frames` mixed frames.
  double Level(int channel, double hz, std::size_t frames) const;
  // The manager's listener 0 at the origin, facing `front` with y up.
  void Listen(const CVector3& front = CVector3{0.0f, 0.0f, 1.0f});
  // A file in the scratch folder.
  void WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
  // Whether a box whose text begins with `start` was shown.
  bool Shown(const std::string& start) const;

  CSoundManager manager_;
  CTimer clock_;
  audio_test::StereoSamples out_;
  std::vector<CapturedBox> boxes_;
  std::vector<int> exits_;
  std::filesystem::path folder_;

 private:
  std::filesystem::path previous_;
};

}  // namespace sound_test
