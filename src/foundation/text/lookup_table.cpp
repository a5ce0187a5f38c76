#include "foundation/text/lookup_table.h"

#include <cstring>

std::uint32_t LookupValueByKey(const KeyValuePair* pairs, std::uint32_t key) {
  if (!pairs) return 0;
  for (; pairs->value != 0; ++pairs)
    if (pairs->key == key) return pairs->value;
  return 0;
}

std::int32_t LookupValueByName(const NameValuePair* pairs, const char* name) {
  if (!pairs || !name) return -1;
  for (; pairs->name; ++pairs)
    if (std::strcmp(pairs->name, name) == 0) return pairs->value;
  return -1;
}
