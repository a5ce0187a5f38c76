// Processor probes: CPUID, the SSE probe and the time-stamp counter.
// The physics solver picks its kernel from these, and the physics profiler
// reads cycles.  Tests can replace the answers to run every code path on any
// machine.
#pragma once

#include <cstdint>

// Runs CPUID for `leaf` and writes EAX, EBX, ECX, EDX into regs[0..3].
// Answers false (and zeroes regs) when the processor has no CPUID or the leaf
// lies beyond the highest one it supports.
bool CpuId(unsigned leaf, unsigned regs[4]);

// Copies the 12-character vendor text of CPUID leaf 0 (EBX, EDX, ECX) into
// vendor[0..12], terminated.  Writes an empty text when CPUID is missing.
// A vendor override set with CpuSetVendorOverride is answered instead.
void CpuGetVendor(char vendor[13]);

// True when CPUID leaf 1 reports SSE (EDX bit 25), or the override says so.
bool CpuHasSseFeature();

// Executes one SSE instruction (clears an XMM register) and answers whether
// it ran.  On x86-64 SSE is part of the base instruction set, so this always
// succeeds there; on other processors it answers false.
bool CpuSseProbe();

// Reads the processor's time-stamp counter (a monotonic cycle count where the
// processor has none).  Replaced by CpuSetCycleCounter in tests.
uint64_t CpuReadTimeStampCounter();

// Test hooks.  Passing null restores the real probe.
void CpuSetVendorOverride(const char* vendor);
void CpuSetSseOverride(int hasSse);  // -1 restores the real answer
using CpuCycleCounterFn = uint64_t (*)();
CpuCycleCounterFn CpuSetCycleCounter(CpuCycleCounterFn counter);
