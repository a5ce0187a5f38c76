#include "foundation/text/locale_table.h"

#include <string>
#include <vector>

#include "foundation/file_test_fixture.h"
#include "foundation/byte_reader.h"
#include "foundation/text/hash.h"
#include "foundation/text/locale_fixture.h"

namespace {

// The fixture's base and layer files.
LocFile Base() { return LocBase(); }
LocFile Layer() { return LocLayer(); }

}  // namespace

using LocaleTest = FileTest;

TEST_F(LocaleTest, ABaseAndALayerMergeAndTheLatestFileWinsAnId) {
  Write("GenStrs.loc", LocBytes(Base()));
  Write("Mission1.loc", LocBytes(Layer()));
  Start();
  CLocale loc("GenStrs.loc");
  ASSERT_EQ(loc.GetStringCount(), 3u);
  EXPECT_STREQ(loc.GetString(2), "Help");
  ASSERT_EQ(loc.LoadLayer("Mission1.loc"), 1);
  EXPECT_EQ(loc.GetLayerCount(), 2u);
  EXPECT_EQ(loc.GetStringCount(), 5u);
  EXPECT_STREQ(loc.GetString(1), "Halberd");
  EXPECT_STREQ(loc.GetString(2), "Mission help");
  EXPECT_STREQ(loc.GetString(3), "A");  // one-character name and text
  EXPECT_STREQ(loc.GetString(10), "Reach the bridge");
  EXPECT_EQ(loc.GetString(99), nullptr);
  EXPECT_EQ(loc.FindIdByName("OBJ1"), 10);
  EXPECT_EQ(loc.FindIdByName("NOPE"), -1);
  EXPECT_STREQ(loc.FindTextByNameHash(HashString("TITLE")), "Halberd");
  EXPECT_STREQ(loc.GetLanguageName(1), "French");
  EXPECT_EQ(loc.GetLanguageCodeByName("Fr"), 1u);
  EXPECT_EQ(loc.GetLanguageCodeByName("German"), 0u);
}

TEST_F(LocaleTest, SetLanguageRebuildsFromEveryFile) {
  Write("GenStrs.loc", LocBytes(Base()));
  Write("Mission1.loc", LocBytes(Layer()));
  Start();
  CLocale loc("GenStrs.loc");
  loc.LoadLayer("Mission1.loc");
  loc.SetCurrentLanguage(1);
  EXPECT_EQ(loc.SetLanguage(1), 1);
  EXPECT_STREQ(loc.GetString(1), "Hallebarde");
  EXPECT_STREQ(loc.GetString(2), "Aide mission");
  EXPECT_STREQ(loc.GetString(10), "Atteindre le pont");
  EXPECT_STREQ(loc.GetCurrentLanguageName(), "French");
}

TEST_F(LocaleTest, DamagedOrMismatchedFilesAreRefused) {
  std::string sendBytes = LocBytes(Base());
  sendBytes.insert(40, "SEND");
  LocFile otherSet = Layer();
  otherSet.setValue = 8;
  LocFile moreLanguages = Layer();
  moreLanguages.languages.push_back({2, "German"});
  LocFile missingLanguage = Layer();
  missingLanguage.languages = {{0, "English"}, {1, "Spanish"}};
  std::string truncated = LocBytes(Layer());
  truncated.erase(truncated.size() - 10, 6);  // a record runs into "SEND"

  Write("GenStrs.loc", LocBytes(Base()));
  Write("inside.loc", sendBytes);
  Write("set.loc", LocBytes(otherSet));
  Write("langs.loc", LocBytes(moreLanguages));
  Write("spanish.loc", LocBytes(missingLanguage));
  Write("cut.loc", truncated);
  Write("noslot.loc", "XLOC" + LocBytes(Layer()).substr(4));
  Start();
  CLocale loc("GenStrs.loc");
  for (const char* name : {"inside.loc", "set.loc", "langs.loc", "spanish.loc", "cut.loc", "noslot.loc"}) {
    EXPECT_EQ(loc.LoadLayer(name), 0) << name;
    EXPECT_EQ(loc.GetLayerCount(), 1u) << name;
    EXPECT_EQ(loc.GetStringCount(), 3u) << name;
  }
  EXPECT_EQ(loc.SetLanguage(0), 1);
  CLocale refused("inside.loc");
  EXPECT_EQ(refused.GetStringCount(), 0u);
  EXPECT_EQ(refused.GetString(1), nullptr);
}

TEST_F(LocaleTest, ABaseThatCannotBeLoadedKeepsTheTableLoadedBefore) {
  Write("GenStrs.loc", LocBytes(Base()));
  Write("Mission1.loc", LocBytes(Layer()));
  Write("broken.loc", LocBytes(Base()).substr(0, 30));
  Start();
  CLocale loc("GenStrs.loc");
  ASSERT_EQ(loc.LoadLayer("Mission1.loc"), 1);
  for (const char* name : {"missing.loc", "broken.loc"}) {
    EXPECT_EQ(loc.Load(name), 0) << name;
    EXPECT_EQ(loc.GetLayerCount(), 2u) << name;
    EXPECT_EQ(loc.GetStringCount(), 5u) << name;
    EXPECT_STREQ(loc.GetString(2), "Mission help") << name;
  }
  // The files it was built from are still the ones a language switch reloads.
  EXPECT_EQ(loc.SetLanguage(1), 1);
  EXPECT_STREQ(loc.GetString(1), "Hallebarde");
  EXPECT_STREQ(loc.GetString(10), "Atteindre le pont");
}

TEST_F(LocaleTest, ALayerThatFailsForOneLanguageIsRebuiltByTheNextSwitch) {
  Write("GenStrs.loc", LocBytes(Base()));
  Write("Mission1.loc", LocBytes(Layer()));
  Start();
  CLocale loc("GenStrs.loc");
  ASSERT_EQ(loc.LoadLayer("Mission1.loc"), 1);

  // A language the base does not list: the base builds nothing, the layer
  // cannot be matched, yet both stay listed.
  EXPECT_EQ(loc.SetLanguage(5), 0);
  EXPECT_EQ(loc.GetLayerCount(), 2u);
  EXPECT_EQ(loc.GetString(10), nullptr);
  EXPECT_EQ(loc.SetLanguage(1), 1);
  EXPECT_STREQ(loc.GetString(10), "Atteindre le pont");

  // The layer file is briefly unreadable during a switch.
  std::filesystem::rename("Mission1.loc", "away.loc");
  EXPECT_EQ(loc.SetLanguage(0), 0);
  EXPECT_EQ(loc.GetLayerCount(), 2u);
  EXPECT_STREQ(loc.GetString(2), "Help");
  EXPECT_EQ(loc.GetString(10), nullptr);
  std::filesystem::rename("away.loc", "Mission1.loc");
  EXPECT_EQ(loc.SetLanguage(0), 1);
  EXPECT_STREQ(loc.GetString(2), "Mission help");
  EXPECT_STREQ(loc.GetString(10), "Reach the bridge");

  // The base file is briefly unreadable: the table stays as it was.
  std::filesystem::rename("GenStrs.loc", "away.loc");
  EXPECT_EQ(loc.SetLanguage(1), 0);
  EXPECT_STREQ(loc.GetString(1), "Halberd");
  EXPECT_STREQ(loc.GetString(10), "Reach the bridge");
  EXPECT_EQ(loc.GetLayerCount(), 2u);
  std::filesystem::rename("away.loc", "GenStrs.loc");
  EXPECT_EQ(loc.SetLanguage(1), 1);
  EXPECT_STREQ(loc.GetString(1), "Hallebarde");
  EXPECT_STREQ(loc.GetString(10), "Atteindre le pont");
}

TEST_F(LocaleTest, NoMoreThanEightFilesAreLayered) {
  Write("GenStrs.loc", LocBytes(Base()));
  Write("Mission1.loc", LocBytes(Layer()));
  Start();
  CLocale loc("GenStrs.loc");
  for (int i = 0; i < 7; ++i) EXPECT_EQ(loc.LoadLayer("Mission1.loc"), 1);
  EXPECT_EQ(loc.LoadLayer("Mission1.loc"), 0);
  EXPECT_EQ(loc.GetLayerCount(), 8u);
  EXPECT_EQ(loc.SetLanguage(0), 1);
  EXPECT_EQ(loc.GetStringCount(), 3u + 7u * 2u);
}

TEST_F(LocaleTest, MoreStringsThanAnnouncedStopAtTheCount) {
  LocFile f = Base();
  f.stringCountAdjust = -1;
  Write("short.loc", LocBytes(f));
  Start();
  CLocale loc("short.loc");
  EXPECT_EQ(loc.GetStringCount(), 2u);
  EXPECT_EQ(loc.GetString(3), nullptr);
}

TEST(LocaleEmpty, AnEmptyTableAnswersNull) {
  CLocale loc;
  EXPECT_EQ(loc.GetString(0), nullptr);
  EXPECT_EQ(loc.GetString(1), nullptr);
  EXPECT_EQ(loc.GetLanguageName(0), nullptr);
  EXPECT_EQ(loc.SetLanguage(0), 0);
}
