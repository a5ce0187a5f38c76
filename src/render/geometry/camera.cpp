#include "render/geometry/camera.h"

#include <cmath>

#include "render/device/render.h"
#include "render/volumes/sphere.h"

namespace {
CCamera* g_CurrentCamera = nullptr;

// The last near and far distances given to any camera's SetProjection.
float g_SharedNear = 8.0f;
float g_SharedFar = 10000.0f;

constexpr float kDegreesToRadians = 0.017453292f;

const D3DMATRIX* AsDeviceMatrix(const CMatrix& m) { return reinterpret_cast<const D3DMATRIX*>(&m.m[0][0]); }
}  // namespace

CCamera::CCamera()
    : m_Position{0.0f, 0.0f, 0.0f},
      m_Angles{0.0f, 0.0f, 0.0f},
      m_Projection{},
      m_View{},
      m_World{},
      m_Facing{},
      m_Forward{0.0f, 0.0f, 0.0f},
      m_Up{0.0f, 0.0f, 0.0f},
      m_Right{0.0f, 0.0f, 0.0f},
      m_DefaultFieldOfView(0.0f),
      m_FieldOfView(0.0f),
      m_FieldOfViewRadians(0.0f),
      m_HalfFieldOfViewRadians(0.0f),
      m_NearDistance(8.0f),
      m_FarDistance(10000.0f),
      m_FarDistanceSquared(0.0f),
      m_ViewportWidth(0.0f),
      m_ViewportHeight(0.0f),
      m_Frustum{},
      m_Viewport(nullptr) {
  m_Facing.SetIdentity();
  SetProjection(70.0f, 8.0f, 10000.0f);
  m_DefaultFieldOfView = 70.0f;
  SetFarClip(10000.0f);
  const CVector3 zero{0.0f, 0.0f, 0.0f};
  SetView(zero, zero);
  SetWorldMatrixFromPose(zero, zero);
  UpdateFrustum();
  ApplyAllTransforms();
}

void CCamera::SetCurrentCamera(CCamera* camera) { g_CurrentCamera = camera; }

CCamera* CCamera::GetCurrentCamera() { return g_CurrentCamera; }

int CCamera::SetProjection(float fieldOfView, float nearDistance, float farDistance) {
  m_NearDistance = nearDistance;
  if (nearDistance >= 0.0f) g_SharedNear = nearDistance;
  if (farDistance >= 0.0f) g_SharedFar = farDistance;

  const D3DVIEWPORT8* viewport = g_Render != nullptr ? g_Render->GetViewport() : nullptr;
  if (viewport != nullptr) {
    m_ViewportWidth = static_cast<float>(viewport->Width);
    m_ViewportHeight = static_cast<float>(viewport->Height);
  }

  m_FieldOfView = fieldOfView;
  m_FieldOfViewRadians = fieldOfView * kDegreesToRadians;
  m_HalfFieldOfViewRadians = m_FieldOfViewRadians * 0.5f;

  if (viewport == nullptr || m_ViewportWidth <= 0.0f) return 0;
  const float near = g_SharedNear, far = g_SharedFar;
  if (std::fabs(far - near) < 0.01f) return 0;
  const float s = std::sin(m_HalfFieldOfViewRadians);
  if (std::fabs(s) < 0.01f) return 0;

  // Left-handed perspective with a vertical field of view: x' = x cot(h)·aspect,
  // y' = y cot(h), z' = Q(z - near), w = z, with Q = far / (far - near).
  const float aspect = m_ViewportHeight / m_ViewportWidth;
  const float cot = std::cos(m_HalfFieldOfViewRadians) / s;
  const float q = far / (far - near);
  m_Projection = CMatrix{};
  m_Projection.m[0][0] = cot * aspect;
  m_Projection.m[1][1] = cot;
  m_Projection.m[2][2] = q;
  m_Projection.m[2][3] = 1.0f;
  m_Projection.m[3][2] = -near * q;
  return 1;
}

void CCamera::SetFarClip(float farDistance) {
  m_FarDistance = farDistance;
  m_FarDistanceSquared = farDistance * farDistance;
}

void CCamera::SetView(const CVector3& position, const CVector3& angles) {
  m_View.SetIdentity();
  m_View.SetTranslation({-position.x, -position.y, -position.z});
  m_View.RotateY(angles.y);
  m_View.RotateX(angles.x);
  m_View.RotateZ(angles.z);
  m_Position = position;
  m_Angles = angles;
  m_Right = {m_View.m[0][0], m_View.m[1][0], m_View.m[2][0]};
  m_Up = {m_View.m[0][1], m_View.m[1][1], m_View.m[2][1]};
  m_Forward = {m_View.m[0][2], m_View.m[1][2], m_View.m[2][2]};
}

void CCamera::SetWorldMatrixFromPose(const CVector3& position, const CVector3& angles) {
  m_World.SetIdentity();
  m_World.RotateY(angles.y);
  m_World.RotateX(angles.x);
  m_World.RotateZ(angles.z);
  m_World.SetTranslation(position);
}

void CCamera::SetWorldMatrixFromPosition(const CVector3& position) {
  m_World.SetIdentity();
  m_World.SetTranslation(position);
}

void CCamera::ResetWorldMatrix() { m_World.SetIdentity(); }

void CCamera::SetFacingMatrix(const CVector3& position) {
  m_Facing.SetIdentity();
  m_Facing.RotateZ(-m_Angles.z);
  m_Facing.RotateX(-m_Angles.x);
  m_Facing.RotateY(-m_Angles.y);
  m_Facing.SetTranslation(position);
}

void CCamera::ApplyWorldMatrix() const {
  if (g_Render != nullptr) g_Render->SetWorldMatrix(m_World);
}

void CCamera::ApplyViewMatrix() const {
  if (g_Render != nullptr) g_Render->SetViewMatrix(m_View);
}

void CCamera::ApplyProjection() const {
  if (g_Render != nullptr) g_Render->SetProjectionMatrix(m_Projection);
}

void CCamera::ApplyFacingMatrix() const {
  if (g_Device != nullptr) g_Device->SetTransform(D3DTS_WORLD, AsDeviceMatrix(m_Facing));
}

void CCamera::ApplyAllTransforms() const {
  if (g_Device == nullptr) return;
  g_Device->SetTransform(D3DTS_PROJECTION, AsDeviceMatrix(m_Projection));
  g_Device->SetTransform(D3DTS_VIEW, AsDeviceMatrix(m_View));
  g_Device->SetTransform(D3DTS_WORLD, AsDeviceMatrix(m_World));
}

void CCamera::UpdateFrustum() { m_Frustum.BuildFromCamera(*this); }

bool CCamera::IsPointVisible(const CVector3& point) const { return m_Frustum.ContainsPoint(point) != 0; }

bool CCamera::IsSphereVisible(const CSphere& sphere, bool* straddles) const {
  return m_Frustum.TestSphere(sphere, straddles) != 0;
}

float CCamera::GetPerspectiveScale(const CVector3& point) const {
  CMatrix viewProjection;
  MatrixMultiply(&viewProjection, m_View, m_Projection);
  CVector4 h;
  viewProjection.TransformPointHomogeneous(point, &h);
  return 1.0f / std::fabs(h.w);
}

int CCamera::ProjectToScreen(const CVector3* in, CVector3* out, int count) const {
  CameraViewport fallback{};
  const CameraViewport* viewport = m_Viewport;
  if (viewport == nullptr) {
    const D3DVIEWPORT8* current = g_Render != nullptr ? g_Render->GetViewport() : nullptr;
    if (current == nullptr) return 0;
    fallback = {current->X, current->Y, current->Width, current->Height};
    viewport = &fallback;
  }
  CMatrix viewProjection;
  MatrixMultiply(&viewProjection, m_View, m_Projection);
  const float width = static_cast<float>(viewport->Width), height = static_cast<float>(viewport->Height);
  const float left = static_cast<float>(viewport->X), top = static_cast<float>(viewport->Y);
  int inFront = 0;
  for (int i = 0; i < count; ++i) {
    CVector4 h;
    viewProjection.TransformPointHomogeneous(in[i], &h);
    if (!(h.w > 0.0f)) {
      out[i] = {0.0f, 0.0f, -1.0f};
      continue;
    }
    const float inv = 1.0f / h.w;
    out[i] = {(h.x * inv + 1.0f) * width * 0.5f + left, (1.0f - h.y * inv) * height * 0.5f + top, h.z * inv};
    ++inFront;
  }
  return inFront;
}

void CCamera::ProjectToUnitScreen(const CVector3* in, float* out, int count) const {
  CMatrix viewProjection;
  MatrixMultiply(&viewProjection, m_View, m_Projection);
  for (int i = 0; i < count; ++i) {
    CVector4 h;
    viewProjection.TransformPointHomogeneous(in[i], &h);
    float* record = out + 7 * i;
    record[0] = h.x / h.w + 1.0f;
    record[1] = 1.0f - h.y / h.w;
    record[2] = h.z / h.w;
    record[3] = 1.0f / h.w;
  }
}

void CCamera::ScreenToRay(float sx, float sy, float width, float height, float* out) const {
  const float ndcX = (2.0f * sx / width - 1.0f) / m_Projection.m[0][0];
  const float ndcY = (2.0f * sy / height - 1.0f) * (-1.0f / m_Projection.m[1][1]);
  CMatrix inverse;
  float determinant = 0.0f;
  if (!m_View.Invert(&inverse, &determinant)) return;
  out[0] = inverse.m[3][0];
  out[1] = inverse.m[3][1];
  out[2] = inverse.m[3][2];
  for (int k = 0; k < 3; ++k) out[3 + k] = ndcX * inverse.m[0][k] + ndcY * inverse.m[1][k] + inverse.m[2][k];
}
