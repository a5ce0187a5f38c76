// Any text read as the glass section of a level file, at the versions that
// change it: the reader stays inside the text and the glass set's bounds,
// every pane it keeps is whole, and the kept panes shatter, fly, are
// counted, queued and written back without leaving the shard pool.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "foundation/memory/linear_buffer.h"
#include "platform/win32/debug_output.h"
#include "scene/transparent/depth_sort_queue.h"
#include "world/environment/env_text_cursor.h"
#include "world/glass/glazier.h"

namespace {

constexpr int kShards = 24;

void Quiet(const char*, void*) {}

void AddPane(CGlazier& glass, std::initializer_list<CVector3> points, int splits, float thickness,
             const char* reflection) {
  GlassPane* pane = glass.GetPane(glass.AddPane());
  int n = 0;
  for (const CVector3& p : points) pane->Outline.Points[n++] = p;
  pane->Outline.Count = n;
  pane->PlaneFromPoints();
  pane->Splits[1] = splits;
  pane->Thickness = thickness;
  pane->PushSpeed[0] = 150.0f;
  pane->PushSpeed[1] = 90.0f;
  pane->FloorHeight[1] = -40.0f;
  pane->EffectCount = 2;
  pane->Effects[0] = 1;
  pane->Effects[1] = 4;
  pane->ReflectionAmount = 0.25f;
  pane->ReflectionName = reflection;
  pane->State = GLASS_INTACT;
}

// Valid sections from the glass set's own writer, at the writer's version
// and at the last version without the reflection fields.
void WriteSeeds(const std::string& folder) {
  CGlazier glass(0);
  AddPane(glass, {{0, 100, 0}, {100, 100, 0}, {100, 200, 0}, {0, 200, 0}}, 6, 1.0f, "");
  AddPane(glass, {{400, 0, 150}, {400, 0, 250}, {400, 200, 250}}, 0, 0.5f, "sky cube.dds");
  AddPane(glass, {{10, 0, 5}, {60, 0, 55}, {60, 80, 55}, {35, 120, 30}, {10, 80, 5}}, 40, 2.0f, "env");
  for (int version : {kGlassVersionCurrent, kGlassVersionReflection - 1}) {
    std::string text;
    glass.WriteText(&text, version);
    std::ofstream(folder + "/glass_v" + std::to_string(version) + ".txt", std::ios::binary) << text;
  }
}

CLinearBuffer* g_level = nullptr;
DepthSortQueue* g_queue = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetDebugOutputHook(Quiet, nullptr);
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  g_level = new CLinearBuffer(1u << 20, "level");
  g_queue = new DepthSortQueue;
  g_queue->Create(nullptr, nullptr, nullptr);
  g_queue->CreatePools(g_level);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (int version : {33, 34, 56, 57, 72}) {
    CGlazier glass(kShards);
    if (!glass.MakeShards()) __builtin_trap();
    EnvTextCursor cursor(text.c_str());
    glass.ReadText(cursor, version, GlassModules{});
    if (cursor.Offset() > text.size()) __builtin_trap();
    if (glass.GetPaneCount() > kGlassMaxPanes) __builtin_trap();
    for (int i = 0; i < kGlassMaxPanes; ++i) {
      const GlassPane& p = *glass.GetPane(i);
      if (p.State == GLASS_EMPTY) continue;
      if (p.Outline.Count < 3 || p.Outline.Count > kGlassMaxPoints) __builtin_trap();
      if (p.EffectCount < 0 || p.EffectCount > kGlassMaxEffects) __builtin_trap();
    }
    if (version != 72) continue;
    // Play the panes out: shatter each, let the shards fly, count and queue them.
    for (int i = 0; i < kGlassMaxPanes; ++i) {
      const CVector3 impact{static_cast<float>(i) * 10.0f, 150.0f, 0.0f};
      glass.Shatter(i, (i & 1) ? kGlassSideBack : kGlassSideFront, (i & 2) ? &impact : nullptr);
      if (glass.LiveShards() > kShards) __builtin_trap();
      for (int step = 0; step < 4; ++step) glass.Update(0.1f);
    }
    glass.CountShardsIn({0, 0, 0}, 500.0f, 500.0f);
    g_queue->Clear();
    glass.Draw(g_queue);
    std::string written;
    glass.WriteText(&written);
    CGlazier again(0);
    EnvTextCursor back(written.c_str());
    again.ReadText(back, version, GlassModules{});
    if (again.GetPaneCount() > glass.GetPaneCount()) __builtin_trap();
  }
  return 0;
}
