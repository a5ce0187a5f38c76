#include "physics/collision/mcd_error.h"
#include "physics/util/message_recorder.h"

#include <gtest/gtest.h>

#include <string>

namespace {
class ErrorTest : public ::testing::Test {
 protected:
  void SetUp() override { McdErrorResetCounts(McdErrorTable); }
  void TearDown() override { McdErrorResetCounts(McdErrorTable); }
};
}  // namespace

TEST_F(ErrorTest, FatalRowsComposeOneLineAndEndTheProgram) {
  MessageRecorder rec;
  EXPECT_THROW(McdReportError(McdErrorTable, 21, " in McdGeometryRegisterType."),
               MeFatalErrorThrown);
  ASSERT_EQ(rec.fatals.size(), 2u);
  EXPECT_EQ(rec.fatals[1],
            "Mcd: Failed to register new geometry type. Ensure sufficient number of geometries "
            "in McdInit(). in McdGeometryRegisterType.\n");
  EXPECT_THROW(McdReportError(McdErrorTable, 24, ""), MeFatalErrorThrown);
  EXPECT_EQ(rec.fatals[3],
            "Mcd: Out of memory for McdModelPairs in McdSpace. Resizing not implemented. Please "
            "use a larger number or pairs in McdAxisSortCreate.\n");
  EXPECT_EQ(rec.exitCodes, (std::vector<int>{1, 1}));
}

TEST_F(ErrorTest, WarningRowIsShownFiveTimesTheLastWithANote) {
  MessageRecorder rec;
  for (int i = 0; i < 5; ++i) EXPECT_EQ(McdReportError(McdErrorTable, 36, "f"), 1);
  EXPECT_EQ(McdReportError(McdErrorTable, 36, "f"), 0);
  ASSERT_EQ(rec.warnings.size(), 10u);
  std::string row =
      "Mcd: Attempt to use a state-modification function while McdSpaceIsChanging() is false. "
      "Call McdSpaceBeginChanges() first. Function name: f";
  EXPECT_EQ(rec.warnings[1], row + "\n");
  EXPECT_EQ(rec.warnings[9], row + "\n[This message will not be repeated again!]\n");
}

TEST_F(ErrorTest, UnknownCodesUseTheEndRowAndLongTextIsCut) {
  MessageRecorder rec;
  EXPECT_EQ(McdErrorFind(McdErrorTable, 2)->code, 38);
  EXPECT_EQ(McdErrorFind(McdErrorTable, 19)->code, 19);
  EXPECT_STREQ(McdErrorFind(McdErrorTable, 19)->text,
               "SpaceUpdate called on unbuilt space.  Invoke SpaceBuild(),");
  EXPECT_THROW(McdReportError(McdErrorTable, 99, "extra"), MeFatalErrorThrown);
  EXPECT_EQ(rec.fatals.at(1), "Mcd: extra\n");
  std::string longText(600, 'x');
  EXPECT_EQ(McdReportError(McdErrorTable, 25, longText.c_str()), 1);
  EXPECT_EQ(rec.warnings.at(1).size(), 511u);
}
