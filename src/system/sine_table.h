// One period of the sine in 32,769 steps: entry i is sin(i × π / 16384) × 32768, truncated
// toward zero. Filled at library start-up.
#pragma once

#include <cstdint>

constexpr int kSineTableSize = 32769;
extern int32_t SineTable[kSineTableSize];

void FillSineTable();
