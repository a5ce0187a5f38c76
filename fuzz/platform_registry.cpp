// Any text read as the registry file: the reader must not fail, and what it
// read must write back to a text that reads the same again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/win32/registry_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RegistryStore store;
  int bad = 0;
  ParseRegistryText(reinterpret_cast<const char*>(data), size, &store, &bad);
  std::string text = SerializeRegistry(store);
  RegistryStore again;
  int badAgain = 0;
  ParseRegistryText(text.data(), text.size(), &again, &badAgain);
  if (badAgain != static_cast<int>(store.unreadLines.size())) __builtin_trap();
  if (SerializeRegistry(again) != text) __builtin_trap();
  return 0;
}
