// make_dynamics: ".dyn" tuning files from their text description (see
// dynamics_description.h), into one folder.  The level tool writes the demo
// level's through the same code ("dynamics" lines of a level description).
//
//   make_dynamics <description.txt> <output folder>
#include <cstdio>
#include <filesystem>
#include <string>

#include "make_dynamics/dynamics_description.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_dynamics <description.txt> <output folder>\n");
    return 2;
  }
  DynamicsDescription description;
  std::string error;
  std::vector<std::string> written;
  std::error_code ec;
  std::filesystem::create_directories(argv[2], ec);
  if (!ReadDynamicsDescriptionFile(argv[1], &description, &error) ||
      !WriteDynamicsFiles(description, argv[2], &written, &error)) {
    std::fprintf(stderr, "make_dynamics: %s\n", error.c_str());
    return 1;
  }
  std::printf("make_dynamics: %zu files in %s\n", written.size(), argv[2]);
  return 0;
}
