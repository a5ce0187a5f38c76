// Any text read as the camera section, at the current version and at older
// ones: the reader must stay inside the text, keep every count in range and
// leave the manager usable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "render/geometry/camera.h"
#include "world/cameras/movie_camera.h"
#include "world/environment/env_text_cursor.h"

namespace {

// Sections made by the writer: one camera of each kind with tracks, a rail,
// triggers and timed effects.
void WriteSeeds(const std::string& folder) {
  CCamera render;
  CMovieCamera cameras(&render);
  const int free = cameras.CreateCamera("PLAYERVIEW");
  cameras.SetPosition(free, {1, 2, 3});
  cameras.SetPositionTrack(free, 0, true, TRACK_TIMED);
  cameras.SetPositionTrackSpeed(free, 3000.0f, 100.0f, 50.0f);
  cameras.SetRegionTrigger(free, 0);
  cameras.SetRegionTrigger(free, 2);
  cameras.SetTimeLimit(free, 5000.0f);
  cameras.StartShake(free, 3.0f, 0.0f, 400.0f);
  const int aimed = cameras.CreateCamera("aimed");
  cameras.SetTargetPosition(aimed, {5, 6, 7});
  cameras.SetTargetTrack(aimed, 1, false, TRACK_LOOP);
  cameras.StartDolly(aimed, 0.0f, 100.0f, 0.0f, 1000.0f, {1, 0, 0});
  cameras.SetDistanceTrigger(aimed, 250.0f);
  const int rail = cameras.CreateCamera("rail");
  cameras.SetTargetObject(rail, nullptr);
  cameras.SetRailRadius(rail, 300.0f);
  cameras.AddRail(rail, 0);
  cameras.AddRail(rail, 3);
  const int chase = cameras.CreateCamera("chase");
  cameras.SetChaseObject(chase, nullptr);
  cameras.GetCameraRecord(chase)->FlagsB |= CAMB_LOOK_AT;
  cameras.StartFieldOfViewRamp(chase, 70.0f, 40.0f, 0.0f, 500.0f);
  std::string text;
  cameras.WriteSection(&text);
  std::ofstream(folder + "/cameras.txt", std::ios::binary) << text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CCamera render;
  static CMovieCamera cameras(&render);
  for (int version : {kCameraSectionVersion, 40, 14, 11}) {
    EnvTextCursor cursor(text.c_str());
    cameras.ReadSection(cursor, version);
    if (cursor.Offset() > text.size()) __builtin_trap();
    for (int n = 0; n < kMaxMovieCameras; ++n) {
      const MovieCameraRecord* r = cameras.GetCameraRecord(n);
      if (r->RegionCount < 0 || r->RegionCount > kMaxCameraRegions) __builtin_trap();
      if (r->PositionTrack.RailCount < 0 || r->PositionTrack.RailCount > kMaxRails) __builtin_trap();
    }
    // What was read can be run and written.
    for (int n = 0; n < kMaxMovieCameras; ++n)
      if (cameras.IsUsed(n)) cameras.StartCamera(n % kMovieViewports, n);
    cameras.Update();
    std::string out;
    cameras.WriteSection(&out);
  }
  return 0;
}
