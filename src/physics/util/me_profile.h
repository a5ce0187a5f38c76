// The physics profiler: named sections of a frame timed with the cycle
// counter, reported as an averages table, a per-frame dump or plot files
// ("MeProfile.dat" and gnuplot command files) in the current folder.  While
// timing is off every call returns at once.
#pragma once

#include <cstdint>

// Which hardware counters to read (kept for the plot titles).
struct MeProfileCounterSelection {
  int counter0;  // 0: instruction-cache misses, else vector operations
  int counter1;  // 0: data-cache misses, else floating-point operations
};

enum MeProfileOutputStyle { MeProfileAverages = 0, MeProfilePerFrame = 1, MeProfilePlotFiles = 2 };

// Resets the lists, calibrates the clock (about one second) and starts timing.
void MeProfileStartTiming(MeProfileCounterSelection selection, int logging);
// Frees everything and stops timing.
void MeProfileStopTiming();
void MeProfileStartFrame();
void MeProfileEndFrame();
// Starts the named section (created on first use); running sections whose
// flag is 1 are stopped first.
void MeProfileStartSection(const char* name, int flag);
// Stops the named running section; warns when it was not started.
void MeProfileEndSectionFn(const char* name);
// Milliseconds spent in the section in the last finished frame; 0 for an
// unknown name or before any frame.
double MeProfileGetSectionTime(const char* name);
uint64_t MeProfileGetClockSpeed();
double MeProfileGetAverageFrameTime();
void MeProfileSetOutputStyle(int style);
// Writes the report in the current output style.
void MeProfileOutputResults();

// Test hook: the millisecond clock used to calibrate (null restores the C
// runtime clock).
using MeProfileClockFn = long (*)();
MeProfileClockFn MeProfileSetClock(MeProfileClockFn clock);
