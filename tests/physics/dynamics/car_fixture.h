// A four-wheeled car (a box chassis and four sphere wheels on wheel joints)
// and a triangle-list terrain with a ramp, for the vehicle scenes.
#pragma once

#include <vector>

#include "physics/collision/mcd_triangle_list.h"
#include "physics/dynamics/mdt_wheel_joint.h"
#include "scene_fixture.h"

namespace mdt_test {

struct Car {
  McdModel* chassis = nullptr;
  McdModel* wheels[4] = {};       // front left, front right, rear left, rear right
  MdtWheelJoint* joints[4] = {};
  float wheelRadius = 0.4f;
  // Builds the car with its chassis centre at (x, y, z), facing +z.
  Car(Scene& scene, float x, float y, float z);
  // Drives the rear wheels at `speed` m/s with at most `torque` each.
  void Drive(float speed, float torque);
  // Turns the front wheels at `rate` rad/s (0 holds the rate, not the angle).
  void Steer(float rate);
  // Sets each front wheel's steering rate from its own angle error, as a
  // vehicle's steering does (angle in radians about +y); call every step.
  void SteerTo(float angle);
  // Points each wheel's fast-rotation axis along its spin axis (so that
  // the spin is integrated exactly), then steps the scene.
  void Step(Scene& scene, float h);
  MdtBody* Body() const;
  // Heading: the chassis's forward (z) axis in world coordinates.
  void Forward(float* out) const;
};

// Ground of six triangles: flat, then a ramp rising along +z at `slopeDegrees`
// from z = rampStart to rampEnd, then flat again.  The generator hands the
// pair tests the triangles near the query sphere.
class Terrain {
 public:
  Terrain(float slopeDegrees, float rampStart, float rampEnd);
  ~Terrain();
  Terrain(const Terrain&) = delete;
  Terrain& operator=(const Terrain&) = delete;
  McdGeometryID geometry = nullptr;
  float transform[16];
  float Height(float z) const;

 private:
  static int Generate(McdModelPair* pair, const MeReal* centre, MeReal radius);
  float slope_, start_, end_;
  std::vector<float> vertices_;  // 3 per vertex
  std::vector<float> normals_;   // 3 per triangle
  std::vector<int> indices_;     // 3 per triangle
  std::vector<McdUserTriangle> out_;
};

}  // namespace mdt_test
