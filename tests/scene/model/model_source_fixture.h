// Model source text for the model tests and the fuzz target's seeds: a
// writer that prints a scene (its version's form: what older versions do not
// carry is left out) and a small scene of two objects that uses every face
// form.  Numbers are printed with enough digits to read back to the same
// floats.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

#include "scene/model/scene.h"

namespace model_fixture {

inline void Append(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
inline void Append(std::string* out, const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  *out += line;
}

inline double D(float v) { return static_cast<double>(v); }

inline const char* SweepHitName(std::int32_t kind) {
  switch (kind) {
    case SWEEPHIT_NOTHING: return "SWEEPHIT_NOTHING";
    case SWEEPHIT_FPLANE: return "SWEEPHIT_FPLANE";
    case SWEEPHIT_OBBOX: return "SWEEPHIT_OBBOX";
    case SWEEPHIT_AABBOX: return "SWEEPHIT_AABBOX";
    case SWEEPHIT_BSPHERE: return "SWEEPHIT_BSPHERE";
    case SWEEPHIT_FBSPPOLY: return "SWEEPHIT_FBSPPOLY";
    default: return "SWEEPHIT_UNKNOWN";
  }
}

inline void WriteBounds(std::string* out, const TriBounds& b, const char* indent) {
  const float* w = b.Words;
  Append(out, "%sBoundsInfo {\r\n", indent);
  Append(out, "%s  Spare %.9g\r\n", indent, D(w[6]));
  Append(out, "%s  Box %.9g %.9g %.9g  %.9g %.9g %.9g\r\n", indent, D(w[0]), D(w[1]), D(w[2]), D(w[3]), D(w[4]),
         D(w[5]));
  Append(out, "%s  Spare %.9g\r\n", indent, D(w[7]));
  Append(out, "%s  Centre %.9g %.9g %.9g\r\n%s  Radius %.9g\r\n%s}\r\n", indent, D(w[8]), D(w[9]), D(w[10]), indent,
         D(w[11]), indent);
}

inline void WriteKey(std::string* out, const Pose& k) {
  Append(out, "    P %.9g %.9g %.9g R 0 0 0 S %.9g %.9g %.9g Q %.9g %.9g %.9g %.9g\r\n", D(k.translation.x),
         D(k.translation.y), D(k.translation.z), D(k.scale.x), D(k.scale.y), D(k.scale.z), D(k.rotation.x),
         D(k.rotation.y), D(k.rotation.z), D(k.rotation.w));
}

inline void WriteFrames(std::string* out, const char* frames, const char* list,
                        const std::vector<std::vector<CVector3>>& values) {
  Append(out, "  Num%s %zu\r\n  %s {\r\n", frames, values.size(), frames);
  for (const auto& frame : values) {
    Append(out, "    Count %zu\r\n    %s {\r\n", frame.size(), list);
    for (const CVector3& p : frame) Append(out, "      %.9g, %.9g, %.9g\r\n", D(p.x), D(p.y), D(p.z));
    *out += "    }\r\n";
  }
  *out += "  }\r\n";
}

inline void WriteFace(std::string* out, int version, const TriFace& f) {
  Append(out, "    Flags %u Material %d", f.Flags, f.Material);
  if (version >= 7) Append(out, " Smooth %u", f.Smoothing);
  Append(out, " Verts %zu Index", f.Vertices.size());
  for (std::int32_t i : f.Vertices) Append(out, " %d", i);
  *out += " Normal";
  for (std::int32_t i : f.Normals) Append(out, " %d", i);
  if (f.Flags & TRIFACE_VERTEX_COLOURS) {
    *out += " Colour";
    for (std::int32_t i : f.Colours) Append(out, " %d", i);
  }
  if (f.Flags & TRIFACE_TEXCOORDS) {
    Append(out, " Sets %zu UV", f.TexCoords.size());
    for (const auto& set : f.TexCoords)
      for (const TriTexCoord& t : set) Append(out, " %.9g %.9g", D(t.u), D(t.v));
  }
  *out += "\r\n";
}

inline void WriteObject(std::string* out, int version, const CTriObject& o) {
  Append(out, "Mesh\r\n  Name \"%s\"\r\n", o.Name.c_str());
  if (version >= 3)
    Append(out, "  Parent \"%s\"\r\n", o.Parent.c_str());
  else
    *out += "  Portal 0 PortalOwner \"NONE\" PortalTarget \"NONE\" Cell 0 Size 0 A 0 B 0 C 0 Last 0\r\n";
  Append(out, "  KeyFlag %d\r\n  Positions %d\r\n", o.KeyFlag, o.PositionsFlag);
  if (version > 2) Append(out, "  ObjectFlag %d\r\n", o.ObjectFlag);
  Append(out, "  Vector %.9g %.9g %.9g\r\n", D(o.Vector.x), D(o.Vector.y), D(o.Vector.z));
  if (version >= 12) Append(out, "  BSPSource \"%s\"\r\n", o.BspSource.c_str());
  WriteBounds(out, o.Bounds, "  ");
  if (o.KeyFlag == 0) {
    *out += "  PRSInfo {\r\n";
    WriteKey(out, o.Keys.empty() ? Pose{{0, 0, 0}, {0, 0, 0}, {1, 1, 1}, {0, 0, 0, 1}} : o.Keys[0]);
    *out += "  }\r\n";
  }
  if (version > 2) {
    Append(out, "  NumPhys %zu\r\n  PhysVertexList {\r\n", o.PhysVertexGroups.size());
    for (const PhysVertexGroup& g : o.PhysVertexGroups) {
      Append(out, "    %zu\r\n", g.size());
      for (const PhysVertex& p : g)
        Append(out, "      \"%s\" %.9g %.9g %.9g %.9g\r\n", p.Name.c_str(), D(p.Values[0]), D(p.Values[1]),
               D(p.Values[2]), D(p.Values[3]));
    }
    *out += "  }\r\n";
  }
  WriteFrames(out, "VertexFrames", "VertexList", o.VertexFrames);
  WriteFrames(out, "NormalFrames", "NormalList", o.NormalFrames);
  WriteFrames(out, "ColourFrames", "ColourList", o.ColourFrames);
  Append(out, "  NumFaces %zu\r\n  FaceList {\r\n", o.Faces.size());
  for (const TriFace& f : o.Faces) WriteFace(out, version, f);
  *out += "  }\r\n";
}

// The text of a scene in the form of its version.  The header values are
// written as they stand (the second is the number of meshes that follow).
inline std::string WriteModelText(const CScene& s) {
  const int v = s.Version;
  std::string out;
  Append(&out, "Version %d\r\n", v);
  if (v >= 13) out += "Exporter halberd_tests\r\n";
  if (v >= 4) Append(&out, "Type %d\r\n", s.Type);
  Append(&out, "Objects %d\r\nMeshes %d\r\nThird %d\r\n", s.HeaderValues[0], s.HeaderValues[1], s.HeaderValues[2]);
  if (v >= 15) Append(&out, "ShadowSource \"%s\"\r\n", s.ShadowSource.c_str());
  if (v < 3) out += "OldA 0\r\nOldB 0\r\n";
  Append(&out, "Connectors %d\r\n", s.ConnectorFlag);
  if (v >= 10)
    Append(&out, "Sweep %s Value %d Sweep2 %s Value2 %d Last %d\r\n", SweepHitName(s.Collision[0]), s.Collision[1],
           SweepHitName(s.Collision[2]), s.Collision[3], s.Collision[4]);
  WriteBounds(&out, s.Bounds, "");
  if (v > 5) {
    Append(&out, "NumConnectors %zu\r\nStaticConnectors {\r\n", s.Connectors.size());
    for (const StaticConnector& c : s.Connectors)
      Append(&out, "  \"%s\" %.9g %.9g %.9g\r\n", c.Name.c_str(), D(c.Position.x), D(c.Position.y), D(c.Position.z));
    out += "}\r\n";
  }
  Append(&out, "MaterialLib {\r\n  NumMaps %zu\r\n  Maps {\r\n", s.Maps.size());
  for (const std::string& m : s.Maps) Append(&out, "    \"%s\"\r\n", m.c_str());
  Append(&out, "  }\r\n  NumPals %zu\r\n  Pals {\r\n", s.Palettes.size());
  for (const std::string& p : s.Palettes) Append(&out, "    \"%s\"\r\n", p.c_str());
  Append(&out, "  }\r\n  NumMaterials %zu\r\n  Materials {\r\n", s.MaterialLib.size());
  for (const SceneMaterial& m : s.MaterialLib) {
    Append(&out, "    Diffuse %.9g %.9g %.9g\r\n", D(m.Diffuse[0]), D(m.Diffuse[1]), D(m.Diffuse[2]));
    if (v >= 5)
      Append(&out, "    Third %.9g %.9g %.9g Second %.9g %.9g %.9g %.9g\r\n", D(m.Third[0]), D(m.Third[1]),
             D(m.Third[2]), D(m.Second[0]), D(m.Second[1]), D(m.Second[2]), v >= 14 ? D(m.Power) / 100.0 : D(m.Power));
    Append(&out, "    Alpha %.9g Map %d Palette %d\r\n", D(m.Alpha), m.Map, m.Palette);
  }
  out += "  }\r\n}\r\n";
  for (const CTriObject& o : s.Objects) WriteObject(&out, v, o);
  return out;
}

inline Pose Key(float x, float y, float z) {
  Pose p{};
  p.translation = {x, y, z};
  p.scale = {1.0f, 2.0f, 1.0f};
  p.rotation = {0.0f, 0.6f, 0.0f, 0.8f};
  return p;
}

// A scene of the version with two objects: a textured quad "PANEL" (two
// triangles, per-vertex normals and colours, two texture coordinate sets)
// and a child "TAB" (one triangle, a face normal, no texture coordinates)
// that carries a physics vertex naming the panel.  Positions lie on the
// 0.1 grid, powers are whole hundreds, so that everything reads back as
// written where the version carries it.
inline CScene SampleScene(int version) {
  CScene s;
  s.Version = version;
  s.Type = version >= 4 ? 2 : 0;
  s.HeaderValues[0] = 2;
  s.HeaderValues[1] = 2;
  s.HeaderValues[2] = 7;
  s.ShadowSource = version >= 15 ? "PANEL" : "NOSHADOW";
  if (version >= 10) {
    s.Collision[0] = SWEEPHIT_OBBOX;
    s.Collision[1] = 3;
    s.Collision[2] = SWEEPHIT_BSPHERE;
    s.Collision[3] = 4;
    s.Collision[4] = 9;
  }
  s.Bounds = TriBounds{{-1, 0, -2, 1, 3, 2, 0.5f, 0.25f, 0, 1.5f, 0, 2.5f}};
  if (version > 5) s.Connectors = {{"PRIMARY", {0, 3, 0}}, {"HANDLE", {1, 1.5f, 0}}};
  s.Maps = {"panel.tga", "tab.tga"};
  s.Palettes = {"main"};
  SceneMaterial a;
  a.Diffuse[0] = a.Diffuse[1] = a.Diffuse[2] = 1.0f;  // it has a map
  if (version >= 5) {
    a.Third[0] = 0.1f, a.Third[1] = 0.2f, a.Third[2] = 0.3f;
  }
  if (version >= 14) {
    a.Second[0] = 0.5f, a.Second[1] = 0.5f, a.Second[2] = 0.5f;
    a.Power = 1200.0f;
  }
  a.Alpha = 0.75f;
  a.Map = 0;
  SceneMaterial b;
  b.Diffuse[0] = 0.25f, b.Diffuse[1] = 0.5f, b.Diffuse[2] = 1.0f;
  b.Alpha = 1.0f;
  b.Map = -1;
  b.Palette = -1;
  s.MaterialLib = {a, b};

  CTriObject panel;
  panel.Name = "PANEL";
  panel.Parent = version >= 3 ? "NULL" : "Undefined";
  panel.KeyFlag = 0;
  panel.PositionsFlag = 1;
  panel.ObjectFlag = version > 2 ? 4 : 0;
  panel.Vector = {0, 1, 0};
  panel.BspSource = version >= 12 ? "PANEL" : "THIS";
  panel.Bounds = TriBounds{{-1, 0, 0, 1, 2, 0, 0, 0, 0, 1, 0, 1.5f}};
  panel.Keys = {Key(0, 1.5f, -2)};
  panel.VertexFrames = {{{-1, 0, 0}, {1, 0, 0}, {-1, 2, 0}, {1, 2, 0}}, {{-1, 0, 0.5f}, {1, 0, 0.5f}, {-1, 2, 0.5f}, {1, 2, 0.5f}}};
  panel.NormalFrames = {{{0, 0, 1}, {0, 0, -1}}};
  panel.ColourFrames = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  TriFace t0;
  t0.Flags = TRIFACE_TEXCOORDS | TRIFACE_VERTEX_NORMALS | TRIFACE_VERTEX_COLOURS;
  t0.Material = 0;
  t0.Smoothing = version >= 7 ? 1 : 0;
  t0.Vertices = {0, 1, 2};
  t0.Normals = {0, 0, 0};
  t0.Colours = {0, 1, 2};
  t0.TexCoords = {{{0, 1}, {1, 1}, {0, 0}}, {{0.5f, 0.5f}, {0.25f, 0.25f}, {0, 0}}};
  TriFace t1 = t0;
  t1.Vertices = {2, 1, 3};
  t1.Normals = {0, 0, 0};
  t1.Colours = {2, 1, 0};
  t1.TexCoords = {{{0, 0}, {1, 1}, {1, 0}}, {{0, 0}, {0.25f, 0.25f}, {1, 1}}};
  panel.Faces = {t0, t1};

  CTriObject tab;
  tab.Name = "TAB";
  tab.Parent = version >= 3 ? "PANEL" : "Undefined";
  tab.KeyFlag = 1;
  tab.PositionsFlag = 1;
  tab.Bounds = TriBounds{{0, 0, 0, 0.5f, 0.5f, 0, 0, 0, 0.2f, 0.2f, 0, 0.4f}};
  if (version > 2) tab.PhysVertexGroups = {{{"PANEL", -1, {1, 2, 3, 4}}, {"NOWHERE", -1, {0, 0, 0, 0}}}};
  tab.VertexFrames = {{{0, 0, 0}, {0.5f, 0, 0}, {0, 0.5f, 0}}};
  tab.NormalFrames = {{{0, 0, 1}}};
  tab.ColourFrames = {};
  TriFace f;
  f.Flags = 0;
  f.Material = 1;
  f.Vertices = {0, 1, 2};
  f.Normals = {0};
  tab.Faces = {f};
  s.Objects = {panel, tab};
  return s;
}

}  // namespace model_fixture
