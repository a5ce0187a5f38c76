// Applying the level file's light records to the light table.
#include <algorithm>

#include "foundation/system/message_box.h"
#include "scene/lights/light_section.h"
#include "scene/lights/light_table.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"

namespace {

CColour ColourOf(const float v[4]) {
  CColour c;
  c.r = v[0];
  c.g = v[1];
  c.b = v[2];
  c.a = v[3];
  return c;
}

}  // namespace

bool CLightTable::ReadLightSection(EnvTextCursor& cursor, int version) {
  Version = version;
  std::vector<LightFileRecord> records;
  int line = 0;
  const bool whole = ReadLightRecords(cursor, version, &records, &line);
  for (const LightFileRecord& f : records) {
    // A record may name a table index or 255 (the first free record); any
    // other index would lie outside the table.
    if (f.Index != kNoLight && (f.Index < 0 || f.Index >= Capacity)) {
      WarningBox("Light \"%s\" has index %d, outside the light table (0 to %d): left out", f.Name.c_str(), f.Index,
                 Capacity - 1);
      continue;
    }
    const CVector3 position{f.Position[0], f.Position[1], f.Position[2]};
    const CVector3 angles{f.Angles[0], f.Angles[1], f.Angles[2]};
    int i = -1;
    switch (f.Type) {
      case D3DLIGHT_DIRECTIONAL:
        i = CreateDirectionalLight(position, angles, ColourOf(f.Diffuse), ColourOf(f.Ambient), f.Name.c_str(),
                                   f.Index);
        break;
      case D3DLIGHT_SPOT:
        i = CreateSpotLight(position, angles, ColourOf(f.Diffuse), ColourOf(f.Ambient), f.Inner, f.Outer, f.Range,
                            f.Name.c_str(), f.Index);
        break;
      default:
        i = CreatePointLight(position, ColourOf(f.Diffuse), ColourOf(f.Ambient), f.Range, f.Name.c_str(), f.Index);
        break;
    }
    if (i < 0) {
      WarningBox("Light \"%s\": the light table is full: left out", f.Name.c_str());
      continue;
    }
    LightRecord& r = m_Records[i];
    r.Flags |= f.Flags & kLightFileFlagMask;
    r.WindowStart = f.WindowStart;
    r.WindowEnd = f.WindowEnd;
    r.FlareSize = f.FlareSize;
    if (version >= kLightVersionGlow && !FindGlowSprite(f.Glow.c_str(), &r.GlowSprite))
      InfoBox("Unable to find the matching spriteId for light glow\nSetting to default");
    if (f.HasAttenuation) SetAttenuation(i, f.Attenuation[0], f.Attenuation[1], f.Attenuation[2]);
    // The integer before an attached light's instance name is its kind chain.
    if (f.Flags & kLightAttached) {
      Unchain(i);
      Chain(i, f.Chain);
      CEnvInstance* instance =
          g_Environment != nullptr ? g_Environment->FindInstanceByName(f.InstanceName.c_str()) : nullptr;
      r.Flags &= ~kLightAttached;
      if (instance != nullptr) {
        r.Instance = instance;
        r.Flags |= kLightAttached;
      }
    }
    PlaceAttached(r);
    ApplyColours(i);  // negation flags, and the light to the device
  }
  if (!whole) WarningBox("Damaged light section at line %d", line);
  return whole;
}
