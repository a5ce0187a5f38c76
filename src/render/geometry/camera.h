// The camera: eye position and angles (degrees, y up), the projection, view
// and world transforms the device renders with, a facing matrix for quads that
// turn to the eye, the clip distances, the field of view and the view frustum.
// One camera is the current one, read by the drawers of sprites, debug shapes
// and text.  Main thread only: the last near and far distances given to
// SetProjection are shared by all cameras.
#pragma once

#include "render/geometry/frustum.h"
#include "render/geometry/matrix.h"
#include "render/geometry/vector3.h"

class CSphere;

// The viewport record the camera projects into: x, y, width, height in pixels.
struct CameraViewport {
  unsigned int X;
  unsigned int Y;
  unsigned int Width;
  unsigned int Height;
};

class CCamera {
 public:
  // Position and angles zero, near 8, far 10000, field of view 70 (also the
  // default), projection from the render object's viewport, view and world
  // from the zero pose, frustum built, transforms applied when a device exists.
  CCamera();

  // Makes camera the current one (may be null).
  static void SetCurrentCamera(CCamera* camera);
  // The current camera, or null.
  static CCamera* GetCurrentCamera();

  void SetDefaultFieldOfView(float degrees) { m_DefaultFieldOfView = degrees; }
  float GetDefaultFieldOfView() const { return m_DefaultFieldOfView; }

  // Builds the perspective matrix (vertical field of view in degrees) from
  // the render object's current viewport.  A negative near or far keeps the
  // value last given to any camera.  Answers 0 and keeps the old matrix when
  // the shared far and near lie within 0.01, the half angle's sine is below
  // 0.01, or there is no viewport to read (the distances and angles given are
  // stored all the same).
  int SetProjection(float fieldOfView, float nearDistance, float farDistance);

  // Sets the far distance (world units) and its square.
  void SetFarClip(float farDistance);
  float GetFarClip() const { return m_FarDistance; }
  float GetFarClipSquared() const { return m_FarDistanceSquared; }
  float GetNearClip() const { return m_NearDistance; }
  float GetFieldOfView() const { return m_FieldOfView; }
  float GetFieldOfViewRadians() const { return m_FieldOfViewRadians; }
  float GetHalfFieldOfViewRadians() const { return m_HalfFieldOfViewRadians; }
  float GetViewportWidth() const { return m_ViewportWidth; }
  float GetViewportHeight() const { return m_ViewportHeight; }

  const CVector3& GetPosition() const { return m_Position; }
  const CVector3& GetAngles() const { return m_Angles; }
  const CVector3& GetForward() const { return m_Forward; }
  const CVector3& GetUp() const { return m_Up; }
  const CVector3& GetRight() const { return m_Right; }

  CMatrix* GetProjectionMatrix() { return &m_Projection; }
  CMatrix* GetViewMatrix() { return &m_View; }
  CMatrix* GetWorldMatrix() { return &m_World; }
  CMatrix* GetFacingMatrix() { return &m_Facing; }
  CFrustum* GetFrustum() { return &m_Frustum; }
  const CMatrix* GetProjectionMatrix() const { return &m_Projection; }
  const CMatrix* GetViewMatrix() const { return &m_View; }
  const CMatrix* GetWorldMatrix() const { return &m_World; }
  const CMatrix* GetFacingMatrix() const { return &m_Facing; }
  const CFrustum* GetFrustum() const { return &m_Frustum; }

  // view = translation by -position, then rotations about Y, X and Z; keeps
  // position and angles and takes right, up and forward from its columns.
  void SetView(const CVector3& position, const CVector3& angles);
  // world = rotations about Y, X, Z, then translation to position.
  void SetWorldMatrixFromPose(const CVector3& position, const CVector3& angles);
  // world = translation to position.
  void SetWorldMatrixFromPosition(const CVector3& position);
  void ResetWorldMatrix();
  // facing = the inverse of the view rotation, placed at position.
  void SetFacingMatrix(const CVector3& position);

  // World, view or projection to the render object; nothing without one.
  void ApplyWorldMatrix() const;
  void ApplyViewMatrix() const;
  void ApplyProjection() const;
  // The facing matrix straight to the device's world transform.
  void ApplyFacingMatrix() const;
  // Projection, view and world straight to the device; nothing without one.
  void ApplyAllTransforms() const;

  // Rebuilds the frustum from the camera.
  void UpdateFrustum();
  bool IsPointVisible(const CVector3& point) const;
  // The frustum's sphere test; straddles may be null.
  bool IsSphereVisible(const CSphere& sphere, bool* straddles) const;
  // 1 / |w| of the point under view then projection (its view-space depth).
  float GetPerspectiveScale(const CVector3& point) const;

  // The viewport ProjectToScreen uses; null (the default) uses the render
  // object's current viewport.
  void SetViewport(const CameraViewport* viewport) { m_Viewport = viewport; }
  // Screen x, y (pixels) and depth z/w of each point.  A point at or behind
  // the eye (w not above 0) gets (0, 0, -1).  Answers the number of points in
  // front of the eye; 0 and nothing written when there is no viewport.
  int ProjectToScreen(const CVector3* in, CVector3* out, int count) const;
  // Each record (7 floats apart) gets x/w + 1, 1 - y/w, z/w, 1/w; its other
  // three floats are left alone.
  void ProjectToUnitScreen(const CVector3* in, float* out, int count) const;
  // Ray through the screen point: out[0..2] the eye, out[3..5] the
  // (unnormalised) direction.  Nothing when the view cannot be inverted.
  void ScreenToRay(float sx, float sy, float width, float height, float* out) const;

 private:
  CVector3 m_Position;
  CVector3 m_Angles;
  CMatrix m_Projection;
  CMatrix m_View;
  CMatrix m_World;
  CMatrix m_Facing;
  CVector3 m_Forward;
  CVector3 m_Up;
  CVector3 m_Right;
  float m_DefaultFieldOfView;
  float m_FieldOfView;
  float m_FieldOfViewRadians;
  float m_HalfFieldOfViewRadians;
  float m_NearDistance;
  float m_FarDistance;
  float m_FarDistanceSquared;
  float m_ViewportWidth;
  float m_ViewportHeight;
  CFrustum m_Frustum;
  const CameraViewport* m_Viewport;
};
