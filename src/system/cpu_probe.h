// What the processor tells about itself: the CPUID facts and the clock measured against the
// time-stamp counter. Processors other than x86 tell nothing here.
#pragma once

#include <cstdint>

#include "system/zrCaps.h"

// Fills type, family, model, stepping, vendor, hasCpuid and the four feature flags of `cpu`;
// leaves the other fields alone. Without CPUID (a 32-bit x86 before it) only the type is set: 1
// for a processor whose alignment-check flag cannot be changed (386), else 2 (486).
void ProbeProcessorFeatures(CpuInfo& cpu);

// The time-stamp counter's rate in MHz over a quarter of a second of busy waiting; 0 where there
// is no time-stamp counter to read. Needs CPUID.
uint32_t MeasureCpuClock();
