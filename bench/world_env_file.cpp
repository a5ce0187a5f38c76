// Loading a level: a generated environment file of 5,000 instances (in 50
// zones of 99 children each, with lights, ids and render-info blocks on some,
// 200 game-object records and 100 portals) placing 10 small templates, loaded
// through the environment loader into a fresh environment, against reading
// the same file's bytes through the same file handle.  Prints the ratio and
// the peak resident memory of a load (above what the process held before it).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "foundation/files/buffered_file.h"
#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "platform/win32/debug_output.h"
#include "platform/win32/message_box.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "world/environment/env_file.h"
#include "world/environment/env_file_writer.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/environment/evo_writer.h"

namespace {

constexpr int kZones = 50;
constexpr int kChildren = 99;  // 50 x (1 + 99) = 5,000 instances
constexpr int kTemplates = 10;
const char* const kLevel = "BENCH.env";

std::string TemplateName(int i) { return "bench_template_" + std::to_string(i); }

struct BenchLevel {
  std::filesystem::path folder;
  std::size_t bytes = 0;
  BenchLevel() {
    folder = std::filesystem::temp_directory_path() / "halberd_bench_env_file";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    for (int t = 0; t < kTemplates; ++t) {
      EvoNodeSource node;
      node.ObjectName = node.NodeName = TemplateName(t);
      node.Type = t == 0 ? OTYPE_LANDSCAPE : OTYPE_ENV;
      node.Bounds = node.WholeBounds = EvoMakeBounds({-50, 0, -50}, {50, 100, 50});
      node.Sphere = node.WholeSphere = {{0, 50, 0}, 90};
      EvoWriteFileToDisk((TemplateName(t) + ".evo").c_str(), {node});
    }
    EvoNodeSource blocker;
    blocker.ObjectName = blocker.NodeName = "InvisPoly";
    EvoWriteFileToDisk("InvisPoly.evo", {blocker});

    EnvFileSource level;
    for (int z = 0; z < kZones; ++z) {
      EnvFileInstanceSource root;
      root.name = "Zone" + std::to_string(z);
      root.object = TemplateName(0);
      root.position = {z * 3600.0f, 0, 0};
      root.id = z;
      level.instances.push_back(root);
      for (int c = 0; c < kChildren; ++c) {
        EnvFileInstanceSource child;
        child.name = root.name + "_" + std::to_string(c);
        child.parent = root.name;
        child.object = TemplateName(1 + c % (kTemplates - 1));
        child.position = {z * 3600.0f + (c % 10) * 300.0f, 0, (c / 10) * 300.0f};
        child.rotation = {0, static_cast<float>(c * 7 % 360), 0};
        child.id = 1000 + z * 100 + c;
        if (c % 5 == 0) child.lights = {c % 200, (c + 1) % 200};
        if (c % 7 == 0) {
          child.flags = 0x1000000;
          child.renderInfo.flags = RenderInfoBlock::HAS_RENDER_VALUE;
          child.renderInfo.renderValue = c;
        }
        level.instances.push_back(child);
      }
      for (int p = 0; p < 2; ++p) {
        EnvFilePortalSource portal;
        portal.name = root.name + "_P" + std::to_string(p);
        portal.owner = root.name;
        portal.target = "Zone" + std::to_string((z + 1 + p) % kZones);
        portal.plane[0] = 1;
        portal.plane[2] = 0;
        const float x = z * 3600.0f + 1800.0f;
        portal.points = {{x, 0, 0}, {x, 300, 0}, {x, 300, 300}, {x, 0, 300}};
        level.portals.push_back(portal);
      }
    }
    for (int o = 0; o < 200; ++o) {
      EnvFileObjectSource object;
      object.name = TemplateName(1 + o % (kTemplates - 1));
      object.id = o;
      object.parent = "Zone" + std::to_string(o % kZones);
      object.position = {o * 100.0f, 0, 0};
      level.objects.push_back(object);
    }
    const std::string text = EnvFileWrite(level);
    bytes = text.size();
    if (std::FILE* f = std::fopen(kLevel, "wb")) {
      std::fwrite(text.data(), 1, text.size(), f);
      std::fclose(f);
    }
  }
};

BenchLevel& Level() {
  static BenchLevel level;
  return level;
}

std::string ReadBytes() {
  std::string text;
  if (BufferedFile* h = FileOpenOnSearchPath(kLevel, 0)) {
    text.resize(FileGetSize(h));
    text.resize(FileRead(text.data(), 1, text.size(), h));
    FileClose(h);
  }
  return text;
}

CTextureManager* g_Textures = nullptr;
CMaterialList* g_Materials = nullptr;

// Reads and loads the level into a fresh environment; answers the instances made.
int LoadLevel() {
  const std::string text = ReadBytes();
  auto* env = new CEnvironment(nullptr, g_Textures, g_Materials, nullptr, nullptr, nullptr, nullptr, nullptr);
  EnvTextCursor cursor(text.c_str());
  EnvFileLoadReport report;
  const int ok = EnvFileLoadEnvironment(env, cursor, nullptr, nullptr, &report);
  int instances = 0;
  for (CEnvInstance* i = env->InstanceList; i != nullptr; i = i->EnvLink) ++instances;
  delete env;
  return ok == 1 ? instances : -1;
}

void BM_LoadLevel5000(benchmark::State& state) {
  bench::MeasureBytes(state, LoadLevel, Level().bytes);
}
BENCHMARK(BM_LoadLevel5000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ReadLevelBytes(benchmark::State& state) {
  bench::MeasureBytes(state, ReadBytes, Level().bytes);
}
BENCHMARK(BM_ReadLevelBytes)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"); 0 when unknown.
long StatusKiB(const char* field) {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (f == nullptr) return 0;
  char line[256];
  long value = 0;
  const std::size_t n = std::strlen(field);
  while (std::fgets(line, sizeof line, f) != nullptr)
    if (std::strncmp(line, field, n) == 0 && line[n] == ':') value = std::strtol(line + n + 1, nullptr, 10);
  std::fclose(f);
  return value;
}

// Restarts the peak resident size from the current one (Linux).
void ResetPeak() {
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

void Quiet(const char*, void*) {}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  SetDebugOutputHook(Quiet, nullptr);
  SetMessageBoxEcho(true);
  Level();
  SetWorkDirectory();
  CatalogStartup();
  CTextureManager textures;
  CMaterialList materials;
  g_Textures = &textures;
  g_Materials = &materials;
  EnvWaypointList waypoints;
  g_EnvWaypoints = &waypoints;
  const std::size_t read = ReadBytes().size();
  ResetPeak();
  const long before = StatusKiB("VmRSS");
  const int instances = LoadLevel();
  const long peak = StatusKiB("VmHWM") - before;
  if (read != Level().bytes || instances != kZones * (1 + kChildren) + 1) {
    std::fprintf(stderr, "the generated level did not load whole (%d instances)\n", instances);
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  const double load = bench::BestSeconds(LoadLevel, 5), bytes = bench::BestSeconds(ReadBytes, 5);
  std::printf("level of %d instances, %.2f MiB of text: loaded in %.2f ms, read in %.3f ms, load/read ratio %.1f; "
              "peak resident memory %ld KiB above the start of the load\n",
              instances, static_cast<double>(Level().bytes) / (1024.0 * 1024.0), load * 1e3, bytes * 1e3,
              load / bytes, peak);
  CatalogShutdown();
  benchmark::Shutdown();
  return 0;
}
