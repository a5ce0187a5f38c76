#include "foundation/text/keyword_readers.h"

#include <cstring>

#include "foundation/files/catalog_state.h"
#include "foundation/text/scanner.h"

using namespace catalog_state;

namespace {

bool IsValueBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The value rule over any character source: peek() answers the current
// character (-1 at the end) and advance() moves past it.
template <typename Peek, typename Advance>
int ReadValue(Peek peek, Advance advance, char* value, std::size_t size) {
  if (!value || size == 0) return 0;
  while (IsValueBlank(peek())) advance();
  std::size_t n = 0;
  bool cut = false;
  if (peek() == '"') {
    advance();
    while (peek() != -1 && peek() != '"') {
      if (n + 1 >= size) {
        cut = true;
        break;
      }
      value[n++] = static_cast<char>(peek());
      advance();
    }
    if (!cut && peek() == '"') advance();
  } else {
    while (peek() != -1 && !IsValueBlank(peek())) {
      if (n + 1 >= size) {
        cut = true;
        break;
      }
      value[n++] = static_cast<char>(peek());
      advance();
    }
    if (!cut && peek() != -1) advance();  // the ending blank
  }
  value[n] = 0;
  return cut ? 0 : 1;
}

}  // namespace

int FileReadKeywordString(BufferedFile* h, const char* keyword, char* value, std::size_t size) {
  if (!h || !h->open) return 0;
  if (keyword) {
    char word[256];
    FileScanf(h, "%255s", word);
    if (std::strcmp(word, keyword) != 0) return 0;
  }
  return ReadValue([] { return g_scanLookahead; }, [h] { ScanNext(h); }, value, size);
}

int TextReadKeywordStringN(const char** cursor, const char* keyword, char* value, std::size_t size) {
  if (!cursor || !*cursor) return 0;
  if (keyword) {
    char word[256];
    sscanf1(cursor, "%255s", word);
    if (std::strcmp(word, keyword) != 0) return 0;
  }
  const char*& p = *cursor;
  return ReadValue([&p] { return *p ? static_cast<int>(static_cast<unsigned char>(*p)) : -1; }, [&p] { if (*p) ++p; },
                   value, size);
}

int WriteU32(const std::uint32_t* value, std::FILE* stream) {
  if (!value || !stream) return 0;
  std::uint8_t b[4] = {static_cast<std::uint8_t>(*value), static_cast<std::uint8_t>(*value >> 8),
                       static_cast<std::uint8_t>(*value >> 16), static_cast<std::uint8_t>(*value >> 24)};
  return std::fwrite(b, 1, 4, stream) == 4 ? 1 : 0;
}

int FileReadU32(std::uint32_t* value, BufferedFile* h) {
  std::uint8_t b[4];
  if (FileRead(b, 4, 1, h) != 1) {
    if (value) *value = 0;
    return 0;
  }
  if (value) *value = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
  return 1;
}
