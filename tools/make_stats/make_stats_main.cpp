// make_stats: writes the 39 stats tables from their description and checks
// them with the game's own loader.
//   make_stats <description folder> <output folder>
// Any message box or a failed load removes the written tables and fails.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "foundation/files/catalog.h"
#include "make_stats/stats_check.h"
#include "make_stats/stats_description.h"
#include "platform/win32/message_box.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_stats <description folder> <output folder>\n");
    return 2;
  }
  const std::string description = argv[1], output = std::filesystem::absolute(argv[2]).string();
  std::map<std::string, make_stats::Table> tables;
  std::string error;
  std::error_code ec;
  std::filesystem::create_directories(output, ec);
  if (!make_stats::ReadDescription(description, &tables, &error) ||
      !make_stats::WriteTables(tables, output, &error)) {
    std::fprintf(stderr, "make_stats: %s\n", error.c_str());
    return 1;
  }
  SetMessageBoxEcho(false);
  std::vector<std::string> boxes;
  if (!CatalogStartup()) {
    std::fprintf(stderr, "make_stats: the file handle could not be created\n");
    return 1;
  }
  const bool ok = make_stats::CheckTables(output, &boxes);
  CatalogShutdown();
  if (!ok) {
    for (const std::string& b : boxes) std::fprintf(stderr, "make_stats: the loader said: %s\n", b.c_str());
    if (boxes.empty()) std::fprintf(stderr, "make_stats: the tables failed to load\n");
    for (const make_stats::TableSchema& s : make_stats::Schemas())
      std::filesystem::remove(std::filesystem::path(output) / s.file, ec);
    return 1;
  }
  std::printf("make_stats: %zu tables written to %s and loaded without a message\n", make_stats::Schemas().size(),
              output.c_str());
  return 0;
}
