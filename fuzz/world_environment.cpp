// Feeds arbitrary text to the section readers of the environment file: the
// game-object list (HALBERD_FUZZ_HLO) or the waypoint section (otherwise).
// Every read must stay inside the text and every kept index inside its list.
//
// Seeds: run the target with HALBERD_WRITE_SEEDS=<folder> to write valid
// sections of several versions there, then start it on that folder.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/debug_output.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/hlo_record_reader.h"
#include "world/environment/hlo_record_fixture.h"  // test fixture writer
#include "fuzz_seed_file.h"
#include "fuzz_text_input.h"

namespace {

// The first line of an input is the file version; the section follows.
void WriteSeeds(const char* folder) {
  for (int v : {0, 9, 19, 21, 22, 26, 27, 30, 42, 50, 62, 72}) {
#ifdef HALBERD_FUZZ_HLO
    HLORecordFixture f;
    f.version = v;
    f.mask = 0x17F;
    f.flags = 0x1000005;
    WriteSeedIn(folder, "hlo_v" + std::to_string(v), std::to_string(v) + "\n" + WriteHLOList(f, 2));
#else
    std::string s = std::to_string(v) + "\n";
    s += v >= 14 ? "NEWENVWAYPT 0 0 a 1 2 3 4 5 6 0 1\nNEWENVWAYPT 1 0 b 1 2 3 4 5 6 7 -1\n"
                 : "ENVWAYPT 0 a 1 2 3 1\nENVWAYPT 1 b 4 5 6 -1\n";
    WriteSeedIn(folder, "waypoints_v" + std::to_string(v), s + "ENDWAYPTS\n");
#endif
  }
}

void Quiet(const char*, void*) {}

struct Sink {
  int records = 0;
};

void OnRecord(HLOSpawnRecord& record, const HLORecordExtras& extras, void* context) {
  if (record.lightCount < 0 || record.lightCount > HLOSpawnRecord::kMaxLights) __builtin_trap();
  if (record.attachments.size() > HLOSpawnRecord::kMaxAttachments) __builtin_trap();
  if (record.statsLinks.size() > HLOSpawnRecord::kMaxStatsLinks) __builtin_trap();
  if (record.renderInfo.count < 0 || record.renderInfo.count > RenderInfoBlock::kMaxEntries) __builtin_trap();
  if (std::strlen(extras.parentName) >= sizeof extras.parentName) __builtin_trap();
  ++static_cast<Sink*>(context)->records;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetDebugOutputHook(Quiet, nullptr);
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) {
    WriteSeeds(folder);
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<char> text = NulTerminatedText(data, size);
  EnvTextCursor cursor(text.data());
  int version = 0;
  cursor.Int(&version);
#ifdef HALBERD_FUZZ_HLO
  char first[256];
  cursor.Token(first);
  Sink sink;
  EnvFileReadHLOList(cursor, version, first, OnRecord, nullptr, &sink);
#else
  static EnvWaypointList list;
  list.Init();
  list.Read(cursor, version);
  for (int i = 0; i < list.Count(); ++i)
    if (list.GetNext(i) < -1 || list.GetNext(i) >= list.Count()) __builtin_trap();
#endif
  if (cursor.Offset() > std::strlen(text.data())) __builtin_trap();
  return 0;
}
