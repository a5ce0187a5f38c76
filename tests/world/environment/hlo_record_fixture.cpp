#include "hlo_record_fixture.h"

#include <cstdarg>
#include <cstdio>

namespace {

void Put(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Put(std::string& out, const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  out += buffer;
}

}  // namespace

std::string WriteHLORecord(const HLORecordFixture& f) {
  const int v = f.version;
  std::string s = "HLO ";
  if (v >= 10) Put(s, "%d ", f.flags);
  Put(s, "\"%s\" %s ", f.name, f.parent);
  if (v >= 49) Put(s, "%s ", f.texture);
  Put(s, "100 200 300 0 90 0 %d %d %d stats_entry 1 %d ignored 11 %d\n", f.side, f.orderKey, f.thirdByte, f.id,
      f.startsActive);
  if (v >= 9) Put(s, "%d %d 12 ", f.switchA, f.switchB);
  if (v >= 27) Put(s, "%d ", f.row18);
  if (v >= 69) s += "0 ";
  Put(s, "0 %d\n", f.switchC);
  if (v >= 19) {
    s += "1 2 3 4 5 6 ";
    if (v >= 25) s += "6.5 7 ";
    if (v >= 36) s += "8 ";
    if (v >= 39) s += "0 ";
    if (v >= 42) s += "21 22 ";
    if (v >= 40) s += "PATROL ";
    Put(s, "%d ", f.mask);
    for (int bit : {0x1, 0x2, 0x4, 0x8})
      if (f.mask & bit) Put(s, "%d.5 ", bit);
    for (int bit : {0x10, 0x20})
      if (f.mask & bit) Put(s, "%d.5 ", bit);
    if (f.mask & 0x40) s += v >= 26 ? "64 64.5 " : "64 ";
    if (f.mask & 0x100) {
      Put(s, "%d ", f.shapeKind);
      int reals = 0;
      if (v >= 22) reals = f.shapeKind == 0 ? 1 : f.shapeKind == 1 ? 4 : f.shapeKind == 2 ? 8 : 0;
      else if (f.shapeKind == 2) reals = 4;
      for (int i = 0; i < reals; ++i) Put(s, "%d ", 30 + i);
      if (v < 22 && f.shapeKind == 2) s += "99 ";
    }
    if (v >= 21 && v <= 35) s += "9 ";
    Put(s, "%d", f.markCount);
    for (int i = 0; i < f.markCount; ++i) Put(s, " %d", i == 0 ? 5 : i == 1 ? 599 : 9 + i);
    s += "\n";
  }
  if (v >= 20) s += "0.25 0.75 ";
  Put(s, "%d", f.statsLinks);
  for (int i = 0; i < f.statsLinks; ++i) Put(s, " link%d %d %d", i, i, -i);
  s += "\n";
  if (v >= 45) s += "33 ";
  if (v >= 50) s += "1.5 2.5 ";
  if (v >= 23) {
    s += "1 2 3 4 5 6 7 ";
    if (v <= 62) s += "8 8 8 8 8 8 8 ";
  }
  if (v >= 30) {
    Put(s, "0 %d", f.lightCount);
    for (int i = 0; i < f.lightCount; ++i) Put(s, " %d", 3 + i);
    s += "\n";
  }
  Put(s, "%d", f.attachments);
  for (int i = 0; i < f.attachments; ++i) Put(s, " \"head%d\" 0 us_helmet_camo", i);
  s += "\n";
  if (v >= 10 && (f.flags & 0x1000000)) s += "RINFO 3 ENVM 1 \"wall.bmp\" 0.5 \"sky.bmp\" 24\n";
  return s;
}

std::string WriteHLOList(const HLORecordFixture& f, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += WriteHLORecord(f);
  return s + "HLOX\n";
}
