// The pool-size file (".FAS") of a level.  Four per-level record pools of the
// world library (environment instances, object template nodes, mesh vertex
// buffers, vertex-buffer objects) are fixed arrays sized before the level
// loads.  At the end of a level load the file records how many records of
// each kind the level really needed, and how often the loading screen
// advanced; the next load of the level sizes the pools from it and gives the
// environment loader its progress total.  A level without the file loads
// with 2000 records per pool.
//
// The file is text, one item a line, each a double-quoted name, a blank and
// a decimal number, lines ended by a single line feed:
//   "Loading Bar" <progress total>
//   "<name>" <count>      four times, for the pools in the order below; the
//                         name is the pool's own or "UNKNOWN_RELEASE"
//                         (which this program writes).
// A line whose name fits neither leaves its pool at 2000 and its number is
// then read as the next pool's name.
//
// Main thread only; the pools are program-wide objects registered by their
// owners.
#pragma once

#include <cstddef>
#include <string>

class FastAllocatorBase;

enum PoolSizeSlot : int {
  kPoolEnvInstances = 0,
  kPoolEnvObjects = 1,
  kPoolVertexBuffer = 2,
  kPoolVBufferObject = 3,
  kPoolSlotCount = 4,
};

// Pool names, in file order, and their allocation categories.
inline constexpr const char* kPoolSizeNames[kPoolSlotCount] = {"EnvInstances", "EnvObjects", "VertexBuffer",
                                                               "VBufferObject"};
inline constexpr int kPoolSizeCategories[kPoolSlotCount] = {16, 16, 11, 11};
inline constexpr int kPoolSizeDefaultCount = 2000;
// Counts above this are taken as this (a damaged file must not ask for
// gigabytes); the heap fall-back covers any level that needs more.
inline constexpr int kPoolSizeMaxCount = 100000;
// The name this program writes in place of a pool's.
inline constexpr const char* kPoolSizeAnyName = "UNKNOWN_RELEASE";
// Names longer than this never match.
inline constexpr std::size_t kPoolSizeNameMax = 30;

// The progress total of the environment loader: set by PoolSizeFileRead (-1
// when the level has no pool-size file, so that the environment file may set
// it), cleared by the loader at the end of a load.
extern int g_EnvLoadProgressTotal;

// What one pool-size file says, parsed and checked, before it is applied.
struct PoolSizeRecord {
  int progressTotal = -1;                        // -1: not given
  int counts[kPoolSlotCount] = {};               // the size of each pool, 0 .. kPoolSizeMaxCount
  bool fromFile[kPoolSlotCount] = {};            // false: the default applies
  std::string warnings;                          // one line per damaged value

  // The state of a level without the file: no progress total, defaults.
  void blank();
  // Parses `size` bytes of file text (no terminator needed).  Never fails:
  // what cannot be read leaves the default, and a damaged value (a number
  // that is not one, or out of range) adds a line to `warnings` naming
  // `fileName` and the line.
  void load(const char* text, std::size_t size, const char* fileName);
  // The file text for a progress total and four counts, exactly as written.
  static std::string save(int progressTotal, const int counts[kPoolSlotCount]);
};

// Registers the program-wide pools the file sizes (null: none in that slot).
// Their owners call it once at start-up.
void PoolSizeFileSetPool(PoolSizeSlot slot, FastAllocatorBase* pool);
FastAllocatorBase* PoolSizeFileGetPool(PoolSizeSlot slot);

// Reads "<LEVELNAME>.FAS" (the level's file-name part, upper-cased, found
// through the catalogs or the search folders), resizes every registered pool
// (which frees whatever it held) and sets g_EnvLoadProgressTotal.  A missing
// file is not an error: the defaults apply and the total is -1.  Damaged
// values are reported on the debug output.  Answers the progress total.
int PoolSizeFileRead(const char* levelName);

// Writes "<work folder>\<levelName>.FAS" with the progress total and, for each
// pool, the records it handed out plus its heap fall-backs (the default for
// a slot without a pool).  False, with nothing written, when the file cannot
// be opened or written.
bool PoolSizeFileWrite(const char* levelName, int progressTotal);
