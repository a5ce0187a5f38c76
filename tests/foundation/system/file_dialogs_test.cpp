#include "foundation/system/file_dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32/registry.h"

TEST(FileDialogs, FiltersAreDescriptionAndPatternPairsEndedByADoubleNul) {
  const char* const filters[] = {"Levels", "*.env", "All files", "*.*", nullptr};
  char out[64];
  std::size_t n = BuildDialogFilter(filters, out, sizeof out);
  EXPECT_EQ(std::string(out, n), std::string("Levels\0*.env\0All files\0*.*\0\0", 28));
  char tiny[10];
  n = BuildDialogFilter(filters, tiny, sizeof tiny);
  EXPECT_LE(n, sizeof tiny);
  EXPECT_EQ(tiny[n - 1], '\0');
}

TEST(FileDialogs, WithoutADisplayEveryDialogIsCancelledAndNothingIsRemembered) {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "halberd_dialogs_registry";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  SetRegistryFolder(folder.string().c_str());
  const char* const filters[] = {"Saves", "*.sav", nullptr};
  char buffer[512] = "keep";
  EXPECT_EQ(OpenFileDialog(buffer, sizeof buffer, filters, 0, nullptr), 0);
  EXPECT_EQ(SaveFileDialog(buffer, filters, "C:\\saves"), 0);
  EXPECT_STREQ(buffer, "keep");
  char path[260] = "keep";
  EXPECT_EQ(PickFolder(path, "Pick a folder"), 0);
  EXPECT_STREQ(path, "keep");
  EXPECT_STREQ(GetDialogFolder(), "");
  SetRegistryFolder(nullptr);
  std::filesystem::remove_all(folder);
}
