// Writer of the environment file in its current version (72): the header,
// the instance, game-object and portal lists, and the sections of the other
// modules, each either given as text (written as it stands) or written in its
// empty form.  Used by the level tool, and by tests and benchmarks that need
// level files.  Texts use "\r\n" line ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/geometry/vector3.h"
#include "world/environment/env_file_sections.h"
#include "world/environment/render_info_block.h"

// One instance record.  keyword "ANMI" writes `trailing` as a word after the
// record, "VAMI" as a real; any other keyword writes none.
struct EnvFileInstanceSource {
  std::string keyword = "INST";
  std::uint32_t flags = 0;
  std::int32_t id = 0;
  std::string name;
  std::string parent = "Root";
  std::int32_t loadKind = -1;
  std::string object;
  std::string texture = "NOTEXTURE";
  CVector3 position{};
  CVector3 rotation{};
  CVector3 scale{1.0f, 1.0f, 1.0f};
  std::int32_t smallValues[2] = {0, 0};
  // Written when flags has 0x400000: strength, kind, debris ("" none), two
  // values, a byte value and two ints.
  float damageStrength = 0.0f;
  std::int32_t damageKind = 0;
  std::string damageDebris;
  float damageValues[2] = {0.0f, 0.0f};
  std::int32_t damageInts[3] = {255, -1, -1};
  std::vector<int> lights;
  std::int32_t garden = -1;
  // Written when flags has 0x1000000.
  RenderInfoBlock renderInfo;
  std::string trailing;
};

// One attachment of a game object: a connector name, a load kind, a template.
struct EnvFileAttachmentSource {
  std::string connector;
  std::int32_t loadKind = -1;
  std::string object;
};

// One game-object record (the values of a version-72 record, row by row).
struct EnvFileObjectSource {
  std::uint32_t flags = 0;
  std::string name;  // template and object name
  std::string parent = "Root";
  std::string texture = "NOTEXTURE";
  CVector3 position{};
  CVector3 rotation{};
  std::int32_t side = 0;
  std::int32_t secondByte = 0;
  std::int32_t thirdByte = 0;
  std::string statsName = "\"\"";  // written as it stands: "\"\"" for none
  std::int32_t statsTable = 0;
  std::int32_t id = -1;
  std::int32_t value = 0;
  std::int32_t startsActive = 1;
  std::int32_t switchA = 0;
  std::int32_t switchB = 0;
  std::int32_t secondValue = 0;
  std::int32_t row18 = 1;
  std::int32_t switchC = 0;
  float bounds[6] = {-1000.0f, -1000.0f, -1000.0f, -1000.0f, -1000.0f, -1000.0f};
  std::int32_t modes[3] = {2, 3, 3};
  std::int32_t linkedIds[2] = {-1, -1};
  std::string behaviourName = "NONE";
  std::vector<int> marks;
  float twoReals[2] = {0.0f, 0.0f};
  std::int32_t furtherId = -1;
  float scaleFactors[2] = {1.0f, 1.0f};
  CVector3 points[2] = {{0.0f, 100.0f, -400.0f}, {0.0f, 100.0f, 100.0f}};
  std::int32_t pointNumber = 1;
  std::int32_t takesGroundLights = 1;
  std::vector<int> lights;
  std::vector<EnvFileAttachmentSource> attachments;
  RenderInfoBlock renderInfo;  // written when flags has 0x1000000
};

// One portal record.
struct EnvFilePortalSource {
  std::string name;
  std::int32_t number = -1;
  std::string owner;
  std::string target;
  float plane[4] = {0.0f, 0.0f, 1.0f, 0.0f};
  std::vector<CVector3> points;
  CVector3 sphereCentre{};
  float sphereRadius = 0.0f;
  std::int32_t distanceLimited = 0;
  std::int32_t expand = 1;
};

// One waypoint of the waypoint section.
struct EnvFileWaypointSource {
  std::string name;
  CVector3 position{};
  CVector3 lookPoint{};
  std::int32_t tag = 0;
  std::int32_t next = -1;
};

struct EnvFileSource {
  std::string caption = "Loading";
  std::int32_t progressTotal = 0;
  std::uint32_t levelFlags = 0;
  std::vector<EnvFileInstanceSource> instances;
  std::vector<EnvFileObjectSource> objects;
  std::vector<EnvFilePortalSource> portals;
  std::vector<EnvFileWaypointSource> waypoints;  // written when the waypoint section's text is empty
  // A section's text written as it stands; empty writes the empty section.
  std::string sections[ENVSECTION_COUNT];
};

void EnvFileWriteInstance(std::string& out, const EnvFileInstanceSource& instance);
void EnvFileWriteObject(std::string& out, const EnvFileObjectSource& object);
void EnvFileWritePortal(std::string& out, const EnvFilePortalSource& portal);
void EnvFileWriteWaypoints(std::string& out, const std::vector<EnvFileWaypointSource>& waypoints);
// The text of a section with nothing in it, in a version-72 file (the sky
// section: a clear sky with default fog and colours).
std::string EnvFileEmptySection(EnvSectionId id);
// The whole file, version 72.
std::string EnvFileWrite(const EnvFileSource& source);
