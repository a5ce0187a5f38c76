// Any bytes read as a binding file into a row of the program's mapper:
// nothing outside the table may be written (the other rows stay empty), every
// binding read is one a file line can name, and what is read saves and reads
// back to the same row.
//
// Seeds: run with HALBERD_WRITE_SEEDS=<folder> to write the hand-written
// "default.key" and the "current.key" the game's writer saves from it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "control/bindings/control_mapper.h"
#include "control/bindings/input_action.h"
#include "fuzz_seed_file.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) {
    std::ifstream in(DEMO_KEY_FILE, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (text.str().empty()) std::abort();
    WriteSeedIn(folder, "default.key", text.str());
    CControlMapper mapper;
    mapper.Init(1, kBindingSlots, kInputActionCount);
    mapper.LoadBindingsFromText(text.str().data(), text.str().size(), 0);
    WriteSeedIn(folder, "current.key", mapper.FormatRow(0));
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CControlMapper mapper;
  mapper.Init(kBindingRows, kBindingSlots, kInputActionCount);
  BindingFileReport report;
  if (!mapper.LoadBindingsFromText(reinterpret_cast<const char*>(data), size, 1, &report)) __builtin_trap();
  if (report.linesApplied + static_cast<int>(report.ignoredLines.size()) != report.linesRead) __builtin_trap();
  for (int row = 0; row < kBindingRows; ++row)
    for (int slot = 0; slot < kBindingSlots; ++slot)
      for (int action = 0; action < kInputActionCount; ++action) {
        const InputBindingCode code = mapper.GetBinding(row, slot, action);
        if (row != 1) {
          if (code != kNoBinding) __builtin_trap();
          continue;
        }
        if (code == kNoBinding) continue;
        // A binding read is one its own text names again.
        std::string text;
        if (!FormatBinding(text, code)) __builtin_trap();
        if (ParseBinding(text.c_str()) != code && text != "KEY_UnknownKey") __builtin_trap();
      }
  const std::string saved = mapper.FormatRow(1);
  CControlMapper back;
  back.Init(1, kBindingSlots, kInputActionCount);
  back.LoadBindingsFromText(saved.data(), saved.size(), 0);
  for (int slot = 0; slot < kBindingSlots; ++slot)
    for (int action = 0; action < kInputActionCount; ++action)
      if (back.GetBinding(0, slot, action) != mapper.GetBinding(1, slot, action)) __builtin_trap();
  return 0;
}
