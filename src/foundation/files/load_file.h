// Whole-file loading through the locator and the shared file handle.
#pragma once

#include <cstdint>

class CLinearBuffer;

// Locates and reads name whole.  On success answers 1 with *data holding
// *size + 1 bytes, the last one 0: taken from buffer (4-byte aligned) when one
// is given, else from the tracked allocator (new[], the category; the caller
// frees it with FreeLoadedFile).  On failure shows "Couldn't open %s", "Out of
// memory" or "Read failed for %s" in an "Error" box and answers 0, with
// nothing left allocated.
int LoadFile(const char* name, char** data, std::uint32_t* size, CLinearBuffer* buffer, int category);
// Frees data that LoadFile took from the tracked allocator.
void FreeLoadedFile(char* data);
