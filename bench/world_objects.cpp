// The object manager's per-frame update pass over 1,000 world objects spread
// over the cells of sides and kinds, half of them moving a little each frame;
// and id lookups with and without the id table.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "world/environment/env_instance.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/hlo_spawn_record.h"

namespace {

class BenchObject : public CHLO {
 public:
  BenchObject(const HLOSpawnRecord& record, CEnvInstance* visual) : CHLO(record, nullptr) { Instance = visual; }
  void Update() override {
    if (Id & 1) {
      CVector3 p = Instance->GetLocalPosition();
      p.x += 0.5f;
      Instance->SetPosition(p, false);
    }
  }
};

struct Level {
  explicit Level(int count, int idStride) : manager(4, 10), visuals(static_cast<std::size_t>(count)) {
    manager.SetDeleteCallback([](CHLO* o) { delete o; });
    for (int i = 0; i < count; ++i) {
      HLOSpawnRecord r;
      r.Init();
      r.id = i * idStride;
      r.side = static_cast<std::uint8_t>(i % 4);
      r.kind = i % 10;
      r.orderKey = static_cast<std::int8_t>(i % 7);
      r.objectFlags = 0;  // filed active below; no ground warning without a world
      std::strcpy(r.templateName, "Bench");
      auto* object = new BenchObject(r, &visuals[static_cast<std::size_t>(i)]);
      object->RangeRadius = (i % 3) * 1.0f;
      object->Flags |= HLOF_ACTIVE;
      manager.InsertObject(object);
    }
  }
  CHLOManager manager;
  std::vector<CEnvInstance> visuals;
};

void BM_UpdatePass1000(benchmark::State& state) {
  Level level(1000, 1);
  for (auto _ : state) level.manager.UpdatePass();
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_UpdatePass1000);

// Ids up to 999 build the table; a stride of 2 pushes the largest id past
// 1000, so every lookup searches the lists.
void BM_GetObjectById(benchmark::State& state) {
  Level level(1000, static_cast<int>(state.range(0)));
  level.manager.BuildIdTable();
  std::int32_t id = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(level.manager.GetObjectById(id));
    id = (id + 7) % 2000;
  }
}
BENCHMARK(BM_GetObjectById)->Arg(1)->Arg(2);

}  // namespace

BENCHMARK_MAIN();
