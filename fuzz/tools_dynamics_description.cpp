// Feeds arbitrary text to the dynamics description reader; a refusal always
// says why, and every record of an accepted description is written by its
// record's writer into text that the engine's parser reads without a fault
// unless the description itself means nothing (a wheel following a wheel
// that does not exist).  Seed: tools/demo_data/level/dynamics.txt.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "make_dynamics/dynamics_description.h"
#include "world/dynamics/dynamic_data.h"

namespace {

template <typename Record>
void Check(const Record& record, int version, const std::string& text) {
  Record again;
  std::string error;
  if (ParseDynamicFile(text.c_str(), "fuzz.dyn", again, error)) {
    if (again.save(version) != record.save(version)) std::abort();
  } else if (error.empty()) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  DynamicsDescription description;
  std::string error;
  if (!ReadDynamicsDescription(std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt", &description,
                               &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  for (const DynamicsSource& s : description.Records) {
    const std::string text = s.FileText();
    switch (s.kind) {
      case DynamicsSource::CAR: Check(s.car, s.version, text); break;
      case DynamicsSource::TANK: Check(s.tank, s.version, text); break;
      case DynamicsSource::DRIVE: Check(s.drive, s.version, text); break;
      case DynamicsSource::DRIVE_PART: Check(s.drivePart, s.version, text); break;
      case DynamicsSource::SIMPLE: Check(s.simple, s.version, text); break;
    }
  }
  return 0;
}
