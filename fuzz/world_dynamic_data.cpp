// Any text read as a tuning file of every kind: the reader must stay inside
// the text, and an accepted record must hold in-range counts and indices.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "world/dynamics/dynamic_data.h"
#include "fuzz_seed_file.h"

namespace {

// Valid files of each kind and version, for the seed corpus.
void WriteSeeds(const std::string& folder) {
  DynCarData car;
  car.blank();
  car.driveForce = 1000.0f;
  car.mass = 800.0f;
  car.wheelCount = 4;
  for (int i = 0; i < 4; ++i) {
    car.wheels[i].flags = i < 2 ? DYNWHEEL_STEERED | DYNWHEEL_FRONT_TYRE : DYNWHEEL_DRIVEN | DYNWHEEL_FOLLOWS_SPIN;
    car.wheels[i].followWheel = i < 2 ? 0 : 2;
    car.wheels[i].radius = 30.0f;
    car.wheels[i].name = "wheel" + std::to_string(i);
  }
  DynTankData tank;
  tank.blank();
  tank.trackForce = 500.0f;
  tank.trackNames[0] = "left";
  tank.trackNames[1] = "right";
  tank.wheelCount = 2;
  for (int i = 0; i < 2; ++i) tank.wheels[i].name = "road" + std::to_string(i);
  DynDriveData drive;
  drive.blank();
  drive.joints[0] = {1, "main rotor"};
  drive.joints[1] = {0, "tail"};
  DynDrivePartData part;
  part.blank();
  part.angleLimits[1] = 45.0f;
  DynSimpleData simple;
  simple.blank();
  simple.colliderKind = DYNCOLLIDER_BOX;
  simple.effects = DYNEFFECT_DUST_BURST;
  for (int version = 1; version <= 3; ++version) {
    std::string v = std::to_string(version);
    WriteSeedIn(folder, "car" + v + ".dyn", car.save(version));
    WriteSeedIn(folder, "tank" + v + ".dyn", tank.save(version));
    WriteSeedIn(folder, "simple" + v + ".dyn", simple.save(version));
  }
  WriteSeedIn(folder, "drive0.dyn", drive.save(0));
  WriteSeedIn(folder, "drive1.dyn", drive.save(1));
  WriteSeedIn(folder, "part0.dyn", part.save(0));
}

void CheckWheels(int count, const DynWheelData* wheels) {
  if (count < 0 || count > kDynMaxWheels) __builtin_trap();
  for (int i = 0; i < count; ++i)
    if ((wheels[i].flags & DYNWHEEL_FOLLOWS_SPIN) && (wheels[i].followWheel < 0 || wheels[i].followWheel >= count))
      __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  DynCarData car;
  if (ParseDynamicFile(text.c_str(), "fuzz.dyn", car, error)) CheckWheels(car.wheelCount, car.wheels);
  DynTankData tank;
  if (ParseDynamicFile(text.c_str(), "fuzz.dyn", tank, error)) CheckWheels(tank.wheelCount, tank.wheels);
  DynDriveData drive;
  if (ParseDynamicFile(text.c_str(), "fuzz.dyn", drive, error))
    for (const DynDriveJoint& joint : drive.joints)
      if (joint.axis < 0 || joint.axis > 2) __builtin_trap();
  DynDrivePartData part;
  ParseDynamicFile(text.c_str(), "fuzz.dyn", part, error);
  DynSimpleData simple;
  ParseDynamicFile(text.c_str(), "fuzz.dyn", simple, error);
  return 0;
}
