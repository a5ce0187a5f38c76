#include "shell/global_heap.h"

CLinearBuffer* g_GlobalHeap = nullptr;
