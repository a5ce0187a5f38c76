#include "shell/stats/stats_fixture.h"

#include <atomic>
#include <fstream>

#include <gtest/gtest.h>

#include "foundation/files/catalog.h"
#include "foundation/memory/linear_buffer.h"
#include "platform/win32/message_box.h"
#include "shell/global_heap.h"
#include "shell/stats/stats_tables.h"

namespace stats_test {

namespace {

int Record(HWND, const char* text, const char*, UINT, void* context) {
  static_cast<BoxRecorder*>(context)->texts.push_back(text ? text : "");
  return IDIGNORE;
}

}  // namespace

BoxRecorder::BoxRecorder() {
  SetMessageBoxEcho(false);
  SetMessageBoxHook(Record, this);
}

BoxRecorder::~BoxRecorder() {
  SetMessageBoxHook(nullptr, nullptr);
  SetMessageBoxEcho(true);
}

std::string BoxRecorder::Joined() const {
  std::string s;
  for (const std::string& t : texts) s += (s.empty() ? "" : " | ") + t;
  return s;
}

std::string Row(const std::string& file, const std::string& name, const Values& values) {
  const make_stats::TableSchema* schema = make_stats::FindSchema(file);
  if (schema == nullptr) {
    ADD_FAILURE() << file << " is not a stats table";
    return "";
  }
  make_stats::Table table;
  table.schema = schema;
  make_stats::Record r;
  for (const make_stats::Column& c : schema->columns)
    r.values[c.key] = c.type == make_stats::ColumnType::Text ? "-1" : "0";
  r.values[schema->columns.front().key] = name;
  for (const auto& [key, value] : values) {
    if (r.values.count(key) == 0) ADD_FAILURE() << key << " is not a column of " << file;
    r.values[key] = value;
  }
  table.records.push_back(r);
  return make_stats::TableText(table);
}

std::map<std::string, make_stats::Table> RepositoryDescription() {
  std::map<std::string, make_stats::Table> tables;
  std::string error;
  EXPECT_TRUE(make_stats::ReadDescription(HALBERD_STATS_DESCRIPTION, &tables, &error)) << error;
  return tables;
}

StatsFolder::StatsFolder() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::temp_directory_path() /
          ("halberd_stats_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
           std::to_string(counter++) + "_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
  std::filesystem::create_directories(path_);
  tables_ = RepositoryDescription();
  std::string error;
  EXPECT_TRUE(make_stats::WriteTables(tables_, path_.string(), &error)) << error;
}

StatsFolder::~StatsFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void StatsFolder::Write(const std::string& file, const std::string& text) {
  std::ofstream out(path_ / file, std::ios::binary | std::ios::trunc);
  out << text;
}

void StatsFolder::Remove(const std::string& file) { std::filesystem::remove(path_ / file); }

std::string StatsFolder::Text(const std::string& file) const {
  auto it = tables_.find(file);
  return it != tables_.end() ? make_stats::TableText(it->second) : std::string();
}

bool StatsFolder::Load() {
  EXPECT_EQ(CatalogStartup(), 1);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(path_);
  CLinearBuffer heap(kGlobalHeapSize, "Global Heap");
  CLinearBuffer* previous = g_GlobalHeap;
  g_GlobalHeap = &heap;
  const bool ok = LoadAllStats();
  g_GlobalHeap = previous;
  std::filesystem::current_path(before);
  return ok;
}

FreeStatsAfter::~FreeStatsAfter() { FreeAllStats(); }

}  // namespace stats_test
