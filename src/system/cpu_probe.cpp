#include "system/cpu_probe.h"

#include <chrono>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#define ZR_HAS_CPUID_INSTRUCTION 1
#endif

#if ZR_HAS_CPUID_INSTRUCTION

namespace {

#if defined(__i386__)
// Whether the flags register lets `mask` be toggled: the 486 added the alignment-check flag,
// processors with CPUID the ID flag. The flags are restored afterwards.
bool CanToggleFlags(uint32_t mask) {
  uint32_t before, after;
  asm volatile(
      "pushfl\n\t"
      "pushfl\n\t"
      "popl %0\n\t"
      "movl %0, %1\n\t"
      "xorl %2, %1\n\t"
      "pushl %1\n\t"
      "popfl\n\t"
      "pushfl\n\t"
      "popl %1\n\t"
      "popfl"
      : "=&r"(before), "=&r"(after)
      : "r"(mask)
      : "cc");
  return ((before ^ after) & mask) != 0;
}
constexpr uint32_t kAlignmentCheckFlag = 1u << 18;
constexpr uint32_t kIdFlag = 1u << 21;
#endif

uint32_t Bit(uint32_t value, int bit) {
  return (value >> bit) & 1;
}

}  // namespace

void ProbeProcessorFeatures(CpuInfo& cpu) {
#if defined(__i386__)
  if (!CanToggleFlags(kAlignmentCheckFlag)) {
    cpu.type = 1;
    return;
  }
  if (!CanToggleFlags(kIdFlag)) {
    cpu.type = 2;
    return;
  }
#endif
  cpu.hasCpuid = 1;
  unsigned eax, ebx, ecx, edx;
  __cpuid(0, eax, ebx, ecx, edx);
  const unsigned highestLeaf = eax;
  std::memset(cpu.vendor, 0, sizeof cpu.vendor);
  std::memcpy(cpu.vendor, &ebx, 4);
  std::memcpy(cpu.vendor + 4, &edx, 4);
  std::memcpy(cpu.vendor + 8, &ecx, 4);
  if (highestLeaf >= 1) {
    __cpuid(1, eax, ebx, ecx, edx);
    cpu.type = (eax >> 12) & 0x3;
    cpu.family = (eax >> 8) & 0xF;
    cpu.model = (eax >> 4) & 0xF;
    cpu.stepping = eax & 0xF;
    cpu.hasMmx = Bit(edx, 23);
    cpu.hasCmov = Bit(edx, 15);
    cpu.hasSse = Bit(edx, 25);
  }
  __cpuid(0x80000000u, eax, ebx, ecx, edx);
  if (eax >= 0x80000001u) {
    __cpuid(0x80000001u, eax, ebx, ecx, edx);
    cpu.has3DNow = Bit(edx, 31);
  }
}

// The time-stamp counter against the steady clock (the performance counter on Windows) over a
// quarter second.
uint32_t MeasureCpuClock() {
  using Clock = std::chrono::steady_clock;
  unsigned eax, ebx, ecx, edx;
  const Clock::time_point start = Clock::now();
  __cpuid(0, eax, ebx, ecx, edx);  // serialises: no earlier instruction runs past the read
  const uint64_t first = __rdtsc();
  Clock::time_point now;
  do {
    now = Clock::now();
  } while (now - start < std::chrono::milliseconds(250));
  __cpuid(0, eax, ebx, ecx, edx);
  const uint64_t second = __rdtsc();
  // The loop stops as soon as a quarter second has passed: four times the ticks are a second's.
  const int64_t ticks = static_cast<int64_t>(second - first);
  return static_cast<uint32_t>(ticks * 4 / 1000000);
}

#else

void ProbeProcessorFeatures(CpuInfo&) {}
uint32_t MeasureCpuClock() {
  return 0;
}

#endif
