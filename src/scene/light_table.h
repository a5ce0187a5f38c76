// The scene's light table: the lights that mesh rendering has given the device,
// kept so that they can be sent again after the device was reset.  Main thread only.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "render/device/render.h"

// Light record flag: the light is in use on the device.
constexpr DWORD kLightOnDevice = 0x2;

struct LightRecord {
  DWORD Flags;
  D3DLIGHT8 Light;
};

class CLightTable {
 public:
  // Sends every light record marked kLightOnDevice to the device again, at its index.
  static void ResendLights();

  // The table: a count and an array of records (owned by mesh rendering).
  static inline int Count = 0;
  static inline LightRecord* Lights = nullptr;
};

inline void CLightTable::ResendLights() {
  if (g_Device == nullptr || Lights == nullptr) return;
  for (int i = 0; i < Count; ++i)
    if (Lights[i].Flags & kLightOnDevice) g_Device->SetLight(static_cast<DWORD>(i), &Lights[i].Light);
}
