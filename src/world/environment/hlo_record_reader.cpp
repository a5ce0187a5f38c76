#include "world/environment/hlo_record_reader.h"

#include <cctype>
#include <cstring>
#include <strings.h>

#include "foundation/system/debug_output.h"
#include "world/environment/env_text_cursor.h"

namespace {

// Versions from which the rows and parts of a record are present.
constexpr int kFlagsVersion = 10;
constexpr int kTextureVersion = 49;
constexpr int kSwitchPairVersion = 9;
constexpr int kRow18Version = 27;
constexpr int kRow19Version = 69;
constexpr int kBehaviourVersion = 19;
constexpr int kTwoRealsVersion = 20;
constexpr int kFurtherIdVersion = 45;
constexpr int kScaleVersion = 50;
constexpr int kPointsVersion = 23;
constexpr int kLastDoublePointsVersion = 62;
constexpr int kLightListVersion = 30;
constexpr int kNoMarkFlagVersion = 51;  // before it every object takes instance flag 0x200000

constexpr std::uint32_t kBreakableFlag = 0x400000;
constexpr std::uint32_t kOldFileFlag = 0x200000;
constexpr std::uint32_t kRenderInfoFlag = 0x1000000;

// Game-object flags built from the record's switch words.
constexpr std::uint32_t kStartsActive = 0x1;
constexpr std::uint32_t kSwitchA = 0x8;
constexpr std::uint32_t kSwitchB = 0x10;
constexpr std::uint32_t kSwitchC = 0x20;
constexpr std::uint32_t kRow18Flag = 0x200;

bool Fail(const EnvTextCursor& text, const char* what) {
  DebugTrace("Game-object list: %s at line %d\n", what, text.Line());
  return false;
}

void UpperCase(char* s) {
  for (; *s; ++s) *s = static_cast<char>(std::toupper(static_cast<unsigned char>(*s)));
}

// A count of a list that follows in the text: negative counts are damage.
bool ReadCount(EnvTextCursor& text, int* n, const char* what) {
  if (!text.Int(n)) return Fail(text, what);
  if (*n < 0) return Fail(text, "negative list count");
  return true;
}

// Behaviour block: bounds, modes, linked ids, a name, the values its mask
// announces, and the marks.
bool ReadBehaviour(EnvTextCursor& text, int version, HLOSpawnRecord& r) {
  if (!text.Reals(r.bounds, 5) || !text.Int(&r.behaviourMode)) return Fail(text, "behaviour block cut");
  if (version >= 25 && (!text.Real(&r.bounds[5]) || !text.Int(&r.secondMode))) return Fail(text, "behaviour block cut");
  if (version >= 36 && !text.Int(&r.thirdMode)) return Fail(text, "behaviour block cut");
  int ignored = 0;
  if (version >= 39 && !text.Int(&ignored)) return Fail(text, "behaviour block cut");
  if (version >= 42 && (!text.Int(&r.linkedIds[1]) || !text.Int(&r.linkedIds[0])))
    return Fail(text, "behaviour block cut");
  if (version >= 40) {
    if (!text.Word(r.behaviourName)) return Fail(text, "behaviour name cut or too long");
  } else {
    std::strcpy(r.behaviourName, "NONE");
  }
  int mask = 0;
  if (!text.Int(&mask)) return Fail(text, "behaviour mask cut");
  r.behaviourMask = static_cast<std::uint32_t>(mask);
  // The announced values, in file order: four reals, two bare flags
  // (0x400, 0x200), two more reals, then the int-and-real pair and the shape.
  static const std::uint32_t kRealBits[4] = {0x1, 0x2, 0x4, 0x8};
  for (int i = 0; i < 4; ++i)
    if ((r.behaviourMask & kRealBits[i]) && !text.Real(&r.behaviourValues[i])) return Fail(text, "behaviour value cut");
  if ((r.behaviourMask & 0x10) && !text.Real(&r.behaviourValues[4])) return Fail(text, "behaviour value cut");
  if ((r.behaviourMask & 0x20) && !text.Real(&r.behaviourValues[5])) return Fail(text, "behaviour value cut");
  if (r.behaviourMask & 0x40) {
    if (!text.Int(&r.maskInt) || (version >= 26 && !text.Real(&r.maskReal))) return Fail(text, "behaviour value cut");
  }
  if (r.behaviourMask & 0x100) {
    if (!text.Int(&r.shapeKind)) return Fail(text, "shape kind cut");
    int reals = 0;
    bool trailingInt = false;
    if (version >= 22) {
      reals = r.shapeKind == 0 ? 1 : r.shapeKind == 1 ? 4 : r.shapeKind == 2 ? 8 : 0;
    } else if (r.shapeKind == 2) {
      reals = 4;
      trailingInt = true;
    }
    if (!text.Reals(r.shapeValues, reals) || (trailingInt && !text.Int(&ignored))) return Fail(text, "shape values cut");
  }
  if (version >= 21 && version <= 35 && !text.Int(&r.thirdMode)) return Fail(text, "behaviour block cut");
  int marks = 0;
  if (!ReadCount(text, &marks, "mark count cut")) return false;
  int outside = 0;
  for (int i = 0; i < marks; ++i) {
    int index = 0;
    if (!text.Int(&index)) return Fail(text, "mark list cut");
    if (index >= 0 && index < HLOSpawnRecord::kMarkCount)
      r.marks.set(static_cast<std::size_t>(index));
    else
      ++outside;
  }
  if (outside > 0) DebugTrace("Game-object list: %d mark indices outside 0..599 skipped at line %d\n", outside, text.Line());
  return true;
}

bool ReadStatsLinks(EnvTextCursor& text, HLOSpawnRecord& r) {
  int n = 0;
  if (!ReadCount(text, &n, "stats link count cut")) return false;
  for (int i = 0; i < n; ++i) {
    char name[128];
    HLOStatsLink link{};
    if (!text.Word(name) || !text.Int(&link.values[0]) || !text.Int(&link.values[1]))
      return Fail(text, "stats link cut or name too long");
    std::strncpy(link.name, name, sizeof link.name - 1);
    if (static_cast<int>(r.statsLinks.size()) < HLOSpawnRecord::kMaxStatsLinks) r.statsLinks.push_back(link);
  }
  if (n > HLOSpawnRecord::kMaxStatsLinks)
    DebugTrace("Game-object list: %d stats links, only %d kept, at line %d\n", n, HLOSpawnRecord::kMaxStatsLinks, text.Line());
  return true;
}

bool ReadAttachments(EnvTextCursor& text, HLOSpawnRecord& r) {
  int n = 0;
  if (!ReadCount(text, &n, "attachment count cut")) return false;
  for (int i = 0; i < n; ++i) {
    HLOAttachment a{};
    if (!text.Word(a.connector) || !text.Int(&a.loadKind) || !text.Word(a.objectName))
      return Fail(text, "attachment cut or name too long");
    UpperCase(a.connector);
    UpperCase(a.objectName);
    if (static_cast<int>(r.attachments.size()) < HLOSpawnRecord::kMaxAttachments) r.attachments.push_back(a);
  }
  if (n > HLOSpawnRecord::kMaxAttachments)
    DebugTrace("Game-object list: %d attachments, only %d kept, at line %d\n", n, HLOSpawnRecord::kMaxAttachments, text.Line());
  return true;
}

}  // namespace

bool EnvFileReadHLORecord(EnvTextCursor& text, int version, HLOSpawnRecord& r, HLORecordExtras& extras) {
  r.Init();
  extras.parentName[0] = 0;
  int flags = 0;
  if (version >= kFlagsVersion && !text.Int(&flags)) return Fail(text, "flags cut");
  r.instanceFlags = static_cast<std::uint32_t>(flags) & ~kBreakableFlag;
  if (version < kNoMarkFlagVersion) r.instanceFlags |= kOldFileFlag;

  if (!text.Word(r.objectName) || !text.Word(extras.parentName)) return Fail(text, "name cut or too long");
  std::strcpy(r.templateName, r.objectName);
  if (version >= kTextureVersion) {
    if (!text.Word(r.textureName)) return Fail(text, "texture name cut or too long");
    if (strcasecmp(r.textureName, "NOTEXTURE") == 0) r.textureName[0] = 0;
  }
  if (!text.Reals(&r.position.x, 3) || !text.Reals(&r.rotation.x, 3)) return Fail(text, "placement cut");

  int side = 0, second = 0, third = 0;
  if (!text.Int(&side) || !text.Int(&second) || !text.Int(&third)) return Fail(text, "side cut");
  r.side = static_cast<std::uint8_t>(side);
  r.orderKey = static_cast<std::int8_t>(second);
  r.thirdByte = static_cast<std::uint8_t>(third < 0 ? 0 : third);

  char statsName[128];
  if (!text.Word(statsName)) return Fail(text, "stats name cut or too long");
  std::strncpy(r.statsName, statsName, sizeof r.statsName - 1);  // 34 characters kept
  char ignoredWord[128];
  int sw = 0, ignored = 0;
  if (!text.Int(&r.statsTable) || !text.Int(&r.id) || !text.Word(ignoredWord) || !text.Int(&r.value) || !text.Int(&sw))
    return Fail(text, "record cut");
  if (sw) r.objectFlags |= kStartsActive;
  if (version >= kSwitchPairVersion) {
    int a = 0, b = 0;
    if (!text.Int(&a) || !text.Int(&b) || !text.Int(&r.secondValue)) return Fail(text, "record cut");
    if (a) r.objectFlags |= kSwitchA;
    if (b) r.objectFlags |= kSwitchB;
  }
  if (version >= kRow18Version) {
    int row18 = 0;
    if (!text.Int(&row18)) return Fail(text, "record cut");
    if (row18) r.objectFlags |= kRow18Flag;
  } else {
    r.objectFlags |= kRow18Flag;
  }
  if (version >= kRow19Version && !text.Int(&ignored)) return Fail(text, "record cut");
  if (!text.Int(&ignored) || !text.Int(&sw)) return Fail(text, "record cut");
  if (sw) r.objectFlags |= kSwitchC;

  if (version >= kBehaviourVersion && !ReadBehaviour(text, version, r)) return false;
  if (version >= kTwoRealsVersion && !text.Reals(r.twoReals, 2)) return Fail(text, "record cut");
  if (!ReadStatsLinks(text, r)) return false;
  if (version >= kFurtherIdVersion && !text.Int(&r.furtherId)) return Fail(text, "record cut");
  if (version >= kScaleVersion) {
    float first = 0.0f, second = 0.0f;
    if (!text.Real(&first) || !text.Real(&second)) return Fail(text, "scale factors cut");
    r.scaleFactors[0] = second;
    r.scaleFactors[1] = first;
  }
  if (version >= kPointsVersion) {
    if (!text.Reals(&r.points[0].x, 3) || !text.Reals(&r.points[1].x, 3) || !text.Int(&r.pointNumber))
      return Fail(text, "points cut");
    if (version <= kLastDoublePointsVersion) {
      float skipped[6];
      if (!text.Reals(skipped, 6) || !text.Int(&ignored)) return Fail(text, "points cut");
    }
  } else {
    r.points[0] = {0.0f, 100.0f, -400.0f};
    r.points[1] = {0.0f, 100.0f, 100.0f};
    r.pointNumber = 1;
  }
  if (version >= kLightListVersion) {
    int n = 0;
    if (!text.Int(&r.takesGroundLights) || !ReadCount(text, &n, "light list cut")) return false;
    for (int i = 0; i < n; ++i) {
      int light = 0;
      if (!text.Int(&light)) return Fail(text, "light list cut");
      if (i < HLOSpawnRecord::kMaxLights) r.lights[i] = static_cast<std::uint8_t>(light);
    }
    r.lightCount = n < HLOSpawnRecord::kMaxLights ? n : HLOSpawnRecord::kMaxLights;
  } else {
    r.takesGroundLights = 1;
  }
  if (!ReadAttachments(text, r)) return false;
  if ((static_cast<std::uint32_t>(flags) & kRenderInfoFlag) && !EnvFileReadRenderInfo(r.renderInfo, text))
    return Fail(text, "render info cut");
  return true;
}

bool EnvFileReadHLOList(EnvTextCursor& text, int version, const char* token, HLORecordCallback onRecord,
                        HLOProgressCallback progress, void* context) {
  char word[256];
  std::strncpy(word, token ? token : "", sizeof word - 1);
  word[sizeof word - 1] = 0;
  // The record is large (marks, render info, lists): one per list, reused.
  HLOSpawnRecord record;
  HLORecordExtras extras{};
  while (std::strcmp(word, "HLOX") != 0) {
    if (word[0] == 0) return Fail(text, "text ends before HLOX");
    if (progress) progress(context);
    if (!EnvFileReadHLORecord(text, version, record, extras)) return false;
    if (onRecord) onRecord(record, extras, context);
    text.Token(word);
  }
  return true;
}
