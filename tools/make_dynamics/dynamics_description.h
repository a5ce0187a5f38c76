// The text description of dynamics tuning records that make_dynamics (and
// the level tool) turn into ".dyn" files through the records' own writers.
// One record a block; one field a line, named, so that a reader can see what
// each number is.  '#' starts a comment.  Distances are world units
// (centimetres), angles degrees unless a field says otherwise.
//
//   car|tank|drive|drivepart|simple <TypeName> [version <n>]
//     <field> <values...>          the kind's fields by name (see the tables in the source)
//     wheel <name> [flags <word>,...|<n>] [radius r] [steer f] [follows i] [at x y z]
//                  [sphere r] [sphereat x y z]
//                                  car and tank: one wheel each, in order
//     joint <axis x|y|z|0|1|2> <name>    drive: its two rotor joints, in order
//   end
//
// Wheel flag words: driven, steered, follows, front, right, collider.  A
// field not given keeps the record's blank() value; the version defaults to
// the newest layout of the kind (car and tank 2, simple 3, drives 1).
#pragma once

#include <string>
#include <vector>

#include "world/dynamics/dynamic_records.h"

struct DynamicsSource {
  enum Kind { CAR, TANK, DRIVE, DRIVE_PART, SIMPLE };
  Kind kind = SIMPLE;
  std::string typeName;
  int version = 0;
  DynCarData car;
  DynTankData tank;
  DynDriveData drive;
  DynDrivePartData drivePart;
  DynSimpleData simple;

  // "<TypeName>.dyn"
  std::string FileName() const { return typeName + ".dyn"; }
  // The file's text through the record's writer.
  std::string FileText() const;
};

struct DynamicsDescription {
  std::vector<DynamicsSource> Records;
  const DynamicsSource* Find(const std::string& typeName) const;
};

// Reads a description from memory; `name` names it in messages.  False with
// "<name>:<line>: ..." in error for an unknown kind, field or wheel option, a
// missing or bad number, a block without "end", more wheels or joints than
// the record holds, or a type name given twice.
bool ReadDynamicsDescription(const std::string& text, const std::string& name, DynamicsDescription* out,
                             std::string* error);
// The same from a file.
bool ReadDynamicsDescriptionFile(const std::string& path, DynamicsDescription* out, std::string* error);

// Writes each record's ".dyn" file into the folder, then reads it back through
// the engine's parser and checks it gives the record again.  False with the
// reason when a file cannot be written or does not read back the same.
bool WriteDynamicsFiles(const DynamicsDescription& description, const std::string& folder,
                        std::vector<std::string>* written, std::string* error);
