// The text description of the demo figure's animations: its skeleton (node
// names in node order, parents and rest offsets) and, per animation, the key
// count and rate, the joint angles that shape the keys and the timed events.
//
//   node "<name>" <parent name or ROOT> <x> <y> <z>      rest offset from the parent (cm)
//   anim <name> keys <n> rate <frames per second>
//     pose "<node>" <rx> <ry> <rz>          a constant turn (degrees about x, then y, then z)
//     swing "<node>" <x|y|z> <degrees> <phase>   + degrees x sin(360 k / n + phase) on that axis
//     bob <cm> <phase>                      root height + cm x sin(720 k / n + phase)
//     lower <cm>                            root height - cm
//     ramp "<node>" <x|y|z> <from> <to>     degrees on that axis going evenly from the first key to the last
//     drop <from cm> <to cm>                root height - cm going evenly from the first key to the last
//     event <type> <time in seconds> [<x> <y> <z> for type 1]
//   end
// '#' starts a comment.  Nodes not named in an animation stay at rest.
#pragma once

#include <string>
#include <vector>

#include "render/geometry/matrix.h"
#include "world/animation/anim_set.h"
#include "world/animation/prs_writer.h"

struct FigureNode {
  std::string Name;
  std::string Parent;  // "ROOT" for none
  CVector3 Offset{};
};

struct AnimSwing {
  int Node = 0;
  int Axis = 0;  // 0 x, 1 y, 2 z
  float Degrees = 0.0f;
  float Phase = 0.0f;
};

// A turn on one axis that goes evenly from the first key to the last (a fall,
// a death: animations that do not cycle).
struct AnimRamp {
  int Node = 0;
  int Axis = 0;  // 0 x, 1 y, 2 z
  float From = 0.0f;
  float To = 0.0f;
};

struct AnimPose {
  int Node = 0;
  CVector3 Degrees{};
};

struct AnimEntry {
  std::string Name;
  int Keys = 1;
  int Rate = 10;
  std::vector<AnimPose> Poses;
  std::vector<AnimSwing> Swings;
  float BobAmplitude = 0.0f;
  float BobPhase = 0.0f;
  float Lower = 0.0f;
  std::vector<AnimRamp> Ramps;
  float DropFrom = 0.0f;  // root lowered by DropFrom at the first key .. DropTo at the last
  float DropTo = 0.0f;
  std::vector<AnimEvent> Events;
};

struct AnimDescription {
  std::vector<FigureNode> Nodes;
  std::vector<AnimEntry> Anims;
  // Index of the named node, or -1.
  int FindNode(const std::string& name) const;
};

// Parses the description; false with a message naming the line on an error.
bool ReadAnimDescription(const std::string& text, AnimDescription* out, std::string* error);

// The rotation of turns about x, then y, then z (degrees) as a key
// quaternion: PoseToMatrix of a key with it gives that rotation.
CVector4 AnglesToKeyQuaternion(const CVector3& degrees);

// The set of one animation: a track per node with its keys, the events
// (time unit seconds) and, per key, the figure's bounds.
void BuildAnimSet(const AnimDescription& description, const AnimEntry& entry, AnimSet* out);

// Names and parents of the tracks for the ".prs" writer.
PrsTrackNames FigureTrackNames(const AnimDescription& description);
