// 8, 16 and 32 voices mixed a frame at a time (30 ms, 1,323 frames of
// 44,100 Hz stereo) through the game's whole path — the manager's update
// refilling each channel by halves from its PSF sample, the DirectSound
// stand-in queueing the buffers' bytes, OpenAL Soft's mix on the loopback
// device — against OpenAL Soft mixing the same voices, placed alike, from
// static buffers of the decoded samples in the same process.  Prints the
// cost a voice a frame of each and the ratio (goal: at most 1.2).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "platform/dsound8/dsound8_test_hooks.h"
#include "psf_encoder.h"
#include "sound/psf_decoder.h"
#include "sound/sound_cache.h"
#include "sound/sound_manager.h"
#include "sound/wave_source_psf.h"

namespace {

constexpr int kFrame = 1323;
constexpr int kRate = 22050;
constexpr float kSeconds = 12.0f;
constexpr int kMostVoices = 32;
constexpr int kRoundFrames = 300;  // 9 s: no voice ends within a round

struct Voices {
  std::vector<std::vector<std::uint8_t>> blocks;
  std::vector<std::vector<short>> pcm;  // what the blocks decode to
  std::vector<std::array<float, 3>> places;  // DirectSound units (metres)
};

const Voices& TheVoices() {
  static Voices v = [] {
    Voices out;
    for (int i = 0; i < kMostVoices; ++i) {
      const std::size_t n = static_cast<std::size_t>(kSeconds * kRate);
      std::vector<std::int16_t> tone(n);
      for (std::size_t k = 0; k < n; ++k)
        tone[k] = static_cast<std::int16_t>(6000.0 * std::sin(2 * 3.14159265 * (200.0 + 37.0 * i) * k / kRate));
      out.blocks.push_back(EncodePsf(tone.data(), n, 0));
      PsfStream s;
      s.size = static_cast<std::uint32_t>(out.blocks.back().size());
      s.read = out.blocks.back().data();
      std::vector<short> decoded(out.blocks.back().size() / 16 * 30);
      PsfDecoder::Decode(&s, static_cast<std::uint32_t>(decoded.size()), reinterpret_cast<std::int16_t*>(decoded.data()), false);
      out.pcm.push_back(std::move(decoded));
      const float angle = 0.4f * static_cast<float>(i);
      out.places.push_back({20.0f * std::sin(angle), 0.0f, 20.0f * std::cos(angle)});
    }
    return out;
  }();
  return v;
}

// The game's path: a manager on the loopback device playing `voices` events.
struct GamePath {
  CSoundManager manager;
  bool ok = false;
  CSoundBank* bank = nullptr;

  explicit GamePath(int voices) {
    DSound8TestUseLoopback(true);
    ok = manager.Initialise(nullptr, 0, true) && manager.OrdinaryChannelCount() >= voices;
    DSound8TestUseLoopback(false);
    if (!ok) return;
    const Voices& v = TheVoices();
    ByteWriter w;
    WriteSoundCacheHeader(w);
    SoundBankSource source;
    source.name = "Bench.sbk";
    for (int i = 0; i < voices; ++i) {
      PsfMemorySample s;
      s.name = "V" + std::to_string(i);
      s.rate = kRate;
      s.blocks = v.blocks[static_cast<std::size_t>(i)];
      WritePsfMemoryChunk(w, kAllSampleSets, s);
      source.events.push_back({static_cast<std::uint16_t>(i), {{s.name, 1.0f, 0.0f, 1.0f}}});
    }
    WriteSoundBankChunk(w, source);
    PatchSoundCacheLength(w);
    ok = manager.Cache().LoadFromMemory(w.Data().data(), w.Size(), "bench.sch");
    bank = manager.LoadBank("Bench.sbk", 0);
    manager.SetListenerCount(1);
    manager.SetListener(0, CVector3{0, 0, 0}, CVector3{0, 0, 1}, CVector3{0, 1, 0});
    Restart(voices);
  }
  void Restart(int voices) {
    manager.StopAllSounds();
    const Voices& v = TheVoices();
    for (int i = 0; i < voices; ++i) {
      // World units are centimetres: 100 a metre; range 1000 = 10 m minimum distance.
      const auto& p = v.places[static_cast<std::size_t>(i)];
      const CVector3 at{p[0] * 100.0f, p[1] * 100.0f, p[2] * 100.0f};
      manager.PlayEvent(bank, i, &at, 1000.0f, 0);
    }
  }
  void Frame(float* out) {
    manager.Update();
    DSound8TestRender(manager.GetDevice(), out, kFrame);
  }
};

struct StaticPath {
  DSound8StaticMix* mix = nullptr;
  explicit StaticPath(int voices) {
    const Voices& v = TheVoices();
    std::vector<std::vector<short>> pcm(v.pcm.begin(), v.pcm.begin() + voices);
    mix = DSound8BenchStaticMixOpen(pcm, kRate, v.places, 10.0f);
  }
  ~StaticPath() { DSound8BenchStaticMixClose(mix); }
  void Frame(float* out) { DSound8BenchStaticMixRender(mix, out, kFrame); }
};

void BM_GamePath(benchmark::State& state) {
  const int voices = static_cast<int>(state.range(0));
  GamePath game(voices);
  if (!game.ok) {
    state.SkipWithError("the sound manager did not start");
    return;
  }
  std::vector<float> out(2 * kFrame);
  int frames = 0;
  for (auto _ : state) {
    if (++frames == kRoundFrames) {
      state.PauseTiming();
      game.Restart(voices);
      frames = 0;
      state.ResumeTiming();
    }
    game.Frame(out.data());
    benchmark::DoNotOptimize(out.data());
  }
}

void BM_StaticMix(benchmark::State& state) {
  StaticPath reference(static_cast<int>(state.range(0)));
  if (reference.mix == nullptr) {
    state.SkipWithError("no loopback device");
    return;
  }
  std::vector<float> out(2 * kFrame);
  for (auto _ : state) {
    reference.Frame(out.data());
    benchmark::DoNotOptimize(out.data());
  }
}

BENCHMARK(BM_GamePath)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StaticMix)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("ALSOFT_DRIVERS", "null", 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  // What the game's path must do that the static mix does not: decode the
  // PSF blocks of what a voice plays in a frame (half a frame's samples at
  // the voices' 22,050 Hz).  The game's path cannot cost less than the
  // static mix and this decoding together; the last column sets it against
  // that sum.
  const double decodePerVoice = [] {
    const Voices& v = TheVoices();
    const std::size_t samples = static_cast<std::size_t>(kRoundFrames) * kFrame * kRate / 44100;
    std::vector<std::int16_t> pcm(samples + 64);
    const double seconds = bench::BestSeconds(
        [&] {
          PsfStream s;
          s.size = static_cast<std::uint32_t>(v.blocks[0].size());
          s.read = v.blocks[0].data();
          return PsfDecoder::Decode(&s, static_cast<std::uint32_t>(samples), pcm.data(), false);
        },
        5);
    return seconds * 1e6 / kRoundFrames;
  }();
  std::printf("\nsound mixer: a round of %d frames of %d samples, best of 5\n", kRoundFrames, kFrame);
  std::printf("PSF decoding of a voice's frame (%d samples): %.2f us\n", kFrame * kRate / 44100, decodePerVoice);
  std::printf("%6s %14s %14s %8s %22s\n", "voices", "game us/voice", "static us/voice", "ratio",
              "ratio to static+decode");
  for (int voices : {8, 16, 32}) {
    GamePath game(voices);
    StaticPath reference(voices);
    if (!game.ok || reference.mix == nullptr) continue;
    std::vector<float> out(2 * kFrame);
    const double g = bench::BestSeconds(
        [&] {
          game.Restart(voices);
          for (int f = 0; f < kRoundFrames; ++f) game.Frame(out.data());
        },
        5);
    const double s = bench::BestSeconds(
        [&] {
          for (int f = 0; f < kRoundFrames; ++f) reference.Frame(out.data());
        },
        5);
    const double perFrame = 1e6 / kRoundFrames / voices;
    std::printf("%6d %14.2f %14.2f %8.2f %22.2f\n", voices, g * perFrame, s * perFrame, g / s,
                g * perFrame / (s * perFrame + decodePerVoice));
  }
  benchmark::Shutdown();
  return 0;
}
