// The scene's light table: the lights that mesh rendering has given the device,
// kept so that they can be sent again after the device was reset.  Main thread only.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "render/device/render.h"

// Light record flags: the light is in use on the device; it is enabled for the current draw.
constexpr DWORD kLightOnDevice = 0x2;
constexpr DWORD kLightEnabledNow = 0x8;

struct LightRecord {
  DWORD Flags;
  D3DLIGHT8 Light;
};

class CLightTable {
 public:
  // Sends every light record marked kLightOnDevice to the device again, at its index.
  static void ResendLights();

  // Switches off every light enabled for the last draw and empties the active list.
  static void ClearActive();
  // Enables light i on the device for the next draw and adds it to the active
  // list.  False, with nothing done, for an index outside the table, a record
  // not in use, or a full list (eight lights).
  static bool AddActive(int i);

  // The table: a count and an array of records (owned by mesh rendering).
  static inline int Count = 0;
  static inline LightRecord* Lights = nullptr;
  // Lights enabled on the device for the current draw: at most eight.
  static constexpr int kMaxActive = 8;
  static inline int ActiveCount = 0;
  static inline unsigned char Active[kMaxActive] = {};
};

inline void CLightTable::ResendLights() {
  if (g_Device == nullptr || Lights == nullptr) return;
  for (int i = 0; i < Count; ++i)
    if (Lights[i].Flags & kLightOnDevice) g_Device->SetLight(static_cast<DWORD>(i), &Lights[i].Light);
}

inline void CLightTable::ClearActive() {
  for (int k = 0; k < ActiveCount; ++k) {
    const int i = Active[k];
    if (g_Device != nullptr) g_Device->LightEnable(static_cast<DWORD>(i), FALSE);
    if (Lights != nullptr && i < Count) Lights[i].Flags &= ~kLightEnabledNow;
  }
  ActiveCount = 0;
}

inline bool CLightTable::AddActive(int i) {
  if (Lights == nullptr || i < 0 || i >= Count || !(Lights[i].Flags & kLightOnDevice)) return false;
  if (Lights[i].Flags & kLightEnabledNow) return true;
  if (ActiveCount >= kMaxActive) return false;
  if (g_Device != nullptr) g_Device->LightEnable(static_cast<DWORD>(i), TRUE);
  Lights[i].Flags |= kLightEnabledNow;
  Active[ActiveCount++] = static_cast<unsigned char>(i);
  return true;
}
