// The binding table and the binding files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "control/bindings/control_mapper.h"
#include "control/bindings/input_action.h"
#include "control/bindings/key_names.h"
#include "foundation/text/locale_table.h"

namespace {

class ScratchDir {
 public:
  ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() / (std::string("halberd_keys_") + info->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
    return File(name);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A mapper of one row, as the files fill it.
struct OneRow : CControlMapper {
  OneRow() { Init(1, kBindingSlots, kInputActionCount); }
};

TEST(InputActions, NamesAndCodesLookUpBothWays) {
  EXPECT_EQ(ActionCodeFromName("fire"), FIRE);
  EXPECT_EQ(ActionCodeFromName("Next_Grunt"), NEXT_GRUNT);
  EXPECT_EQ(ActionCodeFromName("HEAD_ZOON_NEXT"), HEAD_ZOON_NEXT);
  EXPECT_EQ(ActionCodeFromName("HEAD_ZOOM_NEXT"), -1);
  EXPECT_EQ(ActionCodeFromName("FIRE "), -1);
  EXPECT_STREQ(ActionNameFromCode(ORDER_ADVANCE_YAW_AXIS), "ORDER_ADVANCE_YAW_AXIS");
  EXPECT_EQ(ActionNameFromCode(80), nullptr);
  // Every code 0..79 once; the table's own order puts 2 before 1 and 38 before 37.
  bool seen[kInputActionCount] = {};
  for (const InputActionName& row : InputActionTable) {
    ASSERT_GE(row.code, 0);
    ASSERT_LT(row.code, kInputActionCount);
    EXPECT_FALSE(seen[row.code]) << row.name;
    seen[row.code] = true;
    EXPECT_EQ(ActionCodeFromName(row.name), row.code);
  }
  EXPECT_EQ(InputActionTable[1].code, ACTION);
  EXPECT_EQ(InputActionTable[2].code, NEXT_GRUNT);
  EXPECT_EQ(InputActionTable[37].code, ORDER_ADVANCE_YAW_AXIS);
}

TEST(KeyNames, TableNamesAndTheUnknownKey) {
  EXPECT_EQ(KeyCodeFromName("SPACE"), 57);
  EXPECT_EQ(KeyCodeFromName("space"), -1);  // file text is upper-cased before the look-up
  EXPECT_EQ(KeyCodeFromName("KPENTER"), 284);
  EXPECT_EQ(KeyCodeFromName("IGNORE"), 4422);
  EXPECT_STREQ(KeyNameFromCode(83), "KP_FULLSTOP");
  EXPECT_STREQ(KeyNameFromCode(311), "UnknownKey");
}

TEST(BindingFile, LinesOfTheFile) {
  struct Case {
    const char* line;
    int action;
    int slot;
    InputBindingCode code;  // kNoBinding: the line is ignored
  };
  const Case cases[] = {
      {"fire,0=key_space", FIRE, 0, 57},
      {"FIRE,1=JOY_BUTTON_0", FIRE, 1, 0x20000},
      {"FIRE,2=MOUSE_BUTTON_1", FIRE, 2, 0x40001},
      {"Forward,1=joy_axis_11", FORWARD, 1, 0x1000B},
      {"GRUNT_1,0=KEY_RCTRL", GRUNT_1, 0, 285},
      {"ACTION, 2=KEY_E", ACTION, 2, 18},
      {"PAUSE,0=KEY_IGNORE", PAUSE, 0, 4422},
      // Ignored: slot out of range, index out of the device's inputs, bad texts.
      {"FIRE,3=KEY_A", FIRE, 0, kNoBinding},
      {"FIRE,-1=KEY_A", FIRE, 0, kNoBinding},
      {"FIRE,99999999999=KEY_A", FIRE, 0, kNoBinding},
      {"FIRE,x=KEY_A", FIRE, 0, kNoBinding},
      {"FIRE,=KEY_A", FIRE, 0, kNoBinding},
      {"FIRE,0=JOY_AXIS_12", FIRE, 0, kNoBinding},
      {"FIRE,0=JOY_BUTTON_16", FIRE, 0, kNoBinding},
      {"FIRE,0=JOY_BUTTON_65536", FIRE, 0, kNoBinding},
      {"FIRE,0=MOUSE_BUTTON_3", FIRE, 0, kNoBinding},
      {"FIRE,0=MOUSE_BUTTON_", FIRE, 0, kNoBinding},
      {"FIRE,0=JOY_AXIS_1X", FIRE, 0, kNoBinding},
      {"FIRE,0=KEY_UnknownKey", FIRE, 0, kNoBinding},
      {"FIRE,0=KEY_SPACE ", FIRE, 0, kNoBinding},
      {"FIRE,0=PAD_7", FIRE, 0, kNoBinding},
      {"FIRE,0=", FIRE, 0, kNoBinding},
      {"SHOOT,0=KEY_A", FIRE, 0, kNoBinding},
      {"FIRE0=KEY_A", FIRE, 0, kNoBinding},
      {"FIRE,0KEY_A", FIRE, 0, kNoBinding},
      {"FIRE=KEY_A,0", FIRE, 0, kNoBinding},
  };
  for (const Case& c : cases) {
    OneRow m;
    BindingFileReport report;
    const std::string text = c.line;
    ASSERT_TRUE(m.LoadBindingsFromText(text.data(), text.size(), 0, &report)) << c.line;
    EXPECT_EQ(report.linesRead, 1) << c.line;
    EXPECT_EQ(report.linesApplied, c.code == kNoBinding ? 0 : 1) << c.line;
    EXPECT_EQ(m.GetBinding(0, c.slot, c.action), c.code) << c.line;
    // Nothing else of the table was touched.
    int set = 0;
    for (int s = 0; s < kBindingSlots; ++s)
      for (int a = 0; a < kInputActionCount; ++a) set += m.GetBinding(0, s, a) != kNoBinding;
    EXPECT_EQ(set, c.code == kNoBinding ? 0 : 1) << c.line;
  }
}

TEST(BindingFile, ReadingStopsAtAnEmptyLineAndSkipsCarriageReturns) {
  OneRow m;
  const std::string text = "FIRE,0=KEY_A\r\nSTANCE,0=KEY_C\r\n\r\nGO,0=KEY_G\r\n";
  BindingFileReport report;
  ASSERT_TRUE(m.LoadBindingsFromText(text.data(), text.size(), 0, &report));
  EXPECT_EQ(m.GetBinding(0, 0, FIRE), 30);
  EXPECT_EQ(m.GetBinding(0, 0, STANCE), 46);
  EXPECT_EQ(m.GetBinding(0, 0, GO), kNoBinding);
  EXPECT_TRUE(report.stoppedAtEmptyLine);
  // A last line without a line end is read; a later line of the same action
  // and slot wins.
  const std::string more = "GO,0=KEY_G\nGO,0=KEY_H";
  ASSERT_TRUE(m.LoadBindingsFromText(more.data(), more.size(), 0, &report));
  EXPECT_EQ(m.GetBinding(0, 0, GO), 35);
  EXPECT_FALSE(report.stoppedAtEmptyLine);
  // CR only: one long line of nothing known.
  const std::string crOnly = "FIRE,0=KEY_B\rGO,0=KEY_J\r";
  ASSERT_TRUE(m.LoadBindingsFromText(crOnly.data(), crOnly.size(), 0, &report));
  EXPECT_EQ(m.GetBinding(0, 0, FIRE), 30);
  EXPECT_EQ(report.ignoredLines, std::vector<int>{1});
}

TEST(BindingFile, OverLongLinesAreIgnoredWhole) {
  OneRow m;
  // 247 characters fit; 248 do not.
  const std::string fits = "FIRE,0=KEY_SPACE" + std::string(231, ' ');
  ASSERT_EQ(fits.size(), 247u);
  std::string text = "FIRE,0=KEY_A" + std::string(300, 'A') + "\nSTANCE,0=KEY_C" + std::string(233, 'x') + "\n" +
                     fits + "\nGO,0=KEY_G\n";
  BindingFileReport report;
  ASSERT_TRUE(m.LoadBindingsFromText(text.data(), text.size(), 0, &report));
  EXPECT_EQ(m.GetBinding(0, 0, FIRE), kNoBinding);
  EXPECT_EQ(m.GetBinding(0, 0, STANCE), kNoBinding);
  EXPECT_EQ(m.GetBinding(0, 0, GO), 34);
  EXPECT_EQ(report.ignoredLines, (std::vector<int>{1, 2, 3}));
}

TEST(BindingFile, SaveWritesEachBindingOnceInActionOrderWithCrLf) {
  OneRow m;
  const std::string text =
      "STANCE,0=KEY_C\nFIRE,1=JOY_BUTTON_2\nFIRE,0=MOUSE_BUTTON_0\nSTANCE,0=KEY_V\nFIRE,0=MOUSE_BUTTON_0\n";
  ASSERT_TRUE(m.LoadBindingsFromText(text.data(), text.size(), 0));
  // A key with no name in the table.
  m.SetBinding(0, 2, GO, 311);
  EXPECT_EQ(m.FormatRow(0),
            "FIRE,0=MOUSE_BUTTON_0\r\nFIRE,1=JOY_BUTTON_2\r\nGO,2=KEY_UnknownKey\r\nSTANCE,0=KEY_V\r\n");
  ScratchDir dir;
  const std::string file = dir.File("current.key");
  ASSERT_TRUE(m.SaveBindings(file.c_str(), 0));
  EXPECT_EQ(ReadFile(file), m.FormatRow(0));
  EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
  // Read back: the same table, except the unnamed key, which is ignored.
  OneRow back;
  BindingFileReport report;
  ASSERT_TRUE(back.LoadBindings(file.c_str(), 0, &report));
  EXPECT_EQ(report.ignoredLines, std::vector<int>{3});
  for (int s = 0; s < kBindingSlots; ++s)
    for (int a = 0; a < kInputActionCount; ++a)
      if (a != GO) {
        EXPECT_EQ(back.GetBinding(0, s, a), m.GetBinding(0, s, a)) << a << "," << s;
      }
  EXPECT_EQ(back.GetBinding(0, 2, GO), kNoBinding);
}

TEST(BindingFile, MissingFileKeepsTheTableAndEmptyFileChangesNothing) {
  OneRow m;
  m.SetBinding(0, 0, FIRE, 57);
  ScratchDir dir;
  EXPECT_FALSE(m.LoadBindings(dir.File("absent.key").c_str(), 0));
  EXPECT_TRUE(m.LoadBindings(dir.Write("empty.key", "").c_str(), 0));
  EXPECT_EQ(m.GetBinding(0, 0, FIRE), 57);
  // Rows and files outside the table are refused.
  const std::string good = dir.Write("good.key", "FIRE,0=KEY_A\r\n");
  EXPECT_FALSE(m.LoadBindings(good.c_str(), 1));
  EXPECT_FALSE(m.LoadBindings(nullptr, 0));
  EXPECT_FALSE(m.SaveBindings(dir.File("x.key").c_str(), 5));
  EXPECT_EQ(m.SetBinding(0, 3, FIRE, 1), -1);
  EXPECT_EQ(m.SetBinding(0, 0, 80, 1), -1);
  EXPECT_EQ(m.SetBinding(-1, 0, FIRE, 1), -1);
  EXPECT_EQ(m.SetBinding(0, 2, 79, 1), 2 * 80 + 79);
}

TEST(BindingFile, AFailedWriteLeavesThePreviousFileByteForByte) {
  ScratchDir dir;
  const std::string previous = "FIRE,0=KEY_A\r\nGO,0=KEY_G\r\n";
  const std::string file = dir.Write("current.key", previous);
  OneRow m;
  m.SetBinding(0, 0, STANCE, 46);
  // A folder nobody may write to.  (Whoever runs as the super-user writes
  // there all the same; a folder in the temporary file's place stops the
  // write for them.)
  std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const bool writable = static_cast<bool>(std::ofstream(dir.File("probe")));
  if (writable) {
    std::filesystem::remove(dir.File("probe"));
    std::filesystem::create_directory(file + ".tmp");
  }
  EXPECT_FALSE(m.SaveBindings(file.c_str(), 0));
  EXPECT_EQ(ReadFile(file), previous);
  std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
}

TEST(BindingFile, TheDemoDefaultKeyLoadsWithNoIgnoredLine) {
  OneRow m;
  BindingFileReport report;
  ASSERT_TRUE(m.LoadBindings(DEMO_KEY_FILE, 0, &report));
  EXPECT_TRUE(report.ignoredLines.empty());
  EXPECT_FALSE(report.stoppedAtEmptyLine);
  EXPECT_GT(report.linesApplied, 40);
  // What the path through the game needs: movement, menus, switching.
  for (int action : {FORWARD, BACKWARD, TURN_LEFT, TURN_RIGHT, FIRE, ACTION, STANCE, GRUNT_1, GRUNT_4, PAUSE,
                     OBJECTIVES, MOVIE_CANCEL, MENU_UP, MENU_DOWN, MENU_BACK, MENU_FORWARD, INVENTORY, ORDER}) {
    EXPECT_NE(m.GetBinding(0, 0, action), kNoBinding) << ActionNameFromCode(action);
  }
  for (int action : {FORWARD, BACKWARD, TURN_LEFT, TURN_RIGHT, FIRE, MENU_FORWARD})
    EXPECT_NE(m.FindDeviceBinding(0, BINDING_JOY_AXIS, action) & m.FindDeviceBinding(0, BINDING_JOY_BUTTON, action),
              0)
        << ActionNameFromCode(action);
  // Saved and loaded again: the same table.
  ScratchDir dir;
  ASSERT_TRUE(m.SaveBindings(dir.File("current.key").c_str(), 0));
  OneRow back;
  ASSERT_TRUE(back.LoadBindings(dir.File("current.key").c_str(), 0));
  for (int s = 0; s < kBindingSlots; ++s)
    for (int a = 0; a < kInputActionCount; ++a) EXPECT_EQ(back.GetBinding(0, s, a), m.GetBinding(0, s, a));
}

TEST(BindingFile, TheKeyFileToolRefusesAFileWithAnIgnoredLine) {
  ScratchDir dir;
  const std::string bad = dir.Write("bad.key", "FIRE,0=KEY_A\r\nFIRE,7=KEY_B\r\n");
  const std::string command = std::string(MAKE_KEY_FILE_TOOL) + " " + bad + " " + dir.File("out.key") + " 2>" +
                              dir.File("err.txt");
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_NE(ReadFile(dir.File("err.txt")).find("bad.key:2:"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.key")));
  const std::string good = std::string(MAKE_KEY_FILE_TOOL) + " " + DEMO_KEY_FILE + " " + dir.File("out.key");
  EXPECT_EQ(std::system((good + " >/dev/null").c_str()), 0);
  EXPECT_TRUE(std::filesystem::exists(dir.File("out.key")));
}

TEST(ProgramMapper, FourRowsFromBothFilesAndRowZeroWrittenBack) {
  ScratchDir dir;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  dir.Write("default.key", "FIRE,0=KEY_A\r\nGO,0=KEY_G\r\n");
  dir.Write("current.key", "FIRE,0=KEY_B\r\n");
  ASSERT_EQ(CreateControlMapper(), 1);
  ASSERT_NE(g_ControlMapper, nullptr);
  EXPECT_EQ(g_ControlMapper->Players(), 4);
  for (int row = 0; row < kBindingRows; ++row) {
    EXPECT_EQ(g_ControlMapper->GetBinding(row, 0, FIRE), 48) << row;
    EXPECT_EQ(g_ControlMapper->GetBinding(row, 0, GO), 34) << row;
  }
  g_ControlMapper->SetBinding(0, 1, STANCE, 0x20003);
  g_ControlMapper->SetBinding(2, 1, PAUSE, 0x20004);  // rows 1..3 are not saved
  EXPECT_TRUE(DestroyControlMapper());
  EXPECT_EQ(g_ControlMapper, nullptr);
  EXPECT_EQ(ReadFile(dir.File("current.key")), "FIRE,0=KEY_B\r\nGO,0=KEY_G\r\nSTANCE,1=JOY_BUTTON_3\r\n");
  std::filesystem::current_path(previous);
}

TEST(BindingDisplayName, TextsByDevice) {
  EXPECT_EQ(g_Locale, nullptr);  // no string table: the texts are empty
  EXPECT_STREQ(GetBindingDisplayName(kNoBinding), "");
  EXPECT_STREQ(GetBindingDisplayName(57), "Space");
  EXPECT_STREQ(GetBindingDisplayName(285), "Right Ctrl");
  EXPECT_STREQ(GetBindingDisplayName(MakeBinding(BINDING_JOY_BUTTON, 2)), "");
  // An unknown device leaves the buffer as it was.
  GetBindingDisplayName(57);
  EXPECT_STREQ(GetBindingDisplayName(0x30001), "Space");
}

}  // namespace
