#include "world/dynamics/dynamic_records.h"

#include "world/dynamics/dyn_text.h"

namespace {

// Both names of a record kind that has them: bare words in old drive files.
void ReadName(DynTextReader& in, std::string& name, bool quoted) {
  if (quoted)
    in.QuotedWord(name);
  else
    in.Word(name);
}

void WriteName(DynTextWriter& out, const std::string& name, bool quoted) {
  if (quoted)
    out.QuotedWord(name);
  else
    out.Word(name);
}

// Reads the wheel count and the wheels; the count sizes the record's table.
bool LoadWheels(DynTextReader& in, int& count, DynWheelData* wheels) {
  in.Int(count);
  if (in.failed()) return false;
  if (count < 0 || count > kDynMaxWheels) {
    in.Fail("the wheel count lies outside 0 .. 18");
    count = 0;
    return false;
  }
  for (int i = 0; i < count; ++i)
    if (!wheels[i].load(in, count)) return false;
  return true;
}

void SaveWheels(DynTextWriter& out, int count, const DynWheelData* wheels) {
  out.Int(count);
  out.NewLine();
  for (int i = 0; i < count && i < kDynMaxWheels; ++i) wheels[i].save(out);
}

void SaveHeader(DynTextWriter& out, int version) {
  out.Int(version);
  out.Int(0);
  out.NewLine();
}

// A vehicle's drive force and its high-power twin; files before version 2
// have no twin, which is then oldScale x the force.
void LoadDriveForces(DynTextReader& in, int version, float& force, float& high, float oldScale) {
  in.Float(force);
  if (version >= 2)
    in.Float(high);
  else
    high = force * oldScale;
}

void SaveDriveForces(DynTextWriter& out, int version, float force, float high) {
  out.Float(force);
  if (version >= 2) out.Float(high);
}

// A vehicle body's inertia box, centre-of-mass offset and collision box,
// one line in the file.
void LoadBodyBoxes(DynTextReader& in, Vector3& inertiaSize, Vector3& massOffset, Vector3& boxSize,
                   Vector3& boxOffset) {
  in.Vector(inertiaSize);
  in.Vector(massOffset);
  in.Vector(boxSize);
  in.Vector(boxOffset);
}

void SaveBodyBoxes(DynTextWriter& out, const Vector3& inertiaSize, const Vector3& massOffset,
                   const Vector3& boxSize, const Vector3& boxOffset) {
  out.Vector(inertiaSize);
  out.Vector(massOffset);
  out.Vector(boxSize);
  out.Vector(boxOffset);
  out.NewLine();
}

}  // namespace

void DynWheelData::blank() {
  flags = 0;
  radius = 0.0f;
  steeringFactor = 0.0f;
  followWheel = 0;
  attachment = {};
  sphereRadius = 0.0f;
  sphereOffset = {};
  name.clear();
  instance = nullptr;
}

bool DynWheelData::load(DynTextReader& in, int wheelCount) {
  in.Int(flags);
  in.Float(radius);
  in.Float(steeringFactor);
  in.Int(followWheel);
  if (in.failed()) return false;
  // The vehicle indexes its wheel table with it.
  if ((flags & DYNWHEEL_FOLLOWS_SPIN) && (followWheel < 0 || followWheel >= wheelCount)) {
    in.Fail("a wheel follows a wheel that does not exist");
    return false;
  }
  in.Vector(attachment);
  in.Float(sphereRadius);
  in.Vector(sphereOffset);
  in.Word(name);
  return !in.failed();
}

void DynWheelData::save(DynTextWriter& out) const {
  out.Int(flags);
  out.Float(radius);
  out.Float(steeringFactor);
  out.Int(followWheel);
  out.Vector(attachment);
  out.Float(sphereRadius);
  out.Vector(sphereOffset);
  out.Word(name);
  out.NewLine();
}

void DynCarData::blank() {
  driveForce = highDriveForce = maxSteerAngle = wheelHeight = mass = 0.0f;
  inertiaSize = massOffset = boxSize = boxOffset = {};
  suspensionTravel = suspensionSoftness = suspensionDamping = travelBelowRest = staticLoadTravel = 0.0f;
  frontTyreCompliance = frontTyreSoftness = rearTyreCompliance = rearTyreSoftness = 0.0f;
  loadLength = reserved = wheelMass = 0.0f;
  wheelCount = 0;
  for (DynWheelData& wheel : wheels) wheel.blank();
}

bool DynCarData::load(DynTextReader& in, int version) {
  LoadDriveForces(in, version, driveForce, highDriveForce, 1.5f);
  in.Float(maxSteerAngle);
  in.Float(wheelHeight);
  in.Float(mass);
  LoadBodyBoxes(in, inertiaSize, massOffset, boxSize, boxOffset);
  in.Float(suspensionTravel);
  in.Float(suspensionSoftness);
  in.Float(suspensionDamping);
  in.Float(travelBelowRest);
  in.Float(staticLoadTravel);
  in.Float(frontTyreCompliance);
  in.Float(frontTyreSoftness);
  in.Float(rearTyreCompliance);
  in.Float(rearTyreSoftness);
  in.Float(loadLength);
  in.Float(reserved);
  in.Float(wheelMass);
  return LoadWheels(in, wheelCount, wheels);
}

std::string DynCarData::save(int version) const {
  DynTextWriter out;
  SaveHeader(out, version);
  SaveDriveForces(out, version, driveForce, highDriveForce);
  out.Float(maxSteerAngle);
  out.Float(wheelHeight);
  out.Float(mass);
  out.NewLine();
  SaveBodyBoxes(out, inertiaSize, massOffset, boxSize, boxOffset);
  out.Float(suspensionTravel);
  out.Float(suspensionSoftness);
  out.Float(suspensionDamping);
  out.Float(travelBelowRest);
  out.Float(staticLoadTravel);
  out.NewLine();
  out.Float(frontTyreCompliance);
  out.Float(frontTyreSoftness);
  out.Float(rearTyreCompliance);
  out.Float(rearTyreSoftness);
  out.Float(loadLength);
  out.Float(reserved);
  out.Float(wheelMass);
  out.NewLine();
  SaveWheels(out, wheelCount, wheels);
  return out.text();
}

void DynTankData::blank() {
  trackForce = highTrackForce = wheelHeight = mass = 0.0f;
  inertiaSize = massOffset = boxSize = boxOffset = {};
  for (int i = 0; i < 2; ++i) {
    trackNames[i].clear();
    trackInstances[i] = nullptr;
  }
  trackCycleLength = 0.0f;
  wheelCount = 0;
  for (DynWheelData& wheel : wheels) wheel.blank();
}

bool DynTankData::load(DynTextReader& in, int version) {
  LoadDriveForces(in, version, trackForce, highTrackForce, 2.0f);
  in.Float(wheelHeight);
  in.Float(mass);
  LoadBodyBoxes(in, inertiaSize, massOffset, boxSize, boxOffset);
  in.Word(trackNames[0]);
  in.Word(trackNames[1]);
  in.Float(trackCycleLength);
  return LoadWheels(in, wheelCount, wheels);
}

std::string DynTankData::save(int version) const {
  DynTextWriter out;
  SaveHeader(out, version);
  SaveDriveForces(out, version, trackForce, highTrackForce);
  out.Float(wheelHeight);
  out.Float(mass);
  out.NewLine();
  SaveBodyBoxes(out, inertiaSize, massOffset, boxSize, boxOffset);
  out.Word(trackNames[0]);
  out.Word(trackNames[1]);
  out.Float(trackCycleLength);
  out.NewLine();
  SaveWheels(out, wheelCount, wheels);
  return out.text();
}

void DynDriveData::blank() {
  speedLimits[0] = speedLimits[1] = rateLimits[0] = rateLimits[1] = 0.0f;
  for (DynDriveJoint& joint : joints) {
    joint.axis = 0;
    joint.name.clear();
  }
}

bool DynDriveData::load(DynTextReader& in, int version) {
  in.Float(speedLimits[0]);
  in.Float(speedLimits[1]);
  in.Float(rateLimits[0]);
  in.Float(rateLimits[1]);
  for (DynDriveJoint& joint : joints) {
    in.Int(joint.axis);
    if (in.failed()) return false;
    if (joint.axis < 0 || joint.axis > 2) {
      in.Fail("a spin axis is not 0, 1 or 2");
      return false;
    }
    ReadName(in, joint.name, version != 0);
  }
  return !in.failed();
}

std::string DynDriveData::save(int version) const {
  DynTextWriter out;
  SaveHeader(out, version);
  out.Float(speedLimits[0]);
  out.Float(speedLimits[1]);
  out.Float(rateLimits[0]);
  out.Float(rateLimits[1]);
  out.NewLine();
  for (const DynDriveJoint& joint : joints) {
    out.Int(joint.axis);
    WriteName(out, joint.name, version != 0);
    out.NewLine();
  }
  return out.text();
}

void DynDrivePartData::blank() { speedLimits[0] = speedLimits[1] = angleLimits[0] = angleLimits[1] = 0.0f; }

bool DynDrivePartData::load(DynTextReader& in, int) {
  in.Float(speedLimits[0]);
  in.Float(speedLimits[1]);
  in.Float(angleLimits[0]);
  in.Float(angleLimits[1]);
  return !in.failed();
}

std::string DynDrivePartData::save(int version) const {
  DynTextWriter out;
  SaveHeader(out, version);
  out.Float(speedLimits[0]);
  out.Float(speedLimits[1]);
  out.Float(angleLimits[0]);
  out.Float(angleLimits[1]);
  out.NewLine();
  return out.text();
}

void DynSimpleData::blank() {
  mass = 0.0f;
  inertiaSize = massOffset = {};
  tiltLimit = -1.0f;
  colliderKind = 0;
  sphereRadius = 0.0f;
  sphereOffset = boxSize = boxOffset = {};
  effects = 0;
}

bool DynSimpleData::load(DynTextReader& in, int version) {
  in.Float(mass);
  in.Vector(inertiaSize);
  in.Vector(massOffset);
  in.Float(tiltLimit);
  in.Int(colliderKind);
  in.Float(sphereRadius);
  in.Vector(sphereOffset);
  in.Vector(boxSize);
  in.Vector(boxOffset);
  if (version >= 3) in.Int(effects);
  return !in.failed();
}

std::string DynSimpleData::save(int version) const {
  DynTextWriter out;
  SaveHeader(out, version);
  out.Float(mass);
  out.Vector(inertiaSize);
  out.Vector(massOffset);
  out.NewLine();
  out.Float(tiltLimit);
  out.Int(colliderKind);
  out.Float(sphereRadius);
  out.Vector(sphereOffset);
  out.NewLine();
  out.Vector(boxSize);
  out.Vector(boxOffset);
  if (version >= 3) out.Int(effects);
  out.NewLine();
  return out.text();
}
