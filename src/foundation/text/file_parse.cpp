#include "foundation/text/file_parse.h"

#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "foundation/files/load_file.h"
#include "foundation/memory/memory_manager.h"

namespace {

constexpr int kFileParseCategory = 6;
constexpr char kDefaultSeparators[] = "= \n\r\t";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

CFileParse::CFileParse() { std::memcpy(separators, kDefaultSeparators, sizeof kDefaultSeparators); }

CFileParse::CFileParse(std::FILE* stream, std::uint16_t f) : CFileParse() {
  flags = f;
  if (!stream) return;
  std::vector<char> bytes;
  std::fseek(stream, 0, SEEK_SET);
  char chunk[4096];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, stream)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
  text = MEM_NEW(kFileParseCategory) char[bytes.size() + 1];
  if (!text) return;
  if (!bytes.empty()) std::memcpy(text, bytes.data(), bytes.size());
  text[bytes.size()] = 0;
  length = bytes.size() + 1;
  ownsText = true;
  Rewind();
}

CFileParse::CFileParse(const char* t, std::size_t len, std::uint16_t f) : CFileParse() {
  flags = f;
  if (!t) return;
  text = const_cast<char*>(t);
  length = len + 1;
  ownsText = false;
  Rewind();
}

CFileParse::~CFileParse() { FreeText(); }

void CFileParse::FreeText() {
  if (ownsText && text) FreeLoadedFile(text);
  text = nullptr;
  cursor = lastCursor = nullptr;
  length = 0;
  ownsText = false;
}

int CFileParse::Open(const char* name, std::uint16_t f) {
  FreeText();
  flags = f;
  std::snprintf(fileName, sizeof fileName, "%s", name ? name : "");
  char* data = nullptr;
  std::uint32_t size = 0;
  if (!LoadFile(name, &data, &size, nullptr, kFileParseCategory)) return 0;
  text = data;
  length = static_cast<std::size_t>(size) + 1;
  ownsText = true;
  Rewind();
  return 1;
}

void CFileParse::Rewind() {
  cursor = lastCursor = text;
  line = lastLine = 0;
}

bool CFileParse::IsSeparator(char c) const { return c != 0 && std::strchr(separators, c) != nullptr; }

void CFileParse::NextToken(char* buffer, std::size_t size) {
  std::size_t n = 0;
  lastCursor = cursor;
  lastLine = line;
  if (text) {
    const char* end = End();
    // Blanks and, when asked, comments.
    for (;;) {
      while (cursor < end && IsBlank(*cursor)) {
        if (*cursor == '\n') ++line;
        ++cursor;
      }
      if (!(flags & FILEPARSE_SKIP_COMMENTS) || cursor >= end) break;
      if (flags & FILEPARSE_SEMICOLON_COMMENTS) {
        if (*cursor != ';') break;
        while (cursor < end && *cursor != '\n') ++cursor;
      } else if (cursor + 1 < end && cursor[0] == '/' && cursor[1] == '/') {
        while (cursor < end && *cursor != '\n') ++cursor;
      } else if (cursor + 1 < end && cursor[0] == '/' && cursor[1] == '*') {
        cursor += 2;
        while (cursor < end && !(cursor + 1 < end && cursor[0] == '*' && cursor[1] == '/')) {
          if (*cursor == '\n') ++line;
          ++cursor;
        }
        cursor = cursor < end ? cursor + 2 : end;
      } else {
        break;
      }
    }
    // The token.
    if (cursor < end && !IsSeparator(*cursor)) {
      bool quoted = false;
      while (cursor < end) {
        char c = *cursor;
        if ((flags & FILEPARSE_QUOTES) && c == '"') {
          quoted = !quoted;
          ++cursor;
          continue;
        }
        if (!quoted && IsSeparator(c)) break;
        if (c == '\n') ++line;
        if ((flags & FILEPARSE_UPPER_CASE) && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if ((flags & FILEPARSE_LOWER_CASE) && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (buffer && n + 1 < size) buffer[n++] = c;
        ++cursor;
      }
    }
    // The separators after it.
    while (cursor < end && IsSeparator(*cursor)) {
      if (*cursor == '\n') ++line;
      ++cursor;
    }
  }
  if (buffer && size) buffer[n] = 0;
}

int CFileParse::ReadToken(char* buffer, std::size_t size) {
  NextToken(buffer, size);
  return 1;
}

int CFileParse::ReadInt(int* out) {
  char t[64];
  NextToken(t, sizeof t);
  if (out) *out = std::atoi(t);
  return 1;
}

int CFileParse::ReadFloat(float* out) {
  char t[64];
  NextToken(t, sizeof t);
  const double v = std::atof(t);
  // Past the float's range (or an infinity, or "not a number") reads as 0,
  // as a word does: never passed on.
  if (out) *out = std::isfinite(v) && std::fabs(v) <= std::numeric_limits<float>::max() ? static_cast<float>(v) : 0.0f;
  return 1;
}

int CFileParse::ReadDouble(double* out) {
  char t[64];
  NextToken(t, sizeof t);
  const double v = std::atof(t);
  if (out) *out = std::isfinite(v) ? v : 0.0;
  return 1;
}

namespace {

bool KeywordMatches(CFileParse& p, const char* keyword) {
  if (!keyword) return true;
  char t[256];
  p.NextToken(t, sizeof t);
  return t[0] != 0 && std::strcmp(t, keyword) == 0;
}

}  // namespace

int CFileParse::ReadKeywordInt(const char* keyword, int* out) {
  if (!KeywordMatches(*this, keyword)) return 0;
  return ReadInt(out);
}

int CFileParse::ReadKeywordFloat(const char* keyword, float* out) {
  if (!KeywordMatches(*this, keyword)) return 0;
  return ReadFloat(out);
}

int CFileParse::ReadKeywordDouble(const char* keyword, double* out) {
  if (!KeywordMatches(*this, keyword)) return 0;
  return ReadDouble(out);
}

int CFileParse::ReadKeywordString(const char* keyword, char* buffer, std::size_t size) {
  if (!KeywordMatches(*this, keyword)) return 0;
  return ReadToken(buffer, size);
}

void CFileParse::Unread() {
  cursor = lastCursor;
  line = lastLine;
}

void CFileParse::SetSeparators(const char* s) { std::snprintf(separators, sizeof separators, "%s", s ? s : ""); }

int CFileParse::CountTokens() {
  int n = 0;
  char t[256];
  while (!AtEnd()) {
    NextToken(t, sizeof t);
    if (t[0]) ++n;
  }
  Rewind();
  return n;
}

int CFileParse::SkipTo(const char* word) {
  if (!word) return 0;
  char t[256];
  while (!AtEnd()) {
    NextToken(t, sizeof t);
    if (std::strcmp(t, word) == 0) return 1;
  }
  return 0;
}

int CFileParse::SkipToSequence(const char* word1, ...) {
  std::vector<const char*> words;
  va_list args;
  va_start(args, word1);
  for (const char* w = word1; w; w = va_arg(args, const char*)) words.push_back(w);
  va_end(args);
  if (words.empty()) return 0;
  char t[256];
  while (SkipTo(words[0])) {
    std::size_t k = 1;
    for (; k < words.size(); ++k) {
      if (AtEnd()) return 0;
      NextToken(t, sizeof t);
      if (std::strcmp(t, words[k]) != 0) {
        Unread();  // the word that broke the sequence may start it
        break;
      }
    }
    if (k == words.size()) return 1;
  }
  return 0;
}

const FileParseKeyword* CFileParse::FindKeyword(const char* word, const FileParseKeyword* table) {
  if (!word || !table) return nullptr;
  for (; table->name; ++table)
    if (std::strcmp(table->name, word) == 0) return table;
  return nullptr;
}
