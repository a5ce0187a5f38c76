// The container's side of the level's octree file: which zone roots have a
// tree, in which order they are stored, and the file itself.  The trees are
// the zone module's.
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/files/buffered_file.h"
#include "foundation/files/file_locator.h"
#include "foundation/files/path_helpers.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/debug_output.h"
#include "foundation/system/message_box.h"
#include "platform/win32/win_stdio.h"
#include "world/environment/environment.h"
#include "world/space/octree.h"
#include "world/space/zone_record.h"

namespace {

std::string OctreePath(const char* levelPath) {
  char path[512];
  std::snprintf(path, sizeof(path), "%s", levelPath != nullptr ? levelPath : "");
  ChangePathExtension(path, sizeof(path), ".OCT");
  return path;
}

// The zone roots that carry a tree in the file: top-level, visible, with a zone record.
std::vector<CEnvInstance*> OctreeRoots(CEnvInstance* list) {
  std::vector<CEnvInstance*> roots;
  for (CEnvInstance* i = list; i != nullptr; i = i->EnvLink)
    if (i->Parent == nullptr && !(i->Flags & INSTF_HIDDEN) && i->Zone != nullptr) roots.push_back(i);
  return roots;
}

// Numbers every listed instance by its place in the list (the numbers octree
// files store) and answers the table of them.
std::vector<CEnvInstance*> NumberInstances(CEnvInstance* list) {
  std::vector<CEnvInstance*> table;
  for (CEnvInstance* i = list; i != nullptr; i = i->EnvLink) {
    i->InstanceNumber = static_cast<std::uint32_t>(table.size());
    table.push_back(i);
  }
  return table;
}

// The static instances of a zone root's subtree, each before its children,
// with their world boxes.
void CollectItems(CEnvInstance* instance, std::vector<OctreeItem>* items) {
  if (instance->IsStatic()) {
    OctreeItem item{instance, instance->InstanceNumber, {}};
    CVector3 lo, hi;
    instance->UpdateWorldBox(&lo, &hi);
    const float box[6] = {lo.x, lo.y, lo.z, hi.x, hi.y, hi.z};
    for (int k = 0; k < 6; ++k) item.Box[k] = box[k];
    items->push_back(item);
  }
  for (CEnvInstance* c = instance->FirstChild; c != nullptr; c = c->NextSibling) CollectItems(c, items);
}

// Whether a tree read from the file lists, at every node, exactly the
// static instances of its zone whose boxes overlap the node's cube, in
// subtree order: what a build over this instance list would have written.
// A file built over another list (another level, the same level loaded with
// other objects, or data rebuilt in part) names other instances by the same
// numbers.  On a difference *why tells the first one.
bool TreeMatchesZone(const OctreeArray& tree, const std::vector<OctreeItem>& items, std::string* why) {
  for (std::uint32_t n = 0; n < tree.Count(); ++n) {
    const OctreeNode& node = tree.Nodes()[n];
    const std::int32_t listed = node.List != nullptr ? node.List->Count : 0;
    std::int32_t k = 0;
    for (const OctreeItem& item : items) {
      if (!OctreeCubeOverlapsBox(&node, item.Box)) continue;
      if (k >= listed || node.List->Instances[k] != item.Instance) {
        char text[200];
        std::snprintf(text, sizeof text, "node %u does not list instance %u (\"%s\") where its zone's instances place it",
                      n, item.Number, item.Instance->GetIdString());
        *why = text;
        return false;
      }
      ++k;
    }
    if (k != listed) {
      const CEnvInstance* other = node.List->Instances[k];
      char text[200];
      std::snprintf(text, sizeof text, "node %u lists instance %u (\"%s\"), which its zone does not place there", n,
                    other->InstanceNumber, other->GetIdString());
      *why = text;
      return false;
    }
  }
  return true;
}

}  // namespace

bool CEnvironment::BuildOctrees(const char* levelPath, bool write) {
  NumberInstances(InstanceList);
  ByteWriter out;
  for (CEnvInstance* root : OctreeRoots(InstanceList)) {
    std::vector<OctreeItem> items;
    CollectItems(root, &items);
    OctreeArray* tree = OctreeBuild(items);
    if (write) OctreeWrite(*tree, items, out);
    root->Zone->SetOctree(tree);
  }
  if (!write) return true;
  const std::string path = OctreePath(levelPath);
  std::FILE* file = WinFopen(path.c_str(), "wb");
  if (file == nullptr) {
    DebugTrace("Cannot write octree file %s\n", path.c_str());
    return false;
  }
  const std::vector<std::uint8_t>& bytes = out.Data();
  const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

bool CEnvironment::LoadOctrees(const char* levelPath, OctreeLoadReport* report) {
  OctreeLoadReport local;
  OctreeLoadReport& r = report != nullptr ? *report : local;
  r = OctreeLoadReport{};
  const std::string path = OctreePath(levelPath);
  const auto refuse = [&](OctreeLoadFault fault, const std::string& text) {
    r.Fault = fault;
    r.Text = text;
    DebugTrace("%s\n", text.c_str());
    return false;
  };
  BufferedFile* file = FileOpenOnSearchPath(path.c_str(), 0);
  if (file == nullptr) return refuse(OctreeLoadFault::Missing, path + ": not found");
  std::vector<std::uint8_t> bytes(FileGetSize(file));
  const std::size_t got = bytes.empty() ? 0 : FileRead(bytes.data(), 1, bytes.size(), file);
  FileClose(file);
  // A short read is the failure the close would have to report.
  if (got != bytes.size()) return refuse(OctreeLoadFault::Unreadable, path + ": cannot be read whole");

  const std::vector<CEnvInstance*> table = NumberInstances(InstanceList);
  const std::vector<CEnvInstance*> roots = OctreeRoots(InstanceList);
  // Read and check every tree before any is installed, so that a damaged
  // file, or one built over another instance list, changes no zone.
  std::vector<std::unique_ptr<OctreeArray>> trees;
  const std::string otherList = " was built over another instance list: ";
  ByteReader in(bytes.data(), bytes.size());
  for (std::size_t k = 0; k < roots.size(); ++k) {
    const std::string tree = path + ": octree " + std::to_string(k) + " (zone \"" + roots[k]->GetIdString() + "\")";
    if (in.Remaining() == 0)
      return refuse(OctreeLoadFault::OtherInstanceList, path + otherList + "it holds " + std::to_string(k) +
                                                            " octrees, the level has " + std::to_string(roots.size()) +
                                                            " zones");
    std::string error;
    bool pastTable = false;
    trees.emplace_back(OctreeRead(in, std::span<CEnvInstance* const>(table.data(), table.size()), &error, &pastTable));
    if (trees.back() == nullptr) {
      if (pastTable) return refuse(OctreeLoadFault::OtherInstanceList, tree + otherList + error);
      return refuse(OctreeLoadFault::Damaged, tree + ": " + error);
    }
    std::vector<OctreeItem> items;
    CollectItems(roots[k], &items);
    std::string difference;
    if (!TreeMatchesZone(*trees.back(), items, &difference))
      return refuse(OctreeLoadFault::OtherInstanceList, tree + otherList + difference);
  }
  if (in.Remaining() != 0)
    return refuse(OctreeLoadFault::OtherInstanceList,
                  path + otherList + std::to_string(in.Remaining()) + " bytes follow the octrees of the level's " +
                      std::to_string(roots.size()) + " zones");
  for (std::size_t k = 0; k < roots.size(); ++k) roots[k]->Zone->SetOctree(trees[k].release());
  return true;
}

bool CEnvironment::BuildOrLoadOctrees(const char* levelPath) {
  bool loaded;
  OctreeLoadReport report;
  if (IsCommandSwitchSet('c')) {
    BuildOctrees(levelPath, true);
    loaded = LoadOctrees(levelPath, &report);
  } else if (IsCommandSwitchSet('d') || IsCommandSwitchSet('r')) {
    loaded = LoadOctrees(levelPath, &report);
  } else {
    return BuildOctrees(levelPath, true);
  }
  if (loaded) return true;
  const char* level = levelPath != nullptr ? levelPath : "";
  if (report.Fault == OctreeLoadFault::OtherInstanceList)
    ErrorBox("Level OCTREE data %s was built over another instance list\n%s\nRebuild it with the 'c' letter", level,
             report.Text.c_str());
  else
    ErrorBox("Cannot find level OCTREE data %s - Ensure Level has been run at least once in DEBUG", level);
  return false;
}
