// One of ten texts by number (the ordinals 1st .. 10th).  Main thread only.
#pragma once

// The string of text n for n = 0..9; any other n gives the string of id -1
// (none): null.
const char* GetIndexedText(int n);
