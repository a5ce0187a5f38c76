// Shared by the seed writers: each is run at build time as
// `<writer> <seed folder>` and writes valid files of the formats it knows to
// <seed folder>/fuzz_<target>/, where `make fuzz` starts that target from.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace seeds {

inline std::filesystem::path& Root() {
  static std::filesystem::path root;
  return root;
}

// Writes one seed of a fuzz target (its name without "fuzz_").
inline void Write(const std::string& target, const std::string& name, const void* data, std::size_t size) {
  const std::filesystem::path folder = Root() / ("fuzz_" + target);
  std::filesystem::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary).write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}
inline void Write(const std::string& target, const std::string& name, const std::vector<std::uint8_t>& bytes) {
  Write(target, name, bytes.data(), bytes.size());
}
inline void Write(const std::string& target, const std::string& name, const std::string& text) {
  Write(target, name, text.data(), text.size());
}

// Reads a whole file (empty when missing).
inline std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Takes the seed folder from the command line; false (with a message) without one.
inline bool Start(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <seed folder>\n", argc > 0 ? argv[0] : "seed writer");
    return false;
  }
  Root() = std::filesystem::absolute(argv[1]);
  std::filesystem::create_directories(Root());
  return true;
}

}  // namespace seeds
