// The text tokenizer: holds a whole text and hands out tokens separated by a
// configurable set of separator characters, with optional comment skipping,
// quoted groups and case folding, plus typed and keyword readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Tokenizer flags.
enum FileParseFlags : std::uint16_t {
  FILEPARSE_SKIP_COMMENTS = 1,      // skip "//" line and "/* */" block comments
  FILEPARSE_QUOTES = 2,             // a double quote opens and closes a group that only a quote ends
  FILEPARSE_UPPER_CASE = 4,         // fold a..z to upper case
  FILEPARSE_LOWER_CASE = 8,         // fold A..Z to lower case
  FILEPARSE_SEMICOLON_COMMENTS = 16 // with SKIP_COMMENTS: comments run from ";" to the end of the line instead
};

// An entry of a keyword table; tables end with a null name.
struct FileParseKeyword {
  const char* name;
  int value;
};

class CFileParse {
 public:
  // No text; separators "= \n\r\t".
  CFileParse();
  // Reads a stdio stream from its start to its end into own memory.
  CFileParse(std::FILE* stream, std::uint16_t flags);
  // Works on length bytes of caller text (not copied; must outlive the parser).
  CFileParse(const char* text, std::size_t length, std::uint16_t flags);
  ~CFileParse();
  CFileParse(const CFileParse&) = delete;
  CFileParse& operator=(const CFileParse&) = delete;

  // Reads a whole file through the locator (LoadFile, which shows its own
  // message on failure); 1, or 0 when it could not be read.
  int Open(const char* fileName, std::uint16_t flags);
  // Cursor back to the start, line 0.
  void Rewind();
  // Copies the next token (at most size - 1 characters; the rest of a longer
  // token is skipped); an empty token at the end of the text.
  void NextToken(char* buffer, std::size_t size);
  // Typed readers of the next token; each answers 1.  A token that is not a
  // number, or a number that is not finite (an infinity, "not a number", past
  // the type's range), reads as 0.
  int ReadToken(char* buffer, std::size_t size);
  int ReadInt(int* out);
  int ReadFloat(float* out);
  int ReadDouble(double* out);
  // With a keyword, the next token must equal it (and not be empty), else 0;
  // then the value token is read and 1 answered.  Null keyword: value only.
  int ReadKeywordInt(const char* keyword, int* out);
  int ReadKeywordFloat(const char* keyword, float* out);
  int ReadKeywordDouble(const char* keyword, double* out);
  int ReadKeywordString(const char* keyword, char* buffer, std::size_t size);
  // Puts back the last token (cursor and line as before it).
  void Unread();
  // Replaces the separator set (at most 15 characters).
  void SetSeparators(const char* separators);
  // Number of non-empty tokens from the cursor to the end; rewinds afterwards.
  int CountTokens();
  // Reads tokens until one equals word (1) or the text ends (0).
  int SkipTo(const char* word);
  // Finds word1 followed by word2, word3 ... (null-terminated list); 1 when the
  // whole sequence matched, 0 at the end of the text.
  int SkipToSequence(const char* word1, ...);
  // The entry of table whose name equals word exactly, or null.
  static const FileParseKeyword* FindKeyword(const char* word, const FileParseKeyword* table);
  int GetLineNumber() const { return line; }
  // Whether the cursor has reached the end of the text.
  bool AtEnd() const { return !text || cursor >= text + length - 1; }

  char fileName[256] = {};
  char separators[16] = {};
  std::uint16_t flags = 0;
  char* text = nullptr;
  const char* cursor = nullptr;
  const char* lastCursor = nullptr;
  int line = 0;
  int lastLine = 0;
  std::size_t length = 0;  // text length + 1
  bool ownsText = false;

 private:
  void FreeText();
  bool IsSeparator(char c) const;
  const char* End() const { return text + length - 1; }
};
