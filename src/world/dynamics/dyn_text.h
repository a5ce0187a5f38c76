// Field-by-field reading and writing of the dynamics tuning text (".dyn").
// The text has no keywords: numbers and words separated by blanks or commas,
// in a fixed order that each record kind knows.
#pragma once

#include <cstddef>
#include <string>

#include "foundation/maths/vector3.h"

// Longest name a tuning file may hold; a longer one marks the file damaged.
inline constexpr std::size_t kDynNameMax = 127;

// Reads fields from the file text in order.  A field after the end of the
// text is left unread (the record keeps its default) and `ended` is set; a
// field that is present but not of its type marks the reader failed, with a
// message naming the file, the line of the field and what was expected, and every later
// read does nothing.
class DynTextReader {
 public:
  // text must stay alive and end with a NUL; fileName is for messages.
  DynTextReader(const char* text, const char* fileName);

  // "%d": an optional "-" and decimal digits.
  void Int(int& value);
  // "%f": an optional "-" and digits with at most one ".".
  void Float(float& value);
  void Vector(Vector3& value);
  // A word: the run of non-blank characters.
  void Word(std::string& value);
  // A double-quoted name (a blank may appear inside), or a bare word.
  void QuotedWord(std::string& value);
  // Marks the file damaged with a message about the field just read.
  void Fail(const char* what);

  bool ended() const { return ended_; }
  bool failed() const { return !error_.empty(); }
  // The message of the first fault; empty while none.
  const std::string& error() const { return error_; }

 private:
  // Skips separators; false (and `ended`) at the end of the text or after a failure.
  bool Next();
  // The line of the field read last.
  int Line() const;

  const char* start_;
  const char* cursor_;
  const char* field_;  // start of the field read last
  std::string fileName_;
  bool ended_ = false;
  std::string error_;
};

// Writes fields in the same layout: one value per call, separated by blanks;
// NewLine starts the next line for whoever reads the file.
class DynTextWriter {
 public:
  void Int(int value);
  // Fixed-point with six decimals, the precision the reader keeps.
  void Float(float value);
  void Vector(const Vector3& value);
  void Word(const std::string& value);
  void QuotedWord(const std::string& value);
  void NewLine();
  const std::string& text() const { return text_; }

 private:
  void Separate();
  std::string text_;
};
