#include "make_stats/stats_check.h"

#include <filesystem>

#include "foundation/memory/linear_buffer.h"
#include "platform/win32/message_box.h"
#include "shell/global_heap.h"
#include "shell/stats/stats_tables.h"

namespace make_stats {

namespace {

int RecordBox(HWND, const char* text, const char*, UINT, void* context) {
  static_cast<std::vector<std::string>*>(context)->push_back(text ? text : "");
  return IDIGNORE;
}

}  // namespace

bool CheckTables(const std::string& folder, std::vector<std::string>* boxes) {
  std::error_code ec;
  const std::filesystem::path before = std::filesystem::current_path(ec);
  std::filesystem::current_path(folder, ec);
  if (ec) {
    boxes->push_back(folder + ": cannot be entered");
    return false;
  }
  SetMessageBoxHook(RecordBox, boxes);
  CLinearBuffer* heap = g_GlobalHeap;
  CLinearBuffer own(kGlobalHeapSize, "Global Heap");
  if (heap == nullptr) g_GlobalHeap = &own;
  const bool loaded = LoadAllStats();
  FreeAllStats();
  if (heap == nullptr) g_GlobalHeap = nullptr;
  SetMessageBoxHook(nullptr, nullptr);
  std::filesystem::current_path(before, ec);
  return loaded && boxes->empty();
}

}  // namespace make_stats
