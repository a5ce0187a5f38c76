#include "physics/util/me_file.h"
#include "physics/util/message_recorder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}
std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace

TEST(MeFile, WriteSeekAndReopen) {
  std::string path = TempPath("physa_me_file_test.bin");
  int fd = MeOpen(path.c_str(), MeOpenWriteCreate);
  ASSERT_GE(fd, 3);
  EXPECT_EQ(MeWrite(fd, "hello world", 11), 11);
  EXPECT_EQ(MeLseek(fd, 0, 1), 11);
  EXPECT_EQ(MeLseek(fd, 6, 0), 6);
  EXPECT_EQ(MeWrite(fd, "WORLD", 5), 5);
  EXPECT_EQ(MeLseek(fd, 0, 2), 11);
  EXPECT_EQ(MeClose(fd), 0);
  EXPECT_EQ(ReadAll(path), "hello WORLD");
  // Mode 1 truncates.
  fd = MeOpen(path.c_str(), MeOpenWriteCreate);
  MeClose(fd);
  EXPECT_EQ(ReadAll(path), "");
  std::filesystem::remove(path);
  EXPECT_EQ(MeOpen(path.c_str(), MeOpenReadOnly), -1);
  EXPECT_EQ(MeClose(fd), -1);  // already closed
}

TEST(MeFile, UnknownModeAndOriginAreReported) {
  MessageRecorder rec;
  std::string path = TempPath("physa_me_file_mode.bin");
  EXPECT_THROW(MeOpen(path.c_str(), 7), MeFatalErrorThrown);
  EXPECT_EQ(rec.fatals.at(0), "MeFatalError{3}: ");
  EXPECT_EQ(rec.fatals.at(1), "Invalid mode parameter passed to MeOpen().\n");
  EXPECT_THROW(MeLseek(3, 0, 9), MeFatalErrorThrown);
  EXPECT_EQ(rec.fatals.at(3), "Invalid origin parameter passed to MeLseek().\n");
}
