#include "world/regions/region_list.h"

#include <string>

#include "foundation/files/buffered_file.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/debug_output.h"
#include "foundation/text/hash.h"
#include "world/environment/env_text_cursor.h"

CRegionList::Node* CRegionList::NodeAt(int i) const {
  Node* n = first_;
  while (n != nullptr && i-- > 0) n = n->next;
  return n;
}

CRegion* CRegionList::GetRegion(int i) const {
  if (i < 0 || i >= count_) return nullptr;
  if (compact_ && array_ != nullptr && i < arrayCount_) return &array_[i];
  Node* n = NodeAt(i);
  return n != nullptr ? &n->region : nullptr;
}

int CRegionList::IndexOfHash(std::uint32_t hash) const {
  for (int i = 0; i < count_; ++i) {
    const CRegion* r = GetRegion(i);
    if (r != nullptr && r->NameHash == hash) return i;
  }
  return -1;
}

int CRegionList::IndexOf(const CRegion* region) const {
  if (region == nullptr) return -1;
  for (int i = 0; i < count_; ++i)
    if (GetRegion(i) == region) return i;
  return -1;
}

CRegion* CRegionList::FindByHash(std::uint32_t hash) const { return GetRegion(IndexOfHash(hash)); }

CRegion* CRegionList::FindByName(const char* name) const { return FindByHash(HashString(name)); }

int CRegionList::Add(const CRegion& region) {
  Node* n = MEM_NEW(MEMCAT_GAME) Node{last_, nullptr, region};
  if (n == nullptr) return -1;
  if (last_ != nullptr)
    last_->next = n;
  else
    first_ = n;
  last_ = n;
  ++added_;
  changed_ = true;
  compact_ = false;
  return count_++;
}

bool CRegionList::Remove(int i) {
  if (i < 0 || i >= count_) return false;
  // The array may be the only copy: bring the list back first.
  if (first_ == nullptr && array_ != nullptr) Expand(false);
  Node* n = NodeAt(i);
  if (n == nullptr) return false;
  (n->prev != nullptr ? n->prev->next : first_) = n->next;
  (n->next != nullptr ? n->next->prev : last_) = n->prev;
  MEM_DELETE n;
  --count_;
  compact_ = false;
  return true;
}

void CRegionList::Compact(bool releaseList) {
  if (!compact_) {
    if (array_ != nullptr) MEM_DELETE_ARRAY array_;
    array_ = nullptr;
    arrayCount_ = 0;
    if (count_ > 0) {
      array_ = MEM_NEW(MEMCAT_GAME) CRegion[count_];
      if (array_ == nullptr) return;  // the list still answers look-ups
      int i = 0;
      for (Node* n = first_; n != nullptr && i < count_; n = n->next) array_[i++] = n->region;
      arrayCount_ = i;
    }
  }
  if (releaseList) FreeNodes();
  compact_ = true;
}

void CRegionList::Expand(bool freeArray) {
  if (array_ == nullptr) return;
  FreeNodes();
  const int n = arrayCount_;
  const int added = added_;
  count_ = 0;
  for (int i = 0; i < n; ++i) Add(array_[i]);
  added_ = added;
  if (freeArray) {
    MEM_DELETE_ARRAY array_;
    array_ = nullptr;
    arrayCount_ = 0;
    compact_ = false;
  } else {
    compact_ = true;
  }
}

void CRegionList::FreeNodes() {
  for (Node* n = first_; n != nullptr;) {
    Node* next = n->next;
    MEM_DELETE n;
    n = next;
  }
  first_ = last_ = nullptr;
}

void CRegionList::Clear() {
  FreeNodes();
  if (array_ != nullptr) MEM_DELETE_ARRAY array_;
  array_ = nullptr;
  arrayCount_ = 0;
  count_ = 0;
  compact_ = false;
}

namespace {
bool Damaged(EnvTextCursor& cursor, const char* what) {
  DebugTrace("Region section, line %d: %s\n", cursor.Line(), what);
  return false;
}
}  // namespace

bool CRegionList::ReadText(EnvTextCursor& cursor, int version) {
  Clear();
  int n = 0;
  if (!cursor.Int(&n)) return Damaged(cursor, "the region count is missing");
  if (n < 0 || n > kMaxRegions) return Damaged(cursor, "the region count is out of range");
  for (int i = 0; i < n; ++i) {
    char keyword[64], name[128];
    int type = 0;
    if (!cursor.Token(keyword) || !cursor.Word(name) || !cursor.Int(&type))
      return Damaged(cursor, "a region's keyword, name or type is missing");
    CRegion region;
    region.NameHash = HashString(name);
    region.Type = static_cast<std::uint32_t>(type);
    if (type == REGION_BOX) {
      float v[12];
      if (!cursor.Reals(v, 12)) return Damaged(cursor, "a box region's numbers are missing");
      // Position, rotation angles (degrees), and the two extent vectors.
      region.Box.SetFromBoxAndPose({v[6], v[7], v[8]}, {v[9], v[10], v[11]}, {v[0], v[1], v[2]},
                                   {v[3], v[4], v[5]});
    } else if (type == REGION_SPHERE) {
      float v[4];
      if (!cursor.Reals(v, 4)) return Damaged(cursor, "a sphere region's numbers are missing");
      region.Sphere.Set({v[0], v[1], v[2]}, v[3]);
    }
    if (version >= 32 && version <= 52) {
      for (int k = 0; k < 4; ++k) {
        int ignored = 0;
        if (!cursor.Int(&ignored)) return Damaged(cursor, "a region's four numbers are missing");
      }
    }
    if (Add(region) < 0) return Damaged(cursor, "out of memory");
  }
  char end[64];
  if (!cursor.Token(end)) return Damaged(cursor, "the end word is missing");
  compact_ = false;
  changed_ = false;
  return true;
}

bool CRegionList::ReadFile(BufferedFile* file, int version) {
  if (file == nullptr) return false;
  // The rest of the file, in chunks, up to the limit.
  std::string text;
  char chunk[4096];
  for (;;) {
    const std::size_t got = FileRead(chunk, 1, sizeof chunk, file);
    if (got == 0) break;
    if (text.size() + got > kMaxRegionFileBytes) {
      DebugTrace("Region file is too long (more than %u bytes)\n", kMaxRegionFileBytes);
      return false;
    }
    text.append(chunk, got);
  }
  EnvTextCursor cursor(text.c_str());
  return ReadText(cursor, version);
}
