#include "world/animation/rule_table.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/file_test_fixture.h"

namespace {

// Three states, two rules; "crouch" takes standing to crouching and prone to
// crouching, "stand" has no pairs.
const char* const kTable =
    "; movement rules\n"
    "VERSION 1\n"
    "STATE_NAMES 3\n"
    "Standing\n"
    "\"Crouching\"  trailing words are ignored\n"
    "Prone\n"
    "END_STATE_NAMES\n"
    "RULE_NAMES 2\n"
    "Crouch\n"
    "Stand\n"
    "END_RULE_NAMES\n"
    "RULES\n"
    "RULE crouch\n"
    "  standing CROUCHING\n"
    "  Prone Crouching\n"
    "END_RULE\n"
    "RULE Stand\n"
    "END_RULE\n"
    "END_RULES\n";

TEST(RuleTableTest, ParsesNamesIntoIndicesAndRefusesUnlistedPairs) {
  RuleTable t;
  ASSERT_EQ(t.Parse(kTable), 1);
  EXPECT_EQ(t.StateCount, 3);
  EXPECT_EQ(t.RuleCount, 2);
  const std::vector<std::int32_t> cells = {1, -1, 1,    // crouch
                                           -1, -1, -1};  // stand: refused everywhere
  EXPECT_EQ(t.Cells, cells);
  EXPECT_EQ(t.NextState(0, 2), 1);
  EXPECT_EQ(t.NextState(1, 0), -1);
  for (auto [rule, state] : {std::pair{-1, 0}, {2, 0}, {0, 3}, {0, -1}}) EXPECT_EQ(t.NextState(rule, state), -1);
}

TEST(RuleTableTest, LowerCaseKeywordsAndRepeatedPairsKeepTheLastTarget) {
  RuleTable t;
  ASSERT_EQ(t.Parse("version 3\nstate_names 2\nA\nB\nend_state_names\nrule_names 1\nGo\nend_rule_names\n"
                    "rules\nrule Go\nA B\nA A\nend_rule\nend_rules\n"),
            1);
  EXPECT_EQ(t.NextState(0, 0), 0);
  EXPECT_EQ(t.NextState(0, 1), -1);
}

TEST(RuleTableTest, DuplicateNamesResolveToTheFirst) {
  RuleTable t;
  ASSERT_EQ(t.Parse("VERSION 1 STATE_NAMES 3\nA\nB\na\nEND_STATE_NAMES RULE_NAMES 1\nR\nEND_RULE_NAMES\n"
                    "RULES RULE R B A END_RULE END_RULES"),
            1);
  EXPECT_EQ(t.Cells, (std::vector<std::int32_t>{-1, 0, -1}));
}

TEST(RuleTableTest, BrokenFilesFailKeepingWhatWasRead) {
  const std::string head = "VERSION 1 STATE_NAMES 2\nA\nB\nEND_STATE_NAMES RULE_NAMES 1\nR\nEND_RULE_NAMES\n";
  const std::string cases[][2] = {
      {"no version", "STATE_NAMES 2\nA\nB\n"},
      {"zero states", "VERSION 1 STATE_NAMES 0\nEND_STATE_NAMES\n"},
      {"negative states", "VERSION 1 STATE_NAMES -4\n"},
      {"count beyond the text", "VERSION 1 STATE_NAMES 100000\nA\n"},
      {"too few state names", "VERSION 1 STATE_NAMES 3\nA\nB\nEND_STATE_NAMES\n"},
      {"name of 64 characters", "VERSION 1 STATE_NAMES 1\n" + std::string(64, 'x') + "\nEND_STATE_NAMES\n"},
      {"zero rules", "VERSION 1 STATE_NAMES 1\nA\nEND_STATE_NAMES RULE_NAMES 0\n"},
      {"missing end of rule names", "VERSION 1 STATE_NAMES 1\nA\nEND_STATE_NAMES RULE_NAMES 1\nR\nRULES\n"},
      {"unknown rule", head + "RULES RULE Q END_RULE END_RULES"},
      {"unknown state", head + "RULES RULE R A C END_RULE END_RULES"},
      {"cut pair", head + "RULES RULE R A"},
      {"no end of rules", head + "RULES RULE R A B END_RULE"},
      {"more blocks than rules and one", head + "RULES RULE R END_RULE RULE R END_RULE RULE R END_RULE END_RULES"},
  };
  for (const auto& c : cases) {
    RuleTable t;
    EXPECT_EQ(t.Parse(c[1].c_str()), 0) << c[0];
    // Cells exist only as a whole table.
    EXPECT_TRUE(t.Cells.empty() || t.Cells.size() == static_cast<std::size_t>(t.RuleCount) * t.StateCount) << c[0];
    for (int r = -1; r <= 2; ++r)
      for (int s = -1; s <= 3; ++s) EXPECT_GE(t.NextState(r, s), -1) << c[0];
  }
  // What a failure keeps: the pair read before an unknown state stays set.
  RuleTable t;
  EXPECT_EQ(t.Parse((head + "RULES RULE R A B B Z END_RULE END_RULES").c_str()), 0);
  EXPECT_EQ(t.NextState(0, 0), 1);
  EXPECT_EQ(t.NextState(0, 1), -1);
  // Counts read before a failure stay; no cells before the rule names.
  RuleTable u;
  EXPECT_EQ(u.Parse("VERSION 1 STATE_NAMES 3\nA\nB\n"), 0);
  EXPECT_EQ(u.StateCount, 3);
  EXPECT_TRUE(u.Cells.empty());
  EXPECT_EQ(u.NextState(0, 0), -1);
}

TEST(RuleTableTest, OneMoreBlockThanRulesIsAccepted) {
  RuleTable t;
  EXPECT_EQ(t.Parse("VERSION 1 STATE_NAMES 2\nA\nB\nEND_STATE_NAMES RULE_NAMES 1\nR\nEND_RULE_NAMES\n"
                    "RULES RULE R A B END_RULE RULE R B A END_RULE END_RULES"),
            1);
  EXPECT_EQ(t.Cells, (std::vector<std::int32_t>{1, 0}));
}

class RuleTableFileTest : public FileTest {};

TEST_F(RuleTableFileTest, ConstructorLoadsTheFileAndAMissingFileLeavesAnEmptyTable) {
  Start();
  Write("MovementStateRules.txt", kTable);
  RuleTable t("MovementStateRules.txt");
  EXPECT_EQ(t.RuleCount, 2);
  EXPECT_EQ(t.NextState(0, 0), 1);

  RuleTable missing("NoSuchRules.txt");
  EXPECT_EQ(missing.RuleCount, 0);
  EXPECT_EQ(missing.NextState(0, 0), -1);
  EXPECT_EQ(missing.Load("NoSuchRules.txt"), 0);
  ASSERT_FALSE(boxes_.empty());
  EXPECT_NE(boxes_.back().text.find("NoSuchRules.txt"), std::string::npos);
}

}  // namespace
