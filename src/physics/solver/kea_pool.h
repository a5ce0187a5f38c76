// The solver pool: all of the solver's working memory comes out of one block
// that the world step lends for the solve.  Nothing is freed one by one; a
// short stack of marks releases everything taken since the mark.
// One pool per program; the physics library runs on one thread.
#pragma once

#include <cstddef>
#include <cstdint>

// Marks that may be pushed at once (the solver nests two: one per group, one
// inside the LCP).
inline constexpr int keaPoolMaxMarks = 3;

// Starts handing out `memory` .. `memory + size` with no marks.
void keaPoolInit(void* memory, int size);

// Takes `size` bytes (a multiple of 16) and answers their start.  The pool
// does no aligning: callers ask for 16 bytes more and round up themselves.
// A size that is not a multiple of 16, a request beyond the end, or a pool
// without memory is a fatal error (MeFatalError); should the error handler
// return, the answer is null and nothing is taken.
void* keaPoolAlloc(int size, const char* name);

// Saves the current position; fatal error beyond keaPoolMaxMarks marks.
void keaPoolPushMark();
// Returns to the last saved position, releasing everything taken since.
// Does nothing without a mark.
void keaPoolPopMark();

// Rounds a pool pointer up to the next multiple of 16.
template <class T>
inline T* keaAlign16(void* p) {
  return reinterpret_cast<T*>((reinterpret_cast<uintptr_t>(p) + 15) & ~static_cast<uintptr_t>(15));
}
