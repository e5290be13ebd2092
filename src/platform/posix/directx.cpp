#include "platform/directx.h"

namespace platform {

bool HasDirectX() {
  return false;
}

bool QueryDirectXDiagnostics(uint32_t&, uint32_t&, char16_t&) {
  return false;
}

bool GetSystemDllVersion(const char16_t*, uint64_t&) {
  return false;
}

bool CanLoadDirect3D11() {
  return false;
}

}  // namespace platform
