// The record from which the game's factory builds one world object: filled
// by the level loader from a game-object record of the environment file, or
// by game code.  The world-object base reads its identity, placement, visual
// and light fields; the rest are the factory's to interpret.
#pragma once

#include <bitset>
#include <cstdint>
#include <vector>

#include "render/geometry/vector3.h"
#include "world/environment/render_info_block.h"

class CEnvInstance;
class CEnvObject;

// A part hung on a connector of the object's visual.
struct HLOAttachment {
  char connector[256];  // connector name, upper case
  int loadKind;         // how to load the part's template when it is missing
  char objectName[128]; // the part's template name, upper case
};

// A link to a further stats entry.
struct HLOStatsLink {
  char name[35];
  int values[2];
};

struct HLOSpawnRecord {
  static constexpr int kMaxAttachments = 256;
  static constexpr int kMaxStatsLinks = 25;
  static constexpr int kMarkCount = 600;
  static constexpr int kMaxLights = 6;
  static constexpr int kBoundCount = 8;

  // Identity and placement, read by the world-object base.
  std::int32_t id = 0;  // -1: none yet (the object manager hands one out)
  CVector3 position{};
  CVector3 rotation{};  // degrees
  char templateName[128] = {};
  CEnvObject* templ = nullptr;           // null: load by name
  std::int32_t templateKind = 0;         // -1 (all bits): the template's own type
  CEnvInstance* groundInstance = nullptr; // null: search below the object
  char textureName[128] = {};            // empty: no override texture
  std::uint8_t side = 0;
  std::int8_t orderKey = 0;
  std::uint8_t thirdByte = 0;            // never negative
  char objectName[128] = {};             // the object's own name, for messages
  std::int32_t kind = 0;                 // HLOKind
  std::uint32_t objectFlags = 0;         // world-object flag word
  std::int32_t noShadow = 0;             // nonzero: the visual casts no queued shadow
  std::uint32_t instanceFlags = 0;       // ORed into the visual's instance flags
  std::int32_t takesGroundLights = 0;    // nonzero: copy the ground instance's lights
  std::int32_t lightCount = 0;           // at most kMaxLights
  std::uint8_t lights[kMaxLights] = {};
  RenderInfoBlock renderInfo;            // texture replacements of the visual

  // The factory's fields.
  char statsName[35] = {};
  std::int32_t statsTable = 0;
  std::int32_t value = 0;
  std::int32_t secondValue = 0;
  float bounds[kBoundCount] = {};
  std::int32_t behaviourMode = 0;
  std::int32_t secondMode = 0;
  std::int32_t thirdMode = 0;
  std::int32_t linkedIds[2] = {};
  std::int32_t furtherId = 0;
  char behaviourName[128] = {};
  std::uint32_t behaviourMask = 0;
  float behaviourValues[6] = {};  // announced by mask bits 0x1, 0x2, 0x4, 0x8, 0x10, 0x20
  std::int32_t maskInt = 0;       // mask bit 0x40
  float maskReal = 0.0f;          // mask bit 0x40, from version 26
  std::int32_t shapeKind = -1;    // mask bit 0x100; -1 without a shape
  float shapeValues[8] = {};
  float twoReals[2] = {};
  float scaleFactors[2] = {};
  CVector3 points[2] = {};
  std::int32_t pointNumber = 0;
  std::bitset<kMarkCount> marks;
  std::vector<HLOStatsLink> statsLinks;
  std::vector<HLOAttachment> attachments;

  // Clears the record to its defaults: everything zero, then the eight
  // bounds -1000, the behaviour modes 2, 3 and 3, the object id, both linked
  // ids and the further id -1, and both scale factors 1.
  void Init();
};
