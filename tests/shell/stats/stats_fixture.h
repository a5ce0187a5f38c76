// Helpers of the stats tests: a recorder of message boxes, rows built from
// the make_stats column names, and a folder of the 39 tables made from the
// repository's description, whose files a test may replace before loading.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "make_stats/stats_description.h"

namespace stats_test {

// Records every message box shown while it lives (and answers Ignore).
class BoxRecorder {
 public:
  BoxRecorder();
  ~BoxRecorder();
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;
  std::vector<std::string> texts;
  // All texts joined by " | ", for failure messages.
  std::string Joined() const;
};

using Values = std::vector<std::pair<std::string, std::string>>;

// One line of a table (with its line feed): the first column is name, the
// others take values or their defaults ("-1" text, 0 numbers).
std::string Row(const std::string& file, const std::string& name, const Values& values = {});

// The description in the repository.
std::map<std::string, make_stats::Table> RepositoryDescription();

// A temporary folder holding the 39 tables of the repository's description.
class StatsFolder {
 public:
  StatsFolder();
  ~StatsFolder();
  // Replaces one file's text; an empty text leaves an empty file.
  void Write(const std::string& file, const std::string& text);
  void Remove(const std::string& file);
  // The repository's text of a table.
  std::string Text(const std::string& file) const;
  // Runs LoadAllStats with the folder as working directory and a Global
  // Heap of its own; answers its result.
  bool Load();
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::map<std::string, make_stats::Table> tables_;
};

// Frees the tables at the end of a test.
struct FreeStatsAfter {
  ~FreeStatsAfter();
};

}  // namespace stats_test
