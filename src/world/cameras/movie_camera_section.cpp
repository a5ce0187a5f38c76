// The camera section of the level file (the last section, ending "ENDC"),
// its writer, and the enumeration of camera names for mission scripts.  A
// record is one line of blank-separated fields; the writer writes the
// current version and the reader takes every version since 12.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/system/debug_output.h"
#include "world/cameras/movie_camera.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"

namespace {

bool Damaged(EnvTextCursor& cursor, const char* what) {
  DebugTrace("Camera section, line %d: %s\n", cursor.Line(), what);
  return false;
}

void Append(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string* out, const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  *out += buffer;
}

void AppendVector(std::string* out, const CVector3& v) { Append(out, "%f %f %f ", v.x, v.y, v.z); }

// Reference to an instance: its id text, or UNDEFINED.
void AppendInstance(std::string* out, const CEnvInstance* instance, bool quoteUndefined) {
  if (instance != nullptr)
    Append(out, "\"#0x%X\" ", instance->NameHash);
  else
    *out += quoteUndefined ? "\"UNDEFINED\" " : "UNDEFINED ";
}

// Runtime bits a track's mode word does not keep in the file.
constexpr std::uint32_t kTrackRuntimeBits = TRACK_FINISHED | TRACK_END;

}  // namespace

CEnvInstance* CMovieCamera::FindInstance(const char* name) const {
  if (environment_ == nullptr || name == nullptr || std::strcmp(name, "UNDEFINED") == 0) return nullptr;
  // The writer names instances by their id text "#0x%X".
  if (name[0] == '#' && name[1] == '0' && (name[2] == 'x' || name[2] == 'X')) {
    char* end = nullptr;
    const unsigned long id = std::strtoul(name + 3, &end, 16);
    if (end != name + 3 && *end == 0) return environment_->FindInstanceById(static_cast<std::uint32_t>(id));
  }
  return environment_->FindInstanceByName(name);
}

namespace {

// Field readers over one record; each returns false at the first missing field.
struct RecordReader {
  EnvTextCursor& cursor;
  int version;

  bool Real(float* v) { return cursor.Real(v); }
  bool Int(std::int32_t* v) {
    int x = 0;
    if (!cursor.Int(&x)) return false;
    *v = x;
    return true;
  }
  bool UInt(std::uint32_t* v) {
    int x = 0;
    if (!cursor.Int(&x)) return false;
    *v = static_cast<std::uint32_t>(x);
    return true;
  }
  bool Vector(CVector3* v) {
    float f[3];
    if (!cursor.Reals(f, 3)) return false;
    *v = {f[0], f[1], f[2]};
    return true;
  }
  bool Word(char* out, std::size_t size) { return cursor.Word(out, size); }

  bool Track(CameraTrack* t, bool rail) {
    if (rail && version >= 47) {
      std::int32_t count = 0;
      if (!UInt(&t->Mode) || !Int(&count)) return false;
      if (count < 0 || count > kMaxRails) return false;
      t->RailCount = count;
      for (int i = 0; i < count; ++i)
        if (!Int(&t->Rails[i])) return false;
      return Real(&t->Speed);
    }
    if (!UInt(&t->Mode) || !Int(&t->StartWaypoint)) return false;
    if (version >= 15 && !Real(&t->Delay)) return false;
    if (version >= 16 && !Real(&t->StartOffset)) return false;
    float dropped = 0.0f;
    if (version < 41 && !Real(&dropped)) return false;
    if (!Real(&t->Speed)) return false;
    t->Mode &= ~kTrackRuntimeBits;
    return true;
  }
  bool Dolly(MovieCameraRecord* r) {
    if (version >= 15 && !Real(&r->Dolly.Delay)) return false;
    return Vector(&r->DollyDirection) && Real(&r->Dolly.Start) && Real(&r->Dolly.End) && Real(&r->Dolly.Duration);
  }
  bool FieldOfView(MovieCameraRecord* r) {
    if (version >= 15 && !Real(&r->FovRamp.Delay)) return false;
    return Real(&r->FieldOfView) && Real(&r->FovRamp.Start) && Real(&r->FovRamp.End) && Real(&r->FovRamp.Duration);
  }
  bool Shake(MovieCameraRecord* r) {
    if (version >= 15 && !Real(&r->Shake.Delay)) return false;
    return Real(&r->ShakeMagnitude) && Real(&r->Shake.Duration);
  }
  bool Triggers(MovieCameraRecord* r) {
    if (version < 13) return true;
    if (!Real(&r->TriggerDistance)) return false;
    std::int32_t count = 1;
    if (version >= 31 && !Int(&count)) return false;
    if (count < 0 || count > kMaxCameraRegions) return false;
    r->RegionCount = count;
    for (int i = 0; i < count; ++i)
      if (!Int(&r->Regions[i])) return false;
    return version < 18 || Real(&r->TimeLimit);
  }
};

}  // namespace

bool CMovieCamera::ReadRecord(EnvTextCursor& cursor, int version, const char* kind) {
  int kindCode = CAMFREE;
  if (std::strcmp(kind, "CAMTARGPOS") == 0) kindCode = CAMTARGPOS;
  if (std::strcmp(kind, "CAMTARGOBJ") == 0) kindCode = CAMTARGOBJ;
  if (std::strcmp(kind, "CAMCHASEOBJ") == 0) kindCode = CAMCHASEOBJ;

  RecordReader in{cursor, version};
  MovieCameraRecord r;
  char name[kCameraNameSize], zone[128], object[128];
  if (!in.Word(name, sizeof(name))) return Damaged(cursor, "a camera name is missing or too long");
  if (!in.UInt(&r.FlagsA)) return Damaged(cursor, "a camera's flags are missing");
  if (version >= 18 && !in.UInt(&r.FlagsB)) return Damaged(cursor, "a camera's second flags are missing");
  if (!in.Word(zone, sizeof(zone)) || !in.Vector(&r.Position)) return Damaged(cursor, "a camera's zone or position is missing");
  bool ok = true;
  object[0] = 0;
  const bool rail = (r.FlagsB & CAMB_RAIL) != 0;
  switch (kindCode) {
    case CAMFREE:
      ok = in.Vector(&r.Angles) && in.Track(&r.PositionTrack, rail) && in.Dolly(&r) && in.FieldOfView(&r) &&
           in.Shake(&r) && in.Triggers(&r);
      break;
    case CAMTARGPOS:
      ok = in.Vector(&r.TargetPoint) && in.Track(&r.PositionTrack, rail) && in.Track(&r.TargetTrack, false) &&
           in.Dolly(&r) && in.FieldOfView(&r) && in.Shake(&r) && in.Triggers(&r);
      break;
    case CAMTARGOBJ:
      ok = in.Word(object, sizeof(object)) && in.Vector(&r.TargetOffset) && in.Track(&r.PositionTrack, rail) &&
           in.Dolly(&r) && in.FieldOfView(&r) && in.Shake(&r) && in.Triggers(&r);
      break;
    default:
      ok = in.Word(object, sizeof(object)) && in.Vector(&r.ChaseOffset) && in.Vector(&r.TargetOffset) &&
           in.FieldOfView(&r) && in.Shake(&r) && in.Triggers(&r);
      break;
  }
  if (!ok) return Damaged(cursor, "a camera record is cut short or has a count out of range");
  char lookAt[128] = "UNDEFINED";
  if (kindCode == CAMCHASEOBJ && (r.FlagsB & CAMB_LOOK_AT) && !in.Word(lookAt, sizeof(lookAt)))
    return Damaged(cursor, "a chase camera's look-at object is missing");

  const int n = CreateCamera(name);
  if (n < 0) {
    DebugTrace("Camera section: no free camera for \"%s\"\n", name);
    return true;
  }
  MovieCameraRecord& c = records_[n];
  c.FlagsA = r.FlagsA | CAMA_IN_USE;
  c.FlagsA &= ~CAMA_RUNNING;
  if (version >= 18) c.FlagsB = r.FlagsB & ~CAMB_STARTED;
  c.Kind = kindCode;
  c.Zone = FindInstance(zone);
  c.Position = c.BasePosition = c.Desired = r.Position;
  c.Angles = r.Angles;
  c.TargetPoint = r.TargetPoint;
  c.Object = FindInstance(object);
  c.TargetOffset = kindCode >= CAMTARGOBJ ? r.TargetOffset : c.TargetOffset;
  c.ChaseOffset = kindCode == CAMCHASEOBJ ? r.ChaseOffset : c.ChaseOffset;
  c.LookAtObject = FindInstance(lookAt);
  c.FieldOfView = r.FieldOfView;
  c.FovRamp = r.FovRamp;
  c.Dolly = r.Dolly;
  c.DollyDirection = r.DollyDirection;
  c.ShakeMagnitude = r.ShakeMagnitude;
  c.Shake = r.Shake;
  c.ShakeBase = r.Position;
  c.TriggerDistance = r.TriggerDistance;
  c.RegionCount = r.RegionCount;
  for (int i = 0; i < r.RegionCount; ++i) c.Regions[i] = r.Regions[i];
  c.TimeLimit = r.TimeLimit;
  c.PositionTrack = r.PositionTrack;
  c.TargetTrack = r.TargetTrack;
  c.PositionTrack.FirstPoint = WaypointPoint(c.PositionTrack, 0);
  c.TargetTrack.FirstPoint = WaypointPoint(c.TargetTrack, 0);
  if (kindCode == CAMFREE && std::strcmp(c.Name, "PLAYERVIEW") == 0) viewCameras_[0] = n;
  return true;
}

bool CMovieCamera::ReadSection(EnvTextCursor& cursor, int version) {
  Reset();
  bool ok = true;
  if (version >= 12) {
    char word[64];
    for (;;) {
      if (!cursor.Token(word)) {
        ok = Damaged(cursor, "the section ends without ENDC");
        break;
      }
      if (std::strcmp(word, "ENDC") == 0) break;
      if (std::strcmp(word, "CAMFREE") == 0 || std::strcmp(word, "CAMTARGPOS") == 0 ||
          std::strcmp(word, "CAMTARGOBJ") == 0 || std::strcmp(word, "CAMCHASEOBJ") == 0) {
        if (!ReadRecord(cursor, version, word)) {
          ok = false;
          break;
        }
      }
    }
  } else {
    const int n = CreateCamera("PLAYERVIEW");
    viewCameras_[0] = n;
    char first[128], object[128];
    float pose[6];
    if (!cursor.Word(first, sizeof(first)) || !cursor.Word(object, sizeof(object)) || !cursor.Reals(pose, 6)) {
      ok = Damaged(cursor, "the player view record is cut short");
    } else if (n >= 0) {
      SetZoneFromObject(n, FindInstance(object));
      SetPosition(n, {pose[0], pose[1], pose[2]});
      SetAngles(n, {pose[3], pose[4], pose[5]});
    }
  }
  for (int v = 1; v < kMovieViewports; ++v) viewCameras_[v] = CreateCamera("VIEWPORTVIEW");
  return ok;
}

void CMovieCamera::WriteSection(std::string* out) const {
  auto track = [out](const CameraTrack& t, bool rail) {
    const std::uint32_t mode = t.Mode & ~kTrackRuntimeBits;
    if (rail) {
      Append(out, "%d %d ", static_cast<int>(mode), t.RailCount);
      for (int i = 0; i < t.RailCount; ++i) Append(out, "%d ", t.Rails[i]);
      Append(out, "%f ", t.Speed);
    } else {
      Append(out, "%d %d %f %f %f ", static_cast<int>(mode), t.StartWaypoint, t.Delay, t.StartOffset, t.Speed);
    }
  };
  for (int n = 0; n < kMaxMovieCameras; ++n) {
    const MovieCameraRecord& r = records_[n];
    if (!(r.FlagsA & CAMA_IN_USE)) continue;
    static const char* const kKinds[] = {"CAMFREE", "CAMTARGPOS", "CAMTARGOBJ", "CAMCHASEOBJ"};
    const int kind = r.Kind >= CAMFREE && r.Kind <= CAMCHASEOBJ ? r.Kind : CAMFREE;
    const std::uint32_t flagsA = r.FlagsA & ~CAMA_RUNNING;
    const std::uint32_t flagsB = r.FlagsB & ~CAMB_STARTED;
    Append(out, "%s \"%s\" %d %d ", kKinds[kind], r.Name, static_cast<int>(flagsA), static_cast<int>(flagsB));
    AppendInstance(out, r.Zone, kind >= CAMTARGOBJ);
    AppendVector(out, r.BasePosition);
    const bool rail = (flagsB & CAMB_RAIL) != 0;
    if (kind == CAMFREE) {
      AppendVector(out, r.Angles);
      track(r.PositionTrack, rail);
    } else if (kind == CAMTARGPOS) {
      AppendVector(out, r.TargetPoint);
      track(r.PositionTrack, rail);
      track(r.TargetTrack, false);
    } else if (kind == CAMTARGOBJ) {
      AppendInstance(out, r.Object, true);
      AppendVector(out, r.TargetOffset);
      track(r.PositionTrack, rail);
    } else {
      AppendInstance(out, r.Object, true);
      AppendVector(out, r.ChaseOffset);
      AppendVector(out, r.TargetOffset);
    }
    if (kind != CAMCHASEOBJ) {
      Append(out, "%f ", r.Dolly.Delay);
      AppendVector(out, r.DollyDirection);
      Append(out, "%f %f %f ", r.Dolly.Start, r.Dolly.End, r.Dolly.Duration);
    }
    Append(out, "%f %f %f %f %f ", r.FovRamp.Delay, r.FieldOfView, r.FovRamp.Start, r.FovRamp.End, r.FovRamp.Duration);
    Append(out, "%f %f %f ", r.Shake.Delay, r.ShakeMagnitude, r.Shake.Duration);
    Append(out, "%f %d ", r.TriggerDistance, r.RegionCount);
    for (int i = 0; i < r.RegionCount; ++i) Append(out, "%d ", r.Regions[i]);
    Append(out, "%f", r.TimeLimit);
    if (kind == CAMCHASEOBJ && (flagsB & CAMB_LOOK_AT)) {
      *out += " ";
      AppendInstance(out, r.LookAtObject, true);
      if (out->back() == ' ') out->pop_back();
    }
    *out += "\r\n";
  }
  *out += "ENDC\r\n";
}

void CMovieCamera::WriteHeader(std::string* out) const {
  *out += "typedef enum\r\n{\r\n";
  int number = 0;
  for (int n = 0; n < kMaxMovieCameras; ++n)
    if (records_[n].FlagsA & CAMA_IN_USE) Append(out, "CAMERA_%s = %d,\r\n", records_[n].Name, number++);
  *out += "} CAMERA_NAME;\r\n";
}

int CMovieCamera::CheckZoneLinks() {
  int all = 1;
  for (int n = 0; n < kMaxMovieCameras; ++n) {
    MovieCameraRecord& r = records_[n];
    if (!(r.FlagsA & CAMA_IN_USE)) continue;
    if (r.Zone == nullptr) {
      DebugTrace("Camera \"%s\" has not been linked to a zone!", r.Name);
      all = 0;
    } else if (environment_ == nullptr || !environment_->ContainsInstance(r.Zone) || r.Zone->Parent != nullptr) {
      DebugTrace("The zone camera \"%s\" is linked to does not exist!\n", r.Name);
      r.Zone = nullptr;
      all = 0;
    }
  }
  return all;
}
