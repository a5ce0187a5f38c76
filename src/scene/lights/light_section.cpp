#include "scene/lights/light_section.h"

#include <cstdio>
#include <cstring>

#include "world/environment/env_text_cursor.h"

namespace {

// Words of the file are limited to what the level format has ever held.
constexpr std::size_t kWordSize = 128;

// A real as the scanner reads it: fixed notation (no exponent), trailing
// zeros dropped.
void AppendReal(std::string* out, float v) {
  char text[96];
  std::snprintf(text, sizeof text, " %.9f", static_cast<double>(v));
  std::string t = text;
  if (t.find('.') != std::string::npos) {
    while (t.back() == '0') t.pop_back();
    if (t.back() == '.') t.pop_back();
  }
  if (t == " -0") t = " 0";
  *out += t;
}

void AppendReals(std::string* out, const float* v, int n) {
  for (int k = 0; k < n; ++k) AppendReal(out, v[k]);
}

void AppendInt(std::string* out, long v) {
  char text[32];
  std::snprintf(text, sizeof text, " %ld", v);
  *out += text;
}

}  // namespace

const char* LightFileRecord::Keyword() const {
  switch (Type) {
    case D3DLIGHT_DIRECTIONAL: return "DLGT";
    case D3DLIGHT_SPOT: return "SLGT";
    default: return "PLGT";
  }
}

bool LightFileRecord::Load(EnvTextCursor& in, int version) {
  char word[kWordSize];
  if (!in.Int(&Index)) return false;
  if (version < kLightVersionNames) {
    const char* base = Type == D3DLIGHT_DIRECTIONAL ? "DirLight" : Type == D3DLIGHT_SPOT ? "SpotLight" : "PointLight";
    Name = base + std::to_string(Index);
  } else {
    if (!in.Word(word)) return false;
    Name = word;
  }
  if (version >= kLightVersionFlags) {
    int flags = 0;
    if (!in.Int(&flags)) return false;
    Flags = static_cast<std::uint32_t>(flags);
  }
  if (!in.Reals(Diffuse, 4) || !in.Reals(Ambient, 4) || !in.Reals(Position, 3)) return false;
  if (Type == D3DLIGHT_POINT) {
    if (!in.Real(&Range)) return false;
  } else {
    if (!in.Reals(Angles, 3)) return false;
  }
  if (Type == D3DLIGHT_SPOT) {
    if (!in.Real(&Inner) || !in.Real(&Outer)) return false;
    if (version >= kLightVersionSpotRange && !in.Real(&Range)) return false;
  }
  if ((Flags & 0x0400) && (!in.Real(&WindowStart) || !in.Real(&WindowEnd))) return false;
  if (Flags & 0x0800) {
    if (!in.Int(&Chain) || !in.Token(word)) return false;
    InstanceName = word;
  }
  if (version < kLightVersionFlags) {
    if (!in.Int(&FlareSwitch) || !in.Real(&FlareSize)) return false;
    if (FlareSwitch != 0) Flags |= 0x0010;
  } else {
    if (!in.Real(&FlareSize)) return false;
  }
  if (version >= kLightVersionGlow) {
    if (!in.Token(word)) return false;
    Glow = word;
  }
  if (version >= kLightVersionAttenuation) {
    if (!in.Reals(Attenuation, 3)) return false;
    HasAttenuation = true;
  }
  return true;
}

void LightFileRecord::Save(std::string* out, int version) const {
  *out += Keyword();
  AppendInt(out, Index);
  if (version >= kLightVersionNames) *out += " \"" + Name + "\"";
  if (version >= kLightVersionFlags) AppendInt(out, static_cast<long>(Flags));
  AppendReals(out, Diffuse, 4);
  AppendReals(out, Ambient, 4);
  AppendReals(out, Position, 3);
  if (Type == D3DLIGHT_POINT)
    AppendReals(out, &Range, 1);
  else
    AppendReals(out, Angles, 3);
  if (Type == D3DLIGHT_SPOT) {
    AppendReals(out, &Inner, 1);
    AppendReals(out, &Outer, 1);
    if (version >= kLightVersionSpotRange) AppendReals(out, &Range, 1);
  }
  if (Flags & 0x0400) {
    AppendReals(out, &WindowStart, 1);
    AppendReals(out, &WindowEnd, 1);
  }
  if (Flags & 0x0800) {
    AppendInt(out, Chain);
    *out += " " + InstanceName;
  }
  if (version < kLightVersionFlags) AppendInt(out, (Flags & 0x0010) ? 1 : FlareSwitch);
  AppendReals(out, &FlareSize, 1);
  if (version >= kLightVersionGlow) *out += " " + Glow;
  if (version >= kLightVersionAttenuation) AppendReals(out, Attenuation, 3);
  *out += "\n";
}

bool ReadLightRecords(EnvTextCursor& cursor, int version, std::vector<LightFileRecord>* out, int* line) {
  char word[kWordSize];
  for (;;) {
    if (!cursor.Token(word)) {
      *line = cursor.Line();
      return false;  // the text ended before "ENDL"
    }
    if (std::strcmp(word, "ENDL") == 0) return true;
    LightFileRecord record;
    if (std::strcmp(word, "DLGT") == 0)
      record.Type = D3DLIGHT_DIRECTIONAL;
    else if (std::strcmp(word, "SLGT") == 0)
      record.Type = D3DLIGHT_SPOT;
    else if (std::strcmp(word, "PLGT") == 0)
      record.Type = D3DLIGHT_POINT;
    else
      continue;
    const int start = cursor.Line();
    if (!record.Load(cursor, version)) {
      *line = start;
      return false;
    }
    out->push_back(std::move(record));
  }
}

void WriteLightSection(std::string* out, const std::vector<LightFileRecord>& records, int version) {
  for (const LightFileRecord& r : records) r.Save(out, version);
  *out += "ENDL\n";
}
