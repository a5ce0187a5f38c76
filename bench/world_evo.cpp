// Loading object files: a set of generated ".evo" files (about 54 MiB of
// mesh data) loaded into templates by name, against reading the same files
// whole through the same file handle, with the ratio printed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "foundation/files/buffered_file.h"
#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "platform/win32/message_box.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/vbuffer_object.h"
#include "world/environment/evo_file.h"
#include "world/environment/evo_writer.h"

namespace {

constexpr int kFiles = 20;
constexpr int kPartsPerFile = 8;
constexpr int kGridSide = 90;  // a part is a grid of 90 x 90 vertices

std::string FileName(int i) { return "bench_object_" + std::to_string(i); }

// A part: a grid of vertices in the plane y = 0 as a triangle list.
MeshPartSource GridPart(int seed) {
  MeshPartSource part;
  part.TextureId = 0;
  for (int z = 0; z < kGridSide; ++z)
    for (int x = 0; x < kGridSide; ++x)
      part.Vertices.push_back({float(x), float(seed), float(z), 0, 1, 0, 0xFF808080, x / 8.0f, z / 8.0f});
  for (int z = 0; z + 1 < kGridSide; ++z)
    for (int x = 0; x + 1 < kGridSide; ++x) {
      const auto i = static_cast<std::uint16_t>(z * kGridSide + x);
      const auto s = static_cast<std::uint16_t>(kGridSide);
      part.ListIndices.insert(part.ListIndices.end(), {i, static_cast<std::uint16_t>(i + s), static_cast<std::uint16_t>(i + 1),
                                                       static_cast<std::uint16_t>(i + 1), static_cast<std::uint16_t>(i + s),
                                                       static_cast<std::uint16_t>(i + s + 1)});
    }
  return part;
}

struct BenchObjects {
  std::filesystem::path folder, previous;
  std::size_t totalBytes = 0;
  BenchObjects() {
    folder = std::filesystem::temp_directory_path() / "halberd_bench_evo";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    for (int f = 0; f < kFiles; ++f) {
      EvoNodeSource node;
      node.ObjectName = FileName(f);
      node.NodeName = "Mesh";
      node.Textures = {"ground.png"};
      node.Materials = {EvoMaterialSource{}};
      node.Bounds = EvoMakeBounds({0, 0, 0}, {kGridSide, 10, kGridSide});
      for (int p = 0; p < kPartsPerFile; ++p) node.MeshParts.push_back(GridPart(p));
      const std::string name = FileName(f) + ".evo";
      EvoWriteFileToDisk(name.c_str(), {node});
      totalBytes += std::filesystem::file_size(name);
    }
  }
  ~BenchObjects() {
    std::filesystem::current_path(previous);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
};

BenchObjects& Objects() {
  static BenchObjects objects;
  return objects;
}

// Every object loaded into a template and freed again; answers the vertices loaded.
std::size_t LoadObjects() {
  CTextureManager textures;
  CMaterialList materials;
  EnvLoadContext context;
  context.Textures = &textures;
  context.Materials = &materials;
  std::size_t vertices = 0;
  for (int i = 0; i < kFiles; ++i) {
    CEnvObject* root = EnvFileLoadObject(-1, FileName(i).c_str(), context, 7, 0);
    if (root == nullptr) return 0;
    for (std::uint32_t p = 0; p < root->Mesh->PartCount; ++p) vertices += root->Mesh->GetPart(p)->VertexCount;
    FreeEnvObjectTemplate(root);
  }
  return vertices;
}

// The same files read whole through the same handle; answers the bytes read.
std::size_t ReadObjects() {
  std::size_t total = 0;
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < kFiles; ++i) {
    BufferedFile* h = FileOpenOnSearchPath((FileName(i) + ".evo").c_str(), 0);
    if (h == nullptr) return 0;
    bytes.resize(FileGetSize(h));
    total += FileRead(bytes.data(), 1, bytes.size(), h);
    FileClose(h);
  }
  return total;
}

void BM_LoadObjectFiles(benchmark::State& state) {
  bench::MeasureBytes(state, LoadObjects, Objects().totalBytes);
}
BENCHMARK(BM_LoadObjectFiles)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ReadObjectFileBytes(benchmark::State& state) {
  bench::MeasureBytes(state, ReadObjects, Objects().totalBytes);
}
BENCHMARK(BM_ReadObjectFileBytes)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  SetMessageBoxEcho(true);
  CatalogStartup();
  SetWorkDirectory();
  Objects();
  SetWorkDirectory();
  const std::size_t expectedVertices = std::size_t{kFiles} * kPartsPerFile * kGridSide * kGridSide;
  if (LoadObjects() != expectedVertices || ReadObjects() != Objects().totalBytes) {
    std::fprintf(stderr, "the generated object files did not read back\n");
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  const double load = bench::BestSeconds(LoadObjects, 5), read = bench::BestSeconds(ReadObjects, 5);
  const double mb = static_cast<double>(Objects().totalBytes) / (1024.0 * 1024.0);
  std::printf("%d object files, %.0f MiB: loaded %.0f MiB/s, read %.0f MiB/s, ratio %.2f\n", kFiles, mb, mb / load,
              mb / read, read / load);
  CatalogShutdown();
  benchmark::Shutdown();
  return 0;
}
