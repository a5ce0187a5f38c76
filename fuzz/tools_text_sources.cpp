// Feeds arbitrary text to the string-table source reader and the catalog
// manifest reader.  An accepted source must write a string table (or be
// refused with a reason) whose every record lies inside the bytes; an
// accepted manifest must be checked without fault.  Seeds: the repository's
// string sources and catalog manifest.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "make_catalogs/catalog_manifest.h"
#include "make_strings/string_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  std::vector<SourceString> strings;
  if (ReadStringSource(text, &strings, &error)) {
    std::vector<std::uint8_t> bytes;
    if (!WriteLocBytes(strings, kGameStringSetValue, &bytes, &error) && error.empty()) std::abort();
    if (!bytes.empty() && (bytes.size() < 28 || bytes[0] != 'S' || bytes[bytes.size() - 4] != 'S')) std::abort();
  } else if (error.empty()) {
    std::abort();  // a refusal always says why
  }
  CatalogManifest manifest;
  error.clear();
  if (ReadManifest(text, &manifest, &error)) {
    if (manifest.catalog.empty()) std::abort();
    CheckManifest(manifest, &error);
  } else if (error.empty()) {
    std::abort();
  }
  return 0;
}
