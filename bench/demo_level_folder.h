// The start the demo-level benchmarks share: message boxes answered OK
// without echo, the built demo level's folder made the working folder and
// the file layer started on its catalog.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

#include "foundation/files/catalog.h"
#include "platform/win32/message_box.h"

namespace bench {

inline int AnswerOk(HWND, const char*, const char*, UINT, void*) { return IDOK; }

// Empty when the folder is entered and the file layer is up, otherwise what
// failed.
inline std::string EnterDemoLevelFolder(const char* folder) {
  SetMessageBoxEcho(false);
  SetMessageBoxHook(AnswerOk, nullptr);
  std::error_code failed;
  std::filesystem::current_path(folder, failed);
  if (failed) return "the demo level's folder is missing (the data tools make it at build time)";
  SetCatalogMode(0);
  if (!CatalogStartup()) return "the file layer did not start";
  return {};
}

}  // namespace bench
