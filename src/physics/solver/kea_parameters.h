// The solver's step parameters, filled by the world step before each solve.
#pragma once

#include "physics/util/me_types.h"

// Kernel choices: the plain x86 kernel, and the 4-wide SSE kernel.
inline constexpr int keaKernelX86 = 1;
inline constexpr int keaKernelSse = 2;

struct keaParameters {
  MeReal stepSize;     // h, seconds
  MeReal epsilon;      // added to every diagonal element of A (constraint softness)
  MeReal gamma;        // error-reduction factor
  int maxIterations;   // LCP iteration limit (the world passes 10)
  void* memoryPool;    // scratch block for the solver pool
  int memoryPoolSize;  // its size in bytes, from keaMemoryRequired
  int kernelChoice;    // keaKernelSse selects the SSE kernel, anything else x86
  int reserved;        // passed along unread
};
