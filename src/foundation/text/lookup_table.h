// Small lookup tables ended by a sentinel entry.
#pragma once

#include <cstdint>

struct KeyValuePair {
  std::uint32_t key;
  std::uint32_t value;
};

struct NameValuePair {
  std::int32_t value;
  const char* name;
};

// Value of the first pair with `key`; the table ends at a pair whose value
// is 0.  0 when the key is absent.
std::uint32_t LookupValueByKey(const KeyValuePair* pairs, std::uint32_t key);
// Value of the first pair whose name equals `name` exactly; the table ends
// at a null name.  -1 when absent.
std::int32_t LookupValueByName(const NameValuePair* pairs, const char* name);
