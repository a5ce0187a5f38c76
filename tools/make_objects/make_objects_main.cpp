// make_objects: the demo world's object files and their textures, from a text
// description (see object_description.h).
//
//   make_objects <description.txt> <output folder>
//
// Writes every texture of the description as <name>.tga and every object as
// <name>.evo into the folder; stops at the first error with a message.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "make_objects/animated_object_writer.h"
#include "make_objects/object_builder.h"
#include "make_objects/object_description.h"
#include "make_objects/object_file_writer.h"
#include "make_objects/texture_maker.h"

namespace {

bool WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_objects <description.txt> <output folder>\n");
    return 2;
  }
  const std::string source = argv[1];
  const std::filesystem::path folder = argv[2];
  std::ifstream in(source, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "make_objects: cannot read %s\n", source.c_str());
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  ObjectDescription description;
  std::string error;
  if (!ReadObjectDescription(text.str(), &description, &error, std::filesystem::path(source).parent_path().string())) {
    std::fprintf(stderr, "make_objects: %s, %s\n", source.c_str(), error.c_str());
    return 1;
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);

  for (const TextureSource& t : description.Textures) {
    const std::filesystem::path path = folder / TextureFileName(t);
    if (!WriteBytes(path, EncodeTextureFile(t))) {
      std::fprintf(stderr, "make_objects: cannot write %s\n", path.string().c_str());
      return 1;
    }
  }
  for (const ObjectSource& o : description.Objects) {
    std::vector<std::uint8_t> bytes;
    if (!WriteDescribedObjectFile(o, description, &bytes, &error)) {
      std::fprintf(stderr, "make_objects: %s, line %d: %s\n", source.c_str(), o.Line, error.c_str());
      return 1;
    }
    const std::filesystem::path path = folder / (o.Name + ".evo");
    if (!WriteBytes(path, bytes)) {
      std::fprintf(stderr, "make_objects: cannot write %s\n", path.string().c_str());
      return 1;
    }
  }
  std::printf("make_objects: %zu objects and %zu textures in %s\n", description.Objects.size(),
              description.Textures.size(), folder.string().c_str());
  return 0;
}
