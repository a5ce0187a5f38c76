#include "world/animation/prs_writer.h"

#include <cstdarg>
#include <cstdio>

#include "platform/win32/win_stdio.h"

namespace {

void Append(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string* out, const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  *out += line;
}

double D(float v) { return static_cast<double>(v); }

const std::string& NameAt(const std::vector<std::string>& names, std::size_t i) {
  static const std::string kRoot = "ROOT";
  return i < names.size() ? names[i] : kRoot;
}

}  // namespace

std::string WritePrsText(const AnimSet& set, const PrsTrackNames& names) {
  std::string out;
  Append(&out, "Version %d\r\nTracks %d\r\n", set.HeaderValue, set.TrackCount);
  if (set.TrackCount == 0) return out;
  Append(&out, "BoundsData {\r\n  Frames %d\r\n  BoundsInfo {\r\n", set.BoundsCount());
  for (int i = 0; i < set.BoundsCount(); ++i) {
    const AnimBounds& b = set.Bounds[static_cast<std::size_t>(i)];
    Append(&out, "    Frame %d\r\n", i);
    Append(&out, "    Box %.9g %.9g %.9g  %.9g %.9g %.9g\r\n", D(b.Box.Min.x), D(b.Box.Min.y), D(b.Box.Min.z),
           D(b.Box.Max.x), D(b.Box.Max.y), D(b.Box.Max.z));
    Append(&out, "    Spare 0\r\n");
    Append(&out, "    Centre %.9g %.9g %.9g\r\n    Radius %.9g\r\n", D(b.Sphere.Centre.x), D(b.Sphere.Centre.y),
           D(b.Sphere.Centre.z), D(b.Sphere.Radius));
  }
  out += "  }\r\n}\r\n";
  for (std::size_t t = 0; t < set.Tracks.size(); ++t) {
    const AnimTrack& track = set.Tracks[t];
    Append(&out, "Track {\r\n  Name \"%s\"\r\n  Parent \"%s\"\r\n", NameAt(names.Names, t).c_str(),
           NameAt(names.Parents, t).c_str());
    Append(&out, "  Keys %d\r\n  FrameRate %d\r\n  PRSInfo {\r\n", track.KeyCount(), track.FrameRate);
    for (const Pose& k : track.Keys)
      Append(&out, "    P %.9g %.9g %.9g R 0 0 0 S %.9g %.9g %.9g Q %.9g %.9g %.9g %.9g\r\n", D(k.translation.x),
             D(k.translation.y), D(k.translation.z), D(k.scale.x), D(k.scale.y), D(k.scale.z), D(k.rotation.x),
             D(k.rotation.y), D(k.rotation.z), D(k.rotation.w));
    out += "  }\r\n}\r\n";
  }
  return out;
}

bool WritePrsFile(const char* path, const AnimSet& set, const PrsTrackNames& names) {
  const std::string text = WritePrsText(set, names);
  std::FILE* f = WinFopen(path, "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && written;
}
