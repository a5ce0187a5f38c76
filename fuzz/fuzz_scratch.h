// A folder of the temporary folder for the files a fuzz target must write to
// read its input the way the engine does (a catalog, a level's templates):
// one per run of the target, removed when the run ends (libFuzzer ends a run
// through exit, which runs static destructors; a crash leaves it, beside the
// crash's own files).
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

class FuzzScratchFolder {
 public:
  explicit FuzzScratchFolder(const std::string& target) {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("halberd_fuzz_" + target + "_" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~FuzzScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  FuzzScratchFolder(const FuzzScratchFolder&) = delete;
  FuzzScratchFolder& operator=(const FuzzScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // A file of the folder.
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// The folder of this run of the target (made at first use).
inline const FuzzScratchFolder& FuzzScratch(const std::string& target) {
  static const FuzzScratchFolder folder(target);
  return folder;
}
