#include "make_catalogs/catalog_manifest.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "foundation/files/buffered_file.h"
#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "foundation/files/load_file.h"
#include "foundation/system/command_switches.h"

namespace fs = std::filesystem;

namespace {

std::string FileName(const std::string& path) { return fs::path(path).filename().string(); }

std::string LooseFolder(const std::string& folder) {
  std::string out = folder;
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

bool ReadBytes(const fs::path& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *bytes = s.str();
  return true;
}

// Runs in a folder, with the catalogs shut and the switches cleared afterwards.
class InFolder {
 public:
  explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
    SetWorkDirectory();
    SetSearchFolders(nullptr);
  }
  ~InFolder() {
    CatalogShutdown();
    SetCatalogMode(0);
    ClearAllCommandSwitches();
    fs::current_path(previous_);
  }

 private:
  fs::path previous_;
};

}  // namespace

bool ReadManifest(const std::string& text, CatalogManifest* manifest, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream fields(line);
    std::string first, second, extra;
    fields >> first;
    if (first.empty() || first[0] == '#') continue;
    fields >> second >> extra;
    auto fail = [&](const std::string& what) {
      *error = "manifest line " + std::to_string(number) + ": " + what;
      return false;
    };
    if (first == "catalog") {
      std::string base, more;
      fields >> base >> more;
      const bool from = extra == "from" && !base.empty() && more.empty();
      if (second.empty() || (!extra.empty() && !from)) return fail("expected \"catalog <name> [from <built catalog>]\"");
      if (!manifest->catalog.empty() && manifest->catalog != second) return fail("a second catalog name");
      if (from && base.find("..") != std::string::npos) return fail("paths must stay inside the data folder");
      manifest->catalog = second;
      if (from) manifest->base = base;
      continue;
    }
    if (first == "tree") {
      if (second.empty() || extra.empty()) return fail("expected \"tree <folder> <loose folder> [<file>]\"");
      // An optional last word names a file the folder's tool makes (the build's dependency).
      std::string marker, more;
      fields >> marker >> more;
      if (!more.empty()) return fail("expected \"tree <folder> <loose folder> [<file>]\"");
      if (second.find("..") != std::string::npos || extra.find("..") != std::string::npos)
        return fail("paths must stay inside the data folder");
      manifest->entries.push_back(ManifestEntry{second, extra, number, true});
      continue;
    }
    if (second.empty() || !extra.empty()) return fail("expected \"<file> <loose folder>\"");
    if (fs::path(first).is_absolute() || first.find("..") != std::string::npos || second.find("..") != std::string::npos)
      return fail("paths must stay inside the data folder");
    manifest->entries.push_back(ManifestEntry{first, second, number});
  }
  if (manifest->catalog.empty()) {
    *error = "the manifest names no catalog";
    return false;
  }
  for (const ManifestEntry& e : manifest->entries)
    if (e.tree && manifest->catalog != kNoCatalog) {
      *error = "manifest line " + std::to_string(e.line) + ": a folder goes into the loose tree only (\"catalog -\")";
      return false;
    }
  return true;
}

bool CheckManifest(const CatalogManifest& manifest, std::string* error) {
  if (manifest.entries.size() > kCatalogEntryCount) {
    *error = manifest.catalog + ": " + std::to_string(manifest.entries.size()) + " files, more than the " +
             std::to_string(kCatalogEntryCount) + " a catalog holds";
    return false;
  }
  std::map<std::uint32_t, const ManifestEntry*> keys;
  for (const ManifestEntry& e : manifest.entries) {
    const auto [it, added] = keys.emplace(CatalogNameHash(FileName(e.source).c_str()), &e);
    if (!added) {
      *error = manifest.catalog + ": " + it->second->source + " (line " + std::to_string(it->second->line) + ") and " +
               e.source + " (line " + std::to_string(e.line) + ") have the same catalog key";
      return false;
    }
  }
  return true;
}

bool BuildCatalog(const CatalogManifest& manifest, const std::string& dataFolder, const std::string& catalogPath,
                  std::string* error) {
  const fs::path data = fs::absolute(dataFolder), target = fs::absolute(catalogPath);
  std::error_code ec;
  fs::create_directories(target.parent_path(), ec);
  fs::remove(target, ec);
  for (const ManifestEntry& e : manifest.entries)
    if (!fs::is_regular_file(data / e.source)) {
      *error = manifest.catalog + ": " + e.source + " (line " + std::to_string(e.line) + ") is not built";
      return false;
    }
  if (!manifest.base.empty()) {
    fs::copy_file(data / manifest.base, target, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      *error = manifest.catalog + ": the catalog " + manifest.base + " is not built";
      return false;
    }
  }
  {
    InFolder scope(data);
    SetCommandSwitch('c');
    // With a base the catalog is reopened: its directory is read and the files appended.
    const int reopen = manifest.base.empty() ? 0 : 1;
    if (reopen) SetCatalogPath(0, target.string().c_str());
    if (!CatalogStartup() || OpenCatalog(0, target.string().c_str(), reopen, 0) != 1) {
      *error = "cannot make " + target.string();
      return false;
    }
    for (const ManifestEntry& e : manifest.entries) {
      BufferedFile* f = FileOpen(e.source.c_str(), "rb");
      if (f == nullptr) {
        *error = "cannot read " + e.source;
        return false;
      }
      char scratch[4096];
      while (FileRead(scratch, 1, sizeof scratch, f) == sizeof scratch) {
      }
      FileClose(f);
    }
    CloseCatalog();
  }
  // Read back: every file through the catalog, byte for byte.
  InFolder scope(data);
  SetCommandSwitch('d');
  if (!CatalogStartup() || OpenCatalog(0, target.string().c_str(), 0, 0) != 1) {
    *error = target.string() + " does not open";
    return false;
  }
  for (const ManifestEntry& e : manifest.entries) {
    char* bytes = nullptr;
    std::uint32_t size = 0;
    std::string expected;
    if (!ReadBytes(data / e.source, &expected) || !LoadFile(FileName(e.source).c_str(), &bytes, &size, nullptr, 0)) {
      *error = manifest.catalog + ": " + e.source + " does not read back";
      return false;
    }
    const bool same = expected.size() == size && expected.compare(0, size, bytes, size) == 0;
    FreeLoadedFile(bytes);
    if (!same) {
      *error = manifest.catalog + ": " + e.source + " reads back different bytes";
      return false;
    }
  }
  return true;
}

bool InstallLooseTree(const CatalogManifest& manifest, const std::string& dataFolder, const std::string& root,
                      std::string* error) {
  const fs::path data = fs::absolute(dataFolder), base = fs::absolute(root);
  for (const ManifestEntry& e : manifest.entries) {
    const fs::path folder = e.folder == "." ? base : base / LooseFolder(e.folder);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (e.tree) {
      for (const auto& file : fs::directory_iterator(data / e.source, ec))
        if (file.is_regular_file() && file.path().extension() != ".dat")
          fs::copy_file(file.path(), folder / file.path().filename(), fs::copy_options::overwrite_existing, ec);
      if (ec) {
        *error = "cannot install the folder " + e.source + " into " + folder.string() + ": " + ec.message();
        return false;
      }
      continue;
    }
    fs::copy_file(data / e.source, folder / FileName(e.source), fs::copy_options::overwrite_existing, ec);
    if (ec) {
      *error = "cannot install " + e.source + " into " + folder.string() + ": " + ec.message();
      return false;
    }
  }
  return true;
}
