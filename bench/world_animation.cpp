// Pose evaluation of 100 animated figures of 20 joints with both channels
// blending, per frame; and loading animation sets from ".prb" cache bytes
// against parsing the same sets from ".prs" text, with the ratio printed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "foundation/text/hash.h"
#include "world/animation/anim_object.h"
#include "world/animation/anim_set.h"
#include "world/animation/prs_writer.h"
#include "world/environment/env_object.h"

namespace {

constexpr int kFigures = 100;
constexpr int kJoints = 20;

CVector4 Turn(float x, float y, float z, float angle) {
  const float n = std::sqrt(x * x + y * y + z * z), s = std::sin(angle * 0.5f) / n;
  return {x * s, y * s, z * s, std::cos(angle * 0.5f)};
}

void FillSet(AnimSet* set, int tracks, int keys, int rate, float seed) {
  set->Clear();
  set->TrackCount = tracks;
  set->Tracks.resize(static_cast<std::size_t>(tracks));
  for (int t = 0; t < tracks; ++t) {
    AnimTrack& track = set->Tracks[static_cast<std::size_t>(t)];
    track.FrameRate = rate;
    for (int k = 0; k < keys; ++k) {
      Pose p{};
      p.translation = CVector3{0.0f, 10.0f + static_cast<float>(t), 0.1f * static_cast<float>(k)};
      p.scale = CVector3{1.0f, 1.0f, 1.0f};
      p.rotation = Turn(1.0f + seed, static_cast<float>(t), 0.5f, 0.2f * static_cast<float>(k) + seed);
      track.Keys.push_back(p);
    }
  }
  set->KeyCount = keys;
  set->FrameRate = static_cast<float>(rate);
}

// A chain-and-branch skeleton of 20 joints, every node a bone.
struct Figures {
  std::vector<CEnvObject*> nodes;
  AnimSet walk, run, wave, aim;
  std::vector<std::unique_ptr<CAnimObject>> objects;

  Figures() {
    for (int i = 0; i < kJoints; ++i) {
      CEnvObject* n = NewEnvObjectNode();
      n->TemplateKind = OTYPE_TRANSFORMANIM;
      n->MeshKind = MESHKIND_PLAIN_ALT;
      n->NodeIndex = i;
      n->NameHash = HashString(("joint " + std::to_string(i)).c_str());
      n->ParentNode = i == 0 ? nullptr : nodes[static_cast<std::size_t>(i < 4 ? i - 1 : (i % 4) + (i > 8 ? 4 : 0))];
      if (i > 0) nodes.back()->NextNode = n;
      nodes.push_back(n);
    }
    FillSet(&walk, kJoints, 16, 16, 0.1f);
    FillSet(&run, kJoints, 12, 18, 0.7f);
    FillSet(&wave, kJoints, 20, 20, 1.3f);
    FillSet(&aim, kJoints, 10, 10, 2.1f);
    for (int f = 0; f < kFigures; ++f) {
      auto o = std::make_unique<CAnimObject>();
      o->Init(nullptr, EnvInstanceModules{}, 0, 0, nodes.front(), nullptr, CVector3{0, static_cast<float>(f), 0},
              CVector3{static_cast<float>(f) * 100.0f, 0, 0}, static_cast<std::uint32_t>(f), nullptr);
      o->StartAnim(0, &walk, kAnimRepeatLoop, 0, 0.0f);
      o->StartAnim(1, &wave, kAnimRepeatLoop, 0, 0.0f);
      o->Update(0.05f + 0.001f * static_cast<float>(f));
      o->EvaluatePose();
      objects.push_back(std::move(o));
    }
  }
  ~Figures() {
    objects.clear();
    FreeEnvObjectTemplate(nodes.front());
  }
};

// One frame: every figure starts blends on both channels now and then (so
// both channels are blending most of the time), advances and evaluates.
void BM_PoseEvaluation100Figures(benchmark::State& state) {
  Figures figures;
  int frame = 0;
  for (auto _ : state) {
    for (int f = 0; f < kFigures; ++f) {
      CAnimObject& o = *figures.objects[static_cast<std::size_t>(f)];
      if ((frame + f) % 30 == 0) {
        const bool odd = ((frame + f) / 30) % 2 != 0;
        o.StartAnim(0, odd ? &figures.run : &figures.walk, kAnimRepeatLoop, 1, 1.5f);
        o.StartAnim(1, odd ? &figures.aim : &figures.wave, kAnimRepeatLoop, 1, 1.5f);
      }
      o.Update(1.0f / 60.0f);
      o.EvaluatePose();
    }
    ++frame;
    benchmark::DoNotOptimize(figures.objects.front()->ModelMatrices.data());
  }
}
BENCHMARK(BM_PoseEvaluation100Figures)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// Sets the size of a soldier's: 50 tracks of 30 keys, 30 bounds, a few events.
struct SetFiles {
  std::vector<std::string> texts;
  std::vector<std::vector<std::uint8_t>> caches;
  std::size_t textBytes = 0, cacheBytes = 0;
  SetFiles() {
    for (int i = 0; i < 8; ++i) {
      AnimSet set;
      FillSet(&set, 50, 30, 30, 0.3f * static_cast<float>(i));
      for (int b = 0; b < 30; ++b) {
        AnimBounds block;
        AnimMakeBounds(CVector3{-30, 0, -30}, CVector3{30, 180.0f + static_cast<float>(b), 30}, &block.Box);
        block.Sphere = EnvSphere{CVector3{0, 90, 0}, 100.0f};
        set.Bounds.push_back(block);
      }
      set.Events.push_back(AnimEvent{0, 0.25f, nullptr, {}});
      set.Events.push_back(AnimEvent{1, 0.75f, nullptr, CVector3{1, 2, 3}});
      texts.push_back(WritePrsText(set, {}));
      caches.push_back(set.CacheBytes());
      textBytes += texts.back().size();
      cacheBytes += caches.back().size();
    }
  }
};
const SetFiles& Files() {
  static const SetFiles files;
  return files;
}

void LoadFromText() {
  for (const std::string& t : Files().texts) {
    AnimSet set;
    if (!set.ParseText(t.c_str())) std::abort();
    benchmark::DoNotOptimize(set.Tracks.data());
  }
}
void LoadFromCache() {
  for (const std::vector<std::uint8_t>& c : Files().caches) {
    AnimSet set;
    ByteReader in(c.data(), c.size());
    if (!set.ReadCache(in)) std::abort();
    benchmark::DoNotOptimize(set.Tracks.data());
  }
}

void BM_ParsePrsText(benchmark::State& state) {
  for (auto _ : state) LoadFromText();
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(Files().textBytes));
}
BENCHMARK(BM_ParsePrsText)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_ReadPrbCache(benchmark::State& state) {
  for (auto _ : state) LoadFromCache();
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(Files().cacheBytes));
}
BENCHMARK(BM_ReadPrbCache)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  {
    Figures figures;
    int frame = 0;
    const double seconds = bench::BestSeconds(
        [&] {
          for (int n = 0; n < 100; ++n, ++frame)
            for (int f = 0; f < kFigures; ++f) {
              CAnimObject& o = *figures.objects[static_cast<std::size_t>(f)];
              if ((frame + f) % 30 == 0) {
                o.StartAnim(0, &figures.run, kAnimRepeatLoop, 1, 1.5f);
                o.StartAnim(1, &figures.aim, kAnimRepeatLoop, 1, 1.5f);
              }
              o.Update(1.0f / 60.0f);
              o.EvaluatePose();
            }
        },
        20);
    std::printf("pose evaluation: %d figures of %d joints, both channels: %.1f us per frame\n", kFigures, kJoints,
                seconds * 1e6 / 100.0);
  }
  const double text = bench::BestSeconds(LoadFromText, 10), cache = bench::BestSeconds(LoadFromCache, 10);
  std::printf("8 sets of 50 tracks x 30 keys: .prs parse %.2f ms (%.0f KiB), .prb read %.2f ms (%.0f KiB), ratio %.1f\n",
              text * 1e3, static_cast<double>(Files().textBytes) / 1024.0, cache * 1e3,
              static_cast<double>(Files().cacheBytes) / 1024.0, text / cache);
  return 0;
}
