#include "world/switches/switch_stats.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "foundation/memory/memory_manager.h"
#include "foundation/system/debug_output.h"
#include "foundation/system/message_box.h"

namespace {

SwitchStats* g_stats = nullptr;
int g_statsCount = 0;

// One text field as the table's scan format takes it: the run of characters
// up to a comma or an apostrophe.  False when it does not fit in size - 1.
bool ReadField(const char*& p, const char* end, char* out, std::size_t size) {
  std::size_t n = 0;
  for (; p < end && *p != ',' && *p != '\''; ++p) {
    if (n + 1 >= size) return false;
    out[n++] = *p;
  }
  out[n] = 0;
  return n > 0;
}

bool Comma(const char*& p, const char* end) {
  if (p >= end || *p != ',') return false;
  ++p;
  return true;
}

// One "%f" number; strtof may not run past the line, so it reads a copy.
bool ReadNumber(const char*& p, const char* end, float* out) {
  char buffer[64];
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  std::size_t n = 0;
  while (p + n < end && n + 1 < sizeof(buffer) && p[n] != ',' && p[n] != '\n' && p[n] != '\r') {
    buffer[n] = p[n];
    ++n;
  }
  buffer[n] = 0;
  char* stop = nullptr;
  *out = std::strtof(buffer, &stop);
  // An infinity or "not a number" is as damaged as no number at all.
  if (stop == buffer || !std::isfinite(*out)) return false;
  p += stop - buffer;
  return true;
}

bool ParseLine(const char* p, const char* end, SwitchStats* s) {
  if (!ReadField(p, end, s->Name, sizeof(s->Name)) || !Comma(p, end)) return false;
  if (!ReadField(p, end, s->FirstModel, sizeof(s->FirstModel)) || !Comma(p, end)) return false;
  if (!ReadField(p, end, s->SecondModel, sizeof(s->SecondModel)) || !Comma(p, end)) return false;
  float v[7];
  for (int k = 0; k < 7; ++k) {
    if (!ReadNumber(p, end, &v[k])) return false;
    if (k < 6 && !Comma(p, end)) return false;
  }
  s->PositionOffset = {v[0], v[1], v[2]};
  s->RotationOffset = {v[3], v[4], v[5]};
  // Seconds to whole milliseconds, truncated; a negative or absurd time is no time.
  const float ms = v[6] * 1000.0f;
  s->TravelTime = ms > 0.0f && ms < 4.0e9f ? static_cast<std::uint32_t>(ms) : 0u;
  return true;
}

}  // namespace

int SwitchStatsRead(const char* text, std::size_t size, std::uint32_t tag) {
  SwitchStatsFree();
  if (text == nullptr) return 1;
  std::size_t lines = 0;
  for (std::size_t i = 0; i < size; ++i) lines += text[i] == '\n';
  if (lines == 0) return 1;
  if (lines > static_cast<std::size_t>(kMaxSwitchStats)) {
    DebugTrace("Switches.txt: %zu lines, only the first %d are read\n", lines, kMaxSwitchStats);
    lines = kMaxSwitchStats;
  }
  g_stats = MEM_NEW(MEMCAT_GAME) SwitchStats[lines];
  if (g_stats == nullptr) {
    ErrorBox("Switch Stats - Out of memory");
    return 0;
  }
  const char* p = text;
  const char* end = text + size;
  for (std::size_t line = 1; line <= lines; ++line) {
    const char* eol = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    if (eol == nullptr) break;
    SwitchStats record;
    record.TableTag = tag;
    if (ParseLine(p, eol, &record))
      g_stats[g_statsCount++] = record;
    else if (eol > p && !(eol - p == 1 && *p == '\r'))
      DebugTrace("Switches.txt line %zu: a field is missing or too long; the line is left out\n", line);
    p = eol + 1;
  }
  return 1;
}

const SwitchStats* SwitchStatsFind(const char* name) {
  if (name == nullptr) return nullptr;
  for (int i = 0; i < g_statsCount; ++i)
    if (std::strcmp(g_stats[i].Name, name) == 0) return &g_stats[i];
  return nullptr;
}

int SwitchStatsCount() { return g_statsCount; }

const SwitchStats* SwitchStatsGet(int i) { return i >= 0 && i < g_statsCount ? &g_stats[i] : nullptr; }

void SwitchStatsFree() {
  if (g_stats != nullptr) MEM_DELETE_ARRAY g_stats;
  g_stats = nullptr;
  g_statsCount = 0;
}
