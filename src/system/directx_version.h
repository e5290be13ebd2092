// The DirectX version: asked of the diagnostics service, else told by the versions of system
// DLLs. The sources are handed in, so the rules run the same against the real system and in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

struct DirectXVersion {
  uint32_t major;
  uint32_t minor;
  char16_t letter;  // a blank, 0 for none, or the letter ('a', 'b', ...)
};

struct DirectXSources {
  // The diagnostics service's major, minor and letter (the first character of its text).
  std::function<bool(DirectXVersion& version)> diagnostics;
  // The fixed file version of a DLL in the system folder, major.minor.build.revision from the
  // high 16 bits down; false when it has none.
  std::function<bool(const char16_t* dllName, uint64_t& version)> fileVersion;
  // The ordinary version query of the operating system.
  std::function<bool(uint32_t& major, uint32_t& minor, uint32_t& build)> osVersion;
  // Whether Direct3D 11 can be loaded.
  std::function<bool()> direct3D11Loads;
};

// The diagnostics service's answer, else the DLL rules' (0.0 and a blank when none matched).
// Diagnostics reporting 10 or more (versions past 11 that older code cannot tell apart) count as
// 11.0 where Direct3D 11 exists.
DirectXVersion GetDirectXVersion(const DirectXSources& sources);

// (major << 16) | (minor << 8) | letter index (1 for 'a' ... 26 for 'z', 0 otherwise).
uint32_t DirectXCode(const DirectXVersion& version);
// "%d.%d%s" of major, minor and the letter as a one-character text ("9.0 " for a blank, "11.0"
// for none).
void FormatDirectXText(const DirectXVersion& version, char16_t* out, size_t capacity);
