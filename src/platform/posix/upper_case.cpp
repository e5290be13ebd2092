#include "platform/posix/upper_case.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace platform {

namespace {

// Runs of units that map by the same distance.
struct UpperRange {
  uint16_t first;
  uint16_t last;
  int32_t delta;
  uint16_t step;
};

constexpr UpperRange kUpperRanges[] = {
#include "platform/posix/upper_case_table.inc"
};

}  // namespace

char16_t UpperCase(char16_t unit) {
  // The last range that starts at or before the unit.
  const UpperRange* range = std::upper_bound(
      std::begin(kUpperRanges), std::end(kUpperRanges), unit,
      [](char16_t value, const UpperRange& candidate) { return value < candidate.first; });
  if (range == std::begin(kUpperRanges)) return unit;
  --range;
  if (unit > range->last || (unit - range->first) % range->step != 0) return unit;
  return static_cast<char16_t>(unit + range->delta);
}

}  // namespace platform
