#include "world/glass/glass_pane.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "foundation/system/debug_output.h"
#include "render/colour/colour.h"
#include "render/geometry/geometry_ops.h"
#include "render/geometry/render_vertex.h"
#include "render/textures/material_list.h"
#include "render/textures/text_compare.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/mesh_pools.h"
#include "scene/mesh/vertex_buffer.h"
#include "world/environment/env_text_cursor.h"

using geom::operator+;
using geom::operator-;
using geom::operator*;

namespace {

constexpr int kWordSize = 128;
// Texture flags of a pane's reflection texture (mip-mapped).
constexpr std::uint32_t kReflectionTextureFlags = 1;

bool Is(const char* word, const char* expected) { return std::strcmp(word, expected) == 0; }

bool Fail(EnvTextCursor& text, const char* what) {
  DebugTrace("Environment file: glass pane stops at line %d (%s)\n", text.Line(), what);
  return false;
}

void Append(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string* out, const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  *out += buffer;
}

}  // namespace

GlassPane::~GlassPane() { FreeMesh(); }

void GlassPane::Blank() {
  FreeMesh();
  State = GLASS_EMPTY;
  ReflectionAmount = 0.0f;
  for (float& c : Colour) c = 1.0f;
  for (float& c : MaterialColour) c = 1.0f;
  MaterialPower = 0.0f;
  Material = nullptr;
  Splits[0] = Splits[1] = 0;
  Thickness = 0.0f;
  Outline = GlassOutline{};
  EffectCount = 0;
  std::memset(Effects, 0, sizeof Effects);
  Centre = CVector3{};
  PushSpeed[0] = PushSpeed[1] = 0.0f;
  FloorHeight[0] = FloorHeight[1] = 0.0f;
  ReflectionName.clear();
  ReflectionTexture = nullptr;
  ReflectionStrength = kGlassDefaultReflectStrength;
}

bool GlassPane::ReadText(EnvTextCursor& text, int version, const GlassModules& modules) {
  Blank();
  float argb[4];
  if (!text.Reals(argb, 4)) return Fail(text, "colour");
  Colour[0] = argb[1], Colour[1] = argb[2], Colour[2] = argb[3], Colour[3] = argb[0];
  if (!text.Reals(MaterialColour, 3) || !text.Real(&MaterialPower)) return Fail(text, "material");
  if (!text.Int(&Splits[0]) || !text.Int(&Splits[1])) return Fail(text, "split counts");
  if (!text.Reals(FloorHeight, 2)) return Fail(text, "floor heights");
  if (!text.Reals(PushSpeed, 2)) return Fail(text, "push speeds");
  if (!text.Real(&Thickness)) return Fail(text, "thickness");
  if (!text.Reals(Outline.Plane, 4)) return Fail(text, "plane");
  int n = 0;
  if (!text.Int(&n)) return Fail(text, "point count");
  if (n < 3 || n > kGlassMaxPoints) {
    Blank();
    return Fail(text, "an outline has 3 to 32 points");
  }
  for (int i = 0; i < n; ++i) {
    if (!text.Reals(&Outline.Points[i].x, 3)) {
      Blank();
      return Fail(text, "outline point");
    }
  }
  Outline.Count = n;
  int m = 0;
  if (!text.Int(&m) || m < 0 || m > kGlassMaxEffects) {
    Blank();
    return Fail(text, "an effect list has 0 to 8 entries");
  }
  for (int i = 0; i < m; ++i) {
    int value = 0;
    if (!text.Int(&value)) {
      Blank();
      return Fail(text, "effect list");
    }
    Effects[i] = static_cast<std::uint8_t>(value);
  }
  EffectCount = m;
  if (version >= kGlassVersionReflection) {
    char word[kWordSize];
    if (!text.Real(&ReflectionAmount) || !text.Word(word)) {
      Blank();
      return Fail(text, "reflection");
    }
    if (!TextEqualNoCase(word, "NOTEXTURE")) ReflectionName = word;
  }
  char word[kWordSize];
  if (!text.Token(word) || !Is(word, "</PANE>")) {
    Blank();
    return Fail(text, "\"</PANE>\" expected");
  }
  if (!PlaneFromPoints()) {
    Blank();
    return Fail(text, "the first three points lie on a line");
  }

  // What the pane needs from the engine: its material and its reflection.
  if (modules.Materials != nullptr) {
    const float colour[4] = {MaterialColour[0], MaterialColour[1], MaterialColour[2], 1.0f};
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    Material = modules.Materials->FindOrAdd(colour, colour, MaterialPower, black);
  }
  if (!ReflectionName.empty() && modules.EnvironmentMaps && modules.Textures != nullptr)
    ReflectionTexture = modules.Textures->GetTexture(ReflectionName.c_str(), kReflectionTextureFlags);

  CVector3 sum{};
  for (int i = 0; i < n; ++i) sum = sum + Outline.Points[i];
  Centre = sum * (1.0f / static_cast<float>(n));
  BuildMesh();
  State = GLASS_INTACT;
  return true;
}

void GlassPane::WriteText(std::string* out, int version) const {
  *out += "<PANE> ";
  Append(out, "%f %f %f %f ", Colour[3], Colour[0], Colour[1], Colour[2]);
  Append(out, "%f %f %f ", MaterialColour[0], MaterialColour[1], MaterialColour[2]);
  Append(out, "%f ", MaterialPower);
  Append(out, "%d %d ", Splits[0], Splits[1]);
  Append(out, "%f %f ", FloorHeight[0], FloorHeight[1]);
  Append(out, "%f %f ", PushSpeed[0], PushSpeed[1]);
  Append(out, "%f ", Thickness);
  Append(out, "%f %f %f %f ", Outline.Plane[0], Outline.Plane[1], Outline.Plane[2], Outline.Plane[3]);
  Append(out, "%d ", Outline.Count);
  for (int i = 0; i < Outline.Count; ++i)
    Append(out, "%f %f %f ", Outline.Points[i].x, Outline.Points[i].y, Outline.Points[i].z);
  Append(out, "%d ", EffectCount);
  for (int i = 0; i < EffectCount; ++i) Append(out, "%d ", Effects[i]);
  if (version >= kGlassVersionReflection) {
    Append(out, "%f ", ReflectionAmount);
    Append(out, "\"%s\" ", ReflectionName.empty() ? "NOTEXTURE" : ReflectionName.c_str());
  }
  *out += "</PANE> \r\n";
}

bool GlassPane::PlaneFromPoints() {
  if (Outline.Count < 3) return false;
  const CVector3& a = Outline.Points[0];
  const CVector3 n = geom::Cross(Outline.Points[1] - a, Outline.Points[2] - a);
  const float length = geom::Length(n);
  if (!(length > 0.0f) || !std::isfinite(length)) return false;
  const CVector3 unit = n * (1.0f / length);
  Outline.Plane[0] = unit.x;
  Outline.Plane[1] = unit.y;
  Outline.Plane[2] = unit.z;
  Outline.Plane[3] = -geom::Dot(unit, a);
  return true;
}

std::uint32_t GlassPane::ColourWord() const {
  CColour c;
  c.r = Colour[0], c.g = Colour[1], c.b = Colour[2], c.a = Colour[3];
  return c.ToARGB();
}

bool GlassPane::BuildMesh() {
  FreeMesh();
  const int n = Outline.Count;
  if (n < 3) return false;
  Mesh = VertexBufferPool().Construct();
  if (Mesh == nullptr) return false;
  const CVector3 normal = geom::Normal(Outline.Plane);
  const CVector3 offset = normal * Thickness;
  const std::uint32_t colour = ColourWord();
  // Front vertices 0..n-1, back ones n..2n-1 (indices as the builder answers
  // them: a repeated point welds into one vertex).
  int index[2 * kGlassMaxPoints];
  for (int side = 0; side < 2; ++side) {
    const CVector3 nv = side == 0 ? normal : -normal;
    for (int i = 0; i < n; ++i) {
      const CVector3 p = side == 0 ? Outline.Points[i] : Outline.Points[i] + offset;
      const RenderVertex v{p.x, p.y, p.z, nv.x, nv.y, nv.z, colour, 0.0f, 0.0f};
      index[side * n + i] = Mesh->AddVertex(v);
    }
  }
  for (int i = 2; i < n; ++i) {
    const int front[3] = {index[0], index[i - 1], index[i]};
    const int back[3] = {index[n], index[n + i], index[n + i - 1]};
    for (int k : front) Mesh->PushIndex(static_cast<std::uint16_t>(k));
    for (int k : back) Mesh->PushIndex(static_cast<std::uint16_t>(k));
  }
  Mesh->Material = Material;
  Mesh->MaterialId = Material != nullptr ? Material->Id : 0;
  Mesh->Flags |= MESHPART_ALWAYS_QUEUED;
  if (!Mesh->Finish(false)) {
    FreeMesh();
    return false;
  }
  return true;
}

void GlassPane::FreeMesh() {
  if (Mesh == nullptr) return;
  Mesh->Free();
  VertexBufferPool().Free(Mesh);
  Mesh = nullptr;
}
