#include "platform/win32/win_common_dialogs.h"

#include <gtest/gtest.h>

TEST(WinCommonDialogs, EveryDialogIsCancelledAndTheBufferUntouched) {
  char file[16] = "unchanged";
  OPENFILENAMEA ofn{};
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_FALSE(GetSaveFileNameA(&ofn));
  EXPECT_STREQ(file, "unchanged");
  BROWSEINFOA bi{};
  EXPECT_EQ(SHBrowseForFolderA(&bi), nullptr);
  EXPECT_FALSE(SHGetPathFromIDListA(nullptr, file));
}
