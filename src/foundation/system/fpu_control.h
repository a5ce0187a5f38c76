// The floating-point control word, saved around calls that change it (the
// renderer saves it before device creation and restores it afterwards).
#pragma once

#include <cstdint>

// The current control word.
std::uint32_t GetFpuControl();
// Sets the whole control word.
void SetFpuControl(std::uint32_t word);
// Stores the current word for a later restore.
void SaveFpuControl();
// Sets the stored word again.
void RestoreFpuControl();
// The stored word.
std::uint32_t GetSavedFpuControl();
