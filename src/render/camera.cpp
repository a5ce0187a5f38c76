#include "render/camera.h"

namespace {
CCamera* g_CurrentCamera = nullptr;
}  // namespace

CCamera::CCamera()
    : m_Position{0.0f, 0.0f, 0.0f},
      m_Angles{0.0f, 0.0f, 0.0f},
      m_DefaultFieldOfView(70.0f),
      m_NearDistance(8.0f),
      m_FarDistance(0.0f),
      m_FarDistanceSquared(0.0f) {
  SetFarClip(10000.0f);
}

void CCamera::SetCurrentCamera(CCamera* camera) { g_CurrentCamera = camera; }

CCamera* CCamera::GetCurrentCamera() { return g_CurrentCamera; }

void CCamera::SetFarClip(float farDistance) {
  m_FarDistance = farDistance;
  m_FarDistanceSquared = farDistance * farDistance;
}
