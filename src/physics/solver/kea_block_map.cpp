#include "physics/solver/kea_block_map.h"

int keaBuildBlockMap(keaBlockMap* map, int blockCount, int steps, const int* rowsPerConstraint,
                     const int* bodyPairs, int constraintCount, int bodyCount) {
  map->blockCount = blockCount;
  for (int b = 0; b < blockCount; ++b) map->entryCount[b] = 0;
  if (steps <= 0) return 1;
  if (blockCount <= 0 || constraintCount <= 0) return 0;

  int block = 0;
  int c = 0;
  int fill = 0;  // where constraint c starts relative to the current block (negative once it crossed)
  for (int step = 0; step < steps; ++step) {
    if (block >= blockCount) return 0;
    int& count = map->entryCount[block];
    if (count + 2 > keaBlockMaxEntries) return 0;
    for (int k = 0; k < 2; ++k) {
      int body = bodyPairs[2 * c + k];
      if (body < 0 || body >= bodyCount) body = -1;
      map->bodies[block * keaBlockMaxEntries + count] = body;
      map->slots[block * keaBlockMaxEntries + count] = 2 * c + k;
      ++count;
    }
    const int t = fill + rowsPerConstraint[c];
    if (t > 4) {
      // c goes on into the next block; its next J-block belongs there.
      ++block;
      if (block < blockCount) map->entryCount[block] = 0;
      fill -= 4;
    } else {
      fill = t;  // t == 4 leaves the block full: the next constraint adds its zero J-block here
      if (c + 1 < constraintCount) ++c;
    }
  }
  return 1;
}
