// Stats tables.
//
// Parsing: the 39 tables of the repository's description plus 10,000 more
// weapons and 10,000 more soldier kinds, all as text in memory, read by the
// game's loaders (in load order, every record converted and checked) against
// libfccp-dev's CSV reader splitting the same bytes into the same typed
// fields (texts, integers, floats per column).  LoadAllStats itself, which
// also reads the files from disk through the engine's file layer, is timed
// on the same tables.  Goal: the loaders at least as fast as the peer.
//
// Lookups: FindStats (by name) and FindStatsByHash over 2,000 weapons
// against std::unordered_map over the same names and hashes.
#include <benchmark/benchmark.h>
// The peer's header copies its file name with strncpy into a field of the same size.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-truncation"
#include <libfccp/csv.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bench/bench_timing.h"
#include "foundation/files/catalog.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/text/hash.h"
#include "make_stats/stats_description.h"
#include "platform/win32/message_box.h"
#include "shell/global_heap.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_tables.h"

namespace {

constexpr int kExtraRows = 10000;
constexpr int kLookupRecords = 2000;

// The description with extra copies of a weapon and of a soldier kind.
std::map<std::string, make_stats::Table> Description(int extraWeapons, int extraUnits) {
  std::map<std::string, make_stats::Table> tables;
  std::string error;
  if (!make_stats::ReadDescription(HALBERD_STATS_DESCRIPTION, &tables, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::exit(1);
  }
  auto grow = [](make_stats::Table& t, const std::string& like, const char* prefix, int n) {
    make_stats::Record model;
    for (const make_stats::Record& r : t.records)
      if (r[t.schema->columns.front().key] == like) model = r;
    for (int i = 0; i < n; ++i) {
      make_stats::Record r = model;
      r.values[t.schema->columns.front().key] = prefix + std::to_string(i);
      t.records.push_back(r);
    }
  };
  grow(tables.at("Weaps.txt"), "Rifle", "Weapon", extraWeapons);
  grow(tables.at("Units.txt"), "EnemyGuard", "Soldier", extraUnits);
  return tables;
}

struct Texts {
  std::string text[kStatsFileCount];
  std::size_t bytes = 0;
};

const Texts& BigTexts() {
  static const Texts texts = [] {
    Texts t;
    const auto tables = Description(kExtraRows, kExtraRows);
    for (int i = 0; i < kStatsFileCount; ++i) {
      t.text[i] = make_stats::TableText(tables.at(StatsFileName(i)));
      t.bytes += t.text[i].size();
    }
    return t;
  }();
  return texts;
}

// A compile-time column type list, so that the peer parses each field as
// its own type.
template <std::size_t N>
struct Types {
  char c[N];
  constexpr Types(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i) c[i] = s[i];
  }
};

template <char C>
using Field = std::conditional_t<C == 'T', char*, std::conditional_t<C == 'I', int, float>>;

template <Types S, std::size_t... I>
std::size_t ReadAll(const std::string& text, std::index_sequence<I...>) {
  using Reader = io::CSVReader<sizeof...(I), io::trim_chars<' ', '\t'>, io::no_quote_escape<','>,
                               io::throw_on_overflow, io::no_comment>;
  Reader in("table", text.data(), text.data() + text.size());
  std::tuple<Field<S.c[I]>...> row;
  std::size_t rows = 0;
  while (in.read_row(std::get<I>(row)...)) ++rows;
  return rows;
}

template <Types S>
std::size_t ReadWithPeer(const std::string& text) {
  return ReadAll<S>(text, std::make_index_sequence<sizeof(S.c) - 1>{});
}

// The peer over all 39 texts; column types per file, in load order (T
// text, I integer, F float).
std::size_t PeerReadAll(const Texts& t) {
  std::size_t rows = 0;
#define PEER(i, types) rows += ReadWithPeer<types>(t.text[i])
  PEER(0, "TTTTTTTTIIFIFIIIFFIFIFIFFTIIIITTTTTTTTTIIIIIFIIIIIIIFTTTTTTIIIFTFFIFFFFFFFF");
  PEER(1, "TTTTTTTTIIFITF");
  PEER(2, "TTTI");
  PEER(3, "TIIIIIIFIFFFFIFIFF");
  PEER(4, "TIIIIIFIFIIITFFFIIIIFFFFFFF");
  PEER(5, "TI");
  PEER(6, "TI");
  PEER(7, "TI");
  PEER(8, "TTTTTI");
  PEER(9, "TTTTTI");
  PEER(10, "TTTTTI");
  PEER(11, "TTTTTI");
  PEER(12, "TTTTTI");
  PEER(13, "TTTTTI");
  PEER(14, "TTTTTI");
  PEER(15, "TTTTTI");
  PEER(16, "TTTTTI");
  PEER(17, "TTTTTI");
  PEER(18, "TTTTTI");
  PEER(19, "TTTTTI");
  PEER(20, "TTTTTI");
  PEER(21, "TTTTTI");
  PEER(22, "TTTTTI");
  PEER(23, "TTTTTI");
  PEER(24, "TTTTI");
  PEER(25, "TTTTTTTTITTTTI");
  PEER(26, "TTTTTITTTTTTTTTTTTTTTTTTTIF");
  PEER(27, "TIIFI");
  PEER(28, "TTTTTTI");
  PEER(29, "TTTTTTITI");
  PEER(30, "TTTTTFFFFFFIIFFF");
  PEER(31, "TTTFFFFFFIIFFF");
  PEER(32, "TTTFFFFFFF");
  PEER(33, "TTTI");
  PEER(34, "TTI");
  PEER(35, "TTTI");
  PEER(36, "TIFFFFFFFFFFFFFFFF");
  PEER(37, "TTI");
  PEER(38, "TTTTI");
#undef PEER
  return rows;
}

// The peer over the two big tables only.
std::size_t PeerReadBig(const Texts& t) {
  return ReadWithPeer<"TTTTTTTTIIFIFIIIFFIFIFIFFTIIIITTTTTTTTTIIIIIFIIIIIIIFTTTTTTIIIFTFFIFFFFFFFF">(t.text[0]) +
         ReadWithPeer<"TTTTTTTTITTTTI">(t.text[25]);
}

// The game's loaders over all 39 texts, in load order.
std::size_t LoadersReadAll(const Texts& t) {
  FreeAllStats();
  std::size_t ok = 0;
  for (int i = 0; i < kStatsFileCount; ++i)
    ok += LoadStatsFile(i, t.text[i].data(), static_cast<std::uint32_t>(t.text[i].size()));
  FreeAllStats();
  return ok;
}

void BM_StatsLoaders(benchmark::State& state) {
  const Texts& t = BigTexts();
  bench::MeasureBytes(state, [&] { return LoadersReadAll(t); }, t.bytes);
}
BENCHMARK(BM_StatsLoaders)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_StatsPeerCsvReader(benchmark::State& state) {
  const Texts& t = BigTexts();
  bench::MeasureBytes(state, [&] { return PeerReadAll(t); }, t.bytes);
}
BENCHMARK(BM_StatsPeerCsvReader)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The same tables as files in a folder, for LoadAllStats.
struct Folder {
  std::filesystem::path path;
  Folder() {
    std::random_device rd;
    path = std::filesystem::temp_directory_path() / ("halberd_bench_stats_" + std::to_string(rd()));
    std::filesystem::create_directories(path);
    for (int i = 0; i < kStatsFileCount; ++i)
      std::ofstream(path / StatsFileName(i), std::ios::binary) << BigTexts().text[i];
  }
  ~Folder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

double LoadAllStatsSeconds(int rounds) {
  Folder folder;
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(folder.path);
  // The big tables do not fit in the game's 1000 KB Global Heap.
  CLinearBuffer heap(64u << 20, "Global Heap");
  g_GlobalHeap = &heap;
  const double s = bench::BestSeconds(
      [] {
        const bool ok = LoadAllStats();
        FreeAllStats();
        return ok;
      },
      rounds);
  g_GlobalHeap = nullptr;
  std::filesystem::current_path(before);
  return s;
}

// Lookups over 2,000 weapons.
struct LookupSet {
  std::string text;
  std::vector<std::string> names;
  std::vector<std::uint32_t> hashes;
  std::unordered_map<std::string, void*> byName;
  std::unordered_map<std::uint32_t, void*> byHash;
  LookupSet() {
    const auto tables = Description(kLookupRecords - 8, 0);
    text = make_stats::TableText(tables.at("Weaps.txt"));
    Load();
    for (const make_stats::Record& r : tables.at("Weaps.txt").records) names.push_back(r["name"]);
    std::mt19937 rng(7);
    std::shuffle(names.begin(), names.end(), rng);
    for (const std::string& n : names) {
      hashes.push_back(HashString(n.c_str()));
      byName.emplace(n, FindStats(n.c_str(), STATS_WEAPON));
      byHash.emplace(hashes.back(), FindStats(n.c_str(), STATS_WEAPON));
    }
  }
  // Makes the 2,000 weapons the weapon table (the parsing runs free it).
  void Load() const {
    FreeAllStats();
    if (!LoadStatsFile(0, text.data(), static_cast<std::uint32_t>(text.size()))) std::exit(1);
  }
};

LookupSet& Lookups() {
  static LookupSet set;
  return set;
}

std::size_t FindAllByName() {
  std::size_t found = 0;
  for (const std::string& n : Lookups().names) found += FindStats(n.c_str(), STATS_WEAPON) != nullptr;
  return found;
}
std::size_t MapAllByName() {
  std::size_t found = 0;
  for (const std::string& n : Lookups().names) found += Lookups().byName.find(n)->second != nullptr;
  return found;
}
std::size_t FindAllByHash() {
  std::size_t found = 0;
  for (std::uint32_t h : Lookups().hashes) found += FindStatsByHash(h, STATS_WEAPON) != nullptr;
  return found;
}
std::size_t MapAllByHash() {
  std::size_t found = 0;
  for (std::uint32_t h : Lookups().hashes) found += Lookups().byHash.find(h)->second != nullptr;
  return found;
}

void BM_FindStatsByName(benchmark::State& state) {
  Lookups().Load();
  for (auto _ : state) benchmark::DoNotOptimize(FindAllByName());
}
BENCHMARK(BM_FindStatsByName);
void BM_UnorderedMapByName(benchmark::State& state) {
  Lookups().Load();
  for (auto _ : state) benchmark::DoNotOptimize(MapAllByName());
}
BENCHMARK(BM_UnorderedMapByName);
void BM_FindStatsByHash(benchmark::State& state) {
  Lookups().Load();
  for (auto _ : state) benchmark::DoNotOptimize(FindAllByHash());
}
BENCHMARK(BM_FindStatsByHash);
void BM_UnorderedMapByHash(benchmark::State& state) {
  Lookups().Load();
  for (auto _ : state) benchmark::DoNotOptimize(MapAllByHash());
}
BENCHMARK(BM_UnorderedMapByHash);

}  // namespace

int main(int argc, char** argv) {
  SetMessageBoxEcho(false);
  if (!CatalogStartup()) return 1;
  const Texts& t = BigTexts();
  if (LoadersReadAll(t) != kStatsFileCount) {
    std::fprintf(stderr, "the benchmark's tables do not load\n");
    return 1;
  }
  const std::size_t rows = PeerReadAll(t);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  const double mb = static_cast<double>(t.bytes) / (1 << 20);
  const double ours = bench::BestSeconds([&] { return LoadersReadAll(t); }, 7);
  const double peer = bench::BestSeconds([&] { return PeerReadAll(t); }, 7);
  const double all = LoadAllStatsSeconds(5);
  const double peerBig = bench::BestSeconds([&] { return PeerReadBig(t); }, 7);
  std::printf("stats tables, %.1f MiB in %zu rows: loaders %.1f ms, CSV reader %.1f ms, ratio (peer time / ours) %.2f "
              "(goal >= 1.00); LoadAllStats from files %.1f ms\n",
              mb, rows, ours * 1e3, peer * 1e3, peer / ours, all * 1e3);
  std::printf("  the peer over the two 10,000-row tables alone (without its set-up for the 37 small ones): %.1f ms, "
              "ratio %.2f against all 39 loaders\n",
              peerBig * 1e3, peerBig / ours);
  Lookups().Load();
  const double name = bench::BestSeconds(FindAllByName, 21), mapName = bench::BestSeconds(MapAllByName, 21);
  const double hash = bench::BestSeconds(FindAllByHash, 21), mapHash = bench::BestSeconds(MapAllByHash, 21);
  std::printf("lookups of %d weapons: FindStats %.0f ns, unordered_map by name %.0f ns, ratio %.2f; "
              "FindStatsByHash %.0f ns, unordered_map by hash %.0f ns, ratio %.2f (map time / ours)\n",
              kLookupRecords, name * 1e9 / kLookupRecords, mapName * 1e9 / kLookupRecords, mapName / name,
              hash * 1e9 / kLookupRecords, mapHash * 1e9 / kLookupRecords, mapHash / hash);
  FreeAllStats();
  return 0;
}
