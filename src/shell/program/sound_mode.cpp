#include "shell/program/sound_mode.h"

namespace {
std::uint32_t g_soundMode = 0;
}

void SetSoundMode(std::uint32_t mode) { g_soundMode = mode; }
std::uint32_t GetSoundMode() { return g_soundMode; }
