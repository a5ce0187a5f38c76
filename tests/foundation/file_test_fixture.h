// Shared set-up of the file tests: a scratch working folder (entered for the
// test and left afterwards), the catalog start-up with no switches, and
// captured message boxes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/files/buffered_file.h"
#include "foundation/files/catalog.h"
#include "foundation/system/command_switches.h"
#include "foundation/files/file_locator.h"
#include "platform/win32/message_box.h"

// Compares byte strings without printing them whole on failure.
#define EXPECT_BYTES_EQ(a, b)                                                                   \
  do {                                                                                          \
    const std::string& a_ = (a);                                                                \
    const std::string& b_ = (b);                                                                \
    EXPECT_TRUE(a_ == b_) << #a << " (" << a_.size() << " bytes) differs from " << #b << " (" \
                          << b_.size() << " bytes)";                                            \
  } while (0)

struct CapturedBox {
  std::string text, caption;
  unsigned type;
};

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              (std::string("halberd_files_") + info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    ClearAllCommandSwitches();
    SetCatalogMode(0);
    SetMessageBoxEcho(false);
    SetMessageBoxHook(&FileTest::Capture, this);
    SetWorkDirectory();
    SetSearchFolders(nullptr);
    SetSearchEnabled(1);
  }
  void TearDown() override {
    if (GetBufferedFile() && GetBufferedFile()->open) FileClose(GetBufferedFile());
    CloseCatalog();
    CatalogShutdown();
    SetCatalogMode(0);
    ClearAllCommandSwitches();
    FreeFileDatabase();
    SetSearchFolders(nullptr);
    SetMessageBoxHook(nullptr, nullptr);
    SetMessageBoxEcho(true);
    std::filesystem::current_path(previous_);
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  // Starts the catalogs with the given switch letters.
  void Start(const char* switches = "") {
    for (const char* s = switches; *s; ++s) SetCommandSwitch(*s);
    ASSERT_EQ(CatalogStartup(), 1);
  }
  // Writes a file below the working folder (making its folders).
  static void Write(const std::string& relative, const std::string& bytes) {
    std::filesystem::path p(relative);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
  }
  static std::string Read(const std::string& relative) {
    std::ifstream in(relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // A recognisable block of n bytes.
  static std::string Pattern(std::size_t n, unsigned seed) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 31 + seed * 7 + i / 253) & 0xFF);
    return s;
  }
  // Everything left in the open file.
  static std::string ReadAll(BufferedFile* h) {
    std::string out;
    char buf[1000];
    for (std::size_t n; (n = FileRead(buf, 1, sizeof buf, h)) > 0;) out.append(buf, n);
    return out;
  }

  std::vector<CapturedBox> boxes_;
  std::filesystem::path folder_;

 private:
  static int Capture(HWND, const char* text, const char* caption, UINT type, void* self) {
    static_cast<FileTest*>(self)->boxes_.push_back({text ? text : "", caption ? caption : "", type});
    return (type & MB_TYPEMASK) == MB_ABORTRETRYIGNORE ? IDIGNORE : IDOK;
  }
  std::filesystem::path previous_;
};
