#include "make_dynamics/dynamics_description.h"

#include <algorithm>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "make_dynamics/description_words.h"
#include "world/dynamics/dyn_text.h"
#include "world/dynamics/dynamic_data.h"

namespace {

namespace fs = std::filesystem;

// A named field of a record: `count` floats at `floats`, or one vector.
struct Field {
  const char* name;
  float* floats = nullptr;
  int count = 0;
  Vector3* vector = nullptr;
};

Field F(const char* name, float* p, int count = 1) { return {name, p, count, nullptr}; }
Field V(const char* name, Vector3* v) { return {name, nullptr, 0, v}; }

std::vector<Field> CarFields(DynCarData& r) {
  return {F("driveForce", &r.driveForce),
          F("highDriveForce", &r.highDriveForce),
          F("maxSteerAngle", &r.maxSteerAngle),
          F("wheelHeight", &r.wheelHeight),
          F("mass", &r.mass),
          V("inertiaSize", &r.inertiaSize),
          V("massOffset", &r.massOffset),
          V("boxSize", &r.boxSize),
          V("boxOffset", &r.boxOffset),
          F("suspensionTravel", &r.suspensionTravel),
          F("suspensionSoftness", &r.suspensionSoftness),
          F("suspensionDamping", &r.suspensionDamping),
          F("travelBelowRest", &r.travelBelowRest),
          F("staticLoadTravel", &r.staticLoadTravel),
          F("frontTyreCompliance", &r.frontTyreCompliance),
          F("frontTyreSoftness", &r.frontTyreSoftness),
          F("rearTyreCompliance", &r.rearTyreCompliance),
          F("rearTyreSoftness", &r.rearTyreSoftness),
          F("loadLength", &r.loadLength),
          F("reserved", &r.reserved),
          F("wheelMass", &r.wheelMass)};
}

std::vector<Field> TankFields(DynTankData& r) {
  return {F("trackForce", &r.trackForce),     F("highTrackForce", &r.highTrackForce),
          F("wheelHeight", &r.wheelHeight),   F("mass", &r.mass),
          V("inertiaSize", &r.inertiaSize),   V("massOffset", &r.massOffset),
          V("boxSize", &r.boxSize),           V("boxOffset", &r.boxOffset),
          F("trackCycleLength", &r.trackCycleLength)};
}

std::vector<Field> DriveFields(DynDriveData& r) {
  return {F("speedLimits", r.speedLimits, 2), F("rateLimits", r.rateLimits, 2)};
}

std::vector<Field> DrivePartFields(DynDrivePartData& r) {
  return {F("speedLimits", r.speedLimits, 2), F("angleLimits", r.angleLimits, 2)};
}

std::vector<Field> SimpleFields(DynSimpleData& r) {
  return {F("mass", &r.mass),
          V("inertiaSize", &r.inertiaSize),
          V("massOffset", &r.massOffset),
          F("tiltLimit", &r.tiltLimit),
          F("sphereRadius", &r.sphereRadius),
          V("sphereOffset", &r.sphereOffset),
          V("boxSize", &r.boxSize),
          V("boxOffset", &r.boxOffset)};
}

class Reader {
 public:
  Reader(const std::string& name, DynamicsDescription* out, std::string* error)
      : name_(name), out_(out), error_(error) {}

  bool Run(const std::string& text) {
    std::istringstream stream(text);
    DynamicsSource* open = nullptr;
    int wheels = 0, joints = 0;
    std::set<std::string> names;
    for (std::string line; std::getline(stream, line);) {
      ++line_;
      words_ = SplitDescriptionLine(line);
      at_ = 0;
      if (words_.empty()) continue;
      const std::string command = Next();
      if (open == nullptr) {
        DynamicsSource s;
        if (command == "car") s.kind = DynamicsSource::CAR, s.version = 2, s.car.blank();
        else if (command == "tank") s.kind = DynamicsSource::TANK, s.version = 2, s.tank.blank();
        else if (command == "drive") s.kind = DynamicsSource::DRIVE, s.version = 1, s.drive.blank();
        else if (command == "drivepart") s.kind = DynamicsSource::DRIVE_PART, s.version = 1, s.drivePart.blank();
        else if (command == "simple") s.kind = DynamicsSource::SIMPLE, s.version = 3, s.simple.blank();
        else return Fail("unknown record kind \"" + command + "\"");
        if (!Word(&s.typeName)) return false;
        // The type name becomes the file's name.
        if (s.typeName.empty() || s.typeName.size() > 120 ||
            s.typeName.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-") !=
                std::string::npos)
          return Fail("a type name is letters, digits, '_' and '-'");
        if (!names.insert(s.typeName).second) return Fail("\"" + s.typeName + "\" is described twice");
        if (More()) {
          if (Next() != "version") return Fail("unexpected word \"" + words_[at_ - 1] + "\"");
          if (!Integer(&s.version)) return false;
          if (s.version < 0) return Fail("a version is 0 or more");
        }
        if (!Done()) return false;
        out_->Records.push_back(s);
        open = &out_->Records.back();
        wheels = joints = 0;
        continue;
      }
      if (command == "end") {
        if (!Done()) return false;
        // The file holds the two track names as words: they cannot be left out.
        if (open->kind == DynamicsSource::TANK && (open->tank.trackNames[0].empty() || open->tank.trackNames[1].empty()))
          return Fail("a tank names its two tracks (\"tracks left right\")");
        open = nullptr;
        continue;
      }
      if (command == "wheel") {
        DynWheelData* table = open->kind == DynamicsSource::CAR    ? open->car.wheels
                              : open->kind == DynamicsSource::TANK ? open->tank.wheels
                                                                   : nullptr;
        if (table == nullptr) return Fail("only cars and tanks have wheels");
        if (wheels >= kDynMaxWheels) return Fail("a record holds at most 18 wheels");
        if (!Wheel(&table[wheels])) return false;
        ++wheels;
        (open->kind == DynamicsSource::CAR ? open->car.wheelCount : open->tank.wheelCount) = wheels;
        continue;
      }
      if (command == "joint") {
        if (open->kind != DynamicsSource::DRIVE) return Fail("only drives have joints");
        if (joints >= 2) return Fail("a drive has two joints");
        if (!Joint(&open->drive.joints[joints], open->version != 0)) return false;
        ++joints;
        continue;
      }
      if (!FieldLine(*open, command) || !Done()) return false;
    }
    if (open != nullptr) return Fail("\"" + open->typeName + "\" has no \"end\"");
    return true;
  }

 private:
  bool Fail(const std::string& what) {
    *error_ = name_ + ":" + std::to_string(line_) + ": " + what;
    return false;
  }
  bool More() const { return at_ < words_.size(); }
  std::string Next() { return words_[at_++]; }
  bool Done() { return More() ? Fail("unexpected word \"" + words_[at_] + "\"") : true; }
  bool Word(std::string* w) {
    if (!More()) return Fail("a word is missing");
    *w = Next();
    return true;
  }
  bool Number(float* v) {
    std::string w;
    if (!Word(&w)) return false;
    return ParseDescriptionNumber(w, v) || Fail("\"" + w + "\" is not a number");
  }
  bool Integer(int* v) {
    std::string w;
    if (!Word(&w)) return false;
    return ParseDescriptionInteger(w, v) || Fail("\"" + w + "\" is not a whole number");
  }
  bool Vector(Vector3* v) { return Number(&v->x) && Number(&v->y) && Number(&v->z); }
  // A name of the file: a bare word there holds no blank or comma (they
  // separate fields); a quoted one may hold blanks.  No name holds a control
  // character (a nul would end it early in the file).
  bool Name(std::string* w, bool quoted) {
    if (!Word(w)) return false;
    const char* forbidden = quoted ? "\"\r\n" : " \t,\"\r\n";
    const bool control = std::any_of(w->begin(), w->end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (w->empty() || w->size() > kDynNameMax || control || w->find_first_of(forbidden) != std::string::npos)
      return Fail("\"" + *w + "\" cannot stand as a name in the file");
    return true;
  }
  // A comma-separated list of flag words, or a number.
  bool FlagWords(const std::vector<std::pair<const char*, int>>& known, int* v) {
    std::string w;
    if (!Word(&w)) return false;
    char* end = nullptr;
    const long n = std::strtol(w.c_str(), &end, 0);
    if (end != w.c_str() && *end == '\0') {
      *v = static_cast<int>(n);
      return true;
    }
    *v = 0;
    std::istringstream list(w);
    for (std::string flag; std::getline(list, flag, ',');) {
      bool found = false;
      for (const auto& [word, bit] : known)
        if (flag == word) *v |= bit, found = true;
      if (!found) return Fail("unknown flag \"" + flag + "\"");
    }
    return true;
  }

  bool FieldLine(DynamicsSource& s, const std::string& name) {
    if (s.kind == DynamicsSource::TANK && name == "tracks")
      return Name(&s.tank.trackNames[0], false) && Name(&s.tank.trackNames[1], false);
    if (s.kind == DynamicsSource::SIMPLE && name == "collider") {
      return FlagWords({{"sphere", DYNCOLLIDER_SPHERE}, {"box", DYNCOLLIDER_BOX}}, &s.simple.colliderKind);
    }
    if (s.kind == DynamicsSource::SIMPLE && name == "effects") {
      return FlagWords({{"none", 0}, {"dust", DYNEFFECT_DUST_BURST}, {"impact", DYNEFFECT_SURFACE_IMPACT}},
                       &s.simple.effects);
    }
    std::vector<Field> fields;
    switch (s.kind) {
      case DynamicsSource::CAR: fields = CarFields(s.car); break;
      case DynamicsSource::TANK: fields = TankFields(s.tank); break;
      case DynamicsSource::DRIVE: fields = DriveFields(s.drive); break;
      case DynamicsSource::DRIVE_PART: fields = DrivePartFields(s.drivePart); break;
      case DynamicsSource::SIMPLE: fields = SimpleFields(s.simple); break;
    }
    for (const Field& f : fields) {
      if (name != f.name) continue;
      if (f.vector != nullptr) return Vector(f.vector);
      for (int k = 0; k < f.count; ++k)
        if (!Number(&f.floats[k])) return false;
      return true;
    }
    return Fail("unknown field \"" + name + "\"");
  }

  bool Wheel(DynWheelData* w) {
    w->blank();
    if (!Name(&w->name, false)) return false;
    while (More()) {
      const std::string o = Next();
      bool ok = true;
      if (o == "flags") {
        ok = FlagWords({{"driven", DYNWHEEL_DRIVEN},
                        {"steered", DYNWHEEL_STEERED},
                        {"follows", DYNWHEEL_FOLLOWS_SPIN},
                        {"front", DYNWHEEL_FRONT_TYRE},
                        {"right", DYNWHEEL_RIGHT_TRACK},
                        {"collider", DYNWHEEL_COLLIDER}},
                       &w->flags);
      } else if (o == "radius") ok = Number(&w->radius);
      else if (o == "steer") ok = Number(&w->steeringFactor);
      else if (o == "follows") ok = Integer(&w->followWheel);
      else if (o == "at") ok = Vector(&w->attachment);
      else if (o == "sphere") ok = Number(&w->sphereRadius);
      else if (o == "sphereat") ok = Vector(&w->sphereOffset);
      else return Fail("unknown wheel option \"" + o + "\"");
      if (!ok) return false;
    }
    return true;
  }

  bool Joint(DynDriveJoint* j, bool quoted) {
    std::string axis;
    if (!Word(&axis)) return false;
    if (axis == "x" || axis == "0") j->axis = 0;
    else if (axis == "y" || axis == "1") j->axis = 1;
    else if (axis == "z" || axis == "2") j->axis = 2;
    else return Fail("a joint's axis is x, y or z");
    return Name(&j->name, quoted) && Done();
  }

  std::string name_;
  DynamicsDescription* out_;
  std::string* error_;
  std::vector<std::string> words_;
  std::size_t at_ = 0;
  int line_ = 0;
};

// Writes the record's file text, parses it back through the engine's parser
// and writes that again: the two texts must agree.
template <typename Record>
bool ReadsBack(const Record& record, int version, const std::string& text, const std::string& fileName,
               std::string* error) {
  Record again;
  std::string parseError;
  if (!ParseDynamicFile(text.c_str(), fileName.c_str(), again, parseError)) {
    *error = fileName + " does not read back: " + parseError;
    return false;
  }
  if (again.save(version) != record.save(version)) {
    *error = fileName + " does not read back as it was described";
    return false;
  }
  return true;
}

}  // namespace

std::string DynamicsSource::FileText() const {
  switch (kind) {
    case CAR: return car.save(version);
    case TANK: return tank.save(version);
    case DRIVE: return drive.save(version);
    case DRIVE_PART: return drivePart.save(version);
    case SIMPLE: return simple.save(version);
  }
  return {};
}

const DynamicsSource* DynamicsDescription::Find(const std::string& typeName) const {
  for (const DynamicsSource& s : Records)
    if (s.typeName == typeName) return &s;
  return nullptr;
}

bool ReadDynamicsDescription(const std::string& text, const std::string& name, DynamicsDescription* out,
                             std::string* error) {
  *out = DynamicsDescription{};
  Reader reader(name, out, error);
  return reader.Run(text);
}

bool ReadDynamicsDescriptionFile(const std::string& path, DynamicsDescription* out, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot be read";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return ReadDynamicsDescription(text.str(), path, out, error);
}

bool WriteDynamicsFiles(const DynamicsDescription& description, const std::string& folder,
                        std::vector<std::string>* written, std::string* error) {
  for (const DynamicsSource& s : description.Records) {
    const std::string text = s.FileText();
    bool ok = false;
    switch (s.kind) {
      case DynamicsSource::CAR: ok = ReadsBack(s.car, s.version, text, s.FileName(), error); break;
      case DynamicsSource::TANK: ok = ReadsBack(s.tank, s.version, text, s.FileName(), error); break;
      case DynamicsSource::DRIVE: ok = ReadsBack(s.drive, s.version, text, s.FileName(), error); break;
      case DynamicsSource::DRIVE_PART: ok = ReadsBack(s.drivePart, s.version, text, s.FileName(), error); break;
      case DynamicsSource::SIMPLE: ok = ReadsBack(s.simple, s.version, text, s.FileName(), error); break;
    }
    if (!ok) return false;
    const fs::path path = fs::path(folder) / s.FileName();
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out.flush()) {
      *error = "cannot write " + path.string();
      return false;
    }
    if (written != nullptr) written->push_back(s.FileName());
  }
  return true;
}
