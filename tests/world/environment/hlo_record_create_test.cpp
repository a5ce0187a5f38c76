#include "world/environment/hlo_record_create.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "foundation/text/hash.h"
#include "platform/win32/message_box.h"
#include "world/environment/character_variants.h"

namespace {

std::vector<std::string> g_boxes;

// Templates are stand-in records keyed by name; the log shows the order of
// the services asked.
class FakeLevel : public HLOLevelServices {
 public:
  CEnvObject* FindObject(const char* name) override { return Lookup(loaded, name); }
  CEnvObject* LoadObjectByKind(int kind, const char* name) override {
    log.push_back("load " + std::string(name) + " " + std::to_string(kind));
    CEnvObject* t = Lookup(onDisk, name);
    if (t) loaded[name] = onDisk[name];
    return t;
  }
  void MarkNewTextures(bool on) override { log.push_back(on ? "mark on" : "mark off"); }
  void MarkAttachmentTemplate(CEnvObject* t) override { attachments.push_back(t); }
  CEnvObject* MakeCharacterTemplate(const CharacterVariant& v) override {
    log.push_back(std::string("variant ") + v.textureName);
    return reinterpret_cast<CEnvObject*>(&variantRecord);
  }
  int TemplateType(const CEnvObject*) override { return 4; }
  CEnvInstance* FindInstanceByHash(std::uint32_t hash) override {
    return hash == HashStringNoCase("tower") ? reinterpret_cast<CEnvInstance*>(&towerRecord) : nullptr;
  }

  static CEnvObject* Lookup(std::map<std::string, int*>& m, const char* name) {
    auto it = m.find(name);
    return it == m.end() ? nullptr : reinterpret_cast<CEnvObject*>(it->second);
  }

  int a = 1, b = 2, c = 3, variantRecord = 4, towerRecord = 5;
  std::map<std::string, int*> loaded{{"Soldier", &a}};
  std::map<std::string, int*> onDisk{{"US_HELMET_CAMO", &b}, {"MY_HAT", &c}};
  std::vector<std::string> log;
  std::vector<CEnvObject*> attachments;
};

HLOSpawnRecord* g_spawned = nullptr;
CHLO* Spawn(HLOSpawnRecord& record) {
  g_spawned = &record;
  return reinterpret_cast<CHLO*>(&record);
}

class CreateTest : public ::testing::Test {
 protected:
  CreateTest() {
    g_boxes.clear();
    g_spawned = nullptr;
    SetMessageBoxEcho(false);
    SetMessageBoxHook([](HWND, const char* text, const char*, UINT, void*) {
      g_boxes.push_back(text);
      return IDOK;
    }, nullptr);
    record.Init();
    std::strcpy(record.templateName, "Soldier");
    std::strcpy(record.objectName, "Soldier");
    std::strcpy(extras.parentName, "Root");
  }
  ~CreateTest() override {
    SetMessageBoxHook(nullptr, nullptr);
    SetMessageBoxEcho(true);
    EnvFileResetCharacterVariants();
  }
  void Attach(const char* name, int kind) {
    HLOAttachment a{};
    std::strcpy(a.connector, "HEAD");
    std::strcpy(a.objectName, name);
    a.loadKind = kind;
    record.attachments.push_back(a);
  }

  FakeLevel level;
  HLOSpawnRecord record;
  HLORecordExtras extras{};
};

}  // namespace

TEST_F(CreateTest, AttachmentsLoadWithTexturesMarkedAndMissingOnesAreSkipped) {
  Attach("US_HELMET_CAMO", 0);
  Attach("GONE_HAT", 3);
  Attach("MY_HAT", -1);
  ASSERT_NE(EnvFileCreateHLO(record, extras, level, Spawn), nullptr);
  EXPECT_EQ(level.log, (std::vector<std::string>{"mark on", "load US_HELMET_CAMO 0", "load GONE_HAT 3", "load MY_HAT -1",
                                                 "mark off"}));
  ASSERT_EQ(level.attachments.size(), 2u);
  // Two parts outside the list are reported to the author; the missing one
  // is reported and skipped.
  ASSERT_EQ(g_boxes.size(), 3u);
  EXPECT_EQ(g_boxes[0], "** FIX NOW PLEASE - Connector object \"GONE_HAT\" needed in nonStatedConnectorObjectArray!!! **\n ");
  EXPECT_EQ(g_boxes[1], "Unable to find connector object \"GONE_HAT\"\n for Object \"Soldier\"\n");
  EXPECT_EQ(g_boxes[2], "** FIX NOW PLEASE - Connector object \"MY_HAT\" needed in nonStatedConnectorObjectArray!!! **\n ");
}

TEST_F(CreateTest, TemplateParentAndTypeGoIntoTheRecord) {
  std::strcpy(extras.parentName, "TOWER");
  ASSERT_NE(EnvFileCreateHLO(record, extras, level, Spawn), nullptr);
  ASSERT_EQ(g_spawned, &record);
  EXPECT_EQ(record.templ, reinterpret_cast<CEnvObject*>(&level.a));
  EXPECT_EQ(record.templateKind, 4);
  EXPECT_EQ(record.groundInstance, reinterpret_cast<CEnvInstance*>(&level.towerRecord));
  std::strcpy(extras.parentName, "Nowhere");
  EnvFileCreateHLO(record, extras, level, Spawn);
  EXPECT_EQ(record.groundInstance, nullptr);  // silently left empty
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(CreateTest, MissingTemplateDropsTheRecordAndVariantsMakeOne) {
  std::strcpy(record.templateName, "GOATHERDER");
  std::strcpy(record.objectName, "GOATHERDER");
  EXPECT_EQ(EnvFileCreateHLO(record, extras, level, Spawn), nullptr);
  EXPECT_EQ(g_spawned, nullptr);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0], "Unable to load data for HLO GOATHERDER\nObject will be ignored");
  EXPECT_EQ(level.log.back(), "load GOATHERDER -1");

  EnvFileEnableCharacterVariants(true);
  ASSERT_NE(EnvFileCreateHLO(record, extras, level, Spawn), nullptr);
  EXPECT_EQ(level.log.back(), "variant GOATHERDER.bmp");
  EXPECT_EQ(record.templ, reinterpret_cast<CEnvObject*>(&level.variantRecord));
}
