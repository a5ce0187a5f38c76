// Case-insensitive text comparison (ASCII letters) for names of pictures,
// images and files.
#pragma once

// True when a and b are equal ignoring the case of ASCII letters; false when either is null.
inline bool TextEqualNoCase(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return false;
  for (;; ++a, ++b) {
    char ca = *a, cb = *b;
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<char>(ca - 'A' + 'a');
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<char>(cb - 'A' + 'a');
    if (ca != cb) return false;
    if (ca == 0) return true;
  }
}
