// The glass set per frame: 16 windows shattered into the whole pool of 400
// shards, which fly, fall and bounce (Update) and are queued as mesh items
// (Draw) each frame; and the cost of one shatter (a fan and 20 splits,
// filling the shards' meshes).  When the shards have all come to rest the
// panes are read and shattered again outside the timing.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "foundation/maths/random_tables.h"
#include "foundation/memory/linear_buffer.h"
#include "scene/transparent/depth_sort_queue.h"
#include "world/environment/env_text_cursor.h"
#include "world/glass/glazier.h"

namespace {

// Sixteen 100 x 200 windows in a row, each splitting 30 times.
std::string Section(int splits) {
  CGlazier source(0);
  for (int i = 0; i < kGlassMaxPanes; ++i) {
    GlassPane* p = source.GetPane(source.AddPane());
    const float x = 150.0f * static_cast<float>(i);
    const CVector3 points[4] = {{x, 100, 0}, {x + 100, 100, 0}, {x + 100, 300, 0}, {x, 300, 0}};
    for (int k = 0; k < 4; ++k) p->Outline.Points[k] = points[k];
    p->Outline.Count = 4;
    p->PlaneFromPoints();
    p->Splits[1] = splits;
    p->Thickness = 1.0f;
    p->PushSpeed[0] = p->PushSpeed[1] = 150.0f;
    p->State = GLASS_INTACT;
  }
  std::string text;
  source.WriteText(&text);
  return text;
}

std::unique_ptr<CGlazier> Shattered(const std::string& section) {
  auto glass = std::make_unique<CGlazier>(kGlassLevelShards);
  glass->MakeShards();
  EnvTextCursor cursor(section.c_str());
  glass->ReadText(cursor, kGlassVersionCurrent, GlassModules{});
  for (int i = 0; i < kGlassMaxPanes; ++i) glass->Shatter(i, i & 1 ? kGlassSideBack : kGlassSideFront, nullptr);
  return glass;
}

void BM_GlassFrameWithTheWholePoolFlying(benchmark::State& state) {
  SeedRandomTables(1);
  const std::string section = Section(30);
  CLinearBuffer level(1u << 22, "bench");
  DepthSortQueue queue;
  queue.Create(nullptr, nullptr, nullptr);
  queue.CreatePools(&level);
  std::unique_ptr<CGlazier> glass = Shattered(section);
  std::int64_t shards = 0;
  for (auto _ : state) {
    if (glass->LiveShards() < kGlassLevelShards / 2) {
      state.PauseTiming();
      glass = Shattered(section);
      state.ResumeTiming();
    }
    shards += glass->LiveShards();
    glass->Update(1.0f / 60.0f);
    queue.Clear();
    benchmark::DoNotOptimize(glass->Draw(&queue));
  }
  state.counters["shards"] = benchmark::Counter(static_cast<double>(shards), benchmark::Counter::kAvgIterations);
  queue.FreePools();
}
BENCHMARK(BM_GlassFrameWithTheWholePoolFlying)->Unit(benchmark::kMicrosecond);

void BM_GlassShatterWithTwentySplits(benchmark::State& state) {
  SeedRandomTables(1);
  const std::string section = Section(20);
  auto glass = std::make_unique<CGlazier>(kGlassLevelShards);
  glass->MakeShards();
  int pane = kGlassMaxPanes;
  for (auto _ : state) {
    if (pane == kGlassMaxPanes) {
      state.PauseTiming();
      glass = std::make_unique<CGlazier>(kGlassLevelShards);
      glass->MakeShards();
      EnvTextCursor cursor(section.c_str());
      glass->ReadText(cursor, kGlassVersionCurrent, GlassModules{});
      pane = 0;
      state.ResumeTiming();
    }
    glass->Shatter(pane++, kGlassSideFront, nullptr);
  }
}
BENCHMARK(BM_GlassShatterWithTwentySplits)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
