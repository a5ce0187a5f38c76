#include "make_anims/anim_description.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

constexpr float kPi = 3.14159265358979f;
// Half the size of the box kept around each joint for a frame's bounds (cm).
constexpr float kJointMargin = 15.0f;

// Splits a line into words; a double quote starts a word that runs to the
// next quote.  '#' ends the line.
bool SplitLine(const std::string& line, std::vector<std::string>* words) {
  words->clear();
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == '#') break;
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (c == '"') {
      const std::size_t end = line.find('"', i + 1);
      if (end == std::string::npos) return false;
      words->push_back(line.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    std::size_t end = i;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r' && line[end] != '#') ++end;
    words->push_back(line.substr(i, end - i));
    i = end;
  }
  return true;
}

bool Number(const std::string& word, float* out) {
  char* end = nullptr;
  const float v = std::strtof(word.c_str(), &end);
  if (word.empty() || *end || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool Whole(const std::string& word, int* out) {
  float v = 0.0f;
  if (!Number(word, &v) || v != std::floor(v)) return false;
  *out = static_cast<int>(v);
  return true;
}

float Radians(float degrees) { return degrees * kPi / 180.0f; }

}  // namespace

int AnimDescription::FindNode(const std::string& name) const {
  for (std::size_t i = 0; i < Nodes.size(); ++i)
    if (Nodes[i].Name == name) return static_cast<int>(i);
  return -1;
}

bool ReadAnimDescription(const std::string& text, AnimDescription* out, std::string* error) {
  *out = AnimDescription{};
  std::istringstream lines(text);
  std::string line;
  std::vector<std::string> w;
  AnimEntry* anim = nullptr;
  int number = 0;
  auto fail = [&](const std::string& why) {
    *error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    if (!SplitLine(line, &w)) return fail("unclosed quote");
    if (w.empty()) continue;
    const std::string& key = w[0];
    if (anim == nullptr) {
      if (key == "node") {
        FigureNode n;
        if (w.size() != 6 || !Number(w[3], &n.Offset.x) || !Number(w[4], &n.Offset.y) || !Number(w[5], &n.Offset.z))
          return fail("node \"<name>\" <parent> <x> <y> <z>");
        n.Name = w[1];
        n.Parent = w[2];
        if (out->FindNode(n.Name) >= 0) return fail("node " + n.Name + " twice");
        if (n.Parent != "ROOT" && out->FindNode(n.Parent) < 0) return fail("parent " + n.Parent + " not listed before");
        out->Nodes.push_back(n);
      } else if (key == "anim") {
        AnimEntry entry;
        if (w.size() != 6 || w[2] != "keys" || w[4] != "rate" || !Whole(w[3], &entry.Keys) || !Whole(w[5], &entry.Rate) ||
            entry.Keys < 1 || entry.Rate < 1)
          return fail("anim <name> keys <n> rate <fps>");
        entry.Name = w[1];
        out->Anims.push_back(entry);
        anim = &out->Anims.back();
      } else {
        return fail("unknown word " + key);
      }
      continue;
    }
    if (key == "end") {
      anim = nullptr;
    } else if (key == "pose" || key == "swing") {
      const int node = w.size() > 1 ? out->FindNode(w[1]) : -1;
      if (node < 0) return fail("no such node");
      if (key == "pose") {
        AnimPose p{node, {}};
        if (w.size() != 5 || !Number(w[2], &p.Degrees.x) || !Number(w[3], &p.Degrees.y) || !Number(w[4], &p.Degrees.z))
          return fail("pose \"<node>\" <rx> <ry> <rz>");
        anim->Poses.push_back(p);
      } else {
        AnimSwing s{node, 0, 0.0f, 0.0f};
        const std::string axes = "xyz";
        if (w.size() != 5 || w[2].size() != 1 || axes.find(w[2][0]) == std::string::npos || !Number(w[3], &s.Degrees) ||
            !Number(w[4], &s.Phase))
          return fail("swing \"<node>\" <x|y|z> <degrees> <phase>");
        s.Axis = static_cast<int>(axes.find(w[2][0]));
        anim->Swings.push_back(s);
      }
    } else if (key == "ramp") {
      const int node = w.size() > 1 ? out->FindNode(w[1]) : -1;
      if (node < 0) return fail("no such node");
      AnimRamp r{node, 0, 0.0f, 0.0f};
      const std::string axes = "xyz";
      if (w.size() != 5 || w[2].size() != 1 || axes.find(w[2][0]) == std::string::npos || !Number(w[3], &r.From) ||
          !Number(w[4], &r.To))
        return fail("ramp \"<node>\" <x|y|z> <from> <to>");
      r.Axis = static_cast<int>(axes.find(w[2][0]));
      anim->Ramps.push_back(r);
    } else if (key == "drop") {
      if (w.size() != 3 || !Number(w[1], &anim->DropFrom) || !Number(w[2], &anim->DropTo)) return fail("drop <from cm> <to cm>");
    } else if (key == "bob") {
      if (w.size() != 3 || !Number(w[1], &anim->BobAmplitude) || !Number(w[2], &anim->BobPhase))
        return fail("bob <cm> <phase>");
    } else if (key == "lower") {
      if (w.size() != 2 || !Number(w[1], &anim->Lower)) return fail("lower <cm>");
    } else if (key == "event") {
      AnimEvent e;
      if (w.size() < 3 || !Whole(w[1], &e.Type) || !Number(w[2], &e.Time)) return fail("event <type> <time> ...");
      if (e.Type == 1 && (w.size() != 6 || !Number(w[3], &e.Position.x) || !Number(w[4], &e.Position.y) ||
                          !Number(w[5], &e.Position.z)))
        return fail("event 1 <time> <x> <y> <z>");
      if (e.Type != 1 && w.size() != 3) return fail("event <type> <time>");
      anim->Events.push_back(e);
    } else {
      return fail("unknown word " + key);
    }
  }
  if (anim != nullptr) return fail("anim " + anim->Name + " has no end");
  if (out->Nodes.empty()) return fail("no nodes");
  return true;
}

CVector4 AnglesToKeyQuaternion(const CVector3& degrees) {
  CMatrix m;
  m.SetIdentity();
  m.RotateX(degrees.x);
  m.RotateY(degrees.y);
  m.RotateZ(degrees.z);
  // The key matrix has row i = image of axis i with the quaternion terms of
  // the renderer (m01 = 2(xy - wz) ...); the largest of w, x, y, z is found
  // first so that the division is well conditioned.
  const auto& a = m.m;
  const float trace = a[0][0] + a[1][1] + a[2][2];
  CVector4 q;
  if (trace > 0.0f) {
    const float s = std::sqrt(trace + 1.0f) * 2.0f;  // 4w
    q = {(a[2][1] - a[1][2]) / s, (a[0][2] - a[2][0]) / s, (a[1][0] - a[0][1]) / s, 0.25f * s};
  } else if (a[0][0] > a[1][1] && a[0][0] > a[2][2]) {
    const float s = std::sqrt(1.0f + a[0][0] - a[1][1] - a[2][2]) * 2.0f;  // 4x
    q = {0.25f * s, (a[0][1] + a[1][0]) / s, (a[0][2] + a[2][0]) / s, (a[2][1] - a[1][2]) / s};
  } else if (a[1][1] > a[2][2]) {
    const float s = std::sqrt(1.0f + a[1][1] - a[0][0] - a[2][2]) * 2.0f;  // 4y
    q = {(a[0][1] + a[1][0]) / s, 0.25f * s, (a[1][2] + a[2][1]) / s, (a[0][2] - a[2][0]) / s};
  } else {
    const float s = std::sqrt(1.0f + a[2][2] - a[0][0] - a[1][1]) * 2.0f;  // 4z
    q = {(a[0][2] + a[2][0]) / s, (a[1][2] + a[2][1]) / s, 0.25f * s, (a[1][0] - a[0][1]) / s};
  }
  return q;
}

void BuildAnimSet(const AnimDescription& description, const AnimEntry& entry, AnimSet* out) {
  out->Clear();
  const int nodes = static_cast<int>(description.Nodes.size());
  out->HeaderValue = 1;
  out->TrackCount = nodes;
  out->Tracks.resize(static_cast<std::size_t>(nodes));
  for (AnimTrack& t : out->Tracks) {
    t.FrameRate = entry.Rate;
    t.Keys.resize(static_cast<std::size_t>(entry.Keys));
  }
  std::vector<CMatrix> model(static_cast<std::size_t>(nodes));
  for (int k = 0; k < entry.Keys; ++k) {
    const float cycle = 2.0f * kPi * static_cast<float>(k) / static_cast<float>(entry.Keys);
    std::vector<CVector3> angles(static_cast<std::size_t>(nodes));
    for (const AnimPose& p : entry.Poses) {
      CVector3& a = angles[static_cast<std::size_t>(p.Node)];
      a = CVector3{a.x + p.Degrees.x, a.y + p.Degrees.y, a.z + p.Degrees.z};
    }
    for (const AnimSwing& s : entry.Swings) {
      CVector3& a = angles[static_cast<std::size_t>(s.Node)];
      const float v = s.Degrees * std::sin(cycle + Radians(s.Phase));
      (s.Axis == 0 ? a.x : s.Axis == 1 ? a.y : a.z) += v;
    }
    // Ramps and the drop run from the first key (t = 0) to the last (t = 1).
    const float t = entry.Keys > 1 ? static_cast<float>(k) / static_cast<float>(entry.Keys - 1) : 0.0f;
    for (const AnimRamp& r : entry.Ramps) {
      CVector3& a = angles[static_cast<std::size_t>(r.Node)];
      (r.Axis == 0 ? a.x : r.Axis == 1 ? a.y : a.z) += r.From + (r.To - r.From) * t;
    }
    const float drop = entry.DropFrom + (entry.DropTo - entry.DropFrom) * t;
    CVector3 lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
    for (int i = 0; i < nodes; ++i) {
      const FigureNode& node = description.Nodes[static_cast<std::size_t>(i)];
      Pose& key = out->Tracks[static_cast<std::size_t>(i)].Keys[static_cast<std::size_t>(k)];
      key = Pose{};
      key.translation = node.Offset;
      if (node.Parent == "ROOT")
        key.translation.y += entry.BobAmplitude * std::sin(2.0f * cycle + Radians(entry.BobPhase)) - entry.Lower - drop;
      key.scale = CVector3{1.0f, 1.0f, 1.0f};
      key.rotation = AnglesToKeyQuaternion(angles[static_cast<std::size_t>(i)]);
      // Where the joint stands in the figure's space, for the bounds.
      CMatrix local;
      PoseToMatrix(key, &local);
      const int parent = description.FindNode(node.Parent);
      CMatrix& m = model[static_cast<std::size_t>(i)];
      if (parent >= 0)
        MatrixMultiply(&m, local, model[static_cast<std::size_t>(parent)]);
      else
        m = local;
      lo = CVector3{std::min(lo.x, m.m[3][0]), std::min(lo.y, m.m[3][1]), std::min(lo.z, m.m[3][2])};
      hi = CVector3{std::max(hi.x, m.m[3][0]), std::max(hi.y, m.m[3][1]), std::max(hi.z, m.m[3][2])};
    }
    AnimBounds b;
    lo = CVector3{lo.x - kJointMargin, std::max(0.0f, lo.y - kJointMargin), lo.z - kJointMargin};
    hi = CVector3{hi.x + kJointMargin, hi.y + kJointMargin, hi.z + kJointMargin};
    AnimMakeBounds(lo, hi, &b.Box);
    b.Sphere.Centre = CVector3{(lo.x + hi.x) * 0.5f, (lo.y + hi.y) * 0.5f, (lo.z + hi.z) * 0.5f};
    const CVector3 half{(hi.x - lo.x) * 0.5f, (hi.y - lo.y) * 0.5f, (hi.z - lo.z) * 0.5f};
    b.Sphere.Radius = std::sqrt(half.x * half.x + half.y * half.y + half.z * half.z);
    out->Bounds.push_back(b);
  }
  out->KeyCount = entry.Keys;
  out->FrameRate = static_cast<float>(entry.Rate);
  out->EventTimeUnit = 1;
  out->Events = entry.Events;
}

PrsTrackNames FigureTrackNames(const AnimDescription& description) {
  PrsTrackNames names;
  for (const FigureNode& n : description.Nodes) {
    names.Names.push_back(n.Name);
    names.Parents.push_back(n.Parent);
  }
  return names;
}
