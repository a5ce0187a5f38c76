#include "world/dynamics/dynamic_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/file_test_fixture.h"
#include "foundation/system/engine_log.h"
#include "world/dynamics/dyn_text.h"

namespace {

DynCarData SampleCar() {
  DynCarData car;
  car.blank();
  car.driveForce = 1200.5f;
  car.highDriveForce = 2500.0f;
  car.maxSteerAngle = 0.5f;
  car.wheelHeight = 12.25f;
  car.mass = 900.0f;
  car.inertiaSize = {100.0f, 50.0f, 220.0f};
  car.massOffset = {0.0f, -10.0f, 5.5f};
  car.boxSize = {110.0f, 60.0f, 230.0f};
  car.boxOffset = {0.0f, 30.0f, -2.0f};
  car.suspensionTravel = 15.0f;
  car.suspensionSoftness = 0.01f;
  car.suspensionDamping = 0.2f;
  car.travelBelowRest = 0.3f;
  car.staticLoadTravel = 0.4f;
  car.frontTyreCompliance = 0.001f;
  car.frontTyreSoftness = 0.002f;
  car.rearTyreCompliance = 0.003f;
  car.rearTyreSoftness = 0.004f;
  car.loadLength = 150.0f;
  car.reserved = 7.0f;
  car.wheelMass = 25.0f;
  car.wheelCount = 3;
  const char* names[] = {"wheel_fl", "wheel_fr", "wheel_r"};
  for (int i = 0; i < 3; ++i) {
    DynWheelData& w = car.wheels[i];
    w.flags = i == 2 ? DYNWHEEL_DRIVEN | DYNWHEEL_FOLLOWS_SPIN : DYNWHEEL_STEERED | DYNWHEEL_FRONT_TYRE;
    w.radius = 30.0f + i;
    w.steeringFactor = i == 2 ? 0.0f : -1.0f;
    w.followWheel = i == 2 ? 1 : 0;
    w.attachment = {i * 10.0f, -5.0f, -i * 20.0f};
    w.sphereRadius = 31.0f;
    w.sphereOffset = {0.5f, 0.0f, -0.5f};
    w.name = names[i];
  }
  return car;
}

DynTankData SampleTank() {
  DynTankData tank;
  tank.blank();
  tank.trackForce = 800.0f;
  tank.highTrackForce = 1000.0f;
  tank.wheelHeight = 8.0f;
  tank.mass = 30000.0f;
  tank.inertiaSize = {300.0f, 200.0f, 600.0f};
  tank.massOffset = {0.0f, -20.0f, 0.0f};
  tank.boxSize = {320.0f, 180.0f, 640.0f};
  tank.boxOffset = {0.0f, 90.0f, 0.0f};
  tank.trackNames[0] = "track_left";
  tank.trackNames[1] = "track_right";
  tank.trackCycleLength = 48.5f;
  tank.wheelCount = 2;
  for (int i = 0; i < 2; ++i) {
    DynWheelData& w = tank.wheels[i];
    w.flags = DYNWHEEL_COLLIDER | (i ? DYNWHEEL_RIGHT_TRACK : 0);
    w.radius = 40.0f;
    w.attachment = {i ? 150.0f : -150.0f, 0.0f, 100.0f};
    w.sphereRadius = 42.0f;
    w.name = i ? "road_r" : "road_l";
  }
  return tank;
}

template <typename Record>
Record Parse(const std::string& text, bool expectOk = true) {
  Record record;
  std::string error;
  EXPECT_EQ(ParseDynamicFile(text.c_str(), "test.dyn", record, error), expectOk) << error;
  return record;
}

void ExpectSameWheel(const DynWheelData& a, const DynWheelData& b) {
  EXPECT_EQ(a.flags, b.flags);
  EXPECT_FLOAT_EQ(a.radius, b.radius);
  EXPECT_FLOAT_EQ(a.steeringFactor, b.steeringFactor);
  EXPECT_EQ(a.followWheel, b.followWheel);
  EXPECT_FLOAT_EQ(a.attachment.x, b.attachment.x);
  EXPECT_FLOAT_EQ(a.attachment.z, b.attachment.z);
  EXPECT_FLOAT_EQ(a.sphereRadius, b.sphereRadius);
  EXPECT_FLOAT_EQ(a.sphereOffset.z, b.sphereOffset.z);
  EXPECT_EQ(a.name, b.name);
}

// The writer and the reader agree on every field, and the text read back
// writes the same text again.
TEST(DynamicRecords, CarAndTankSurviveAWriteAndARead) {
  DynCarData car = SampleCar();
  DynCarData carBack = Parse<DynCarData>(car.save(2));
  EXPECT_EQ(carBack.save(2), car.save(2));
  EXPECT_FLOAT_EQ(carBack.highDriveForce, 2500.0f);
  EXPECT_FLOAT_EQ(carBack.maxSteerAngle, 0.5f);
  EXPECT_FLOAT_EQ(carBack.boxOffset.y, 30.0f);
  EXPECT_FLOAT_EQ(carBack.rearTyreSoftness, 0.004f);
  EXPECT_FLOAT_EQ(carBack.wheelMass, 25.0f);
  ASSERT_EQ(carBack.wheelCount, 3);
  for (int i = 0; i < 3; ++i) ExpectSameWheel(carBack.wheels[i], car.wheels[i]);
  EXPECT_EQ(carBack.wheels[0].instance, nullptr);

  DynTankData tank = SampleTank();
  DynTankData tankBack = Parse<DynTankData>(tank.save(2));
  EXPECT_EQ(tankBack.save(2), tank.save(2));
  EXPECT_FLOAT_EQ(tankBack.highTrackForce, 1000.0f);
  EXPECT_EQ(tankBack.trackNames[0], "track_left");
  EXPECT_EQ(tankBack.trackNames[1], "track_right");
  EXPECT_FLOAT_EQ(tankBack.trackCycleLength, 48.5f);
  ASSERT_EQ(tankBack.wheelCount, 2);
  for (int i = 0; i < 2; ++i) ExpectSameWheel(tankBack.wheels[i], tank.wheels[i]);
}

TEST(DynamicRecords, SmallKindsSurviveAWriteAndARead) {
  DynSimpleData simple;
  simple.blank();
  simple.mass = 50.0f;
  simple.massOffset = {1.0f, 2.0f, 3.0f};
  simple.tiltLimit = 30.0f;
  simple.colliderKind = DYNCOLLIDER_BOX;
  simple.sphereRadius = 4.0f;
  simple.boxSize = {10.0f, 20.0f, 30.0f};
  simple.boxOffset = {-1.0f, -2.0f, -3.0f};
  simple.effects = DYNEFFECT_DUST_BURST | DYNEFFECT_SURFACE_IMPACT;
  DynSimpleData simpleBack = Parse<DynSimpleData>(simple.save(3));
  EXPECT_EQ(simpleBack.save(3), simple.save(3));
  EXPECT_EQ(simpleBack.colliderKind, DYNCOLLIDER_BOX);
  EXPECT_EQ(simpleBack.effects, 3);
  EXPECT_FLOAT_EQ(simpleBack.boxOffset.z, -3.0f);

  DynDriveData drive;
  drive.blank();
  drive.speedLimits[0] = 400.0f;
  drive.speedLimits[1] = 800.0f;
  drive.rateLimits[0] = 3200.0f;
  drive.rateLimits[1] = 1600.0f;
  drive.joints[0] = {1, "main rotor"};
  drive.joints[1] = {0, "tail rotor"};
  DynDriveData driveBack = Parse<DynDriveData>(drive.save(1));
  EXPECT_EQ(driveBack.save(1), drive.save(1));
  EXPECT_EQ(driveBack.joints[0].axis, 1);
  EXPECT_EQ(driveBack.joints[0].name, "main rotor");
  EXPECT_EQ(driveBack.joints[1].name, "tail rotor");

  DynDrivePartData part;
  part.speedLimits[0] = 1.5f;
  part.speedLimits[1] = 2.5f;
  part.angleLimits[0] = -45.0f;
  part.angleLimits[1] = 45.0f;
  DynDrivePartData partBack = Parse<DynDrivePartData>(part.save(0));
  EXPECT_FLOAT_EQ(partBack.angleLimits[0], -45.0f);
  EXPECT_FLOAT_EQ(partBack.speedLimits[1], 2.5f);
}

// Hand-written files: field order, separators and the version rules.
TEST(DynamicRecords, VersionRulesAndSeparators) {
  // Version 1 car: no high force in the file, 1.5 x the normal one.
  std::string car1 = "1 0 1000 0.6 10 500 1,2,3 4,5,6 7,8,9 10,11,12 13 14 15 16 17 18 19 20 21 22 23 24 0";
  DynCarData car = Parse<DynCarData>(car1);
  EXPECT_FLOAT_EQ(car.driveForce, 1000.0f);
  EXPECT_FLOAT_EQ(car.highDriveForce, 1500.0f);
  EXPECT_FLOAT_EQ(car.maxSteerAngle, 0.6f);
  EXPECT_FLOAT_EQ(car.massOffset.x, 4.0f);
  EXPECT_FLOAT_EQ(car.boxOffset.z, 12.0f);
  EXPECT_FLOAT_EQ(car.reserved, 23.0f);
  EXPECT_FLOAT_EQ(car.wheelMass, 24.0f);
  EXPECT_EQ(car.wheelCount, 0);

  // Version 1 tank: twice the first value.
  DynTankData tank = Parse<DynTankData>("1 0 300 5 9000 1 1 1 0 0 0 2 2 2 0 0 0 left right 32 0");
  EXPECT_FLOAT_EQ(tank.highTrackForce, 600.0f);
  EXPECT_FLOAT_EQ(tank.wheelHeight, 5.0f);
  EXPECT_EQ(tank.trackNames[1], "right");
  EXPECT_FLOAT_EQ(tank.trackCycleLength, 32.0f);

  // Version 2 simple: the effect flags are not read, even when a number follows.
  DynSimpleData simple = Parse<DynSimpleData>("2 0 10 1 1 1 0 0 0 -1 1 5 0 0 0 1 1 1 0 0 0 3");
  EXPECT_EQ(simple.colliderKind, DYNCOLLIDER_SPHERE);
  EXPECT_FLOAT_EQ(simple.tiltLimit, -1.0f);
  EXPECT_EQ(simple.effects, 0);
  EXPECT_EQ(Parse<DynSimpleData>("3 0 10 1 1 1 0 0 0 -1 1 5 0 0 0 1 1 1 0 0 0 3").effects, 3);

  // Drive names: bare words in version 0, quoted in later versions.
  DynDriveData old = Parse<DynDriveData>("0 0 1 2 3 4 2 rotor_a 1 rotor_b");
  EXPECT_EQ(old.joints[0].axis, 2);
  EXPECT_EQ(old.joints[0].name, "rotor_a");
  EXPECT_EQ(old.joints[1].name, "rotor_b");
  DynDriveData quoted = Parse<DynDriveData>("1 0 1 2 3 4 2 \"big rotor\" 1 \"small rotor\"\n");
  EXPECT_EQ(quoted.joints[0].name, "big rotor");
  EXPECT_EQ(quoted.joints[1].axis, 1);
  EXPECT_EQ(quoted.joints[1].name, "small rotor");
}

// A file that ends early is accepted; what it does not give keeps the default.
TEST(DynamicRecords, AShortFileLeavesTheRestAtItsDefaults) {
  DynCarData car = Parse<DynCarData>("2 0 1000 2000 0.5");
  EXPECT_FLOAT_EQ(car.maxSteerAngle, 0.5f);
  EXPECT_FLOAT_EQ(car.mass, 0.0f);
  EXPECT_EQ(car.wheelCount, 0);
  // The wheel count says two, the file holds one and a half.
  DynCarData cut = Parse<DynCarData>(SampleCar().save(2).substr(0, SampleCar().save(2).find("wheel_fr") - 20));
  EXPECT_EQ(cut.wheelCount, 3);
  EXPECT_EQ(cut.wheels[0].name, "wheel_fl");
  EXPECT_TRUE(cut.wheels[1].name.empty());
  DynSimpleData simple = Parse<DynSimpleData>("3 0 25");
  EXPECT_FLOAT_EQ(simple.mass, 25.0f);
  EXPECT_FLOAT_EQ(simple.tiltLimit, -1.0f);
  EXPECT_EQ(simple.colliderKind, 0);
}

struct DamagedCase {
  const char* label;
  std::string text;
  const char* message;  // part of the error
  const char* line;     // "line N" expected in the error
};

// Damaged files give no record and a message naming the file, the line and the fault.
TEST(DynamicRecords, DamagedFilesAreRejectedWithTheirPlace) {
  std::string wheel = "1 30 0 0 0 0 0 30 0 0 0 w\n";
  std::string carHead = "2 0\n1 2 3 4 5 0 0 0 0 0 0 0 0 0 0 0 0 1 2 3 4 5 6 7 8 9 10 11 12\n";
  std::string longName(kDynNameMax + 1, 'n');
  const DamagedCase cases[] = {
      {"empty", "", "no version", "line 1"},
      {"no version", "version 2", "whole number", "line 1"},
      {"wheel count above 18", carHead + "19\n" + wheel, "wheel count", "line 3"},
      {"negative wheel count", carHead + "-1\n", "wheel count", "line 3"},
      {"followed wheel beyond the count", carHead + "2\n" + wheel + "17 30 0 2 0 0 0 30 0 0 0 w\n",
       "does not exist", "line 5"},
      {"negative followed wheel", carHead + "1\n16 30 0 -1 0 0 0 30 0 0 0 w\n", "does not exist", "line 4"},
      {"word in a number field", carHead + "1\n1 thirty 0 0 0 0 0 30 0 0 0 w\n", "a number was expected",
       "line 4"},
      {"number beyond the float range", "2 0\n1" + std::string(40, '0') + " 2 3", "out of range", "line 2"},
      {"over-long wheel name", carHead + "1\n1 30 0 0 0 0 0 30 0 0 0 " + longName + "\n", "too long", "line 4"},
  };
  for (const DamagedCase& c : cases) {
    SCOPED_TRACE(c.label);
    DynCarData car;
    std::string error;
    EXPECT_FALSE(ParseDynamicFile(c.text.c_str(), "jeep.dyn", car, error));
    EXPECT_NE(error.find("\"jeep.dyn\""), std::string::npos) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_NE(error.find(c.line), std::string::npos) << error;
    EXPECT_LE(car.wheelCount, kDynMaxWheels);
  }
  const std::string drives[] = {"0 0 1 2 3 4 3 rotor 0 tail", "0 0 1 2 3 4 0 rotor -1 tail",
                                "1 0 1 2 3 4 0 \"" + longName + "\" 0 tail"};
  for (const std::string& text : drives) {
    SCOPED_TRACE(text);
    DynDriveData drive;
    std::string error;
    EXPECT_FALSE(ParseDynamicFile(text.c_str(), "heli.dyn", drive, error));
    EXPECT_FALSE(error.empty());
  }
}

class DynamicDataCacheTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    Start();
  }
  void TearDown() override {
    SetEngineLogCallback(nullptr);
    SetEngineVerboseLoading(false);
    FileTest::TearDown();
  }
  static void Log(const char* text) { logged.emplace_back(text); }
  static inline std::vector<std::string> logged;
  CDynamicData cache_;
};

TEST_F(DynamicDataCacheTest, TheFileIsReadOnceAndTheRecordKept) {
  logged.clear();
  SetEngineLogCallback(&DynamicDataCacheTest::Log);
  SetEngineVerboseLoading(true);
  Write("jeep.dyn", SampleCar().save(2));
  DynCarData* first = cache_.GetCar("jeep.txt");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->wheelCount, 3);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0], "Loading dynamic data \"jeep.txt\"");

  // A changed file is not read again: the same record comes back.
  Write("jeep.dyn", "2 0 1 1 1");
  EXPECT_EQ(cache_.GetCar("jeep.txt"), first);
  EXPECT_EQ(first->wheelCount, 3);
  EXPECT_EQ(logged.size(), 1u);

  // The kinds keep separate lists: the same name asked as another kind
  // reads its own record.
  Write("crate.dyn", "3 0 20 1 1 1 0 0 0 -1 2 0 0 0 0 5 5 5 0 0 0 1");
  DynSimpleData* crate = cache_.GetSimple("crate");
  ASSERT_NE(crate, nullptr);
  EXPECT_EQ(crate->effects, DYNEFFECT_DUST_BURST);
  DynCarData* crateCar = cache_.GetCar("crate");
  ASSERT_NE(crateCar, nullptr);
  EXPECT_NE(static_cast<void*>(crateCar), static_cast<void*>(crate));
  EXPECT_EQ(cache_.GetSimple("crate"), crate);
}

TEST_F(DynamicDataCacheTest, AMissingOrDamagedFileGivesNoRecordAndIsTriedAgain) {
  EXPECT_EQ(cache_.GetTank("panzer"), nullptr);
  EXPECT_EQ(cache_.GetTank(""), nullptr);
  EXPECT_EQ(cache_.GetTank(nullptr), nullptr);
  Write("panzer.dyn", "2 0 1 1 1 1 0 0 0 0 0 0 0 0 0 0 0 0 a b 1 40");
  EXPECT_EQ(cache_.GetTank("panzer"), nullptr);
  Write("panzer.dyn", SampleTank().save(2));
  DynTankData* tank = cache_.GetTank("panzer");
  ASSERT_NE(tank, nullptr);
  EXPECT_EQ(tank->trackNames[0], "track_left");
  Write("heli.dyn", "1 0 400 800 3200 1600 1 \"main rotor\" 0 tail");
  DynDriveData* drive = cache_.GetDrive("heli");
  ASSERT_NE(drive, nullptr);
  EXPECT_EQ(drive->joints[0].name, "main rotor");
  Write("arm.dyn", "0 0 1 2 -30 30");
  DynDrivePartData* arm = cache_.GetDrivePart("arm");
  ASSERT_NE(arm, nullptr);
  EXPECT_FLOAT_EQ(arm->angleLimits[0], -30.0f);
  EXPECT_TRUE(boxes_.empty()) << "a missing tuning file shows no box";
}

}  // namespace
