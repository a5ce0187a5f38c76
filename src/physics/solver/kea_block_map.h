// The block map of a constraint group: for every 4-row block, the bodies
// whose J-blocks lie in it and where their forces are reported.
#pragma once

// J-blocks one 4-row block can hold: one per row, plus the zero J-block of a
// constraint that starts right after a full block.  Each J-block brings two
// body entries.
inline constexpr int keaBlockMaxJBlocks = 5;
inline constexpr int keaBlockMaxEntries = 2 * keaBlockMaxJBlocks;

struct keaBlockMap {
  int blockCount;
  int* entryCount;  // per block: body entries (2 per J-block)
  int* bodies;      // per block: keaBlockMaxEntries body indices (-1 none)
  int* slots;       // per block: force-output slot of each entry (2c, 2c+1)
};

// Walks the group's J-blocks in layout order, one step per J-block, and fills
// the map for `blockCount` blocks from the constraints' row counts and body
// pairs (two ints each).  Body indices outside 0 .. bodyCount-1 are stored as
// -1 so that they contribute nothing.  Answers 1, or 0 when the steps do not
// fit the blocks (more than keaBlockMaxJBlocks in one block, or steps left
// after the last block): such a group is not solved.
int keaBuildBlockMap(keaBlockMap* map, int blockCount, int steps, const int* rowsPerConstraint,
                     const int* bodyPairs, int constraintCount, int bodyCount);
