// What the system tells about DirectX: the diagnostics service, the versions of its DLLs and
// whether Direct3D 11 loads. There is no DirectX outside Windows: the posix layer says so and
// answers nothing.
#pragma once

#include <cstdint>

namespace platform {

// False where there is no DirectX at all; the probe then leaves its version empty.
bool HasDirectX();

// The diagnostics service's DirectX version: major, minor and the first character of its
// letter text; false unless all three were read.
bool QueryDirectXDiagnostics(uint32_t& major, uint32_t& minor, char16_t& letter);

// The fixed file version of `dllName` in the system folder (major.minor.build.revision from the
// high 16 bits down); false when the file has no version information.
bool GetSystemDllVersion(const char16_t* dllName, uint64_t& version);

// Whether "D3D11.DLL" can be loaded (it is released again at once).
bool CanLoadDirect3D11();

}  // namespace platform
