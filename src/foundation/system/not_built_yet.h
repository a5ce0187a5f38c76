// Steps whose own work comes later: each reports itself where it is reached
// ("<what>: not built yet" on the debug output, once per name) and is
// counted, so that nothing silently pretends to be done.  Main thread only.
#pragma once

// Reports that `what` is not built yet; the line is written the first time
// each name is reported, every report is counted.
void NotBuiltYet(const char* what);
// How many different names were reported since the last clear.
int NotBuiltYetNames();
// Whether `what` was reported since the last clear.
bool WasReportedNotBuiltYet(const char* what);
// Forgets every report (tests).
void ClearNotBuiltYet();
