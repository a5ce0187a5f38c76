#include "sound/sound_fixture.h"

#include <cmath>
#include <fstream>

#include "foundation/files/buffered_file.h"
#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/program_exit.h"
#include "platform/dsound8/dsound8_test_hooks.h"
#include "platform/win32/message_box.h"
#include "foundation/maths/random15.h"
#include "psf_encoder.h"
#include "sound/psf_decoder.h"
#include "sound/sound_cache.h"
#include "sound_synth.h"
#include "world/engine.h"

namespace sound_test {

PsfMemorySample ToneSample(const std::string& name, float hz, float seconds, int rate, float amplitude) {
  // A pure sine (no harmonics to be mistaken for another sample's pitch).
  const std::vector<short> tone =
      audio_test::Tone(hz, amplitude * 26000.0, static_cast<std::size_t>(std::lround(seconds * rate)), rate);
  const std::vector<std::int16_t> pcm(tone.begin(), tone.end());
  PsfMemorySample sample;
  sample.name = name;
  sample.rate = static_cast<std::uint32_t>(rate);
  sample.formatByte = 4;
  sample.blocks = EncodePsf(pcm.data(), pcm.size(), 0);
  return sample;
}

std::vector<std::int16_t> DecodeAll(const std::vector<std::uint8_t>& blocks, bool stereo, std::uint32_t format) {
  PsfStream s;
  s.size = static_cast<std::uint32_t>(blocks.size());
  s.read = blocks.data();
  s.format = format;
  std::vector<std::int16_t> pcm(blocks.size() / 16 * PsfDecoder::SamplesPerBlock(format));
  PsfDecoder::Decode(&s, static_cast<std::uint32_t>(pcm.size()), pcm.data(), stereo);
  return pcm;
}

std::vector<std::uint8_t> CacheBytes(const std::vector<PsfMemorySample>& samples,
                                     const std::vector<SoundBankSource>& banks) {
  ByteWriter w;
  WriteSoundCacheHeader(w);
  for (const PsfMemorySample& s : samples) WritePsfMemoryChunk(w, kAllSampleSets, s);
  for (const SoundBankSource& b : banks) WriteSoundBankChunk(w, b);
  PatchSoundCacheLength(w);
  return w.Data();
}

SoundBankSource OneEntryBank(const std::string& name, const std::vector<std::pair<int, std::string>>& events) {
  SoundBankSource bank;
  bank.name = name;
  for (const auto& [id, sample] : events) {
    SoundBankSource::Event e;
    e.id = static_cast<std::uint16_t>(id);
    e.entries.push_back(SoundBankSource::Entry{sample, 1.0f, 0.0f, 1.0f});
    bank.events.push_back(e);
  }
  return bank;
}

void SoundTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = std::filesystem::temp_directory_path() /
            (std::string("halberd_sound_") + info->test_suite_name() + "_" + info->name());
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  previous_ = std::filesystem::current_path();
  std::filesystem::current_path(folder_);
  ClearAllCommandSwitches();
  SetCatalogMode(0);
  SetMessageBoxEcho(false);
  SetMessageBoxHook(
      [](HWND, const char* text, const char* caption, UINT type, void* self) {
        static_cast<SoundTest*>(self)->boxes_.push_back({text ? text : "", caption ? caption : ""});
        return (type & MB_TYPEMASK) == MB_ABORTRETRYIGNORE ? IDIGNORE : IDOK;
      },
      this);
  SetProgramExitHook([](int code, void* self) { static_cast<SoundTest*>(self)->exits_.push_back(code); }, this);
  SetWorkDirectory();
  SetSearchFolders(nullptr);
  SetSearchEnabled(1);
  ASSERT_EQ(CatalogStartup(), 1);
  clock_.SetFixedFrameTime(kFrameMs);
  clock_.Reset();
  g_GameClock = &clock_;
  DSound8TestUseLoopback(true);
  SRand15(1);
}

void SoundTest::TearDown() {
  manager_.Free();
  DSound8TestUseLoopback(false);
  DSound8TestLimitBuffers(-1, true);
  g_GameClock = nullptr;
  if (GetBufferedFile() && GetBufferedFile()->open) FileClose(GetBufferedFile());
  CloseCatalog();
  CatalogShutdown();
  SetSearchFolders(nullptr);
  SetProgramExitHook(nullptr, nullptr);
  SetMessageBoxHook(nullptr, nullptr);
  SetMessageBoxEcho(true);
  std::filesystem::current_path(previous_);
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
}

bool SoundTest::Start(const std::vector<std::uint8_t>& cache, bool want3D) {
  if (!manager_.Initialise(nullptr, 0, want3D)) return false;
  Listen();
  return cache.empty() || manager_.Cache().LoadFromMemory(cache.data(), cache.size(), "test.sch");
}

void SoundTest::Frame() {
  clock_.Update();
  manager_.Update();
  manager_.UpdateMusic();
  const std::size_t at = out_.size();
  out_.resize(at + 2 * kFrameSamples);
  ASSERT_TRUE(DSound8TestRender(manager_.GetDevice(), out_.data() + at, kFrameSamples));
}

double SoundTest::Level(int channel, double hz, std::size_t frames) const {
  return audio_test::ToneAmplitude(out_, channel, hz, Mixed() - frames, frames);
}

void SoundTest::Listen(const CVector3& front) {
  manager_.SetListenerCount(1);
  manager_.SetListener(0, CVector3{0.0f, 0.0f, 0.0f}, front, CVector3{0.0f, 1.0f, 0.0f});
}

void SoundTest::WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
  std::ofstream out(folder_ / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool SoundTest::Shown(const std::string& start) const {
  for (const CapturedBox& b : boxes_)
    if (b.text.compare(0, start.size(), start) == 0) return true;
  return false;
}

}  // namespace sound_test
