// The level's regions, numbered from 0 in the order of the level file.  One
// list exists from engine start-up to shut-down; each level's region section
// replaces its contents, and the level loader then makes the compact array
// that index look-ups use.  Main thread only.
#pragma once

#include <cstdint>

#include "world/regions/region.h"

class BufferedFile;
class EnvTextCursor;

// Most regions one section may declare; a larger count is taken as damage.
inline constexpr int kMaxRegions = 4096;
// Largest region file ReadFile takes (far above 4096 regions of text).
inline constexpr std::uint32_t kMaxRegionFileBytes = 16u << 20;

class CRegionList {
 public:
  CRegionList() = default;
  ~CRegionList() { Clear(); }
  CRegionList(const CRegionList&) = delete;
  CRegionList& operator=(const CRegionList&) = delete;

  // Region i, or null when i is negative or not below the count.
  CRegion* GetRegion(int i) const;
  // The first region whose name hash equals the hash of the name / the given
  // hash; null when none.
  CRegion* FindByName(const char* name) const;
  CRegion* FindByHash(std::uint32_t hash) const;
  // Index of the first region with that name hash; -1 when none.
  int IndexOfHash(std::uint32_t hash) const;
  // Index of the region (as GetRegion gives it); -1 when it is not in the list.
  int IndexOf(const CRegion* region) const;
  // Appends a copy at the end; answers its index.  Sets the changed flag and
  // clears the compact flag.  -1 when no memory could be had.
  int Add(const CRegion& region);
  // Unlinks and frees region i; false (nothing done) when i is out of range.
  bool Remove(int i);
  // Unless already compact, copies the list in order into the array; with
  // releaseList the nodes are freed afterwards.
  void Compact(bool releaseList);
  // Rebuilds the list from the array, optionally freeing the array.
  void Expand(bool freeArray);
  // The region section of the level file (version 8 on): a count, then per
  // region a keyword, the name, the type and its volume (versions 32 to 52:
  // four ignored ints), then the end word.  The old regions go first.  False
  // when the text is damaged (a negative or too large count, a missing
  // field): the regions read before the fault stay, and a message names the
  // line.
  bool ReadText(EnvTextCursor& cursor, int version);
  // The same section from an open file, from where the file stands: the rest
  // of the file is read (at most kMaxRegionFileBytes) and parsed as above, so
  // the file is left at its end.  False without a file, when the rest is too
  // long, or when the section is damaged.
  bool ReadFile(BufferedFile* file, int version);
  // Frees nodes and array.
  void Clear();

  int GetCount() const { return count_; }
  int GetAddedCount() const { return added_; }
  bool IsCompact() const { return compact_; }
  bool HasChanged() const { return changed_; }

 private:
  struct Node {
    Node* prev;
    Node* next;
    CRegion region;
  };
  Node* NodeAt(int i) const;
  void FreeNodes();

  int count_ = 0;
  int added_ = 0;
  Node* first_ = nullptr;
  Node* last_ = nullptr;
  CRegion* array_ = nullptr;
  int arrayCount_ = 0;
  bool compact_ = false;
  bool changed_ = false;
};

// The engine's region list (null outside engine start-up .. shut-down).
extern CRegionList* g_Regions;
