// A fresh empty folder under the system's temporary folder, removed with its
// contents at the end of the test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

class ScratchFolder {
 public:
  ScratchFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("halberd_") + (info ? info->test_suite_name() : "t") + "_" + (info ? info->name() : "x");
    for (char& c : name)
      if (c == '/') c = '_';
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }
  std::string Str() const { return path_.string(); }
  // Writes a file below the folder (making its folders); answers its full path.
  std::string Write(const std::string& relative, const std::string& bytes) const {
    std::filesystem::path p = path_ / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }

 private:
  std::filesystem::path path_;
};
