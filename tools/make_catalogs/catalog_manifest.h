// Catalog manifests: the list of built files that make one catalog of the
// game's data, and where each file lies in the loose data tree that the
// development mode ("-f" without "d") reads instead of the catalogs.
//
// Manifest text: "catalog <name> [from <built catalog>]" once (with "from",
// the files are added to a copy of a catalog another tool built), then one
// file a line:
//   <path relative to the demo data folder> <loose folder>
// where the loose folder is a game path ("data\stats", "shaders", "." for
// the data root).  Blank lines and lines starting with '#' are skipped.
// "catalog -" names no catalog: the manifest only installs loose files
// (level catalogs and load lists into the data root), and then it may also
// hold "tree <folder> <loose folder> [<file>]" lines, which install every
// file of a built folder but its catalogs (for the development mode); the
// optional file is one the folder's tool makes, for the build to wait on.
#pragma once

#include <string>
#include <vector>

struct ManifestEntry {
  std::string source;  // relative to the demo data folder
  std::string folder;  // loose folder, "\" separated; "." the root
  int line = 0;
  bool tree = false;   // source is a folder: every file in it
};

// The catalog name of a manifest that installs loose files only.
inline constexpr const char* kNoCatalog = "-";

struct CatalogManifest {
  std::string catalog;  // e.g. "catalog.dat"
  std::string base;     // "catalog <name> from <built catalog>": the catalog the files are added to
  std::vector<ManifestEntry> entries;
};

// Reads a manifest (several may be joined: the "catalog" line is given once).
// False with a message naming the line for a malformed line.
bool ReadManifest(const std::string& text, CatalogManifest* manifest, std::string* error);

// Refuses a manifest a catalog cannot hold: more than 1504 files, or two
// files whose catalog keys (the hash of the upper-cased name without
// folders) are equal.  False with a message naming the files.
bool CheckManifest(const CatalogManifest& manifest, std::string* error);

// Builds the catalog file at `catalogPath` from the files under `dataFolder`
// through the engine's catalog-build mode (added to a copy of the base
// catalog when the manifest names one), then reads every file back
// through the catalog and compares its bytes.  False with a message.
bool BuildCatalog(const CatalogManifest& manifest, const std::string& dataFolder, const std::string& catalogPath,
                  std::string* error);

// Copies each file into `root`/<loose folder>/<file name>.  False with a message.
bool InstallLooseTree(const CatalogManifest& manifest, const std::string& dataFolder, const std::string& root,
                      std::string* error);
