// Names of Windows versions and editions, as the probe reports them.
#pragma once

#include <cstdint>

#include "system/zrCaps.h"

// Sets code, major, minor, build and name of `os` for a version record (platform ids of
// platform/system_info.h). Windows 9x packs its version into the build number (major in bits
// 24-31, minor 16-23, build 0-15), which is unpacked here; other platforms' numbers are taken as
// reported. A platform outside the table is kOsUnknown, "OS Unknown...".
void NameOperatingSystem(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build,
                         OsInfo& os);

// Sets the bits (64 on a 64-bit system, else 32) and appends " (x64)" or " (x86)" to the name.
void SetOsBits(bool on64BitSystem, OsInfo& os);

// The edition for a product type (the system's PRODUCT_ values); "" for the types without one.
const char16_t* GetEditionName(uint32_t productType);
