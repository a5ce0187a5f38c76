// Writes one seed file of a fuzz target's corpus (targets write their seeds,
// made by the engine's own writers, when asked to at build time).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// A seed that cannot be written stops the seed-writing run (and with it the
// build step): a target left without its seeds never gets past the headers.
inline void WriteSeedFile(const std::string& path, const void* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  const bool written = f != nullptr && (size == 0 || std::fwrite(data, 1, size, f) == size);
  if ((f != nullptr && std::fclose(f) != 0) || !written) {
    std::fprintf(stderr, "cannot write the seed %s\n", path.c_str());
    std::abort();
  }
}

inline void WriteSeedFile(const std::string& path, const std::string& text) {
  WriteSeedFile(path, text.data(), text.size());
}

inline void WriteSeedFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  WriteSeedFile(path, bytes.data(), bytes.size());
}

// folder/name holding text.
inline void WriteSeedIn(const std::string& folder, const std::string& name, const std::string& text) {
  WriteSeedFile(folder + "/" + name, text);
}

// A seed of a target whose first input byte picks the version: folder/seed<index>.txt
// holding the byte `index` and then the section's text.
inline void WriteVersionedSeed(const std::string& folder, std::size_t index, const std::string& text) {
  WriteSeedIn(folder, "seed" + std::to_string(index) + ".txt", std::string(1, static_cast<char>(index)) + text);
}
