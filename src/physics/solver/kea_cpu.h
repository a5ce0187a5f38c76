// Chooses the solver kernel for this processor.
#pragma once

// Prints "Autodetecting CPU for SSE\n" through MeInfo, then answers
// keaKernelSse (2, "Using SSE Optimizations\n") when the processor reports
// the vendor "GenuineIntel" with the SSE feature bit and an SSE instruction
// runs, else keaKernelX86 (1, "Using x86 Optimizations\n").
// An override (keaSetKernelOverride, or the environment variable
// HALBERD_KEA_KERNEL set to "sse" or "x86") is answered instead, with the
// same message for the kernel it names, so that both kernels can be run on
// any machine.
int keaDetectCpu();

// Forces keaDetectCpu to answer `kernel` (keaKernelX86 or keaKernelSse);
// 0 restores detection.  Answers the previous override.
int keaSetKernelOverride(int kernel);
