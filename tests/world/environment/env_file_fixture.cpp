#include "env_file_fixture.h"

#include <vector>

#include "render/textures/texture.h"
#include "world/environment/evo_fixture.h"
#include "world/environment/evo_writer.h"

namespace env_file_fixture {

namespace {

EvoNodeSource Plain(const char* object, int type, const BspNode* tree) {
  EvoNodeSource node;
  node.ObjectName = object;
  node.NodeName = object;
  node.Type = type;
  node.NodeIndex = 0;
  node.Textures = {"wall.png"};
  node.Materials = {EvoMaterialSource{}};
  node.Bounds = EvoMakeBounds({-10, 0, -10}, {10, 1, 10});
  node.Sphere = {{0, 0.5f, 0}, 15};
  node.WholeBounds = node.Bounds;
  node.WholeSphere = node.Sphere;
  node.MeshParts = {evo_fixture::FloorPart(ComputeTextureId("wall.png"), 0)};
  if (tree != nullptr) node.BspEntries = {{0, tree}};
  return node;
}

}  // namespace

bool WriteTemplates() {
  BspTreePtr floor = evo_fixture::FloorTree(10.0f, 1);
  struct File {
    const char* name;
    int type;
  } files[] = {{"Block", OTYPE_ENV},         {"Tile", OTYPE_LANDSCAPE}, {"Tile2", OTYPE_LANDSCAPE},
               {"InvisPoly", OTYPE_ENV},     {"Wave", OTYPE_VERTEXANIM}, {"Debris", OTYPE_ENV}};
  for (const File& f : files) {
    const std::string path = std::string(f.name) + ".evo";
    if (!EvoWriteFileToDisk(path.c_str(), {Plain(f.name, f.type, floor.get())})) return false;
  }
  std::vector<EvoNodeSource> rig = evo_fixture::TankTemplate(floor.get());
  for (EvoNodeSource& n : rig) n.ObjectName = "Rig";
  return EvoWriteFileToDisk("Rig.evo", rig);
}

}  // namespace env_file_fixture
