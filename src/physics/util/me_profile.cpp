#include "physics/util/me_profile.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "physics/util/me_file.h"
#include "physics/util/me_memory.h"
#include "physics/util/me_message.h"
#include "platform/cpu/cpu_probe.h"

namespace {

// Cycle count and the two hardware counters (not readable here: always 0).
struct Snapshot {
  uint64_t cycles;
  uint64_t count0;
  uint64_t count1;
};

struct Section {
  char* name;
  uint64_t cycles;
  uint64_t count0;
  uint64_t count1;
  int flag;
  Section* next;
  bool running;
  Snapshot start;
  int timesStarted;
};

struct SectionCopy {
  char* name;
  uint64_t cycles;
  uint64_t count0;
  uint64_t count1;
  int flag;
  int timesStarted;
};

struct Frame {
  Frame* next;
  uint16_t number;
  SectionCopy* sections;
  int sectionCount;
  uint64_t cycles;
  uint64_t count0;
  uint64_t count1;
};

struct Profiler {
  bool timing;
  bool frameRunning;
  int logging;
  int style;
  int settleFrames;
  float weight;
  MeProfileCounterSelection* selection;
  uint64_t cyclesPerSecond;
  Snapshot frameStart;
  Section* sections;
  Frame* frames;
  Frame* lastFrame;
  uint16_t frameCounter;
};

Profiler g;

long CrtClockMs() { return static_cast<long>(std::clock() * 1000.0 / CLOCKS_PER_SEC); }
MeProfileClockFn g_clock = CrtClockMs;

Snapshot Now() { return Snapshot{CpuReadTimeStampCounter(), 0, 0}; }

char* CopyName(const char* name) {
  size_t n = std::strlen(name) + 1;
  char* copy = static_cast<char*>(MeAlloc(n));
  if (copy) std::memcpy(copy, name, n);
  return copy;
}

void FreeFrame(Frame* f) {
  for (int i = 0; i < f->sectionCount; ++i) MeFree(f->sections[i].name);
  MeFree(f->sections);
  MeFree(f);
}

void FreeAll() {
  for (Section* s = g.sections; s;) {
    Section* next = s->next;
    MeFree(s->name);
    MeFree(s);
    s = next;
  }
  for (Frame* f = g.frames; f;) {
    Frame* next = f->next;
    FreeFrame(f);
    f = next;
  }
  g.sections = nullptr;
  g.frames = g.lastFrame = nullptr;
  MeFree(g.selection);
  g.selection = nullptr;
}

// Busy-waits one second of the clock and counts the cycles that passed.
void Calibrate() {
  long start = g_clock();
  uint64_t c0 = CpuReadTimeStampCounter();
  while (g_clock() - start < 1000) {
  }
  g.cyclesPerSecond = CpuReadTimeStampCounter() - c0;
  if (g.cyclesPerSecond == 0) g.cyclesPerSecond = 1;
}

void StopSection(Section* s, Snapshot now) {
  s->cycles += now.cycles - s->start.cycles;
  s->count0 += now.count0 - s->start.count0;
  s->count1 += now.count1 - s->start.count1;
  s->running = false;
}

int FrameCount() {
  int n = 0;
  for (Frame* f = g.frames; f; f = f->next) ++n;
  return n;
}

int SectionCount() {
  int n = 0;
  for (Section* s = g.sections; s; s = s->next) ++n;
  return n;
}

const SectionCopy* FindCopy(const Frame* f, const char* name) {
  for (int i = 0; i < f->sectionCount; ++i)
    if (std::strcmp(f->sections[i].name, name) == 0) return &f->sections[i];
  return nullptr;
}

double CyclesToMs(double cycles) { return cycles / static_cast<double>(g.cyclesPerSecond) * 1000.0; }

void OutputAverages() {
  int frames = FrameCount();
  int divisor = frames > 0 ? frames : 1;
  uint64_t frameTotal = 0;
  for (Frame* f = g.frames; f; f = f->next) frameTotal += f->cycles;
  int64_t frameAverage = static_cast<int64_t>(frameTotal / divisor);
  MeInfo(0, "Averages over %d frames. NB: Sections can be concurrent.\n", frames);
  MeInfo(0, "\n");
  MeInfo(0, "Section profiled                Av cycles   Av %%   av ms\n");
  int64_t sectionsTotal = 0;
  for (Section* s = g.sections; s; s = s->next) {
    uint64_t sum = 0;
    for (Frame* f = g.frames; f; f = f->next)
      if (const SectionCopy* c = FindCopy(f, s->name)) sum += c->cycles;
    int64_t average = static_cast<int64_t>(sum / divisor);
    sectionsTotal += average;
    double percent = frameAverage ? 100.0 * average / frameAverage : 0.0;
    MeInfo(0, "%30s: %10" PRId64 " %6.3f %6.3f\n", s->name, average, percent,
           CyclesToMs(static_cast<double>(average)));
  }
  const double frame60 = 1000.0 / 60.0;
  double sectionsMs = CyclesToMs(static_cast<double>(sectionsTotal));
  double totalMs = CyclesToMs(static_cast<double>(frameAverage));
  MeInfo(0, "\n");
  MeInfo(0, "Sections total                   %10" PRId64 "\n", sectionsTotal);
  MeInfo(0, "\n");
  MeInfo(0, "total                            %10" PRId64 "\n", frameAverage);
  MeInfo(0, "\n");
  MeInfo(0, "Clock speed (approx):%" PRId64 "hz\n", static_cast<int64_t>(g.cyclesPerSecond));
  MeInfo(0, "Average time %6.2f milliseconds (sections) (%5.2f%% of a 60hz frame)\n", sectionsMs,
         sectionsMs / frame60 * 100.0);
  MeInfo(0, "Average time %6.2f milliseconds (total) (%5.2f%% of a 60hz frame) \n", totalMs,
         totalMs / frame60 * 100.0);
}

void OutputPerFrame() {
  for (Frame* f = g.frames; f; f = f->next) {
    MeInfo(0, "Frame %d.\n", f->number);
    for (int i = 0; i < f->sectionCount; ++i)
      MeInfo(0, "%s: %llu cycles\n", f->sections[i].name,
             static_cast<unsigned long long>(f->sections[i].cycles));
  }
}

// Writes formatted text to a file-layer descriptor.
void FilePrint(int fd, const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) return;
  size_t len = static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n) : sizeof buffer - 1;
  MeWrite(fd, buffer, len);
}

// One gnuplot command file: a clause per section (column first + 4 i), and
// optionally a closing "Whole Frame" clause.
void WritePlotFile(const char* path, int firstColumn, const char* suffix, int wholeColumn) {
  int fd = MeOpen(path, MeOpenWriteCreate);
  if (fd < 0) return;
  FilePrint(fd, "plot ");
  int i = 0;
  int count = SectionCount();
  for (Section* s = g.sections; s; s = s->next, ++i) {
    FilePrint(fd, "\"MeProfile.dat\" using 1:%d title \"%s%s\" with lines", firstColumn + 4 * i,
              s->name, suffix);
    if (wholeColumn > 0 || i + 1 < count)
      FilePrint(fd, ", ");
    else
      FilePrint(fd, "\n");
  }
  if (wholeColumn > 0)
    FilePrint(fd, "\"MeProfile.dat\" using 1:%d title \"%s\" with lines\n", wholeColumn,
              "Whole Frame");
  else if (count == 0)
    FilePrint(fd, "\n");
  MeClose(fd);
}

// The data file: per frame the running averages avg = (1 − w)·avg + w·value
// of every column, frames up to the settle count commented out.
void WriteDataFile() {
  int sections = SectionCount();
  int columns = sections * 4 + 3;
  uint64_t* avg = static_cast<uint64_t*>(MeAllocZeroed(sizeof(uint64_t) * columns));
  if (!avg) return;
  int fd = MeOpen("MeProfile.dat", MeOpenWriteCreate);
  if (fd < 0) {
    MeFree(avg);
    return;
  }
  const double w = g.weight;
  auto smooth = [&](int column, uint64_t value) {
    avg[column] = static_cast<uint64_t>(static_cast<double>(avg[column]) * (1.0 - w) +
                                        static_cast<double>(value) * w);
    return static_cast<unsigned long long>(avg[column]);
  };
  uint64_t sumCycles = 0, sum0 = 0, sum1 = 0;
  int lastNumber = 0;
  for (Frame* f = g.frames; f; f = f->next) {
    if (f->number <= g.settleFrames) FilePrint(fd, "#");
    FilePrint(fd, "%d", f->number);
    int col = 0;
    for (Section* s = g.sections; s; s = s->next) {
      const SectionCopy* c = FindCopy(f, s->name);
      FilePrint(fd, " %llu", smooth(col++, c ? c->cycles : 0));
      FilePrint(fd, " %llu", smooth(col++, c ? static_cast<uint64_t>(c->timesStarted) : 0));
      FilePrint(fd, " %llu", smooth(col++, c ? c->count0 : 0));
      FilePrint(fd, " %llu", smooth(col++, c ? c->count1 : 0));
    }
    FilePrint(fd, " %llu", smooth(col++, f->cycles));
    FilePrint(fd, " %llu", smooth(col++, f->count0));
    FilePrint(fd, " %llu", smooth(col++, f->count1));
    FilePrint(fd, "\n");
    sumCycles += f->cycles;
    sum0 += f->count0;
    sum1 += f->count1;
    lastNumber = f->number;
  }
  uint64_t d = lastNumber > 0 ? static_cast<uint64_t>(lastNumber) : 1;
  FilePrint(fd, "#Averages:\n#CPU Cycles: %llu\n#Count 0: %llu\n#Count 1: %llu\n",
            static_cast<unsigned long long>(sumCycles / d),
            static_cast<unsigned long long>(sum0 / d), static_cast<unsigned long long>(sum1 / d));
  MeClose(fd);
  MeFree(avg);
}

void OutputPlotFiles() {
  // The low 32 bits of the first frame record's address, for debugging.
  MeInfo(0, "twiddler=%d output.settletime=%d thisfd=%08x\n", 0, g.settleFrames,
         static_cast<unsigned>(reinterpret_cast<uintptr_t>(g.frames)));
  int s = SectionCount();
  bool vectorOps = g.selection && g.selection->counter0 != 0;
  bool flops = g.selection && g.selection->counter1 != 0;
  WritePlotFile("cyclePlot.gpt", 2, " - Cycles", 2 + 4 * s);
  WritePlotFile("timesCalledPlot.gpt", 3, " - Times Called", 0);
  WritePlotFile("count0Plot.gpt", 4, vectorOps ? " - VeOps" : " - ICache Misses", 3 + 4 * s);
  WritePlotFile("count1Plot.gpt", 5, flops ? " - FlOps" : " - DCache Misses", 4 + 4 * s);
  WriteDataFile();
}

}  // namespace

void MeProfileStartTiming(MeProfileCounterSelection selection, int logging) {
  FreeAll();
  g.frameRunning = false;
  g.logging = logging;
  g.style = MeProfileAverages;
  g.settleFrames = 10;
  g.weight = 0.2f;
  g.frameCounter = 0;
  g.selection = static_cast<MeProfileCounterSelection*>(MeAlloc(sizeof selection));
  if (g.selection) *g.selection = selection;
  Calibrate();
  g.timing = true;
}

void MeProfileStopTiming() {
  FreeAll();
  g.timing = false;
  g.frameRunning = false;
}

void MeProfileStartFrame() {
  if (!g.timing) return;
  for (Section* s = g.sections; s; s = s->next) {
    s->cycles = s->count0 = s->count1 = 0;
    s->timesStarted = 0;
  }
  if (g.frameRunning)
    MeWarning(3,
              "MeProfileStartFrame: You started a Frame when there was already one running...\n"
              "Did you forget to call MeProfileEndFrame() somewhere?\n");
  g.frameRunning = true;
  g.frameStart = Now();
}

void MeProfileEndFrame() {
  if (!g.timing) return;
  Snapshot now = Now();
  for (Section* s = g.sections; s; s = s->next) {
    if (!s->running) continue;
    MeWarning(3,
              "MeProfileEndFrame: You left the timer \"%s\" running until the end of the "
              "frame - did you mean to?\n",
              s->name);
    StopSection(s, now);
  }
  Frame* f = nullptr;
  if (!g.logging && g.frames) {
    f = g.frames;  // one reused record
    for (int i = 0; i < f->sectionCount; ++i) MeFree(f->sections[i].name);
    MeFree(f->sections);
  } else {
    f = static_cast<Frame*>(MeAllocZeroed(sizeof(Frame)));
    if (!f) return;
    if (g.lastFrame)
      g.lastFrame->next = f;
    else
      g.frames = f;
    g.lastFrame = f;
  }
  f->number = ++g.frameCounter;
  f->cycles = now.cycles - g.frameStart.cycles;
  f->count0 = now.count0 - g.frameStart.count0;
  f->count1 = now.count1 - g.frameStart.count1;
  int count = SectionCount();
  f->sections = count ? static_cast<SectionCopy*>(MeAllocZeroed(sizeof(SectionCopy) * count))
                      : nullptr;
  f->sectionCount = f->sections ? count : 0;
  int i = 0;
  for (Section* s = g.sections; s && i < f->sectionCount; s = s->next, ++i) {
    SectionCopy& c = f->sections[i];
    c.name = CopyName(s->name);
    c.cycles = s->cycles;
    c.count0 = s->count0;
    c.count1 = s->count1;
    c.flag = s->flag;
    c.timesStarted = s->timesStarted;
  }
  g.frameRunning = false;
}

void MeProfileStartSection(const char* name, int flag) {
  if (!g.timing) return;
  Snapshot now = Now();
  Section* found = nullptr;
  Section* last = nullptr;
  for (Section* s = g.sections; s; s = s->next) {
    if (s->running && s->flag == 1) StopSection(s, now);
    if (!found && std::strcmp(s->name, name) == 0) found = s;
    last = s;
  }
  if (!found) {
    found = static_cast<Section*>(MeAllocZeroed(sizeof(Section)));
    if (!found) return;
    found->name = CopyName(name);
    if (!found->name) {
      MeFree(found);
      return;
    }
    if (last)
      last->next = found;
    else
      g.sections = found;
  }
  found->flag = flag;
  found->running = true;
  found->timesStarted += 1;
  found->start = Now();
}

void MeProfileEndSectionFn(const char* name) {
  if (!g.timing) return;
  Snapshot now = Now();
  for (Section* s = g.sections; s; s = s->next) {
    if (s->running && std::strcmp(s->name, name) == 0) {
      StopSection(s, now);
      return;
    }
  }
  MeWarning(3,
            "MeProfileEndSectionFn: You tried to stop %s which you hadn't started, which is a "
            "bit silly.\n",
            name);
}

double MeProfileGetSectionTime(const char* name) {
  if (!g.frames) return 0;
  if (g.frameRunning)
    MeWarning(3,
              "MeProfileGetSectionTime: You called MeProfileGetSectionTime(\"%s\") while a frame "
              "was under way.\nThis time is therefore for the frame before last!\n",
              name);
  const Frame* f = g.logging ? g.lastFrame : g.frames;
  const SectionCopy* c = FindCopy(f, name);
  if (!c) return 0;
  return CyclesToMs(static_cast<double>(c->cycles));
}

uint64_t MeProfileGetClockSpeed() { return g.cyclesPerSecond; }

double MeProfileGetAverageFrameTime() {
  int frames = FrameCount();
  if (frames == 0 || g.cyclesPerSecond == 0) return 0;
  uint64_t sum = 0;
  for (Frame* f = g.frames; f; f = f->next)
    for (int i = 0; i < f->sectionCount; ++i) sum += f->sections[i].cycles;
  return CyclesToMs(static_cast<double>(sum) / frames);
}

void MeProfileSetOutputStyle(int style) { g.style = style; }

void MeProfileOutputResults() {
  if (!g.logging)
    MeWarning(1,
              "MeProfileOutputResults: You didn't turn logging on, so this information isn't "
              "likely to be very useful!\nCall MeProfileStartTiming with 1 as the second "
              "argument.");
  Calibrate();
  switch (g.style) {
    case MeProfileAverages: OutputAverages(); break;
    case MeProfilePerFrame: OutputPerFrame(); break;
    case MeProfilePlotFiles: OutputPlotFiles(); break;
    default: MeWarning(3, "MeProfileOutputResults: MeProfile output style not recognized\n");
  }
}

MeProfileClockFn MeProfileSetClock(MeProfileClockFn clock) {
  MeProfileClockFn old = g_clock;
  g_clock = clock ? clock : CrtClockMs;
  return old;
}
