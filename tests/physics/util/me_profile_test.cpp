#include "physics/util/me_profile.h"
#include "physics/util/message_recorder.h"
#include "platform/cpu/cpu_probe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// A fake clock and cycle counter: every clock read advances 250 ms, and the
// counter is set by the test; calibration therefore sees whatever cycles the
// test arranges between clock reads.
uint64_t g_cycles = 0;
long g_ms = 0;
uint64_t FakeCycles() { return g_cycles; }
long FakeClock() {
  g_ms += 250;
  g_cycles += 250000;  // 1,000,000 cycles per second
  return g_ms;
}

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldCounter_ = CpuSetCycleCounter(FakeCycles);
    oldClock_ = MeProfileSetClock(FakeClock);
    g_cycles = 0;
    g_ms = 0;
  }
  void TearDown() override {
    MeProfileStopTiming();
    CpuSetCycleCounter(oldCounter_);
    MeProfileSetClock(oldClock_);
  }
  // One frame with section "a" taking `a` cycles and "b" taking `b`.
  void Frame(uint64_t a, uint64_t b) {
    MeProfileStartFrame();
    MeProfileStartSection("a", 0);
    g_cycles += a;
    MeProfileEndSectionFn("a");
    MeProfileStartSection("b", 0);
    g_cycles += b;
    MeProfileEndSectionFn("b");
    g_cycles += 100;
    MeProfileEndFrame();
  }
  CpuCycleCounterFn oldCounter_;
  MeProfileClockFn oldClock_;
};

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST_F(ProfileTest, CallsDoNothingWhileTimingIsOff) {
  MessageRecorder rec;
  MeSetWarningLevel(3);
  MeProfileStartSection("x", 0);
  MeProfileEndSectionFn("x");
  MeProfileStartFrame();
  MeProfileEndFrame();
  EXPECT_TRUE(rec.warnings.empty());
  EXPECT_EQ(MeProfileGetSectionTime("x"), 0.0);
}

TEST_F(ProfileTest, SectionTimesAndClockSpeed) {
  MeProfileStartTiming({0, 0}, 1);
  EXPECT_EQ(MeProfileGetClockSpeed(), 1000000u);
  Frame(2000, 500);
  Frame(4000, 1500);
  EXPECT_DOUBLE_EQ(MeProfileGetSectionTime("a"), 4.0);  // last frame: 4000 cycles at 1 MHz
  EXPECT_DOUBLE_EQ(MeProfileGetSectionTime("b"), 1.5);
  EXPECT_EQ(MeProfileGetSectionTime("missing"), 0.0);
  // (2000 + 500 + 4000 + 1500) / 2 frames = 4000 cycles = 4 ms.
  EXPECT_DOUBLE_EQ(MeProfileGetAverageFrameTime(), 4.0);
}

TEST_F(ProfileTest, MisuseWarningsAtLevelThree) {
  MessageRecorder rec;
  MeSetWarningLevel(3);
  MeProfileStartTiming({0, 0}, 1);
  MeProfileEndSectionFn("never");
  MeProfileStartFrame();
  MeProfileStartFrame();
  MeProfileStartSection("left", 0);
  g_cycles += 10;
  MeProfileEndFrame();
  std::string all = MessageRecorder::Joined(rec.warnings);
  EXPECT_NE(all.find("MeWarning{3}: MeProfileEndSectionFn: You tried to stop never which you "
                     "hadn't started, which is a bit silly.\n"),
            std::string::npos);
  EXPECT_NE(all.find("MeProfileStartFrame: You started a Frame when there was already one "
                     "running...\nDid you forget to call MeProfileEndFrame() somewhere?\n"),
            std::string::npos);
  EXPECT_NE(all.find("MeProfileEndFrame: You left the timer \"left\" running until the end of "
                     "the frame - did you mean to?\n"),
            std::string::npos);
  EXPECT_DOUBLE_EQ(MeProfileGetSectionTime("left"), 0.01);
}

TEST_F(ProfileTest, FlagOneSectionsStopWhenAnotherStarts) {
  MeProfileStartTiming({0, 0}, 1);
  MeProfileStartFrame();
  MeProfileStartSection("outer", 1);
  g_cycles += 300;
  MeProfileStartSection("inner", 0);  // stops "outer"
  g_cycles += 700;
  MeProfileEndSectionFn("inner");
  MeProfileEndFrame();
  EXPECT_DOUBLE_EQ(MeProfileGetSectionTime("outer"), 0.3);
  EXPECT_DOUBLE_EQ(MeProfileGetSectionTime("inner"), 0.7);
}

TEST_F(ProfileTest, AveragesTable) {
  MessageRecorder rec;
  MeProfileStartTiming({0, 0}, 1);
  Frame(3000, 1000);
  Frame(5000, 1000);
  MeProfileOutputResults();
  std::string text;
  for (size_t i = 1; i < rec.info.size(); i += 2) text += rec.info[i];
  // a: 4000 cycles of 5100 per frame; b: 1000.
  EXPECT_EQ(text,
            "Averages over 2 frames. NB: Sections can be concurrent.\n"
            "\n"
            "Section profiled                Av cycles   Av %   av ms\n"
            "                             a:       4000 78.431  4.000\n"
            "                             b:       1000 19.608  1.000\n"
            "\n"
            "Sections total                         5000\n"
            "\n"
            "total                                  5100\n"
            "\n"
            "Clock speed (approx):1000000hz\n"
            "Average time   5.00 milliseconds (sections) (30.00% of a 60hz frame)\n"
            "Average time   5.10 milliseconds (total) (30.60% of a 60hz frame) \n");
}

TEST_F(ProfileTest, PlotFilesAndRunningAverages) {
  MessageRecorder rec;
  auto dir = std::filesystem::temp_directory_path() / "physa_profile_plot";
  std::filesystem::create_directories(dir);
  auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  MeProfileStartTiming({0, 1}, 1);
  MeProfileSetOutputStyle(MeProfilePlotFiles);
  Frame(1000, 500);  // whole frame 1600
  Frame(1000, 500);
  MeProfileOutputResults();
  std::filesystem::current_path(old);

  EXPECT_EQ(ReadAll(dir / "cyclePlot.gpt"),
            "plot \"MeProfile.dat\" using 1:2 title \"a - Cycles\" with lines, "
            "\"MeProfile.dat\" using 1:6 title \"b - Cycles\" with lines, "
            "\"MeProfile.dat\" using 1:10 title \"Whole Frame\" with lines\n");
  EXPECT_EQ(ReadAll(dir / "timesCalledPlot.gpt"),
            "plot \"MeProfile.dat\" using 1:3 title \"a - Times Called\" with lines, "
            "\"MeProfile.dat\" using 1:7 title \"b - Times Called\" with lines\n");
  EXPECT_EQ(ReadAll(dir / "count0Plot.gpt"),
            "plot \"MeProfile.dat\" using 1:4 title \"a - ICache Misses\" with lines, "
            "\"MeProfile.dat\" using 1:8 title \"b - ICache Misses\" with lines, "
            "\"MeProfile.dat\" using 1:11 title \"Whole Frame\" with lines\n");
  EXPECT_EQ(ReadAll(dir / "count1Plot.gpt"),
            "plot \"MeProfile.dat\" using 1:5 title \"a - FlOps\" with lines, "
            "\"MeProfile.dat\" using 1:9 title \"b - FlOps\" with lines, "
            "\"MeProfile.dat\" using 1:12 title \"Whole Frame\" with lines\n");
  // Running averages 0.8·avg + 0.2·value: 1000 → 200 → 360, 1 → 0 → 0
  // (truncated), 500 → 100 → 180, 1600 → 320 → 576.  Frames up to the tenth
  // are commented out; the trailer divides by the last frame number (2).
  EXPECT_EQ(ReadAll(dir / "MeProfile.dat"),
            "#1 200 0 0 0 100 0 0 0 320 0 0\n"
            "#2 360 0 0 0 180 0 0 0 576 0 0\n"
            "#Averages:\n#CPU Cycles: 1600\n#Count 0: 0\n#Count 1: 0\n");
  ASSERT_GE(rec.info.size(), 2u);
  EXPECT_EQ(rec.info[1].rfind("twiddler=0 output.settletime=10 thisfd=", 0), 0u);
  std::filesystem::remove_all(dir);
}

TEST_F(ProfileTest, WithoutLoggingOneFrameRecordIsReusedAndTheResultsWarn) {
  MessageRecorder rec;
  MeSetWarningLevel(3);
  MeProfileStartTiming({0, 0}, 0);
  MeProfileSetOutputStyle(MeProfilePerFrame);
  Frame(1000, 10);
  Frame(2000, 20);
  EXPECT_DOUBLE_EQ(MeProfileGetSectionTime("a"), 2.0);
  MeProfileOutputResults();
  std::string warnings = MessageRecorder::Joined(rec.warnings);
  EXPECT_NE(warnings.find("MeWarning{1}: MeProfileOutputResults: You didn't turn logging on"),
            std::string::npos);
  std::string text;
  for (size_t i = 1; i < rec.info.size(); i += 2) text += rec.info[i];
  EXPECT_EQ(text, "Frame 2.\na: 2000 cycles\nb: 20 cycles\n");
  MeProfileSetOutputStyle(9);
  MeProfileOutputResults();
  EXPECT_NE(MessageRecorder::Joined(rec.warnings)
                .find("MeProfileOutputResults: MeProfile output style not recognized\n"),
            std::string::npos);
}

TEST_F(ProfileTest, DataLinesAfterTheSettleFramesAreNotCommentedOut) {
  MessageRecorder rec;
  auto dir = std::filesystem::temp_directory_path() / "physa_profile_settle";
  std::filesystem::create_directories(dir);
  auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  MeProfileStartTiming({0, 0}, 1);
  MeProfileSetOutputStyle(MeProfilePlotFiles);
  for (int i = 0; i < 12; ++i) Frame(100, 100);
  MeProfileOutputResults();
  std::filesystem::current_path(old);
  std::istringstream data(ReadAll(dir / "MeProfile.dat"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(data, line);) lines.push_back(line);
  ASSERT_GE(lines.size(), 12u);
  EXPECT_EQ(lines[9].rfind("#10 ", 0), 0u);
  EXPECT_EQ(lines[10].rfind("11 ", 0), 0u);
  EXPECT_EQ(lines[11].rfind("12 ", 0), 0u);
  std::filesystem::remove_all(dir);
}
