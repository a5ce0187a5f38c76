// The developer key map: raw keys bound to developer functions, run once a
// frame.  Main thread only.
//
// The mappings themselves and their handlers come with later work; the list
// is kept empty here.
#pragma once

// Empties the list of key mappings.
void RemoveAllKeyMappings();
// Number of key mappings.
int CountKeyMappings();
// The frame's pass over the key mappings (nothing while the list is empty).
void ProcessKeyMap(int held);
