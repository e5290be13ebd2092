// The library heap the picture decoders allocate from, made once for the whole fuzzing run.
#pragma once

#include "system/heap.h"

inline void EnsureLibraryHeap() {
  static const int heap = zrHeapCreate(kLibraryHeapSize);
  (void)heap;
}
