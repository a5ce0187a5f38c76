// Fixture for tests that use the registry: each test gets a fresh folder under
// the temporary directory (named by prefix, run seed and test name) as the
// registry's home, removed again afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32/registry.h"

class RegistryFolderTest : public ::testing::Test {
 protected:
  explicit RegistryFolderTest(const char* prefix) : prefix_(prefix) {}
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           (prefix_ + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    SetRegistryFolder(dir_.c_str());
  }
  void TearDown() override {
    SetRegistryFolder(nullptr);
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_;

 private:
  std::string prefix_;
};
