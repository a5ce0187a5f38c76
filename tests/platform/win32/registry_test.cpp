#include "platform/win32/registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "platform/win32/registry_store.h"
#include "test_support/registry_folder_test.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class RegistryFile : public RegistryFolderTest {
 protected:
  RegistryFile() : RegistryFolderTest("halberd_reg_") {}
  fs::path File() const { return dir_ / "registry.txt"; }
};

TEST_F(RegistryFile, ValuesPersistAcrossAReload) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\BrindleGames\\Device Settings", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  DWORD adapter = 2;
  ASSERT_EQ(RegSetValueExA(key, "AdapterIndex", 0, REG_DWORD, reinterpret_cast<BYTE*>(&adapter), 4), ERROR_SUCCESS);
  const char text[] = "tab\there\nline \\ end";
  ASSERT_EQ(RegSetValueExA(key, "Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  ASSERT_TRUE(fs::exists(File()));
  EXPECT_NE(ReadAll(File()).find("HKLM\tSOFTWARE\\\\BrindleGames\\\\Device Settings\tAdapterIndex\tREG_DWORD\t0x00000002\n"),
            std::string::npos);

  SetRegistryFolder(dir_.c_str());  // forces a fresh read of the file
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\brindlegames\\DEVICE SETTINGS", 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  DWORD type = 0, value = 0, size = 4;
  ASSERT_EQ(RegQueryValueExA(key, "adapterindex", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(value, 2u);
  char back[64] = {};
  size = sizeof back;
  ASSERT_EQ(RegQueryValueExA(key, "Name", nullptr, &type, reinterpret_cast<BYTE*>(back), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, sizeof text);
  EXPECT_STREQ(back, text);
  RegCloseKey(key);
  // Parent keys exist; a sibling does not.
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\BrindleGames", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Other", 0, KEY_ALL_ACCESS, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  // No temporary file is left behind.
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir_)) files += e.is_regular_file();
  EXPECT_EQ(files, 1);
}

TEST_F(RegistryFile, QuerySizesAndMissingValues) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "A\\B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const BYTE blob[5] = {1, 2, 3, 4, 5};
  ASSERT_EQ(RegSetValueExA(key, "Blob", 0, REG_BINARY, blob, 5), ERROR_SUCCESS);
  DWORD size = 0, type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 5u);
  BYTE small[2];
  size = 2;
  EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, &type, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(RegQueryValueExA(key, "None", nullptr, &type, small, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "Blob"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "Blob"), ERROR_FILE_NOT_FOUND);
  HKEY sub = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(key, "C", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  RegCloseKey(sub);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A/B/C", 0, KEY_READ, &sub), ERROR_SUCCESS);
  RegCloseKey(sub);
  RegCloseKey(key);
  EXPECT_EQ(RegSetValueExA(key, "X", 0, REG_DWORD, blob, 4), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryFile, DamagedLinesAreKeptAndTheRestIsRead) {
  fs::create_directories(dir_);
  {
    std::ofstream out(File(), std::ios::binary);
    out << "# comment\n"
        << "HKLM\tK\tGood\tREG_DWORD\t0x0000002A\n"
        << "HKLM\tK\tBadHex\tREG_BINARY\t0G\n"
        << "garbage line\n"
        << "HKXX\tK\tV\tREG_SZ\tx\n";
  }
  SetRegistryFolder(dir_.c_str());
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "K", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  DWORD value = 0, size = 4;
  ASSERT_EQ(RegQueryValueExA(key, "Good", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 42u);
  DWORD one = 1;
  ASSERT_EQ(RegSetValueExA(key, "New", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), ERROR_SUCCESS);
  RegCloseKey(key);
  std::string text = ReadAll(File());
  EXPECT_NE(text.find("garbage line\n"), std::string::npos);
  EXPECT_NE(text.find("HKLM\tK\tBadHex\tREG_BINARY\t0G\n"), std::string::npos);
  EXPECT_NE(text.find("\tNew\tREG_DWORD\t0x00000001\n"), std::string::npos);
}

TEST(RegistryText, RoundTripsEveryKindOfValue) {
  RegistryStore store;
  RegistryKeyEntry& key = AddRegistryKey(store, "HKLM", "SOFTWARE\\Empty Key\\Deep");
  (void)key;
  RegistryKeyEntry& k2 = AddRegistryKey(store, "HKCU", "Tabs\tand\\More");
  k2.values["dw"] = RegistryValue{"Dw", 4, {0x78, 0x56, 0x34, 0x12}};
  k2.values["short dword"] = RegistryValue{"Short DWORD", 4, {1, 2}};
  k2.values["text"] = RegistryValue{"Text", 1, {'a', '\t', '\\', 0xFF, 0}};
  k2.values["odd"] = RegistryValue{"Odd", 77, {}};
  std::string text = SerializeRegistry(store);
  RegistryStore back;
  int bad = -1;
  ParseRegistryText(text.data(), text.size(), &back, &bad);
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(SerializeRegistry(back), text);
  ASSERT_EQ(back.keys.count(RegistryKeyId("HKCU", "Tabs\tand\\More")), 1u);
  const auto& values = back.keys[RegistryKeyId("HKCU", "Tabs\tand\\More")].values;
  EXPECT_EQ(values.at("dw").data, (std::vector<std::uint8_t>{0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(values.at("text").data, (std::vector<std::uint8_t>{'a', '\t', '\\', 0xFF, 0}));
  EXPECT_EQ(values.at("odd").type, 77u);
  EXPECT_EQ(back.keys.count(RegistryKeyId("HKLM", "software\\empty key")), 1u);
}

TEST(RegistryText, MalformedLinesAreRefused) {
  const char* lines[] = {
      "HKLM\tK\tV\tREG_SZ",                 // too few fields
      "HKLM\tK\tV\tREG_SZ\tx\textra",       // too many
      "HKLM\tK\tV\tREG_SZ\tbad\\q",         // unknown escape
      "HKLM\tK\tV\tREG_SZ\tcut\\x4",        // cut escape
      "HKLM\tK\tV\tREG_DWORD\t0x123",       // odd hex
      "HKLM\tK\tV\t99999999999\t00",        // type out of range
      "HKLM\tK\\\\\tV\tREG_SZ\tx",          // empty path component
      "HKLM\tK\tV\tkey\t",                  // a key line with a name
  };
  for (const char* line : lines) {
    RegistryStore store;
    int bad = 0;
    ParseRegistryText(line, std::strlen(line), &store, &bad);
    EXPECT_EQ(bad, 1) << line;
    EXPECT_TRUE(store.keys.empty()) << line;
  }
}

TEST(RegistryPaths, Normalised) {
  EXPECT_EQ(NormaliseRegistryPath("\\a//b\\\\c\\"), "a\\b\\c");
  EXPECT_EQ(NormaliseRegistryPath(nullptr), "");
}

// The test programs run with HALBERD_TEST set: without a folder of its own a
// test's registry stays in memory, and the user's configuration folder is
// never written.
TEST(RegistryTestRun, WithoutAFolderNothingIsWrittenToTheUsersConfiguration) {
  const fs::path home = fs::temp_directory_path() / ("halberd_reg_home_" + std::to_string(getpid()));
  fs::remove_all(home);
  fs::create_directories(home);
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string savedXdg = oldXdg ? oldXdg : "";
  setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  unsetenv("HALBERD_REGISTRY_DIR");
  SetRegistryFolder(nullptr);

  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Test Run", 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  DWORD value = 7, type = 0, back = 0, size = 4;
  EXPECT_EQ(RegSetValueExA(key, "Seven", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "Seven", nullptr, &type, reinterpret_cast<BYTE*>(&back), &size), ERROR_SUCCESS);
  EXPECT_EQ(back, 7u);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_FALSE(fs::exists(home / "halberd")) << "the registry was written under " << home;

  if (oldXdg) setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
  else unsetenv("XDG_CONFIG_HOME");
  SetRegistryFolder(nullptr);
  fs::remove_all(home);
}

}  // namespace
