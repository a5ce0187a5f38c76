#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/win32/win_move_file.h"
#include "scratch_folder.h"

namespace {

std::string Read(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(MoveFile, ReplacesOnlyWhenAskedAndKeepsBothFilesOnFailure) {
  ScratchFolder folder;
  const std::string from = folder.Write("new.tmp", "new bytes");
  const std::string to = folder.Write("Current.key", "old bytes");
  // Without the replace flag an existing target stays.
  EXPECT_FALSE(MoveFileExA(from.c_str(), to.c_str(), 0));
  EXPECT_EQ(Read(to), "old bytes");
  EXPECT_EQ(Read(from), "new bytes");
  // A missing source changes nothing.
  EXPECT_FALSE(MoveFileExA((folder.Str() + "/missing").c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(Read(to), "old bytes");
  // Replacing, by a Windows path of another letter case.
  const std::string windowsTo = folder.Str() + "\\CURRENT.KEY";
  EXPECT_TRUE(MoveFileExA(from.c_str(), windowsTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(Read(to), "new bytes");
  EXPECT_FALSE(std::filesystem::exists(from));
  EXPECT_FALSE(MoveFileExA(nullptr, to.c_str(), 0));
}

}  // namespace
