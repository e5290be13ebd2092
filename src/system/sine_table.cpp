#include "system/sine_table.h"

#include <cmath>

int32_t SineTable[kSineTableSize];

void FillSineTable() {
  const double step = std::acos(-1.0) / 16384.0;
  for (int i = 0; i < kSineTableSize; ++i) {
    SineTable[i] = static_cast<int32_t>(std::sin(i * step) * 32768.0);
  }
}
