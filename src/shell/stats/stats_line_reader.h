// The common line format of the stats tables.  A table is plain 8-bit text
// with one record per line feed (a last line without one is not read) and
// fields separated by single commas.  A text field runs up to the next comma
// or apostrophe (an apostrophe cuts it; the rest of that field is skipped);
// numbers are decimal in the "C" locale whatever the user's locale, after
// optional blanks.  Whatever follows the last field a table reads is
// ignored, and a carriage return before the line feed does no harm.  A blank
// line is a record whose fields are all empty or zero.
//
// The reader is bounded by the text's length: it never reads past the text
// or across a line end.  A line that lacks a field, has a text longer than
// its field, a number that does not parse or does not fit, or a NUL byte,
// is faulty; the loader then refuses it with ShowFault.
#pragma once

#include <cstddef>
#include <cstdint>

class StatsLineReader {
 public:
  // file names the table in messages; text holds length bytes.
  StatsLineReader(const char* file, const char* text, std::uint32_t length);

  // Number of records: the line feeds in the text.
  int RecordCount() const { return records_; }
  // Moves to the next record; false after the last.
  bool NextRecord();
  // 1-based line number of the current record.
  int Line() const { return line_; }
  const char* File() const { return file_; }

  // The next text field into out (size bytes with the NUL).  blanksBefore:
  // the table's format lets white space stand before this column.
  bool Text(char* out, std::size_t size, bool blanksBefore = false);
  // The next integer field; it must fit in 32 signed bits.
  bool Int(std::int64_t* out);
  // The next float field; it must be finite.
  bool Float(float* out);

  // True once a field of this line has failed.
  bool Failed() const { return fault_ != nullptr; }
  // Shows "<file>, line <n> (<record>): column <c> <what>" in an "Error"
  // box; record may be null or empty.
  void ShowFault(const char* record) const;

 private:
  bool BeginField();
  void SkipBlanks();
  bool Fail(const char* what);

  const char* file_;
  const char* text_;
  const char* end_;
  const char* next_;        // start of the next record
  const char* p_ = nullptr;  // read position in the current line
  const char* lineEnd_ = nullptr;
  int records_ = 0;
  int line_ = 0;
  int column_ = 0;
  bool blank_ = false;
  bool junk_ = false;  // the last field was followed by something other than a comma
  const char* fault_ = nullptr;
  int faultColumn_ = 0;
  std::size_t faultWidth_ = 0;
};

// Shows the formatted message followed by "\n<file>, line <n>" in the
// engine's "Error" box.
void StatsError(const StatsLineReader& reader, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Seconds to whole milliseconds (x 1000, rounded down); false when the
// result is negative or does not fit in 32 bits.
bool SecondsToMs(float seconds, std::uint32_t* out);
// Metres to centimetres (x 100).
inline float MetresToCm(float metres) { return metres * 100.0f; }
