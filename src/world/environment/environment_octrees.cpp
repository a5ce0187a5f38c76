// The container's side of the level's octree file: which zone roots have a
// tree, in which order they are stored, and the file itself.  The trees are
// the zone module's.
#include <cstdio>
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

}  // namespace

bool CEnvironment::BuildOctrees(const char* levelPath, bool write) {
  NumberInstances(InstanceList);
  ByteWriter out;
  for (CEnvInstance* root : OctreeRoots(InstanceList)) {
    std::vector<OctreeItem> items;
    CollectItems(root, &items);
    OctreeArray* tree = OctreeBuildFromItems(items);
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

bool CEnvironment::LoadOctrees(const char* levelPath) {
  const std::string path = OctreePath(levelPath);
  BufferedFile* file = FileOpenOnSearchPath(path.c_str(), 0);
  if (file == nullptr) return false;
  std::vector<std::uint8_t> bytes(FileGetSize(file));
  const std::size_t got = bytes.empty() ? 0 : FileRead(bytes.data(), 1, bytes.size(), file);
  FileClose(file);
  // A short read is the failure the close would have to report.
  if (got != bytes.size()) return false;

  const std::vector<CEnvInstance*> table = NumberInstances(InstanceList);
  const std::vector<CEnvInstance*> roots = OctreeRoots(InstanceList);
  // Read every tree before any is installed, so that a damaged file changes nothing.
  std::vector<OctreeArray*> trees;
  ByteReader in(bytes.data(), bytes.size());
  for (std::size_t k = 0; k < roots.size(); ++k) {
    std::string error;
    OctreeArray* tree = OctreeReadFrom(in, std::span<CEnvInstance* const>(table.data(), table.size()), &error);
    if (tree == nullptr) {
      DebugTrace("%s: octree %u: %s\n", path.c_str(), static_cast<unsigned>(k), error.c_str());
      for (OctreeArray* t : trees) delete t;
      return false;
    }
    trees.push_back(tree);
  }
  for (std::size_t k = 0; k < roots.size(); ++k) roots[k]->Zone->SetOctree(trees[k]);
  return true;
}

bool CEnvironment::BuildOrLoadOctrees(const char* levelPath) {
  bool loaded;
  if (IsCommandSwitchSet('c')) {
    BuildOctrees(levelPath, true);
    loaded = LoadOctrees(levelPath);
  } else if (IsCommandSwitchSet('d') || IsCommandSwitchSet('r')) {
    loaded = LoadOctrees(levelPath);
  } else {
    return BuildOctrees(levelPath, true);
  }
  if (!loaded)
    ErrorBox("Cannot find level OCTREE data %s - Ensure Level has been run at least once in DEBUG",
             levelPath != nullptr ? levelPath : "");
  return loaded;
}
