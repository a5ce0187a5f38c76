#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "foundation/system/registry_helpers.h"
#include "foundation/system/registry_key.h"
#include "test_support/registry_folder_test.h"

namespace {

class RegistryTest : public RegistryFolderTest {
 protected:
  RegistryTest() : RegistryFolderTest("halberd_regkey_") {}
};

TEST_F(RegistryTest, EveryOperationOnAClosedKeyFailsWithNotOpen) {
  CRegistryKey key;
  std::uint32_t value = 0;
  char buffer[8];
  const struct {
    const char* what;
    int result;
  } cases[] = {
      {"close", key.Close()},
      {"query dword", key.QueryDword("v", &value)},
      {"query value", key.QueryValue("v", buffer, sizeof buffer)},
      {"set dword", key.SetDword("v", 1)},
      {"set string", key.SetString("v", "x")},
      {"set string n", key.SetStringN("v", "x", 2)},
      {"delete", key.DeleteValue("v")},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, 0) << c.what;
  EXPECT_EQ(key.GetStatus(), REGSTATUS_NOT_OPEN);
}

TEST_F(RegistryTest, OpenFailsUntilCreated) {
  CRegistryKey key;
  EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\BrindleGames\\Nothing"), 0);
  EXPECT_EQ(key.GetStatus(), REGSTATUS_OPEN_FAILED);
  EXPECT_EQ(key.Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\BrindleGames\\Nothing"), 1);
  EXPECT_EQ(key.GetStatus(), REGSTATUS_OK);
  CRegistryKey again;
  EXPECT_EQ(again.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\BrindleGames\\Nothing"), 1);
  EXPECT_EQ(key.Close(), 1);
  EXPECT_EQ(key.Close(), 0);
  EXPECT_EQ(key.GetStatus(), REGSTATUS_NOT_OPEN);
}

TEST_F(RegistryTest, ValuesRoundTripAndFailuresSetTheirStatus) {
  CRegistryKey key;
  {
    // The sub-key text is copied: the caller's buffer may go away.
    std::string name = "SOFTWARE\\BrindleGames\\Device Settings";
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, name.c_str()), 1);
  }
  EXPECT_EQ(key.SetDword("Shadows", 1), 1);
  EXPECT_EQ(key.SetString("Player", "Alpha"), 1);
  EXPECT_EQ(key.SetStringN("Raw", "abcd", 4), 1);
  std::uint32_t value = 0;
  EXPECT_EQ(key.QueryDword("Shadows", &value), 1);
  EXPECT_EQ(value, 1u);
  char text[16] = {};
  EXPECT_EQ(key.QueryValue("Player", text, sizeof text), 1);
  EXPECT_STREQ(text, "Alpha");
  // A four-byte string is not a number.
  EXPECT_EQ(key.QueryDword("Raw", &value), 0);
  EXPECT_EQ(key.GetStatus(), REGSTATUS_READ_FAILED);
  EXPECT_EQ(key.QueryValue("Player", text, 3), 0);
  EXPECT_EQ(key.GetStatus(), REGSTATUS_READ_FAILED);
  EXPECT_EQ(key.DeleteValue("Player"), 1);
  EXPECT_EQ(key.DeleteValue("Player"), 0);
  EXPECT_EQ(key.GetStatus(), REGSTATUS_DELETE_FAILED);
}

TEST_F(RegistryTest, HelpersCheckTypesAndBounds) {
  HKEY key = RegistryCreateAppKey("Multiplayer");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(RegistrySetDword(key, "Port", 2300), 1);
  EXPECT_EQ(RegistrySetFloat(key, "Rate", 2.5f), 1);
  EXPECT_EQ(RegistrySetString(key, "Name", "Host"), 1);
  std::uint32_t port = 0;
  float rate = 0;
  char name[8];
  EXPECT_EQ(RegistryQueryDword(key, "Port", &port), 1);
  EXPECT_EQ(port, 2300u);
  EXPECT_EQ(RegistryQueryFloat(key, "Rate", &rate), 1);
  EXPECT_EQ(rate, 2.5f);
  char rateText[16];
  EXPECT_EQ(RegistryQueryString(key, "Rate", rateText, sizeof rateText), 1);
  EXPECT_STREQ(rateText, "2.500000");
  EXPECT_EQ(RegistryQueryString(key, "Name", name, sizeof name), 1);
  EXPECT_STREQ(name, "Host");
  EXPECT_EQ(RegistryQueryString(key, "Name", name, 4), 0);  // does not fit
  EXPECT_EQ(RegistryQueryFloat(key, "Port", &rate), 0);     // a DWORD is not a float
  EXPECT_EQ(RegistryQueryDword(key, "Name", &port), 0);
  EXPECT_EQ(RegistryQueryString(key, "Port", name, sizeof name), 0);
  EXPECT_EQ(RegistryQueryDword(key, "Missing", &port), 0);
  RegistryCloseKey(key);
  HKEY again = RegistryOpenAppKey("Multiplayer");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(RegistryQueryDword(again, "Port", &port), 1);
  RegistryCloseKey(again);
  EXPECT_EQ(RegistryOpenAppKey("NoSuchArea"), nullptr);
}

TEST_F(RegistryTest, DeleteListRemovesTheItemsAndTheCount) {
  HKEY key = RegistryCreateAppKey("Lists");
  ASSERT_NE(key, nullptr);
  RegistrySetDword(key, "Host", 3);
  for (const char* item : {"Host0", "Host1", "Host2", "Host3"}) RegistrySetString(key, item, item);
  EXPECT_EQ(RegistryDeleteList(key, "Host"), 1);
  char text[16];
  std::uint32_t n = 0;
  EXPECT_EQ(RegistryQueryDword(key, "Host", &n), 0);
  EXPECT_EQ(RegistryQueryString(key, "Host0", text, sizeof text), 0);
  EXPECT_EQ(RegistryQueryString(key, "Host2", text, sizeof text), 0);
  EXPECT_EQ(RegistryQueryString(key, "Host3", text, sizeof text), 1);  // beyond the count
  EXPECT_EQ(RegistryDeleteList(key, "NoList"), 1);
  EXPECT_EQ(RegistryDeleteValue(key, "Host3"), 1);
  EXPECT_EQ(RegistryDeleteValue(key, "Host3"), 0);
  RegistryCloseKey(key);
}

}  // namespace
