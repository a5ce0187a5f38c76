// The script's ".sky" data-file reader: any bytes either give a sky or are
// refused with a blank record; a sky read is written back in the sky
// section's form and must read again to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/script/script_data_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SkySettings sky;
  if (!ParseSkyDataText(reinterpret_cast<const char*>(data), size, &sky)) return 0;
  std::string text;
  sky.Save(&text);
  if (text.size() > kSkyDataTextLimit) return 0;
  SkySettings again;
  if (!ParseSkyDataText(text.data(), text.size(), &again)) std::abort();
  std::string second;
  again.Save(&second);
  if (second != text) std::abort();
  return 0;
}
