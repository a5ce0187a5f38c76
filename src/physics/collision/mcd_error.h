// Collision error reporting: one table of numbered messages, each shown at
// most five times, sent to the utilities' message functions by severity.
#pragma once

#include "physics/util/me_types.h"

enum { McdErrorFatal = 0, McdErrorWarning = 1, McdErrorInfo = 2 };

struct McdError {
  MeI16 code;
  MeI16 severity;
  MeI16 remaining;  // how many more times the row may be shown
  const char* text;
};

// The library's table; the row with code 38 ends it.
extern McdError McdErrorTable[];

// Reports error `code` with `added` text appended: "Mcd: " + text + added
// (+ a note on the last showing) + "\n", at most 511 characters.  Fatal rows
// end the program.  Answers 0 when the row may no longer be shown, else 1.
int McdReportError(McdError* table, int code, const char* added);
// The first row with the code, or the end row (code 38).
McdError* McdErrorFind(McdError* table, int code);
// Restores every row's count to 5 (the state at start).
void McdErrorResetCounts(McdError* table);
