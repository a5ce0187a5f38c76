// make_shader_stubs: the shader files the game loads at start-up, as stubs.
//
//   make_shader_stubs <shaders.txt> <output folder>
//
// Each name of the list (one a line, '#' comments) becomes a file holding a
// shader-version token (vertex shader 1.1 for ".vso", pixel shader 1.1 for
// ".pso") followed by the end token.  The graphics stand-in reports no shader
// support, so the program reads these files and never runs them.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/byte_reader.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_shader_stubs <shaders.txt> <output folder>\n");
    return 2;
  }
  std::ifstream list(argv[1]);
  if (!list) {
    std::fprintf(stderr, "make_shader_stubs: cannot read %s\n", argv[1]);
    return 1;
  }
  const std::filesystem::path out = argv[2];
  std::error_code ignored;
  std::filesystem::create_directories(out, ignored);
  std::string name;
  int written = 0;
  while (std::getline(list, name)) {
    if (!name.empty() && name.back() == '\r') name.pop_back();
    if (name.empty() || name[0] == '#') continue;
    const std::string extension = name.size() > 4 ? name.substr(name.size() - 4) : "";
    if (extension != ".vso" && extension != ".pso") {
      std::fprintf(stderr, "make_shader_stubs: %s is neither a \".vso\" nor a \".pso\" file\n", name.c_str());
      return 1;
    }
    ByteWriter w;
    w.U32(extension == ".vso" ? 0xFFFE0101u : 0xFFFF0101u);  // version 1.1
    w.U32(0x0000FFFFu);                                       // end
    std::ofstream file(out / name, std::ios::binary);
    file.write(reinterpret_cast<const char*>(w.Data().data()), static_cast<std::streamsize>(w.Size()));
    if (!file) {
      std::fprintf(stderr, "make_shader_stubs: cannot write %s\n", (out / name).string().c_str());
      return 1;
    }
    ++written;
  }
  std::printf("make_shader_stubs: %d shader stubs in %s\n", written, out.string().c_str());
  return 0;
}
