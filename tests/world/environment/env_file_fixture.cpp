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

std::string SkySectionText(int v, const std::string& texture) {
  std::string s;
  if (v < 35) s += "0.1 0.2 0.3 1\n";
  s += "FOGSTART 100\nFOGSTOP 5000\n";
  if (v >= 72) s += "XFOGSTART 200\nXFOGSTOP 6000\n";
  for (int layer = 0; layer < 2; ++layer) {
    s += "SKYTEXTURE \"" + texture + "\"\nSKYTILEFACTOR 1\nSKYFIXEDY 0\n";
    if (v < 35) s += "1 2 3 4\n";
    s += "SKYSPEED 1 2 3\nSKYCURVATURE 0.5\nSKYHEIGHT 900\n";
  }
  if (v >= 33) {
    const int lines = (v >= 35 ? 3 : 1) * 4 + 16;
    for (int i = 0; i < lines; ++i) s += "COL 0.5 0.5 0.5 1\n";
    s += "TIMEOFDAY 9.5\n";
  }
  return s;
}

}  // namespace env_file_fixture
