// Glass sections for the tests, written through the pane record's own
// writer: a pane is described by its outline and settings, and a section of
// such panes is the text a level file holds.
#pragma once

#include <string>
#include <vector>

#include "render/geometry/vector3.h"
#include "world/glass/glass_pane.h"

namespace glass_fixture {

struct PaneShape {
  std::vector<CVector3> points;
  float thickness = 2.0f;
  int splits[2] = {0, 0};
  float push[2] = {150.0f, 120.0f};   // front, back
  float floor[2] = {0.0f, -50.0f};    // front, back
  float colour[4] = {0.5f, 0.75f, 1.0f, 0.25f};
  float material[3] = {0.25f, 0.5f, 0.75f};
  float power = 12.0f;
  std::vector<int> effects;
  float amount = 0.5f;
  std::string reflection;  // empty: NOTEXTURE
};

// A 100 x 100 window in the plane z = 0, bottom edge at y = 100 (normal +z).
inline PaneShape Window() {
  PaneShape s;
  s.points = {{0, 100, 0}, {100, 100, 0}, {100, 200, 0}, {0, 200, 0}};
  return s;
}

// A triangle of the window's corners.
inline PaneShape Triangle() {
  PaneShape s;
  s.points = {{0, 100, 0}, {100, 100, 0}, {100, 200, 0}};
  return s;
}

inline std::string PaneText(const PaneShape& entry, int version = kGlassVersionCurrent) {
  GlassPane pane;
  for (int k = 0; k < 4; ++k) pane.Colour[k] = entry.colour[k];
  for (int k = 0; k < 3; ++k) pane.MaterialColour[k] = entry.material[k];
  pane.MaterialPower = entry.power;
  pane.Splits[0] = entry.splits[0];
  pane.Splits[1] = entry.splits[1];
  pane.FloorHeight[0] = entry.floor[0];
  pane.FloorHeight[1] = entry.floor[1];
  pane.PushSpeed[0] = entry.push[0];
  pane.PushSpeed[1] = entry.push[1];
  pane.Thickness = entry.thickness;
  pane.Outline.Count = static_cast<int>(entry.points.size());
  for (std::size_t i = 0; i < entry.points.size() && i < kGlassMaxPoints; ++i) pane.Outline.Points[i] = entry.points[i];
  pane.PlaneFromPoints();
  pane.EffectCount = static_cast<int>(entry.effects.size());
  for (std::size_t i = 0; i < entry.effects.size() && i < kGlassMaxEffects; ++i)
    pane.Effects[i] = static_cast<std::uint8_t>(entry.effects[i]);
  pane.ReflectionAmount = entry.amount;
  pane.ReflectionName = entry.reflection;
  std::string out;
  pane.WriteText(&out, version);
  return out;
}

inline std::string SectionText(const std::vector<PaneShape>& panes, int version = kGlassVersionCurrent) {
  std::string s = "<GLAZIER>\r\n";
  for (const PaneShape& p : panes) s += PaneText(p, version);
  return s + "</GLAZIER> \r\n";
}

}  // namespace glass_fixture
