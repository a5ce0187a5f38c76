// The camera: eye position and angles, field of view and clip distances.
// One camera is the current one, read by the drawers of sprites, debug
// shapes and text.  Main thread only.
#pragma once

#include "render/vector3.h"

class CCamera {
 public:
  // Position and angles zero, near distance 8, far distance 10000, field of view 70.
  CCamera();

  // Makes camera the current one (may be null).
  static void SetCurrentCamera(CCamera* camera);
  // The current camera, or null.
  static CCamera* GetCurrentCamera();

  // Sets the far distance (world units) and its square.
  void SetFarClip(float farDistance);
  float GetFarClip() const { return m_FarDistance; }
  float GetFarClipSquared() const { return m_FarDistanceSquared; }
  float GetNearClip() const { return m_NearDistance; }
  float GetDefaultFieldOfView() const { return m_DefaultFieldOfView; }

 private:
  CVector3 m_Position;
  CVector3 m_Angles;
  float m_DefaultFieldOfView;
  float m_NearDistance;
  float m_FarDistance;
  float m_FarDistanceSquared;
};
