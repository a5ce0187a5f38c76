// Reading a gzip-compressed catalog of 64 MiB of file data (64 files of
// 1 MiB, made here in a temporary folder) end to end: every file opened in
// directory order through the shared buffered handle and read in 64 KB
// requests, against zlib's gzread of the same file in 64 KB requests.  After
// the runs the throughput ratio handle / zlib is printed (goal: 0.9 or more).
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "foundation/files/buffered_file.h"
#include "foundation/byte_reader.h"
#include "foundation/files/catalog.h"

namespace {

constexpr int kFiles = 64;
constexpr std::size_t kFileBytes = 1 << 20;
constexpr std::size_t kRequest = 64 * 1024;

std::string FileName(int i) { return "FILE" + std::to_string(i) + ".DAT"; }

struct BenchCatalog {
  std::filesystem::path folder;
  std::string path;
  std::size_t totalBytes = 0;

  BenchCatalog() {
    std::random_device rd;
    folder = std::filesystem::temp_directory_path() / ("halberd_bench_catalog_" + std::to_string(rd()));
    std::filesystem::create_directories(folder);
    path = (folder / "bench.cat").string();
    ByteWriter dir;
    for (int i = 0; i < kFiles; ++i) {
      dir.U32(CatalogNameHash(FileName(i).c_str()));
      dir.U32(kCatalogDataStart + static_cast<std::uint32_t>(i * kFileBytes));
      dir.U32(static_cast<std::uint32_t>(kFileBytes));
    }
    while (dir.Size() < kCatalogDirectoryBytes) dir.U8(0);
    dir.Bytes(dir.Data().data(), kCatalogBlockBytes);
    gzFile gz = gzopen(path.c_str(), "wb6");
    gzwrite(gz, dir.Data().data(), static_cast<unsigned>(dir.Size()));
    // Game-like data: runs and small values, so that it compresses about 3:1.
    std::vector<std::uint8_t> data(kFileBytes);
    std::uint32_t seed = 12345;
    for (int i = 0; i < kFiles; ++i) {
      for (std::size_t k = 0; k < kFileBytes;) {
        seed = seed * 1664525u + 1013904223u;
        std::size_t run = 1 + ((seed >> 24) & 7);
        for (std::size_t r = 0; r < run && k < kFileBytes; ++r) data[k++] = static_cast<std::uint8_t>((seed >> 8) & 0x3F);
      }
      gzwrite(gz, data.data(), static_cast<unsigned>(data.size()));
    }
    gzclose(gz);
    totalBytes = kCatalogDataStart + kFiles * kFileBytes;
  }
  ~BenchCatalog() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
};

BenchCatalog& Catalog() {
  static BenchCatalog c;
  return c;
}

// Every file of the catalog through the shared handle; answers the bytes read.
std::size_t ReadThroughHandle() {
  static std::vector<std::uint8_t> buffer(kRequest);
  SetCatalogMode(CATALOG_MODE_READ);
  OpenCatalog(0, Catalog().path.c_str(), 0, 0);
  std::size_t total = kCatalogDataStart;  // the directory, read at open
  for (int i = 0; i < kFiles; ++i) {
    BufferedFile* h = FileOpen(FileName(i).c_str(), "rb");
    if (!h) return 0;
    for (std::size_t n; (n = FileRead(buffer.data(), 1, kRequest, h)) > 0;) total += n;
    FileClose(h);
  }
  CloseCatalog();
  return total;
}

// The same catalog file with zlib alone.
std::size_t ReadThroughZlib() {
  static std::vector<std::uint8_t> buffer(kRequest);
  gzFile gz = gzopen(Catalog().path.c_str(), "rb");
  gzbuffer(gz, 64 * 1024);
  std::size_t total = 0;
  for (int n; (n = gzread(gz, buffer.data(), static_cast<unsigned>(kRequest))) > 0;) total += static_cast<std::size_t>(n);
  gzclose(gz);
  return total;
}

void BM_CatalogThroughBufferedHandle(benchmark::State& state) {
  bench::MeasureBytes(state, ReadThroughHandle, Catalog().totalBytes);
}
BENCHMARK(BM_CatalogThroughBufferedHandle)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_CatalogThroughZlibGzread(benchmark::State& state) {
  bench::MeasureBytes(state, ReadThroughZlib, Catalog().totalBytes);
}
BENCHMARK(BM_CatalogThroughZlibGzread)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  CatalogStartup();
  std::size_t viaHandle = ReadThroughHandle(), viaZlib = ReadThroughZlib();
  if (viaHandle != Catalog().totalBytes || viaZlib != Catalog().totalBytes) {
    std::fprintf(stderr, "catalog read back %zu / %zu bytes, expected %zu\n", viaHandle, viaZlib, Catalog().totalBytes);
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  double handle = bench::BestSeconds(ReadThroughHandle, 5), zlib = bench::BestSeconds(ReadThroughZlib, 5);
  double mb = static_cast<double>(Catalog().totalBytes) / (1024.0 * 1024.0);
  std::printf("gzip catalog of %.0f MiB: buffered handle %.0f MiB/s, zlib gzread %.0f MiB/s, ratio %.2f (goal >= 0.90)\n", mb,
              mb / handle, mb / zlib, zlib / handle);
  CatalogShutdown();
  benchmark::Shutdown();
  return 0;
}
