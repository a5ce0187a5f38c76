// The file database: maps a file name (without folders) to the folder that
// holds it, so that the file locator finds a file with one look-up.  Entries
// are keyed by HashStringNoCase of the name and kept sorted by it.
//
// Binary file (little-endian): u32 count, then count records of
// {u32 hash, u32 folder length, folder bytes, u32 name length, name bytes}.
#pragma once

#include <cstdint>

struct FileDatabaseEntry {
  std::uint32_t hash;
  char* name;    // owned
  char* folder;  // owned; ends with its separator, so folder + name is a path
};

class CFileDatabase {
 public:
  CFileDatabase() = default;
  ~CFileDatabase();
  CFileDatabase(const CFileDatabase&) = delete;
  CFileDatabase& operator=(const CFileDatabase&) = delete;

  // Frees every name, folder and the array; all fields zero.
  void Clear();
  // Replaces the entries by a zeroed array of capacity entries; 0 when out of memory.
  int Reserve(std::uint32_t capacity);
  // Appends an entry (the array grows when full); entries with the same hash
  // are reported on the console.  Answers the new count, or -1 when out of memory.
  int Add(const char* folder, const char* name);
  // The entry at index; null when out of range.
  const FileDatabaseEntry* GetEntry(int index) const;
  // Sorts the entries by hash (unsigned ascending).
  void Sort();
  // Index of the entry of that name (letter case ignored), or -1.  Sorts first
  // when needed.  Names that share a hash are told apart by the name.
  int Find(const char* name);
  // Reads a database file, replacing the entries.  0 when it cannot be opened
  // or is damaged (short, counts or lengths past its end); it is then empty.
  int Read(const char* fileName);
  // Writes the entries in their current order; 0 when the file cannot be written.
  int Write(const char* fileName) const;
  int GetCount() const { return count; }

  std::uint32_t sorted = 0;
  std::uint32_t capacity = 0;
  std::int32_t count = 0;
  FileDatabaseEntry* entries = nullptr;
};
