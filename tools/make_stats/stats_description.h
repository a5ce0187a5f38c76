// The text description of the stats tables that make_stats writes: one
// ".desc" file per table in a folder, named as the table it describes
// ("Weaps.desc" describes "Weaps.txt").  A file holds one block per record:
//
//   # a comment
//   [Rifle]                  the record's first column (its name)
//   model = Rifle01          further columns by their names
//   class = ASSAULT RIFLE
//
// A column a block leaves out is written as "-1" (text) or 0 (number).  The
// tables that are not described are written empty.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace make_stats {

enum class ColumnType { Text, Number };

struct Column {
  std::string key;
  ColumnType type;
};

// The columns of one table, in file order; the first is the block name.
struct TableSchema {
  std::string file;  // "Weaps.txt"
  std::vector<Column> columns;
};

// The schema of each of the 39 files, in load order.
const std::vector<TableSchema>& Schemas();
// The schema of a file; null when the file is not a stats table.
const TableSchema* FindSchema(const std::string& file);

// One described record: every column's text, defaults filled in.
struct Record {
  int line = 0;  // line of its block header in the description
  std::map<std::string, std::string> values;
  const std::string& operator[](const std::string& key) const;
};

struct Table {
  const TableSchema* schema = nullptr;
  std::vector<Record> records;
};

// Reads every ".desc" file of the folder; tables without one are empty.
// False with a message naming the file and line in *error on an unknown
// table, column or a malformed line.
bool ReadDescription(const std::string& folder, std::map<std::string, Table>* tables, std::string* error);
// The file text of a table: one line per record, the columns joined by
// commas, each line ended by a line feed.
std::string TableText(const Table& table);
// Writes the 39 files into the folder; false with *error when one cannot be written.
bool WriteTables(const std::map<std::string, Table>& tables, const std::string& folder, std::string* error);

}  // namespace make_stats
