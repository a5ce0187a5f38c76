#include "world/environment/env_file_writer.h"

#include <cstdarg>
#include <cstdio>

#include "world/sky/sky_section.h"

namespace {

constexpr std::uint32_t kFlagDamage = 0x400000;
constexpr std::uint32_t kFlagRenderInfo = 0x1000000;

void Put(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Put(std::string& out, const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  out += buffer;
}

void PutVector(std::string& out, const CVector3& v) { Put(out, "%f %f %f ", v.x, v.y, v.z); }

void PutList(std::string& out, const std::vector<int>& values) {
  Put(out, "%d", static_cast<int>(values.size()));
  for (int v : values) Put(out, " %d", v);
  out += " ";
}

// A block whose flag word is 0 writes nothing; a record whose flag announces
// a block still needs one.
void PutRenderInfo(std::string& out, const RenderInfoBlock& block) {
  if (block.flags == 0) {
    out += "RINFO 0 ";
    return;
  }
  EnvFileWriteRenderInfo(block, out);
  out += " ";
}

}  // namespace

void EnvFileWriteInstance(std::string& out, const EnvFileInstanceSource& s) {
  Put(out, "%s %d %d \"%s\" \"%s\" %d \"%s\" \"%s\" ", s.keyword.c_str(), static_cast<int>(s.flags), s.id,
      s.name.c_str(), s.parent.c_str(), s.loadKind, s.object.c_str(), s.texture.c_str());
  PutVector(out, s.position);
  PutVector(out, s.rotation);
  PutVector(out, s.scale);
  Put(out, "%d %d ", s.smallValues[0], s.smallValues[1]);
  if (s.flags & kFlagDamage)
    Put(out, "%f %d \"%s\" %f %f %d %d %d ", s.damageStrength, s.damageKind, s.damageDebris.c_str(),
        s.damageValues[0], s.damageValues[1], s.damageInts[0], s.damageInts[1], s.damageInts[2]);
  PutList(out, s.lights);
  Put(out, "%d ", s.garden);
  if (s.flags & kFlagRenderInfo) PutRenderInfo(out, s.renderInfo);
  if (s.keyword == "ANMI") Put(out, "\"%s\" ", s.trailing.c_str());
  if (s.keyword == "VAMI") Put(out, "%s ", s.trailing.empty() ? "0" : s.trailing.c_str());
  out += "\r\n";
}

void EnvFileWriteObject(std::string& out, const EnvFileObjectSource& s) {
  Put(out, "HLO %d \"%s\" \"%s\" \"%s\" ", static_cast<int>(s.flags), s.name.c_str(), s.parent.c_str(),
      s.texture.c_str());
  PutVector(out, s.position);
  PutVector(out, s.rotation);
  Put(out, "%d %d %d %s %d %d ignored %d %d\r\n", s.side, s.secondByte, s.thirdByte, s.statsName.c_str(),
      s.statsTable, s.id, s.value, s.startsActive);
  Put(out, "%d %d %d %d 0 0 %d\r\n", s.switchA, s.switchB, s.secondValue, s.row18, s.switchC);
  // Behaviour block: five bounds and a mode, the sixth bound and a mode, a
  // mode, an ignored int, two linked ids (stored reversed), a name, an empty
  // mask, the marks.
  Put(out, "%f %f %f %f %f %d %f %d %d 0 %d %d \"%s\" 0 ", s.bounds[0], s.bounds[1], s.bounds[2], s.bounds[3],
      s.bounds[4], s.modes[0], s.bounds[5], s.modes[1], s.modes[2], s.linkedIds[1], s.linkedIds[0],
      s.behaviourName.c_str());
  PutList(out, s.marks);
  out += "\r\n";
  Put(out, "%f %f 0\r\n", s.twoReals[0], s.twoReals[1]);
  // The reader stores the second scale factor read as the first.
  Put(out, "%d %f %f ", s.furtherId, s.scaleFactors[1], s.scaleFactors[0]);
  PutVector(out, s.points[0]);
  PutVector(out, s.points[1]);
  Put(out, "%d %d ", s.pointNumber, s.takesGroundLights);
  PutList(out, s.lights);
  out += "\r\n";
  Put(out, "%d", static_cast<int>(s.attachments.size()));
  for (const EnvFileAttachmentSource& a : s.attachments)
    Put(out, " \"%s\" %d \"%s\"", a.connector.c_str(), a.loadKind, a.object.c_str());
  out += "\r\n";
  if (s.flags & kFlagRenderInfo) {
    PutRenderInfo(out, s.renderInfo);
    out += "\r\n";
  }
}

void EnvFileWritePortal(std::string& out, const EnvFilePortalSource& s) {
  Put(out, "PORTAL \"%s\" %d \"%s\" \"%s\" 0 0 %f %f %f %f %d\r\n", s.name.c_str(), s.number, s.owner.c_str(),
      s.target.c_str(), s.plane[0], s.plane[1], s.plane[2], s.plane[3], static_cast<int>(s.points.size()));
  for (const CVector3& p : s.points) PutVector(out, p);
  out += "\r\n";
  PutVector(out, s.sphereCentre);
  Put(out, "%f %d %d\r\n", s.sphereRadius, s.distanceLimited, s.expand);
}

void EnvFileWriteWaypoints(std::string& out, const std::vector<EnvFileWaypointSource>& waypoints) {
  int index = 0;
  for (const EnvFileWaypointSource& w : waypoints) {
    Put(out, "NEWENVWAYPT %d 0 \"%s\" ", index++, w.name.c_str());
    PutVector(out, w.position);
    PutVector(out, w.lookPoint);
    Put(out, "%d %d\r\n", w.tag, w.next);
  }
  out += "ENDWAYPTS\r\n";
}

std::string EnvFileEmptySection(EnvSectionId id) {
  switch (id) {
    case ENVSECTION_LIGHTS: return "ENDL\r\n";
    case ENVSECTION_SOUNDS: return "ENDENVS\r\n";
    case ENVSECTION_WAYPOINTS: return "ENDWAYPTS\r\n";
    case ENVSECTION_ROUTE_MARKERS: return "ENDMARKERS\r\n";
    case ENVSECTION_REGIONS: return "0\r\nENDREGIONS\r\n";
    case ENVSECTION_SWITCHES: return "NUMSWITCHES 0\r\n";
    case ENVSECTION_SKY: return WriteSkySection(DefaultSkySettings());
    case ENVSECTION_GLASS: return "<GLAZIER>\r\n</GLAZIER>\r\n";
    case ENVSECTION_EMITTERS: return "<EMIT>\r\n</EMIT> \r\n";
    case ENVSECTION_SHRUBBERY: return "GARDENS 0 0\r\nENDGARDEN END\r\n";
    case ENVSECTION_TRACER_BATTERIES: return "TRACERBATTERIES 0\r\n";
    case ENVSECTION_MOVIE_CAMERAS: return "ENDC\r\n";
    default: return "";
  }
}

std::string EnvFileWrite(const EnvFileSource& source) {
  std::string out;
  Put(out, "Version 72\r\n\"%s\"\r\n%d\r\n%u\r\n", source.caption.c_str(), source.progressTotal,
      static_cast<unsigned>(source.levelFlags));
  for (const EnvFileInstanceSource& i : source.instances) EnvFileWriteInstance(out, i);
  out += "ENDI\r\n";
  for (const EnvFileObjectSource& o : source.objects) EnvFileWriteObject(out, o);
  out += "HLOX\r\n";
  for (const EnvFilePortalSource& p : source.portals) EnvFileWritePortal(out, p);
  out += "ENDP\r\n";
  auto section = [&](EnvSectionId id) {
    const std::string& text = source.sections[id];
    if (!text.empty()) {
      out += text;
      if (text.back() != '\n') out += "\r\n";
    } else if (id == ENVSECTION_WAYPOINTS) {
      EnvFileWriteWaypoints(out, source.waypoints);
    } else {
      out += EnvFileEmptySection(id);
    }
  };
  section(ENVSECTION_LIGHTS);
  section(ENVSECTION_SOUNDS);
  section(ENVSECTION_WAYPOINTS);
  if ((source.levelFlags & 2) == 0) section(ENVSECTION_ROUTE_MARKERS);
  for (EnvSectionId id : {ENVSECTION_REGIONS, ENVSECTION_SWITCHES, ENVSECTION_SKY, ENVSECTION_GLASS,
                          ENVSECTION_EMITTERS, ENVSECTION_SHRUBBERY, ENVSECTION_TRACER_BATTERIES,
                          ENVSECTION_MOVIE_CAMERAS})
    section(id);
  return out;
}
