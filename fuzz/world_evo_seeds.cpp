// Seed writer of the object-file and mesh-section fuzz targets: run as
// `fuzz_seeds_world_evo <seed folder>`, it writes valid files made by the
// engine's own writers to <seed folder>/fuzz_world_evo_file/ and
// <seed folder>/fuzz_scene_mesh_part/.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "world/environment/evo_fixture.h"
#include "world/environment/evo_writer.h"

namespace {

void Write(const std::filesystem::path& root, const std::string& target, const std::string& name,
           const std::vector<std::uint8_t>& bytes) {
  const std::filesystem::path folder = root / ("fuzz_" + target);
  std::filesystem::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <seed folder>\n", argc > 0 ? argv[0] : "seed writer");
    return 1;
  }
  const std::filesystem::path root = std::filesystem::absolute(argv[1]);
  BspTreePtr floor = evo_fixture::FloorTree(10.0f, 3);
  const std::vector<EvoNodeSource> tank = evo_fixture::TankTemplate(floor.get());
  Write(root, "world_evo_file", "tank.evo", EvoWriteFile(tank));
  Write(root, "world_evo_file", "body.evo", EvoWriteFile({tank[0]}));
  for (std::uint32_t version = 1; version <= 5; ++version) {
    MeshPartSource part = evo_fixture::FloorPart(1, 2);
    part.Version = version;
    if (version == 4) {
      part.IsStrip = 1;
      part.StripIndices = {0, 1, 3, 2};
    }
    ByteWriter out;
    WriteMeshSection(out, {part, evo_fixture::FloorPart(3, 4)});
    Write(root, "scene_mesh_part", "v" + std::to_string(version) + ".mesh", out.Data());
  }
  return 0;
}
