#include "render/bsp/bsp_tree.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "foundation/files/buffered_file.h"
#include "foundation/byte_reader.h"
#include "foundation/text/keyword_readers.h"
#include "foundation/memory/memory_manager.h"
#include "render/bsp/bsp_tree_index.h"

namespace {

constexpr std::uint32_t kNodeSize = sizeof(BspNode);
constexpr std::uint32_t kPolygonHeader = sizeof(BspPolygon);
constexpr std::uint32_t kVertexSize = 12;

std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Checks a tree block before anything follows its links.  Every item (node or
// list) claims its bytes in a coverage map of 4-byte granules, so a node reached
// twice, a cycle or two overlapping items are caught the moment they appear and
// the work stays linear in the block size.
class BlockChecker {
 public:
  BlockChecker(const std::uint8_t* block, std::size_t size) : block_(block), size_(size), used_((size + 3) / 4, 0) {}

  bool Check() {
    if (size_ < kNodeSize || size_ % 4 != 0 || size_ > 0xFFFFFFFFu) return false;
    struct Pending {
      std::uint32_t offset;
      std::uint32_t depth;
    };
    std::vector<Pending> pending{{0, 1}};
    std::size_t claimed = 0;
    while (!pending.empty()) {
      Pending at = pending.back();
      pending.pop_back();
      if (at.depth > kBspMaxDepth) return false;
      if (!Claim(at.offset, kNodeSize)) return false;
      claimed += kNodeSize;
      const std::uint8_t* node = block_ + at.offset;
      for (int k = 0; k < 2; ++k) {
        std::uint32_t list = ReadU32(node + 16 + 4 * k);
        if (list == 0) continue;
        std::uint32_t list_size = 0;
        if (!CheckList(list, &list_size)) return false;
        claimed += list_size;
      }
      for (int k = 0; k < 2; ++k) {
        std::uint32_t child = ReadU32(node + 24 + 4 * k);
        if (child != 0) pending.push_back({child, at.depth + 1});
      }
    }
    // The items must tile the block: nothing unreached, nothing extra.
    return claimed == size_;
  }

 private:
  bool InBlock(std::uint32_t offset, std::uint32_t length) const {
    return offset % 4 == 0 && offset <= size_ && length <= size_ - offset;
  }
  // Marks [offset, offset + length) as used; false when outside the block or already used.
  bool Claim(std::uint32_t offset, std::uint32_t length) {
    if (!InBlock(offset, length)) return false;
    for (std::uint32_t g = offset / 4; g < (offset + length) / 4; ++g) {
      if (used_[g]) return false;
      used_[g] = 1;
    }
    return true;
  }
  // Walks one polygon list: every record and the terminator inside the block,
  // then the padding up to the list's rounded size.
  bool CheckList(std::uint32_t offset, std::uint32_t* list_size) {
    std::uint32_t at = offset;
    for (;;) {
      if (!InBlock(at, 4)) return false;
      std::uint16_t count = ReadU16(block_ + at);
      if (count == 0) {
        // A list holds at least one polygon: a link to a bare terminator is damage.
        if (at == offset) return false;
        break;
      }
      std::uint32_t record = kPolygonHeader + kVertexSize * count;
      if (!Claim(at, record)) return false;
      at += record;
    }
    std::uint64_t size = ((static_cast<std::uint64_t>(at - offset) + 4 + 15) / 16) * 16;
    if (size > size_ - offset) return false;
    if (!Claim(at, static_cast<std::uint32_t>(offset + size - at))) return false;
    *list_size = static_cast<std::uint32_t>(size);
    return true;
  }

  const std::uint8_t* block_;
  std::size_t size_;
  std::vector<std::uint8_t> used_;
};

BspNode* AllocateBlock(std::size_t size) {
  // operator new[] aligns to at least 16 bytes, more than the 4 the records need.
  return reinterpret_cast<BspNode*>(MEM_NEW(MEMCAT_NONE) std::uint8_t[size]);
}

// Visits every node: the back child recursively, the front child in the loop.
template <typename Visit>
void ForEachNode(const BspNode* root, const BspNode* node, Visit& visit) {
  while (node) {
    visit(node);
    if (node->Back) ForEachNode(root, BspNodeAt(root, node->Back), visit);
    node = BspNodeAt(root, node->Front);
  }
}

}  // namespace

void FreeBspTree(BspNode* root) {
  if (!root) return;
  NoteBspTreeFreed(root);
  MEM_DELETE_ARRAY reinterpret_cast<std::uint8_t*>(root);
}

BspTreePtr MakeBspTree(const void* block, std::size_t size) {
  if (!block) return nullptr;
  BlockChecker checker(static_cast<const std::uint8_t*>(block), size);
  if (!checker.Check()) return nullptr;
  BspNode* root = AllocateBlock(size);
  std::memcpy(root, block, size);
  NoteBspTreeMade(root);
  return BspTreePtr(root);
}

BspTreePtr LoadBspTree(ByteReader& in) {
  in.U32();  // tag word, not compared
  std::uint32_t size = in.U32();
  if (!in.Ok()) return nullptr;
  const std::uint8_t* block = in.View(size);
  if (!block) return nullptr;
  return MakeBspTree(block, size);
}

BspTreePtr LoadBspTree(BufferedFile* file) {
  std::uint32_t tag = 0, size = 0;
  if (!FileReadU32(&tag, file) || !FileReadU32(&size, file)) return nullptr;
  // Read in steps, so that a stated size larger than the file is never allocated whole.
  constexpr std::size_t kStep = 1u << 16;
  std::vector<std::uint8_t> block;
  while (block.size() < size) {
    std::size_t at = block.size();
    std::size_t n = std::min<std::size_t>(kStep, size - at);
    block.resize(at + n);
    if (FileRead(block.data() + at, 1, n, file) != n) return nullptr;
  }
  return MakeBspTree(block.data(), block.size());
}

bool SkipBspTree(BufferedFile* file) {
  std::uint32_t tag = 0, size = 0;
  if (!FileReadU32(&tag, file) || !FileReadU32(&size, file)) return false;
  return FileRead(nullptr, 1, size, file) == size;
}

bool SkipBspTree(ByteReader& in) {
  in.U32();
  std::uint32_t size = in.U32();
  if (!in.Ok()) return false;
  return in.Skip(size);
}

void WriteBspTree(const BspNode* root, ByteWriter& out) {
  if (!root) return;
  std::uint32_t size = GetBspTreeSize(root);
  out.Tag("BSPT");
  out.U32(size);
  // Links are kept as offsets, so the block is written as it lies.
  out.Bytes(root, size);
}

std::uint32_t GetBspListSize(const BspPolygon* list) {
  if (!list) return 0;
  std::uint32_t bytes = 0;
  for (const BspPolygon* p = list; p; p = NextBspPolygon(p)) bytes += static_cast<std::uint32_t>(p->RecordSize());
  return (bytes + 4 + 15) & ~15u;
}

std::uint32_t GetBspTreeSize(const BspNode* root) {
  std::uint32_t size = 0;
  auto add = [&](const BspNode* node) {
    size += kNodeSize + GetBspListSize(BspListAt(root, node->PositiveList)) +
            GetBspListSize(BspListAt(root, node->NegativeList));
  };
  ForEachNode(root, root, add);
  return size;
}

std::int32_t GetBspStatistics(const BspNode* root, BspStatistics* stats) {
  *stats = BspStatistics{};
  auto count = [&](const BspNode* node) {
    ++stats->Nodes;
    for (std::uint32_t link : {node->PositiveList, node->NegativeList}) {
      const BspPolygon* list = BspListAt(root, link);
      stats->Polygons += CountBspPolygons(list);
      stats->Vertices += CountBspVertices(list);
    }
  };
  ForEachNode(root, root, count);
  stats->BlockSize = static_cast<std::int32_t>(GetBspTreeSize(root));
  return stats->BlockSize;
}

const BspPolygon* NextBspPolygon(const BspPolygon* polygon) {
  const auto* next = reinterpret_cast<const BspPolygon*>(reinterpret_cast<const std::uint8_t*>(polygon) +
                                                         polygon->RecordSize());
  return next->VertexCount ? next : nullptr;
}

int CountBspPolygons(const BspPolygon* list) {
  int count = 0;
  for (const BspPolygon* p = list; p; p = NextBspPolygon(p)) ++count;
  return count;
}

int CountBspVertices(const BspPolygon* list) {
  int count = 0;
  for (const BspPolygon* p = list; p; p = NextBspPolygon(p)) count += p->VertexCount;
  return count;
}

void ComputeBspPolygonBounds(BspPolygon* polygon) {
  unsigned n = polygon->VertexCount;
  if (n == 0) return;
  float c[3] = {0, 0, 0};
  for (unsigned k = 0; k < n; ++k)
    for (int i = 0; i < 3; ++i) c[i] += polygon->Vertex(k)[i];
  for (int i = 0; i < 3; ++i) c[i] /= static_cast<float>(n);
  float largest = 0;
  for (unsigned k = 0; k < n; ++k) {
    const float* v = polygon->Vertex(k);
    float dx = v[0] - c[0], dy = v[1] - c[1], dz = v[2] - c[2];
    float d2 = dx * dx + dy * dy + dz * dz;
    if (d2 > largest) largest = d2;
  }
  for (int i = 0; i < 3; ++i) polygon->Centre[i] = c[i];
  polygon->RadiusSq = largest * 1.25f;
}
