// Stored form of one zone's octree in the level's ".OCT" file, little-endian:
//   u32 N; N nodes of 24 bytes (u32 list word, always 0; u32 byte offset of
//   the first child from the first node, 0 for a leaf; f32 half size;
//   f32 centre x, y, z); then one list per node in pre-order (a node, then
//   its children 0 to 7 each with all its descendants): u32 count C, C x u32
//   instance numbers.
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/memory/memory_manager.h"
#include "world/space/octree.h"

namespace {

constexpr std::uint32_t kStoredNodeSize = 24;
constexpr std::uint32_t kNoNumber = 0xFFFFFFFFu;

// Calls visit(index) on every node in pre-order, without recursion.
template <typename Visit>
void PreOrder(const OctreeArray& tree, Visit visit) {
  if (!tree.Count()) return;
  std::vector<std::uint32_t> stack{0};
  while (!stack.empty()) {
    std::uint32_t index = stack.back();
    stack.pop_back();
    visit(index);
    if (const OctreeNode* children = tree.Nodes()[index].Children) {
      std::uint32_t first = tree.IndexOf(children);
      for (std::uint32_t i = 8; i-- > 0;) stack.push_back(first + i);
    }
  }
}

bool Refuse(std::string* error, const ByteReader& in, const char* what) {
  if (error) {
    char text[160];
    std::snprintf(text, sizeof text, "octree data damaged at byte %zu: %s", in.Position(), what);
    *error = text;
  }
  return false;
}

// A stored node as read, before anything is made.
struct StoredNode {
  std::uint32_t children;
  float half;
  float centre[3];
};

}  // namespace

void OctreeWrite(const OctreeArray& tree, std::span<const OctreeItem> items, ByteWriter& out) {
  std::unordered_map<const CEnvInstance*, std::uint32_t> numbers;
  numbers.reserve(items.size());
  for (const OctreeItem& item : items) numbers.emplace(item.Instance, item.Number);

  out.U32(tree.Count());
  for (std::uint32_t i = 0; i < tree.Count(); ++i) {
    const OctreeNode& node = tree.Nodes()[i];
    out.U32(0);
    out.U32(node.Children ? tree.IndexOf(node.Children) * kStoredNodeSize : 0);
    out.F32(node.HalfSize);
    out.F32(node.Centre.x);
    out.F32(node.Centre.y);
    out.F32(node.Centre.z);
  }
  PreOrder(tree, [&](std::uint32_t index) {
    const OctreeInstanceList* list = tree.Nodes()[index].List;
    if (!list) {
      out.U32(0);
      return;
    }
    out.U32(static_cast<std::uint32_t>(list->Count));
    for (std::int32_t k = 0; k < list->Count; ++k) {
      auto found = numbers.find(list->Instances[k]);
      out.U32(found == numbers.end() ? kNoNumber : found->second);
    }
  });
}

OctreeArray* OctreeRead(ByteReader& in, std::span<CEnvInstance* const> instances, std::string* error,
                        bool* pastTable) {
  if (pastTable) *pastTable = false;
  std::uint32_t count = in.U32();
  if (!in.Ok()) return Refuse(error, in, "no node count"), nullptr;
  if (count == 0) return Refuse(error, in, "node count 0"), nullptr;
  if (!in.HasRoomFor(count, kStoredNodeSize)) return Refuse(error, in, "node count past the end of the file"), nullptr;

  std::vector<StoredNode> stored(count);
  for (StoredNode& node : stored) {
    in.U32();  // list word: written as 0, meaningless when read
    node.children = in.U32();
    node.half = in.F32();
    for (float& c : node.centre) c = in.F32();
    bool finite = std::isfinite(node.half) && std::isfinite(node.centre[0]) && std::isfinite(node.centre[1]) &&
                  std::isfinite(node.centre[2]);
    if (!finite || !(node.half > 0.0f)) return Refuse(error, in, "node cube not a finite cube"), nullptr;
    if (node.children) {
      // The root is at offset 0, so no child block may start there; the whole
      // block of 8 must lie inside the array.
      if (node.children % kStoredNodeSize != 0 || node.children / kStoredNodeSize > count - 1 ||
          count - node.children / kStoredNodeSize < 8)
        return Refuse(error, in, "children offset outside the node array"), nullptr;
    }
  }

  // Every node must be reached exactly once from the root: no cycles, no
  // shared or stray blocks.
  std::vector<std::uint8_t> reached(count, 0);
  std::vector<std::uint32_t> order;
  order.reserve(count);
  std::vector<std::uint32_t> stack{0};
  while (!stack.empty()) {
    std::uint32_t index = stack.back();
    stack.pop_back();
    if (reached[index]) return Refuse(error, in, "node reached twice"), nullptr;
    reached[index] = 1;
    order.push_back(index);
    if (std::uint32_t off = stored[index].children) {
      std::uint32_t first = off / kStoredNodeSize;
      for (std::uint32_t i = 8; i-- > 0;) stack.push_back(first + i);
    }
  }
  if (order.size() != count) return Refuse(error, in, "node not reached from the root"), nullptr;

  // Lists, in pre-order, checked before the tree is made.
  std::vector<std::vector<CEnvInstance*>> lists(count);
  for (std::uint32_t index : order) {
    std::uint32_t n = in.U32();
    if (!in.Ok()) return Refuse(error, in, "instance list cut short"), nullptr;
    if (n > 0x7FFFFFFFu || !in.HasRoomFor(n, 4)) return Refuse(error, in, "instance count past the end"), nullptr;
    lists[index].reserve(n);
    for (std::uint32_t k = 0; k < n; ++k) {
      std::uint32_t number = in.U32();
      if (number >= instances.size()) {
        if (pastTable) *pastTable = true;
        char what[96];
        std::snprintf(what, sizeof what, "instance number %u past the instance table of %zu", number, instances.size());
        return Refuse(error, in, what), nullptr;
      }
      lists[index].push_back(instances[number]);
    }
  }

  auto* tree = new (static_cast<MemoryCategory>(kOctreeMemoryCategory)) OctreeArray(count);
  OctreeNode* nodes = tree->Nodes();
  for (std::uint32_t i = 0; i < count; ++i) {
    nodes[i].HalfSize = stored[i].half;
    nodes[i].Centre = {stored[i].centre[0], stored[i].centre[1], stored[i].centre[2]};
    nodes[i].Children = stored[i].children ? nodes + stored[i].children / kStoredNodeSize : nullptr;
    if (lists[i].empty()) continue;
    auto n = static_cast<std::int32_t>(lists[i].size());
    nodes[i].List = OctreeNewList(n);
    for (std::int32_t k = 0; k < n; ++k) nodes[i].List->Instances[k] = lists[i][static_cast<std::size_t>(k)];
  }
  return tree;
}
