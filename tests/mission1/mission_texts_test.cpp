// The mission's texts against its string file: every text id the plug-in
// passes to the game along its paths (set-up, the intro's movie texts, the
// hints, the messages of alarms, objectives and failures) must be in the
// "M01Strs.loc" the string tool builds; the test names each id the file
// lacks.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "foundation/text/locale_table.h"
#include "mission1/mission1_fixture.h"

namespace mission1_test {
namespace {

// Slot name -> the places of its text-id parameters (32-bit unsigned
// parameters whose name says "text"), read from the slot list.
std::map<std::string, std::vector<std::size_t>> TextParameters() {
  std::map<std::string, std::vector<std::size_t>> places;
  std::ifstream in(HALBERD_SCRIPT_SLOT_LIST);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> columns;
    std::stringstream cells(line);
    for (std::string cell; std::getline(cells, cell, '|');) columns.push_back(cell);
    if (columns.size() < 5) continue;
    std::string name = columns[2];
    name.erase(std::remove_if(name.begin(), name.end(), ::isspace), name.end());
    std::stringstream parameters(columns[3]);
    std::size_t place = 0;
    for (std::string p; std::getline(parameters, p, ','); ++place) {
      std::string lower = p;
      std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
      if (p.find("uint32_t") != std::string::npos && lower.find("text", lower.find("uint32_t") + 8) != std::string::npos)
        places[name].push_back(place);
    }
  }
  return places;
}

class MissionTextsTest : public Mission1Test {
 protected:
  // Takes the text ids of the calls made since the last take.
  void TakeTexts() {
    for (const ScriptCall& c : table.Calls()) {
      auto it = textPlaces.find(c.name);
      if (it == textPlaces.end()) continue;
      for (std::size_t place : it->second)
        texts.emplace(static_cast<std::uint32_t>(c.Wide(place)), c.ToString());
    }
    table.ClearCalls();
  }

  std::map<std::string, std::vector<std::size_t>> textPlaces = TextParameters();
  std::map<std::uint32_t, std::string> texts;  // id -> the first call that passed it
};

TEST_F(MissionTextsTest, EveryTextTheMissionPassesIsInItsStringFile) {
  ASSERT_FALSE(textPlaces.empty()) << "slot list " << HALBERD_SCRIPT_SLOT_LIST;
  ASSERT_TRUE(textPlaces.count("ScreenShowMessage") && textPlaces.count("ObjectiveAdd"));

  // Set-up, then the intro to its end (the movie texts).
  SetUpMission();
  world.alive = {0, 31, 47};
  world.Frames(1);
  world.AdvanceReal(70000);
  TakeTexts();

  // Each hint, in turn: the first goal not met picks it.
  bool nearPier = false;
  table.SetHandler("PlayerIsNearPoint", [&nearPier](const ScriptCall&) { return ScriptAnswer::Int(nearPier); });
  const std::vector<StateBlock> hintBlocks = {Block({}), Block({{12, 1}, {28, 1}}),
                                              Block({{12, 1}, {28, 1}, {24, 1}}),
                                              Block({{12, 1}, {28, 1}, {24, 1}, {7, 1}})};
  for (const StateBlock& b : hintBlocks) {
    StartPlay(b);
    world.alive = {0, 31, 47};
    world.Frames(1);
    TakeTexts();
  }
  // The charge hint: hints off, the soldier in region 9 with the charge.
  StartPlay(Block({{56, 0}}));
  table.SetAnswer("GruntCarriesItemId", ScriptAnswer::Int(1));
  table.SetAnswer("RegionContainsPlayer", ScriptAnswer::Int(1));
  world.Frames(1);
  table.SetAnswer("GruntCarriesItemId", ScriptAnswer::None());
  table.SetAnswer("RegionContainsPlayer", ScriptAnswer::None());
  TakeTexts();

  // The alarm, an objective done before and after the boat objective shows.
  StartPlay();
  world.alive = {0, 31, 47};
  world.Raise(MEV_UNIT_ALARMED, {12});
  world.gameTime += 10001;
  world.Frames(1);
  world.Raise(MEV_ITEM_TAKEN, {0, 71, 1});
  world.Raise(MEV_ITEM_TAKEN, {0, 72, 1});
  TakeTexts();
  StartPlay(Block({{12, 1}, {7, 1}}));
  world.alive = {0, 31};
  world.Raise(MEV_ITEM_TAKEN, {0, 71, 1});
  world.Raise(MEV_ITEM_TAKEN, {0, 72, 1});
  TakeTexts();

  // The failures: the prisoner lost, the boat destroyed.
  StartPlay();
  world.alive = {0, 47};
  world.outOfPlay = {31};
  world.Frames(30);
  TakeTexts();
  StartPlay();
  world.alive = {0, 31, 47};
  world.outOfPlay.clear();
  world.Raise(MEV_VEHICLE_DESTROYED, {76, -1});
  TakeTexts();

  // Every text the mission names was reached: the save name and the four
  // title and briefing slots, four objectives with their targets, five
  // messages, five hints and three movie texts.
  std::string reached;
  char hex[16];
  for (const auto& [id, call] : texts) {
    std::snprintf(hex, sizeof hex, "%08X ", id);
    reached += hex;
  }
  EXPECT_EQ(texts.size(), 27u) << "texts reached: " << reached;

  SetWorkDirectory();
  SetSearchFolders(nullptr);
  CatalogStartup();
  CLocale strings;
  const int loaded = strings.Load(HALBERD_MISSION1_STRINGS);
  CatalogShutdown();
  ASSERT_EQ(loaded, 1) << HALBERD_MISSION1_STRINGS;
  std::string missing;
  for (const auto& [id, call] : texts) {
    const char* text = strings.GetString(id);
    if (text != nullptr && text[0] != '\0') continue;
    std::snprintf(hex, sizeof hex, "%08X", id);
    missing += std::string(hex) + " (first passed by " + call + ")\n";
  }
  EXPECT_TRUE(missing.empty()) << "M01Strs.loc lacks:\n" << missing;
}

}  // namespace
}  // namespace mission1_test
