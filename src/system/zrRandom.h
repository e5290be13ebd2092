// The library's random generator: MT19937 with the seeding of its 1998 reference implementation
// (two linear-congruential steps per state word). Its state is global, one per process, and
// unsynchronised: one thread at a time.
#pragma once

#include <cstdint>

class zrRandom {
 public:
  // Becomes the process-wide generator object; the state stays as it is.
  zrRandom();
  ~zrRandom();
  zrRandom(const zrRandom&) = delete;
  zrRandom& operator=(const zrRandom&) = delete;

  // The process-wide object, or null.
  static zrRandom* Current();

  static void Seed(uint32_t seed);
  // Seeds with the sum of the local year, month, day, hour, minute, second and millisecond.
  static void SeedFromTime();
  // The next value; a generator never seeded seeds itself with 4357 first.
  static uint32_t Next();
};
