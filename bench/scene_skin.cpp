// CPU skinning: vertices per second of CSkin::Deform (into its system-memory
// buffers, no render device) against a plain reference loop over the same
// skin data: for each vertex, each influence's position through its bone
// (CMatrix::TransformPoint), weighted and summed, and the first influence's
// normal through its bone (CMatrix::RotateVector), written to a vertex array.
// Goal: at least as fast as the reference loop.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "scene/skin/skin.h"

namespace {

constexpr int kVertices = 20000;
constexpr int kBones = 40;

SkinSource MakeSource() {
  SkinSource source;
  source.ShadowFaces = false;
  for (int v = 0; v < kVertices; ++v) {
    std::vector<SkinInfluence> list;
    const int count = 1 + (v * 7) % 4;  // 1 to 4, 2.5 on average
    for (int k = 0; k < count; ++k) {
      SkinInfluence s;
      s.Position = {static_cast<float>(v % 97) - 48.0f, static_cast<float>(k * 3 + v % 13), static_cast<float>(v % 31)};
      s.Normal = {0.0f, 1.0f, 0.0f};
      s.Bone = static_cast<std::uint16_t>((v / 50 + k) % kBones);
      s.Weight = 1.0f / static_cast<float>(count);
      list.push_back(s);
    }
    source.Vertices.push_back(list);
  }
  return source;
}

std::vector<CMatrix> MakeBones(float t) {
  std::vector<CMatrix> bones(kBones);
  for (int b = 0; b < kBones; ++b) {
    bones[static_cast<std::size_t>(b)].SetRotationZXY(10.0f * t + static_cast<float>(b), 5.0f * static_cast<float>(b),
                                                       30.0f * t);
    bones[static_cast<std::size_t>(b)].SetTranslation({static_cast<float>(b), 2.0f * t, -static_cast<float>(b)});
  }
  return bones;
}

struct Fixture {
  Fixture() {
    CSkin keep(nullptr, nullptr, nullptr, nullptr, nullptr);
    skin.Build(MakeSource());
    bones = MakeBones(0.3f);
    out.resize(static_cast<std::size_t>(skin.VertexCount()));
  }
  CSkin skin;
  std::vector<CMatrix> bones;
  std::vector<RenderVertex> out;
};

Fixture& Shared() {
  static Fixture f;
  return f;
}

void ReferenceDeform(const SkinData& d, const std::vector<CMatrix>& bones, RenderVertex* out) {
  for (std::int32_t v = 0; v < d.VertexCount; ++v) {
    const std::uint32_t n = d.InfluenceCount(v);
    CVector3 sum{0, 0, 0};
    for (std::uint32_t k = d.FirstInfluence[v]; k < d.FirstInfluence[v + 1]; ++k) {
      const SkinInfluence& s = d.Influences[k];
      CVector3 p;
      bones[s.Bone].TransformPoint(s.Position, &p);
      const float w = n == 1 ? 1.0f : s.Weight;
      sum = {sum.x + w * p.x, sum.y + w * p.y, sum.z + w * p.z};
    }
    const SkinInfluence& first = d.FirstOf(v);
    CVector3 normal;
    bones[first.Bone].RotateVector(first.Normal, &normal);
    out[v] = {sum.x, sum.y, sum.z, normal.x, normal.y, normal.z, 0xFFFFFFFF, first.U, first.V};
  }
}

void BM_SkinDeform(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    f.skin.Deform(f.bones.data(), kBones);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kVertices);
}
BENCHMARK(BM_SkinDeform)->Unit(benchmark::kMicrosecond);

void BM_ReferenceLoop(benchmark::State& state) {
  Fixture& f = Shared();
  for (auto _ : state) {
    ReferenceDeform(f.skin.Data, f.bones, f.out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kVertices);
}
BENCHMARK(BM_ReferenceLoop)->Unit(benchmark::kMicrosecond);

// Best of several runs of each, in vertices per second.
template <typename F>
double VerticesPerSecond(F run) {
  double best = 1e30;
  for (int r = 0; r < 30; ++r) {
    const auto start = std::chrono::steady_clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return kVertices / best;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  Fixture& f = Shared();
  const double ours = VerticesPerSecond([&] { f.skin.Deform(f.bones.data(), kBones); });
  const double reference = VerticesPerSecond([&] { ReferenceDeform(f.skin.Data, f.bones, f.out.data()); });
  // Both give the same vertices.
  ReferenceDeform(f.skin.Data, f.bones, f.out.data());
  f.skin.Deform(f.bones.data(), kBones);
  const RenderVertex* mine = f.skin.LockCurrent();
  double worst = 0;
  for (int v = 0; v < f.skin.VertexCount(); ++v)
    worst = std::max({worst, static_cast<double>(std::fabs(mine[v].x - f.out[static_cast<std::size_t>(v)].x)),
                      static_cast<double>(std::fabs(mine[v].y - f.out[static_cast<std::size_t>(v)].y))});
  f.skin.UnlockCurrent();
  std::printf("\nCPU skinning, %d vertices, %d bones, 2.5 influences a vertex on average\n", kVertices, kBones);
  std::printf("  CSkin::Deform    %8.2f M vertices/s\n", ours / 1e6);
  std::printf("  reference loop   %8.2f M vertices/s\n", reference / 1e6);
  std::printf("  ratio ours / reference: %.2f  (largest position difference %.2g)\n", ours / reference, worst);
  benchmark::Shutdown();
  return 0;
}
