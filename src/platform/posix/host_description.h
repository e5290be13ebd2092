// Readers of the texts the posix layer describes the host from (uname's fields, os-release,
// /proc/meminfo, /proc/cpuinfo), apart from the files so that tests can hand them texts.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system_info.h"

namespace platform {

// The first three numbers of a kernel release ("6.1.0-18-generic" gives 6, 1, 0); a number that
// is missing is 0.
void ParseKernelRelease(const std::string& release, uint32_t& major, uint32_t& minor,
                        uint32_t& build);

// Whether a kernel machine name ("x86_64", "aarch64", "i686", ...) is a 64-bit one.
bool IsMachine64Bit(const std::string& machine);

// PRETTY_NAME of an os-release text, its quotes and escapes undone; "" when absent.
std::string PrettyNameOf(const std::string& osRelease);

// Byte counts from a /proc/meminfo text; false without MemTotal.
bool ParseMemInfo(const std::string& memInfo, MemoryStatus& status);

// "model name" and the integer part of "cpu MHz" of the first processor of a /proc/cpuinfo
// text; "" and 0 when absent.
void ParseCpuInfo(const std::string& cpuInfo, std::string& modelName, uint32_t& megahertz);

}  // namespace platform
