// The arithmetic of the first-person view: the response curve of an aim
// input, the pitch and yaw steps of a frame at a field of view, the zoom
// step of a zoomable item, and the advance heading of the order pop-up.
// The local player's aiming step uses them with its soldier's state.
#pragma once

// Pitch of the first-person view at full deflection (degrees a second,
// scaled by the zoom factor: the field of view / 70 x 0.5).
inline constexpr float kFirstPersonPitchRate = 168.99998f;
inline constexpr float kFirstPersonYawRate = 130.0f;
inline constexpr float kDefaultFieldOfView = 70.0f;
inline constexpr float kAdvanceRotateRate = 150.0f;

// The response of an input in -1..1 (values outside are clamped): a
// joystick's is its square with the sign kept; a mouse's the input itself,
// or the same square when the squared mouse response is on.
float AimResponse(float input, bool mouse, bool squaredMouse);
// The zoom factor of a field of view.
float ZoomFactor(float fieldOfView);
// Degrees the first-person pitch changes by this frame.
float FirstPersonPitchStep(float response, float fieldOfView, float seconds);
// The yaw rate word of the HUD dial: seconds x sign of the input x zoom factor x 130.
float FirstPersonYawRate(float yawInput, float fieldOfView, float seconds);

// A zoomable item's range of fields of view and its kind of zoom.
struct ZoomRange {
  float Min = 1.0f;
  float Max = kDefaultFieldOfView;
  bool TwoLevel = false;
};

enum ZoomInput {
  ZOOM_NONE = 0,
  ZOOM_NEXT,  // the "next" key: in, wrapping from the narrowest to the widest
  ZOOM_IN,    // the key or a wheel step up
  ZOOM_OUT,   // the key or a wheel step down (on the play screen only)
};

struct ZoomStepResult {
  bool Changed = false;
  float FieldOfView = kDefaultFieldOfView;
  float FogOffset = 0.0f;  // added to both fog distances (a two-level item at its narrowest)
  int SoundEvent = 0;      // 2887 stepped, 4 two-level
};

// One zoom step from the current field of view (clamped into the range
// first; the range itself is kept within 1..70).  Nothing changes when the
// range is empty.
ZoomStepResult StepZoom(const ZoomRange& range, float fieldOfView, ZoomInput input);

// The advance heading of the order pop-up (0..360 degrees): the angle of a
// direction vector (x right, y forward) when it is not zero, else turned by
// 150 degrees a second left or right.
float AdvanceHeading(float heading, float x, float y, bool rotateLeft, bool rotateRight, float seconds);
