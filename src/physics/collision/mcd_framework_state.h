// The framework record made by McdInit (one per process).
#pragma once

#include "physics/collision/mcd_framework.h"
#include "physics/util/me_block_pool.h"

struct McdTermEntry {
  McdTermFn fn;
  McdTermEntry* next;
};

struct McdFramework {
  McdTermEntry* termList;
  MeBlockPool modelPool;
  MeReal defaultPadding;
  const char* version;
};

// Null before McdInit and after McdTerm.
extern McdFramework* g_mcdFramework;
