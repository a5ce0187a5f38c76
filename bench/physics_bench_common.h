// What the physics benchmarks share: the reporter that keeps every run's
// time for the ratio tables printed at the end, the timing loop of the pair
// tests, the axis-angle turn of their placements, and ODE's library set-up
// and placement of our transforms where ODE is installed.
#pragma once

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "physics/collision/mcd_framework.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_model_pair.h"
#include "physics/collision/mcd_primitives.h"

#ifdef HALBERD_BENCH_ODE
#include <ode/ode.h>
#endif

namespace physics_bench {

// Our side of a pair benchmark: the collision framework with the primitive
// types and their tests, and one pair of models run through McdIntersect as
// the space would hand it over.
class McdPairBench {
 public:
  static constexpr int kMaxContacts = 8;

  McdPairBench() {
    McdInit(McdPrimitivesGetTypeCount() + 1, 8);
    McdPrimitivesRegisterTypes();
    McdPrimitivesRegisterInteractions();
  }
  ~McdPairBench() {
    if (pair_) {
      McdModelPairDestroy(pair_);
      McdModelDestroy(m1_);
      McdModelDestroy(m2_);
      McdGeometryDestroy(g1_);
      McdGeometryDestroy(g2_);
    }
    McdTerm();
  }
  McdPairBench(const McdPairBench&) = delete;
  McdPairBench& operator=(const McdPairBench&) = delete;

  // Makes the pair of two geometries (destroyed with the bench) placed by
  // the caller's transforms, without padding, with the request; at most
  // min(request's maximum, kMaxContacts) contacts are asked for.  Once only.
  void Open(McdGeometryID g1, McdGeometryID g2, MeReal* t1, MeReal* t2, McdIntersectRequest request) {
    g1_ = g1;
    g2_ = g2;
    m1_ = McdModelCreate(g1_);
    m2_ = McdModelCreate(g2_);
    McdModelSetTransformPtr(m1_, t1);
    McdModelSetTransformPtr(m2_, t2);
    McdModelSetPadding(m1_, 0);
    McdModelSetPadding(m2_, 0);
    pair_ = McdModelPairCreate(m1_, m2_);
    McdHello(pair_);
    request_ = request;
    pair_->request = &request_;
    result_.contacts = contacts_;
    result_.contactMaxCount = request.contactMaxCount < kMaxContacts ? request.contactMaxCount : kMaxContacts;
  }
  // One McdIntersect; answers the contact count.
  int Run() {
    McdIntersect(pair_, &result_);
    return result_.contactCount;
  }

 private:
  McdGeometryID g1_ = nullptr, g2_ = nullptr;
  McdModel* m1_ = nullptr;
  McdModel* m2_ = nullptr;
  McdModelPair* pair_ = nullptr;
  McdIntersectRequest request_{};
  McdIntersectResult result_{};
  McdContact contacts_[kMaxContacts];
};

// Console reporter that also keeps the time per iteration of every run, by
// benchmark name, for the ratio tables.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration) times[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  // The time of the named run, or 0 when it did not run.
  double Time(const std::string& name) const {
    auto it = times.find(name);
    return it == times.end() ? 0.0 : it->second;
  }
  std::map<std::string, double> times;
};

// Times `call`, which answers a contact count, once per iteration; the last
// count goes to counts[key] and to the run's "contacts" counter.
template <typename Call>
void TimeContactCalls(benchmark::State& state, Call&& call, std::map<std::string, int>& counts,
                      const std::string& key) {
  int n = 0;
  for (auto _ : state) {
    n = call();
    benchmark::DoNotOptimize(n);
  }
  counts[key] = n;
  state.counters["contacts"] = n;
}

// One row of a pair test's ratio table: `label`, then the two runs' times
// (ns) and contact counts and the time ratio ours / theirs; nothing when
// either run is missing.
inline void PrintContactRatioRow(const std::string& label, const RatioReporter& reporter,
                                 const std::map<std::string, int>& counts, const std::string& ours,
                                 const std::string& theirs) {
  if (!reporter.times.count(ours) || !reporter.times.count(theirs)) return;
  auto count = [&](const std::string& key) {
    auto it = counts.find(key);
    return it == counts.end() ? 0 : it->second;
  };
  const double a = reporter.Time(ours), b = reporter.Time(theirs);
  std::printf("%s %10.1f %10.1f %9d %9d %8.2f\n", label.c_str(), a, b, count(ours), count(theirs), a / b);
}

// Rows 0-2 of m (row stride 4) become the local axes turned by `angle`
// radians about `axis` (any non-zero length); row r of m is column r of the
// rotation matrix R = t u u^T + c I + s [u]x.
inline void AxisAngleRows(float* m, const float* axis, float angle) {
  const float len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  const float u = axis[0] / len, v = axis[1] / len, w = axis[2] / len;
  const float c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  const float R[3][3] = {{t * u * u + c, t * u * v - s * w, t * u * w + s * v},
                         {t * u * v + s * w, t * v * v + c, t * v * w - s * u},
                         {t * u * w - s * v, t * v * w + s * u, t * w * w + c}};
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k) m[4 * r + k] = R[k][r];
}

// Opens ODE's library before the runs and closes it after; nothing where ODE
// is not installed.
inline void OdeOpen() {
#ifdef HALBERD_BENCH_ODE
  dInitODE2(0);
#endif
}
inline void OdeClose() {
#ifdef HALBERD_BENCH_ODE
  dCloseODE();
#endif
}

// Opens ODE's library where it is installed, reads the benchmark options
// from the command line and runs the registered benchmarks, their times kept
// in `reporter`.  Close ODE with OdeClose once the ratios are printed.
inline void RunWithRatios(int* argc, char** argv, RatioReporter* reporter) {
  OdeOpen();
  benchmark::Initialize(argc, argv);
  benchmark::RunSpecifiedBenchmarks(reporter);
}

#ifdef HALBERD_BENCH_ODE
// Places an ODE geometry at one of our transforms (4x4 row-major, local axes
// as rows 0-2, position in row 3).  ODE's rotation is column-vector: column k
// is local axis k in world, which is row k of ours.
inline void OdePlace(dGeomID g, const float* t) {
  dMatrix3 R;
  for (int i = 0; i < 3; ++i) {
    for (int k = 0; k < 3; ++k) R[4 * i + k] = t[4 * k + i];
    R[4 * i + 3] = 0;
  }
  dGeomSetPosition(g, t[12], t[13], t[14]);
  dGeomSetRotation(g, R);
}
#endif

}  // namespace physics_bench
