#include "world/animation/figure_walker.h"

#include <cmath>

#include "world/animation/anim_object.h"

namespace {
constexpr float kPi = 3.14159265358979f;
}

bool CFigureWalker::Attach(CEnvInstance* figure, AnimSet* walk, AnimSet* wave, const FigureWalkerSettings& settings) {
  m_Figure = dynamic_cast<CAnimObject*>(figure);
  if (m_Figure == nullptr || settings.Radius <= 0.0f) return false;
  if (walk == nullptr || !m_Figure->StartAnim(0, walk, kAnimRepeatLoop, 1, settings.BlendSpeed)) {
    m_Figure = nullptr;
    return false;
  }
  m_Wave = wave;
  m_Settings = settings;
  m_Clock = 0.0f;
  m_Waving = false;
  // The centre lies to the right of the figure's facing (x of its world matrix).
  CVector3 p;
  m_Figure->GetPosition(&p);
  const CMatrix& w = m_Figure->GetWorldMatrix();
  const float rx = w.m[0][0], rz = w.m[0][2];
  const float n = std::sqrt(rx * rx + rz * rz);
  const float ux = n > 0.0f ? rx / n : 1.0f, uz = n > 0.0f ? rz / n : 0.0f;
  m_CentreX = p.x + ux * settings.Radius;
  m_CentreZ = p.z + uz * settings.Radius;
  m_Height = p.y;
  m_Angle = std::atan2(p.z - m_CentreZ, p.x - m_CentreX);
  return true;
}

void CFigureWalker::Update(float dt) {
  if (m_Figure == nullptr) return;
  // The angle falls so that the centre stays on the figure's right.
  m_Angle -= dt * m_Settings.Speed / m_Settings.Radius;
  if (m_Angle < -kPi) m_Angle += 2.0f * kPi;
  const float x = m_CentreX + m_Settings.Radius * std::cos(m_Angle);
  const float z = m_CentreZ + m_Settings.Radius * std::sin(m_Angle);
  // Facing along the circle, the way the angle goes.
  const float dx = std::sin(m_Angle), dz = -std::cos(m_Angle);
  const float yaw = std::atan2(dx, dz) * 180.0f / kPi;
  m_Figure->SetRotation(CVector3{0.0f, yaw < 0.0f ? yaw + 360.0f : yaw, 0.0f}, true);
  m_Figure->SetPosition(CVector3{x, m_Height, z}, true);

  m_Clock += dt;
  if (m_Wave != nullptr && !m_Waving && m_Clock >= m_Settings.WaveEvery) {
    m_Waving = m_Figure->StartAnim(1, m_Wave, kAnimRepeatLoop, 1, m_Settings.BlendSpeed) != 0;
    m_Clock = 0.0f;
  } else if (m_Waving && m_Clock >= m_Settings.WaveFor) {
    m_Figure->StartAnim(1, nullptr, 0, 1, m_Settings.BlendSpeed);
    m_Waving = false;
    m_Clock = 0.0f;
  }
}
