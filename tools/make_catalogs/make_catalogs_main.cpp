// make_catalogs: one catalog of the game's data and its loose tree.
//
//   make_catalogs <demo data folder> <game data root> <manifest>...
//
// The manifests (joined) name the catalog and its files; the catalog is
// written into the game data root and every file is also installed in the
// loose tree under it, for the development mode ("-f" without "d").
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "make_catalogs/catalog_manifest.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: make_catalogs <demo data folder> <game data root> <manifest>...\n");
    return 2;
  }
  CatalogManifest manifest;
  std::string error;
  for (int i = 3; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in || !ReadManifest(text.str(), &manifest, &error)) {
      std::fprintf(stderr, "make_catalogs: %s: %s\n", argv[i], in ? error.c_str() : "cannot be read");
      return 1;
    }
  }
  const std::string root = argv[2];
  const bool catalog = manifest.catalog != kNoCatalog;
  if (!CheckManifest(manifest, &error) ||
      (catalog && !BuildCatalog(manifest, argv[1], root + "/" + manifest.catalog, &error)) ||
      !InstallLooseTree(manifest, argv[1], root, &error)) {
    std::fprintf(stderr, "make_catalogs: %s\n", error.c_str());
    return 1;
  }
  std::printf("make_catalogs: %s with %zu files in %s\n", manifest.catalog.c_str(), manifest.entries.size(),
              root.c_str());
  return 0;
}
