// The session browser: how long from the search for "127.0.0.1:PORT" (what
// accepting the host address does) to the browser frame whose list shows
// the host, with an in-process host on a free port; against the bare round
// trip of the same enumeration query on a plain UDP socket.  A frame here is
// the browser's part of the game frame (the session's update, then the
// browser's), run back to back.  Printed: both times, the frames the list
// took after the host's answer had arrived, and the ratio of the path to
// the round trip plus one frame (goal: at most 1.5, and the list in the
// first frame after the answer).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/system/registry_key.h"
#include "menus/multiplayer/mp_screens.h"
#include "menus/multiplayer/session_browser.h"
#include "menus/screens/screen_manager.h"
#include "menus/widgets/screen_menu.h"
#include "net/mp/multiplayer.h"
#include "net/mp_layer.h"
#include "platform/dplay8/com.h"
#include "platform/dplay8/dplay8_counters.h"
#include "platform/dplay8/raw_test_peer.h"
#include "platform/win32/registry.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Bench {
  std::uint16_t port = 0;
  CMultiplayer host;
  CMultiplayer client;
  std::string address;
  bool ready = false;
};
Bench* g_bench = nullptr;

struct Totals {
  double pathUs = 0, frameUs = 0, bareUs = 0;
  long paths = 0, frames = 0, bares = 0, lateFrames = 0, misses = 0;
};
Totals g_totals;

bool SetUp() {
  static Bench bench;
  g_bench = &bench;
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  const auto folder = std::filesystem::temp_directory_path() / "halberd_bench_browser_registry";
  std::filesystem::create_directories(folder);
  SetRegistryFolder(folder.c_str());
  bench.port = DPlay8FindFreePort();
  CRegistryKey key;
  key.Create(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey);
  key.SetString("HostPort", std::to_string(bench.port).c_str());
  bench.host.role_ = 1;
  if (bench.host.Start(&kHalberdApplication, bench.port) != 0 || bench.host.StartSession(0) != 0) return false;
  bench.client.role_ = 0;
  if (bench.client.Start(&kHalberdApplication, DPlay8FindFreePort()) != 0) return false;
  CMultiplayer::Scope scope(&bench.client);
  if (CreateMultiplayerScreens() != 1 || MPMenus().sessionList == nullptr) return false;
  bench.address = "127.0.0.1:" + std::to_string(bench.port);
  bench.ready = true;
  return true;
}

// One search through the browser's path: the list is rebuilt when the host
// count changes and shows the host; the microseconds taken, -1 when the host
// did not show within 2 s.
double SearchOnce(long* frames, long* late) {
  CMultiplayer::Scope scope(&g_bench->client);
  ScreenId = 47;
  const auto start = Clock::now();
  StartHostSearch(g_bench->address.c_str());
  long n = 0;
  long afterAnswer = -1;
  while (Clock::now() - start < std::chrono::seconds(2)) {
    MPUpdate();
    if (afterAnswer < 0 && MPGetHostCount() > 0) afterAnswer = 0;
    UpdateSessionBrowser(0);
    ++n;
    if (MPMenus().sessionList->Count > 0) {
      SessionRowTexts texts{};
      if (SessionRowTextsOf(0, &texts)) {
        *frames += n;
        *late += afterAnswer > 0 ? afterAnswer : 0;
        return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
      }
    }
    if (afterAnswer >= 0) ++afterAnswer;
  }
  return -1;
}

void BM_BrowserListsTheHost(benchmark::State& state) {
  if (g_bench == nullptr || !g_bench->ready) {
    state.SkipWithError("the host or the browser could not be set up");
    return;
  }
  for (auto _ : state) {
    long frames = 0, late = 0;
    const auto frameStart = Clock::now();
    const double us = SearchOnce(&frames, &late);
    if (us < 0) {
      ++g_totals.misses;
      state.SkipWithError("the host was not listed within 2 s");
      return;
    }
    const double all = std::chrono::duration<double, std::micro>(Clock::now() - frameStart).count();
    state.SetIterationTime(us / 1e6);
    g_totals.pathUs += us;
    g_totals.frameUs += all / static_cast<double>(frames);
    g_totals.frames += frames;
    g_totals.lateFrames = std::max(g_totals.lateFrames, late);
    ++g_totals.paths;
  }
}
BENCHMARK(BM_BrowserListsTheHost)->UseManualTime()->Iterations(100)->Unit(benchmark::kMicrosecond);

void BM_BareUdpRoundTrip(benchmark::State& state) {
  if (g_bench == nullptr || !g_bench->ready) {
    state.SkipWithError("the host could not be set up");
    return;
  }
  const std::vector<std::uint8_t> query = DPlay8EnumQueryBytes(kHalberdApplication);
  for (auto _ : state) {
    const long long us = DPlay8UdpRoundTripMicros(g_bench->port, query, 2000);
    if (us < 0) {
      state.SkipWithError("the host did not answer the bare query");
      return;
    }
    state.SetIterationTime(static_cast<double>(us) / 1e6);
    g_totals.bareUs += static_cast<double>(us);
    ++g_totals.bares;
  }
}
BENCHMARK(BM_BareUdpRoundTrip)->UseManualTime()->Iterations(100)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const bool ok = SetUp();
  benchmark::RunSpecifiedBenchmarks();
  if (ok && g_totals.paths > 0 && g_totals.bares > 0) {
    const double path = g_totals.pathUs / static_cast<double>(g_totals.paths);
    const double frame = g_totals.frameUs / static_cast<double>(g_totals.paths);
    const double bare = g_totals.bareUs / static_cast<double>(g_totals.bares);
    std::printf("browser lists the host: %.0f us (%.1f browser frames of %.1f us); bare UDP round trip %.0f us; "
                "ratio %.2f (goal <= 1.5); at most %ld frames after the answer arrived\n",
                path, static_cast<double>(g_totals.frames) / static_cast<double>(g_totals.paths), frame, bare,
                path / (bare + frame), g_totals.lateFrames);
  }
  if (g_bench != nullptr) {
    {
      CMultiplayer::Scope scope(&g_bench->client);
      DestroyMultiplayerScreens();
      g_bench->client.Stop();
    }
    g_bench->host.Stop();
  }
  benchmark::Shutdown();
  CoUninitialize();
  return ok ? 0 : 1;
}
