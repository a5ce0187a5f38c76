// PSF decoding against the physical floor (memcpy of the PCM it produces), as
// a ratio; and the worst frame of the game's path in which every one of 32
// channels refills a half of its buffer at once (goal: under 2 ms).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
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

constexpr int kRate = 44100;

std::vector<std::uint8_t> Blocks(double hz, double seconds) {
  const std::size_t n = static_cast<std::size_t>(seconds * kRate);
  std::vector<std::int16_t> pcm(n);
  for (std::size_t i = 0; i < n; ++i)
    pcm[i] = static_cast<std::int16_t>(9000.0 * std::sin(2 * 3.14159265 * hz * i / kRate) +
                                       3000.0 * std::sin(2 * 3.14159265 * 3.1 * hz * i / kRate));
  return EncodePsf(pcm.data(), n, 0);
}

const std::vector<std::uint8_t>& TenSeconds() {
  static const std::vector<std::uint8_t> blocks = Blocks(440.0, 10.0);
  return blocks;
}

std::uint32_t Decode(const std::vector<std::uint8_t>& blocks, std::vector<std::int16_t>* out) {
  PsfStream s;
  s.size = static_cast<std::uint32_t>(blocks.size());
  s.read = blocks.data();
  return PsfDecoder::Decode(&s, static_cast<std::uint32_t>(out->size()), out->data(), false);
}

void BM_PsfDecode(benchmark::State& state) {
  const auto& blocks = TenSeconds();
  std::vector<std::int16_t> out(blocks.size() / 16 * 30);
  bench::MeasureBytes(state, [&] { return Decode(blocks, &out); }, out.size() * 2);
}

void BM_PcmCopy(benchmark::State& state) {
  const auto& blocks = TenSeconds();
  std::vector<std::int16_t> pcm(blocks.size() / 16 * 30, 1), out(pcm.size());
  bench::MeasureBytes(state, [&] {
    std::memcpy(out.data(), pcm.data(), pcm.size() * 2);
    return out[out.size() / 2];
  }, out.size() * 2);
}

BENCHMARK(BM_PsfDecode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PcmCopy)->Unit(benchmark::kMicrosecond);

// The longest manager update over 200 frames of 30 ms in which the channels,
// started together, refill their halves together (every 33 or 34 frames),
// leaving out the first frames (the first queueing of every source).
double WorstRefillFrameMs(int voices) {
  CSoundManager manager;
  DSound8TestUseLoopback(true);
  const bool started = manager.Initialise(nullptr, 0, true);
  DSound8TestUseLoopback(false);
  if (!started || manager.OrdinaryChannelCount() < voices) return -1.0;
  ByteWriter w;
  WriteSoundCacheHeader(w);
  SoundBankSource source;
  source.name = "Bench.sbk";
  for (int i = 0; i < voices; ++i) {
    PsfMemorySample s;
    s.name = "V" + std::to_string(i);
    s.rate = kRate;
    s.blocks = Blocks(200.0 + 31.0 * i, 10.0);
    WritePsfMemoryChunk(w, kAllSampleSets, s);
    source.events.push_back({static_cast<std::uint16_t>(i), {{s.name, 1.0f, 0.0f, 1.0f}}});
  }
  WriteSoundBankChunk(w, source);
  PatchSoundCacheLength(w);
  if (!manager.Cache().LoadFromMemory(w.Data().data(), w.Size(), "bench.sch")) return -1.0;
  const CSoundBank* bank = manager.LoadBank("Bench.sbk", 0);
  manager.SetListenerCount(1);
  for (int i = 0; i < voices; ++i) {
    const CVector3 at{100.0f * i, 0.0f, 500.0f};
    manager.PlayEvent(bank, i, &at, 1000.0f, 0);
  }
  std::vector<float> out(2 * 1323);
  double worst = 0.0;
  for (int f = 0; f < 200; ++f) {
    const auto start = std::chrono::steady_clock::now();
    manager.Update();
    if (f >= 5)
      worst = std::max(worst, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    DSound8TestRender(manager.GetDevice(), out.data(), 1323);
  }
  return worst;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("ALSOFT_DRIVERS", "null", 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  const auto& blocks = TenSeconds();
  std::vector<std::int16_t> out(blocks.size() / 16 * 30), pcm(out.size(), 1);
  const double decode = bench::BestSeconds([&] { return Decode(blocks, &out); }, 20);
  const double copy = bench::BestSeconds([&] {
    std::memcpy(out.data(), pcm.data(), pcm.size() * 2);
    return out[7];
  }, 20);
  std::printf("\nPSF decode of 10 s (%zu samples): %.3f ms, %.2f ns a sample; memcpy of its PCM %.3f ms; ratio %.1f\n",
              out.size(), decode * 1e3, decode * 1e9 / static_cast<double>(out.size()), copy * 1e3, decode / copy);
  for (int voices : {16, 32}) {
    const double worst = WorstRefillFrameMs(voices);
    std::printf("worst frame, %d channels refilling a half at once: %.2f ms (goal for 32: under 2 ms)\n", voices, worst);
  }
  benchmark::Shutdown();
  return 0;
}
